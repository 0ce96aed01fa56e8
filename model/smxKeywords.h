// Keyword tables and identifier quoting of every SQL dialect the suite writes. The InterBase/Firebird
// table is also the token vocabulary of the InterBase parsers, filtered per server version by a set of
// token codes; the other dialects' tables only answer whether a word is a keyword. The quoting
// routines decide, from a dialect's keyword table, its reserved-word list and its character rules,
// whether a name must be quoted, and QuoteIdentifier dispatches to them by database type.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "foundation/smxDBOptions.h"
#include "foundation/smxTypes.h"

namespace smx {

/// A keyword of a dialect's vocabulary: its text (upper case) and its token code.
struct TResWordSymb {
    std::string_view Text;
    std::int32_t Token;
};

/// Token code of an identifier; also what every lookup answers for a word that is no keyword.
inline constexpr std::int32_t IdentTokenCode = 1;

/// A set of token codes 0..255 (bit n for code n).
class TTokenSet {
public:
    constexpr TTokenSet() = default;

    /// The set holding every code 0..255.
    static constexpr TTokenSet All() {
        TTokenSet s;
        for (auto& w : s.bits_)
            w = ~std::uint64_t{0};
        return s;
    }

    /// True when Code is in the set; codes outside 0..255 never are.
    constexpr bool contains(int Code) const {
        return Code >= 0 && Code < 256 && (bits_[Code / 64] >> (Code % 64) & 1) != 0;
    }
    /// Adds Code; codes outside 0..255 are ignored.
    constexpr TTokenSet& operator+=(int Code) {
        if (Code >= 0 && Code < 256) bits_[Code / 64] |= std::uint64_t{1} << (Code % 64);
        return *this;
    }
    /// Removes Code; codes outside 0..255 are ignored.
    constexpr TTokenSet& operator-=(int Code) {
        if (Code >= 0 && Code < 256) bits_[Code / 64] &= ~(std::uint64_t{1} << (Code % 64));
        return *this;
    }
    /// Number of codes in the set.
    constexpr int count() const {
        int n = 0;
        for (int c = 0; c < 256; ++c)
            n += contains(c) ? 1 : 0;
        return n;
    }
    friend constexpr bool operator==(const TTokenSet&, const TTokenSet&) = default;

private:
    std::array<std::uint64_t, 4> bits_{};
};

// --- InterBase / Firebird -------------------------------------------------------------------------

/// The InterBase/Firebird keyword table: 198 entries, codes 30..254; synonyms share a code. The entry
/// "_<charset>" (44) names the character-set introducer token and never matches a word.
std::span<const TResWordSymb> GetIBKeywords();

/// The token codes that are reserved in Version: every code except those of the table keywords that
/// read as identifiers there. Version values beyond the last known one give the full set.
const TTokenSet& GetIBTokenSet(TIBSQLServerVersionType Version);

/// The further words (beside the table keywords) that must be quoted in Version; empty for
/// st_Yaffil_1x and for version values beyond the last known one.
std::span<const std::string_view> GetIBReservedWords(TIBSQLServerVersionType Version);

/// InterBase token code of Word (ASCII case-insensitive) in Version; 1 when the word is no table
/// keyword or the keyword is not reserved in that version. Version values beyond the last known one
/// are not filtered.
std::int32_t KeywordSymbol(std::string_view Word, TIBSQLServerVersionType Version);

/// True when Name must be double-quoted in an InterBase/Firebird dialect 3 statement: it breaks the
/// plain identifier rule (first A-Z, then $ 0-9 A-Z _), is a keyword reserved in Version, or is one of
/// the version's further reserved words. False for an empty name.
bool IsReservedWord(std::string_view Name, TIBSQLServerVersionType Version);

/// True when Word equals an entry of List exactly (case-sensitive).
bool IsInWordList(std::string_view Word, std::span<const std::string_view> List);

// --- Other dialects -------------------------------------------------------------------------------
// Every quoting routine doubles its closing delimiter inside a quoted name.
// Each Find routine upper-cases the word (ASCII) and answers its code in the dialect's keyword table,
// 1 when absent. Only "not 1" matters for these dialects; the code is 30 plus the table position.

std::int32_t FindASAKeyword(std::string_view Word);
std::int32_t FindMySQLKeyword(std::string_view Word);
std::int32_t FindDB2Keyword(std::string_view Word);
std::int32_t FindMSSQLKeyword(std::string_view Word);
std::int32_t FindLocalSQLKeyword(std::string_view Word);
std::int32_t FindPGSQLKeyword(std::string_view Word);
std::int32_t FindOracleKeyword(std::string_view Word);

/// SQL Anywhere: a keyword or reserved word comes back upper-cased in double quotes; a name with a
/// character outside # $ A-Z _ @ (0-9 after the first, lower case counted as upper) comes back in
/// double quotes as written; anything else, and an empty name, unchanged.
std::string QuoteASAName(std::string_view Name);

/// MySQL: a name with a lower-case letter or a backquote is always backquoted; any other name only
/// when it is on the MySQL reserved list. A backquote inside is doubled.
std::string QuoteMySQLName(std::string_view Name);

/// DB2: double quotes for a keyword, a first character other than A-Z or a later one outside
/// # $ A-Z _ 0-9 @; an empty name unchanged.
std::string QuoteDB2Name(std::string_view Name);

/// MS SQL Server: True when Name needs brackets (a character outside # $ A-Z _ a-z, 0-9 and @ also
/// allowed after the first; a keyword; a reserved word). Never for an empty name or one starting "<".
bool MSSQLNeedsQuotes(std::string_view Name);
/// MS SQL Server: Name in square brackets when MSSQLNeedsQuotes says so, else unchanged.
std::string QuoteMSSQLName(std::string_view Name);

/// Local SQL (Paradox, dBASE): double quotes for a local-SQL keyword or a name holding a double
/// quote (doubled inside), else unchanged.
std::string QuoteLocalSQLName(std::string_view Name);

/// PostgreSQL: True when Name needs double quotes (first character outside _ a-z, a later one outside
/// $ _ a-z 0-9, so any upper-case letter; or a keyword). Never for an empty name.
bool PGSQLNeedsQuotes(std::string_view Name);
/// PostgreSQL: Name in double quotes when PGSQLNeedsQuotes says so, else unchanged.
std::string QuotePGSQLName(std::string_view Name);

/// Oracle: double quotes for a keyword, a first character other than A-Z or a later one outside
/// # $ A-Z _ 0-9; an empty name unchanged.
std::string QuoteOracleName(std::string_view Name);

// --- Dispatcher -----------------------------------------------------------------------------------

/// Name quoted for DatabaseType: InterBase in dialect 3 double-quotes a reserved word of ServerVersion
/// (other dialects: unchanged); SQL Anywhere, MySQL, Oracle, MS SQL, PostgreSQL and DB2 use their own
/// routine, Paradox and dBASE the local-SQL one; every other type returns Name unchanged.
std::string QuoteIdentifier(std::string_view Name, TDatabaseType DatabaseType,
                            TIBSQLServerVersionType ServerVersion, TIBSQLDialectType Dialect);

} // namespace smx
