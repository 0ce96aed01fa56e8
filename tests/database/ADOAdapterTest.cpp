// The ADO adapter on real SQLite databases through the ODBC driver manager (temporary folders):
// the generic connection with the ADO plug-in (connect, log lines, queries with ":name"
// parameters, the columns rowset, failures and hidden passwords), the database object's
// transactions seen from a second connection, and the connection component over an application's
// client connection, also without one. Custom OLE DB is the kind used: MS SQL, the component's
// constructed kind, would send its session set-up statements, which SQLite rejects.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "database/smxConnection_ADO.h"
#include "database/smxDB_ADO.h"
#include "tests/database/IBXTestSupport.h"
#include "tests/support/smxTestODBC.h"

namespace smx::test {
namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

bool AnyContains(const std::vector<std::string>& lines, const std::string& part) {
    for (const std::string& l : lines)
        if (Contains(l, part)) return true;
    return false;
}

/// The first column of every row as text ("NULL" for null), through a connection of its own.
std::vector<std::string> ReadElsewhere(const TSQLiteTestDatabase& db, const std::string& sql) {
    TADOConnection c;
    c.SetConnectionString(db.ConnectionString());
    c.Open();
    TADOQuery q;
    q.SetConnection(&c);
    q.SQL()->SetText(sql);
    q.Open();
    std::vector<std::string> rows;
    for (; !q.GetEof(); q.Next())
        rows.push_back((*q.Fields())[0].IsNull() ? "NULL" : (*q.Fields())[0].AsString());
    return rows;
}

void Exec(TSMXCustomConnection& c, const std::string& sql) {
    std::unique_ptr<TSMXQuery> q(c.CreateQuery(nullptr));
    q->GetSQL()->SetText(sql);
    q->ExecSQL();
}

const std::string T1 = "create table T1(ID integer not null primary key, NAME varchar(20), AMT numeric(9,2), "
                       "MEMO text, PIC longvarbinary)";

/// A generic connection of the ADO kind, served by the ADO plug-in, with every event recorded.
class ADOGeneric : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterConnectionPlugin(std::make_unique<TSMXADOConnectionPlugin>());
        conn = std::make_unique<TSMXConnection>();
        conn->SetConnectionType(TconnectionType::cnADO);
        conn->SetDatabaseType(TDatabaseType::dbCustomOLEDB);
        log.Attach(*conn);
    }
    void TearDown() override {
        conn.reset();
        FreeConnectionPlugins();
    }
    /// Connects to the database as the custom OLE DB database name.
    void ConnectTo(const std::string& connectionString) {
        conn->GetConnectionOptions().SetDatabaseName(connectionString);
        conn->SetConnected(true);
    }

    TSQLiteTestDatabase db;
    std::unique_ptr<TSMXConnection> conn;
    TEventLog log;
};

TEST_F(ADOGeneric, ConnectsRunsParameterisedStatementsAndReadsEveryValueBack) {
    ASSERT_NE(dynamic_cast<TSMXADODatabase*>(conn->GetDatabaseObject()), nullptr);
    const std::string cs = db.ConnectionString();
    ConnectTo(cs);
    ASSERT_TRUE(conn->GetConnected()) << (log.errors.empty() ? "" : log.errors[0]);
    EXPECT_TRUE(log.errors.empty());
    EXPECT_TRUE(log.HasLog("Connect to: '" + cs + "'..."));
    EXPECT_TRUE(log.HasLog(cs));
    EXPECT_EQ(log.Count("after-connect"), 1);
    EXPECT_TRUE(std::filesystem::exists(db.Path()));

    Exec(*conn, T1);
    std::string text(100 * 1024, '\0');
    std::string bytes(100 * 1024, '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char>(' ' + i % 95);
        bytes[i] = static_cast<char>(i % 256);
    }
    std::unique_ptr<TSMXQuery> ins(conn->CreateQuery(nullptr));
    ins->GetSQL()->SetText("insert into T1 values (:ID, :NAME, :AMT, :MEMO, :PIC)");
    const TParams& params = *ins->GetParams();
    ASSERT_EQ(params.Count(), 5);
    EXPECT_EQ(params[4].Name(), "PIC");
    ins->ParamByName("ID")->SetAsInteger(1);
    ins->ParamByName("NAME")->SetAsString("a;b'c");
    ins->ParamByName("AMT")->SetAsFloat(12.5);
    ins->ParamByName("MEMO")->SetAsMemo(text);
    ins->ParamByName("PIC")->SetAsBlob(bytes);
    ins->ExecSQL();
    for (int i = 0; i < params.Count(); ++i)
        params[i].Clear();
    ins->ParamByName("ID")->SetAsInteger(2);
    ins->ExecSQL();

    std::unique_ptr<TSMXQuery> q(conn->CreateQuery(nullptr));
    q->GetSQL()->SetText("select * from T1 where ID >= :LO order by ID");
    q->ParamByName("LO")->SetAsInteger(0);
    q->Open();
    EXPECT_TRUE(q->GetActive());
    using enum TFieldType;
    EXPECT_EQ(q->FieldByName("ID")->DataType(), ftInteger);
    EXPECT_EQ(q->FieldByName("NAME")->DataType(), ftString);
    EXPECT_EQ(q->FieldByName("MEMO")->DataType(), ftMemo);
    EXPECT_EQ(q->FieldByName("PIC")->DataType(), ftBlob);
    ASSERT_FALSE(q->GetEof());
    EXPECT_EQ(q->FieldByName("ID")->AsInteger(), 1);
    EXPECT_EQ(q->FieldByName("NAME")->AsString(), "a;b'c");
    EXPECT_EQ(q->FieldByName("AMT")->AsFloat(), 12.5);
    EXPECT_TRUE(q->FieldByName("MEMO")->AsString() == text);
    EXPECT_TRUE(q->FieldByName("PIC")->AsBytes() == bytes);
    q->Next();
    ASSERT_FALSE(q->GetEof());
    EXPECT_EQ(q->FieldByName("ID")->AsInteger(), 2);
    for (const char* name : {"NAME", "AMT", "MEMO", "PIC"})
        EXPECT_TRUE(q->FieldByName(name)->IsNull()) << name;
    q->Next();
    EXPECT_TRUE(q->GetEof());
    q->First();
    ASSERT_FALSE(q->GetEof());
    EXPECT_EQ(q->FieldByName("ID")->AsInteger(), 1);
    q->Last();
    EXPECT_TRUE(q->GetEof());
    q->Close();
    EXPECT_FALSE(q->GetActive());

    // A colon inside a literal is no parameter.
    q->GetSQL()->SetText("select ':x', 1 from T1");
    EXPECT_EQ(q->GetParams()->Count(), 0);
    q->Open();
    EXPECT_EQ((*q->GetFields())[0].AsString(), ":x");

    conn->SetConnected(false);
    EXPECT_FALSE(conn->GetConnected());
    EXPECT_EQ(log.Count("after-disconnect"), 1);
}

TEST_F(ADOGeneric, QueryErrorsLeaveTheQueryUsable) {
    ConnectTo(db.ConnectionString());
    ASSERT_TRUE(conn->GetConnected());
    std::unique_ptr<TSMXQuery> q(conn->CreateQuery(nullptr));
    q->GetSQL()->SetText("select * from NOPE");
    try {
        q->Open();
        ADD_FAILURE() << "no exception";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(Contains(e.Message(), "no such table: NOPE")) << e.Message();
    }
    EXPECT_FALSE(q->GetActive());
    q->GetSQL()->SetText("create tabel X(A integer)");
    EXPECT_THROW(q->ExecSQL(), EDatabaseError);
    q->GetSQL()->SetText("select 1 as A where 1 = :P");
    q->Open(); // a null parameter: no row
    EXPECT_TRUE(q->GetEof());
    q->Close();
    q->ParamByName("P")->SetAsInteger(1);
    q->Open();
    EXPECT_EQ(q->FieldByName("A")->AsInteger(), 1);
    try {
        q->FieldByName("X");
        ADD_FAILURE() << "no exception";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Field 'X' not found");
    }
    EXPECT_THROW(q->ParamByName("NOPE"), EDatabaseError);
    q->Prepare(); // nothing

    // Without parameter checking the text goes unchanged and the parameters stay as they were.
    q->Close();
    q->SetParamCheck(false);
    EXPECT_FALSE(q->GetParamCheck());
    q->GetSQL()->SetText("select ':x' as A");
    ASSERT_EQ(q->GetParams()->Count(), 1);
    EXPECT_EQ((*q->GetParams())[0].Name(), "P");
    q->Open();
    EXPECT_EQ(q->FieldByName("A")->AsString(), ":x");

    // Unbound from the database object (or bound to another library's), the query cannot run.
    auto* ado = dynamic_cast<TSMXADOQuery*>(q.get());
    ASSERT_NE(ado, nullptr);
    TSMXDatabase other;
    ado->SetDatabase(&other);
    EXPECT_EQ(ado->GetQuery().GetConnection(), nullptr);
    EXPECT_THROW(ado->Open(), EDatabaseError);
    ado->SetDatabase(conn->GetDatabaseObject());
    ado->SetActive(true);
    EXPECT_TRUE(ado->GetActive());
    ado->SetActive(false);
    EXPECT_FALSE(ado->GetActive());
}

TEST_F(ADOGeneric, AQueryOutlivingItsConnectionFailsCleanly) {
    ConnectTo(db.ConnectionString());
    ASSERT_TRUE(conn->GetConnected());
    std::unique_ptr<TSMXQuery> q(conn->CreateQuery(nullptr));
    q->GetSQL()->SetText("select 1 as A");
    q->Open();
    conn.reset(); // frees the database object and its client connection
    EXPECT_EQ(q->GetConnection(), nullptr);
    EXPECT_EQ(q->GetDatabase(), nullptr);
    EXPECT_FALSE(q->GetActive());
    EXPECT_THROW(q->Open(), EDatabaseError);
}

TEST_F(ADOGeneric, ColumnsRowsetThroughTheConnectionsClientConnection) {
    ConnectTo(db.ConnectionString());
    ASSERT_TRUE(conn->GetConnected());
    Exec(*conn, T1);
    Exec(*conn, "create table T2(ID integer, OTHER varchar(5))");
    TADOConnection* ado = FindADOConnection(conn.get());
    ASSERT_NE(ado, nullptr);
    TADOQuery rowset;
    ado->OpenSchema(TSchemaInfo::siColumns, rowset);
    auto columnsOf = [&rowset](const std::string& table) {
        std::vector<std::string> names;
        for (rowset.First(); !rowset.GetEof(); rowset.Next())
            if (rowset.FieldByName("TABLE_NAME").AsString() == table)
                names.push_back(rowset.FieldByName("COLUMN_NAME").AsString());
        return names;
    };
    EXPECT_EQ(columnsOf("T1"), (std::vector<std::string>{"ID", "NAME", "AMT", "MEMO", "PIC"}));
    EXPECT_TRUE(columnsOf("t1").empty());
    EXPECT_EQ(columnsOf("T2"), (std::vector<std::string>{"ID", "OTHER"}));

    TSMXConnection plain; // no plug-in, no client connection
    EXPECT_EQ(FindADOConnection(&plain), nullptr);
    EXPECT_EQ(FindADOConnection(nullptr), nullptr);
}

TEST_F(ADOGeneric, ConnectFailuresAreReportedOnceAndConnectNothing) {
    struct Row {
        TDatabaseType type;
        std::string databaseName;
        std::string error;
    };
    using enum TDatabaseType;
    const std::vector<Row> rows = {
        {dbCustomOLEDB, "DRIVER=SQLite3;Database=" + db.Dir().File("missing/t.db"), "[SQLite]connect failed"},
        {dbCustomOLEDB, "", "[IM002]"},
        {dbMSAccess, "DRIVER=NoSuchDriver;Database=" + db.Path(), "Can't open lib 'NoSuchDriver'"},
        {dbCustomOLEDB, "Provider=Other;Data Source=" + db.Path(),
         "OLE DB provider \"Other\" is not available"},
        {dbCustomOLEDB, "DRIVER=SQLite3;Database=\"" + db.Path(), "Unbalanced quote"},
        {dbMySQL, db.ConnectionString(), "Not supported DatabaseType select."},
        {dbParadox, db.ConnectionString(), "Not supported DatabaseType select."},
    };
    for (const Row& row : rows) {
        log.Clear();
        conn->SetDatabaseType(row.type);
        ConnectTo(row.databaseName);
        EXPECT_FALSE(conn->GetConnected()) << row.databaseName;
        ASSERT_EQ(log.errors.size(), 1u) << row.databaseName;
        EXPECT_TRUE(Contains(log.errors[0], row.error)) << log.errors[0];
        EXPECT_EQ(log.Count("after-connect"), 0);
    }
    EXPECT_TRUE(std::filesystem::is_empty(db.Dir().Path())); // nothing was created

    // Through the database object alone the client's exception reaches the caller.
    TSMXCustomConnection owner;
    owner.SetDatabaseType(dbCustomOLEDB);
    owner.GetConnectionOptions().SetDatabaseName("DRIVER=SQLite3;Database=" + db.Dir().File("missing/t.db"));
    TSMXADODatabase database;
    database.SetConnection(&owner);
    EXPECT_THROW(database.SetConnected(true), EDatabaseError);
    EXPECT_FALSE(database.GetConnected());
    TSMXADODatabase orphan;
    EXPECT_THROW(orphan.SetConnected(true), EDatabaseError);
}

TEST_F(ADOGeneric, PasswordsNeverReachTheLog) {
    conn->SetDatabaseType(TDatabaseType::dbMSSQL);
    TConnectionOptions& co = conn->GetConnectionOptions();
    co.SetHostName("srv");
    co.SetDatabaseName("D");
    co.SetUserName("U");
    co.SetPassword("secret");
    conn->SetConnected(true);
    EXPECT_FALSE(conn->GetConnected());
    ASSERT_EQ(log.errors.size(), 1u);
    EXPECT_EQ(log.errors[0], "OLE DB provider \"SQLOLEDB\" is not available on this platform; use an ODBC "
                             "connection string (DRIVER=...; or DSN=...;)");
    EXPECT_TRUE(log.HasLog("Provider=SQLOLEDB;Initial Catalog=D;Data Source=srv;Network Library=DBMSSOCN;"
                           "Persist Security Info=True;User ID=U;Password=*******;"));
    EXPECT_FALSE(AnyContains(log.logs, "secret"));

    // A custom string with an ODBC password connects; both log lines hide it.
    log.Clear();
    conn->SetDatabaseType(TDatabaseType::dbCustomOLEDB);
    co.SetPassword("");
    const std::string cs = db.ConnectionString() + ";PWD=secret";
    ConnectTo(cs);
    ASSERT_TRUE(conn->GetConnected()) << (log.errors.empty() ? "" : log.errors[0]);
    EXPECT_TRUE(log.HasLog("Connect to: '" + db.ConnectionString() + ";PWD=*******'..."));
    EXPECT_TRUE(log.HasLog(db.ConnectionString() + ";PWD=*******"));
    EXPECT_FALSE(AnyContains(log.logs, "secret"));
}

TEST_F(ADOGeneric, OptionsConnectionStringAndTheBridgeProvider) {
    // The options' connection string wins over the built one, for any kind the object connects.
    conn->SetDatabaseType(TDatabaseType::dbPervasiveSQL);
    conn->GetConnectionOptions().SetConnectionString("Provider=MSDASQL;" + db.ConnectionString());
    ConnectTo("ignored");
    ASSERT_TRUE(conn->GetConnected()) << (log.errors.empty() ? "" : log.errors[0]);
    EXPECT_TRUE(log.HasLog("Provider=MSDASQL;" + db.ConnectionString()));
    EXPECT_TRUE(std::filesystem::exists(db.Path()));
    auto* database = dynamic_cast<TSMXADODatabase*>(conn->GetDatabaseObject());
    ASSERT_NE(database, nullptr);
    EXPECT_EQ(database->GetADOConnection().GetCursorLocation(), TCursorLocation::clUseClient);
    EXPECT_FALSE(database->GetADOConnection().GetLoginPrompt());
    EXPECT_EQ(database->GetADOConnection().GetIsolationLevel(), TIsolationLevel::ilReadCommitted);
    EXPECT_EQ(database->GetADOConnection().GetMode(), TConnectMode::cmReadWrite);
    EXPECT_EQ(database->GetADOConnection().GetCommandTimeout(), 0);
}

/// The database object under a connection that only holds the options.
class ADODatabase : public ::testing::Test {
protected:
    void SetUp() override {
        owner.SetDatabaseType(TDatabaseType::dbCustomOLEDB);
        owner.GetConnectionOptions().SetDatabaseName(db.ConnectionString());
        log.Attach(owner);
        database.SetConnection(&owner);
        database.SetConnected(true);
        ASSERT_TRUE(database.GetConnected());
        query.SetDatabase(&database);
        Run("create table T(ID integer)");
    }
    void Run(const std::string& sql) {
        query.Close();
        query.GetSQL()->SetText(sql);
        query.ExecSQL();
    }
    std::vector<std::string> Count() {
        query.GetSQL()->SetText("select count(*) from T");
        query.Open();
        std::vector<std::string> r{(*query.GetFields())[0].AsString()};
        query.Close();
        return r;
    }

    TSQLiteTestDatabase db;
    TSMXCustomConnection owner;
    TSMXADODatabase database;
    TSMXADOQuery query;
    TEventLog log;
};

TEST_F(ADODatabase, TransactionsAsSeenFromASecondConnection) {
    // The object fires no event of the connection; it only logs the string it opened.
    EXPECT_EQ(log.events, std::vector<std::string>{"log: " + db.ConnectionString()});
    EXPECT_FALSE(database.InTransaction());

    database.StartTransaction();
    EXPECT_TRUE(database.InTransaction());
    Run("insert into T values (1)");
    EXPECT_EQ(Count(), std::vector<std::string>{"1"});
    database.Rollback();
    EXPECT_FALSE(database.InTransaction());
    EXPECT_EQ(Count(), std::vector<std::string>{"0"});

    database.StartTransaction();
    Run("insert into T values (2)");
    database.Commit();
    EXPECT_FALSE(database.InTransaction());
    EXPECT_EQ(ReadElsewhere(db, "select ID from T"), std::vector<std::string>{"2"});

    // Disconnecting commits an open transaction.
    database.StartTransaction();
    Run("insert into T values (3)");
    database.SetConnected(false);
    EXPECT_FALSE(database.GetConnected());
    EXPECT_FALSE(database.InTransaction());
    EXPECT_EQ(ReadElsewhere(db, "select count(*) from T"), std::vector<std::string>{"2"});
    database.SetConnected(false); // nothing when disconnected

    // Connected again, the query runs on the new connection.
    database.SetConnected(true);
    EXPECT_EQ(Count(), std::vector<std::string>{"2"});
}

/// The connection component over a client connection that the test owns.
class ADOComponent : public ::testing::Test {
protected:
    void SetUp() override {
        ado = std::make_unique<TADOConnection>();
        ado->SetConnectionString(db.ConnectionString());
        conn.SetName("ADO1");
        conn.SetDatabaseType(TDatabaseType::dbCustomOLEDB);
        conn.SetConnection(ado.get());
        log.Attach(conn);
    }

    TSQLiteTestDatabase db;
    std::unique_ptr<TADOConnection> ado;
    TSMXConnectionADO conn;
    TEventLog log;
};

TEST_F(ADOComponent, ConstructedKinds) {
    TSMXConnectionADO fresh;
    EXPECT_EQ(fresh.GetDatabaseType(), TDatabaseType::dbMSSQL);
    EXPECT_EQ(fresh.GetConnectionType(), TconnectionType::cnADO);
    using enum TDatabaseType;
    EXPECT_EQ(fresh.GetSupportedDatabases(), (TDatabaseSetType{dbSybaseASA, dbOracle, dbMSSQL, dbPostgreSQL,
                                                               dbDB2, dbSybaseASE, dbCustomOLEDB}));
    EXPECT_EQ(fresh.GetConnection(), nullptr);
    EXPECT_FALSE(fresh.GetConnected());
}

TEST_F(ADOComponent, WorksOnTheApplicationsConnectionWithoutTransactionsOfItsOwn) {
    conn.SetConnected(true);
    ASSERT_TRUE(conn.GetConnected()) << (log.errors.empty() ? "" : log.errors[0]);
    EXPECT_EQ(log.events, (std::vector<std::string>{"before-connect", "after-connect"}));
    conn.SetConnected(true); // nothing when connected
    EXPECT_EQ(log.Count("before-connect"), 1);

    Exec(conn, "create table T(ID integer)");
    conn.StartTransaction();
    EXPECT_FALSE(conn.InTransaction());
    Exec(conn, "insert into T values (1)");
    EXPECT_EQ(ReadElsewhere(db, "select ID from T"), std::vector<std::string>{"1"});
    conn.Rollback();
    conn.Commit();
    EXPECT_EQ(ReadElsewhere(db, "select count(*) from T"), std::vector<std::string>{"1"});

    // An open transaction of the application's connection is committed on disconnect.
    ado->BeginTrans();
    Exec(conn, "insert into T values (2)");
    conn.SetConnected(false);
    EXPECT_FALSE(ado->GetConnected());
    EXPECT_EQ(log.Count("after-disconnect"), 1);
    EXPECT_EQ(ReadElsewhere(db, "select count(*) from T"), std::vector<std::string>{"2"});

    conn.SetConnected(true);
    const int before = TADOConnection::ConnectCount();
    log.Clear();
    EXPECT_EQ(conn.ReconnectWithCharSet("UTF8"), 0);
    EXPECT_TRUE(conn.GetConnected());
    EXPECT_EQ(TADOConnection::ConnectCount() - before, 1);
    EXPECT_TRUE(log.events.empty());

    EXPECT_TRUE(conn.CreateDatabase());
    EXPECT_FALSE(conn.GetConnected());
    EXPECT_TRUE(conn.CreateDatabase()); // disconnected already
}

TEST_F(ADOComponent, FreeingTheClientConnectionClearsIt) {
    conn.SetConnected(true);
    std::unique_ptr<TSMXQuery> q(conn.CreateQuery(nullptr));
    q->GetSQL()->SetText("select 1");
    q->Open();
    ado.reset();
    EXPECT_EQ(conn.GetConnection(), nullptr);
    EXPECT_FALSE(conn.GetConnected());
    EXPECT_FALSE(q->GetActive());
    EXPECT_THROW(q->Open(), EDatabaseError);
}

TEST_F(ADOComponent, WithoutAClientConnectionNothingCrashes) {
    conn.SetConnection(nullptr);
    const std::string missing = "TSMXConnectionADO(ADO1): Database not assigned.";
    EXPECT_FALSE(conn.GetConnected());
    conn.SetConnected(true);
    EXPECT_FALSE(conn.GetConnected());
    EXPECT_EQ(conn.ReconnectWithCharSet("UTF8"), -1);
    EXPECT_FALSE(conn.CreateDatabase());
    EXPECT_EQ(log.errors, (std::vector<std::string>{missing, missing, missing}));
    conn.SetConnected(false); // nothing
    std::unique_ptr<TSMXQuery> q(conn.CreateQuery(nullptr));
    ASSERT_NE(q, nullptr);
    q->GetSQL()->SetText("select 1");
    EXPECT_THROW(q->Open(), EDatabaseError);
    EXPECT_EQ(log.Count("after-connect"), 0);

    // A before-connect handler that frees the client connection.
    conn.SetConnection(ado.get());
    log.Clear();
    conn.OnBeforeConnect = [this](TObject*) { ado.reset(); };
    conn.SetConnected(true);
    EXPECT_EQ(log.errors, std::vector<std::string>{missing});
    EXPECT_FALSE(conn.GetConnected());
}

TEST_F(ADOComponent, ConnectFailureIsReportedOnce) {
    ado->SetConnectionString("DRIVER=SQLite3;Database=" + db.Dir().File("missing/t.db"));
    conn.SetConnected(true);
    EXPECT_FALSE(conn.GetConnected());
    ASSERT_EQ(log.errors.size(), 1u);
    EXPECT_TRUE(Contains(log.errors[0], "connect failed")) << log.errors[0];
    EXPECT_EQ(log.Count("after-connect"), 0);
}

} // namespace
} // namespace smx::test
