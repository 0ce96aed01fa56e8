// Option classes: defaults, the server-version display names and the script-header text builders.
#include "foundation/smxDBOptions.h"

#include <array>
#include <cstdio>
#include <span>

#include "platform/smxStrUtils.h"

namespace smx {

namespace {

constexpr std::array<std::string_view, 14> IBVersionNames = {
    "InterBase 4.x", "InterBase 5.x", "InterBase 6.x", "FireBird 1.x",  "Yaffil 1.x",
    "FireBird 1.5",  "InterBase 7.x", "InterBase 7.5", "FireBird 2.0",  "FireBird 2.1",
    "FireBird 2.5",  "FireBird 3.0",  "FireBird 4.0",  "InterBase 2020"};
constexpr std::array<std::string_view, 5> ASAVersionNames = {"ASA 5", "ASA 6", "ASA 7", "ASA 8", "ASA 9"};
constexpr std::array<std::string_view, 5> MySQLVersionNames = {"My SQL 3.x", "My SQL 4.x", "My SQL 5.x",
                                                               "My SQL 8.x", "MariaDB 10.x"};
constexpr std::array<std::string_view, 9> OracleVersionNames = {"Oracle 7.x",  "Oracle 8.x",  "Oracle 9.x",
                                                                "Oracle 10.x", "Oracle 11.x", "Oracle 12.x",
                                                                "Oracle 18.x", "Oracle 19.x", "Oracle 21.x"};
constexpr std::array<std::string_view, 8> MSSQLVersionNames = {"MS SQL 2000", "MS SQL 2005", "MS SQL 2008",
                                                               "MS SQL 2012", "MS SQL 2014", "MS SQL 2016",
                                                               "MS SQL 2017", "MS SQL 2019"};
constexpr std::array<std::string_view, 8> PGSQLVersionNames = {
    "PostgreSQL 7.x",  "PostgreSQL 8.x",  "PostgreSQL 9.x",  "PostgreSQL 10.x",
    "PostgreSQL 11.x", "PostgreSQL 12.x", "PostgreSQL 13.x", "PostgreSQL 14.x"};
constexpr std::array<std::string_view, 4> DB2VersionNames = {"DB2 8.x", "DB2 9.x", "DB2 10.x", "DB2 11.x"};
constexpr std::array<std::string_view, 1> ASEVersionNames = {"ASE 12"};

static_assert(IBVersionNames.size() == IBSQLServerVersionCount);

constexpr std::array<std::string_view, TASEDatabaseOptions::OptionCount> ASEOptionNames = {
    "abort tran on log full",
    "allow nulls by default",
    "async log service",
    "auto identity",
    "dbo use only",
    "ddl in tran",
    "disable alias access",
    "identity in nonunique index",
    "no chkpt on recovery",
    "no free space acctg",
    "read only",
    "select into/bulkcopy/pllsort",
    "single user",
    "trunc log on chkpt",
    "unique auto_identity index",
};

std::string NameAt(std::span<const std::string_view> names, int index) {
    if (index < 0 || index >= static_cast<int>(names.size())) return {};
    return std::string(names[static_cast<std::size_t>(index)]);
}

} // namespace

std::string GetServerVersionName(TDatabaseType DatabaseType, int Index) {
    switch (DatabaseType) {
    case TDatabaseType::dbInterBase:
        return NameAt(IBVersionNames, Index);
    case TDatabaseType::dbSybaseASA:
        return NameAt(ASAVersionNames, Index);
    case TDatabaseType::dbMySQL:
        return NameAt(MySQLVersionNames, Index);
    case TDatabaseType::dbOracle:
        return NameAt(OracleVersionNames, Index);
    case TDatabaseType::dbMSSQL:
        return NameAt(MSSQLVersionNames, Index);
    case TDatabaseType::dbPostgreSQL:
        return NameAt(PGSQLVersionNames, Index);
    case TDatabaseType::dbDB2:
        return NameAt(DB2VersionNames, Index);
    case TDatabaseType::dbSybaseASE:
        return NameAt(ASEVersionNames, Index);
    default:
        return {};
    }
}

std::string BoolToOnOff(bool Value) {
    return Value ? "On" : "Off";
}
std::string BoolToTrueFalse(bool Value) {
    return Value ? "True" : "False";
}

void TConnectionOptions::SetDefaults() {
    databaseName_.clear();
    userName_.clear();
    password_.clear();
    roleName_.clear();
    serverName_.clear();
    providerName_.clear();
    extraParams_.clear();
    port_ = 0;
    hostName_.clear();
    protocol_ = TSMXProtocol::ptLocal;
    useWindowsAuthentication_ = false;
    connectionString_.clear();
    clientLibrary_.clear();
}

void TIBCompareOptions::SetDefaults() {
    dbCharsetCompare_ = false;
    fldCharsetCompare_ = false;
    updateDescriptionMode_ = TUpdateDescriptionType::udSysTables;
    useRECONNECT_ = true;
    updateFieldPosition_ = true;
    extractOnlyComparedObjects_ = true;
    ignoreIBEObjects_ = true;
}

void TIBDatabaseOptions::SetDefaults() {
    serverVersion_.clear();
    serverImplementation_.clear();
    odsMajorVersion_ = 0;
    odsMinorVersion_ = 0;
    pageSize_ = 0;
    forcedWrites_ = false;
    sweepInterval_ = 0;
    readOnly_ = false;
    numBuffers_ = 0;
    implementationNo_ = 0;
    implementationClass_ = 0;
    sqlDialect_ = 0;
    linger_ = 0;
    charSetCollations_.clear();
}

void TIBDatabaseOptions::SetCharSetCollation(std::string_view CharSet, std::string_view Collation) {
    std::string cs = UpperCase(CharSet), collation = UpperCase(Collation);
    if (cs.empty()) return;
    if (collation.empty() || collation == cs)
        charSetCollations_.erase(cs);
    else
        charSetCollations_[cs] = collation;
}

std::string TIBDatabaseOptions::GetDefaultCollation(std::string_view CharSet) const {
    std::string cs = UpperCase(CharSet);
    const auto it = charSetCollations_.find(cs);
    return it == charSetCollations_.end() ? cs : it->second;
}

void TIBServerOptions::SetDefaults() {
    sqlDialect_ = 3;
    dbCharSet_.clear();
    ibDatabaseOptions_.SetDefaults();
    ibCompareOptions_.SetDefaults();
}

void TIBServerOptions::SetDBCharSet(std::string_view v) {
    dbCharSet_ = UpperCase(v);
}

std::string TIBServerOptions::GetSetNamesSQL() const {
    if (dbCharSet_.empty() || SameText(dbCharSet_, "NONE")) return {};
    return "SET NAMES " + dbCharSet_;
}

std::string TIBServerOptions::GetSetSQLDialectSQL() const {
    return sqlDialect_ == 3 ? "SET SQL DIALECT 3" : std::string();
}

std::string TIBServerOptions::GetConnectSQL(const TConnectionOptions& ConnectionOptions) const {
    if (ConnectionOptions.GetDatabaseName().empty()) return {};
    std::string r = "CONNECT " + QuotedStr(ConnectionOptions.GetDatabaseName());
    if (!ConnectionOptions.GetUserName().empty()) r += " USER " + QuotedStr(ConnectionOptions.GetUserName());
    if (!ConnectionOptions.GetPassword().empty())
        r += " PASSWORD " + QuotedStr(ConnectionOptions.GetPassword());
    if (!ConnectionOptions.GetRoleName().empty()) r += " ROLE " + QuotedStr(ConnectionOptions.GetRoleName());
    return r;
}

bool TIBServerOptions::IsODS10OrLater() const {
    if (ibDatabaseOptions_.GetODSMajorVersion() >= 10) return true;
    return sqlServerVersion_ >= TIBSQLServerVersionType::st_InterBase_6x;
}

std::string TIBServerOptions::GetDatabaseInfoText() const {
    const TIBDatabaseOptions& db = ibDatabaseOptions_;
    std::string r;
    if (!db.GetServerVersion().empty()) r += "   Server version: " + db.GetServerVersion() + " \r\n";
    if (db.GetODSMajorVersion() > 0) {
        // Cache pages times page size passes 2 GiB on large caches: multiply in 64 bits.
        const std::int64_t kb = static_cast<std::int64_t>(db.GetNumBuffers()) *
                                static_cast<std::int64_t>(db.GetPageSize()) / 1024;
        r += "   SQLDialect: " + IntToStr(db.GetSQLDialect()) +
             ". ODS: " + IntToStr(db.GetODSMajorVersion()) + "." + IntToStr(db.GetODSMinorVersion()) +
             ". Forced writes: " + BoolToOnOff(db.GetForcedWrites()) +
             ". Sweep inteval: " + IntToStr(db.GetSweepInterval()) +
             ".\r\n   Page size: " + IntToStr(db.GetPageSize()) +
             ". Cache pages: " + IntToStr(db.GetNumBuffers()) + " (" + IntToStr(kb) +
             " Kb). Read-only: " + BoolToTrueFalse(db.GetReadOnly()) + ". ";
    }
    if (r.empty()) return r;
    return "/*" + r.substr(2) + "*/";
}

void TMSSQLCompareOptions::SetDefaults() {
    ignoreFileGroup_ = false;
    ignoreSysName_ = true;
    caseSensitiveIdentifiers_ = false;
}

void TMSSQLDatabaseOptions::SetDefaults() {
    productVersion_.clear();
    ansiNulls_ = false;
    ansiPadding_ = false;
    quotedIdentifier_ = false;
    caseSensitive_ = false;
    databaseId_ = 0;
}

void TMSSQLServerOptions::SetDefaults() {
    sqlServerVersion_ = TMSSQLServerVersionType::st_MSSQL2000;
    dbCharSet_.clear();
    collation_.clear();
    compareOptions_.SetDefaults();
    databaseOptions_.SetDefaults();
}

void TMySQLServerOptions::SetDefaults() {
    sqlServerVersion_ = TMySQLServerVersionType::st_MySQL_5x;
    charSet_.clear();
    names_.clear();
    compareOptions_.SetDefaults();
}

std::string TMySQLTableOptions::GetSQLText() const {
    // Texts that can hold any byte go through the MySQL literal, which escapes backslashes too.
    auto lit = [](const std::string& s) { return GetSQLStringLiteral(s, TDatabaseType::dbMySQL); };
    std::string r;
    if (!engine_.empty()) r += "\r\nENGINE=" + engine_;
    if (avgRowLength_ != 0) r += "\r\nAVG_ROW_LENGTH=" + IntToStr(avgRowLength_);
    if (!charSet_.empty()) r += "\r\nDEFAULT CHARSET=" + charSet_;
    if (checksum_ > 0) r += "\r\nCHECKSUM=" + IntToStr(checksum_);
    if (!collation_.empty()) r += "\r\nDEFAULT COLLATE=" + collation_;
    if (!comment_.empty()) r += "\r\nCOMMENT=" + lit(comment_);
    if (!connection_.empty()) r += "\r\nCONNECTION=" + lit(connection_);
    if (!dataDirectory_.empty()) r += "\r\nDATA DIRECTORY=" + lit(dataDirectory_);
    if (delayKeyWrite_ > 0) r += "\r\nDELAY_KEY_WRITE=" + IntToStr(delayKeyWrite_);
    if (!indexDirectory_.empty()) r += "\r\nINDEX DIRECTORY=" + lit(indexDirectory_);
    if (!insertMethod_.empty()) r += "\r\nINSERT_METHOD=" + insertMethod_;
    if (keyBlockSize_ > 0) r += "\r\nKEY_BLOCK_SIZE=" + IntToStr(keyBlockSize_);
    if (maxRows_ > 0) r += "\r\nMAX_ROWS=" + IntToStr(maxRows_);
    if (minRows_ > 0) r += "\r\nMIN_ROWS=" + IntToStr(minRows_);
    if (!packKeys_.empty()) r += "\r\nPACK_KEYS=" + packKeys_;
    if (!password_.empty()) r += "\r\nPASSWORD=" + lit(password_);
    if (!rowFormat_.empty()) r += "\r\nROW_FORMAT=" + rowFormat_;
    return r;
}

void TASADatabaseOptions::SetDefaults() {
    quotedIdentifier_ = true;
    allowNullsByDefault_ = true;
    charSet_.clear();
    pageSize_ = 0;
    collation_.clear();
}

void TASAServerOptions::SetDefaults() {
    sqlServerVersion_ = TASAServerVersionType::st_ASA9;
    compareOptions_.SetDefaults();
    databaseOptions_.SetDefaults();
}

void TASECompareOptions::SetDefaults() {
    ignoreFileGroup_ = false;
    ignoreSysName_ = true;
    caseSensitiveIdentifiers_ = false;
    compareDBOptions_ = true;
}

void TASEDatabaseOptions::SetDefaults() {
    serverVersion_.clear();
    databaseId_ = 0;
    status_ = 0;
    size_.clear();
    owner_.clear();
    created_.clear();
    options_.clear();
    charSet_.clear();
    caseSensitive_ = false;
    accentSensitive_ = false;
    ansiNulls_ = false;
    quotedIdentifier_ = false;
    optionWord_ = 0;
}

std::string TASEDatabaseOptions::GetOptionName(int Index) {
    return NameAt(ASEOptionNames, Index);
}

void TASEServerOptions::SetDefaults() {
    sqlServerVersion_ = TASEServerVersionType::st_ASE12;
    compareOptions_.SetDefaults();
    databaseOptions_.SetDefaults();
}

void TOracleServerOptions::SetDefaults() {
    sqlServerVersion_ = TOracleServerVersionType::st_Oracle_10x;
}

void TPGSQLServerOptions::SetDefaults() {
    sqlServerVersion_ = TPGSQLServerVersionType::st_PostgreSQL_8x;
}

void TDB2ServerOptions::SetDefaults() {
    sqlServerVersion_ = TDB2ServerVersionType::st_DB2_8x;
}

} // namespace smx
