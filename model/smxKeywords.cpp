// The keyword tables of every dialect as constant data, the InterBase/Firebird per-version token sets
// and further reserved words, and the quoting routines built on them. Tables are plain lists, one
// entry a line, and their sizes are checked at compile time; the InterBase token sets are derived at
// compile time from the per-version lists of keywords that read as ordinary identifiers.
#include "model/smxKeywords.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "platform/smxStrUtils.h"

namespace smx {

namespace {

// --- InterBase / Firebird keyword table -----------------------------------------------------------

// clang-format off
constexpr auto IBKeywords = std::to_array<TResWordSymb>({
    {"ACTION", 30},
    {"ACTIVE", 31},
    {"ADD", 32},
    {"ADMIN", 33},
    {"AFTER", 34},
    {"ALL", 35},
    {"ALTER", 36},
    {"AND", 37},
    {"ANY", 38},
    {"AS", 39},
    {"ASC", 40},
    {"ASCENDING", 40},
    {"AT", 41},
    {"AUTO", 42},
    {"AVG", 43},
    {"_<charset>", 44},
    {"BEFORE", 45},
    {"BEGIN", 46},
    {"BETWEEN", 47},
    {"BLOB", 48},
    {"BY", 49},
    {"CACHE", 50},
    {"CASCADE", 51},
    {"CAST", 52},
    {"CHAR", 53},
    {"CHARACTER", 53},
    {"CHECK", 54},
    {"CHECK_POINT_LENGTH", 55},
    {"COLLATE", 56},
    {"COLUMN", 57},
    {"COMMIT", 58},
    {"COMPUTED", 59},
    {"CONDITIONAL", 60},
    {"CONSTRAINT", 61},
    {"CONTAINING", 62},
    {"COUNT", 63},
    {"CREATE", 64},
    {"CSTRING", 65},
    {"CURRENT", 66},
    {"CURRENT_DATE", 67},
    {"CURRENT_TIME", 68},
    {"CURRENT_TIMESTAMP", 69},
    {"CURSOR", 70},
    {"CURSOR", 70}, // stored twice
    {"DATABASE", 71},
    {"DATE", 72},
    {"BINARY", 74},
    {"DEC", 75},
    {"DECIMAL", 75},
    {"DECLARE", 76},
    {"DEFAULT", 77},
    {"DELETE", 78},
    {"DESC", 79},
    {"DESCENDING", 79},
    {"DISTINCT", 80},
    {"DO", 81},
    {"DOMAIN", 82},
    {"DOUBLE", 83},
    {"DROP", 84},
    {"ELSE", 85},
    {"END", 86},
    {"ENTRY_POINT", 87},
    {"ESCAPE", 88},
    {"EXCEPTION", 89},
    {"EXECUTE", 90},
    {"EXISTS", 91},
    {"EXIT", 92},
    {"EXTERNAL", 93},
    {"EXTRACT", 94},
    {"FILE", 95},
    {"FILTER", 96},
    {"FLOAT", 97},
    {"FOR", 98},
    {"FOREIGN", 99},
    {"FREE_IT", 100},
    {"FROM", 101},
    {"FULL", 102},
    {"FUNCTION", 103},
    {"GDSCODE", 104},
    {"GEN_ID", 105},
    {"GENERATOR", 106},
    {"GRANT", 107},
    {"GROUP", 108},
    {"HAVING", 109},
    {"VARBINARY", 110},
    {"IF", 111},
    {"IN", 112},
    {"INACTIVE", 113},
    {"INDEX", 114},
    {"INNER", 115},
    {"INSERT", 117},
    {"INT", 118},
    {"INTEGER", 118},
    {"INTO", 119},
    {"IS", 120},
    {"JOIN", 122},
    {"KEY", 123},
    {"LEFT", 124},
    {"LIKE", 127},
    {"MAX", 132},
    {"MERGE", 134},
    {"MIN", 136},
    {"MODULE_NAME", 138},
    {"NAMES", 140},
    {"NATIONAL", 141},
    {"NATURAL", 142},
    {"NO", 143},
    {"NOT", 144},
    {"NULL", 145},
    {"NUMERIC", 147},
    {"OF", 148},
    {"ON", 149},
    {"OPTION", 151},
    {"OR", 152},
    {"ORDER", 153},
    {"OUTER", 154},
    {"PAGE_SIZE", 158},
    {"PAGE_SIZE", 158}, // stored twice
    {"PARAMETER", 160},
    {"PASSWORD", 161},
    {"PLAN", 162},
    {"POSITION", 163},
    {"POST_EVENT", 164},
    {"PRECISION", 165},
    {"PRIMARY", 166},
    {"PRIVILEGES", 167},
    {"PROCEDURE", 168},
    {"RDB$DB_KEY", 171},
    {"REAL", 173},
    {"REFERENCES", 175},
    {"RETURNING_VALUES", 180},
    {"RETURNS", 181},
    {"REVOKE", 182},
    {"RIGHT", 183},
    {"ROLE", 184},
    {"SEGMENT", 188},
    {"SELECT", 189},
    {"SET", 190},
    {"SIMILAR", 192},
    {"SINGULAR", 193},
    {"SIZE", 194},
    {"SMALLINT", 195},
    {"SOME", 197},
    {"SORT", 198},
    {"SQLCODE", 199},
    {"STARTING", 201},
    {"STARTS", 202},
    {"STATISTICS", 203},
    {"SUB_TYPE", 204},
    {"SUM", 205},
    {"SUSPEND", 206},
    {"TABLE", 207},
    {"THEN", 208},
    {"TIME", 209},
    {"TIMESTAMP", 210},
    {"TO", 211},
    {"TRIGGER", 213},
    {"TYPE", 214},
    {"UNION", 215},
    {"UNIQUE", 216},
    {"UPDATE", 217},
    {"UPPER", 218},
    {"USER", 219},
    {"VALUE", 220},
    {"VALUES", 221},
    {"VARCHAR", 222},
    {"VARIABLE", 223},
    {"VARYING", 224},
    {"VIEW", 225},
    {"NCHAR", 226},
    {"WHEN", 228},
    {"WHERE", 229},
    {"WHILE", 230},
    {"WITH", 231},
    {"WORK", 232},
    {"YEAR", 234},
    {"YEARDAY", 235},
    {"RECREATE", 236},
    {"BIGINT", 237},
    {"SAVEPOINT", 238},
    {"GLOBAL", 239},
    {"GLOBAL", 239}, // stored twice
    {"PERCENT", 240},
    {"PRESERVE", 241},
    {"ROWS", 242},
    {"TEMPORARY", 243},
    {"TIES", 244},
    {"FETCH", 245},
    {"USING", 246},
    {"CLOSE", 247},
    {"CROSS", 248},
    {"OPEN", 249},
    {"BOOLEAN", 250},
    {"DESCRIBE", 251},
    {"DESCRIPTOR", 252},
    {"RELEASE", 253},
    {"RELEASE", 253}, // stored twice
    {"CASE", 254},
});
static_assert(IBKeywords.size() == 198);

// --- Keywords that read as ordinary identifiers, per server version --------------------------------
// Versions with the same list share one array.

// st_InterBase_4x
constexpr auto IBIdentsInterBase4x = std::to_array<std::string_view>({
    "ACTION",
    "ADMIN",
    "BIGINT",
    "BINARY",
    "BOOLEAN",
    "CASCADE",
    "CASE",
    "CLOSE",
    "COLUMN",
    "CROSS",
    "CURRENT_DATE",
    "CURRENT_TIME",
    "CURRENT_TIMESTAMP",
    "DESCRIBE",
    "DESCRIPTOR",
    "EXTRACT",
    "FETCH",
    "FREE_IT",
    "GLOBAL",
    "OPEN",
    "PERCENT",
    "PRESERVE",
    "RECREATE",
    "RELEASE",
    "ROLE",
    "ROWS",
    "SAVEPOINT",
    "TEMPORARY",
    "TIES",
    "TIME",
    "TIMESTAMP",
    "TYPE",
    "USING",
    "VARBINARY",
    "YEAR",
    "YEARDAY",
});
static_assert(IBIdentsInterBase4x.size() == 36);

// st_InterBase_5x
constexpr auto IBIdentsInterBase5x = std::to_array<std::string_view>({
    "BIGINT",
    "BINARY",
    "BOOLEAN",
    "CASE",
    "CLOSE",
    "COLUMN",
    "CROSS",
    "CURRENT_DATE",
    "CURRENT_TIME",
    "CURRENT_TIMESTAMP",
    "DESCRIBE",
    "DESCRIPTOR",
    "EXTRACT",
    "FETCH",
    "GLOBAL",
    "OPEN",
    "PERCENT",
    "PRESERVE",
    "RECREATE",
    "RELEASE",
    "ROWS",
    "SAVEPOINT",
    "TEMPORARY",
    "TIES",
    "TIME",
    "TIMESTAMP",
    "TYPE",
    "USING",
    "VARBINARY",
    "YEAR",
    "YEARDAY",
});
static_assert(IBIdentsInterBase5x.size() == 31);

// st_InterBase_6x
constexpr auto IBIdentsInterBase6x = std::to_array<std::string_view>({
    "BIGINT",
    "BINARY",
    "BOOLEAN",
    "CASE",
    "CLOSE",
    "CROSS",
    "DESCRIBE",
    "DESCRIPTOR",
    "FETCH",
    "GLOBAL",
    "OPEN",
    "PERCENT",
    "PRESERVE",
    "RECREATE",
    "RELEASE",
    "SAVEPOINT",
    "TEMPORARY",
    "TIES",
    "USING",
    "VARBINARY",
});
static_assert(IBIdentsInterBase6x.size() == 20);

// st_FireBird_1x
constexpr auto IBIdentsFireBird1x = std::to_array<std::string_view>({
    "BIGINT",
    "BINARY",
    "BOOLEAN",
    "CASE",
    "CLOSE",
    "CROSS",
    "DESCRIBE",
    "DESCRIPTOR",
    "FETCH",
    "GLOBAL",
    "OPEN",
    "PERCENT",
    "PRESERVE",
    "RELEASE",
    "ROWS",
    "SAVEPOINT",
    "TEMPORARY",
    "TIES",
    "USING",
    "VARBINARY",
});
static_assert(IBIdentsFireBird1x.size() == 20);

// st_Yaffil_1x
constexpr auto IBIdentsYaffil1x = std::to_array<std::string_view>({
    "BIGINT",
    "BOOLEAN",
    "CLOSE",
    "COLUMN",
    "CROSS",
    "CURRENT_DATE",
    "CURRENT_TIME",
    "CURRENT_TIMESTAMP",
    "DESCRIBE",
    "DESCRIPTOR",
    "EXTRACT",
    "FETCH",
    "GLOBAL",
    "OPEN",
    "PERCENT",
    "PRESERVE",
    "RECREATE",
    "RELEASE",
    "ROWS",
    "SAVEPOINT",
    "TEMPORARY",
    "TIES",
    "TYPE",
    "USING",
});
static_assert(IBIdentsYaffil1x.size() == 24);

// st_FireBird_15
constexpr auto IBIdentsFireBird15 = std::to_array<std::string_view>({
    "BINARY",
    "BOOLEAN",
    "CLOSE",
    "CROSS",
    "DESCRIBE",
    "DESCRIPTOR",
    "FETCH",
    "GLOBAL",
    "OPEN",
    "PERCENT",
    "PRESERVE",
    "ROWS",
    "TEMPORARY",
    "TIES",
    "USING",
    "VARBINARY",
});
static_assert(IBIdentsFireBird15.size() == 16);

// st_InterBase_7x, st_InterBase_75 and st_InterBase_2020
constexpr auto IBIdentsInterBase7x = std::to_array<std::string_view>({
    "BIGINT",
    "BINARY",
    "CLOSE",
    "CROSS",
    "DESCRIBE",
    "DESCRIPTOR",
    "FETCH",
    "OPEN",
    "RECREATE",
    "USING",
    "VARBINARY",
});
static_assert(IBIdentsInterBase7x.size() == 11);

// st_Firebird_20, st_Firebird_21 and st_Firebird_25
constexpr auto IBIdentsFirebird2x = std::to_array<std::string_view>({
    "ACTION",
    "BINARY",
    "BOOLEAN",
    "CACHE",
    "CASCADE",
    "CHECK_POINT_LENGTH",
    "DESCRIBE",
    "DESCRIPTOR",
    "FREE_IT",
    "GLOBAL",
    "PERCENT",
    "ROLE",
    "TEMPORARY",
    "TIES",
    "VARBINARY",
});
static_assert(IBIdentsFirebird2x.size() == 15);

// st_Firebird_30
constexpr auto IBIdentsFirebird30 = std::to_array<std::string_view>({
    "ACTION",
    "ACTIVE",
    "AFTER",
    "ASC",
    "ASCENDING",
    "AUTO",
    "BEFORE",
    "BINARY",
    "BOOLEAN",
    "CASCADE",
    "COMPUTED",
    "CONDITIONAL",
    "CONTAINING",
    "CSTRING",
    "DATABASE",
    "DESC",
    "DESCENDING",
    "DESCRIBE",
    "DESCRIPTOR",
    "DO",
    "DOMAIN",
    "ENTRY_POINT",
    "EXCEPTION",
    "EXIT",
    "FILE",
    "FREE_IT",
    "GENERATOR",
    "GEN_ID",
    "IF",
    "INACTIVE",
    "KEY",
    "MODULE_NAME",
    "NAMES",
    "OPTION",
    "PAGE_SIZE",
    "PASSWORD",
    "PERCENT",
    "PRESERVE",
    "PRIVILEGES",
    "RELEASE",
    "ROLE",
    "SEGMENT",
    "SINGULAR",
    "SIZE",
    "SORT",
    "STARTING",
    "STARTS",
    "STATISTICS",
    "SUB_TYPE",
    "SUSPEND",
    "TEMPORARY",
    "TIES",
    "TYPE",
    "USING",
    "VARBINARY",
    "WORK",
    "YEARDAY",
});
static_assert(IBIdentsFirebird30.size() == 57);

// st_Firebird_40
constexpr auto IBIdentsFirebird40 = std::to_array<std::string_view>({
    "ACTION",
    "ACTIVE",
    "AFTER",
    "ASC",
    "ASCENDING",
    "AUTO",
    "BEFORE",
    "BOOLEAN",
    "CASCADE",
    "COMPUTED",
    "CONDITIONAL",
    "CONTAINING",
    "CSTRING",
    "DATABASE",
    "DESC",
    "DESCENDING",
    "DESCRIBE",
    "DESCRIPTOR",
    "DO",
    "DOMAIN",
    "ENTRY_POINT",
    "EXCEPTION",
    "EXIT",
    "FILE",
    "FREE_IT",
    "GENERATOR",
    "GEN_ID",
    "IF",
    "INACTIVE",
    "MODULE_NAME",
    "NAMES",
    "OPTION",
    "PAGE_SIZE",
    "PASSWORD",
    "PERCENT",
    "PRESERVE",
    "RELEASE",
    "ROLE",
    "SEGMENT",
    "SINGULAR",
    "SIZE",
    "SORT",
    "STARTING",
    "STARTS",
    "STATISTICS",
    "SUB_TYPE",
    "SUSPEND",
    "TEMPORARY",
    "TIES",
    "TYPE",
    "USING",
    "WORK",
    "YEARDAY",
});
static_assert(IBIdentsFirebird40.size() == 53);

// --- Further reserved words, per server version -----------------------------------------------------

// Base list of the InterBase servers and of Firebird 1.x and 1.5.
constexpr auto IBWordsL1 = std::to_array<std::string_view>({
    "BASE_NAME",
    "DEBUG",
    "INPUT_TYPE",
    "ISOLATION",
    "LENGTH",
    "LEVEL",
    "LOGFILE",
    "LOG_BUFFER_SIZE",
    "LONG",
    "MANUAL",
    "MAXIMUM_SEGMENT",
    "MESSAGE",
    "NUM_LOG_BUFFERS",
    "ONLY",
    "OUTPUT_TYPE",
    "OVERFLOW",
    "PAGE",
    "PAGES",
    "PROTECTED",
    "RAW_PARTITIONS",
    "READ",
    "RECORD_VERSION",
    "RESERV",
    "RESERVING",
    "RETAIN",
    "ROLLBACK",
    "SCHEMA",
    "SHADOW",
    "SHARED",
    "SNAPSHOT",
    "STABILITY",
    "STARTS",
    "TRANSACTION",
    "WAIT",
    "WRITE",
});
static_assert(IBWordsL1.size() == 35);

// Base list of Firebird 2.0 and later.
constexpr auto IBWordsL2 = std::to_array<std::string_view>({
    "BIGINT",
    "BIT_LENGTH",
    "BOTH",
    "CASE",
    "CHARACTER_LENGTH",
    "CHAR_LENGTH",
    "CLOSE",
    "CROSS",
    "CURRENT_CONNECTION",
    "CURRENT_ROLE",
    "CURRENT_TRANSACTION",
    "CURRENT_USER",
    "DAY",
    "DEBUG",
    "FETCH",
    "HOUR",
    "INPUT_TYPE",
    "ISOLATION",
    "LEADING",
    "LENGTH",
    "LEVEL",
    "LONG",
    "LOWER",
    "MANUAL",
    "MESSAGE",
    "MINUTE",
    "MONTH",
    "OCTET_LENGTH",
    "ONLY",
    "OPEN",
    "OUTPUT_TYPE",
    "OVERFLOW",
    "PAGE",
    "PAGES",
    "PROTECTED",
    "READ",
    "RECORD_VERSION",
    "RECREATE",
    "RELEASE",
    "RESERV",
    "RESERVING",
    "RETAIN",
    "ROLLBACK",
    "ROWS",
    "ROW_COUNT",
    "SAVEPOINT",
    "SCHEMA",
    "SECOND",
    "SHADOW",
    "SHARED",
    "SNAPSHOT",
    "STABILITY",
    "STARTS",
    "TRAILING",
    "TRANSACTION",
    "TRIM",
    "USING",
    "WAIT",
    "WRITE",
    "YEAR",
});
static_assert(IBWordsL2.size() == 60);

// Additions, each to the list named where the lists are joined below.
constexpr auto IBWordsAdd5x = std::to_array<std::string_view>({
    "RESTRICT",
});
static_assert(IBWordsAdd5x.size() == 1);

constexpr auto IBWordsAdd6x = std::to_array<std::string_view>({
    "RESTRICT",
    "DAY",
    "HOUR",
    "MINUTE",
    "MONTH",
    "SECOND",
    "WEEKDAY",
    "YEAR",
    "YEARDAY",
});
static_assert(IBWordsAdd6x.size() == 9);

constexpr auto IBWordsAddFB1x = std::to_array<std::string_view>({
    "BREAK",
    "CURRENT_ROLE",
    "CURRENT_USER",
    "DESCRIPTOR",
    "FIRST",
    "RECREATE",
    "SKIP",
    "SUBSTRING",
});
static_assert(IBWordsAddFB1x.size() == 8);

constexpr auto IBWordsAddFB15 = std::to_array<std::string_view>({
    "BIGINT",
    "CASE",
    "CURRENT_CONNECTION",
    "CURRENT_ROLE",
    "CURRENT_TRANSACTION",
    "CURRENT_USER",
    "RECREATE",
    "RELEASE",
    "ROW_COUNT",
    "SAVEPOINT",
});
static_assert(IBWordsAddFB15.size() == 10);

constexpr auto IBWordsAdd7x = std::to_array<std::string_view>({
    "COALESCE",
    "FALSE",
    "NULLIF",
    "TRUE",
    "UNKNOWN",
});
static_assert(IBWordsAdd7x.size() == 5);

constexpr auto IBWordsAddFB25 = std::to_array<std::string_view>({
    "OVER",
});
static_assert(IBWordsAddFB25.size() == 1);

constexpr auto IBWordsAddFB30 = std::to_array<std::string_view>({
    "BOOLEAN",
    "CORR",
    "COVAR_POP",
    "COVAR_SAMP",
    "DELETING",
    "DETERMINISTIC",
    "FALSE",
    "INSERTING",
    "OFFSET",
    "RDB$RECORD_VERSION",
    "REGR_AVGX",
    "REGR_AVGY",
    "REGR_COUNT",
    "REGR_INTERCEPT",
    "REGR_R2",
    "REGR_SLOPE",
    "REGR_SXX",
    "REGR_SXY",
    "REGR_SYY",
    "RETURN",
    "ROW",
    "SCROLL",
    "SQLSTATE",
    "STDDEV_POP",
    "STDDEV_SAMP",
    "TRUE",
    "UNKNOWN",
    "UPDATING",
    "VAR_POP",
    "VAR_SAMP",
});
static_assert(IBWordsAddFB30.size() == 30);

constexpr auto IBWordsAddFB40 = std::to_array<std::string_view>({
    "BINARY",
    "TIMEZONE_HOUR",
    "TIMEZONE_MINUTE",
    "VARBINARY",
    "WITHOUT",
});
static_assert(IBWordsAddFB40.size() == 5);

constexpr auto IBWordsAdd2020 = std::to_array<std::string_view>({
    "DESCRIPTION",
    "NAME",
    "SUBSCRIBE",
    "SYSTEM",
});
static_assert(IBWordsAdd2020.size() == 4);

// --- Other dialects' keyword tables and reserved-word lists -----------------------------------------
// The MySQL table carries the display name of its character-set introducer, the PostgreSQL table five
// operator display names; neither kind ever matches a name.

constexpr auto ASAKeywords = std::to_array<std::string_view>({
    "ADD",
    "ALL",
    "ALTER",
    "AND",
    "ANY",
    "AS",
    "ASC",
    "BEGIN",
    "BETWEEN",
    "BIGINT",
    "BINARY",
    "BIT",
    "BY",
    "CALL",
    "CASCADE",
    "CHAR",
    "CHARACTER",
    "CHECK",
    "CLOSE",
    "COMMENT",
    "COMMIT",
    "CONNECT",
    "CONSTRAINT",
    "CREATE",
    "CURRENT",
    "CURRENT_TIMESTAMP",
    "CURRENT_USER",
    "DATE",
    "DBSPACE",
    "DEC",
    "DECIMAL",
    "DECLARE",
    "DEFAULT",
    "DELETE",
    "DESC",
    "DOUBLE",
    "DROP",
    "ENCRYPTED",
    "END",
    "EXCEPTION",
    "EXEC",
    "EXECUTE",
    "FLOAT",
    "FOR",
    "FOREIGN",
    "FROM",
    "GRANT",
    "GROUP",
    "IDENTIFIED",
    "IF",
    "IN",
    "INDEX",
    "INOUT",
    "INSERT",
    "INT",
    "INTEGER",
    "INTO",
    "IS",
    "KEY",
    "LONG",
    "MEMBERSHIP",
    "MESSAGE",
    "MODE",
    "MODIFY",
    "NATURAL",
    "NO",
    "NOT",
    "NOTIFY",
    "NULL",
    "NUMERIC",
    "OF",
    "OFF",
    "ON",
    "OPEN",
    "OPTION",
    "OPTIONS",
    "OR",
    "ORDER",
    "OUT",
    "OUTER",
    "PRECISION",
    "PRIMARY",
    "PRIVILEGES",
    "PROC",
    "PROCEDURE",
    "PUBLICATION",
    "REAL",
    "REFERENCES",
    "REMAME",
    "REMOTE",
    "RESOURCE",
    "RESTORE",
    "RESTRICT",
    "REVOKE",
    "SELECT",
    "SET",
    "SETUSER",
    "SMALLINT",
    "START",
    "TABLE",
    "TEMPORARY",
    "TIME",
    "TIMESTAMP",
    "TINYINT",
    "TO",
    "TRAN",
    "TRANSACTION",
    "TRIGGER",
    "TRUNCATE",
    "UNIQUE",
    "UNIQUEIDENTIFIER",
    "UNKNOWN",
    "UNSIGNED",
    "UPDATE",
    "USER",
    "USING",
    "VALUES",
    "VARBINARY",
    "VARCHAR",
    "VARIABLE",
    "VARYING",
    "VIEW",
    "WHEN",
    "WITH",
    "WORK",
});
static_assert(ASAKeywords.size() == 125);

constexpr auto ASAReservedWords = std::to_array<std::string_view>({
    "BACKUP",
    "BETWEEN",
    "BOTTOM",
    "BREAK",
    "CAPABILITY",
    "CASE",
    "CAST",
    "CHAR_CONVERT",
    "CHECKPOINT",
    "CONFLICT",
    "CONTAINS",
    "CONTINUE",
    "CONVERT",
    "CROSS",
    "CUBE",
    "CURSOR",
    "DBSPACE",
    "DEALLOCATE",
    "DELETING",
    "DISTINCT",
    "DO",
    "DYNAMIC",
    "ELSE",
    "ELSEIF",
    "ENDIF",
    "ESCAPE",
    "EXCEPT",
    "EXISTING",
    "EXISTS",
    "EXTERNLOGIN",
    "FETCH",
    "FIRST",
    "FORCE",
    "FORWARD",
    "FULL",
    "GOTO",
    "HAVING",
    "HOLDLOCK",
    "INDEX_LPAREN",
    "INNER",
    "INSENSITIVE",
    "INSERTING",
    "INSTALL",
    "INSTEAD",
    "INTEGRATED",
    "INTERSECT",
    "IQ",
    "ISOLATION",
    "JOIN",
    "LATERAL",
    "LEFT",
    "LIKE",
    "LOCK",
    "LOGIN",
    "MATCH",
    "NEW",
    "NOHOLDLOCK",
    "OTHERS",
    "OVER",
    "PASSTHROUGH",
    "PREPARE",
    "PRINT",
    "PUBLICATION",
    "RAISERROR",
    "READTEXT",
    "REFERENCE",
    "RELEASE",
    "REORGANIZE",
    "RETURN",
    "RIGHT",
    "ROLLBACK",
    "ROLLUP",
    "SAVE",
    "SAVEPOINT",
    "SCROLL",
    "SENSITIVE",
    "SESSION",
    "SHARE",
    "SOME",
    "SQLCODE",
    "SQLSTATE",
    "START",
    "STOP",
    "SUBTRANS",
    "SUBTRANSACTION",
    "SYNCHRONIZE",
    "SYNTAX_ERROR",
    "THEN",
    "TOP",
    "TRAN",
    "TSEQUAL",
    "UNBOUNDED",
    "UNION",
    "UPDATING",
    "VALIDATE",
    "WAIT",
    "WAITFOR",
    "WHERE",
    "WHILE",
    "WINDOW",
    "WITHIN",
    "WITH_CUBE",
    "WITH_LPAREN",
    "WITH_ROLLUP",
    "WRITETEXT",
});
static_assert(ASAReservedWords.size() == 105);

constexpr auto MySQLKeywords = std::to_array<std::string_view>({
    "ADD",
    "ALTER",
    "AS",
    "BIGINT",
    "BINARY",
    "BIT",
    "BLOB",
    "BOOL",
    "CALL",
    "CASCADE",
    "CHAR",
    "CHARACTER",
    "COLLATE",
    "CONSTRAINT",
    "CREATE",
    "DATABASE",
    "DATE",
    "DATETIME",
    "DEC",
    "DECIMAL",
    "DEFAULT",
    "DELETE",
    "DOUBLE",
    "DROP",
    "ENUM",
    "EXISTS",
    "FLOAT",
    "FOREIGN",
    "FROM",
    "FULLTEXT",
    "IF",
    "INDEX",
    "INSERT",
    "INT",
    "INTEGER",
    "INTO",
    "KEY",
    "LONGBLOB",
    "LONGTEXT",
    "MEDIUMBLOB",
    "MEDIUMINT",
    "MEDIUMTEXT",
    "NATIONAL",
    "NOT",
    "NULL",
    "NUMERIC",
    "ON",
    "OR",
    "PRECISION",
    "PRIMARY",
    "REAL",
    "REFERENCES",
    "REPLACE",
    "RESTRICT",
    "SELECT",
    "SET",
    "SMALLINT",
    "SPATIAL",
    "SQL",
    "TABLE",
    "TEMPORARY",
    "TEXT",
    "TIME",
    "TINYBLOB",
    "TINYINT",
    "TINYTEXT",
    "UNIQUE",
    "UNSIGNED",
    "UPDATE",
    "USE",
    "VARBINARY",
    "VARCHAR",
    "YEAR",
    "ZEROFILL",
    "_<charset>",
});
static_assert(MySQLKeywords.size() == 75);

constexpr auto MySQLReservedWords = std::to_array<std::string_view>({
    "ADD",
    "ALL",
    "ALTER",
    "ANALYZE",
    "AND",
    "AS",
    "ASC",
    "ASENSITIVE",
    "BEFORE",
    "BETWEEN",
    "BIGINT",
    "BINARY",
    "BLOB",
    "BOTH",
    "BY",
    "CALL",
    "CASCADE",
    "CASE",
    "CHANGE",
    "CHAR",
    "CHARACTER",
    "CHECK",
    "COLLATE",
    "COLUMN",
    "CONDITION",
    "CONNECTION",
    "CONSTRAINT",
    "CONTINUE",
    "CONVERT",
    "CREATE",
    "CROSS",
    "CURRENT_DATE",
    "CURRENT_TIME",
    "CURRENT_TIMESTAMP",
    "CURRENT_USER",
    "CURSOR",
    "DATABASE",
    "DATABASES",
    "DAY_HOUR",
    "DAY_MICROSECOND",
    "DAY_MINUTE",
    "DAY_SECOND",
    "DEC",
    "DECIMAL",
    "DECLARE",
    "DEFAULT",
    "DELAYED",
    "DELETE",
    "DESC",
    "DESCRIBE",
    "DETERMINISTIC",
    "DISTINCT",
    "DISTINCTROW",
    "DIV",
    "DOUBLE",
    "DROP",
    "DUAL",
    "EACH",
    "ELSE",
    "ELSEIF",
    "ENCLOSED",
    "ESCAPED",
    "EXISTS",
    "EXIT",
    "EXPLAIN",
    "FALSE",
    "FETCH",
    "FIELD",
    "FLOAT",
    "FOR",
    "FORCE",
    "FOREIGN",
    "FROM",
    "FULLTEXT",
    "GOTO",
    "GRANT",
    "GROUP",
    "HAVING",
    "HIGH_PRIORITY",
    "HOUR_MICROSECOND",
    "HOUR_MINUTE",
    "HOUR_SECOND",
    "IF",
    "IGNORE",
    "IN",
    "INDEX",
    "INFILE",
    "INNER",
    "INOUT",
    "INSENSITIVE",
    "INSERT",
    "INT",
    "INTEGER",
    "INTERVAL",
    "INTO",
    "IS",
    "ITERATE",
    "JOIN",
    "KEY",
    "KEYS",
    "KILL",
    "LEADING",
    "LEAVE",
    "LEFT",
    "LIKE",
    "LIMIT",
    "LINES",
    "LOAD",
    "LOCALTIME",
    "LOCALTIMESTAMP",
    "LOCK",
    "LONG",
    "LONGBLOB",
    "LONGTEXT",
    "LOOP",
    "LOW_PRIORITY",
    "MATCH",
    "MEDIUMBLOB",
    "MEDIUMINT",
    "MEDIUMTEXT",
    "MIDDLEINT",
    "MINUTE_MICROSECOND",
    "MINUTE_SECOND",
    "MOD",
    "MODIFIES",
    "NATURAL",
    "NOT",
    "NO_WRITE_TO_BINLOG",
    "NULL",
    "NUMERIC",
    "ON",
    "OPTIMIZE",
    "OPTION",
    "OPTIONALLY",
    "OR",
    "ORDER",
    "OUT",
    "OUTER",
    "OUTFILE",
    "PRECISION",
    "PRIMARY",
    "PROCEDURE",
    "PURGE",
    "READ",
    "READS",
    "REAL",
    "REFERENCES",
    "REGEXP",
    "RELEASE",
    "RENAME",
    "REPEAT",
    "REPLACE",
    "REQUIRE",
    "RESTRICT",
    "RETURN",
    "REVOKE",
    "RIGHT",
    "RLIKE",
    "SCHEMA",
    "SCHEMAS",
    "SECOND_MICROSECOND",
    "SELECT",
    "SENSITIVE",
    "SEPARATOR",
    "SET",
    "SHOW",
    "SMALLINT",
    "SONAME",
    "SPATIAL",
    "SPECIFIC",
    "SQL",
    "SQLEXCEPTION",
    "SQLSTATE",
    "SQLWARNING",
    "SQL_BIG_RESULT",
    "SQL_CALC_FOUND_ROWS",
    "SQL_SMALL_RESULT",
    "SSL",
    "STARTING",
    "STRAIGHT_JOIN",
    "TABLE",
    "TERMINATED",
    "THEN",
    "TINYBLOB",
    "TINYINT",
    "TINYTEXT",
    "TO",
    "TRAILING",
    "TRIGGER",
    "TRUE",
    "UNDO",
    "UNION",
    "UNIQUE",
    "UNLOCK",
    "UNSIGNED",
    "UPDATE",
    "USAGE",
    "USE",
    "USING",
    "UTC_DATE",
    "UTC_TIME",
    "UTC_TIMESTAMP",
    "VALUES",
    "VARBINARY",
    "VARCHAR",
    "VARCHARACTER",
    "VARYING",
    "WHEN",
    "WHERE",
    "WHILE",
    "WITH",
    "WRITE",
    "XOR",
    "YEAR_MONTH",
    "ZEROFILL",
});
static_assert(MySQLReservedWords.size() == 215);

constexpr auto DB2Keywords = std::to_array<std::string_view>({
    "ADD",
    "AFTER",
    "ALIAS",
    "ALLOW",
    "ALTER",
    "AS",
    "AUTHORIZATION",
    "BEFORE",
    "BUFFERPOOL",
    "BY",
    "CACHE",
    "CAPTURE",
    "CARDINALITY",
    "CHAR",
    "CHARACTER",
    "CHECK",
    "CLUSTER",
    "COMMIT",
    "CONNECT",
    "CONSTRAINT",
    "CREATE",
    "CURRENT",
    "DATA",
    "DATABASE",
    "DB2SQL",
    "DEFAULT",
    "DELETE",
    "DISALLOW",
    "DOUBLE",
    "EACH",
    "FILE",
    "FOR",
    "FOREIGN",
    "GENERATED",
    "GRANT",
    "GRAPHIC",
    "GROUP",
    "IDENTITY",
    "IN",
    "INCREMENT",
    "INDEX",
    "INSERT",
    "KEY",
    "LONG",
    "MODE",
    "NEW",
    "NEW_TABLE",
    "NO",
    "NOT",
    "NULL",
    "OF",
    "OLD",
    "OLD_TABLE",
    "ON",
    "OPTIMIZATION",
    "OPTION",
    "PARTITION",
    "PATH",
    "PRIMARY",
    "RECOVERY",
    "REFERENCES",
    "REFERENCING",
    "RESET",
    "RESTRICT",
    "ROW",
    "SCHEMA",
    "SELECT",
    "SET",
    "START",
    "SYSTEM",
    "TABLE",
    "TABLESPACE",
    "TO",
    "TRIGGER",
    "UNIQUE",
    "UPDATE",
    "USER",
    "USING",
    "VIEW",
    "WHEN",
    "WITH",
    "YEARS",
});
static_assert(DB2Keywords.size() == 82);

constexpr auto MSSQLKeywords = std::to_array<std::string_view>({
    "ADD",
    "ALL",
    "ALTER",
    "AND",
    "ANY",
    "AS",
    "ASC",
    "AUTHORIZATION",
    "BACKUP",
    "BEGIN",
    "BETWEEN",
    "BREAK",
    "BROWSE",
    "BULK",
    "BY",
    "CASCADE",
    "CASE",
    "CHECK",
    "CHECKPOINT",
    "CLOSE",
    "CLUSTERED",
    "COALESCE",
    "COLLATE",
    "COLUMN",
    "COMMIT",
    "COMPUTE",
    "CONSTRAINT",
    "CONTAINS",
    "CONTAINSTABLE",
    "CONTINUE",
    "CONVERT",
    "CREATE",
    "CROSS",
    "CURRENT",
    "CURRENT_DATE",
    "CURRENT_TIME",
    "CURRENT_TIMESTAMP",
    "CURRENT_USER",
    "CURSOR",
    "DATABASE",
    "DBCC",
    "DEALLOCATE",
    "DECLARE",
    "DEFAULT",
    "DELETE",
    "DENY",
    "DESC",
    "DISK",
    "DISTINCT",
    "DISTRIBUTED",
    "DOUBLE",
    "DROP",
    "DUMP",
    "ELSE",
    "END",
    "END CONVERSATION",
    "ERRLVL",
    "ESCAPE",
    "EXCEPT",
    "EXEC",
    "EXECUTE",
    "EXISTS",
    "EXIT",
    "FETCH",
    "FILE",
    "FILLFACTOR",
    "FOR",
    "FOREIGN",
    "FREETEXT",
    "FREETEXTTABLE",
    "FROM",
    "FULL",
    "FUNCTION",
    "GOTO",
    "GRANT",
    "GROUP",
    "HAVING",
    "HOLDLOCK",
    "IDENTITY",
    "IDENTITYCOL",
    "IDENTITY_INSERT",
    "IF",
    "IN",
    "INDEX",
    "INNER",
    "INSERT",
    "INTERSECT",
    "INTO",
    "IS",
    "JOIN",
    "KEY",
    "KILL",
    "LEFT",
    "LIKE",
    "LINENO",
    "LOAD",
    "NATIONAL",
    "NOCHECK",
    "NONCLUSTERED",
    "NOT",
    "NULL",
    "NULLIF",
    "OF",
    "OFF",
    "OFFSETS",
    "ON",
    "OPEN",
    "OPENDATASOURCE",
    "OPENQUERY",
    "OPENROWSET",
    "OPENXML",
    "OPTION",
    "OR",
    "ORDER",
    "OUTER",
    "OVER",
    "PERCENT",
    "PLAN",
    "PRECISION",
    "PRIMARY",
    "PRINT",
    "PROC",
    "PROCEDURE",
    "PUBLIC",
    "RAISERROR",
    "READ",
    "READTEXT",
    "RECONFIGURE",
    "REFERENCES",
    "REPLICATION",
    "RESTORE",
    "RESTRICT",
    "RETURN",
    "REVOKE",
    "RIGHT",
    "ROLLBACK",
    "ROWCOUNT",
    "ROWGUIDCOL",
    "RULE",
    "SAVE",
    "SCHEMA",
    "SELECT",
    "SESSION_USER",
    "SET",
    "SETUSER",
    "SHUTDOWN",
    "SOME",
    "STATISTICS",
    "SYSTEM_USER",
    "TABLE",
    "TEXTSIZE",
    "THEN",
    "TO",
    "TOP",
    "TRAN",
    "TRANSACTION",
    "TRIGGER",
    "TRUNCATE",
    "TSEQUAL",
    "UNION",
    "UNIQUE",
    "UPDATE",
    "UPDATETEXT",
    "USE",
    "USER",
    "VALUES",
    "VARYING",
    "VIEW",
    "WAITFOR",
    "WHEN",
    "WHERE",
    "WHILE",
    "WITH",
    "WRITETEXT",
});
static_assert(MSSQLKeywords.size() == 174);

constexpr auto MSSQLReservedWords = std::to_array<std::string_view>({
    "ADD",
    "ALL",
    "ALTER",
    "AND",
    "ANY",
    "AS",
    "ASC",
    "AUTHORIZATION",
    "BACKUP",
    "BEGIN",
    "BETWEEN",
    "BREAK",
    "BROWSE",
    "BULK",
    "BY",
    "CASCADE",
    "CASE",
    "CHECK",
    "CHECKPOINT",
    "CLOSE",
    "CLUSTERED",
    "COALESCE",
    "COLLATE",
    "COLUMN",
    "COMMIT",
    "COMPUTE",
    "CONSTRAINT",
    "CONTAINS",
    "CONTAINSTABLE",
    "CONTINUE",
    "CONVERT",
    "CREATE",
    "CROSS",
    "CURRENT",
    "CURRENT_DATE",
    "CURRENT_TIME",
    "CURRENT_TIMESTAMP",
    "CURRENT_USER",
    "CURSOR",
    "DATABASE",
    "DBCC",
    "DEALLOCATE",
    "DECLARE",
    "DEFAULT",
    "DELETE",
    "DENY",
    "DESC",
    "DISK",
    "DISTINCT",
    "DISTRIBUTED",
    "DOUBLE",
    "DROP",
    "DUMMY",
    "DUMP",
    "ELSE",
    "END",
    "ERRLVL",
    "ESCAPE",
    "EXCEPT",
    "EXEC",
    "EXECUTE",
    "EXISTS",
    "EXIT",
    "FETCH",
    "FILE",
    "FILLFACTOR",
    "FOR",
    "FOREIGN",
    "FREETEXT",
    "FREETEXTTABLE",
    "FROM",
    "FULL",
    "FUNCTION",
    "GOTO",
    "GRANT",
    "GROUP",
    "HAVING",
    "HOLDLOCK",
    "IDENTITY",
    "IDENTITYCOL",
    "IDENTITY_INSERT",
    "IF",
    "IN",
    "INDEX",
    "INNER",
    "INSERT",
    "INTERSECT",
    "INTO",
    "IS",
    "JOIN",
    "KEY",
    "KILL",
    "LEFT",
    "LIKE",
    "LINENO",
    "LOAD",
    "NATIONAL",
    "NOCHECK",
    "NONCLUSTERED",
    "NOT",
    "NULL",
    "NULLIF",
    "OF",
    "OFF",
    "OFFSETS",
    "ON",
    "OPEN",
    "OPENDATASOURCE",
    "OPENQUERY",
    "OPENROWSET",
    "OPENXML",
    "OPTION",
    "OR",
    "ORDER",
    "OUTER",
    "OVER",
    "PERCENT",
    "PLAN",
    "PRECISION",
    "PRIMARY",
    "PRINT",
    "PROC",
    "PROCEDURE",
    "PUBLIC",
    "RAISERROR",
    "READ",
    "READTEXT",
    "RECONFIGURE",
    "REFERENCES",
    "REPLICATION",
    "RESTORE",
    "RESTRICT",
    "RETURN",
    "REVOKE",
    "RIGHT",
    "ROLLBACK",
    "ROWCOUNT",
    "ROWGUIDCOL",
    "RULE",
    "SAVE",
    "SCHEMA",
    "SELECT",
    "SESSION_USER",
    "SET",
    "SETUSER",
    "SHUTDOWN",
    "SOME",
    "STATISTICS",
    "SYSTEM_USER",
    "TABLE",
    "TEXTSIZE",
    "THEN",
    "TO",
    "TOP",
    "TRAN",
    "TRANSACTION",
    "TRIGGER",
    "TRUNCATE",
    "TSEQUAL",
    "UNION",
    "UNIQUE",
    "UPDATE",
    "UPDATETEXT",
    "USE",
    "USER",
    "VALUES",
    "VARYING",
    "VIEW",
    "WAITFOR",
    "WHEN",
    "WHERE",
    "WHILE",
    "WITH",
    "WRITETEXT",
});
static_assert(MSSQLReservedWords.size() == 174);

constexpr auto LocalSQLKeywords = std::to_array<std::string_view>({
    "ADD",
    "AFTER",
    "ALL",
    "ALTER",
    "AND",
    "ANY",
    "AS",
    "ASC",
    "ASCENDING",
    "AT",
    "AUTO",
    "AUTOINC",
    "AVG",
    "BASE_NAME",
    "BEFORE",
    "BEGIN",
    "BETWEEN",
    "BLOB",
    "BOOLEAN",
    "BOTH",
    "BY",
    "BYTES",
    "CACHE",
    "CAST",
    "CHAR",
    "CHARACTER",
    "CHECK",
    "CHECK_POINT_LENGTH",
    "COLLATE",
    "COLUMN",
    "COMMIT",
    "COMMITED",
    "COMPUTED",
    "CONDITIONAL",
    "CONSTRAINT",
    "CONTAINING",
    "COUNT",
    "CREATE",
    "CSTRING",
    "CURRENT",
    "CURSOR",
    "DATABASE",
    "DATE",
    "DAY",
    "DEBUG",
    "DEC",
    "DECIMAL",
    "DECLARE",
    "DEFAULT",
    "DELETE",
    "DESC",
    "DESCENDING",
    "DISTINCT",
    "DO",
    "DOMAIN",
    "DOUBLE",
    "DROP",
    "ELSE",
    "END",
    "ENTRY_POINT",
    "ESCAPE",
    "EXCEPTION",
    "EXECUTE",
    "EXISTS",
    "EXIT",
    "EXTERNAL",
    "EXTRACT",
    "FILE",
    "FILTER",
    "FLOAT",
    "FOR",
    "FOREIGN",
    "FROM",
    "FULL",
    "FUNCTION",
    "GDSCODE",
    "GENERATOR",
    "GEN_ID",
    "GRANT",
    "GROUP",
    "GROUP_COMMIT_WAIT_TIME",
    "HAVING",
    "HOUR",
    "IACTIVE",
    "IF",
    "IN",
    "INACTIVE",
    "INDEX",
    "INNER",
    "INPUT_TYPE",
    "INSERT",
    "INT",
    "INTEGER",
    "INTO",
    "IS",
    "ISOLATION",
    "JOIN",
    "KEY",
    "LEADING",
    "LEFT",
    "LENGTH",
    "LEVEL",
    "LIKE",
    "LOGFILE",
    "LOG_BUFFER_SIZE",
    "LONG",
    "LOWER",
    "MANUAL",
    "MAX",
    "MAXIMUM_SEGMENT",
    "MERGE",
    "MESSAGE",
    "MIN",
    "MINUTE",
    "MODULE_NAME",
    "MONEY",
    "MONTH",
    "NAMES",
    "NATIONAL",
    "NATURAL",
    "NCHAR",
    "NO",
    "NOT",
    "NULL",
    "NUMERIC",
    "NUM_LOG_BUFFERS",
    "OF",
    "ON",
    "ONLY",
    "OPTION",
    "OR",
    "ORDER",
    "OUTER",
    "OUTPUT_TYPE",
    "OVERFLOW",
    "PAGE",
    "PAGES",
    "PAGE_SIZE",
    "PARAMETER",
    "PASSWORD",
    "PLAN",
    "POSITION",
    "POST_EVENT",
    "PRECISION",
    "PRIMARY",
    "PRIVILEGES",
    "PROCEDURE",
    "PROTECTED",
    "RAW_PARTITIONS",
    "RDB$DB_KEY",
    "READ",
    "REAL",
    "RECORD_VERSION",
    "REFERENCES",
    "RESERV",
    "RESERVING",
    "RETAIN",
    "RETURNING_VALUES",
    "RETURNS",
    "REVOKE",
    "RIGHT",
    "ROLLBACK",
    "SCHEMA",
    "SECOND",
    "SEGMENT",
    "SELECT",
    "SET",
    "SHADOW",
    "SHARED",
    "SINGULAR",
    "SIZE",
    "SMALLINT",
    "SNAPSHOT",
    "SOME",
    "SORT",
    "SQLCODE",
    "STABILITY",
    "STARTING",
    "STARTS",
    "STATISTICS",
    "SUBSTRING",
    "SUB_TYPE",
    "SUM",
    "SUSPEND",
    "TABLE",
    "THEN",
    "TIME",
    "TIMESTAMP",
    "TIMEZONE_HOUR",
    "TIMEZONE_MINUTE",
    "TO",
    "TRAILING",
    "TRANSACTION",
    "TRIGGER",
    "TRIM",
    "UNCOMMITTED",
    "UNION",
    "UNIQUE",
    "UPDATE",
    "UPPER",
    "USER",
    "VALUE",
    "VALUES",
    "VARCHAR",
    "VARIABLE",
    "VARYING",
    "VIEW",
    "WAIT",
    "WHEN",
    "WHERE",
    "WHILE",
    "WITH",
    "WORK",
    "WRITE",
    "YEAR",
});
static_assert(LocalSQLKeywords.size() == 215);

constexpr auto PGSQLKeywords = std::to_array<std::string_view>({
    "ALL",
    "ANALYSE",
    "ANALYZE",
    "AND",
    "ANY",
    "ARRAY",
    "AS",
    "ASC",
    "ASYMMETRIC",
    "AUTHORIZATION",
    "BETWEEN",
    "BINARY",
    "BOTH",
    "CASE",
    "CAST",
    "CHECK",
    "COLLATE",
    "COLUMN",
    "CONSTRAINT",
    "CREATE",
    "CROSS",
    "CURRENT_DATE",
    "CURRENT_ROLE",
    "CURRENT_TIME",
    "CURRENT_TIMESTAMP",
    "CURRENT_USER",
    "DEFAULT",
    "DEFERRABLE",
    "DESC",
    "DISTINCT",
    "DO",
    "ELSE",
    "END",
    "EXCEPT",
    "FALSE",
    "FOR",
    "FOREIGN",
    "FREEZE",
    "FROM",
    "FULL",
    "GRANT",
    "GROUP",
    "HAVING",
    "ILIKE",
    "IN",
    "INITIALLY",
    "INNER",
    "INTERSECT",
    "INTO",
    "IS",
    "ISNULL",
    "JOIN",
    "LEADING",
    "LEFT",
    "LIKE",
    "LIMIT",
    "LOCALTIME",
    "LOCALTIMESTAMP",
    "NATURAL",
    "NEW",
    "NOT",
    "NOTNULL",
    "NULL",
    "OFF",
    "OFFSET",
    "OLD",
    "ON",
    "ONLY",
    "OR",
    "ORDER",
    "OUTER",
    "OVERLAPS",
    "PLACING",
    "PRIMARY",
    "REFERENCES",
    "RIGHT",
    "SELECT",
    "SESSION_USER",
    "SIMILAR",
    "SOME",
    "SYMMETRIC",
    "TABLE",
    "THEN",
    "TO",
    "TRAILING",
    "TRUE",
    "UNION",
    "UNIQUE",
    "USER",
    "USING",
    "VERBOSE",
    "WHEN",
    "WHERE",
    ":=",
    "..",
    "::",
    "<<",
    ">>",
});
static_assert(PGSQLKeywords.size() == 98);

constexpr auto OracleKeywords = std::to_array<std::string_view>({
    "ACCESS",
    "ADD",
    "ALL",
    "ALTER",
    "AND",
    "ANY",
    "ARRAYLEN",
    "AS",
    "ASC",
    "AUDIT",
    "BETWEEN",
    "BY",
    "CHAR",
    "CHECK",
    "CLUSTER",
    "COLUMN",
    "COMMENT",
    "COMPRESS",
    "CONNECT",
    "CREATE",
    "CURRENT",
    "DATE",
    "DECIMAL",
    "DEFAULT",
    "DELETE",
    "DESC",
    "DISTINCT",
    "DROP",
    "ELSE",
    "EXCLUSIVE",
    "EXISTS",
    "FILE",
    "FLOAT",
    "FOR",
    "FROM",
    "GRANT",
    "GROUP",
    "HAVING",
    "IDENTIFIER",
    "IMMEDIATE",
    "IN",
    "INCREMENT",
    "INDEX",
    "INITIAL",
    "INSERT",
    "INTEGER",
    "INTERSECT",
    "INTO",
    "IS",
    "LEVEL",
    "LIKE",
    "LOCK",
    "LONG",
    "MAXEXTENTS",
    "MINUS",
    "MODE",
    "MODIFY",
    "NOAUDIT",
    "NOCOMPRESS",
    "NOT",
    "NOTFOUND",
    "NOWAIT",
    "NULL",
    "NUMBER",
    "OF",
    "OFFLINE",
    "ON",
    "ONLINE",
    "OPTION",
    "OR",
    "ORDER",
    "PCTFREE",
    "PRIOR",
    "PRIVILEGES",
    "PUBLIC",
    "RAW",
    "RENAME",
    "RESOURCE",
    "REVOKE",
    "ROW",
    "ROWID",
    "ROWLABEL",
    "ROWNUM",
    "ROWS",
    "SELECT",
    "SESSION",
    "SET",
    "SHARE",
    "SIZE",
    "SMALLINT",
    "SQLBUF",
    "START",
    "SUCCESSFUL",
    "SYNONYM",
    "SYSDATE",
    "TABLE",
    "THEN",
    "TO",
    "TRIGGER",
    "UID",
    "UNION",
    "UNIQUE",
    "UPDATE",
    "USER",
    "VALIDATE",
    "VALUES",
    "VARCHAR",
    "VARCHAR2",
    "VIEW",
    "WHENEVER",
    "WHERE",
    "WITH",
});
static_assert(OracleKeywords.size() == 112);

// clang-format on

template <std::size_t N, std::size_t M>
constexpr std::array<std::string_view, N + M> Join(const std::array<std::string_view, N>& A,
                                                   const std::array<std::string_view, M>& B) {
    std::array<std::string_view, N + M> R{};
    for (std::size_t i = 0; i < N; ++i)
        R[i] = A[i];
    for (std::size_t i = 0; i < M; ++i)
        R[N + i] = B[i];
    return R;
}

constexpr auto IBWordsIB4x = IBWordsL1;
constexpr auto IBWordsIB5x = Join(IBWordsL1, IBWordsAdd5x);
constexpr auto IBWordsIB6x = Join(IBWordsL1, IBWordsAdd6x);
constexpr auto IBWordsFB1x = Join(IBWordsIB6x, IBWordsAddFB1x);
constexpr auto IBWordsFB15 = Join(IBWordsIB6x, IBWordsAddFB15);
constexpr auto IBWordsIB7x = Join(IBWordsIB6x, IBWordsAdd7x);
constexpr auto IBWordsFB2x = IBWordsL2;
constexpr auto IBWordsFB25 = Join(IBWordsL2, IBWordsAddFB25);
constexpr auto IBWordsFB30 = Join(IBWordsFB25, IBWordsAddFB30);
constexpr auto IBWordsFB40 = Join(IBWordsFB30, IBWordsAddFB40);
constexpr auto IBWords2020 = Join(IBWordsIB7x, IBWordsAdd2020);
static_assert(IBWordsIB5x.size() == 36 && IBWordsIB6x.size() == 44 && IBWordsFB1x.size() == 52);
static_assert(IBWordsFB15.size() == 54 && IBWordsIB7x.size() == 49 && IBWordsFB25.size() == 61);
static_assert(IBWordsFB30.size() == 91 && IBWordsFB40.size() == 96 && IBWords2020.size() == 53);

/// Further reserved words by version ordinal; st_Yaffil_1x has none.
constexpr std::array<std::span<const std::string_view>, IBSQLServerVersionCount> IBReservedWords = {
    IBWordsIB4x, IBWordsIB5x, IBWordsIB6x, IBWordsFB1x, std::span<const std::string_view>{},
    IBWordsFB15, IBWordsIB7x, IBWordsIB7x, IBWordsFB2x, IBWordsFB2x,
    IBWordsFB25, IBWordsFB30, IBWordsFB40, IBWords2020,
};

/// Code of an upper-case word in the InterBase table. Fails the build when used on a word the table
/// lacks in a constant expression (the per-version lists must name table keywords only).
constexpr std::int32_t IBTableCode(std::string_view Word) {
    for (const auto& K : IBKeywords)
        if (K.Text == Word) return K.Token;
    throw std::logic_error("word is not in the InterBase keyword table");
}

constexpr TTokenSet MakeIBTokenSet(std::span<const std::string_view> OrdinaryIdents) {
    TTokenSet S = TTokenSet::All();
    for (auto W : OrdinaryIdents)
        S -= IBTableCode(W);
    return S;
}

/// Reserved token codes by version ordinal: all codes but those of the ordinary-identifier keywords,
/// so the body parser's own codes and ":=" (116) stay members of every set.
constexpr std::array<TTokenSet, IBSQLServerVersionCount> IBTokenSets = {
    MakeIBTokenSet(IBIdentsInterBase4x), MakeIBTokenSet(IBIdentsInterBase5x),
    MakeIBTokenSet(IBIdentsInterBase6x), MakeIBTokenSet(IBIdentsFireBird1x),
    MakeIBTokenSet(IBIdentsYaffil1x),    MakeIBTokenSet(IBIdentsFireBird15),
    MakeIBTokenSet(IBIdentsInterBase7x), MakeIBTokenSet(IBIdentsInterBase7x),
    MakeIBTokenSet(IBIdentsFirebird2x),  MakeIBTokenSet(IBIdentsFirebird2x),
    MakeIBTokenSet(IBIdentsFirebird2x),  MakeIBTokenSet(IBIdentsFirebird30),
    MakeIBTokenSet(IBIdentsFirebird40),  MakeIBTokenSet(IBIdentsInterBase7x),
};
static_assert(IBTokenSets[0].count() == 256 - 36 && IBTokenSets[11].count() == 256 - 55);

constexpr TTokenSet AllTokens = TTokenSet::All();

/// Ordinal of a known version, or -1 for a value beyond the known ones.
constexpr int VersionIndex(TIBSQLServerVersionType Version) {
    const int V = static_cast<int>(Version);
    return V >= 0 && V < IBSQLServerVersionCount ? V : -1;
}

/// Code of Word in a dialect's word table: 30 plus its position; 1 when absent.
std::int32_t FindInTable(std::string_view Word, std::span<const std::string_view> Table) {
    const std::string U = UpperCase(Word);
    for (std::size_t i = 0; i < Table.size(); ++i)
        if (Table[i] == U) return static_cast<std::int32_t>(30 + i);
    return IdentTokenCode;
}

constexpr bool IsUpperLetter(char C) {
    return C >= 'A' && C <= 'Z';
}
constexpr bool IsLowerLetter(char C) {
    return C >= 'a' && C <= 'z';
}
constexpr bool IsDigit(char C) {
    return C >= '0' && C <= '9';
}

/// True when every character after the first satisfies Allowed.
template <typename Pred> bool RestAll(std::string_view S, Pred Allowed) {
    for (std::size_t i = 1; i < S.size(); ++i)
        if (!Allowed(S[i])) return false;
    return true;
}

/// Name between the delimiters, every closing delimiter inside it doubled: a name holding the
/// delimiter must neither end the quoted name early nor let the rest of it run on as SQL.
std::string Enclose(std::string_view Name, char Open, char Close) {
    std::string R;
    R.reserve(Name.size() + 2);
    R += Open;
    for (char C : Name) {
        R += C;
        if (C == Close) R += Close;
    }
    R += Close;
    return R;
}

} // namespace

// --- InterBase / Firebird -------------------------------------------------------------------------

std::span<const TResWordSymb> GetIBKeywords() {
    return IBKeywords;
}

const TTokenSet& GetIBTokenSet(TIBSQLServerVersionType Version) {
    const int V = VersionIndex(Version);
    return V < 0 ? AllTokens : IBTokenSets[static_cast<std::size_t>(V)];
}

std::span<const std::string_view> GetIBReservedWords(TIBSQLServerVersionType Version) {
    const int V = VersionIndex(Version);
    return V < 0 ? std::span<const std::string_view>{} : IBReservedWords[static_cast<std::size_t>(V)];
}

namespace {

// The InterBase table's positions in text order, the first of equal texts first: every quoted name
// asks the table, so it is searched by halves rather than entry by entry.
const std::array<std::uint8_t, IBKeywords.size()>& IBKeywordOrder() {
    static_assert(IBKeywords.size() <= 256);
    static const auto order = [] {
        std::array<std::uint8_t, IBKeywords.size()> o{};
        for (std::size_t i = 0; i < o.size(); ++i)
            o[i] = static_cast<std::uint8_t>(i);
        std::stable_sort(o.begin(), o.end(), [](std::uint8_t a, std::uint8_t b) {
            return IBKeywords[a].Text < IBKeywords[b].Text;
        });
        return o;
    }();
    return order;
}

} // namespace

std::int32_t KeywordSymbol(std::string_view Word, TIBSQLServerVersionType Version) {
    const std::string U = UpperCase(Word);
    const auto& order = IBKeywordOrder();
    const auto at =
        std::lower_bound(order.begin(), order.end(), std::string_view(U),
                         [](std::uint8_t i, std::string_view w) { return IBKeywords[i].Text < w; });
    if (at == order.end() || IBKeywords[*at].Text != U) return IdentTokenCode;
    const TResWordSymb& K = IBKeywords[*at];
    return GetIBTokenSet(Version).contains(K.Token) ? K.Token : IdentTokenCode;
}

namespace {

/// A fixed set of words: open addressing on a short hash, no nodes and no division.
class TWordSet {
public:
    void insert(std::string_view W) {
        if (contains(W)) return;
        words_.push_back(W);
        if (words_.size() * 4 > slots_.size()) rebuild(slots_.empty() ? 256 : slots_.size() * 2);
        else place(words_.size() - 1);
    }
    template <typename It> void insert(It First, It Last) {
        for (; First != Last; ++First)
            insert(*First);
    }
    bool contains(std::string_view W) const {
        if (slots_.empty()) return false;
        const std::size_t Mask = slots_.size() - 1;
        for (std::size_t S = Hash(W) & Mask;; S = (S + 1) & Mask) {
            const std::uint32_t E = slots_[S];
            if (E == 0) return false;
            if (words_[E - 1] == W) return true;
        }
    }

private:
    static std::uint32_t Hash(std::string_view W) {
        std::uint32_t H = 2166136261u;
        for (const char C : W)
            H = (H ^ static_cast<unsigned char>(C)) * 16777619u;
        return H ^ (H >> 15);
    }
    void place(std::size_t i) {
        const std::size_t Mask = slots_.size() - 1;
        std::size_t S = Hash(words_[i]) & Mask;
        while (slots_[S] != 0)
            S = (S + 1) & Mask;
        slots_[S] = static_cast<std::uint32_t>(i + 1);
    }
    void rebuild(std::size_t Size) {
        slots_.assign(Size, 0);
        for (std::size_t i = 0; i < words_.size(); ++i)
            place(i);
    }
    std::vector<std::string_view> words_;
    std::vector<std::uint32_t> slots_; // word index + 1, 0 free
};

// Every name that must be quoted under a version, beyond the character rules: the keywords whose
// first entry in text order belongs to the version's token set, and the version's further reserved
// words. The last slot serves versions outside the table (every token, no further words). Every
// quoted name asks here, so it is one hash lookup rather than a search with a case-folded copy.
const TWordSet& ReservedNames(TIBSQLServerVersionType Version) {
    static const auto sets = [] {
        std::array<TWordSet, IBSQLServerVersionCount + 1> s;
        const auto& order = IBKeywordOrder();
        for (std::size_t v = 0; v < s.size(); ++v) {
            const TTokenSet& tokens = v < IBSQLServerVersionCount ? IBTokenSets[v] : AllTokens;
            std::string_view previous;
            for (std::size_t k = 0; k < order.size(); ++k) {
                const TResWordSymb& K = IBKeywords[order[k]];
                if (k > 0 && K.Text == previous) continue; // only the first of equal texts counts
                previous = K.Text;
                if (tokens.contains(K.Token)) s[v].insert(K.Text);
            }
            if (v < IBSQLServerVersionCount)
                s[v].insert(IBReservedWords[v].begin(), IBReservedWords[v].end());
        }
        return s;
    }();
    const int V = VersionIndex(Version);
    return sets[V < 0 ? IBSQLServerVersionCount : static_cast<std::size_t>(V)];
}

} // namespace

namespace {
// Per character after a name's first: 0 where a bare name may not hold it, 1 where it may but no
// keyword or reserved word of any version does (most digits), 2 where some word holds it.
const std::array<std::uint8_t, 256>& NameCharClasses() {
    static const auto classes = [] {
        std::array<std::uint8_t, 256> c{};
        for (int i = 0; i < 256; ++i) {
            const char C = static_cast<char>(i);
            if (IsUpperLetter(C) || IsDigit(C) || C == '$' || C == '_') c[static_cast<std::size_t>(i)] = 1;
        }
        auto mark = [&c](std::string_view W) {
            for (const char C : W)
                if (c[static_cast<unsigned char>(C)] == 1) c[static_cast<unsigned char>(C)] = 2;
        };
        for (const TResWordSymb& K : IBKeywords)
            mark(K.Text);
        for (const auto& Words : IBReservedWords)
            for (const std::string_view W : Words)
                mark(W);
        return c;
    }();
    return classes;
}
} // namespace

bool IsReservedWord(std::string_view Name, TIBSQLServerVersionType Version) {
    if (Name.empty()) return false;
    if (!IsUpperLetter(Name[0])) return true;
    // A name holding a character no word holds (a numbered name, mostly) needs no look-up.
    const auto& Classes = NameCharClasses();
    bool MayBeWord = true;
    for (std::size_t i = 1; i < Name.size(); ++i) {
        const std::uint8_t C = Classes[static_cast<unsigned char>(Name[i])];
        if (C == 0) return true;
        if (C == 1) MayBeWord = false;
    }
    // The name is in upper case here, as the keyword texts are.
    return MayBeWord && ReservedNames(Version).contains(Name);
}

bool IsInWordList(std::string_view Word, std::span<const std::string_view> List) {
    for (auto W : List)
        if (W == Word) return true;
    return false;
}

// --- Other dialects -------------------------------------------------------------------------------

std::int32_t FindASAKeyword(std::string_view Word) {
    return FindInTable(Word, ASAKeywords);
}
std::int32_t FindMySQLKeyword(std::string_view Word) {
    return FindInTable(Word, MySQLKeywords);
}
std::int32_t FindDB2Keyword(std::string_view Word) {
    return FindInTable(Word, DB2Keywords);
}
std::int32_t FindMSSQLKeyword(std::string_view Word) {
    return FindInTable(Word, MSSQLKeywords);
}
std::int32_t FindLocalSQLKeyword(std::string_view Word) {
    return FindInTable(Word, LocalSQLKeywords);
}
std::int32_t FindPGSQLKeyword(std::string_view Word) {
    return FindInTable(Word, PGSQLKeywords);
}
std::int32_t FindOracleKeyword(std::string_view Word) {
    return FindInTable(Word, OracleKeywords);
}

std::string QuoteASAName(std::string_view Name) {
    if (Name.empty()) return {};
    const std::string U = UpperCase(Name);
    if (FindASAKeyword(U) != IdentTokenCode || IsInWordList(U, ASAReservedWords)) return Enclose(U, '"', '"');
    const auto First = [](char C) {
        return IsUpperLetter(C) || C == '#' || C == '$' || C == '_' || C == '@';
    };
    const auto Later = [&](char C) { return First(C) || IsDigit(C); };
    if (!First(U[0]) || !RestAll(U, Later)) return Enclose(Name, '"', '"');
    return std::string(Name);
}

std::string QuoteMySQLName(std::string_view Name) {
    const std::string U = UpperCase(Name);
    // A backquote inside the name forces quoting too: left bare it would start a quoted name.
    if (U != Name || IsInWordList(U, MySQLReservedWords) || Name.find('`') != std::string_view::npos)
        return Enclose(Name, '`', '`');
    return std::string(Name);
}

std::string QuoteDB2Name(std::string_view Name) {
    if (Name.empty()) return {};
    const auto Later = [](char C) {
        return IsUpperLetter(C) || IsDigit(C) || C == '#' || C == '$' || C == '_' || C == '@';
    };
    if (FindDB2Keyword(Name) != IdentTokenCode || !IsUpperLetter(Name[0]) || !RestAll(Name, Later))
        return Enclose(Name, '"', '"');
    return std::string(Name);
}

bool MSSQLNeedsQuotes(std::string_view Name) {
    if (Name.empty() || Name[0] == '<') return false;
    const auto First = [](char C) {
        return IsUpperLetter(C) || IsLowerLetter(C) || C == '#' || C == '$' || C == '_';
    };
    const auto Later = [&](char C) { return First(C) || IsDigit(C) || C == '@'; };
    if (!First(Name[0]) || !RestAll(Name, Later)) return true;
    const std::string U = UpperCase(Name);
    return FindMSSQLKeyword(U) != IdentTokenCode || IsInWordList(U, MSSQLReservedWords);
}

std::string QuoteMSSQLName(std::string_view Name) {
    return MSSQLNeedsQuotes(Name) ? Enclose(Name, '[', ']') : std::string(Name);
}

std::string QuoteLocalSQLName(std::string_view Name) {
    const bool Quote = FindLocalSQLKeyword(Name) != IdentTokenCode || Name.find('"') != std::string_view::npos;
    return Quote ? Enclose(Name, '"', '"') : std::string(Name);
}

bool PGSQLNeedsQuotes(std::string_view Name) {
    if (Name.empty()) return false;
    if (!(IsLowerLetter(Name[0]) || Name[0] == '_')) return true;
    if (!RestAll(Name, [](char C) { return IsLowerLetter(C) || IsDigit(C) || C == '$' || C == '_'; }))
        return true;
    return FindPGSQLKeyword(Name) != IdentTokenCode;
}

std::string QuotePGSQLName(std::string_view Name) {
    return PGSQLNeedsQuotes(Name) ? Enclose(Name, '"', '"') : std::string(Name);
}

std::string QuoteOracleName(std::string_view Name) {
    if (Name.empty()) return {};
    const auto Later = [](char C) {
        return IsUpperLetter(C) || IsDigit(C) || C == '#' || C == '$' || C == '_';
    };
    if (FindOracleKeyword(Name) != IdentTokenCode || !IsUpperLetter(Name[0]) || !RestAll(Name, Later))
        return Enclose(Name, '"', '"');
    return std::string(Name);
}

// --- Dispatcher -----------------------------------------------------------------------------------

std::string QuoteIdentifier(std::string_view Name, TDatabaseType DatabaseType,
                            TIBSQLServerVersionType ServerVersion, TIBSQLDialectType Dialect) {
    using enum TDatabaseType;
    switch (DatabaseType) {
    case dbInterBase:
        if (Dialect == 3 && IsReservedWord(Name, ServerVersion)) return Enclose(Name, '"', '"');
        return std::string(Name);
    case dbSybaseASA:
        return QuoteASAName(Name);
    case dbMySQL:
        return QuoteMySQLName(Name);
    case dbOracle:
        return QuoteOracleName(Name);
    case dbMSSQL:
        return QuoteMSSQLName(Name);
    case dbPostgreSQL:
        return QuotePGSQLName(Name);
    case dbDB2:
        return QuoteDB2Name(Name);
    case dbParadox:
    case dbDBASE:
        return QuoteLocalSQLName(Name);
    default:
        return std::string(Name);
    }
}

} // namespace smx
