// Every setting object of the suite: the connection parameters, one server-options class per
// database family with its owned compare options (and database facts for four families), the data
// script options and the MySQL table options of a table object. They are value types: copying one
// copies every field and the owned option objects, so components never share an option object.
// Also here: the server-version enumerations with their display names and the small text builders
// of script headers (SET NAMES, SET SQL DIALECT, CONNECT, the database summary comment).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "foundation/smxTypes.h"

namespace smx {

// ---- Server versions (one byte each; options are streamed by ordinal) ----

enum class TIBSQLServerVersionType : std::uint8_t {
    st_InterBase_4x,
    st_InterBase_5x,
    st_InterBase_6x,
    st_FireBird_1x,
    st_Yaffil_1x,
    st_FireBird_15,
    st_InterBase_7x,
    st_InterBase_75,
    st_Firebird_20,
    st_Firebird_21,
    st_Firebird_25,
    st_Firebird_30,
    st_Firebird_40,
    st_InterBase_2020,
};
inline constexpr int IBSQLServerVersionCount = 14;
static_assert(static_cast<int>(TIBSQLServerVersionType::st_InterBase_2020) == 13);

enum class TMSSQLServerVersionType : std::uint8_t {
    st_MSSQL2000,
    st_MSSQL2005,
    st_MSSQL2008,
    st_MSSQL2012,
    st_MSSQL2014,
    st_MSSQL2016,
    st_MSSQL2017,
    st_MSSQL2019,
};

enum class TASAServerVersionType : std::uint8_t { st_ASA5, st_ASA6, st_ASA7, st_ASA8, st_ASA9 };

enum class TASEServerVersionType : std::uint8_t { st_ASE12 };

enum class TPGSQLServerVersionType : std::uint8_t {
    st_PostgreSQL_7x,
    st_PostgreSQL_8x,
    st_PostgreSQL_9x,
    st_PostgreSQL_10x,
    st_PostgreSQL_11x,
    st_PostgreSQL_12x,
    st_PostgreSQL_13x,
    st_PostgreSQL_14x,
};

enum class TMySQLServerVersionType : std::uint8_t {
    st_MySQL_3x,
    st_MySQL_4x,
    st_MySQL_5x,
    st_MySQL_8x,
    st_MariaDB_10x,
};

enum class TOracleServerVersionType : std::uint8_t {
    st_Oracle_7x,
    st_Oracle_8x,
    st_Oracle_9x,
    st_Oracle_10x,
    st_Oracle_11x,
    st_Oracle_12x,
    st_Oracle_18x,
    st_Oracle_19x,
    st_Oracle_21x,
};

enum class TDB2ServerVersionType : std::uint8_t { st_DB2_8x, st_DB2_9x, st_DB2_10x, st_DB2_11x };

/// SQL dialect of an InterBase/Firebird database (1 to 3).
using TIBSQLDialectType = int;

/// Display name of server version Index of a database kind; empty when the kind has no list or
/// Index is outside it.
std::string GetServerVersionName(TDatabaseType DatabaseType, int Index);

/// "On" / "Off".
std::string BoolToOnOff(bool Value);
/// "True" / "False".
std::string BoolToTrueFalse(bool Value);

// ---- Connection parameters ----

/// Connection parameters of a connection component or an object container. The constructor gives
/// ptTCP; SetDefaults gives ptLocal (the constructor does not call it).
class TConnectionOptions : public TObject {
public:
    SMX_CLASSNAME(TConnectionOptions)
    /// Stored (streamed) defaults of the published non-text properties.
    static constexpr int DefaultPort = 0;
    static constexpr TSMXProtocol DefaultProtocol = TSMXProtocol::ptTCP;
    static constexpr bool DefaultUseWindowsAuthentication = false;

    /// Empties every text, Port 0, Protocol ptLocal, no Windows authentication.
    void SetDefaults();

    const std::string& GetDatabaseName() const { return databaseName_; }
    void SetDatabaseName(std::string_view v) { databaseName_ = v; }
    const std::string& GetUserName() const { return userName_; }
    void SetUserName(std::string_view v) { userName_ = v; }
    const std::string& GetPassword() const { return password_; }
    void SetPassword(std::string_view v) { password_ = v; }
    const std::string& GetRoleName() const { return roleName_; }
    void SetRoleName(std::string_view v) { roleName_ = v; }
    /// Three unpublished texts, only reset and copied by the suite.
    const std::string& GetServerName() const { return serverName_; }
    void SetServerName(std::string_view v) { serverName_ = v; }
    const std::string& GetProviderName() const { return providerName_; }
    void SetProviderName(std::string_view v) { providerName_ = v; }
    const std::string& GetExtraParams() const { return extraParams_; }
    void SetExtraParams(std::string_view v) { extraParams_ = v; }
    int GetPort() const { return port_; }
    void SetPort(int v) { port_ = v; }
    const std::string& GetHostName() const { return hostName_; }
    void SetHostName(std::string_view v) { hostName_ = v; }
    TSMXProtocol GetProtocol() const { return protocol_; }
    void SetProtocol(TSMXProtocol v) { protocol_ = v; }
    bool GetUseWindowsAuthentication() const { return useWindowsAuthentication_; }
    void SetUseWindowsAuthentication(bool v) { useWindowsAuthentication_ = v; }
    const std::string& GetConnectionString() const { return connectionString_; }
    void SetConnectionString(std::string_view v) { connectionString_ = v; }
    const std::string& GetClientLibrary() const { return clientLibrary_; }
    void SetClientLibrary(std::string_view v) { clientLibrary_ = v; }

private:
    std::string databaseName_;
    std::string userName_;
    std::string password_;
    std::string roleName_;
    std::string serverName_;
    std::string providerName_;
    std::string extraParams_;
    int port_ = DefaultPort;
    std::string hostName_;
    TSMXProtocol protocol_ = DefaultProtocol;
    bool useWindowsAuthentication_ = DefaultUseWindowsAuthentication;
    std::string connectionString_;
    std::string clientLibrary_;
};

// ---- InterBase / Firebird ----

/// Compare switches of the InterBase family.
class TIBCompareOptions : public TObject {
public:
    SMX_CLASSNAME(TIBCompareOptions)
    /// Stored defaults (equal to the constructed values).
    static constexpr bool DefaultDbCharsetCompare = false;
    static constexpr bool DefaultFldCharsetCompare = false;
    static constexpr TUpdateDescriptionType DefaultUpdateDescriptionMode =
        TUpdateDescriptionType::udSysTables;
    static constexpr bool DefaultModifySystemTables = false;
    static constexpr bool DefaultGenerateCOMMIT = false;
    static constexpr bool DefaultUseRECONNECT = true;
    static constexpr bool DefaultAllowDataTypeConversion = false;
    static constexpr bool DefaultUpdateFieldPosition = true;
    static constexpr bool DefaultExtractOnlyComparedObjects = true;
    static constexpr bool DefaultIgnoreIBEObjects = true;

    TIBCompareOptions() { SetDefaults(); }
    /// Resets seven switches; ModifySystemTables, GenerateCOMMIT and AllowDataTypeConversion keep
    /// their values.
    void SetDefaults();

    bool GetDbCharsetCompare() const { return dbCharsetCompare_; }
    void SetDbCharsetCompare(bool v) { dbCharsetCompare_ = v; }
    bool GetFldCharsetCompare() const { return fldCharsetCompare_; }
    void SetFldCharsetCompare(bool v) { fldCharsetCompare_ = v; }
    TUpdateDescriptionType GetUpdateDescriptionMode() const { return updateDescriptionMode_; }
    void SetUpdateDescriptionMode(TUpdateDescriptionType v) { updateDescriptionMode_ = v; }
    bool GetModifySystemTables() const { return modifySystemTables_; }
    void SetModifySystemTables(bool v) { modifySystemTables_ = v; }
    bool GetGenerateCOMMIT() const { return generateCOMMIT_; }
    void SetGenerateCOMMIT(bool v) { generateCOMMIT_ = v; }
    bool GetUseRECONNECT() const { return useRECONNECT_; }
    void SetUseRECONNECT(bool v) { useRECONNECT_ = v; }
    bool GetAllowDataTypeConversion() const { return allowDataTypeConversion_; }
    void SetAllowDataTypeConversion(bool v) { allowDataTypeConversion_ = v; }
    bool GetUpdateFieldPosition() const { return updateFieldPosition_; }
    void SetUpdateFieldPosition(bool v) { updateFieldPosition_ = v; }
    bool GetExtractOnlyComparedObjects() const { return extractOnlyComparedObjects_; }
    void SetExtractOnlyComparedObjects(bool v) { extractOnlyComparedObjects_ = v; }
    bool GetIgnoreIBEObjects() const { return ignoreIBEObjects_; }
    void SetIgnoreIBEObjects(bool v) { ignoreIBEObjects_ = v; }

private:
    bool dbCharsetCompare_ = DefaultDbCharsetCompare;
    bool fldCharsetCompare_ = DefaultFldCharsetCompare;
    TUpdateDescriptionType updateDescriptionMode_ = DefaultUpdateDescriptionMode;
    bool modifySystemTables_ = DefaultModifySystemTables;
    bool generateCOMMIT_ = DefaultGenerateCOMMIT;
    bool useRECONNECT_ = DefaultUseRECONNECT;
    bool allowDataTypeConversion_ = DefaultAllowDataTypeConversion;
    bool updateFieldPosition_ = DefaultUpdateFieldPosition;
    bool extractOnlyComparedObjects_ = DefaultExtractOnlyComparedObjects;
    bool ignoreIBEObjects_ = DefaultIgnoreIBEObjects;
};

/// Facts read from a connected InterBase/Firebird database by the client adapter.
class TIBDatabaseOptions : public TObject {
public:
    SMX_CLASSNAME(TIBDatabaseOptions)
    TIBDatabaseOptions() { SetDefaults(); }
    /// Empties both texts and zeroes every number and flag.
    void SetDefaults();

    /// The server's version text (isc_info_version).
    const std::string& GetServerVersion() const { return serverVersion_; }
    void SetServerVersion(std::string_view v) { serverVersion_ = v; }
    /// The server implementation text of the services manager.
    const std::string& GetServerImplementation() const { return serverImplementation_; }
    void SetServerImplementation(std::string_view v) { serverImplementation_ = v; }
    int GetODSMajorVersion() const { return odsMajorVersion_; }
    void SetODSMajorVersion(int v) { odsMajorVersion_ = v; }
    int GetODSMinorVersion() const { return odsMinorVersion_; }
    void SetODSMinorVersion(int v) { odsMinorVersion_ = v; }
    int GetPageSize() const { return pageSize_; }
    void SetPageSize(int v) { pageSize_ = v; }
    bool GetForcedWrites() const { return forcedWrites_; }
    void SetForcedWrites(bool v) { forcedWrites_ = v; }
    int GetSweepInterval() const { return sweepInterval_; }
    void SetSweepInterval(int v) { sweepInterval_ = v; }
    bool GetReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v) { readOnly_ = v; }
    /// Cache pages (isc_info_num_buffers).
    int GetNumBuffers() const { return numBuffers_; }
    void SetNumBuffers(int v) { numBuffers_ = v; }
    /// Byte 3 of the isc_info_implementation answer.
    int GetImplementationNo() const { return implementationNo_; }
    void SetImplementationNo(int v) { implementationNo_ = v; }
    /// Byte 4 of the isc_info_implementation answer.
    int GetImplementationClass() const { return implementationClass_; }
    void SetImplementationClass(int v) { implementationClass_ = v; }
    /// SQL dialect of the database.
    int GetSQLDialect() const { return sqlDialect_; }
    void SetSQLDialect(int v) { sqlDialect_ = v; }
    /// Firebird 3 and later: the seconds the engine lingers after the last detach (ALTER DATABASE
    /// SET LINGER TO n); 0 when none is set.
    int GetLinger() const { return linger_; }
    void SetLinger(int v) { linger_ = v; }
    /// The character sets whose default collation is not the one bearing their name (ALTER
    /// CHARACTER SET cs SET DEFAULT COLLATION c): character set -> collation, both upper-cased.
    const std::map<std::string, std::string>& GetCharSetCollations() const { return charSetCollations_; }
    /// Records CharSet's default collation; the collation named like the character set removes the
    /// entry.
    void SetCharSetCollation(std::string_view CharSet, std::string_view Collation);
    /// The default collation of CharSet: its entry, else the character set's own name.
    std::string GetDefaultCollation(std::string_view CharSet) const;

private:
    std::string serverVersion_;
    std::string serverImplementation_;
    int odsMajorVersion_ = 0;
    int odsMinorVersion_ = 0;
    int pageSize_ = 0;
    bool forcedWrites_ = false;
    int sweepInterval_ = 0;
    bool readOnly_ = false;
    int numBuffers_ = 0;
    int implementationNo_ = 0;
    int implementationClass_ = 0;
    int sqlDialect_ = 0;
    int linger_ = 0;
    std::map<std::string, std::string> charSetCollations_;
};

/// InterBase/Firebird settings: server version, dialect, character set, compare switches and the
/// database facts. SQLServerVersion is the switch of every InterBase-specific branch.
class TIBServerOptions : public TObject {
public:
    SMX_CLASSNAME(TIBServerOptions)
    /// Stored defaults (equal to the constructed values).
    static constexpr TIBSQLServerVersionType DefaultSQLServerVersion =
        TIBSQLServerVersionType::st_Firebird_25;
    static constexpr TIBSQLDialectType DefaultSQLDialect = 3;

    TIBServerOptions() { SetDefaults(); }
    /// Copies every field of Source, owned objects included; lets sibling classes (executor, engine
    /// and data comparer options) be copied into each other.
    void Assign(const TIBServerOptions& Source) { *this = Source; }
    /// SQLDialect 3, DBCharSet empty, database facts and compare switches reset; SQLServerVersion kept.
    void SetDefaults();

    TIBSQLServerVersionType GetSQLServerVersion() const { return sqlServerVersion_; }
    void SetSQLServerVersion(TIBSQLServerVersionType v) { sqlServerVersion_ = v; }
    TIBSQLDialectType GetSQLDialect() const { return sqlDialect_; }
    void SetSQLDialect(TIBSQLDialectType v) { sqlDialect_ = v; }
    const std::string& GetDBCharSet() const { return dbCharSet_; }
    /// Stores the text upper-cased.
    void SetDBCharSet(std::string_view v);
    const TIBCompareOptions& GetIBCompareOptions() const { return ibCompareOptions_; }
    TIBCompareOptions& GetIBCompareOptions() { return ibCompareOptions_; }
    void SetIBCompareOptions(const TIBCompareOptions& v) { ibCompareOptions_ = v; }
    const TIBDatabaseOptions& GetIBDatabaseOptions() const { return ibDatabaseOptions_; }
    TIBDatabaseOptions& GetIBDatabaseOptions() { return ibDatabaseOptions_; }
    void SetIBDatabaseOptions(const TIBDatabaseOptions& v) { ibDatabaseOptions_ = v; }

    /// "SET NAMES " + DBCharSet; empty when DBCharSet is empty or NONE.
    std::string GetSetNamesSQL() const;
    /// "SET SQL DIALECT 3" for dialect 3; empty for every other dialect.
    std::string GetSetSQLDialectSQL() const;
    /// "CONNECT 'db'" with the USER, PASSWORD and ROLE parts that are set (standard literals, no
    /// terminator); empty when the database name is empty.
    std::string GetConnectSQL(const TConnectionOptions& ConnectionOptions) const;
    /// True for ODS 10 or later; without an ODS major of 10 or more, True from InterBase 6 on.
    bool IsODS10OrLater() const;
    /// The database facts as one "/* ... */" comment; empty when no version text and no ODS are set.
    std::string GetDatabaseInfoText() const;

private:
    TIBSQLServerVersionType sqlServerVersion_ = DefaultSQLServerVersion;
    TIBSQLDialectType sqlDialect_ = DefaultSQLDialect;
    std::string dbCharSet_;
    TIBCompareOptions ibCompareOptions_;
    TIBDatabaseOptions ibDatabaseOptions_;
};

/// The executor's InterBase options (publishes SQLServerVersion and IBCompareOptions).
class TIBSQLExecOptions : public TIBServerOptions {
public:
    SMX_CLASSNAME(TIBSQLExecOptions)
};

/// The data comparer's InterBase options (publishes SQLDialect and SQLServerVersion).
class TIBTableDataComparerOptions : public TIBServerOptions {
public:
    SMX_CLASSNAME(TIBTableDataComparerOptions)
};

/// The connection component's InterBase options (publishes SQLDialect, SQLServerVersion, DBCharSet).
class TIBEngineOptions : public TIBServerOptions {
public:
    SMX_CLASSNAME(TIBEngineOptions)
};

// ---- MS SQL Server ----

class TMSSQLCompareOptions : public TObject {
public:
    SMX_CLASSNAME(TMSSQLCompareOptions)
    TMSSQLCompareOptions() { SetDefaults(); }
    /// IgnoreFileGroup False, IgnoreSysName True, CaseSensitiveIdentifiers False; UpdateColumnPosition kept.
    void SetDefaults();

    bool GetIgnoreFileGroup() const { return ignoreFileGroup_; }
    void SetIgnoreFileGroup(bool v) { ignoreFileGroup_ = v; }
    bool GetIgnoreSysName() const { return ignoreSysName_; }
    void SetIgnoreSysName(bool v) { ignoreSysName_ = v; }
    bool GetCaseSensitiveIdentifiers() const { return caseSensitiveIdentifiers_; }
    void SetCaseSensitiveIdentifiers(bool v) { caseSensitiveIdentifiers_ = v; }
    bool GetUpdateColumnPosition() const { return updateColumnPosition_; }
    void SetUpdateColumnPosition(bool v) { updateColumnPosition_ = v; }

private:
    bool ignoreFileGroup_ = false;
    bool ignoreSysName_ = true;
    bool caseSensitiveIdentifiers_ = false;
    bool updateColumnPosition_ = false;
};

/// Facts of an MS SQL database; the compatibility level decides the description procedure.
class TMSSQLDatabaseOptions : public TObject {
public:
    SMX_CLASSNAME(TMSSQLDatabaseOptions)
    TMSSQLDatabaseOptions() { SetDefaults(); }
    /// Empties the text, the flags and DatabaseId; CompatibilityLevel kept.
    void SetDefaults();

    const std::string& GetProductVersion() const { return productVersion_; }
    void SetProductVersion(std::string_view v) { productVersion_ = v; }
    bool GetAnsiNulls() const { return ansiNulls_; }
    void SetAnsiNulls(bool v) { ansiNulls_ = v; }
    bool GetAnsiPadding() const { return ansiPadding_; }
    void SetAnsiPadding(bool v) { ansiPadding_ = v; }
    bool GetQuotedIdentifier() const { return quotedIdentifier_; }
    void SetQuotedIdentifier(bool v) { quotedIdentifier_ = v; }
    bool GetCaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool v) { caseSensitive_ = v; }
    int GetDatabaseId() const { return databaseId_; }
    void SetDatabaseId(int v) { databaseId_ = v; }
    /// The database's compatibility level (e.g. 80, 90, 150); 0 when unknown.
    int GetCompatibilityLevel() const { return compatibilityLevel_; }
    void SetCompatibilityLevel(int v) { compatibilityLevel_ = v; }

private:
    std::string productVersion_;
    bool ansiNulls_ = false;
    bool ansiPadding_ = false;
    bool quotedIdentifier_ = false;
    bool caseSensitive_ = false;
    int databaseId_ = 0;
    int compatibilityLevel_ = 0;
};

class TMSSQLServerOptions : public TObject {
public:
    SMX_CLASSNAME(TMSSQLServerOptions)
    /// Stored default of SQLServerVersion.
    static constexpr TMSSQLServerVersionType DefaultSQLServerVersion = TMSSQLServerVersionType::st_MSSQL2000;

    TMSSQLServerOptions() { SetDefaults(); }
    /// st_MSSQL2000, both texts empty, both owned objects reset.
    void SetDefaults();

    const std::string& GetDBCharSet() const { return dbCharSet_; }
    void SetDBCharSet(std::string_view v) { dbCharSet_ = v; }
    const std::string& GetCollation() const { return collation_; }
    void SetCollation(std::string_view v) { collation_ = v; }
    TMSSQLServerVersionType GetSQLServerVersion() const { return sqlServerVersion_; }
    void SetSQLServerVersion(TMSSQLServerVersionType v) { sqlServerVersion_ = v; }
    const TMSSQLCompareOptions& GetMSSQLCompareOptions() const { return compareOptions_; }
    TMSSQLCompareOptions& GetMSSQLCompareOptions() { return compareOptions_; }
    void SetMSSQLCompareOptions(const TMSSQLCompareOptions& v) { compareOptions_ = v; }
    const TMSSQLDatabaseOptions& GetMSSQLDatabaseOptions() const { return databaseOptions_; }
    TMSSQLDatabaseOptions& GetMSSQLDatabaseOptions() { return databaseOptions_; }
    void SetMSSQLDatabaseOptions(const TMSSQLDatabaseOptions& v) { databaseOptions_ = v; }

private:
    std::string dbCharSet_;
    std::string collation_;
    TMSSQLServerVersionType sqlServerVersion_ = DefaultSQLServerVersion;
    TMSSQLCompareOptions compareOptions_;
    TMSSQLDatabaseOptions databaseOptions_;
};

// ---- MySQL / MariaDB ----

class TMySQLCompareOptions : public TObject {
public:
    SMX_CLASSNAME(TMySQLCompareOptions)
    TMySQLCompareOptions() { SetDefaults(); }
    /// CaseSensitiveIdentifiers True.
    void SetDefaults() { caseSensitiveIdentifiers_ = true; }

    bool GetCaseSensitiveIdentifiers() const { return caseSensitiveIdentifiers_; }
    void SetCaseSensitiveIdentifiers(bool v) { caseSensitiveIdentifiers_ = v; }

private:
    bool caseSensitiveIdentifiers_ = true;
};

class TMySQLServerOptions : public TObject {
public:
    SMX_CLASSNAME(TMySQLServerOptions)
    TMySQLServerOptions() { SetDefaults(); }
    /// st_MySQL_5x, both texts empty, compare options reset.
    void SetDefaults();

    TMySQLServerVersionType GetSQLServerVersion() const { return sqlServerVersion_; }
    void SetSQLServerVersion(TMySQLServerVersionType v) { sqlServerVersion_ = v; }
    /// Character set of the connection ("SET CHARACTER SET" after connecting).
    const std::string& GetCharSet() const { return charSet_; }
    void SetCharSet(std::string_view v) { charSet_ = v; }
    const std::string& GetNames() const { return names_; }
    void SetNames(std::string_view v) { names_ = v; }
    const TMySQLCompareOptions& GetMySQLCompareOptions() const { return compareOptions_; }
    TMySQLCompareOptions& GetMySQLCompareOptions() { return compareOptions_; }
    void SetMySQLCompareOptions(const TMySQLCompareOptions& v) { compareOptions_ = v; }

private:
    TMySQLServerVersionType sqlServerVersion_ = TMySQLServerVersionType::st_MySQL_5x;
    std::string charSet_;
    std::string names_;
    TMySQLCompareOptions compareOptions_;
};

/// MySQL table attributes of a table object; GetSQLText writes the table-option clause.
class TMySQLTableOptions : public TObject {
public:
    SMX_CLASSNAME(TMySQLTableOptions)

    /// DEFAULT CHARSET; stored unchanged.
    const std::string& GetCharSet() const { return charSet_; }
    void SetCharSet(std::string_view v) { charSet_ = v; }
    const std::string& GetEngine() const { return engine_; }
    void SetEngine(std::string_view v) { engine_ = v; }
    /// The older TYPE= spelling of the engine, kept as read.
    const std::string& GetTableType() const { return tableType_; }
    void SetTableType(std::string_view v) { tableType_ = v; }
    int GetAvgRowLength() const { return avgRowLength_; }
    void SetAvgRowLength(int v) { avgRowLength_ = v; }
    int GetChecksum() const { return checksum_; }
    void SetChecksum(int v) { checksum_ = v; }
    const std::string& GetCollation() const { return collation_; }
    void SetCollation(std::string_view v) { collation_ = v; }
    const std::string& GetComment() const { return comment_; }
    void SetComment(std::string_view v) { comment_ = v; }
    const std::string& GetConnection() const { return connection_; }
    void SetConnection(std::string_view v) { connection_ = v; }
    const std::string& GetDataDirectory() const { return dataDirectory_; }
    void SetDataDirectory(std::string_view v) { dataDirectory_ = v; }
    int GetDelayKeyWrite() const { return delayKeyWrite_; }
    void SetDelayKeyWrite(int v) { delayKeyWrite_ = v; }
    const std::string& GetIndexDirectory() const { return indexDirectory_; }
    void SetIndexDirectory(std::string_view v) { indexDirectory_ = v; }
    const std::string& GetInsertMethod() const { return insertMethod_; }
    void SetInsertMethod(std::string_view v) { insertMethod_ = v; }
    int GetKeyBlockSize() const { return keyBlockSize_; }
    void SetKeyBlockSize(int v) { keyBlockSize_ = v; }
    std::int64_t GetMaxRows() const { return maxRows_; }
    void SetMaxRows(std::int64_t v) { maxRows_ = v; }
    std::int64_t GetMinRows() const { return minRows_; }
    void SetMinRows(std::int64_t v) { minRows_ = v; }
    const std::string& GetPackKeys() const { return packKeys_; }
    void SetPackKeys(std::string_view v) { packKeys_ = v; }
    const std::string& GetPassword() const { return password_; }
    void SetPassword(std::string_view v) { password_ = v; }
    const std::string& GetRowFormat() const { return rowFormat_; }
    void SetRowFormat(std::string_view v) { rowFormat_ = v; }
    /// Two further attributes, copied but not written to DDL.
    std::int64_t GetAutoIncrement() const { return autoIncrement_; }
    void SetAutoIncrement(std::int64_t v) { autoIncrement_ = v; }
    const std::string& GetCreateOptions() const { return createOptions_; }
    void SetCreateOptions(std::string_view v) { createOptions_ = v; }

    /// The options that are set, each on a line of its own introduced by "\r\n"; texts that may
    /// hold any byte are written as MySQL string literals.
    std::string GetSQLText() const;

private:
    TCompactString charSet_;
    TCompactString engine_;
    TCompactString tableType_;
    int avgRowLength_ = 0;
    int checksum_ = 0;
    TCompactString collation_;
    TCompactString comment_;
    TCompactString connection_;
    TCompactString dataDirectory_;
    int delayKeyWrite_ = 0;
    TCompactString indexDirectory_;
    TCompactString insertMethod_;
    int keyBlockSize_ = 0;
    std::int64_t maxRows_ = 0;
    std::int64_t minRows_ = 0;
    TCompactString packKeys_;
    TCompactString password_;
    TCompactString rowFormat_;
    std::int64_t autoIncrement_ = 0;
    TCompactString createOptions_;
};

// ---- Sybase ASA ----

class TASACompareOptions : public TObject {
public:
    SMX_CLASSNAME(TASACompareOptions)
    TASACompareOptions() { SetDefaults(); }
    /// CaseSensitiveIdentifiers False.
    void SetDefaults() { caseSensitiveIdentifiers_ = false; }

    bool GetCaseSensitiveIdentifiers() const { return caseSensitiveIdentifiers_; }
    void SetCaseSensitiveIdentifiers(bool v) { caseSensitiveIdentifiers_ = v; }

private:
    bool caseSensitiveIdentifiers_ = false;
};

/// Facts of an ASA database, only reset and copied by the suite.
class TASADatabaseOptions : public TObject {
public:
    SMX_CLASSNAME(TASADatabaseOptions)
    TASADatabaseOptions() { SetDefaults(); }
    /// Both flags True, the texts empty, PageSize 0.
    void SetDefaults();

    bool GetQuotedIdentifier() const { return quotedIdentifier_; }
    void SetQuotedIdentifier(bool v) { quotedIdentifier_ = v; }
    bool GetAllowNullsByDefault() const { return allowNullsByDefault_; }
    void SetAllowNullsByDefault(bool v) { allowNullsByDefault_ = v; }
    const std::string& GetCharSet() const { return charSet_; }
    void SetCharSet(std::string_view v) { charSet_ = v; }
    int GetPageSize() const { return pageSize_; }
    void SetPageSize(int v) { pageSize_ = v; }
    const std::string& GetCollation() const { return collation_; }
    void SetCollation(std::string_view v) { collation_ = v; }

private:
    bool quotedIdentifier_ = true;
    bool allowNullsByDefault_ = true;
    std::string charSet_;
    int pageSize_ = 0;
    std::string collation_;
};

class TASAServerOptions : public TObject {
public:
    SMX_CLASSNAME(TASAServerOptions)
    TASAServerOptions() { SetDefaults(); }
    /// st_ASA9, both owned objects reset.
    void SetDefaults();

    TASAServerVersionType GetSQLServerVersion() const { return sqlServerVersion_; }
    void SetSQLServerVersion(TASAServerVersionType v) { sqlServerVersion_ = v; }
    const TASACompareOptions& GetASACompareOptions() const { return compareOptions_; }
    TASACompareOptions& GetASACompareOptions() { return compareOptions_; }
    void SetASACompareOptions(const TASACompareOptions& v) { compareOptions_ = v; }
    const TASADatabaseOptions& GetASADatabaseOptions() const { return databaseOptions_; }
    TASADatabaseOptions& GetASADatabaseOptions() { return databaseOptions_; }
    void SetASADatabaseOptions(const TASADatabaseOptions& v) { databaseOptions_ = v; }

private:
    TASAServerVersionType sqlServerVersion_ = TASAServerVersionType::st_ASA9;
    TASACompareOptions compareOptions_;
    TASADatabaseOptions databaseOptions_;
};

// ---- Sybase ASE ----

class TASECompareOptions : public TObject {
public:
    SMX_CLASSNAME(TASECompareOptions)
    TASECompareOptions() { SetDefaults(); }
    /// IgnoreFileGroup False, IgnoreSysName True, CaseSensitiveIdentifiers False, CompareDBOptions True.
    void SetDefaults();

    bool GetIgnoreFileGroup() const { return ignoreFileGroup_; }
    void SetIgnoreFileGroup(bool v) { ignoreFileGroup_ = v; }
    bool GetIgnoreSysName() const { return ignoreSysName_; }
    void SetIgnoreSysName(bool v) { ignoreSysName_ = v; }
    bool GetCaseSensitiveIdentifiers() const { return caseSensitiveIdentifiers_; }
    void SetCaseSensitiveIdentifiers(bool v) { caseSensitiveIdentifiers_ = v; }
    bool GetCompareDBOptions() const { return compareDBOptions_; }
    void SetCompareDBOptions(bool v) { compareDBOptions_ = v; }

private:
    bool ignoreFileGroup_ = false;
    bool ignoreSysName_ = true;
    bool caseSensitiveIdentifiers_ = false;
    bool compareDBOptions_ = true;
};

/// Facts of an ASE database, read by the script header writers.
class TASEDatabaseOptions : public TObject {
public:
    SMX_CLASSNAME(TASEDatabaseOptions)
    /// Number of named database options (bits 0 to 14 of the option word).
    static constexpr int OptionCount = 15;

    TASEDatabaseOptions() { SetDefaults(); }
    /// Empties every text, zeroes every number and flag.
    void SetDefaults();
    /// Name of database option Index (0 to 14); empty for any other index.
    static std::string GetOptionName(int Index);

    /// The server's version text (the first comment line of a script header).
    const std::string& GetServerVersion() const { return serverVersion_; }
    void SetServerVersion(std::string_view v) { serverVersion_ = v; }
    int GetDatabaseId() const { return databaseId_; }
    void SetDatabaseId(int v) { databaseId_ = v; }
    int GetStatus() const { return status_; }
    void SetStatus(int v) { status_ = v; }
    const std::string& GetSize() const { return size_; }
    void SetSize(std::string_view v) { size_ = v; }
    const std::string& GetOwner() const { return owner_; }
    void SetOwner(std::string_view v) { owner_ = v; }
    const std::string& GetCreated() const { return created_; }
    void SetCreated(std::string_view v) { created_ = v; }
    /// The options as the server lists them (text).
    const std::string& GetOptions() const { return options_; }
    void SetOptions(std::string_view v) { options_ = v; }
    const std::string& GetCharSet() const { return charSet_; }
    void SetCharSet(std::string_view v) { charSet_ = v; }
    bool GetCaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool v) { caseSensitive_ = v; }
    bool GetAccentSensitive() const { return accentSensitive_; }
    void SetAccentSensitive(bool v) { accentSensitive_ = v; }
    bool GetAnsiNulls() const { return ansiNulls_; }
    void SetAnsiNulls(bool v) { ansiNulls_ = v; }
    bool GetQuotedIdentifier() const { return quotedIdentifier_; }
    void SetQuotedIdentifier(bool v) { quotedIdentifier_ = v; }
    /// 16-bit option word: bit n set when option n is on.
    int GetOptionWord() const { return optionWord_; }
    void SetOptionWord(int v) { optionWord_ = v; }

private:
    std::string serverVersion_;
    int databaseId_ = 0;
    int status_ = 0;
    std::string size_;
    std::string owner_;
    std::string created_;
    std::string options_;
    std::string charSet_;
    bool caseSensitive_ = false;
    bool accentSensitive_ = false;
    bool ansiNulls_ = false;
    bool quotedIdentifier_ = false;
    int optionWord_ = 0;
};

class TASEServerOptions : public TObject {
public:
    SMX_CLASSNAME(TASEServerOptions)
    TASEServerOptions() { SetDefaults(); }
    /// st_ASE12, both owned objects reset.
    void SetDefaults();

    TASEServerVersionType GetSQLServerVersion() const { return sqlServerVersion_; }
    void SetSQLServerVersion(TASEServerVersionType v) { sqlServerVersion_ = v; }
    const TASECompareOptions& GetASECompareOptions() const { return compareOptions_; }
    TASECompareOptions& GetASECompareOptions() { return compareOptions_; }
    void SetASECompareOptions(const TASECompareOptions& v) { compareOptions_ = v; }
    const TASEDatabaseOptions& GetASEDatabaseOptions() const { return databaseOptions_; }
    TASEDatabaseOptions& GetASEDatabaseOptions() { return databaseOptions_; }
    void SetASEDatabaseOptions(const TASEDatabaseOptions& v) { databaseOptions_ = v; }

private:
    TASEServerVersionType sqlServerVersion_ = TASEServerVersionType::st_ASE12;
    TASECompareOptions compareOptions_;
    TASEDatabaseOptions databaseOptions_;
};

// ---- Oracle, PostgreSQL, DB2 ----

/// Compare options of Oracle, PostgreSQL and DB2: no settings; SetDefaults does nothing.
class TOracleCompareOptions : public TObject {
public:
    SMX_CLASSNAME(TOracleCompareOptions)
    void SetDefaults() {}
};

class TPgSQLCompareOptions : public TObject {
public:
    SMX_CLASSNAME(TPgSQLCompareOptions)
    void SetDefaults() {}
};

class TDB2CompareOptions : public TObject {
public:
    SMX_CLASSNAME(TDB2CompareOptions)
    void SetDefaults() {}
};

class TOracleServerOptions : public TObject {
public:
    SMX_CLASSNAME(TOracleServerOptions)
    TOracleServerOptions() { SetDefaults(); }
    /// st_Oracle_10x.
    void SetDefaults();

    TOracleServerVersionType GetSQLServerVersion() const { return sqlServerVersion_; }
    void SetSQLServerVersion(TOracleServerVersionType v) { sqlServerVersion_ = v; }
    const TOracleCompareOptions& GetOracleCompareOptions() const { return compareOptions_; }
    TOracleCompareOptions& GetOracleCompareOptions() { return compareOptions_; }
    void SetOracleCompareOptions(const TOracleCompareOptions& v) { compareOptions_ = v; }

private:
    TOracleServerVersionType sqlServerVersion_ = TOracleServerVersionType::st_Oracle_10x;
    TOracleCompareOptions compareOptions_;
};

class TPGSQLServerOptions : public TObject {
public:
    SMX_CLASSNAME(TPGSQLServerOptions)
    /// Stored default of SQLServerVersion.
    static constexpr TPGSQLServerVersionType DefaultSQLServerVersion =
        TPGSQLServerVersionType::st_PostgreSQL_8x;

    TPGSQLServerOptions() { SetDefaults(); }
    /// st_PostgreSQL_8x.
    void SetDefaults();

    TPGSQLServerVersionType GetSQLServerVersion() const { return sqlServerVersion_; }
    void SetSQLServerVersion(TPGSQLServerVersionType v) { sqlServerVersion_ = v; }
    const TPgSQLCompareOptions& GetPGSQLCompareOptions() const { return compareOptions_; }
    TPgSQLCompareOptions& GetPGSQLCompareOptions() { return compareOptions_; }
    void SetPGSQLCompareOptions(const TPgSQLCompareOptions& v) { compareOptions_ = v; }

private:
    TPGSQLServerVersionType sqlServerVersion_ = DefaultSQLServerVersion;
    TPgSQLCompareOptions compareOptions_;
};

class TDB2ServerOptions : public TObject {
public:
    SMX_CLASSNAME(TDB2ServerOptions)
    TDB2ServerOptions() { SetDefaults(); }
    /// st_DB2_8x.
    void SetDefaults();

    TDB2ServerVersionType GetSQLServerVersion() const { return sqlServerVersion_; }
    void SetSQLServerVersion(TDB2ServerVersionType v) { sqlServerVersion_ = v; }
    const TDB2CompareOptions& GetDB2CompareOptions() const { return compareOptions_; }
    TDB2CompareOptions& GetDB2CompareOptions() { return compareOptions_; }
    void SetDB2CompareOptions(const TDB2CompareOptions& v) { compareOptions_ = v; }

private:
    TDB2ServerVersionType sqlServerVersion_ = TDB2ServerVersionType::st_DB2_8x;
    TDB2CompareOptions compareOptions_;
};

// ---- The eight families together ----

/// The server options of the eight database families, one object each. IBOptions is the InterBase
/// class its holder publishes (the connection's engine options, else plain server options).
template <class IBOptions = TIBServerOptions> struct TServerOptionsSet {
    IBOptions IB;
    TMSSQLServerOptions MSSQL;
    TMySQLServerOptions MySQL;
    TASAServerOptions ASA;
    TASEServerOptions ASE;
    TOracleServerOptions Oracle;
    TPGSQLServerOptions PGSQL;
    TDB2ServerOptions DB2;

    /// The SQLServerVersion ordinal of the family of DatabaseType; -1 for a type without options.
    int VersionOf(TDatabaseType DatabaseType) const {
        using enum TDatabaseType;
        switch (DatabaseType) {
        case dbInterBase:
            return static_cast<int>(IB.GetSQLServerVersion());
        case dbMSSQL:
            return static_cast<int>(MSSQL.GetSQLServerVersion());
        case dbMySQL:
            return static_cast<int>(MySQL.GetSQLServerVersion());
        case dbSybaseASA:
            return static_cast<int>(ASA.GetSQLServerVersion());
        case dbSybaseASE:
            return static_cast<int>(ASE.GetSQLServerVersion());
        case dbOracle:
            return static_cast<int>(Oracle.GetSQLServerVersion());
        case dbPostgreSQL:
            return static_cast<int>(PGSQL.GetSQLServerVersion());
        case dbDB2:
            return static_cast<int>(DB2.GetSQLServerVersion());
        default:
            return -1;
        }
    }
};

/// The eight server-option properties (getter returns the object, setter copies into it), written
/// once for every class that publishes them: Holder::ServerOptions() gives the set it holds or the
/// one it forwards to.
template <class Holder, class IBOptions = TIBServerOptions> class TServerOptionsAccess {
public:
    const IBOptions& GetIBServerOptions() const { return Set().IB; }
    IBOptions& GetIBServerOptions() { return Set().IB; }
    /// Takes every field of any InterBase options (engine, executor or data comparer options).
    void SetIBServerOptions(const TIBServerOptions& v) { Set().IB.Assign(v); }
    const TMSSQLServerOptions& GetMSSQLServerOptions() const { return Set().MSSQL; }
    TMSSQLServerOptions& GetMSSQLServerOptions() { return Set().MSSQL; }
    void SetMSSQLServerOptions(const TMSSQLServerOptions& v) { Set().MSSQL = v; }
    const TMySQLServerOptions& GetMySQLServerOptions() const { return Set().MySQL; }
    TMySQLServerOptions& GetMySQLServerOptions() { return Set().MySQL; }
    void SetMySQLServerOptions(const TMySQLServerOptions& v) { Set().MySQL = v; }
    const TASAServerOptions& GetASAServerOptions() const { return Set().ASA; }
    TASAServerOptions& GetASAServerOptions() { return Set().ASA; }
    void SetASAServerOptions(const TASAServerOptions& v) { Set().ASA = v; }
    const TASEServerOptions& GetASEServerOptions() const { return Set().ASE; }
    TASEServerOptions& GetASEServerOptions() { return Set().ASE; }
    void SetASEServerOptions(const TASEServerOptions& v) { Set().ASE = v; }
    const TOracleServerOptions& GetOracleServerOptions() const { return Set().Oracle; }
    TOracleServerOptions& GetOracleServerOptions() { return Set().Oracle; }
    void SetOracleServerOptions(const TOracleServerOptions& v) { Set().Oracle = v; }
    const TPGSQLServerOptions& GetPGSQLServerOptions() const { return Set().PGSQL; }
    TPGSQLServerOptions& GetPGSQLServerOptions() { return Set().PGSQL; }
    void SetPGSQLServerOptions(const TPGSQLServerOptions& v) { Set().PGSQL = v; }
    const TDB2ServerOptions& GetDB2ServerOptions() const { return Set().DB2; }
    TDB2ServerOptions& GetDB2ServerOptions() { return Set().DB2; }
    void SetDB2ServerOptions(const TDB2ServerOptions& v) { Set().DB2 = v; }

private:
    TServerOptionsSet<IBOptions>& Set() { return static_cast<Holder*>(this)->ServerOptions(); }
    const TServerOptionsSet<IBOptions>& Set() const {
        return static_cast<const Holder*>(this)->ServerOptions();
    }
};

/// The compare options of the eight database families, one object each.
struct TCompareOptionsSet {
    TIBCompareOptions IB;
    TMSSQLCompareOptions MSSQL;
    TMySQLCompareOptions MySQL;
    TASACompareOptions ASA;
    TASECompareOptions ASE;
    TOracleCompareOptions Oracle;
    TPgSQLCompareOptions PGSQL;
    TDB2CompareOptions DB2;

    /// Copies each family's compare options into that family's server options.
    template <class IBOptions> void CopyInto(TServerOptionsSet<IBOptions>& Into) const {
        Into.IB.SetIBCompareOptions(IB);
        Into.MSSQL.SetMSSQLCompareOptions(MSSQL);
        Into.MySQL.SetMySQLCompareOptions(MySQL);
        Into.ASA.SetASACompareOptions(ASA);
        Into.ASE.SetASECompareOptions(ASE);
        Into.Oracle.SetOracleCompareOptions(Oracle);
        Into.PGSQL.SetPGSQLCompareOptions(PGSQL);
        Into.DB2.SetDB2CompareOptions(DB2);
    }
};

/// The eight compare-option properties (getter returns the object, setter copies into it), written
/// once: Holder::CompareOptions() gives the set it holds.
template <class Holder> class TCompareOptionsAccess {
public:
    const TIBCompareOptions& GetIBCompareOptions() const { return Set().IB; }
    TIBCompareOptions& GetIBCompareOptions() { return Set().IB; }
    void SetIBCompareOptions(const TIBCompareOptions& v) { Set().IB = v; }
    const TMSSQLCompareOptions& GetMSSQLCompareOptions() const { return Set().MSSQL; }
    TMSSQLCompareOptions& GetMSSQLCompareOptions() { return Set().MSSQL; }
    void SetMSSQLCompareOptions(const TMSSQLCompareOptions& v) { Set().MSSQL = v; }
    const TMySQLCompareOptions& GetMySQLCompareOptions() const { return Set().MySQL; }
    TMySQLCompareOptions& GetMySQLCompareOptions() { return Set().MySQL; }
    void SetMySQLCompareOptions(const TMySQLCompareOptions& v) { Set().MySQL = v; }
    const TASACompareOptions& GetASACompareOptions() const { return Set().ASA; }
    TASACompareOptions& GetASACompareOptions() { return Set().ASA; }
    void SetASACompareOptions(const TASACompareOptions& v) { Set().ASA = v; }
    const TASECompareOptions& GetASECompareOptions() const { return Set().ASE; }
    TASECompareOptions& GetASECompareOptions() { return Set().ASE; }
    void SetASECompareOptions(const TASECompareOptions& v) { Set().ASE = v; }
    const TOracleCompareOptions& GetOracleCompareOptions() const { return Set().Oracle; }
    TOracleCompareOptions& GetOracleCompareOptions() { return Set().Oracle; }
    void SetOracleCompareOptions(const TOracleCompareOptions& v) { Set().Oracle = v; }
    const TPgSQLCompareOptions& GetPGSQLCompareOptions() const { return Set().PGSQL; }
    TPgSQLCompareOptions& GetPGSQLCompareOptions() { return Set().PGSQL; }
    void SetPGSQLCompareOptions(const TPgSQLCompareOptions& v) { Set().PGSQL = v; }
    const TDB2CompareOptions& GetDB2CompareOptions() const { return Set().DB2; }
    TDB2CompareOptions& GetDB2CompareOptions() { return Set().DB2; }
    void SetDB2CompareOptions(const TDB2CompareOptions& v) { Set().DB2 = v; }

private:
    TCompareOptionsSet& Set() { return static_cast<Holder*>(this)->CompareOptions(); }
    const TCompareOptionsSet& Set() const { return static_cast<const Holder*>(this)->CompareOptions(); }
};

// ---- Data script ----

/// Settings of the data script of the table data comparer. Empty formats mean the per-server
/// default format.
class TScriptOptions : public TObject {
public:
    SMX_CLASSNAME(TScriptOptions)

    bool GetGenerateScript() const { return generateScript_; }
    void SetGenerateScript(bool v) { generateScript_ = v; }
    bool GetConnect() const { return connect_; }
    void SetConnect(bool v) { connect_ = v; }
    /// Whether the header carries the SQL dialect statement.
    bool GetSQLDialect() const { return sqlDialect_; }
    void SetSQLDialect(bool v) { sqlDialect_ = v; }
    /// Whether the header carries the character-set statement.
    bool GetDBCharSet() const { return dbCharSet_; }
    void SetDBCharSet(bool v) { dbCharSet_ = v; }
    bool GetLocalSQL() const { return localSQL_; }
    void SetLocalSQL(bool v) { localSQL_ = v; }
    const std::string& GetFloatFormat() const { return floatFormat_; }
    void SetFloatFormat(std::string_view v) { floatFormat_ = v; }
    const std::string& GetDateFormat() const { return dateFormat_; }
    void SetDateFormat(std::string_view v) { dateFormat_ = v; }
    const std::string& GetTimeFormat() const { return timeFormat_; }
    void SetTimeFormat(std::string_view v) { timeFormat_ = v; }
    const std::string& GetDateTimeFormat() const { return dateTimeFormat_; }
    void SetDateTimeFormat(std::string_view v) { dateTimeFormat_ = v; }

private:
    bool generateScript_ = true;
    bool connect_ = true;
    bool sqlDialect_ = true;
    bool dbCharSet_ = true;
    bool localSQL_ = false;
    std::string floatFormat_;
    std::string dateFormat_;
    std::string timeFormat_;
    std::string dateTimeFormat_;
};

} // namespace smx
