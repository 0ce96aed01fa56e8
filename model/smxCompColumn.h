// Data types of the schema model and the texts built from a column's type: the one-byte data-type
// code with its name table, the attributes every column, routine parameter, external-function
// argument and domain type carries, the type text, the column definition of each dialect, the
// default-value text, and the InterBase/Firebird reading helpers (system-table type codes, character
// set and collation). Everything here works on plain values; the column object (TFldData) supplies
// the context it takes from its container and parent.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "foundation/smxDBOptions.h"
#include "foundation/smxTypes.h"
#include "platform/smxCompactString.h"
#include "platform/smxCompactVector.h"
#include "platform/smxStringList.h"

namespace smx {

/// Number of named data-type codes (0 to 96).
inline constexpr int DataTypeCount = 97;
/// The code of a column whose type is the domain or user type named by its DomainName.
inline constexpr std::uint8_t DomainDataType = 97;

/// The type name of each data-type code, by code. Codes 21 and 22 are the time-zone variants
/// (PostgreSQL) of 19 and 20 and carry the same names.
// clang-format off
inline constexpr std::array<std::string_view, DataTypeCount> DataTypeNames = {
    "? DataType",             //  0
    "INTEGER",                //  1
    "BIGINT",                 //  2
    "FLOAT",                  //  3
    "DOUBLE PRECISION",       //  4
    "FLOAT4",                 //  5
    "FLOAT8",                 //  6
    "DECFLOAT",               //  7
    "TINYINT",                //  8
    "REAL",                   //  9
    "DOUBLE",                 // 10
    "NUMBER",                 // 11
    "LONG",                   // 12
    "LONG RAW",               // 13
    "VARCHAR",                // 14
    "CHAR",                   // 15
    "LONG VARCHAR",           // 16
    "VARCHAR2",               // 17
    "DATE",                   // 18
    "TIME",                   // 19
    "TIMESTAMP",              // 20
    "TIME",                   // 21
    "TIMESTAMP",              // 22
    "DATETIME",               // 23
    "DATETIME2",              // 24
    "SMALLDATETIME",          // 25
    "DATETIMEOFFSET",         // 26
    "GRAPHIC",                // 27
    "VARGRAPHIC",             // 28
    "Geometry",               // 29
    "Point",                  // 30
    "Curve",                  // 31
    "LineString",             // 32
    "Surface",                // 33
    "Polygon",                // 34
    "GeometryCollection",     // 35
    "MultiPoint",             // 36
    "MultiCurve",             // 37
    "MultiLineString",        // 38
    "MultiSurface",           // 39
    "MultiPolygon",           // 40
    "BLOB",                   // 41
    "CLOB",                   // 42
    "DBCLOB",                 // 43
    "BINARY",                 // 44
    "LONG BINARY",            // 45
    "NUMERIC",                // 46
    "DECIMAL",                // 47
    "TEXT",                   // 48
    "NCHAR",                  // 49
    "NVARCHAR",               // 50
    "NVARCHAR2",              // 51
    "NTEXT",                  // 52
    "NCLOB",                  // 53
    "SMALLINT",               // 54
    "QUAD",                   // 55
    "CSTRING",                // 56
    "NATIONAL CHAR",          // 57
    "RAW",                    // 58
    "ROWID",                  // 59
    "UROWID",                 // 60
    "MEDIUMINT",              // 61
    "YEAR",                   // 62
    "TINYBLOB",               // 63
    "MEDIUMBLOB",             // 64
    "LONGBLOB",               // 65
    "TINYTEXT",               // 66
    "MEDIUMTEXT",             // 67
    "LONGTEXT",               // 68
    "ENUM",                   // 69
    "SET",                    // 70
    "BIT",                    // 71
    "VARBIT",                 // 72
    "MONEY",                  // 73
    "SMALLMONEY",             // 74
    "GUID",                   // 75
    "VARBINARY",              // 76
    "IMAGE",                  // 77
    "BFILE",                  // 78
    "UNIQUEIDENTIFIER",       // 79
    "SYSNAME",                // 80
    "SQL_VARIANT",            // 81
    "CURSOR",                 // 82
    "CURSOR VARYING",         // 83
    "TABLE",                  // 84
    "XML",                    // 85
    "INTERVAL YEAR TO MONTH", // 86
    "INTERVAL DAY TO SECOND", // 87
    "SERIAL",                 // 88
    "BIGSERIAL",              // 89
    "BYTEA",                  // 90
    "INTERVAL",               // 91
    "INT2",                   // 92
    "INT4",                   // 93
    "INT8",                   // 94
    "OID",                    // 95
    "BOOLEAN",                // 96
};
// clang-format on

/// The name of a data-type code; empty for 97 (a domain type) and above, which have no entry.
std::string_view GetDataTypeName(std::uint8_t Code);
/// Character types written with a length outside InterBase: 14, 15, 17, 44, 49, 50, 56, 76.
bool IsLengthTypeC1(std::uint8_t Code);
/// MS SQL and ASE length types: 14, 15, 44, 49, 50, 76.
bool IsLengthTypeC2(std::uint8_t Code);

/// What holds a column, as far as its texts care.
enum class TColumnParentKind : std::uint8_t {
    cpNone,             ///< a free column
    cpTable,            ///< a table column
    cpView,             ///< a view column
    cpRoutine,          ///< a parameter of a procedure or function
    cpExternalFunction, ///< an argument or the result of an external function
    cpDomain,           ///< the type record of a domain
};

/// The type and definition attributes of a column, a routine parameter, an external-function
/// argument or a domain type. A new record is nullable, with Logged and Compact -1 (unset), every
/// other number 0 and every text empty.
struct TColumnAttrs {
    // The attributes that every column text reads come first, so that they share few cache lines;
    // the rest is ordered so that no bytes are lost to alignment (a structure holds one record per
    // column).
    std::uint8_t DataType = 0;    ///< data-type code; 97 = the type named by DomainName
    std::uint8_t StorageType = 0; ///< storage code of a NUMERIC/DECIMAL column; 0 when not set
    bool Nullable = true;
    bool Identity = false;
    bool TypeOf = false;                        ///< Firebird TYPE OF a domain
    std::uint8_t ParamDirection = 0;            ///< 0 none, 1 in, 2 out, 3 inout
    bool ByValue = false, ByDescriptor = false; ///< external-function argument passing
    bool ByNull = false; ///< external-function argument that passes a NULL as a null pointer ("NULL")
    bool WithTimeZone = false, WithLocalTimeZone = false;
    bool Unsigned = false, Zerofill = false; ///< MySQL
    std::int32_t Length = 0;                 ///< length in characters (bytes for binary types); -1 = MAX
    std::int32_t Precision = 0; ///< precision; MySQL display width; fractional seconds of time types
    std::int32_t Scale = 0;
    std::int32_t SubType = 0;          ///< InterBase BLOB sub-type
    std::int32_t SegmentSize = 0;      ///< BLOB segment size (80 is the server default)
    std::int32_t ReturnsParameter = 0; ///< external function returning its parameter n; 0 none
    std::int32_t ByteLength = 0;       ///< InterBase storage length in bytes
    TCompactVector<std::pair<std::int32_t, std::int32_t>> Dimensions; ///< array bounds (lower, upper)
    TCompactString DefaultValue; ///< default as read or parsed (see DefaultValueText)
    TCompactString DomainName;   ///< domain or user type (InterBase domain, MSSQL/ASE user type, ...)
    TCompactString CharSetName;
    TCompactString CollationName;
    TCompactString CheckText; ///< column check, written after " CHECK"

    std::int32_t IBFieldType = 0; ///< InterBase RDB$FIELD_TYPE as read
    std::int32_t CharSetID = 0;
    std::int32_t CollationID = 0;
    std::int32_t IdentitySeed = 0, IdentityIncrement = 0;
    std::int32_t Logged = -1, Compact = -1;     ///< DB2 LOB options: -1 unset, 0 NOT, 1 set
    bool Binary = false, AutoIncrement = false; ///< MySQL
    bool Deterministic = false;                 ///< a function result declared DETERMINISTIC
    /// A computed column whose type is part of its definition: stated in the script ("C INTEGER
    /// COMPUTED BY ..."), or read from a database, which stores one for every computed column.
    bool ComputedWithType = false;
    char GeneratedKind = 0; ///< DB2: 'A' ALWAYS, 'D' BY DEFAULT, 0 or blank none
    TCompactString TypeOwner;                   ///< schema of the user type (MS SQL)
    TCompactString CheckName;                   ///< name of the column check (PostgreSQL)
    TCompactString SubTypeName;                 ///< BLOB sub-type name as read ("TEXT", "BLR", ...)
    TCompactString TypeOfTable, TypeOfColumn;   ///< Firebird TYPE OF COLUMN table.column
    /// The DEFAULT clause (a parameter's "=" clause) and a domain's CHECK clause as the server
    /// stores them, keyword and spacing included: Firebird 3 and later write them back verbatim in
    /// place of the clause composed from DefaultValue and CheckText.
    TCompactString DefaultSource, CheckSource;
    TCompactString GenerationExpression;
    TCompactString XmlSchema; ///< MS SQL XML schema collection
    TCompactString JavaClass;
    TCompactStringList EnumValues;              ///< MySQL ENUM/SET members as written (quoted)
    bool RowGuidCol = false, Persisted = false; ///< MS SQL
    bool IsRef = false;                         ///< Oracle REF
    bool ForBitData = false;                    ///< DB2
    bool IsJavaType = false;                    ///< Sybase ASE Java column type
};

/// Everything outside a column's own attributes that its texts depend on.
struct TColumnTextContext {
    TDatabaseType DatabaseType = TDatabaseType::dbInterBase; ///< the effective database type
    TIBSQLServerVersionType ServerVersion = TIBServerOptions::DefaultSQLServerVersion;
    TIBSQLDialectType SQLDialect = 3;
    TColumnParentKind ParentKind = TColumnParentKind::cpNone;
    std::string Source;             ///< computed-column expression; empty for a stored column
    bool FldCharsetCompare = false; ///< InterBase: character sets and collations are written
    std::string DBCharSet;          ///< InterBase database default character set
    bool DomainFound = false;       ///< the domain named by DomainName is in the container
    std::string DomainDefault;      ///< that domain's default-value text
    std::string DomainSchema;       ///< PostgreSQL: the schema of the column's domain, when known
    std::string TableTypeBody;      ///< MS SQL/ASE table type: its CREATE text without "CREATE "
    bool HasTableType = false;      ///< a table type is attached (code 84)
    std::string IdentityOptions;    ///< DB2: identity options text of the column's generator
    /// Identifier quoting of the dialect; the bare name when not assigned.
    std::function<std::string(std::string_view)> Quote;

    std::string Q(std::string_view Name) const { return Quote ? Quote(Name) : std::string(Name); }
};

/// The default as written: a text between double quotes becomes a single-quoted SQL literal (inner
/// single quotes doubled); anything else is returned unchanged.
std::string DefaultValueText(std::string_view DefaultValue);

/// True for the server versions that keep default and check texts as stored (Firebird 3 and 4).
bool WritesStoredClauses(TIBSQLServerVersionType Version);
/// The DEFAULT clause of an InterBase column for Version, without a leading blank: the stored
/// clause where the version writes it, else "DEFAULT " + the default text; empty without default.
std::string IBDefaultClause(const TColumnAttrs& Column, TIBSQLServerVersionType Version);
/// The CHECK clause of an InterBase domain for Version: the stored clause where the version writes
/// it, else "CHECK" + CheckText; empty without check.
std::string IBCheckClause(const TColumnAttrs& Column, TIBSQLServerVersionType Version);
/// True when the two defaults differ in value, or (where Version writes stored clauses) both have
/// a stored clause and the clauses differ.
bool IBDefaultsDiffer(const TColumnAttrs& A, const TColumnAttrs& B, TIBSQLServerVersionType Version);

/// The type part of a column (no name, default or nullability).
std::string ColumnTypeText(const TColumnAttrs& Column, const TColumnTextContext& Context);

/// The definition that follows the column name, in the form of the context's database type
/// (InterBase/Firebird for every type without a form of its own).
std::string ColumnDefinitionSQL(const TColumnAttrs& Column, const TColumnTextContext& Context);

/// True when both columns are not domain-typed and agree in every attribute that ColumnTypeText
/// reads for such a column: under one context both then have the same type text. (False says
/// nothing; the texts may still be equal.)
bool SameTypeTextInputs(const TColumnAttrs& A, const TColumnAttrs& B);
/// The same for the InterBase/Firebird column definition (ColumnDefinitionSQL under an InterBase
/// context): SameTypeTextInputs, and every further attribute that definition reads agrees.
bool SameIBDefinitionInputs(const TColumnAttrs& A, const TColumnAttrs& B);

/// The data-type code of an InterBase/Firebird RDB$FIELD_TYPE and RDB$FIELD_SUB_TYPE (code 0 for
/// an unknown type); sets WithTimeZone for the time-zone types and leaves it alone otherwise.
std::uint8_t IBTypeToDataType(int FieldType, int FieldSubType, TIBSQLDialectType SQLDialect,
                              bool& WithTimeZone);

/// True for the character types: 14, 15, 49, 56, BLOB with sub-type 1, and a domain-typed column
/// whose domain type (when given) is a character type.
bool IsCharacterType(const TColumnAttrs& Column, const TColumnAttrs* DomainType);

/// A character column's own character set, else its domain's, else (InterBase) DBCharSet; empty
/// for other types.
std::string GetEffectiveCharSet(const TColumnAttrs& Column, const TColumnAttrs* DomainType,
                                std::string_view DBCharSet, bool InterBase);

/// The values read for a column's character set and collation, and what the column stands in.
struct TCharSetReading {
    int CharSetID = 0;
    std::string CharSetName;
    std::string CollationName;
    int CollationID = 0;
    bool Computed = false;                    ///< the column is computed
    const TColumnAttrs* DomainType = nullptr; ///< the type of the column's domain, when found
    std::string DBCharSet;                    ///< the database default character set
    bool InterBase = true;                    ///< the effective database is InterBase/Firebird
    /// The database's settings, when known: the default collations of its character sets.
    const TIBDatabaseOptions* Database = nullptr;
};

/// Stores the character set and collation of a character column, then clears what repeats a
/// default: a collation equal to the domain's (domain column) or to the effective character set's
/// default collation (the one bearing its name unless Database says otherwise), the character set
/// of a domain column (its domain's), a character set equal to DBCharSet (or NONE while DBCharSet
/// is empty). Other types only lose their collation; a computed column loses both.
void SetCharSetAndCollation(TColumnAttrs& Column, const TCharSetReading& Reading);

// ---------------------------------------------------------------------------------------------------
// Column alteration and column order. A master column that differs from its target partner is
// turned into the master's in the target's dialect, or refused with a comment in the script; notes
// on type conversions go to the comparer's log list with the statement they explain. Statements
// name the column (dboField, odbAlter) with its table as parent name.

class TCustomSchemalyst;
class TFldData;
class TTblData;

/// 1 when Old converts to New without loss, 0 for the same type (same length), -1 when the change
/// is unsafe or refused. A domain-typed side counts as its domain's type; a domain that cannot be
/// found gives 1. Exact numerics refuse a smaller scale or fewer integer digits, a timestamp
/// refuses to become a date or a time, and different array bounds are refused.
int CompareColumnTypes(const TFldData& New, const TFldData& Old);
/// True when AllowDataTypeConversion is on and the target server lets the script write its
/// system tables (not Firebird 3 or 4).
bool SystemTableUpdatesAllowed(TCustomSchemalyst* Comparer);
/// Whether MS SQL converts a column of Old's type to New's in place.
bool IsMSSQLConversionAllowed(const TFldData& New, const TFldData& Old);

/// True when two computed columns differ: in their expressions, or in their types where both state
/// one (ComputedWithType; the type texts then include the expressions).
bool ComputedColumnsDiffer(const TFldData& A, const TFldData& B);
/// Turns the target column Target into the master column Master (InterBase/Firebird); Header is set
/// when a header-like comment was written.
void AlterIBColumn(TCustomSchemalyst* Comparer, TTblData* Table, TFldData* Master, TFldData* Target,
                   bool& Header);
/// ALTER COLUMN ... TYPE, or the comment that refuses it; logs the conversion.
void AlterIBColumnType(TCustomSchemalyst* Comparer, TTblData* Table, TFldData* Master, TFldData* Target);
/// The type change through the system tables; nothing unless SystemTableUpdatesAllowed.
void ConvertIBColumnType(TCustomSchemalyst* Comparer, TTblData* Table, TFldData* Master, TFldData* Target);
void AlterASAColumn(TCustomSchemalyst* Comparer, TTblData* Table, TFldData* Master, TFldData* Target);
void AlterMySQLColumn(TCustomSchemalyst* Comparer, TTblData* Table, TFldData* Master, TFldData* Target);
void AlterOracleColumn(TCustomSchemalyst* Comparer, TTblData* Table, TFldData* Master, TFldData* Target);
void AlterMSSQLColumn(TCustomSchemalyst* Comparer, TTblData* Table, TFldData* Master, TFldData* Target);
void AlterPGColumn(TCustomSchemalyst* Comparer, TTblData* Table, TFldData* Master, TFldData* Target);
void AlterASEColumn(TCustomSchemalyst* Comparer, TTblData* Table, TFldData* Master, TFldData* Target);
/// MySQL, equal column counts: MODIFY COLUMN ... FIRST / AFTER for every position whose column differs.
void ReorderMySQLColumns(TCustomSchemalyst* Comparer, TTblData* Master, TTblData* Target);

/// The column-order step: positions on InterBase (UpdateFieldPosition), re-creation on MS SQL
/// (UpdateColumnPosition).
void UpdateColumnOrder(TCustomSchemalyst* Comparer);
/// A changed table's columns moved to the master's positions; clears Changed.
void UpdateColumnPositions(TCustomSchemalyst* Comparer, TTblData* Table);
/// MS SQL: every changed master table with a partner is re-created in the master's column order.
void RecreateTablesForColumnOrder(TCustomSchemalyst* Comparer);
/// MS SQL: rows copied to "smx$" + name, the table dropped and created anew, rows copied back, the
/// copy dropped, then the table's indices, keys, triggers and the foreign keys that point at it
/// created again. The table's name is its own again on every exit.
void RecreateTableForColumnOrder(TCustomSchemalyst* Comparer, TTblData* Table);

} // namespace smx
