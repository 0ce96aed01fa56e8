// Connection engine: base behaviour of connections, database objects, queries and plug-ins, the
// generic connection's plug-in selection, the registry, and the ":name" parameter parser.
#include "foundation/smxDBEngine.h"

#include <array>
#include <exception>

#include "foundation/smxMsg.h"
#include "platform/smxADOClient.h"
#include "platform/smxExceptions.h"
#include "platform/smxScopeExit.h"
#include "platform/smxStrUtils.h"

namespace smx {

// ---- TSMXQuery / TSMXDatabase ----

void TSMXQuery::SetDatabase(TSMXDatabase* Value) {
    if (database_ == Value) return;
    if (database_) RemoveFreeNotification(database_);
    database_ = Value;
    if (database_) FreeNotification(database_);
}

void TSMXQuery::SetConnection(TSMXCustomConnection* Value) {
    if (connection_ == Value) return;
    if (connection_) RemoveFreeNotification(connection_);
    connection_ = Value;
    if (connection_) FreeNotification(connection_);
}

void TSMXQuery::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == TOperation::opRemove) {
        if (AComponent == connection_) connection_ = nullptr;
        if (AComponent == database_) database_ = nullptr;
    }
    TComponent::Notification(AComponent, Operation);
}

void TSMXDatabase::SetConnection(TSMXCustomConnection* Value) {
    if (connection_ == Value) return;
    if (connection_) RemoveFreeNotification(connection_);
    connection_ = Value;
    if (connection_) FreeNotification(connection_);
}

void TSMXDatabase::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == TOperation::opRemove && AComponent == connection_) connection_ = nullptr;
    TComponent::Notification(AComponent, Operation);
}

// ---- TSMXCustomConnection ----

void TSMXCustomConnection::DoBeforeConnect() {
    std::string target = GetConnectTarget();
    // For these kinds the database name is a whole connection string: its password stays hidden.
    if (databaseType_ == TDatabaseType::dbMSAccess || databaseType_ == TDatabaseType::dbCustomOLEDB)
        target = HideConnectionStringPasswords(target);
    if (!target.empty()) LogNextLine("Connect to: " + QuotedStr(target) + "...");
    if (OnBeforeConnect) OnBeforeConnect(this);
}

void TSMXCustomConnection::DoBeforeDisconnect() {
    if (OnBeforeDisconnect) OnBeforeDisconnect(this);
}

void TSMXCustomConnection::DoAfterConnect() {
    std::string info = GetDatabaseInfo(true);
    if (!Trim(info).empty()) {
        while (!info.empty() && (info.back() == '\n' || info.back() == '\r'))
            info.pop_back();
        LogNextLine("Server version: " + info);
    }

    // Session set-up statements of the dialects that need one.
    std::string statement;
    const TConnectionOptions& co = connectionOptions_;
    if (databaseType_ == TDatabaseType::dbMySQL && GetConnected() &&
        !serverOptions_.MySQL.GetCharSet().empty()) {
        statement = "SET CHARACTER SET " + serverOptions_.MySQL.GetCharSet();
    } else if (databaseType_ == TDatabaseType::dbOracle && GetConnected() && !co.GetDatabaseName().empty() &&
               co.GetDatabaseName() != co.GetHostName()) {
        const std::string user = UpperCase(co.GetUserName());
        if (user == "SYSTEM" || user == "SYS")
            statement = "ALTER SESSION SET CURRENT_SCHEMA = " + co.GetDatabaseName();
    }

    if (!statement.empty()) {
        std::unique_ptr<TSMXQuery> query(CreateQuery(nullptr));
        TStringList* sql = query ? query->GetSQL() : nullptr;
        if (!sql) {
            ErrorMessage("No query available for the session set-up (" + std::string(ClassName()) + ").\r\n" +
                         statement);
        } else {
            LogNextLine(statement);
            try {
                sql->SetText(statement);
                query->ExecSQL();
            } catch (const std::exception& e) {
                ErrorMessage(std::string(e.what()) + "\r\n" + statement);
            }
        }
    }
    if (OnAfterConnect) OnAfterConnect(this);
}

void TSMXCustomConnection::DoAfterDisconnect() {
    if (OnAfterDisconnect) OnAfterDisconnect(this);
}

bool TSMXCustomConnection::CreateDatabase() {
    ErrorMessage("CREATE DATABASE not implemented (" + std::string(ClassName()) + ").");
    return false;
}

void TSMXCustomConnection::ErrorMessage(const std::string& Text) {
    if (OnErrorMessage)
        OnErrorMessage(this, Text);
    else
        ShowMessageBox(Text);
}

void TSMXCustomConnection::LogNextLine(const std::string& Text) {
    if (OnLogNextLine) OnLogNextLine(this, Text);
}

void TSMXCustomConnection::Assign(const TSMXCustomConnection& Source) {
    if (&Source == this) return;
    SetConnectionType(Source.connectionType_);
    SetDatabaseType(Source.databaseType_);
    connectionOptions_ = Source.connectionOptions_;
    serverOptions_ = Source.serverOptions_;
}

std::string TSMXCustomConnection::GetConnectTarget() const {
    const std::string& db = connectionOptions_.GetDatabaseName();
    const std::string& host = connectionOptions_.GetHostName();
    if (databaseType_ != TDatabaseType::dbInterBase || host.empty()) return db;
    switch (connectionOptions_.GetProtocol()) {
    case TSMXProtocol::ptSPX:
        return host + "@" + db;
    case TSMXProtocol::ptNamedPipe:
        return "\\\\" + host + "\\" + db;
    case TSMXProtocol::ptTCP:
    case TSMXProtocol::ptLocal:
        break;
    }
    if (connectionOptions_.GetPort() != 0)
        return host + "/" + IntToStr(connectionOptions_.GetPort()) + ":" + db;
    return host + ":" + db;
}

std::string TSMXCustomConnection::GetDatabaseInfo(bool VersionOnly) {
    if (!GetConnected()) return {};
    const std::string crlf = "\r\n";

    if (databaseType_ == TDatabaseType::dbInterBase) {
        const TIBDatabaseOptions& f = serverOptions_.IB.GetIBDatabaseOptions();
        std::string r = f.GetServerVersion();
        if (!f.GetServerImplementation().empty()) r += " (" + f.GetServerImplementation() + ")";
        r += crlf;
        if (!connectionOptions_.GetClientLibrary().empty())
            r += "Client library: " + connectionOptions_.GetClientLibrary() + crlf;
        if (VersionOnly) return r;
        r += "Database name : " + connectionOptions_.GetDatabaseName() + crlf;
        if (!serverOptions_.IB.GetDBCharSet().empty())
            r += "Character set : " + serverOptions_.IB.GetDBCharSet() + crlf;
        r += "ODS version   : " + IntToStr(f.GetODSMajorVersion()) + "." + IntToStr(f.GetODSMinorVersion()) +
             crlf;
        r += "SQL Dialect   : " + IntToStr(f.GetSQLDialect()) + crlf;
        r += "Sweep interval: " + IntToStr(f.GetSweepInterval()) + crlf;
        r += "Page size     : " + IntToStr(f.GetPageSize()) + crlf;
        r += "Read-only     : " + BoolToTrueFalse(f.GetReadOnly()) + crlf;
        r += "Forced writes : " + BoolToOnOff(f.GetForcedWrites()) + crlf;
        // Pages times page size passes 2 GiB on large caches: 64 bits, rounded to the nearest Kb.
        const std::int64_t bytes = static_cast<std::int64_t>(f.GetNumBuffers()) * f.GetPageSize();
        r += "Buffers       : " + IntToStr(f.GetNumBuffers()) + " pages (" + IntToStr((bytes + 512) / 1024) +
             " Kb)" + crlf;
        return r;
    }

    switch (databaseType_) {
    case TDatabaseType::dbSybaseASA:
    case TDatabaseType::dbMySQL:
    case TDatabaseType::dbOracle:
    case TDatabaseType::dbMSSQL:
    case TDatabaseType::dbPostgreSQL:
    case TDatabaseType::dbSybaseASE:
        break;
    default:
        return {};
    }
    std::unique_ptr<TSMXQuery> query(CreateQuery(nullptr));
    if (!query || !query->GetSQL()) {
        ErrorMessage("No query available for the database information (" + std::string(ClassName()) + ").");
        return {};
    }
    return GetQueryDatabaseInfo(*query, VersionOnly);
}

namespace {

// Replaces the query's text (closing a previous result first).
void SetQueryText(TSMXQuery& q, std::string_view text) {
    q.Close();
    q.GetSQL()->SetText(text);
}

void ExecText(TSMXQuery& q, std::string_view text) {
    SetQueryText(q, text);
    q.ExecSQL();
}

void OpenText(TSMXQuery& q, std::string_view text) {
    SetQueryText(q, text);
    q.Open();
}

std::string FieldText(TSMXQuery& q, std::string_view name) {
    TField* f = q.FieldByName(name);
    return f ? f->AsString() : std::string();
}

std::string FirstColumnText(TSMXQuery& q) {
    TFields* fields = q.GetFields();
    return fields && fields->Count() > 0 ? (*fields)[0].AsString() : std::string();
}

} // namespace

std::string TSMXCustomConnection::GetQueryDatabaseInfo(TSMXQuery& q, bool VersionOnly) {
    const std::string crlf = "\r\n";
    const std::string& db = connectionOptions_.GetDatabaseName();
    std::string r;
    // Servers that switch to master for the information switch back to the database afterwards.
    bool backToDatabase = false;
    auto useDatabase = [&] {
        if (!backToDatabase) return;
        backToDatabase = false;
        try {
            ExecText(q, "Use " + db);
        } catch (const std::exception& e) {
            ErrorMessage(e.what());
        }
    };
    try {
        switch (databaseType_) {
        case TDatabaseType::dbSybaseASA:
            OpenText(q, "SELECT\r\n"
                        "xp_msver( 'ProductName') PN,\r\n"
                        "xp_msver('ProductVersion') PV,\r\n"
                        "xp_msver('CompanyName') CN,\r\n"
                        "xp_msver('FileDescription') FD,\r\n"
                        "xp_msver('LegalCopyright') LC,\r\n"
                        "xp_msver('LegalTrademarks') LT,\r\n"
                        "xp_msver('Language') LG");
            r = FieldText(q, "PN") + " v." + FieldText(q, "PV") + crlf;
            if (!VersionOnly)
                for (const char* name : {"CN", "FD", "LC", "LT", "LG"})
                    r += FieldText(q, name) + crlf;
            break;
        case TDatabaseType::dbMySQL:
            OpenText(q, "Select version()");
            r = "MySQL " + FirstColumnText(q) + crlf;
            break;
        case TDatabaseType::dbOracle:
            OpenText(q, "select * from v$version");
            for (q.First(); !q.GetEof(); q.Next())
                r += FirstColumnText(q) + crlf;
            break;
        case TDatabaseType::dbMSSQL: {
            ExecText(q, "Use master");
            backToDatabase = true;
            OpenText(q, "xp_msver " + QuotedStr("ProductName"));
            const std::string product = FieldText(q, "CHARACTER_VALUE");
            OpenText(
                q, "Select ServerProperty('Edition') Edition, ServerProperty('ProductLevel') ProductLevel, "
                   "ServerProperty('ProductVersion') ProductVersion, ServerProperty('Collation') Collation");
            const std::string level = FieldText(q, "ProductLevel");
            const std::string collation = FieldText(q, "Collation");
            r = product + " [" + FieldText(q, "Edition") + "] " + " v." + FieldText(q, "ProductVersion");
            if (!level.empty()) r += " (" + level + ")";
            r += crlf;
            if (!collation.empty()) r += "Default collation: " + collation + crlf;
            OpenText(q, "xp_msver " + QuotedStr("Language"));
            r += "Language: " + FieldText(q, "CHARACTER_VALUE") + crlf;
            if (!VersionOnly) {
                OpenText(q, "sp_helpdb " + db);
                r += "Database: " + FieldText(q, "NAME") + crlf;
                r += "Owner   : " + FieldText(q, "OWNER") + crlf;
                r += "Size    : " + FieldText(q, "DB_SIZE") + crlf;
                r += "Created : " + FieldText(q, "CREATED") + crlf;
                r += "Options : " + FieldText(q, "STATUS") + crlf;
            }
            break;
        }
        case TDatabaseType::dbPostgreSQL:
            OpenText(q, "select version()");
            r = FirstColumnText(q) + crlf;
            break;
        case TDatabaseType::dbSybaseASE:
            ExecText(q, "Use master");
            backToDatabase = true;
            OpenText(q, "select @@version");
            r = FirstColumnText(q) + crlf;
            if (!VersionOnly) {
                OpenText(q, "exec sp_helpdb " + db);
                r += "  Database: " + FieldText(q, "NAME") + crlf;
                r += "  Size    : " + FieldText(q, "DB_SIZE") + crlf;
                r += "  Owner   : " + FieldText(q, "OWNER") + crlf;
                r += "  Created : " + FieldText(q, "CREATED") + crlf;
                r += "  Status  : " + FieldText(q, "STATUS") + crlf;
            }
            break;
        default:
            break;
        }
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
    }
    useDatabase();
    q.Close();
    return r;
}

// ---- TSMXAbstractConnection ----

bool TSMXAbstractConnection::CreateDatabase() {
    ErrorMessage("CREATE DATABASE not implemented (TSMXAbstractConnection).");
    return false;
}

void TSMXAbstractConnection::ErrorMessage(const std::string& Text) {
    if (connection_ && connection_->OnErrorMessage)
        connection_->OnErrorMessage(this, Text);
    else
        ShowMessageBox(Text);
}

void TSMXAbstractConnection::SetConnection(TSMXConnection* Value) {
    if (connection_ == Value) return;
    if (connection_) RemoveFreeNotification(connection_);
    connection_ = Value;
    if (connection_) FreeNotification(connection_);
}

void TSMXAbstractConnection::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == TOperation::opRemove && AComponent == connection_) connection_ = nullptr;
    TComponent::Notification(AComponent, Operation);
}

// ---- TSMXConnection ----

TSMXConnection::~TSMXConnection() {
    // The database object goes first: its destructor may still read this connection's options.
    FreeDatabaseObject();
    DropPlugin();
}

void TSMXConnection::DropPlugin() {
    if (!plugin_) return;
    TSMXAbstractConnection* plugin = plugin_;
    plugin_ = nullptr;
    if (plugin->GetConnection() == this) plugin->SetConnection(nullptr);
    RemoveFreeNotification(plugin);
}

void TSMXConnection::FreeDatabaseObject() {
    TSMXDatabase* db = database_;
    database_ = nullptr;
    delete db;
}

void TSMXConnection::SetDatabaseType(TDatabaseType Value) {
    TSMXCustomConnection::SetDatabaseType(Value);
    if (plugin_) plugin_->SetDatabaseType(Value);
}

void TSMXConnection::SetConnectionType(TconnectionType Value) {
    if (Value == GetConnectionType()) return;
    DropPlugin();
    if (IsDesigning()) {
        TSMXCustomConnection::SetConnectionType(Value);
        return;
    }
    TSMXAbstractConnection* plugin = FindConnectionPlugin(Value);
    if (!plugin) {
        const std::string unit = GetConnectionUnitName(Value);
        throw Exception("\r\nNot supported connection select.\r\nInclude unit \"" + unit +
                        ".pas\" in Your project (*.dpr).\r\nUses " + unit + ";\r\n");
    }
    plugin_ = plugin;
    FreeNotification(plugin_);
    TSMXCustomConnection::SetConnectionType(Value);
    plugin_->SetConnection(this);
    FreeDatabaseObject();
    plugin_->SetDatabaseType(GetDatabaseType());
    database_ = plugin_->CreateDatabaseObject(this);
    if (database_) {
        FreeNotification(database_);
        database_->SetConnection(this);
    }
}

TDatabaseSetType TSMXConnection::GetSupportedDatabases() const {
    using enum TDatabaseType;
    return {dbInterBase,  dbSybaseASA, dbMySQL,     dbOracle,  dbMSSQL,
            dbPostgreSQL, dbDB2,       dbSybaseASE, dbParadox, dbDBASE};
}

TConnectionSetType TSMXConnection::GetSupportedConnections() const {
    using enum TconnectionType;
    return TConnectionSetType::range(cnAbstract, cnUniDAC) - cnAbstract - cnUIB - cnUniDAC;
}

bool TSMXConnection::GetConnected() const {
    return database_ && database_->GetConnected();
}

void TSMXConnection::SetConnected(bool Value) {
    if (!database_ || Value == database_->GetConnected()) return;
    if (Value)
        DoBeforeConnect();
    else
        DoBeforeDisconnect();
    // A handler may have replaced or freed the database object.
    if (database_) {
        try {
            database_->SetConnected(Value);
        } catch (const std::exception& e) {
            ErrorMessage(e.what());
        }
    }
    if (GetConnected())
        DoAfterConnect();
    else
        DoAfterDisconnect();
}

TSMXQuery* TSMXConnection::CreateQuery(TComponent* AOwner) {
    if (!plugin_) return nullptr;
    TSMXQuery* q = plugin_->CreateQuery(AOwner);
    if (q) {
        q->SetConnection(this);
        q->SetDatabase(database_);
    }
    return q;
}

void TSMXConnection::StartTransaction() {
    if (database_) database_->StartTransaction();
}

void TSMXConnection::Commit() {
    if (database_) database_->Commit();
}

void TSMXConnection::Rollback() {
    if (database_) database_->Rollback();
}

bool TSMXConnection::InTransaction() const {
    return database_ && database_->InTransaction();
}

int TSMXConnection::ReconnectWithCharSet(const std::string& CharSet) {
    return database_ ? database_->ReconnectWithCharSet(CharSet) : 0;
}

bool TSMXConnection::CreateDatabase() {
    if (!plugin_) return TSMXCustomConnection::CreateDatabase();
    return plugin_->CreateDatabase();
}

void TSMXConnection::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == TOperation::opRemove) {
        if (AComponent == plugin_) plugin_ = nullptr;
        if (AComponent == database_) database_ = nullptr;
    }
    TSMXCustomConnection::Notification(AComponent, Operation);
}

// ---- Registry ----

namespace {

// Sorted by class name, duplicates kept; the list owns the plug-ins.
std::unique_ptr<TStringList>& Registry() {
    static std::unique_ptr<TStringList> list;
    return list;
}

} // namespace

TSMXAbstractConnection* RegisterConnectionPlugin(std::unique_ptr<TSMXAbstractConnection> Plugin) {
    if (!Plugin) return nullptr;
    std::unique_ptr<TStringList>& list = Registry();
    if (!list) {
        list = std::make_unique<TStringList>(true);
        list->SetSorted(true);
        list->SetDuplicates(TDuplicates::dupAccept);
    }
    TSMXAbstractConnection* p = Plugin.release();
    list->AddObject(p->ClassName(), p);
    return p;
}

TSMXAbstractConnection* FindConnectionPlugin(TconnectionType ConnectionType) {
    const std::unique_ptr<TStringList>& list = Registry();
    if (!list) return nullptr;
    for (int i = 0; i < list->Count(); ++i) {
        auto* p = static_cast<TSMXAbstractConnection*>(list->Objects(i));
        if (p && p->GetConnectionType() == ConnectionType) return p;
    }
    return nullptr;
}

std::string GetConnectionUnitName(TconnectionType ConnectionType) {
    static constexpr std::array<std::string_view, ConnectionTypeCount> names = {
        "smxConnection_XXXDB",    "smxConnection_IBXDB",   "smxConnection_FIBDB",   "smxConnection_IBODB",
        "smxConnection_ADODB",    "smxConnection_ZEOSDB",  "smxConnection_BDEDB",   "smxConnection_DBXDB",
        "smxConnection_AnyDACDB", "smxConnection_UIBDB",   "smxConnection_ODACDB",  "smxConnection_SAVCLDB",
        "smxConnection_MyDACDB",  "smxConnection_PGDACDB", "smxConnection_IBDACDB", "smxConnection_FireDACDB",
        "smxConnection_XXXDB"};
    return std::string(names[static_cast<std::size_t>(ConnectionType)]);
}

void FreeConnectionPlugins() {
    Registry().reset();
}

// ---- Parameter parser ----

namespace {

bool IsQuoteChar(char c) {
    return c == '"' || c == '\'' || c == '`';
}

bool IsNameDelimiter(char c) {
    switch (c) {
    case '\t':
    case '\n':
    case '\r':
    case ' ':
    case '!':
    case '"':
    case '%':
    case '&':
    case '\'':
    case '(':
    case ')':
    case '*':
    case '+':
    case ',':
    case '-':
    case '/':
    case ';':
    case '<':
    case '=':
    case '>':
    case '?':
    case '[':
    case '\\':
    case ']':
    case '^':
    case '`':
    case '|':
    case '~':
        return true;
    default:
        return false;
    }
}

// NUL stands for the end of the text.
bool MayFollowColon(char c) {
    return !(c == '\0' || c == '\t' || c == '\n' || c == '\r' || c == ' ' || c == ':');
}

bool IsIdentChar(char c) {
    const char u = UpCase(c);
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || u == '_';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsDigitOrBlank(char c) {
    return IsDigit(c) || c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

// Literal state: the quote character that opened the literal, or NUL outside one. A literal
// closes only on its own quote character, so "'12\" disk'" stays one literal.
void ToggleLiteral(char& open, char c) {
    if (open == '\0')
        open = c;
    else if (open == c)
        open = '\0';
}

} // namespace

// The system's code pages here are single-byte, so there are no lead bytes to skip.
std::string ParseSQLParams(TParams* Params, std::string_view SQL, bool DoCreate) {
    if (DoCreate && Params) Params->Clear();
    std::string result;
    result.reserve(SQL.size());
    const std::size_t n = SQL.size();
    auto at = [&](std::size_t i) { return i < n ? SQL[i] : '\0'; };
    char literal = '\0';
    bool digitsAndBlanksOnly = true; // the text so far holds only digits and blanks

    std::size_t i = 0;
    while (i < n) {
        const char c = SQL[i];
        if (literal == '\0' && (c == '-' || c == '/') && at(i + 1) == (c == '-' ? '-' : '*')) {
            // A comment is copied as it stands: a name or a quote inside it means nothing. A line
            // comment ends before its line break, an unterminated block comment at the end.
            std::size_t end = 0;
            if (c == '-') {
                end = SQL.find_first_of("\r\n", i + 2);
            } else {
                end = SQL.find("*/", i + 2);
                if (end != std::string_view::npos) end += 2;
            }
            if (end == std::string_view::npos) end = n;
            result.append(SQL.substr(i, end - i));
            digitsAndBlanksOnly = false;
            i = end;
            continue;
        }
        if (IsQuoteChar(c)) {
            ToggleLiteral(literal, c);
        } else if (c == ':' && literal == '\0') {
            const char next = at(i + 1);
            if (i > 0 && MayFollowColon(next)) {
                const char prev = SQL[i - 1];
                if (!IsIdentChar(prev) || (digitsAndBlanksOnly && IsDigit(prev))) {
                    // A parameter: the name runs to the first delimiter outside a literal.
                    std::size_t j = i + 1;
                    while (j < n) {
                        const char d = SQL[j];
                        if (IsQuoteChar(d))
                            ToggleLiteral(literal, d);
                        else if (literal == '\0' && IsNameDelimiter(d))
                            break;
                        ++j;
                    }
                    const std::string_view name = SQL.substr(i + 1, j - i - 1);
                    if (DoCreate && Params)
                        Params->Add(!name.empty() && IsQuoteChar(name.front()) ? StripParamName(name)
                                                                               : std::string(name));
                    result += '?';
                    digitsAndBlanksOnly = false;
                    i = j;
                    continue;
                }
            } else if (next == ':') {
                // "::" is an escaped colon: one colon goes out, the scan goes on after the pair.
                result += ':';
                digitsAndBlanksOnly = false;
                i += 2;
                continue;
            }
        }
        if (!IsDigitOrBlank(c)) digitsAndBlanksOnly = false;
        result += c;
        ++i;
    }
    return result;
}

std::string StripParamName(std::string_view Name) {
    if (!Name.empty() && IsQuoteChar(Name.front())) Name.remove_prefix(1);
    if (!Name.empty() && IsQuoteChar(Name.back())) Name.remove_suffix(1);
    return std::string(Name);
}

} // namespace smx
