// The ADO adapter's connection-string builder, database object and query: see the header.
#include "database/smxDB_ADO.h"

#include "platform/smxStrUtils.h"

namespace smx {

namespace {

bool IsQuoteChar(char c) {
    return c == '"' || c == '\'';
}

// "Key=Value;" with the value quoted as needed.
std::string Part(std::string_view key, std::string_view value) {
    return std::string(key) + "=" + QuoteADOValue(value) + ";";
}

// An ASA database given with a directory part or an extension is a file (DBF), else a name (DBN).
bool IsASADatabaseFile(std::string_view db) {
    const std::size_t lastDelim = db.find_last_of("/\\:");
    if (lastDelim != std::string_view::npos) return true;
    return db.find('.') != std::string_view::npos;
}

} // namespace

std::string QuoteADOValue(std::string_view Value) {
    if (Value.find(';') == std::string_view::npos && (Value.empty() || !IsQuoteChar(Value.front())))
        return std::string(Value);
    return QuotedStr(Value, '"');
}

bool IsADOConnectableDatabase(TDatabaseType DatabaseType) {
    using enum TDatabaseType;
    switch (DatabaseType) {
    case dbSybaseASA:
    case dbOracle:
    case dbMSSQL:
    case dbPostgreSQL:
    case dbDB2:
    case dbSybaseASE:
    case dbPervasiveSQL:
    case dbMSAccess:
    case dbCustomOLEDB:
        return true;
    default:
        return false;
    }
}

void BuildADOConnectionString(TDatabaseType DatabaseType, std::string_view Server, std::string_view Database,
                              std::string& Result, TSMXProtocol Protocol, int Port, bool HidePassword,
                              bool UseWindowsAuthentication, std::string_view Password,
                              std::string_view UserName) {
    using enum TDatabaseType;
    std::string s;
    switch (DatabaseType) {
    case dbSybaseASA:
        s = "Provider=ASAProv;";
        // The server name sits inside a quoted property list of its own.
        if (!Server.empty())
            s += "Extended Properties=" + QuotedStr("ServerName=" + std::string(Server), '"') + ";";
        if (!Database.empty()) s += Part(IsASADatabaseFile(Database) ? "DBF" : "DBN", Database);
        break;
    case dbOracle:
        s = "Provider=OraOLEDB.Oracle;" + Part("Data Source", Server.empty() ? Database : Server);
        break;
    case dbMSSQL:
        s = "Provider=SQLOLEDB;" + Part("Initial Catalog", Database) + Part("Data Source", Server);
        if (Protocol == TSMXProtocol::ptTCP) s += "Network Library=DBMSSOCN;";
        break;
    case dbPostgreSQL:
        s = "Provider=PostgreSQL;";
        if (!Server.empty()) s += Part("Data Source", Server);
        if (!Database.empty()) s += Part("Location", Database);
        break;
    case dbDB2:
        s = "Provider=IBMDADB2;";
        if (!Server.empty())
            s += Part("Location", std::string(Server) + ":" + IntToStr(Port != 0 ? Port : 50000));
        s += "Persist Security Info=True;";
        if (!Database.empty()) s += Part("Data Source", Database);
        break;
    case dbSybaseASE:
        s = "Provider=Sybase.ASEOLEDBProvider;";
        if (!Server.empty())
            s +=
                Part("Server Name", std::string(Server) + (Port != 0 ? "," + IntToStr(Port) : std::string()));
        if (!Database.empty()) s += Part("Initial Catalog", Database);
        s += "Optimize Prepare=Partial;"
             "Select Method=Direct;Raise Error Behavior=MS Compatible;"
             "Print Statement Behavior=MS Compatible;"
             "Extended ErrorInfo=FALSE;Stored Proc Row Count=Last Statement Only;";
        break;
    case dbPervasiveSQL:
        s = "Provider=PervasiveOLEDB;";
        if (!Server.empty()) s += Part("Location", Server);
        if (!Database.empty()) s += Part("Data Source", Database);
        s += "Persist Security Info=False;";
        break;
    case dbMSAccess:
    case dbCustomOLEDB:
        // The database name is the whole connection string.
        Result = Database;
        return;
    default:
        break;
    }

    if (DatabaseType == dbMSSQL) {
        if (UseWindowsAuthentication) {
            Result = s + "Integrated Security=SSPI;Persist Security Info=False;";
            return;
        }
        s += "Persist Security Info=True;";
    }
    if (!UserName.empty()) s += Part("User ID", UserName);
    if (!Password.empty())
        s += HidePassword ? std::string("Password=*******;") : Part("Password", Password);
    else if (DatabaseType == dbSybaseASE)
        s += "Password=\"\";";
    Result = std::move(s);
}

// ---- TADO_Query ----

TADO_Query::TADO_Query(TComponent* AOwner) : TADOQuery(AOwner) {
    SetCommandTimeout(0);
}

void TADO_Query::SyncSQL() {
    std::string text = ownSQL_.Text();
    if (reparse_ || text != ownSeen_) {
        ownSeen_ = text;
        reparse_ = false;
        if (EndsStr("\r\n", text)) text.resize(text.size() - 2);
        SQL()->SetText(GetParamCheck() ? ParseSQLParams(&ownParams_, text, true) : text);
    }
    TADOQuery::SyncSQL();
}

TParams* TADO_Query::GetOwnParams() {
    SyncSQL();
    return &ownParams_;
}

void TADO_Query::SetParamCheck(bool Value) {
    if (Value == GetParamCheck()) return;
    TADOQuery::SetParamCheck(Value);
    reparse_ = true;
}

void TADO_Query::CopyParamValues() {
    SyncSQL();
    TParams& target = *Parameters();
    target.Clear();
    for (int i = 0; i < ownParams_.Count(); ++i) {
        const TParam& own = ownParams_[i];
        target.CreateParam(own.Name()).AssignValue(own);
    }
}

// ---- TSMXADOQuery ----

TSMXADOQuery::TSMXADOQuery(TComponent* AOwner) : TSMXQuery(AOwner), query_(std::make_unique<TADO_Query>()) {}

TStringList* TSMXADOQuery::GetSQL() {
    return query_->GetOwnSQL();
}

bool TSMXADOQuery::GetEof() {
    return query_->GetEof();
}

void TSMXADOQuery::SetParamCheck(bool Value) {
    query_->SetParamCheck(Value);
}

bool TSMXADOQuery::GetParamCheck() {
    return query_->GetParamCheck();
}

TParams* TSMXADOQuery::GetParams() {
    return query_->GetOwnParams();
}

bool TSMXADOQuery::GetActive() {
    return query_ && query_->GetActive();
}

void TSMXADOQuery::SetActive(bool Value) {
    if (Value)
        Open();
    else
        query_->SetActive(false);
}

TFields* TSMXADOQuery::GetFields() {
    return query_->Fields();
}

void TSMXADOQuery::SetDatabase(TSMXDatabase* Value) {
    TSMXQuery::SetDatabase(Value);
    auto* db = dynamic_cast<TSMXADODatabase*>(Value);
    query_->SetConnection(db ? &db->GetADOConnection() : nullptr);
}

void TSMXADOQuery::First() {
    query_->First();
}

void TSMXADOQuery::Last() {
    query_->Last();
}

void TSMXADOQuery::Next() {
    query_->Next();
}

TField* TSMXADOQuery::FieldByName(std::string_view Name) {
    return &query_->FieldByName(Name);
}

void TSMXADOQuery::Open() {
    query_->CopyParamValues();
    query_->Open();
}

void TSMXADOQuery::Close() {
    query_->Close();
}

void TSMXADOQuery::ExecSQL() {
    query_->CopyParamValues();
    query_->ExecSQL();
}

TParam* TSMXADOQuery::ParamByName(std::string_view Name) {
    return &query_->GetOwnParams()->ParamByName(Name);
}

// ---- TSMXADODatabase ----

TSMXADODatabase::TSMXADODatabase(TComponent* AOwner)
    : TSMXDatabase(AOwner), connection_(std::make_unique<TADOConnection>()) {
    connection_->SetIsolationLevel(TIsolationLevel::ilReadCommitted);
    connection_->SetCommandTimeout(0);
    connection_->SetMode(TConnectMode::cmReadWrite);
}

bool TSMXADODatabase::GetConnected() const {
    return connection_->GetConnected();
}

void TSMXADODatabase::SetConnected(bool Value) {
    if (!Value) {
        if (!connection_->GetConnected()) return;
        if (connection_->InTransaction()) connection_->CommitTrans();
        connection_->Close();
        return;
    }
    if (connection_->GetConnected()) return;
    TSMXCustomConnection* c = GetConnection();
    if (!c) throw EDatabaseError(std::string(ClassName()) + "(" + GetName() + "): Connection not assigned.");
    const TDatabaseType type = c->GetDatabaseType();
    if (!IsADOConnectableDatabase(type)) {
        c->ErrorMessage("Not supported DatabaseType select.");
        return;
    }
    const TConnectionOptions& co = c->GetConnectionOptions();
    std::string cs = co.GetConnectionString();
    if (cs.empty())
        BuildADOConnectionString(type, co.GetHostName(), co.GetDatabaseName(), cs, co.GetProtocol(),
                                 co.GetPort(), false, co.GetUseWindowsAuthentication(), co.GetPassword(),
                                 co.GetUserName());
    connection_->SetConnectionString(cs);
    // The log shows the string as the connection holds it, with the password hidden.
    c->LogNextLine(HideConnectionStringPasswords(connection_->GetConnectionString()));
    connection_->SetLoginPrompt(type == TDatabaseType::dbInterBase &&
                                (co.GetUserName().empty() || co.GetPassword().empty()));
    connection_->SetCursorLocation(type == TDatabaseType::dbSybaseASE ? TCursorLocation::clUseServer
                                                                      : TCursorLocation::clUseClient);
    connection_->Open();
}

void TSMXADODatabase::StartTransaction() {
    connection_->BeginTrans();
}

void TSMXADODatabase::Commit() {
    connection_->CommitTrans();
}

void TSMXADODatabase::Rollback() {
    connection_->RollbackTrans();
}

bool TSMXADODatabase::InTransaction() const {
    return connection_->InTransaction();
}

} // namespace smx
