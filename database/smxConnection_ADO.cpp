// The ADO connection component, the ADO plug-in and the lookup of a connection's client
// connection: see the header.
#include "database/smxConnection_ADO.h"

#include <exception>

namespace smx {

TSMXConnectionADO::TSMXConnectionADO(TComponent* AOwner) : TSMXCustomConnection(AOwner) {
    using enum TDatabaseType;
    SetDatabaseType(dbMSSQL);
    SetConnectionType(TconnectionType::cnADO);
    SetSupportedDatabases(
        TDatabaseSetType{dbSybaseASA, dbOracle, dbMSSQL, dbPostgreSQL, dbDB2, dbSybaseASE, dbCustomOLEDB});
}

TSMXConnectionADO::~TSMXConnectionADO() {
    if (connection_) RemoveFreeNotification(connection_);
}

void TSMXConnectionADO::SetConnection(TADOConnection* Value) {
    if (Value == connection_) return;
    if (connection_) RemoveFreeNotification(connection_);
    connection_ = Value;
    if (connection_) FreeNotification(connection_);
}

void TSMXConnectionADO::Notification(TComponent* AComponent, TOperation Operation) {
    TSMXCustomConnection::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent != nullptr && AComponent == connection_)
        connection_ = nullptr;
}

void TSMXConnectionADO::ReportMissingConnection() {
    ErrorMessage(std::string(ClassName()) + "(" + GetName() + "): Database not assigned.");
}

bool TSMXConnectionADO::GetConnected() const {
    return connection_ != nullptr && connection_->GetConnected();
}

void TSMXConnectionADO::SetConnected(bool Value) {
    if (Value) {
        if (!connection_) {
            ReportMissingConnection();
            return;
        }
        if (connection_->GetConnected()) return;
        DoBeforeConnect();
        // A before-connect handler may have freed the client connection.
        if (!connection_) {
            ReportMissingConnection();
            return;
        }
        try {
            connection_->Open();
        } catch (const std::exception& e) {
            ErrorMessage(e.what());
        }
        if (GetConnected()) DoAfterConnect();
        return;
    }
    if (!GetConnected()) return;
    DoBeforeDisconnect();
    if (connection_ && connection_->GetConnected()) {
        try {
            if (connection_->InTransaction()) connection_->CommitTrans();
        } catch (const std::exception& e) {
            // Close rolls back what could not be committed; the caller learns of it here.
            ErrorMessage(e.what());
        }
        try {
            connection_->Close();
        } catch (const std::exception& e) {
            ErrorMessage(e.what());
        }
    }
    if (!GetConnected()) DoAfterDisconnect();
}

TSMXQuery* TSMXConnectionADO::CreateQuery(TComponent* AOwner) {
    auto* q = new TSMXADOQuery(AOwner);
    q->SetConnection(this);
    q->GetQuery().SetConnection(connection_);
    return q;
}

int TSMXConnectionADO::ReconnectWithCharSet(const std::string& CharSet) {
    (void)CharSet;
    if (!connection_) {
        ReportMissingConnection();
        return -1;
    }
    try {
        connection_->Close();
        connection_->Open();
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        return -1;
    }
    return 0;
}

bool TSMXConnectionADO::CreateDatabase() {
    if (!connection_) {
        ReportMissingConnection();
        return false;
    }
    try {
        connection_->Close();
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        return false;
    }
    return true;
}

// ---- Plug-in ----

TSMXADOConnectionPlugin::TSMXADOConnectionPlugin(TComponent* AOwner) : TSMXAbstractConnection(AOwner) {
    SetConnectionType(TconnectionType::cnADO);
}

TSMXDatabase* TSMXADOConnectionPlugin::CreateDatabaseObject(TComponent* Owner) {
    return new TSMXADODatabase(Owner);
}

TSMXQuery* TSMXADOConnectionPlugin::CreateQuery(TComponent* Owner) {
    return new TSMXADOQuery(Owner);
}

TADOConnection* FindADOConnection(TSMXCustomConnection* Connection) {
    if (auto* ado = dynamic_cast<TSMXConnectionADO*>(Connection)) return ado->GetConnection();
    if (auto* generic = dynamic_cast<TSMXConnection*>(Connection))
        if (auto* db = dynamic_cast<TSMXADODatabase*>(generic->GetDatabaseObject()))
            return &db->GetADOConnection();
    return nullptr;
}

} // namespace smx
