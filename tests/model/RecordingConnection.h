// A recording connection for executor tests: it keeps a journal of every connect, disconnect,
// transaction call and executed text (with the parameter values bound at that moment), can fail
// on demand, and rebuilds a query's parameter list from ":name" references as the adapters do.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "foundation/smxDBEngine.h"
#include "platform/smxExceptions.h"
#include "platform/smxStrUtils.h"

namespace smx::test {

/// One parameter as the connection saw it when the statement ran.
struct RecordedParam {
    std::string Name;
    bool IsNull = true;
    TFieldType DataType = TFieldType::ftUnknown;
    std::string Bytes;
};

/// One executed statement.
struct RecordedExec {
    std::string Text; ///< the SQL text as set on the query (CR LF line ends)
    std::vector<RecordedParam> Params;
};

class TRecordingConnection;

/// The query of the recording connection; executing hands the text to the connection.
class TRecordingQuery : public TSMXQuery {
public:
    TRecordingQuery(TComponent* AOwner, TRecordingConnection* Connection);
    SMX_CLASSNAME(TRecordingQuery)

    TStringList* GetSQL() override { return &sql_; }
    void SetParamCheck(bool Value) override { paramCheck_ = Value; }
    bool GetParamCheck() override { return paramCheck_; }
    /// With ParamCheck on, the list follows the SQL text (rebuilt whenever the text changed).
    TParams* GetParams() override {
        if (paramCheck_) {
            const std::string text = sql_.Text();
            if (text != parsedText_) {
                ParseSQLParams(&params_, text, true);
                parsedText_ = text;
            }
        }
        return &params_;
    }
    void ExecSQL() override;

private:
    TStringList sql_;
    TParams params_;
    std::string parsedText_;
    bool paramCheck_ = true;
};

/// Records everything; fails a text that contains FailOn, a connect when FailConnect is set.
class TRecordingConnection : public TSMXCustomConnection {
public:
    explicit TRecordingConnection(TComponent* AOwner = nullptr) : TSMXCustomConnection(AOwner) {
        SetDatabaseType(TDatabaseType::dbInterBase);
    }
    SMX_CLASSNAME(TRecordingConnection)

    bool GetConnected() const override { return connected_; }
    void SetConnected(bool Value) override {
        if (Value == connected_) return;
        if (Value) {
            Journal.push_back("connect " + GetConnectionOptions().GetDatabaseName());
            if (FailConnect) {
                ErrorMessage("unavailable database");
                return;
            }
        } else {
            Journal.push_back("disconnect");
            inTransaction_ = false;
        }
        connected_ = Value;
    }
    TSMXQuery* CreateQuery(TComponent* AOwner) override {
        ++QueriesCreated;
        if (NoQuery) return nullptr;
        return new TRecordingQuery(AOwner, this);
    }
    void StartTransaction() override {
        Journal.push_back("start");
        inTransaction_ = true;
    }
    void Commit() override {
        Journal.push_back("commit");
        inTransaction_ = false;
    }
    void Rollback() override {
        Journal.push_back("rollback");
        inTransaction_ = false;
    }
    bool InTransaction() const override { return inTransaction_; }
    bool CreateDatabase() override {
        Journal.push_back("create database");
        return !FailCreate;
    }

    /// Called by the query: records the statement, then throws when it is to fail.
    void Execute(const std::string& Text, const TParams& Params) {
        if (!connected_) throw EDatabaseError("not connected");
        RecordedExec r{Text, {}};
        for (int i = 0; i < Params.Count(); ++i) {
            const TParam& p = Params[i];
            r.Params.push_back({p.Name(), p.IsNull(), p.DataType(), p.IsNull() ? std::string() : p.AsBlob()});
        }
        Journal.push_back("exec " + Trim(Text));
        Executed.push_back(r);
        if (!FailOn.empty() && Text.find(FailOn) != std::string::npos)
            throw EDatabaseError("attempt to store duplicate value (" + FailOn + ")");
    }

    std::vector<std::string>
        Journal; ///< "connect <db>", "disconnect", "start", "commit", "rollback", "exec <text>"
    std::vector<RecordedExec> Executed;
    std::string FailOn;
    bool FailConnect = false;
    bool FailCreate = false;
    bool NoQuery = false;
    int QueriesCreated = 0;

private:
    bool connected_ = false;
    bool inTransaction_ = false;
};

inline TRecordingQuery::TRecordingQuery(TComponent* AOwner, TRecordingConnection* Connection)
    : TSMXQuery(AOwner) {
    SetConnection(Connection);
}

inline void TRecordingQuery::ExecSQL() {
    auto* c = static_cast<TRecordingConnection*>(GetConnection());
    if (!c) throw EDatabaseError("query without connection");
    c->Execute(sql_.Text(), *GetParams());
}

} // namespace smx::test
