// Column lists of custom OLE DB tables through the ADO adapter, on SQLite databases reached through
// the ODBC driver manager (temporary folders): the columns rowset of each side, a missing table, and
// a whole comparison whose script, run on the target, leaves nothing to compare.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "database/smxConnection_ADO.h"
#include "datacompare/smxTableDataComparer.h"
#include "tests/support/smxTestODBC.h"

namespace smx::test {
namespace {

/// One SQLite database behind a connection component of the custom OLE DB kind.
struct TADOSide {
    explicit TADOSide(const std::string& File) : db(File) {
        client.SetConnectionString(db.ConnectionString());
        conn.SetConnection(&client);
        conn.SetDatabaseType(TDatabaseType::dbCustomOLEDB);
        conn.GetConnectionOptions().SetDatabaseName(db.ConnectionString());
        conn.OnLogNextLine = [](TObject*, const std::string&) {};
        conn.OnErrorMessage = [this](TObject*, const std::string& t) { errors.push_back(t); };
    }
    void Exec(const std::string& Sql) {
        const bool was = conn.GetConnected();
        conn.SetConnected(true);
        std::unique_ptr<TSMXQuery> q(conn.CreateQuery(nullptr));
        q->SetParamCheck(false);
        q->GetSQL()->SetText(Sql);
        q->ExecSQL();
        if (!was) conn.SetConnected(false);
    }
    TSQLiteTestDatabase db;
    TADOConnection client;
    TSMXConnectionADO conn;
    std::vector<std::string> errors;
};

TEST(ADOColumns, CustomOLEDBTablesCompareThroughTheAdapter) {
    if (FindSQLiteODBCDriver().empty()) GTEST_SKIP() << "no SQLite ODBC driver";
    TADOSide master("m.db"), target("t.db");
    for (TADOSide* s : {&master, &target}) {
        s->Exec("create table ITEMS(ID integer not null primary key, NAME varchar(20), QTY integer)");
        s->Exec("create table OTHER(X integer)");
    }
    master.Exec("insert into ITEMS values (1, 'a', 1)");
    master.Exec("insert into ITEMS values (2, 'O''Brien', 2)");
    target.Exec("insert into ITEMS values (2, 'c', 2)");
    target.Exec("insert into ITEMS values (3, 'd', 3)");

    TTableDataComparer cmp;
    cmp.SetSMXConnectionMaster(&master.conn);
    cmp.SetSMXConnectionTarget(&target.conn);
    cmp.SetTableNameMaster("items");
    cmp.SetTableNameTarget("items");
    TStringList keys;
    keys.Add("ID");
    cmp.SetCustomKeyFields(keys);
    TTempDir dir("smxdcado");
    cmp.SetScriptFileName(dir.File("Result.SQL"));
    std::vector<std::string> log, errors;
    cmp.OnLogNextLine = [&](TObject*, const std::string& t) { log.push_back(t); };
    cmp.OnErrorMessage = [&](TObject*, const std::string& t) { errors.push_back(t); };
    auto has = [&](const std::string& line) { return std::find(log.begin(), log.end(), line) != log.end(); };

    ASSERT_TRUE(cmp.Execute());
    EXPECT_TRUE(errors.empty()) << errors.front();
    EXPECT_TRUE(has("ITEMS: ID NAME QTY"));
    EXPECT_TRUE(has("Equal: 0, Inserted: 1, Updated: 1, Deleted: 1, All: 3."));
    std::ifstream in(dir.File("Result.SQL"), std::ios::binary);
    const std::string script((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(script, "UPDATE ITEMS SET \r\nNAME='O''Brien'\r\nWHERE ID = 2;\r\n"
                      "DELETE FROM ITEMS WHERE ID = 3;\r\n"
                      "INSERT INTO ITEMS (ID, NAME, QTY)\r\nVALUES(1, 'a', 1);\r\n");

    // Run on the target, the statements leave nothing to compare.
    for (std::size_t start = 0, end; (end = script.find(";\r\n", start)) != std::string::npos;
         start = end + 3)
        target.Exec(script.substr(start, end - start));
    ASSERT_TRUE(cmp.Execute());
    EXPECT_TRUE(has("Equal: 2, Inserted: 0, Updated: 0, Deleted: 0, All: 2."));

    // No existence test: a missing table simply has no columns.
    cmp.SetTableNameMaster("nope");
    cmp.SetTableNameTarget("nope");
    ASSERT_TRUE(cmp.Execute());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Error: There are no data-fields for comparison. Table: NOPE Database: " +
                             target.db.ConnectionString());
    EXPECT_TRUE(master.errors.empty() && target.errors.empty());
}

} // namespace
} // namespace smx::test
