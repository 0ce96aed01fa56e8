// The InterBase database object on real databases: directly under a connection that only holds the
// options, and through the generic connection with a plug-in of this test that serves it (the
// program's own registry is empty). Also the connect-parameter helper.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/smxUIHooks.h"
#include "tests/database/IBXTestSupport.h"

namespace smx::test {
namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

/// Serves generic connections of the InterBase client library with the adapter's objects.
class TIBXTestPlugin : public TSMXAbstractConnection {
public:
    TIBXTestPlugin() { SetConnectionType(TconnectionType::cnIBX); }
    TSMXDatabase* CreateDatabaseObject(TComponent* Owner) override { return new TSMXIBXDatabase(Owner); }
    TSMXQuery* CreateQuery(TComponent* Owner) override { return new TSMXIBXQuery(Owner); }
};

/// A connection that holds the options the database object reads, with every event recorded.
class IBXDatabase : public ::testing::Test {
protected:
    void SetUp() override {
        owner.SetDatabaseType(TDatabaseType::dbInterBase);
        owner.GetConnectionOptions().SetUserName("SYSDBA");
        owner.GetConnectionOptions().SetPassword("masterkey");
        log.Attach(owner);
        database.SetConnection(&owner);
    }

    TSMXCustomConnection owner;
    TSMXIBXDatabase database;
    TEventLog log;
};

TEST_F(IBXDatabase, ConnectLoopTakesTheDatabasesCharSetWithoutEvents) {
    TTestDatabase db(CreateDatabaseSql());
    owner.GetConnectionOptions().SetDatabaseName(db.Path());
    const int before = TIBDatabase::AttachCount();
    database.SetConnected(true);
    ASSERT_TRUE(database.GetConnected());
    EXPECT_EQ(TIBDatabase::AttachCount() - before, 2);
    EXPECT_TRUE(log.events.empty());
    const TIBEngineOptions& ib = owner.GetIBServerOptions();
    EXPECT_EQ(ib.GetDBCharSet(), "WIN1252");
    EXPECT_EQ(database.GetIBDatabase().ParamValue("lc_ctype"), "WIN1252");
    EXPECT_EQ(database.GetIBDatabase().GetDatabaseName(), db.Path());
    EXPECT_FALSE(database.GetIBDatabase().GetLoginPrompt());
    EXPECT_EQ(ib.GetIBDatabaseOptions().GetServerImplementation(), "Firebird/Linux/AMD/Intel/x64");
    EXPECT_EQ(ib.GetIBDatabaseOptions().GetServerVersion(), "LI-V6.3.11.33637 Firebird 3.0");
    EXPECT_EQ(ib.GetIBDatabaseOptions().GetPageSize(), 4096);
    EXPECT_TRUE(database.InTransaction());

    // A second connect agrees at once.
    database.SetConnected(false);
    EXPECT_FALSE(database.GetConnected());
    EXPECT_FALSE(database.InTransaction());
    const int again = TIBDatabase::AttachCount();
    database.SetConnected(true);
    EXPECT_EQ(TIBDatabase::AttachCount() - again, 1);
    EXPECT_TRUE(log.events.empty());
}

TEST_F(IBXDatabase, MissingFileRaisesTheLibrarysText) {
    TTempDir dir;
    owner.GetConnectionOptions().SetDatabaseName(dir.File("missing.fdb"));
    try {
        database.SetConnected(true);
        ADD_FAILURE() << "no exception";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(Contains(e.Message(), "I/O error during \"open\" operation")) << e.Message();
    }
    EXPECT_FALSE(database.GetConnected());
    EXPECT_TRUE(log.events.empty());
}

TEST_F(IBXDatabase, ReconnectWithCharSetUsesTheConnectionsUser) {
    TTestDatabase db(CreateDatabaseSql("CREATE EXCEPTION E1 'Failed';\n"));
    owner.GetConnectionOptions().SetDatabaseName(db.Path());
    owner.GetIBServerOptions().SetDBCharSet("WIN1252");
    database.SetConnected(true);
    ASSERT_TRUE(database.InTransaction());
    EXPECT_EQ(database.ReconnectWithCharSet("NONE"), 0);
    EXPECT_TRUE(database.GetConnected());
    EXPECT_FALSE(database.InTransaction());
    EXPECT_EQ(database.GetIBDatabase().Params().Text(),
              "user_name=SYSDBA\r\npassword=masterkey\r\nlc_ctype=NONE\r\n");
    EXPECT_TRUE(log.events.empty());
}

TEST_F(IBXDatabase, WithoutConnectionRaises) {
    TSMXIBXDatabase lonely;
    lonely.SetName("Lonely");
    try {
        lonely.SetConnected(true);
        ADD_FAILURE() << "no exception";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "TSMXIBXDatabase(Lonely): Connection not assigned.");
    }
    EXPECT_FALSE(lonely.GetConnected());
}

/// The generic connection with the test plug-in registered for the InterBase client library.
class IBXThroughGenericConnection : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterConnectionPlugin(std::make_unique<TIBXTestPlugin>());
        conn = std::make_unique<TSMXConnection>();
        conn->SetDatabaseType(TDatabaseType::dbInterBase);
        conn->SetConnectionType(TconnectionType::cnIBX);
        conn->GetConnectionOptions().SetUserName("SYSDBA");
        conn->GetConnectionOptions().SetPassword("masterkey");
        log.Attach(*conn);
    }
    void TearDown() override {
        conn.reset();
        FreeConnectionPlugins();
    }

    std::unique_ptr<TSMXConnection> conn;
    TEventLog log;
};

TEST_F(IBXThroughGenericConnection, ConnectsQueriesAndDisconnects) {
    TTestDatabase db(CreateDatabaseSql());
    conn->GetConnectionOptions().SetDatabaseName(db.Path());
    ASSERT_NE(dynamic_cast<TSMXIBXDatabase*>(conn->GetDatabaseObject()), nullptr);
    conn->SetConnected(true);
    ASSERT_TRUE(conn->GetConnected()) << (log.errors.empty() ? "" : log.errors[0]);
    EXPECT_TRUE(log.errors.empty());
    EXPECT_TRUE(log.HasLog("Server version: LI-V6.3.11.33637 Firebird 3.0 (Firebird/Linux/AMD/Intel/x64)"));
    EXPECT_EQ(log.Count("after-connect"), 1);
    EXPECT_EQ(ReadColumn(*conn, "select rdb$relation_name from rdb$relations where rdb$relation_name = "
                                "'RDB$DATABASE'"),
              std::vector<std::string>{"RDB$DATABASE"});
    std::unique_ptr<TSMXQuery> q(conn->CreateQuery(nullptr));
    q->GetSQL()->SetText("select count(*) from rdb$relations where rdb$relation_name = :N");
    q->ParamByName("N")->SetAsString("RDB$PAGES");
    q->Open();
    EXPECT_EQ((*q->GetFields())[0].AsInteger(), 1);
    q->Close();
    EXPECT_TRUE(conn->InTransaction());
    conn->SetConnected(false);
    EXPECT_FALSE(conn->GetConnected());
    EXPECT_FALSE(conn->InTransaction());
    EXPECT_EQ(log.Count("after-disconnect"), 1);
    // The query forgets the database object when the connection frees it.
    conn.reset();
    EXPECT_EQ(q->GetDatabase(), nullptr);
    EXPECT_THROW(q->Open(), EDatabaseError);
}

TEST_F(IBXThroughGenericConnection, MissingFileIsReportedNotRaised) {
    TTempDir dir;
    conn->GetConnectionOptions().SetDatabaseName(dir.File("missing.fdb"));
    EXPECT_NO_THROW(conn->SetConnected(true));
    EXPECT_FALSE(conn->GetConnected());
    ASSERT_EQ(log.errors.size(), 1u);
    EXPECT_TRUE(Contains(log.errors[0], "I/O error during \"open\" operation")) << log.errors[0];
    EXPECT_EQ(log.Count("after-connect"), 0);
}

TEST(IBXConnectParams, EmptyValuesAreLeftOut) {
    TConnectionOptions co;
    TStringList params;
    params.Add("lc_ctype=UTF8");
    SetIBConnectParams(params, co, "");
    EXPECT_EQ(params.Count(), 0);
    co.SetUserName("u");
    co.SetRoleName("R");
    SetIBConnectParams(params, co, "WIN1252");
    EXPECT_EQ(params.Text(), "user_name=u\r\nsql_role_name=R\r\nlc_ctype=WIN1252\r\n");
}

} // namespace
} // namespace smx::test
