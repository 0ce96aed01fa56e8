// The InterBase connection component: connect loop, disconnect, database creation, reconnect
// with another character set, and the binding of its transaction, information object and queries
// to the client database component. See the header.
#include "database/smxConnection_IBX.h"

#include <exception>

#include "database/smxDB_IBX.h"
#include "platform/smxScopeExit.h"
#include "platform/smxStrUtils.h"

namespace smx {

void SetIBCreateDatabaseParams(TStringList& Params, const TConnectionOptions& Options,
                               const TIBServerOptions& IBOptions) {
    Params.Clear();
    if (!Options.GetUserName().empty()) Params.Add("USER " + QuotedStr(Options.GetUserName()));
    if (!Options.GetPassword().empty()) Params.Add("PASSWORD " + QuotedStr(Options.GetPassword()));
    const int pageSize = IBOptions.GetIBDatabaseOptions().GetPageSize();
    if (pageSize != 0) Params.Add("PAGE_SIZE " + IntToStr(pageSize));
    if (!IBOptions.GetDBCharSet().empty()) Params.Add("DEFAULT CHARACTER SET " + IBOptions.GetDBCharSet());
}

TSMXConnectionIBX::TSMXConnectionIBX(TComponent* AOwner)
    : TSMXCustomConnection(AOwner), info_(std::make_unique<TIBDatabaseInfo>()),
      transaction_(std::make_unique<TIBTransaction>()) {
    transaction_->Params().Clear();
    transaction_->Params().Add("concurrency");
    transaction_->Params().Add("nowait");
    SetDatabaseType(TDatabaseType::dbInterBase);
    SetConnectionType(TconnectionType::cnIBX);
    SetSupportedDatabases(TDatabaseSetType{TDatabaseType::dbInterBase});
}

TSMXConnectionIBX::~TSMXConnectionIBX() {
    // The transaction commits itself when it goes; unbind first so the database component keeps
    // no pointer to our objects.
    transaction_.reset();
    info_.reset();
}

void TSMXConnectionIBX::SetDatabase(TIBDatabase* Value) {
    if (Value == database_) return;
    if (transaction_->GetActive()) {
        try {
            transaction_->Commit();
        } catch (const std::exception& e) {
            ErrorMessage(e.what());
            try {
                transaction_->Rollback();
            } catch (const std::exception&) {
                // The attachment is gone; nothing is left to undo.
            }
        }
    }
    if (database_) RemoveFreeNotification(database_);
    database_ = Value;
    if (database_) FreeNotification(database_);
    transaction_->SetDefaultDatabase(database_);
    info_->SetDatabase(database_);
}

void TSMXConnectionIBX::Notification(TComponent* AComponent, TOperation Operation) {
    TSMXCustomConnection::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent != nullptr && AComponent == database_)
        SetDatabase(nullptr);
}

bool TSMXConnectionIBX::GetConnected() const {
    return database_ != nullptr && database_->GetConnected();
}

void TSMXConnectionIBX::ReportMissingDatabase() {
    ErrorMessage(std::string(ClassName()) + "(" + GetName() + "): Database not assigned.");
}

void TSMXConnectionIBX::CloseAttachment() {
    if (!database_ || !database_->GetConnected()) return;
    if (transaction_->GetActive()) transaction_->Commit();
    database_->Close();
}

void TSMXConnectionIBX::SetConnected(bool Value) {
    if (Value)
        Connect();
    else
        Disconnect();
}

void TSMXConnectionIBX::DoBeforeConnect() {
    TSMXCustomConnection::DoBeforeConnect();
    if (!database_) return;
    TConnectionOptions& co = GetConnectionOptions();
    TIBEngineOptions& ib = GetIBServerOptions();
    co.SetDatabaseName(database_->GetDatabaseName());
    co.SetUserName(database_->ParamValue("USER_NAME"));
    co.SetPassword(database_->ParamValue("PASSWORD"));
    co.SetRoleName(database_->ParamValue("SQL_ROLE_NAME"));
    ib.SetSQLDialect(database_->GetSQLDialect());
    ib.SetDBCharSet(database_->ParamValue("LC_CTYPE"));
}

void TSMXConnectionIBX::Connect() {
    if (!database_) {
        ReportMissingDatabase();
        return;
    }
    if (database_->GetConnected()) return;
    DoBeforeConnect();
    // A before-connect handler may have freed the database component.
    if (!database_) {
        ReportMissingDatabase();
        return;
    }
    TIBEngineOptions& ib = GetIBServerOptions();
    TIBDatabaseOptions& facts = ib.GetIBDatabaseOptions();
    for (int pass = 1;; ++pass) {
        try {
            database_->Open();
            transaction_->StartTransaction();
        } catch (const std::exception& e) {
            ErrorMessage(e.what());
        }
        if (!database_->GetConnected()) return;

        std::string charSet;
        try {
            ReadIBDatabaseFacts(*info_, facts);
            charSet = ReadIBDefaultCharSet(*database_, transaction_.get());
        } catch (const std::exception& e) {
            // Without its facts the connection is not usable as the suite expects: report, detach.
            ErrorMessage(e.what());
            try {
                CloseAttachment();
            } catch (const std::exception&) {
            }
            return;
        }

        const int dialect = facts.GetSQLDialect();
        if (pass >= MaxIBConnectPasses || IBConnectSettingsAgree(charSet, dialect, ib)) {
            DoAfterConnect();
            return;
        }
        // Attach again with the database's own character set and dialect; the client database
        // component keeps them, so the next connect agrees at once.
        ib.SetDBCharSet(charSet);
        ib.SetSQLDialect(dialect);
        try {
            CloseAttachment();
        } catch (const std::exception& e) {
            ErrorMessage(e.what());
            return;
        }
        database_->SetParamValue("lc_ctype", ib.GetDBCharSet());
        database_->SetSQLDialect(dialect);
    }
}

void TSMXConnectionIBX::Disconnect() {
    if (!GetConnected()) return;
    DoBeforeDisconnect();
    if (database_ && database_->GetConnected()) {
        if (transaction_->GetActive()) {
            try {
                transaction_->Commit();
            } catch (const std::exception& e) {
                ErrorMessage(e.what());
                try {
                    transaction_->Rollback();
                } catch (const std::exception&) {
                }
            }
        }
        try {
            database_->Close();
        } catch (const std::exception& e) {
            ErrorMessage(e.what());
        }
    }
    if (!GetConnected()) DoAfterDisconnect();
}

TSMXQuery* TSMXConnectionIBX::CreateQuery(TComponent* AOwner) {
    auto* q = new TSMXIBXQuery(AOwner);
    q->SetConnection(this);
    q->GetQuery().SetDatabase(database_);
    q->GetQuery().SetTransaction(transaction_.get());
    return q;
}

void TSMXConnectionIBX::StartTransaction() {
    transaction_->StartTransaction();
}

void TSMXConnectionIBX::Commit() {
    transaction_->Commit();
}

void TSMXConnectionIBX::Rollback() {
    transaction_->Rollback();
}

bool TSMXConnectionIBX::InTransaction() const {
    return transaction_->GetActive();
}

bool TSMXConnectionIBX::CreateDatabase() {
    if (!database_) {
        ReportMissingDatabase();
        return false;
    }
    const TConnectionOptions& co = GetConnectionOptions();
    const TIBEngineOptions& ib = GetIBServerOptions();
    // The CREATE clauses must not stay behind as connect parameters, whatever the outcome.
    ScopeExit restoreParams([this, &co, &ib] {
        if (database_) SetIBConnectParams(database_->Params(), co, ib.GetDBCharSet());
    });
    try {
        CloseAttachment();
        database_->SetDatabaseName(co.GetDatabaseName());
        database_->SetSQLDialect(ib.GetSQLDialect());
        database_->SetLoginPrompt(co.GetUserName().empty() || co.GetPassword().empty());
        SetIBCreateDatabaseParams(database_->Params(), co, ib);
        database_->CreateDatabase();
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        return false;
    }
    return true;
}

int TSMXConnectionIBX::ReconnectWithCharSet(const std::string& CharSet) {
    if (!database_) {
        ReportMissingDatabase();
        return -1;
    }
    try {
        CloseAttachment();
        if (!CharSet.empty()) SetIBConnectParams(database_->Params(), GetConnectionOptions(), CharSet);
        database_->Open();
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        return -1;
    }
    return 0;
}

} // namespace smx
