// Shared pieces of the adapter tests: a recorder of every event a connection fires, a client
// database component set up for a test database, and small query helpers.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "database/smxConnection_IBX.h"
#include "database/smxDB_IBX.h"
#include "platform/smxIBClient.h"
#include "platform/smxStrUtils.h"
#include "tests/support/smxTestDb.h"

namespace smx::test {

/// Records the events of a connection in firing order ("before-connect", "error: <text>", ...).
struct TEventLog {
    std::vector<std::string> events;
    std::vector<std::string> errors;
    std::vector<std::string> logs;

    void Attach(TSMXCustomConnection& c) {
        c.OnBeforeConnect = [this](TObject*) { events.push_back("before-connect"); };
        c.OnAfterConnect = [this](TObject*) { events.push_back("after-connect"); };
        c.OnBeforeDisconnect = [this](TObject*) { events.push_back("before-disconnect"); };
        c.OnAfterDisconnect = [this](TObject*) { events.push_back("after-disconnect"); };
        c.OnErrorMessage = [this](TObject*, const std::string& t) {
            events.push_back("error: " + t);
            errors.push_back(t);
        };
        c.OnLogNextLine = [this](TObject*, const std::string& t) {
            events.push_back("log: " + t);
            logs.push_back(t);
        };
    }
    int Count(const std::string& event) const {
        int n = 0;
        for (const std::string& e : events)
            n += e == event ? 1 : 0;
        return n;
    }
    bool HasLog(const std::string& line) const {
        for (const std::string& l : logs)
            if (l == line) return true;
        return false;
    }
    void Clear() {
        events.clear();
        errors.clear();
        logs.clear();
    }
};

/// A client database component for the file, as the demo's data module fills it.
inline std::unique_ptr<TIBDatabase> MakeIBDatabase(const std::string& path, const std::string& charSet = {},
                                                   const std::string& user = "SYSDBA") {
    auto db = std::make_unique<TIBDatabase>();
    db->SetDatabaseName(path);
    db->Params().Add("user_name=" + user);
    db->Params().Add("password=masterkey");
    if (!charSet.empty()) db->Params().Add("lc_ctype=" + charSet);
    db->SetLoginPrompt(false);
    return db;
}

/// The first column of every row of the statement, trimmed, through an adapter query.
inline std::vector<std::string> ReadColumn(TSMXCustomConnection& c, const std::string& sql) {
    std::unique_ptr<TSMXQuery> q(c.CreateQuery(nullptr));
    q->GetSQL()->SetText(sql);
    q->Open();
    std::vector<std::string> rows;
    for (; !q->GetEof(); q->Next())
        rows.push_back(Trim((*q->GetFields())[0].AsString()));
    q->Close();
    return rows;
}

/// Runs the select through a separate attachment (what another user sees), with the connection
/// character set when one is given, and hands each row's query to row.
template <typename F>
void ForEachRowElsewhere(const std::string& path, const std::string& sql, const std::string& charSet, F row) {
    TIBDatabase db;
    db.SetDatabaseName(path);
    db.Params().Add("user_name=SYSDBA");
    if (!charSet.empty()) db.Params().Add("lc_ctype=" + charSet);
    TIBTransaction tr;
    tr.SetDefaultDatabase(&db);
    db.Open();
    TIBQuery q;
    q.SetDatabase(&db);
    q.SetTransaction(&tr);
    q.SetParamCheck(false);
    q.SetSQLText(sql);
    q.Open();
    for (; !q.GetEof(); q.Next())
        row(q);
    q.Close();
    tr.Commit();
    db.Close();
}

/// The first column of every row through a separate attachment.
inline std::vector<std::string> ReadColumnElsewhere(const std::string& path, const std::string& sql) {
    std::vector<std::string> rows;
    ForEachRowElsewhere(path, sql, "", [&](TIBQuery& q) { rows.push_back(Trim((*q.Fields())[0].AsString())); });
    return rows;
}

} // namespace smx::test
