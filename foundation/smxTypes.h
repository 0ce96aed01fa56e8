// The vocabulary every unit of the suite speaks: database kinds, access-library kinds, protocols,
// comparable object kinds, schema object kinds, statement kinds and operations, with their fixed
// ordinals (sets are stored as bit masks by ordinal, options are streamed by ordinal); the four
// shared event types; three attribute records of the DDL writers; and the dialect helpers
// (terminator, string literal, qualified name, byte-in-set test).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/smxCompactString.h"
#include "platform/smxComponent.h"
#include "platform/smxEnumSet.h"

namespace smx {

class TStringList;

enum class TDatabaseType : std::uint8_t {
    dbAbstract,
    dbInterBase,
    dbSybaseASA,
    dbMySQL,
    dbOracle,
    dbMSSQL,
    dbPostgreSQL,
    dbDB2,
    dbSybaseASE,
    dbPervasiveSQL,
    dbMSAccess,
    dbParadox,
    dbDBASE,
    dbCustomOLEDB,
};
inline constexpr int DatabaseTypeCount = 14;
static_assert(static_cast<int>(TDatabaseType::dbCustomOLEDB) + 1 == DatabaseTypeCount);
using TDatabaseSetType = EnumSet<TDatabaseType, std::uint16_t>;

enum class TconnectionType : std::uint8_t {
    cnAbstract,
    cnIBX,
    cnFIB,
    cnIBO,
    cnADO,
    cnZEOS,
    cnBDE,
    cnDBX,
    cnAnyDAC,
    cnUIB,
    cnODAC,
    cnSAVCL,
    cnMyDAC,
    cnPostgresDAC,
    cnIBDAC,
    cnFireDAC,
    cnUniDAC,
};
inline constexpr int ConnectionTypeCount = 17;
static_assert(static_cast<int>(TconnectionType::cnUniDAC) == 16);
using TConnectionSetType = EnumSet<TconnectionType, std::uint32_t>;

enum class TSMXProtocol : std::uint8_t { ptTCP, ptSPX, ptNamedPipe, ptLocal };

enum class TCmpObjType : std::uint8_t {
    coDomain,
    coFunction,
    coGenerator,
    coException,
    coTable,
    coView,
    coProcedure,
    coTrigger,
    coIndex,
    coRole,
    coGrant,
    coRoleGrant,
    coUserGrant,
    coObjGrant,
    coPrimaryKey,
    coForeignKey,
    coUnique,
    coCheck,
    coRule,
    coDefault,
    coCtrDefault,
    coPackage,
    coDescription,
};
inline constexpr int CmpObjTypeCount = 23;
static_assert(static_cast<int>(TCmpObjType::coDescription) + 1 == CmpObjTypeCount);
/// Bit n for kind n; 24 bits wide (held in 32).
using TCmpObjSetType = EnumSet<TCmpObjType, std::uint32_t>;
inline constexpr TCmpObjSetType AllCmpObjTypes =
    TCmpObjSetType::range(TCmpObjType::coDomain, TCmpObjType::coDescription);
inline constexpr TCmpObjSetType ConstraintCmpObjTypes =
    TCmpObjSetType::range(TCmpObjType::coPrimaryKey, TCmpObjType::coCheck);
inline constexpr TCmpObjSetType GrantCmpObjTypes{TCmpObjType::coGrant, TCmpObjType::coRoleGrant,
                                                 TCmpObjType::coUserGrant};
static_assert(AllCmpObjTypes.mask() == 0x7FFFFF);
static_assert(ConstraintCmpObjTypes.mask() == 0x3C000);
static_assert(GrantCmpObjTypes.mask() == 0x1C00);

enum class TStatType : std::uint8_t {
    stConnect,
    stReconnect,
    stCreateDb,
    stSet,
    stSetBlobFile,
    st_Commit,
    stStatement,
    stComment,
    stProcedure,
    stTrigger,
    stSetNames,
    stCharSet,
    stSqlDialect,
    stDescription,
    stSelect,
    stInsert,
    stUpdate,
    stDelete,
    stExecuteBlock,
    stPackage,
};
inline constexpr int StatTypeCount = 20;
static_assert(static_cast<int>(TStatType::stPackage) == 19);

/// Display names of the statement kinds, by ordinal.
inline constexpr std::array<std::string_view, StatTypeCount> StatTypeNames = {
    "Connect",  "ReConnect", "CreateDb", "Set",        "BlobFile",    "Commit", "Statement",
    "Comment",  "Procedure", "Trigger",  "SetNames",   "CharSet",     "SqlDialect",
    "Description", "Select", "Insert",   "Update",     "Delete",      "ExecuteBlock", "Package"};
constexpr std::string_view GetStatTypeName(TStatType t) { return StatTypeNames[static_cast<std::size_t>(t)]; }

enum class TDbOperation : std::uint8_t {
    odbUnknown,
    odbCreate,
    odbAlter,
    odbDrop,
    odbEmpty,
    odbRestore,
    odbEmptyCreate,
    odbEmptyDrop,
    odbSet,
    odbCommit,
    odbComment,
    odbDescription,
    odbInsert,
    odbUpdate,
    odbDelete,
};
static_assert(static_cast<int>(TDbOperation::odbDelete) == 14);

enum class TUpdateDescriptionType : std::uint8_t { udSysTables, udDescribe, udComment };

enum class TDbObject : std::uint8_t {
    dboUnknown,
    dboTable,
    dboProcedure,
    dboTrigger,
    dboFunction,
    dboException,
    dboIndex,
    dboDomain,
    dboView,
    dboGenerator,
    dboEvent,
    dboField,
    dboParam,
    dboDatabase,
    dboBlobFilter,
    dboCollation,
    dboConstraint,
    dboPKey,
    dboFKey,
    dboUnique,
    dboCheck,
    dboReferences,
    dboCtrDefault,
    dboRole,
    dboGrant,
    dboRule,
    dboDefault,
    dboPackage,
    dboPackageBody,
    dboPublication,
    dboSchema,
    dboOperator,
    dboOperatorClass,
    dboExtension,
    dboConversion,
    dboUser,
    dboUserGroup,
    dboValidation,
    dboExprIndex,
    dboCount,
    dboComputed,
    dboDepend,
    dboPrkList,
    dboFrkList,
    dboUnqList,
    dboChkList,
    dboDefList,
    dboRefList,
    dboIdxList,
    dboExcList,
    dboRolList,
    dboGntList,
    dboCdfList,
    dboPrcList,
    dboTrgList,
    dboFncList,
    dboRulList,
    dboGnrList,
    dboPkgList,
    dboDmnList,
    dboViwList,
    dboFldList,
    dboTblLIst,
    dboPblList,
    dboOprList,
    dboOpcList,
    dboCnvList,
    dboEvtList,
    dboCltList,
    dboUseInList,
    dboUseOfList,
};
inline constexpr int DbObjectCount = 71;
static_assert(static_cast<int>(TDbObject::dboTblLIst) == 62);
static_assert(static_cast<int>(TDbObject::dboUseOfList) == 70);
static_assert(static_cast<int>(TDbObject::dboUseOfList) + 1 == DbObjectCount);

// Event types: the sender first; "var" arguments are references.
using TProgressUpdateEvent = std::function<void(TObject* Sender, int Value, int MaxValue)>;
using TLogNextLineEvent = std::function<void(TObject* Sender, const std::string& LogText)>;
using TErrorMessageEvent = std::function<void(TObject* Sender, const std::string& ErrText)>;
using TLoadScriptEvent =
    std::function<void(TObject* Sender, const std::string& FileName, TStringList& aScript, bool& Loaded)>;
using TNotifyEvent = std::function<void(TObject* Sender)>;

/// Physical attributes of a table or index (0 / empty = not set).
class TTableSpace {
public:
    std::int32_t pctfree = 0;
    std::int32_t pctused = 0;
    std::int32_t initrans = 0;
    std::int32_t maxtrans = 0;
    TCompactString storage;
    TCompactString extra;

    /// The attributes that are set, one clause a line, trimmed of outer blanks and control characters.
    std::string GetSQLText() const;
};

/// Fills, in both directions, each of pctfree, pctused, initrans, maxtrans and storage that is unset on
/// one side from the other (A from B first, then B from A). Extra text is not merged.
void MergeTableSpaces(TTableSpace& A, TTableSpace& B);

/// Flags of a user-defined object type.
class TTypeDirective {
public:
    std::uint8_t NotInstantiable = 0;
    std::uint8_t NotFinal = 0;
    std::uint8_t Final = 0;
    std::uint8_t Instantiable = 0;
    std::uint8_t Overriding = 0;

    /// "OVERRIDING ", "NOT INSTANTIABLE ", "NOT FINAL ", "INSTANTIABLE ", "FINAL " for the flags set.
    std::string GetSQLText() const;
};

/// Option holder of an index: the MySQL index method (USING).
class TIndexOptions {
public:
    TCompactString IndexType;
};

/// Option holder of a full-text index; it carries nothing yet.
class TFullTextIndexOptions {};

/// ";\r\n" for every kind but MS SQL ("\r\nGO\r\n") and Sybase ASA/ASE ("\r\ngo\r\n").
std::string GetStatementTerminator(TDatabaseType DatabaseType);

/// Text as an SQL string literal in the escaping of the database kind.
std::string GetSQLStringLiteral(std::string_view Text, TDatabaseType DatabaseType);

/// Schema + "." + Name, or Name when Schema is empty.
std::string GetQualifiedName(std::string_view Schema, std::string_view Name);

/// A 256-bit character set: bit (ch mod 32) of 32-bit word (ch div 32).
using TCharSet256 = std::array<std::uint32_t, 8>;
bool IsCharInSet(unsigned char Ch, const TCharSet256& Set);
/// Builds a TCharSet256 from the bytes of chars.
TCharSet256 MakeCharSet(std::string_view chars);

/// Whole-text conversion to a 32-bit integer (decimal, or hexadecimal with a leading "$").
bool IsIntegerStr(std::string_view Text, int& Value);

} // namespace smx
