// Tests of the dialect keyword tables and the identifier-quoting routines: the InterBase/Firebird
// per-version token sets and word lists, the character rules of every dialect and the dispatcher.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>

#include "model/smxKeywords.h"

namespace smx {
namespace {

using enum TIBSQLServerVersionType;
using enum TDatabaseType;

constexpr auto BeyondLastVersion = static_cast<TIBSQLServerVersionType>(IBSQLServerVersionCount);

TEST(IBKeywordTable, ShapeAndSynonyms) {
    const auto Table = GetIBKeywords();
    ASSERT_EQ(Table.size(), 198u);
    std::map<std::string, int> CodeOf;
    std::set<int> Codes;
    for (const auto& K : Table) {
        EXPECT_GE(K.Token, 30) << K.Text;
        EXPECT_LE(K.Token, 254) << K.Text;
        auto [It, Inserted] = CodeOf.emplace(std::string(K.Text), K.Token);
        EXPECT_EQ(It->second, K.Token) << "one word, two codes: " << K.Text;
        Codes.insert(K.Token);
    }
    EXPECT_EQ(Codes.size(), 189u);
    EXPECT_EQ(CodeOf.size(), 194u); // CURSOR, PAGE_SIZE, GLOBAL and RELEASE stand twice
    EXPECT_EQ(CodeOf["INT"], 118);
    EXPECT_EQ(CodeOf["INTEGER"], 118);
    EXPECT_EQ(CodeOf["ASCENDING"], CodeOf["ASC"]);
    EXPECT_EQ(CodeOf["_<charset>"], 44);
}

// Count of table words that read as identifiers in each version, and the size of each version's list
// of further reserved words.
TEST(IBKeywordTable, PerVersionCounts) {
    struct Row {
        TIBSQLServerVersionType Version;
        int OrdinaryKeywords;
        std::size_t FurtherWords;
    };
    const Row Rows[] = {
        {st_InterBase_4x, 36, 35}, {st_InterBase_5x, 31, 36},   {st_InterBase_6x, 20, 44},
        {st_FireBird_1x, 20, 52},  {st_Yaffil_1x, 24, 0},       {st_FireBird_15, 16, 54},
        {st_InterBase_7x, 11, 49}, {st_InterBase_75, 11, 49},   {st_Firebird_20, 15, 60},
        {st_Firebird_21, 15, 60},  {st_Firebird_25, 15, 61},    {st_Firebird_30, 57, 91},
        {st_Firebird_40, 53, 96},  {st_InterBase_2020, 11, 53}, {BeyondLastVersion, 0, 0},
    };
    for (const auto& R : Rows) {
        std::set<std::string_view> Ordinary;
        for (const auto& K : GetIBKeywords()) {
            if (K.Text == "_<charset>") continue; // a display name, never looked up as a word
            if (KeywordSymbol(K.Text, R.Version) == IdentTokenCode) Ordinary.insert(K.Text);
        }
        EXPECT_EQ(static_cast<int>(Ordinary.size()), R.OrdinaryKeywords)
            << "version " << static_cast<int>(R.Version);
        EXPECT_EQ(GetIBReservedWords(R.Version).size(), R.FurtherWords)
            << "version " << static_cast<int>(R.Version);
    }
}

TEST(IBKeywordTable, TokenSets) {
    for (int V = 0; V <= IBSQLServerVersionCount; ++V) {
        const auto& S = GetIBTokenSet(static_cast<TIBSQLServerVersionType>(V));
        // ":=" and the codes outside the keyword table belong to every version.
        EXPECT_TRUE(S.contains(116)) << V;
        EXPECT_TRUE(S.contains(255)) << V;
        EXPECT_TRUE(S.contains(IdentTokenCode)) << V;
        EXPECT_FALSE(S.contains(256)) << V;
        EXPECT_FALSE(S.contains(-1)) << V;
    }
    EXPECT_EQ(GetIBTokenSet(BeyondLastVersion), TTokenSet::All());
    EXPECT_FALSE(GetIBTokenSet(st_InterBase_4x).contains(184)); // ROLE
    EXPECT_TRUE(GetIBTokenSet(st_InterBase_5x).contains(184));
}

TEST(IBKeywordSymbol, CaseFilterAndUnknownVersions) {
    EXPECT_EQ(KeywordSymbol("select", st_Firebird_25), 189);
    EXPECT_EQ(KeywordSymbol("Integer", st_Firebird_25), 118);
    EXPECT_EQ(KeywordSymbol("CUSTOMER", st_Firebird_25), IdentTokenCode);
    EXPECT_EQ(KeywordSymbol("", st_Firebird_25), IdentTokenCode);
    // Synonyms leave together: both read as identifiers in Firebird 3.
    EXPECT_EQ(KeywordSymbol("ASC", st_Firebird_30), IdentTokenCode);
    EXPECT_EQ(KeywordSymbol("ascending", st_Firebird_30), IdentTokenCode);
    EXPECT_EQ(KeywordSymbol("ASCENDING", st_Firebird_25), 40);
    // Version 13 has a set of its own; values beyond it are not filtered.
    EXPECT_EQ(KeywordSymbol("BIGINT", st_InterBase_2020), IdentTokenCode);
    EXPECT_EQ(KeywordSymbol("BIGINT", BeyondLastVersion), 237);
    EXPECT_EQ(KeywordSymbol("ROLE", BeyondLastVersion), 184);
}

TEST(IBKeywordSymbol, RoleByVersion) {
    const std::set<TIBSQLServerVersionType> Ident = {st_InterBase_4x, st_Firebird_20, st_Firebird_21,
                                                     st_Firebird_25,  st_Firebird_30, st_Firebird_40};
    for (int V = 0; V < IBSQLServerVersionCount; ++V) {
        const auto Version = static_cast<TIBSQLServerVersionType>(V);
        const bool IsIdent = Ident.contains(Version);
        EXPECT_EQ(KeywordSymbol("ROLE", Version), IsIdent ? IdentTokenCode : 184) << V;
        EXPECT_EQ(IsReservedWord("ROLE", Version), !IsIdent) << V;
    }
}

TEST(IBReservedWord, CharacterRulesKeywordsAndWordLists) {
    struct Row {
        const char* Name;
        TIBSQLServerVersionType Version;
        bool Reserved;
    };
    const Row Rows[] = {
        {"", st_Firebird_25, false},
        {"ORDER", st_Firebird_25, true},
        {"ORDERS", st_Firebird_25, false},
        {"order", st_Firebird_25, true}, // first character not A-Z
        {"Orders", st_Firebird_25, true},
        {"MY TABLE", st_Firebird_25, true},
        {"_A", st_Firebird_25, true},
        {"1A", st_Firebird_25, true},
        {"A$B_1", st_Firebird_25, false},
        {"A#B", st_Firebird_25, true},
        {"\xC4X", st_Firebird_25, true},
        {"X\xC4", st_Firebird_25, true},
        {"TB_1088", st_Firebird_30, false},
        {"A1#", st_Firebird_30, true}, // a character no word holds, then one no name may hold
        {"READ", st_InterBase_4x, true},
        {"RESTRICT", st_InterBase_4x, false},
        {"RESTRICT", st_InterBase_5x, true},
        {"WEEKDAY", st_InterBase_5x, false},
        {"WEEKDAY", st_InterBase_6x, true},
        {"WEEKDAY", st_InterBase_75, true},
        {"WEEKDAY", st_Firebird_20, false},
        {"SKIP", st_FireBird_1x, true},
        {"SKIP", st_FireBird_15, false},
        {"DESCRIPTOR", st_FireBird_1x, true}, // an identifier keyword, but on the word list
        {"ROW_COUNT", st_FireBird_15, true},
        {"NULLIF", st_InterBase_7x, true},
        {"NULLIF", st_InterBase_2020, true},
        {"OVER", st_Firebird_21, false},
        {"OVER", st_Firebird_25, true},
        {"BOOLEAN", st_Firebird_25, false},
        {"BOOLEAN", st_Firebird_30, true},
        {"RDB$RECORD_VERSION", st_Firebird_30, true},
        {"WITHOUT", st_Firebird_30, false},
        {"WITHOUT", st_Firebird_40, true},
        {"SUBSCRIBE", st_InterBase_75, false},
        {"SUBSCRIBE", st_InterBase_2020, true},
        // Yaffil: only keywords reserved in its set and names breaking the character rule.
        {"READ", st_Yaffil_1x, false},
        {"ORDER", st_Yaffil_1x, true},
        {"CASE", st_Yaffil_1x, true},
        {"BIGINT", st_Yaffil_1x, false},
        {"name", st_Yaffil_1x, true},
        // Beyond the known versions: unfiltered keywords, no word list.
        {"ROLE", BeyondLastVersion, true},
        {"READ", BeyondLastVersion, false},
    };
    for (const auto& R : Rows)
        EXPECT_EQ(IsReservedWord(R.Name, R.Version), R.Reserved)
            << R.Name << " in version " << static_cast<int>(R.Version);
}

TEST(IBReservedWord, WordListMatchIsExact) {
    const auto L1 = GetIBReservedWords(st_InterBase_4x);
    EXPECT_TRUE(IsInWordList("READ", L1));
    EXPECT_FALSE(IsInWordList("read", L1));
    EXPECT_FALSE(IsInWordList("REA", L1));
    EXPECT_FALSE(IsInWordList("", L1));
    EXPECT_FALSE(IsInWordList("READ", GetIBReservedWords(st_Yaffil_1x)));
}

TEST(DialectKeywords, FindRoutines) {
    EXPECT_NE(FindMySQLKeyword("text"), IdentTokenCode);
    EXPECT_EQ(FindMySQLKeyword("CUSTOMER"), IdentTokenCode);
    EXPECT_NE(FindMSSQLKeyword("end conversation"), IdentTokenCode);
    EXPECT_NE(FindPGSQLKeyword("::"), IdentTokenCode);
    EXPECT_NE(FindLocalSQLKeyword("iactive"), IdentTokenCode);
    EXPECT_EQ(FindLocalSQLKeyword("INACTIVEX"), IdentTokenCode);
    EXPECT_NE(FindASAKeyword("Remame"), IdentTokenCode);
    EXPECT_EQ(FindASAKeyword("RENAME"), IdentTokenCode);
    EXPECT_NE(FindDB2Keyword("years"), IdentTokenCode);
    EXPECT_NE(FindOracleKeyword("varchar2"), IdentTokenCode);
    for (auto* Find : {FindASAKeyword, FindMySQLKeyword, FindDB2Keyword, FindMSSQLKeyword,
                       FindLocalSQLKeyword, FindPGSQLKeyword, FindOracleKeyword}) {
        EXPECT_EQ(Find(""), IdentTokenCode);
        EXPECT_NE(Find("create"), IdentTokenCode) << "every table knows CREATE";
    }
}

using QuoteFn = std::string (*)(std::string_view);

struct QuoteRow {
    const char* Dialect;
    QuoteFn Quote;
    const char* Name;
    const char* Expected;
};

TEST(DialectQuoting, PerDialectRules) {
    const QuoteRow Rows[] = {
        // SQL Anywhere: keywords come back upper-cased; lower case alone forces nothing.
        {"ASA", QuoteASAName, "select", "\"SELECT\""},
        {"ASA", QuoteASAName, "backup", "\"BACKUP\""}, // reserved list only
        {"ASA", QuoteASAName, "customer", "customer"},
        {"ASA", QuoteASAName, "#tmp", "#tmp"},
        {"ASA", QuoteASAName, "a@b1", "a@b1"},
        {"ASA", QuoteASAName, "my table", "\"my table\""},
        {"ASA", QuoteASAName, "1abc", "\"1abc\""},
        // MySQL: any lower-case letter forces backquotes; upper case only on the reserved list.
        {"MySQL", QuoteMySQLName, "Customer", "`Customer`"},
        {"MySQL", QuoteMySQLName, "customer", "`customer`"},
        {"MySQL", QuoteMySQLName, "CUSTOMER", "CUSTOMER"},
        {"MySQL", QuoteMySQLName, "ORDER", "`ORDER`"},
        {"MySQL", QuoteMySQLName, "TEXT", "TEXT"}, // keyword table is not used for quoting
        {"MySQL", QuoteMySQLName, "my col", "`my col`"},
        {"MySQL", QuoteMySQLName, "MY COL", "MY COL"}, // the rule looks at case and the list only
        // DB2: first A-Z, then # $ A-Z _ 0-9 @; keywords compared upper-cased.
        {"DB2", QuoteDB2Name, "SELECT", "\"SELECT\""},
        {"DB2", QuoteDB2Name, "years", "\"years\""},
        {"DB2", QuoteDB2Name, "CUSTOMER", "CUSTOMER"},
        {"DB2", QuoteDB2Name, "customer", "\"customer\""},
        {"DB2", QuoteDB2Name, "A@B#1", "A@B#1"},
        {"DB2", QuoteDB2Name, "A B", "\"A B\""},
        {"DB2", QuoteDB2Name, "_X", "\"_X\""},
        // MS SQL Server: brackets; both cases allowed; "<..." is never quoted.
        {"MSSQL", QuoteMSSQLName, "Customer", "Customer"},
        {"MSSQL", QuoteMSSQLName, "order", "[order]"},
        {"MSSQL", QuoteMSSQLName, "DUMMY", "[DUMMY]"}, // reserved list only
        {"MSSQL", QuoteMSSQLName, "my col", "[my col]"},
        {"MSSQL", QuoteMSSQLName, "#tmp", "#tmp"},
        {"MSSQL", QuoteMSSQLName, "a@b", "a@b"},
        {"MSSQL", QuoteMSSQLName, "@var", "[@var]"},
        {"MSSQL", QuoteMSSQLName, "1a", "[1a]"},
        {"MSSQL", QuoteMSSQLName, "<Ident>", "<Ident>"},
        // Local SQL: only keywords are quoted.
        {"LocalSQL", QuoteLocalSQLName, "date", "\"date\""},
        {"LocalSQL", QuoteLocalSQLName, "IACTIVE", "\"IACTIVE\""},
        {"LocalSQL", QuoteLocalSQLName, "CUSTOMER", "CUSTOMER"},
        {"LocalSQL", QuoteLocalSQLName, "my col", "my col"},
        // PostgreSQL: any upper-case letter forces quotes.
        {"PGSQL", QuotePGSQLName, "customer", "customer"},
        {"PGSQL", QuotePGSQLName, "Customer", "\"Customer\""},
        {"PGSQL", QuotePGSQLName, "CUSTOMER", "\"CUSTOMER\""},
        {"PGSQL", QuotePGSQLName, "user", "\"user\""},
        {"PGSQL", QuotePGSQLName, "_x$1", "_x$1"},
        {"PGSQL", QuotePGSQLName, "my col", "\"my col\""},
        {"PGSQL", QuotePGSQLName, "1a", "\"1a\""},
        // Oracle: first A-Z, then # $ A-Z _ 0-9.
        {"Oracle", QuoteOracleName, "CUSTOMER", "CUSTOMER"},
        {"Oracle", QuoteOracleName, "customer", "\"customer\""},
        {"Oracle", QuoteOracleName, "LEVEL", "\"LEVEL\""},
        {"Oracle", QuoteOracleName, "level", "\"level\""},
        {"Oracle", QuoteOracleName, "A#B$1", "A#B$1"},
        {"Oracle", QuoteOracleName, "A@B", "\"A@B\""},
        {"Oracle", QuoteOracleName, "A B", "\"A B\""},
    };
    for (const auto& R : Rows)
        EXPECT_EQ(R.Quote(R.Name), R.Expected) << R.Dialect << ": " << R.Name;
}

TEST(DialectQuoting, EmptyNameNeverQuoted) {
    for (QuoteFn Quote : {QuoteASAName, QuoteMySQLName, QuoteDB2Name, QuoteMSSQLName, QuoteLocalSQLName,
                          QuotePGSQLName, QuoteOracleName})
        EXPECT_EQ(Quote(""), "");
    EXPECT_FALSE(MSSQLNeedsQuotes(""));
    EXPECT_FALSE(PGSQLNeedsQuotes(""));
    for (int T = 0; T < DatabaseTypeCount; ++T)
        EXPECT_EQ(QuoteIdentifier("", static_cast<TDatabaseType>(T), st_Firebird_25, 3), "") << T;
}

TEST(DialectQuoting, NeedsQuotesAgreesWithQuote) {
    EXPECT_TRUE(MSSQLNeedsQuotes("select"));
    EXPECT_FALSE(MSSQLNeedsQuotes("Customer"));
    EXPECT_TRUE(PGSQLNeedsQuotes("Customer"));
    EXPECT_FALSE(PGSQLNeedsQuotes("customer"));
}

// A delimiter inside a name is doubled: otherwise the quoted name would end early and the rest of
// it would run on as SQL.
TEST(DialectQuoting, DelimiterInsideNameIsDoubled) {
    const QuoteRow Rows[] = {
        {"ASA", QuoteASAName, "a\"b", "\"a\"\"b\""},
        {"MySQL", QuoteMySQLName, "a`b", "`a``b`"},
        {"MySQL", QuoteMySQLName, "`", "````"},
        {"MySQL", QuoteMySQLName, "A`B", "`A``B`"}, // upper case, yet the backquote forces quotes
        {"LocalSQL", QuoteLocalSQLName, "A\"B", "\"A\"\"B\""},
        {"DB2", QuoteDB2Name, "a\"b", "\"a\"\"b\""},
        {"MSSQL", QuoteMSSQLName, "a]b", "[a]]b]"},
        {"MSSQL", QuoteMSSQLName, "a[b", "[a[b]"}, // only the closing bracket needs doubling
        {"MSSQL", QuoteMSSQLName, "x]; DROP TABLE t; --", "[x]]; DROP TABLE t; --]"},
        {"PGSQL", QuotePGSQLName, "a\"b", "\"a\"\"b\""},
        {"PGSQL", QuotePGSQLName, "\"\"", "\"\"\"\"\"\""},
        {"Oracle", QuoteOracleName, "a\"b", "\"a\"\"b\""},
    };
    for (const auto& R : Rows)
        EXPECT_EQ(R.Quote(R.Name), R.Expected) << R.Dialect << ": " << R.Name;
    EXPECT_EQ(QuoteIdentifier("a\"b", dbInterBase, st_Firebird_30, 3), "\"a\"\"b\"");
    EXPECT_EQ(QuoteIdentifier("a\"b", dbInterBase, st_Firebird_30, 1), "a\"b"); // dialect 1 quotes nothing
    EXPECT_EQ(QuoteIdentifier("a]b", dbMSSQL, st_Firebird_30, 3), "[a]]b]");
}

TEST(QuoteIdentifierDispatch, ByDatabaseTypeAndDialect) {
    struct Row {
        const char* Name;
        TDatabaseType Type;
        TIBSQLDialectType Dialect;
        const char* Expected;
    };
    const Row Rows[] = {
        {"ORDER", dbInterBase, 1, "ORDER"},      {"ORDER", dbInterBase, 2, "ORDER"},
        {"ORDER", dbInterBase, 3, "\"ORDER\""},  {"order", dbInterBase, 3, "\"order\""},
        {"order", dbInterBase, 1, "order"},      {"ORDERS", dbInterBase, 3, "ORDERS"},
        {"ORDER", dbSybaseASA, 3, "\"ORDER\""},  {"ORDER", dbMySQL, 3, "`ORDER`"},
        {"ORDER", dbOracle, 3, "\"ORDER\""},     {"ORDER", dbMSSQL, 3, "[ORDER]"},
        {"order", dbPostgreSQL, 3, "\"order\""}, {"orders", dbPostgreSQL, 3, "orders"},
        {"SELECT", dbDB2, 3, "\"SELECT\""},      {"ORDER", dbDB2, 3, "ORDER"}, // not in the DB2 table
        {"ORDER", dbParadox, 3, "\"ORDER\""},    {"ORDER", dbDBASE, 3, "\"ORDER\""},
        {"ORDER", dbSybaseASE, 3, "ORDER"},      {"ORDER", dbPervasiveSQL, 3, "ORDER"},
        {"ORDER", dbMSAccess, 3, "ORDER"},       {"ORDER", dbCustomOLEDB, 3, "ORDER"},
        {"ORDER", dbAbstract, 3, "ORDER"},
    };
    for (const auto& R : Rows)
        EXPECT_EQ(QuoteIdentifier(R.Name, R.Type, st_Firebird_25, R.Dialect), R.Expected)
            << R.Name << " type " << static_cast<int>(R.Type) << " dialect " << R.Dialect;
    // The server version reaches the InterBase rule.
    EXPECT_EQ(QuoteIdentifier("ROLE", dbInterBase, st_Firebird_25, 3), "ROLE");
    EXPECT_EQ(QuoteIdentifier("ROLE", dbInterBase, st_InterBase_6x, 3), "\"ROLE\"");
}

} // namespace
} // namespace smx
