// The connection engine through a fake access-library plug-in: the plug-in, its database object
// and its query record every call in one journal, answer queries from canned rows and fail on
// demand. Covers the connect target, plug-in selection and its error, the connect sequence and its
// events, the session set-up, the database information texts, forwarding without a database
// object, and the lifetimes of plug-ins, connections and queries.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "foundation/smxDBEngine.h"
#include "platform/smxExceptions.h"
#include "platform/smxUIHooks.h"

namespace smx {
namespace {

using enum TDatabaseType;
using enum TconnectionType;

using Row = std::vector<std::pair<std::string, std::string>>;

/// What the fakes saw and what they are told to do.
struct Journal {
    std::vector<std::string> calls;
    std::map<std::string, std::vector<Row>> results; ///< query text -> rows
    std::string failOn;                              ///< a text whose execution throws
    bool failConnect = false;
    bool noQuery = false;
    bool noDatabase = false;
};
Journal journal;

class FakeDatabase : public TSMXDatabase {
public:
    using TSMXDatabase::TSMXDatabase;
    bool GetConnected() const override { return connected_; }
    void SetConnected(bool Value) override {
        journal.calls.push_back(Value ? "db.connect" : "db.disconnect");
        if (Value && journal.failConnect) throw EDatabaseError("I/O error during \"open\" operation");
        connected_ = Value;
    }
    void StartTransaction() override {
        journal.calls.push_back("db.start");
        inTransaction_ = true;
    }
    void Commit() override {
        journal.calls.push_back("db.commit");
        inTransaction_ = false;
    }
    void Rollback() override {
        journal.calls.push_back("db.rollback");
        inTransaction_ = false;
    }
    bool InTransaction() const override { return inTransaction_; }
    int ReconnectWithCharSet(const std::string& CharSet) override {
        journal.calls.push_back("db.reconnect " + CharSet);
        return 7;
    }

private:
    bool connected_ = false;
    bool inTransaction_ = false;
};

class FakeQuery : public TSMXQuery {
public:
    using TSMXQuery::TSMXQuery;
    TStringList* GetSQL() override { return &sql_; }
    TParams* GetParams() override { return &params_; }
    TFields* GetFields() override { return &fields_; }
    bool GetEof() override { return row_ >= static_cast<int>(rows_.size()); }
    bool GetActive() override { return active_; }
    void First() override { Load(0); }
    void Next() override { Load(row_ + 1); }
    TField* FieldByName(std::string_view Name) override { return fields_.FindField(Name); }
    void Open() override {
        const std::string text = Text();
        journal.calls.push_back("open " + text);
        if (text == journal.failOn) throw EDatabaseError("open failed");
        auto it = journal.results.find(text);
        rows_ = it == journal.results.end() ? std::vector<Row>{} : it->second;
        active_ = true;
        Load(0);
    }
    void Close() override {
        active_ = false;
        rows_.clear();
        fields_.Clear();
    }
    void ExecSQL() override {
        const std::string text = Text();
        journal.calls.push_back("exec " + text);
        if (text == journal.failOn) throw EDatabaseError("exec failed");
    }

private:
    std::string Text() const {
        std::string t = sql_.Text();
        while (!t.empty() && (t.back() == '\n' || t.back() == '\r'))
            t.pop_back();
        return t;
    }
    void Load(int row) {
        row_ = row;
        fields_.Clear();
        if (row_ >= static_cast<int>(rows_.size())) return;
        for (const auto& [name, value] : rows_[static_cast<std::size_t>(row_)]) {
            TField& f = fields_.Add(std::make_unique<TField>(name, TFieldType::ftString));
            f.SetValue(TVariant::FromString(value));
        }
    }

    TStringList sql_;
    TParams params_;
    TFields fields_;
    std::vector<Row> rows_;
    int row_ = 0;
    bool active_ = false;
};

class FakePlugin : public TSMXAbstractConnection {
public:
    explicit FakePlugin(TconnectionType type) { SetConnectionType(type); }
    SMX_CLASSNAME(FakePlugin)
    TSMXDatabase* CreateDatabaseObject(TComponent* Owner) override {
        journal.calls.push_back("plugin.database");
        return journal.noDatabase ? nullptr : new FakeDatabase(Owner);
    }
    TSMXQuery* CreateQuery(TComponent* Owner) override {
        return journal.noQuery ? nullptr : new FakeQuery(Owner);
    }
};

/// An adapter-style connection that serves a stored set of database kinds.
class StoredSetConnection : public TSMXCustomConnection {
public:
    StoredSetConnection() { SetSupportedDatabases({dbMSSQL, dbOracle}); }
};

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        journal = Journal{};
        FreeConnectionPlugins();
    }
    void TearDown() override {
        FreeConnectionPlugins();
        SetMessageBoxHook({});
    }

    FakePlugin* RegisterFake(TconnectionType type = cnIBX) {
        return static_cast<FakePlugin*>(RegisterConnectionPlugin(std::make_unique<FakePlugin>(type)));
    }

    /// A generic connection on the fake cnIBX plug-in whose events and texts go to the journal.
    std::unique_ptr<TSMXConnection> MakeConnection(TDatabaseType db = dbInterBase) {
        if (!FindConnectionPlugin(cnIBX)) RegisterFake();
        auto c = std::make_unique<TSMXConnection>();
        c->SetDatabaseType(db);
        c->SetConnectionType(cnIBX);
        c->GetConnectionOptions().SetDatabaseName("d.fdb");
        c->OnBeforeConnect = [](TObject*) { journal.calls.push_back("OnBeforeConnect"); };
        c->OnAfterConnect = [](TObject*) { journal.calls.push_back("OnAfterConnect"); };
        c->OnBeforeDisconnect = [](TObject*) { journal.calls.push_back("OnBeforeDisconnect"); };
        c->OnAfterDisconnect = [](TObject*) { journal.calls.push_back("OnAfterDisconnect"); };
        c->OnLogNextLine = [](TObject*, const std::string& t) { journal.calls.push_back("log " + t); };
        c->OnErrorMessage = [](TObject*, const std::string& t) { journal.calls.push_back("error " + t); };
        journal.calls.clear();
        return c;
    }

    static void SetFacts(TSMXCustomConnection& c) {
        TIBDatabaseOptions& f = c.GetIBServerOptions().GetIBDatabaseOptions();
        f.SetServerVersion("WI-V3.0.11 Firebird 3.0");
        f.SetODSMajorVersion(12);
        f.SetODSMinorVersion(0);
        f.SetSQLDialect(3);
        f.SetSweepInterval(20000);
        f.SetPageSize(8192);
        f.SetReadOnly(false);
        f.SetForcedWrites(true);
        f.SetNumBuffers(2048);
    }
};

// ---- Connect target and plug-in selection ----

TEST_F(EngineTest, ConnectTarget) {
    struct Case {
        TDatabaseType db;
        const char* host;
        int port;
        TSMXProtocol protocol;
        const char* expected;
    };
    const Case cases[] = {
        {dbInterBase, "srv", 3051, TSMXProtocol::ptTCP, "srv/3051:d.fdb"},
        {dbInterBase, "srv", 0, TSMXProtocol::ptTCP, "srv:d.fdb"},
        {dbInterBase, "srv", 3051, TSMXProtocol::ptLocal, "srv/3051:d.fdb"},
        {dbInterBase, "srv", 0, TSMXProtocol::ptNamedPipe, "\\\\srv\\d.fdb"},
        {dbInterBase, "srv", 0, TSMXProtocol::ptSPX, "srv@d.fdb"},
        {dbInterBase, "", 3051, TSMXProtocol::ptTCP, "d.fdb"},
        {dbMSSQL, "srv", 3051, TSMXProtocol::ptTCP, "d.fdb"},
    };
    for (const Case& k : cases) {
        TSMXCustomConnection c;
        c.SetDatabaseType(k.db);
        c.GetConnectionOptions().SetDatabaseName("d.fdb");
        c.GetConnectionOptions().SetHostName(k.host);
        c.GetConnectionOptions().SetPort(k.port);
        c.GetConnectionOptions().SetProtocol(k.protocol);
        EXPECT_EQ(c.GetConnectTarget(), k.expected);
    }
}

TEST_F(EngineTest, MissingPluginRaisesTheUnitText) {
    TSMXConnection c;
    try {
        c.SetConnectionType(cnIBX);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(),
                  "\r\nNot supported connection select.\r\nInclude unit \"smxConnection_IBXDB.pas\" in "
                  "Your project (*.dpr).\r\nUses smxConnection_IBXDB;\r\n");
    }
    EXPECT_EQ(c.GetConnectionType(), cnAbstract);
    EXPECT_EQ(c.GetPlugin(), nullptr);
}

TEST_F(EngineTest, UnitNames) {
    const std::pair<TconnectionType, const char*> rows[] = {
        {cnAbstract, "smxConnection_XXXDB"},      {cnIBX, "smxConnection_IBXDB"},
        {cnADO, "smxConnection_ADODB"},           {cnUIB, "smxConnection_UIBDB"},
        {cnPostgresDAC, "smxConnection_PGDACDB"}, {cnFireDAC, "smxConnection_FireDACDB"},
        {cnUniDAC, "smxConnection_XXXDB"},
    };
    for (auto [type, name] : rows)
        EXPECT_EQ(GetConnectionUnitName(type), name);
}

TEST_F(EngineTest, FindsFirstPluginOfType) {
    EXPECT_EQ(FindConnectionPlugin(cnIBX), nullptr);
    FakePlugin* ado = RegisterFake(cnADO);
    FakePlugin* ibx = RegisterFake(cnIBX);
    RegisterFake(cnIBX);
    EXPECT_EQ(FindConnectionPlugin(cnADO), ado);
    EXPECT_EQ(FindConnectionPlugin(cnIBX), ibx);
    EXPECT_EQ(FindConnectionPlugin(cnFIB), nullptr);
}

TEST_F(EngineTest, SelectionCreatesDatabaseObject) {
    FakePlugin* plugin = RegisterFake();
    TSMXConnection c;
    c.SetDatabaseType(dbInterBase);
    c.SetConnectionType(cnIBX);
    EXPECT_EQ(c.GetPlugin(), plugin);
    EXPECT_EQ(plugin->GetConnection(), &c);
    EXPECT_EQ(plugin->GetDatabaseType(), dbInterBase);
    ASSERT_NE(c.GetDatabaseObject(), nullptr);
    EXPECT_EQ(c.GetDatabaseObject()->GetConnection(), &c);
    c.SetDatabaseType(dbMySQL);
    EXPECT_EQ(plugin->GetDatabaseType(), dbMySQL);
    // Selecting the same type again changes nothing.
    TSMXDatabase* db = c.GetDatabaseObject();
    c.SetConnectionType(cnIBX);
    EXPECT_EQ(c.GetDatabaseObject(), db);
}

TEST_F(EngineTest, SupportedSets) {
    EXPECT_TRUE(TSMXCustomConnection().GetSupportedDatabases().empty());
    EXPECT_TRUE(TSMXCustomConnection().GetSupportedConnections().empty());
    EXPECT_EQ(StoredSetConnection().GetSupportedDatabases(), (TDatabaseSetType{dbMSSQL, dbOracle}));
    TSMXConnection c;
    EXPECT_EQ(c.GetSupportedDatabases().mask(), 0x19FE);
    EXPECT_EQ(c.GetSupportedConnections().mask(), 0xFDFE);
}

// ---- Connecting ----

TEST_F(EngineTest, ConnectSequenceAndEvents) {
    auto c = MakeConnection();
    c->SetConnected(true);
    const std::vector<std::string> expected = {"log Connect to: 'd.fdb'...", "OnBeforeConnect", "db.connect",
                                               "OnAfterConnect"};
    EXPECT_EQ(journal.calls, expected);
    EXPECT_TRUE(c->GetConnected());
    journal.calls.clear();
    c->SetConnected(true);
    EXPECT_TRUE(journal.calls.empty());
    c->SetConnected(false);
    EXPECT_EQ(journal.calls,
              (std::vector<std::string>{"OnBeforeDisconnect", "db.disconnect", "OnAfterDisconnect"}));
}

TEST_F(EngineTest, EmptyDatabaseNameLogsNoTarget) {
    auto c = MakeConnection();
    c->GetConnectionOptions().SetDatabaseName("");
    c->DoBeforeConnect();
    EXPECT_EQ(journal.calls, std::vector<std::string>{"OnBeforeConnect"});
}

TEST_F(EngineTest, TargetQuotesAreDoubled) {
    auto c = MakeConnection();
    c->GetConnectionOptions().SetDatabaseName("/tmp/o'b.fdb");
    c->DoBeforeConnect();
    EXPECT_EQ(journal.calls.front(), "log Connect to: '/tmp/o''b.fdb'...");
}

TEST_F(EngineTest, FailedConnectIsReportedNotRaised) {
    auto c = MakeConnection();
    journal.failConnect = true;
    EXPECT_NO_THROW(c->SetConnected(true));
    EXPECT_FALSE(c->GetConnected());
    const std::vector<std::string> expected = {"log Connect to: 'd.fdb'...", "OnBeforeConnect", "db.connect",
                                               "error I/O error during \"open\" operation",
                                               "OnAfterDisconnect"};
    EXPECT_EQ(journal.calls, expected);
}

TEST_F(EngineTest, ServerVersionIsLoggedWithoutLineBreak) {
    auto c = MakeConnection();
    SetFacts(*c);
    c->GetIBServerOptions().GetIBDatabaseOptions().SetServerImplementation("Firebird/Linux/AMD/Intel/x64");
    c->SetConnected(true);
    EXPECT_EQ(journal.calls.at(3),
              "log Server version: WI-V3.0.11 Firebird 3.0 (Firebird/Linux/AMD/Intel/x64)");
    EXPECT_EQ(journal.calls.back(), "OnAfterConnect");
}

// ---- Session set-up ----

TEST_F(EngineTest, OracleSchemaStatementForSystemUsers) {
    struct Case {
        const char* user;
        const char* host;
        bool issued;
    };
    const Case cases[] = {
        {"system", "srv", true}, {"Sys", "srv", true}, {"scott", "srv", false}, {"SYSTEM", "d.fdb", false}};
    for (const Case& k : cases) {
        auto c = MakeConnection(dbOracle);
        c->GetConnectionOptions().SetUserName(k.user);
        c->GetConnectionOptions().SetHostName(k.host);
        c->SetConnected(true);
        const std::string stmt = "ALTER SESSION SET CURRENT_SCHEMA = d.fdb";
        const bool logged =
            std::find(journal.calls.begin(), journal.calls.end(), "log " + stmt) != journal.calls.end();
        const bool run =
            std::find(journal.calls.begin(), journal.calls.end(), "exec " + stmt) != journal.calls.end();
        EXPECT_EQ(logged, k.issued) << k.user;
        EXPECT_EQ(run, k.issued) << k.user;
    }
}

TEST_F(EngineTest, MySQLCharacterSetAndItsFailure) {
    auto c = MakeConnection(dbMySQL);
    c->GetMySQLServerOptions().SetCharSet("utf8");
    journal.results["Select version()"] = {{{"V", "8.0.36"}}};
    journal.failOn = "SET CHARACTER SET utf8";
    c->SetConnected(true);
    const std::vector<std::string> expected = {"log Connect to: 'd.fdb'...",
                                               "OnBeforeConnect",
                                               "db.connect",
                                               "open Select version()",
                                               "log Server version: MySQL 8.0.36",
                                               "log SET CHARACTER SET utf8",
                                               "exec SET CHARACTER SET utf8",
                                               "error exec failed\r\nSET CHARACTER SET utf8",
                                               "OnAfterConnect"};
    EXPECT_EQ(journal.calls, expected);
    EXPECT_TRUE(c->GetConnected());
}

TEST_F(EngineTest, NullQuerySkipsSetUpAndReports) {
    auto c = MakeConnection(dbMySQL);
    c->GetMySQLServerOptions().SetCharSet("utf8");
    journal.noQuery = true;
    c->SetConnected(true);
    EXPECT_TRUE(c->GetConnected());
    int errors = 0;
    for (const std::string& s : journal.calls) {
        EXPECT_NE(s, "exec SET CHARACTER SET utf8");
        if (s.rfind("error ", 0) == 0) ++errors;
    }
    EXPECT_EQ(errors, 2); // the version query and the set-up statement
    EXPECT_EQ(journal.calls.back(), "OnAfterConnect");
}

// ---- Database information ----

TEST_F(EngineTest, InterBaseInfoLines) {
    auto c = MakeConnection();
    EXPECT_EQ(c->GetDatabaseInfo(false), "");
    SetFacts(*c);
    c->GetIBServerOptions().SetDBCharSet("utf8");
    c->SetConnected(true);
    EXPECT_EQ(c->GetDatabaseInfo(false), "WI-V3.0.11 Firebird 3.0\r\n"
                                         "Database name : d.fdb\r\n"
                                         "Character set : UTF8\r\n"
                                         "ODS version   : 12.0\r\n"
                                         "SQL Dialect   : 3\r\n"
                                         "Sweep interval: 20000\r\n"
                                         "Page size     : 8192\r\n"
                                         "Read-only     : False\r\n"
                                         "Forced writes : On\r\n"
                                         "Buffers       : 2048 pages (16384 Kb)\r\n");
    EXPECT_EQ(c->GetDatabaseInfo(true), "WI-V3.0.11 Firebird 3.0\r\n");
    c->GetConnectionOptions().SetClientLibrary("libfbclient.so.2");
    EXPECT_EQ(c->GetDatabaseInfo(true), "WI-V3.0.11 Firebird 3.0\r\nClient library: libfbclient.so.2\r\n");
}

TEST_F(EngineTest, InterBaseBuffersIn64Bits) {
    auto c = MakeConnection();
    SetFacts(*c);
    c->GetIBServerOptions().GetIBDatabaseOptions().SetNumBuffers(300000);
    c->GetIBServerOptions().GetIBDatabaseOptions().SetPageSize(16384);
    c->SetConnected(true);
    EXPECT_NE(c->GetDatabaseInfo(false).find("Buffers       : 300000 pages (4800000 Kb)\r\n"),
              std::string::npos);
    // The Kb figure is rounded, not truncated: 3 x 1000 bytes is 2.93 Kb.
    c->GetIBServerOptions().GetIBDatabaseOptions().SetNumBuffers(3);
    c->GetIBServerOptions().GetIBDatabaseOptions().SetPageSize(1000);
    EXPECT_NE(c->GetDatabaseInfo(false).find("Buffers       : 3 pages (3 Kb)\r\n"), std::string::npos);
}

TEST_F(EngineTest, QueriedInfoTexts) {
    {
        auto c = MakeConnection(dbOracle);
        journal.results["select * from v$version"] = {{{"BANNER", "Oracle Database 19c"}},
                                                      {{"BANNER", "PL/SQL Release 19.0"}}};
        c->SetConnected(true);
        EXPECT_EQ(c->GetDatabaseInfo(false), "Oracle Database 19c\r\nPL/SQL Release 19.0\r\n");
    }
    {
        auto c = MakeConnection(dbPostgreSQL);
        journal.results["select version()"] = {{{"version", "PostgreSQL 14.2"}}};
        c->SetConnected(true);
        EXPECT_EQ(c->GetDatabaseInfo(true), "PostgreSQL 14.2\r\n");
    }
    {
        auto c = MakeConnection(dbMSSQL);
        c->GetConnectionOptions().SetDatabaseName("shop");
        journal.results["xp_msver 'ProductName'"] = {{{"CHARACTER_VALUE", "Microsoft SQL Server"}}};
        journal.results
            ["Select ServerProperty('Edition') Edition, ServerProperty('ProductLevel') ProductLevel, "
             "ServerProperty('ProductVersion') ProductVersion, ServerProperty('Collation') Collation"] = {
            {{"Edition", "Express"},
             {"ProductLevel", "RTM"},
             {"ProductVersion", "15.0"},
             {"Collation", "Latin1"}}};
        journal.results["xp_msver 'Language'"] = {{{"CHARACTER_VALUE", "English"}}};
        journal.results["sp_helpdb shop"] = {{{"NAME", "shop"},
                                              {"OWNER", "sa"},
                                              {"DB_SIZE", "8 MB"},
                                              {"CREATED", "2024-01-01"},
                                              {"STATUS", "ONLINE"}}};
        c->SetConnected(true);
        journal.calls.clear();
        EXPECT_EQ(c->GetDatabaseInfo(false), "Microsoft SQL Server [Express]  v.15.0 (RTM)\r\n"
                                             "Default collation: Latin1\r\n"
                                             "Language: English\r\n"
                                             "Database: shop\r\n"
                                             "Owner   : sa\r\n"
                                             "Size    : 8 MB\r\n"
                                             "Created : 2024-01-01\r\n"
                                             "Options : ONLINE\r\n");
        EXPECT_EQ(journal.calls.front(), "exec Use master");
        EXPECT_EQ(journal.calls.back(), "exec Use shop");
    }
}

TEST_F(EngineTest, FailedInfoQueryIsReportedAndSwitchesBack) {
    auto c = MakeConnection(dbSybaseASE);
    c->GetConnectionOptions().SetDatabaseName("shop");
    journal.failOn = "select @@version";
    c->SetConnected(true);
    journal.calls.clear();
    EXPECT_EQ(c->GetDatabaseInfo(false), "");
    const std::vector<std::string> expected = {"exec Use master", "open select @@version",
                                               "error open failed", "exec Use shop"};
    EXPECT_EQ(journal.calls, expected);
}

TEST_F(EngineTest, OtherKindsHaveNoInfo) {
    auto c = MakeConnection(dbParadox);
    c->SetConnected(true);
    journal.calls.clear();
    EXPECT_EQ(c->GetDatabaseInfo(false), "");
    EXPECT_TRUE(journal.calls.empty());
}

// ---- Forwarding ----

TEST_F(EngineTest, TransactionsAndQueriesAreForwarded) {
    auto c = MakeConnection();
    c->SetConnected(true);
    journal.calls.clear();
    c->StartTransaction();
    EXPECT_TRUE(c->InTransaction());
    c->Commit();
    c->StartTransaction();
    c->Rollback();
    EXPECT_FALSE(c->InTransaction());
    EXPECT_EQ(c->ReconnectWithCharSet("WIN1252"), 7);
    const std::vector<std::string> expected = {"db.start", "db.commit", "db.start", "db.rollback",
                                               "db.reconnect WIN1252"};
    EXPECT_EQ(journal.calls, expected);

    std::unique_ptr<TSMXQuery> q(c->CreateQuery(nullptr));
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->GetConnection(), c.get());
    EXPECT_EQ(q->GetDatabase(), c->GetDatabaseObject());
}

TEST_F(EngineTest, WithoutDatabaseObjectEverythingIsANoOp) {
    journal.noDatabase = true;
    auto c = MakeConnection();
    EXPECT_EQ(c->GetDatabaseObject(), nullptr);
    c->SetConnected(true);
    EXPECT_FALSE(c->GetConnected());
    c->StartTransaction();
    c->Commit();
    c->Rollback();
    EXPECT_FALSE(c->InTransaction());
    EXPECT_EQ(c->ReconnectWithCharSet("UTF8"), 0);
    EXPECT_TRUE(journal.calls.empty());
}

TEST_F(EngineTest, WithoutPluginNoQueryAndCreateDatabaseReports) {
    TSMXConnection c;
    std::vector<std::string> errors;
    c.OnErrorMessage = [&](TObject*, const std::string& t) { errors.push_back(t); };
    EXPECT_EQ(c.CreateQuery(nullptr), nullptr);
    c.Commit();
    c.SetConnected(true);
    EXPECT_FALSE(c.GetConnected());
    EXPECT_FALSE(c.CreateDatabase());
    EXPECT_EQ(errors, std::vector<std::string>{"CREATE DATABASE not implemented (TSMXConnection)."});
}

TEST_F(EngineTest, PluginErrorsGoToTheConnection) {
    auto c = MakeConnection();
    EXPECT_FALSE(c->CreateDatabase());
    EXPECT_EQ(journal.calls,
              std::vector<std::string>{"error CREATE DATABASE not implemented (TSMXAbstractConnection)."});
}

TEST_F(EngineTest, ErrorWithoutHandlerShowsMessageBox) {
    std::vector<std::string> boxes;
    SetMessageBoxHook([&](const std::string& t) { boxes.push_back(t); });
    TSMXCustomConnection c;
    EXPECT_FALSE(c.CreateDatabase());
    EXPECT_EQ(boxes, std::vector<std::string>{"CREATE DATABASE not implemented (TSMXCustomConnection)."});
}

TEST_F(EngineTest, AssignCopiesTypesAndOptions) {
    RegisterFake();
    TSMXConnection a;
    a.SetDatabaseType(dbInterBase);
    a.SetConnectionType(cnIBX);
    a.GetConnectionOptions().SetUserName("SYSDBA");
    a.GetIBServerOptions().SetSQLDialect(1);
    a.GetMSSQLServerOptions().GetMSSQLCompareOptions().SetIgnoreFileGroup(true);
    TSMXConnection b;
    b.Assign(a);
    EXPECT_EQ(b.GetConnectionType(), cnIBX);
    EXPECT_EQ(b.GetDatabaseType(), dbInterBase);
    EXPECT_NE(b.GetDatabaseObject(), nullptr);
    EXPECT_EQ(b.GetConnectionOptions().GetUserName(), "SYSDBA");
    EXPECT_EQ(b.GetIBServerOptions().GetSQLDialect(), 1);
    b.GetMSSQLServerOptions().GetMSSQLCompareOptions().SetIgnoreFileGroup(false);
    EXPECT_TRUE(a.GetMSSQLServerOptions().GetMSSQLCompareOptions().GetIgnoreFileGroup());
}

// ---- Lifetimes ----

TEST_F(EngineTest, FreedRegistryIsForgotten) {
    auto c = MakeConnection();
    c->SetConnected(true);
    FreeConnectionPlugins();
    EXPECT_EQ(c->GetPlugin(), nullptr);
    EXPECT_EQ(c->CreateQuery(nullptr), nullptr);
    EXPECT_TRUE(c->GetConnected());
    c->SetConnected(false);
    EXPECT_FALSE(c->GetConnected());
}

TEST_F(EngineTest, FreedConnectionIsForgotten) {
    FakePlugin* plugin = RegisterFake();
    std::unique_ptr<TSMXQuery> q;
    {
        auto c = MakeConnection();
        q.reset(c->CreateQuery(nullptr));
        // A query owned by the connection dies with it.
        TSMXQuery* child = c->CreateQuery(c.get());
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(plugin->GetConnection(), c.get());
    }
    EXPECT_EQ(plugin->GetConnection(), nullptr);
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->GetConnection(), nullptr);
    EXPECT_EQ(q->GetDatabase(), nullptr);
}

TEST_F(EngineTest, SharedPluginServesTheLatestConnection) {
    FakePlugin* plugin = RegisterFake();
    auto a = MakeConnection();
    {
        auto b = MakeConnection();
        EXPECT_EQ(plugin->GetConnection(), b.get());
    }
    EXPECT_EQ(plugin->GetConnection(), nullptr);
    EXPECT_EQ(a->GetPlugin(), plugin);
    std::unique_ptr<TSMXQuery> q(a->CreateQuery(nullptr));
    EXPECT_EQ(q->GetConnection(), a.get());
}

TEST_F(EngineTest, ReselectionFreesTheOldDatabaseObject) {
    RegisterFake(cnIBX);
    RegisterFake(cnFIB);
    auto c = MakeConnection();
    std::unique_ptr<TSMXQuery> q(c->CreateQuery(nullptr));
    c->SetConnectionType(cnFIB);
    EXPECT_EQ(q->GetDatabase(), nullptr);
    EXPECT_EQ(q->GetConnection(), c.get());
    EXPECT_NE(c->GetDatabaseObject(), nullptr);
    EXPECT_EQ(FindConnectionPlugin(cnIBX)->GetConnection(), nullptr);
    EXPECT_EQ(FindConnectionPlugin(cnFIB)->GetConnection(), c.get());
}

} // namespace
} // namespace smx
