// The ADO connection component and the ADO access-library plug-in. The component works on a client
// connection that the application owns and connects it as it stands: its statements commit
// themselves, so the component's own transaction operations do nothing. The plug-in serves generic
// connections of the ADO kind with the adapter's database object and query; the program registers
// no plug-in, tests and callers do. Failures of connecting are reported through OnErrorMessage,
// never raised.
#pragma once

#include <string>

#include "database/smxDB_ADO.h"
#include "foundation/smxDBEngine.h"
#include "platform/smxADOClient.h"

namespace smx {

/// The connection component over a client connection (referenced, not owned).
class TSMXConnectionADO : public TSMXCustomConnection {
public:
    /// MS SQL database kind, the ADO library, and the OLE DB kinds it serves.
    explicit TSMXConnectionADO(TComponent* AOwner = nullptr);
    ~TSMXConnectionADO() override;
    SMX_CLASSNAME(TSMXConnectionADO)

    /// The client connection worked on; nullptr after that component was freed.
    TADOConnection* GetConnection() const { return connection_; }
    void SetConnection(TADOConnection* Value);

    /// False without a client connection.
    bool GetConnected() const override;
    /// Connect: before-connect step, open, and the after-connect step only when now connected.
    /// Disconnect: events around committing an open transaction and closing. Failures (and a
    /// missing client connection) go to ErrorMessage. Nothing when the state is already Value.
    void SetConnected(bool Value) override;
    /// A new query owned by AOwner whose inner query uses the client connection (none when there
    /// is none: its Open then throws EDatabaseError).
    TSMXQuery* CreateQuery(TComponent* AOwner) override;
    /// Closes when connected and opens again, without events; the character set is not used.
    /// Returns 0; -1 with a reported message on failure or without a client connection.
    int ReconnectWithCharSet(const std::string& CharSet) override;
    /// Closes when connected and returns true; false with a reported message without a client
    /// connection.
    bool CreateDatabase() override;

    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void ReportMissingConnection();

    TADOConnection* connection_ = nullptr;
};

/// Serves generic connections of the ADO kind with TSMXADODatabase and TSMXADOQuery.
class TSMXADOConnectionPlugin : public TSMXAbstractConnection {
public:
    explicit TSMXADOConnectionPlugin(TComponent* AOwner = nullptr);
    SMX_CLASSNAME(TSMXADOConnectionPlugin)

    TSMXDatabase* CreateDatabaseObject(TComponent* Owner) override;
    TSMXQuery* CreateQuery(TComponent* Owner) override;
};

/// The client connection behind a connection component: the one of a TSMXConnectionADO, or the
/// one owned by the ADO database object of a generic connection; nullptr for any other.
TADOConnection* FindADOConnection(TSMXCustomConnection* Connection);

} // namespace smx
