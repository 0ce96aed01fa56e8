// The InterBase/Firebird side of the connection engine: the database object a generic connection
// gets from an access-library plug-in (it owns its client objects and builds its connect
// parameters from the connection's options), the query that both it and the InterBase connection
// component hand out, and the connect helpers the two share (database facts, the default
// character set, the agreement test of the character-set reconnect loop, connect parameters).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "foundation/smxDBEngine.h"
#include "foundation/smxDBOptions.h"
#include "platform/smxIBClient.h"
#include "platform/smxStringList.h"

namespace smx {

/// Passes of the character-set reconnect loop at most; the last one counts as agreeing, so a
/// server that answers in an unexpected spelling cannot make the loop run forever.
inline constexpr int MaxIBConnectPasses = 3;

/// Copies the facts of the attachment (version text, ODS, page size, forced writes, sweep
/// interval, read-only, buffers, implementation bytes, dialect) into Facts; the server
/// implementation text is left alone. Throws EDatabaseError when Info's database is not connected.
void ReadIBDatabaseFacts(TIBDatabaseInfo& Info, TIBDatabaseOptions& Facts);

/// The database's default character set, trimmed ("" for a null), read on Transaction (started
/// when inactive). Throws EDatabaseError with the library's text.
std::string ReadIBDefaultCharSet(TIBDatabase& Database, TIBTransaction* Transaction);

/// True when the character set read from the database and the options' DBCharSet are the same
/// name (trimmed, case ignored) and the database's dialect is the options' SQLDialect.
bool IBConnectSettingsAgree(std::string_view CharSet, int Dialect, const TIBServerOptions& Options);

/// Clears Params and adds "user_name=", "password=", "sql_role_name=" from Options and
/// "lc_ctype=" + CharSet, each only when its value is not empty.
void SetIBConnectParams(TStringList& Params, const TConnectionOptions& Options, std::string_view CharSet);

/// The client query inside a TSMXIBXQuery: the engine's parameter parser decides which ":name"
/// references are parameters, so quoted names, "::" and literals follow the suite's rules. With
/// ParamCheck on, the "?" text is prepared and the parameters are bound by position in list order;
/// values of parameters whose names stay are kept across a change of SQL text.
class T_IBQuery : public TIBQuery {
public:
    explicit T_IBQuery(TComponent* AOwner = nullptr);
    SMX_CLASSNAME(T_IBQuery)
};

class TSMXIBXDatabase;

/// The query of the InterBase adapter: a forward-only T_IBQuery that every operation is forwarded
/// to. Created by a connection, owned by the caller.
class TSMXIBXQuery : public TSMXQuery {
public:
    explicit TSMXIBXQuery(TComponent* AOwner = nullptr);
    SMX_CLASSNAME(TSMXIBXQuery)

    TStringList* GetSQL() override;
    bool GetEof() override;
    void SetParamCheck(bool Value) override;
    bool GetParamCheck() override;
    TParams* GetParams() override;
    bool GetActive() override;
    TFields* GetFields() override;
    /// Stores the database object and binds the inner query to its client database and
    /// transaction; nullptr (or another library's object) unbinds both, transaction first.
    void SetDatabase(TSMXDatabase* Value) override;
    void First() override;
    void Last() override;
    void Next() override;
    /// Throws EDatabaseError "Field 'X' not found" when the result has no such column.
    TField* FieldByName(std::string_view Name) override;
    /// Throws EDatabaseError with the library's text.
    void Open() override;
    void Close() override;
    /// Throws EDatabaseError with the library's text.
    void ExecSQL() override;
    std::int64_t GetRowsAffected() override;
    /// Throws EDatabaseError "Parameter 'X' not found" when the text has no such parameter.
    TParam* ParamByName(std::string_view Name) override;
    void Prepare() override;

    /// The client query every operation goes to.
    T_IBQuery& GetQuery() { return *query_; }

private:
    std::unique_ptr<T_IBQuery> query_;
};

/// The database object of the InterBase access library. It owns a client database, transaction
/// (concurrency, nowait), database information and server properties, and takes its connect target,
/// user, password, role, character set and dialect from the owning connection's options, into
/// which it writes the database facts on every connect. Unlike the connection component it lets
/// the library's exceptions reach the caller.
class TSMXIBXDatabase : public TSMXDatabase {
public:
    explicit TSMXIBXDatabase(TComponent* AOwner = nullptr);
    /// Frees server properties, database information, transaction and database, in that order.
    ~TSMXIBXDatabase() override;
    SMX_CLASSNAME(TSMXIBXDatabase)

    bool GetConnected() const override;
    /// Connects with the character-set reconnect loop (no events), or commits an active
    /// transaction and disconnects. Throws EDatabaseError with the library's text; a failed
    /// connect leaves the database disconnected. Without an owning connection it throws too.
    void SetConnected(bool Value) override;
    void StartTransaction() override;
    void Commit() override;
    void Rollback() override;
    bool InTransaction() const override;
    /// Commits an active transaction, disconnects, and connects again; with a CharSet, the connect
    /// parameters are rebuilt from the connection's user, password and role plus that character
    /// set. Returns 0. Throws EDatabaseError with the library's text.
    int ReconnectWithCharSet(const std::string& CharSet) override;

    TIBDatabase& GetIBDatabase() { return *database_; }
    TIBTransaction& GetIBTransaction() { return *transaction_; }
    TIBDatabaseInfo& GetIBDatabaseInfo() { return *info_; }
    TIBServerProperties& GetIBServerProperties() { return *serverProperties_; }

private:
    TSMXCustomConnection& RequireConnection() const;
    void ConnectPass(TSMXCustomConnection& Connection);
    void ReadServerImplementation(TSMXCustomConnection& Connection);
    void CloseAttachment();

    // Declared in creation order, so that they are destroyed in the reverse one.
    std::unique_ptr<TIBDatabase> database_;
    std::unique_ptr<TIBTransaction> transaction_;
    std::unique_ptr<TIBDatabaseInfo> info_;
    std::unique_ptr<TIBServerProperties> serverProperties_;
};

} // namespace smx
