// The connection engine, the only road from the suite to a database: the abstract connection
// component (options, events, connect and transaction operations, set-up after connecting, a text
// description of server and database), the abstract database object and query of an access
// library, the generic connection that delegates to a plug-in chosen by connection type from a
// program-wide registry, and the parser that turns ":name" parameter references into "?" markers.
// Connections report their errors through OnErrorMessage (or a message box) and never raise, with
// one exception: selecting a connection type for which no plug-in is registered.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "foundation/smxDBOptions.h"
#include "foundation/smxTypes.h"
#include "platform/smxComponent.h"
#include "platform/smxDB.h"
#include "platform/smxStringList.h"

namespace smx {

class TSMXCustomConnection;
class TSMXConnection;
class TSMXDatabase;

/// The abstract query of an access library. It holds no cursor of its own: every operation is
/// virtual and the adapters implement them over an inner query of their library. Created by a
/// connection, owned by the caller. The connection and database references are dropped when
/// those components are freed.
class TSMXQuery : public TComponent {
public:
    explicit TSMXQuery(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
    SMX_CLASSNAME(TSMXQuery)

    /// The SQL text list (nullptr in the base).
    virtual TStringList* GetSQL() { return nullptr; }
    /// True past the last row (always true in the base, which has no rows).
    virtual bool GetEof() { return true; }
    /// With ParamCheck on, ":name" references are parsed and the parameter list rebuilt.
    virtual void SetParamCheck(bool Value) { (void)Value; }
    virtual bool GetParamCheck() { return false; }
    /// The parameter list (nullptr in the base).
    virtual TParams* GetParams() { return nullptr; }
    virtual bool GetActive() { return false; }
    /// The fields of the current row (nullptr in the base).
    virtual TFields* GetFields() { return nullptr; }
    /// Stores the database object; adapters also bind their inner query to it.
    virtual void SetDatabase(TSMXDatabase* Value);
    virtual void First() {}
    virtual void Last() {}
    virtual void Next() {}
    /// The field of that name in the current row, or nullptr.
    virtual TField* FieldByName(std::string_view Name) {
        (void)Name;
        return nullptr;
    }
    /// Runs the SQL and opens its result.
    virtual void Open() {}
    virtual void Close() {}
    /// Runs the SQL without a result.
    virtual void ExecSQL() {}
    /// The rows the last ExecSQL of an INSERT, UPDATE or DELETE touched; -1 when not known.
    virtual std::int64_t GetRowsAffected() { return -1; }
    /// The parameter of that name, or nullptr.
    virtual TParam* ParamByName(std::string_view Name) {
        (void)Name;
        return nullptr;
    }
    virtual void Prepare() {}

    TSMXCustomConnection* GetConnection() const { return connection_; }
    void SetConnection(TSMXCustomConnection* Value);
    TSMXDatabase* GetDatabase() const { return database_; }

    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TSMXCustomConnection* connection_ = nullptr;
    TSMXDatabase* database_ = nullptr;
};

/// The abstract database object of an access library (the attachment behind a connection).
class TSMXDatabase : public TComponent {
public:
    explicit TSMXDatabase(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
    SMX_CLASSNAME(TSMXDatabase)

    virtual bool GetConnected() const { return false; }
    /// Connects or disconnects; adapters let the library's exceptions pass to the caller.
    virtual void SetConnected(bool Value) { (void)Value; }
    virtual void StartTransaction() {}
    virtual void Commit() {}
    virtual void Rollback() {}
    virtual bool InTransaction() const { return false; }
    /// Reconnects with another connection character set; 0 in the base.
    virtual int ReconnectWithCharSet(const std::string& CharSet) {
        (void)CharSet;
        return 0;
    }

    /// The connection this database object serves.
    TSMXCustomConnection* GetConnection() const { return connection_; }
    void SetConnection(TSMXCustomConnection* Value);

    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TSMXCustomConnection* connection_ = nullptr;
};

/// The abstract connection component: database and connection type, the nine owned option
/// objects, the connect events and the operations every adapter implements.
class TSMXCustomConnection : public TComponent,
                             public TServerOptionsAccess<TSMXCustomConnection, TIBEngineOptions> {
public:
    explicit TSMXCustomConnection(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
    SMX_CLASSNAME(TSMXCustomConnection)

    TDatabaseType GetDatabaseType() const { return databaseType_; }
    virtual void SetDatabaseType(TDatabaseType Value) { databaseType_ = Value; }
    TconnectionType GetConnectionType() const { return connectionType_; }
    /// Stores the type; the generic connection also selects its plug-in (and may throw).
    virtual void SetConnectionType(TconnectionType Value) { connectionType_ = Value; }
    /// The stored set of database kinds (empty unless an adapter sets it).
    virtual TDatabaseSetType GetSupportedDatabases() const { return supportedDatabases_; }
    virtual TConnectionSetType GetSupportedConnections() const { return {}; }
    virtual bool GetConnected() const { return false; }
    virtual void SetConnected(bool Value) { (void)Value; }
    /// Logs "Connect to: '<target>'..." when there is a target, then fires OnBeforeConnect. For
    /// MS Access and custom OLE DB the target is a connection string; its password is hidden.
    virtual void DoBeforeConnect();
    virtual void DoBeforeDisconnect();
    /// Logs the server version, runs the per-dialect session set-up, then fires OnAfterConnect.
    /// A failed set-up statement is reported; the connection stays open.
    virtual void DoAfterConnect();
    virtual void DoAfterDisconnect();
    /// A new query working on this connection, owned by AOwner (or by the caller when AOwner is
    /// null); nullptr when the connection has no query to offer.
    virtual TSMXQuery* CreateQuery(TComponent* AOwner) {
        (void)AOwner;
        return nullptr;
    }
    virtual void StartTransaction() {}
    virtual void Commit() {}
    virtual void Rollback() {}
    virtual bool InTransaction() const { return false; }
    /// Reports "CREATE DATABASE not implemented (<class>)." and returns false in the base.
    virtual bool CreateDatabase();
    /// Reconnects with another connection character set; 0 in the base.
    virtual int ReconnectWithCharSet(const std::string& CharSet) {
        (void)CharSet;
        return 0;
    }
    /// OnErrorMessage when assigned, else a message box.
    virtual void ErrorMessage(const std::string& Text);
    /// Server (and, unless VersionOnly, database) description, lines ending CR LF; empty when
    /// not connected. Query failures are reported through ErrorMessage.
    virtual std::string GetDatabaseInfo(bool VersionOnly);

    /// Takes connection type, database type and the nine option objects of Source.
    void Assign(const TSMXCustomConnection& Source);
    /// OnLogNextLine when assigned.
    void LogNextLine(const std::string& Text);
    /// The database name, with host, port or protocol prefix for InterBase with a host name.
    std::string GetConnectTarget() const;

    const TConnectionOptions& GetConnectionOptions() const { return connectionOptions_; }
    TConnectionOptions& GetConnectionOptions() { return connectionOptions_; }
    void SetConnectionOptions(const TConnectionOptions& v) { connectionOptions_ = v; }
    /// The eight server-option objects (their accessors come with TServerOptionsAccess).
    TServerOptionsSet<TIBEngineOptions>& ServerOptions() { return serverOptions_; }
    const TServerOptionsSet<TIBEngineOptions>& ServerOptions() const { return serverOptions_; }

    TNotifyEvent OnBeforeConnect;
    TNotifyEvent OnAfterConnect;
    TNotifyEvent OnBeforeDisconnect;
    TNotifyEvent OnAfterDisconnect;
    TErrorMessageEvent OnErrorMessage;
    TLogNextLineEvent OnLogNextLine;

protected:
    /// Adapters set the database kinds they serve in their constructors.
    void SetSupportedDatabases(TDatabaseSetType Value) { supportedDatabases_ = Value; }

private:
    std::string GetQueryDatabaseInfo(TSMXQuery& Query, bool VersionOnly);

    TDatabaseType databaseType_ = TDatabaseType::dbAbstract;
    TconnectionType connectionType_ = TconnectionType::cnAbstract;
    TConnectionOptions connectionOptions_;
    TServerOptionsSet<TIBEngineOptions> serverOptions_;
    TDatabaseSetType supportedDatabases_;
};

/// An access-library plug-in: one instance per library lives in the registry and serves the
/// generic connections that select its connection type.
class TSMXAbstractConnection : public TComponent {
public:
    explicit TSMXAbstractConnection(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
    SMX_CLASSNAME(TSMXAbstractConnection)

    virtual bool GetConnected() const { return false; }
    virtual void SetConnected(bool Value) { (void)Value; }
    /// A new database object of the library, owned by Owner; nullptr in the base.
    virtual TSMXDatabase* CreateDatabaseObject(TComponent* Owner) {
        (void)Owner;
        return nullptr;
    }
    /// Reports "CREATE DATABASE not implemented (TSMXAbstractConnection)." and returns false in the base.
    virtual bool CreateDatabase();
    /// The serving connection's OnErrorMessage when assigned, else a message box.
    virtual void ErrorMessage(const std::string& Text);
    /// A new query of the library, owned by Owner; nullptr in the base.
    virtual TSMXQuery* CreateQuery(TComponent* Owner) {
        (void)Owner;
        return nullptr;
    }
    virtual int ReconnectWithCharSet(const std::string& CharSet) {
        (void)CharSet;
        return 0;
    }
    virtual void StartTransaction() {}
    virtual void Commit() {}
    virtual void Rollback() {}
    virtual bool InTransaction() const { return false; }

    TDatabaseType GetDatabaseType() const { return databaseType_; }
    void SetDatabaseType(TDatabaseType Value) { databaseType_ = Value; }
    /// The library this plug-in stands for; the registry is searched by it.
    TconnectionType GetConnectionType() const { return connectionType_; }
    /// The generic connection served at present (nullptr when none or when it was freed).
    TSMXConnection* GetConnection() const { return connection_; }
    void SetConnection(TSMXConnection* Value);

    void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
    /// Plug-ins set their connection type in their constructors.
    void SetConnectionType(TconnectionType Value) { connectionType_ = Value; }

private:
    TDatabaseType databaseType_ = TDatabaseType::dbAbstract;
    TconnectionType connectionType_ = TconnectionType::cnAbstract;
    TSMXConnection* connection_ = nullptr;
};

/// The generic connection: selecting a connection type picks the registered plug-in of that
/// library and creates its database object, to which connecting and transactions are forwarded.
/// Without a database object every forwarded call does nothing and reports failure values.
class TSMXConnection : public TSMXCustomConnection {
public:
    explicit TSMXConnection(TComponent* AOwner = nullptr) : TSMXCustomConnection(AOwner) {}
    /// Frees the database object and stops serving as the plug-in's connection.
    ~TSMXConnection() override;
    SMX_CLASSNAME(TSMXConnection)

    /// Stores the type and passes it on to the current plug-in.
    void SetDatabaseType(TDatabaseType Value) override;
    /// Selects the plug-in of that library and creates its database object. Throws Exception
    /// naming the unit to include when no plug-in of that type is registered.
    void SetConnectionType(TconnectionType Value) override;
    TDatabaseSetType GetSupportedDatabases() const override;
    TConnectionSetType GetSupportedConnections() const override;
    bool GetConnected() const override;
    /// Connects or disconnects the database object with the before/after steps. An exception of
    /// the database object is reported through ErrorMessage; the after step still runs.
    void SetConnected(bool Value) override;
    /// The plug-in's query bound to this connection and its database object; nullptr without plug-in.
    TSMXQuery* CreateQuery(TComponent* AOwner) override;
    void StartTransaction() override;
    void Commit() override;
    void Rollback() override;
    bool InTransaction() const override;
    int ReconnectWithCharSet(const std::string& CharSet) override;
    /// The plug-in's CreateDatabase; without plug-in reports as the base does and returns false.
    bool CreateDatabase() override;

    /// The current plug-in (owned by the registry), or nullptr.
    TSMXAbstractConnection* GetPlugin() const { return plugin_; }
    /// The database object (owned by this connection), or nullptr.
    TSMXDatabase* GetDatabaseObject() const { return database_; }

    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void DropPlugin();
    void FreeDatabaseObject();

    TSMXAbstractConnection* plugin_ = nullptr;
    TSMXDatabase* database_ = nullptr;
};

// ---- Plug-in registry (program-wide) ----

/// Files a plug-in in the registry, which owns it from now on; returns it.
TSMXAbstractConnection* RegisterConnectionPlugin(std::unique_ptr<TSMXAbstractConnection> Plugin);
/// The first registered plug-in of that connection type, in list order, or nullptr.
TSMXAbstractConnection* FindConnectionPlugin(TconnectionType ConnectionType);
/// The unit that provides the plug-in of a connection type ("smxConnection_IBXDB", ...).
std::string GetConnectionUnitName(TconnectionType ConnectionType);
/// Frees every registered plug-in and the registry (a later registration starts a new one).
void FreeConnectionPlugins();

// ---- SQL parameter parser ----

/// The statement text with every ":name" reference replaced by "?". With DoCreate, Params (when
/// not null) is cleared and gets one parameter per reference, in order of appearance. Literals
/// in any of the three quote characters, "--" line comments and "/* */" block comments are copied
/// untouched (an unterminated one runs to the end of the text); "::" becomes ":".
std::string ParseSQLParams(TParams* Params, std::string_view SQL, bool DoCreate);
/// Name without one leading and one trailing quote character (" ' `), each only when present.
std::string StripParamName(std::string_view Name);

} // namespace smx
