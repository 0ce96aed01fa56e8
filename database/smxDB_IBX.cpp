// The InterBase adapter's database object and query, and the connect helpers shared with the
// InterBase connection component: see the header.
#include "database/smxDB_IBX.h"

#include <exception>

#include "platform/smxScopeExit.h"
#include "platform/smxStrUtils.h"

namespace smx {

// ---- Shared connect helpers ----

void ReadIBDatabaseFacts(TIBDatabaseInfo& Info, TIBDatabaseOptions& Facts) {
    Info.Refresh();
    Facts.SetServerVersion(Info.Version());
    Facts.SetODSMajorVersion(Info.ODSMajorVersion());
    Facts.SetODSMinorVersion(Info.ODSMinorVersion());
    Facts.SetPageSize(Info.PageSize());
    Facts.SetForcedWrites(Info.ForcedWrites() != 0);
    Facts.SetSweepInterval(Info.SweepInterval());
    Facts.SetReadOnly(Info.ReadOnly() != 0);
    Facts.SetNumBuffers(Info.NumBuffers());
    Facts.SetImplementationNo(Info.DBImplementationNo());
    Facts.SetImplementationClass(Info.DBImplementationClass());
    Facts.SetSQLDialect(Info.DBSQLDialect());
}

std::string ReadIBDefaultCharSet(TIBDatabase& Database, TIBTransaction* Transaction) {
    TIBQuery q;
    q.SetParamCheck(false);
    q.SetUniDirectional(true);
    q.SetDatabase(&Database);
    q.SetTransaction(Transaction);
    q.SetSQLText("SELECT RDB$CHARACTER_SET_NAME FROM RDB$DATABASE");
    q.Open();
    std::string result;
    if (!q.GetEof()) {
        const TField& f = q.FieldByName("RDB$CHARACTER_SET_NAME");
        if (!f.IsNull()) result = Trim(f.AsString());
    }
    q.Close();
    return result;
}

bool IBConnectSettingsAgree(std::string_view CharSet, int Dialect, const TIBServerOptions& Options) {
    return SameText(Trim(CharSet), Trim(Options.GetDBCharSet())) && Dialect == Options.GetSQLDialect();
}

void SetIBConnectParams(TStringList& Params, const TConnectionOptions& Options, std::string_view CharSet) {
    Params.Clear();
    auto add = [&Params](std::string_view name, std::string_view value) {
        if (!value.empty()) Params.Add(std::string(name) + "=" + std::string(value));
    };
    add("user_name", Options.GetUserName());
    add("password", Options.GetPassword());
    add("sql_role_name", Options.GetRoleName());
    add("lc_ctype", CharSet);
}

// ---- T_IBQuery ----

T_IBQuery::T_IBQuery(TComponent* AOwner) : TIBQuery(AOwner) {
    ParamRewriter = [](const std::string& sql, TParams& params) {
        return ParseSQLParams(&params, sql, true);
    };
}

// ---- TSMXIBXQuery ----

TSMXIBXQuery::TSMXIBXQuery(TComponent* AOwner) : TSMXQuery(AOwner), query_(std::make_unique<T_IBQuery>()) {
    query_->SetUniDirectional(true);
}

TStringList* TSMXIBXQuery::GetSQL() {
    return query_->SQL();
}

bool TSMXIBXQuery::GetEof() {
    return query_->GetEof();
}

void TSMXIBXQuery::SetParamCheck(bool Value) {
    query_->SetParamCheck(Value);
}

bool TSMXIBXQuery::GetParamCheck() {
    return query_->GetParamCheck();
}

TParams* TSMXIBXQuery::GetParams() {
    return query_->Params();
}

bool TSMXIBXQuery::GetActive() {
    return query_->GetActive();
}

TFields* TSMXIBXQuery::GetFields() {
    return query_->Fields();
}

void TSMXIBXQuery::SetDatabase(TSMXDatabase* Value) {
    TSMXQuery::SetDatabase(Value);
    if (auto* db = dynamic_cast<TSMXIBXDatabase*>(Value)) {
        query_->SetDatabase(&db->GetIBDatabase());
        query_->SetTransaction(&db->GetIBTransaction());
    } else {
        query_->SetTransaction(nullptr);
        query_->SetDatabase(nullptr);
    }
}

void TSMXIBXQuery::First() {
    query_->First();
}

void TSMXIBXQuery::Last() {
    query_->Last();
}

void TSMXIBXQuery::Next() {
    query_->Next();
}

TField* TSMXIBXQuery::FieldByName(std::string_view Name) {
    return &query_->FieldByName(Name);
}

void TSMXIBXQuery::Open() {
    query_->Open();
}

void TSMXIBXQuery::Close() {
    query_->Close();
}

void TSMXIBXQuery::ExecSQL() {
    query_->ExecSQL();
}

std::int64_t TSMXIBXQuery::GetRowsAffected() {
    return query_->GetRowsAffected();
}

TParam* TSMXIBXQuery::ParamByName(std::string_view Name) {
    return &query_->ParamByName(Name);
}

void TSMXIBXQuery::Prepare() {
    query_->Prepare();
}

// ---- TSMXIBXDatabase ----

TSMXIBXDatabase::TSMXIBXDatabase(TComponent* AOwner)
    : TSMXDatabase(AOwner), database_(std::make_unique<TIBDatabase>()),
      transaction_(std::make_unique<TIBTransaction>()), info_(std::make_unique<TIBDatabaseInfo>()),
      serverProperties_(std::make_unique<TIBServerProperties>()) {
    transaction_->Params().Clear();
    transaction_->Params().Add("concurrency");
    transaction_->Params().Add("nowait");
    transaction_->SetDefaultDatabase(database_.get());
    database_->SetDefaultTransaction(transaction_.get());
    info_->SetDatabase(database_.get());
}

TSMXIBXDatabase::~TSMXIBXDatabase() {
    serverProperties_.reset();
    info_.reset();
    transaction_.reset();
    database_.reset();
}

bool TSMXIBXDatabase::GetConnected() const {
    return database_->GetConnected();
}

TSMXCustomConnection& TSMXIBXDatabase::RequireConnection() const {
    TSMXCustomConnection* c = GetConnection();
    if (!c) throw EDatabaseError(std::string(ClassName()) + "(" + GetName() + "): Connection not assigned.");
    return *c;
}

void TSMXIBXDatabase::CloseAttachment() {
    if (!database_->GetConnected()) return;
    if (transaction_->GetActive()) transaction_->Commit();
    database_->Close();
}

void TSMXIBXDatabase::ReadServerImplementation(TSMXCustomConnection& Connection) {
    const TConnectionOptions& co = Connection.GetConnectionOptions();
    TIBServerProperties& sp = *serverProperties_;
    std::string server = co.GetHostName();
    if (co.GetPort() != 0 && co.GetProtocol() == TSMXProtocol::ptTCP) server += "/" + IntToStr(co.GetPort());
    sp.SetServerName(server);
    sp.Params().Clear();
    sp.Params().Add("user_name=" + co.GetUserName());
    sp.Params().Add("password=" + co.GetPassword());
    sp.SetLoginPrompt(false);
    switch (co.GetProtocol()) {
    case TSMXProtocol::ptTCP:
        sp.SetProtocol(TIBProtocol::TCP);
        break;
    case TSMXProtocol::ptSPX:
        sp.SetProtocol(TIBProtocol::SPX);
        break;
    case TSMXProtocol::ptNamedPipe:
        sp.SetProtocol(TIBProtocol::NamedPipe);
        break;
    case TSMXProtocol::ptLocal:
        sp.SetProtocol(TIBProtocol::Local);
        break;
    }
    sp.SetActive(true);
    ScopeExit detach([&sp] {
        try {
            sp.SetActive(false);
        } catch (const std::exception&) {
            // The texts are read; a failing detach changes nothing for the caller.
        }
    });
    sp.FetchVersionInfo();
    Connection.GetIBServerOptions().GetIBDatabaseOptions().SetServerImplementation(
        sp.VersionInfo().ServerImplementation);
}

void TSMXIBXDatabase::SetConnected(bool Value) {
    if (!Value) {
        CloseAttachment();
        return;
    }
    if (database_->GetConnected()) return;
    TSMXCustomConnection& c = RequireConnection();
    TIBEngineOptions& ib = c.GetIBServerOptions();
    for (int pass = 1;; ++pass) {
        ConnectPass(c);
        // Any failure after the attach leaves the database disconnected, never half set up.
        ScopeExit dropOnError([this] {
            try {
                CloseAttachment();
            } catch (const std::exception&) {
                // The first error is the one the caller gets.
            }
        });
        ReadServerImplementation(c);
        TIBDatabaseOptions& facts = ib.GetIBDatabaseOptions();
        ReadIBDatabaseFacts(*info_, facts);
        const std::string charSet = ReadIBDefaultCharSet(*database_, database_->GetDefaultTransaction());
        if (pass >= MaxIBConnectPasses || IBConnectSettingsAgree(charSet, facts.GetSQLDialect(), ib)) {
            dropOnError.release();
            return;
        }
        // Connect again with the database's own character set and dialect.
        ib.SetDBCharSet(charSet);
        ib.SetSQLDialect(facts.GetSQLDialect());
        dropOnError.release();
        CloseAttachment();
    }
}

void TSMXIBXDatabase::ConnectPass(TSMXCustomConnection& Connection) {
    const TConnectionOptions& co = Connection.GetConnectionOptions();
    const TIBEngineOptions& ib = Connection.GetIBServerOptions();
    database_->SetDatabaseName(Connection.GetConnectTarget());
    database_->SetLoginPrompt(co.GetUserName().empty() || co.GetPassword().empty());
    SetIBConnectParams(database_->Params(), co, ib.GetDBCharSet());
    database_->SetSQLDialect(ib.GetSQLDialect());
    database_->Open();
    try {
        transaction_->StartTransaction();
    } catch (const std::exception&) {
        try {
            database_->Close();
        } catch (const std::exception&) {
        }
        throw;
    }
}

void TSMXIBXDatabase::StartTransaction() {
    transaction_->StartTransaction();
}

void TSMXIBXDatabase::Commit() {
    transaction_->Commit();
}

void TSMXIBXDatabase::Rollback() {
    transaction_->Rollback();
}

bool TSMXIBXDatabase::InTransaction() const {
    return transaction_->GetActive();
}

int TSMXIBXDatabase::ReconnectWithCharSet(const std::string& CharSet) {
    CloseAttachment();
    if (!CharSet.empty())
        SetIBConnectParams(database_->Params(), RequireConnection().GetConnectionOptions(), CharSet);
    database_->Open();
    return 0;
}

} // namespace smx
