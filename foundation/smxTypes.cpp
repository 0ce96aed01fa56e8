// Dialect helpers and attribute-record texts: see the header.
#include "foundation/smxTypes.h"

#include "platform/smxStrUtils.h"

namespace smx {

std::string TTableSpace::GetSQLText() const {
    std::string r;
    if (pctfree != 0) r += "   pctfree " + IntToStr(pctfree) + "\r\n";
    if (pctused != 0) r += "   pctused " + IntToStr(pctused) + "\r\n";
    if (initrans != 0) r += "   initrans " + IntToStr(initrans) + "\r\n";
    if (maxtrans != 0) r += "   maxtrans " + IntToStr(maxtrans) + "\r\n";
    if (!storage.empty()) r += "   storage\r\n" + storage;
    if (!extra.empty()) r += "   " + extra + "\r\n";
    return r.empty() ? r : Trim(r);
}

static void MergeInto(TTableSpace& to, const TTableSpace& from) {
    if (to.pctfree == 0) to.pctfree = from.pctfree;
    if (to.pctused == 0) to.pctused = from.pctused;
    if (to.initrans == 0) to.initrans = from.initrans;
    if (to.maxtrans == 0) to.maxtrans = from.maxtrans;
    if (to.storage.empty()) to.storage = from.storage;
}

void MergeTableSpaces(TTableSpace& A, TTableSpace& B) {
    MergeInto(A, B);
    MergeInto(B, A);
}

std::string TTypeDirective::GetSQLText() const {
    std::string r;
    if (Overriding) r += "OVERRIDING ";
    if (NotInstantiable) r += "NOT INSTANTIABLE ";
    if (NotFinal) r += "NOT FINAL ";
    if (Instantiable) r += "INSTANTIABLE ";
    if (Final) r += "FINAL ";
    return r;
}

std::string GetStatementTerminator(TDatabaseType DatabaseType) {
    switch (DatabaseType) {
    case TDatabaseType::dbSybaseASA:
    case TDatabaseType::dbSybaseASE:
        return "\r\ngo\r\n";
    case TDatabaseType::dbMSSQL:
        return "\r\nGO\r\n";
    default:
        return ";\r\n";
    }
}

// MySQL reads backslash escapes; byte 26 must be "\Z" (a MySQL server reads "\z" as the letter z).
static std::string MySQLLiteral(std::string_view text) {
    std::string r = "'";
    for (char c : text) {
        switch (c) {
        case '"':
        case '\'':
        case '\\':
            r += '\\';
            r += c;
            break;
        case '\r':
            r += "\\r";
            break;
        case '\n':
            r += "\\n";
            break;
        case '\b':
            r += "\\b";
            break;
        case '\x1A':
            r += "\\Z";
            break;
        case '\t':
            r += "\\t";
            break;
        case '\0':
            r += "\\0";
            break;
        default:
            r += c;
        }
    }
    r += '\'';
    return r;
}

// PostgreSQL: the backslash sequences are escapes only in an E'...' literal (with
// standard_conforming_strings on, the default since 9.1, a plain literal stores them as written), so a
// literal that holds one is written in the E form. A text without escapes keeps the plain form.
static std::string PostgreSQLLiteral(std::string_view text) {
    std::string body;
    bool escaped = false;
    for (char c : text) {
        switch (c) {
        case '\'':
            body += "''";
            break;
        case '\\':
            body += "\\x5c";
            escaped = true;
            break;
        case '\b':
            body += "\\b";
            escaped = true;
            break;
        case '\t':
            body += "\\t";
            escaped = true;
            break;
        case '\0':
            body += "\\x00";
            escaped = true;
            break;
        default:
            body += c;
        }
    }
    return (escaped ? "E'" : "'") + body + "'";
}

std::string GetSQLStringLiteral(std::string_view Text, TDatabaseType DatabaseType) {
    switch (DatabaseType) {
    case TDatabaseType::dbMySQL:
        return MySQLLiteral(Text);
    case TDatabaseType::dbPostgreSQL:
        return PostgreSQLLiteral(Text);
    default:
        return QuotedStr(Text, '\'');
    }
}

std::string GetQualifiedName(std::string_view Schema, std::string_view Name) {
    if (Schema.empty()) return std::string(Name);
    return std::string(Schema) + "." + std::string(Name);
}

bool IsCharInSet(unsigned char Ch, const TCharSet256& Set) { return (Set[Ch / 32] >> (Ch % 32)) & 1U; }

TCharSet256 MakeCharSet(std::string_view chars) {
    TCharSet256 s{};
    for (char c : chars) {
        auto b = static_cast<unsigned char>(c);
        s[b / 32] |= 1U << (b % 32);
    }
    return s;
}

bool IsIntegerStr(std::string_view Text, int& Value) { return TryStrToInt(Text, Value); }

} // namespace smx
