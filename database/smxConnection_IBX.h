// The InterBase/Firebird connection component: it works on a client database component that the
// application owns (the demo's data module fills it before each connect), keeps its own
// transaction and database-information object, connects with the character-set reconnect loop,
// creates databases, and hands out queries bound to that database and transaction. Failures of
// connecting and creating are reported through OnErrorMessage, never raised.
#pragma once

#include <memory>
#include <string>

#include "foundation/smxDBEngine.h"
#include "foundation/smxDBOptions.h"
#include "platform/smxIBClient.h"
#include "platform/smxStringList.h"

namespace smx {

/// Clears Params and adds the CREATE DATABASE clauses that are set: "USER " and "PASSWORD " with
/// the values as SQL string literals (inner quotes doubled), "PAGE_SIZE " + the page size of the
/// database facts (when not 0) and "DEFAULT CHARACTER SET " + DBCharSet.
void SetIBCreateDatabaseParams(TStringList& Params, const TConnectionOptions& Options,
                               const TIBServerOptions& IBOptions);

/// The connection component over a client database component (referenced, not owned).
class TSMXConnectionIBX : public TSMXCustomConnection {
public:
    /// InterBase database kind, the InterBase client library, and {dbInterBase} supported.
    explicit TSMXConnectionIBX(TComponent* AOwner = nullptr);
    ~TSMXConnectionIBX() override;
    SMX_CLASSNAME(TSMXConnectionIBX)

    /// The client database component worked on; nullptr after that component was freed.
    TIBDatabase* GetDatabase() const { return database_; }
    /// Commits an active own transaction, then binds the transaction and the database
    /// information to the new component. Nothing when it is the same one.
    void SetDatabase(TIBDatabase* Value);

    bool GetConnected() const override;
    /// Connect: before-connect step, then up to three attaches until the database's character set
    /// and dialect agree with the options, then the after-connect step. Disconnect: events around
    /// committing the own transaction and detaching. Failures go to ErrorMessage; a failed connect
    /// stays disconnected and runs no after-connect step. Nothing when the state is already Value.
    void SetConnected(bool Value) override;
    /// Logs and fires OnBeforeConnect, then copies database name, user, password, role, dialect
    /// and character set from the client database component into the options.
    void DoBeforeConnect() override;
    /// A new query owned by AOwner, bound to the database component and the own transaction.
    TSMXQuery* CreateQuery(TComponent* AOwner) override;
    /// Transaction operations on the own transaction; the library's errors are thrown.
    void StartTransaction() override;
    void Commit() override;
    void Rollback() override;
    bool InTransaction() const override;
    /// Creates the database file named by the options' DatabaseName with the options' user,
    /// password, page size and character set; afterwards the connect parameters are rebuilt from
    /// the options. False with a reported message when there is no database component or the
    /// library refuses.
    bool CreateDatabase() override;
    /// Commits an active own transaction, disconnects, and connects again without events; with
    /// a CharSet the connect parameters become the options' user, password and role plus that
    /// character set. Returns 0; on failure the message is reported and the result is -1.
    int ReconnectWithCharSet(const std::string& CharSet) override;

    void Notification(TComponent* AComponent, TOperation Operation) override;

    /// The own transaction (concurrency, nowait).
    TIBTransaction& GetTransaction() { return *transaction_; }
    /// The own database-information object, bound to the database component.
    TIBDatabaseInfo& GetDatabaseInfoObject() { return *info_; }

private:
    void Connect();
    void Disconnect();
    void ReportMissingDatabase();
    void CloseAttachment();

    TIBDatabase* database_ = nullptr;
    std::unique_ptr<TIBDatabaseInfo> info_;
    std::unique_ptr<TIBTransaction> transaction_;
};

} // namespace smx
