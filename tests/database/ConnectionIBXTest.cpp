// The InterBase connection component on real Firebird databases made by isql-fb in temporary
// folders (embedded engine): database creation, the character-set reconnect loop, the database
// facts, connect failures, transactions, parameterised queries and lifetimes.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/database/IBXTestSupport.h"

namespace smx::test {
namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

/// A connection component bound to a client database component of a test database.
class ConnectionIBX : public ::testing::Test {
protected:
    void Use(const std::string& path, const std::string& charSet = {}) {
        ibdb = MakeIBDatabase(path, charSet);
        conn.SetName("Conn");
        conn.SetDatabase(ibdb.get());
        log.Attach(conn);
    }

    std::unique_ptr<TIBDatabase> ibdb;
    TSMXConnectionIBX conn;
    TEventLog log;
};

TEST(ConnectionIBXKind, ServesInterBaseThroughTheInterBaseClient) {
    TSMXConnectionIBX c;
    EXPECT_EQ(c.GetDatabaseType(), TDatabaseType::dbInterBase);
    EXPECT_EQ(c.GetConnectionType(), TconnectionType::cnIBX);
    EXPECT_EQ(c.GetSupportedDatabases(), TDatabaseSetType{TDatabaseType::dbInterBase});
    EXPECT_EQ(c.GetTransaction().Params().Text(), "concurrency\r\nnowait\r\n");
    EXPECT_FALSE(c.GetConnected());
}

// ---- Creating databases ----

TEST_F(ConnectionIBX, CreateDatabaseQuotesUserAndRebuildsConnectParams) {
    TTempDir dir("smx'q");
    const std::string path = dir.File("new.fdb");
    TIBDatabase ibDatabase;
    conn.SetDatabase(&ibDatabase);
    log.Attach(conn);
    conn.GetConnectionOptions().SetDatabaseName(path);
    conn.GetConnectionOptions().SetUserName("O'Brien");
    conn.GetConnectionOptions().SetPassword("p");
    conn.GetIBServerOptions().GetIBDatabaseOptions().SetPageSize(4096);
    conn.GetIBServerOptions().SetDBCharSet("win1252");

    // The clauses the create sends.
    TIBDatabase probe;
    probe.SetDatabaseName(path);
    SetIBCreateDatabaseParams(probe.Params(), conn.GetConnectionOptions(), conn.GetIBServerOptions());
    EXPECT_TRUE(Contains(probe.CreateDatabaseStatement(), "USER 'O''Brien'"));

    ASSERT_TRUE(conn.CreateDatabase()) << (log.errors.empty() ? "" : log.errors[0]);
    EXPECT_TRUE(log.errors.empty());
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_FALSE(ibDatabase.GetConnected());
    // The CREATE clauses are gone; the connect parameters come from the options.
    EXPECT_EQ(ibDatabase.Params().Text(), "user_name=O'Brien\r\npassword=p\r\nlc_ctype=WIN1252\r\n");

    conn.SetConnected(true);
    ASSERT_TRUE(conn.GetConnected()) << (log.errors.empty() ? "" : log.errors[0]);
    EXPECT_EQ(ReadColumn(conn, "SELECT RDB$CHARACTER_SET_NAME FROM RDB$DATABASE"),
              std::vector<std::string>{"WIN1252"});
    EXPECT_EQ(ReadColumn(conn, "select rdb$owner_name from rdb$relations where rdb$relation_name = "
                               "'RDB$DATABASE'"),
              std::vector<std::string>{"O'BRIEN"});
    EXPECT_EQ(conn.GetConnectionOptions().GetUserName(), "O'Brien");
    EXPECT_EQ(conn.GetIBServerOptions().GetIBDatabaseOptions().GetPageSize(), 4096);

    log.Clear();
    EXPECT_FALSE(conn.CreateDatabase());
    ASSERT_EQ(log.errors.size(), 1u);
    EXPECT_TRUE(Contains(log.errors[0], "File exists")) << log.errors[0];
    // A failed create leaves the connect parameters usable too.
    EXPECT_EQ(ibDatabase.Params().Text(), "user_name=O'Brien\r\npassword=p\r\nlc_ctype=WIN1252\r\n");
    conn.SetConnected(true);
    EXPECT_TRUE(conn.GetConnected());
}

// The component creates and opens a database whose path holds "ä" and a CJK character, in a
// process that never set a locale.
TEST_F(ConnectionIBX, CreateAndConnectANonAsciiPath) {
    TTempDir dir("smx\xC3\xA4");
    const std::string path = dir.File("Z\xC3\xBCrich\xE6\x9D\xB1.fdb");
    TIBDatabase ibDatabase;
    conn.SetDatabase(&ibDatabase);
    log.Attach(conn);
    conn.GetConnectionOptions().SetDatabaseName(path);
    conn.GetConnectionOptions().SetUserName("SYSDBA");
    conn.GetIBServerOptions().SetDBCharSet("UTF8");
    ASSERT_TRUE(conn.CreateDatabase()) << (log.errors.empty() ? "" : log.errors[0]);
    conn.SetConnected(true);
    ASSERT_TRUE(conn.GetConnected()) << (log.errors.empty() ? "" : log.errors[0]);
    EXPECT_EQ(ReadColumn(conn, "SELECT RDB$CHARACTER_SET_NAME FROM RDB$DATABASE"),
              std::vector<std::string>{"UTF8"});
    conn.SetConnected(false);

    // A missing file is reported with its name, not as a transliteration failure.
    ibDatabase.SetDatabaseName(dir.File("\xE6\x9D\xB1.fdb"));
    log.Clear();
    conn.SetConnected(true);
    EXPECT_FALSE(conn.GetConnected());
    ASSERT_EQ(log.errors.size(), 1u);
    EXPECT_TRUE(Contains(log.errors[0], "\xE6\x9D\xB1.fdb\"")) << log.errors[0];
    EXPECT_FALSE(Contains(log.errors[0], "transliterate")) << log.errors[0];
}

TEST_F(ConnectionIBX, CreateDatabaseWithoutDatabaseComponentIsReported) {
    conn.SetName("Target");
    log.Attach(conn);
    EXPECT_FALSE(conn.CreateDatabase());
    EXPECT_EQ(log.errors, std::vector<std::string>{"TSMXConnectionIBX(Target): Database not assigned."});
}

TEST(ConnectionIBXCreateParams, OnlyTheClausesThatAreSet) {
    TConnectionOptions co;
    TIBServerOptions ib;
    TStringList params;
    params.Add("stale");
    SetIBCreateDatabaseParams(params, co, ib);
    EXPECT_EQ(params.Count(), 0);
    co.SetPassword("it's");
    ib.GetIBDatabaseOptions().SetPageSize(16384);
    SetIBCreateDatabaseParams(params, co, ib);
    EXPECT_EQ(params.Text(), "PASSWORD 'it''s'\r\nPAGE_SIZE 16384\r\n");
}

// ---- The connect loop ----

TEST_F(ConnectionIBX, OtherCharSetReconnectsOnceWithTheDatabasesOwn) {
    TTestDatabase db(CreateDatabaseSql());
    Use(db.Path(), "UTF8");
    const int before = TIBDatabase::AttachCount();
    conn.SetConnected(true);
    ASSERT_TRUE(conn.GetConnected()) << (log.errors.empty() ? "" : log.errors[0]);
    EXPECT_EQ(TIBDatabase::AttachCount() - before, 2);
    EXPECT_EQ(conn.GetIBServerOptions().GetDBCharSet(), "WIN1252");
    EXPECT_EQ(ibdb->ParamValue("LC_CTYPE"), "WIN1252");
    EXPECT_EQ(conn.GetIBServerOptions().GetSQLDialect(), 3);
    EXPECT_EQ(log.Count("after-connect"), 1);
    EXPECT_TRUE(log.errors.empty());
    EXPECT_TRUE(log.HasLog("Server version: LI-V6.3.11.33637 Firebird 3.0"));
    // The first connect names no database yet (the options are filled after the line).
    EXPECT_EQ(log.events,
              (std::vector<std::string>{
                  "before-connect", "log: Server version: LI-V6.3.11.33637 Firebird 3.0", "after-connect"}));
    // The next connect names it and agrees at once.
    conn.SetConnected(false);
    log.Clear();
    const int again = TIBDatabase::AttachCount();
    conn.SetConnected(true);
    EXPECT_EQ(TIBDatabase::AttachCount() - again, 1);
    ASSERT_FALSE(log.events.empty());
    EXPECT_EQ(log.events[0], "log: Connect to: " + QuotedStr(db.Path()) + "...");
}

TEST_F(ConnectionIBX, SameCharSetConnectsOnce) {
    TTestDatabase db(CreateDatabaseSql());
    Use(db.Path(), "WIN1252");
    const int before = TIBDatabase::AttachCount();
    conn.SetConnected(true);
    ASSERT_TRUE(conn.GetConnected());
    EXPECT_EQ(TIBDatabase::AttachCount() - before, 1);
    EXPECT_EQ(log.Count("after-connect"), 1);
}

TEST_F(ConnectionIBX, LowerCaseCharSetParameterConnectsOnce) {
    TTestDatabase db(CreateDatabaseSql());
    Use(db.Path(), "win1252");
    const int before = TIBDatabase::AttachCount();
    conn.SetConnected(true);
    ASSERT_TRUE(conn.GetConnected()) << (log.errors.empty() ? "" : log.errors[0]);
    EXPECT_EQ(TIBDatabase::AttachCount() - before, 1);
}

TEST_F(ConnectionIBX, DatabaseWithoutCharSetReadsNone) {
    TTestDatabase db("CREATE DATABASE '{db}' USER 'SYSDBA';");
    Use(db.Path());
    const int before = TIBDatabase::AttachCount();
    conn.SetConnected(true);
    ASSERT_TRUE(conn.GetConnected()) << (log.errors.empty() ? "" : log.errors[0]);
    EXPECT_EQ(TIBDatabase::AttachCount() - before, 2);
    EXPECT_EQ(conn.GetIBServerOptions().GetDBCharSet(), "NONE");
    EXPECT_EQ(ibdb->ParamValue("LC_CTYPE"), "NONE");
}

TEST_F(ConnectionIBX, DialectOneDatabaseTakesItsDialect) {
    TTestDatabase db(
        "SET SQL DIALECT 1;\nCREATE DATABASE '{db}' USER 'SYSDBA' DEFAULT CHARACTER SET WIN1252;");
    Use(db.Path(), "WIN1252");
    ibdb->SetSQLDialect(3);
    const int before = TIBDatabase::AttachCount();
    conn.SetConnected(true);
    ASSERT_TRUE(conn.GetConnected()) << (log.errors.empty() ? "" : log.errors[0]);
    EXPECT_EQ(TIBDatabase::AttachCount() - before, 2);
    EXPECT_EQ(conn.GetIBServerOptions().GetSQLDialect(), 1);
    EXPECT_EQ(ibdb->GetSQLDialect(), 1);
    EXPECT_EQ(ReadColumn(conn, "SELECT RDB$CHARACTER_SET_NAME FROM RDB$DATABASE"),
              std::vector<std::string>{"WIN1252"});
}

TEST(ConnectionIBXSettings, CharSetsCompareTrimmedIgnoringCase) {
    TIBServerOptions ib;
    ib.SetDBCharSet("WIN1252");
    ib.SetSQLDialect(3);
    struct Row {
        const char* read;
        int dialect;
        bool agree;
    };
    for (const Row& r : {Row{"WIN1252", 3, true}, Row{"win1252", 3, true}, Row{" Win1252  ", 3, true},
                         Row{"UTF8", 3, false}, Row{"", 3, false}, Row{"WIN1252", 1, false}})
        EXPECT_EQ(IBConnectSettingsAgree(r.read, r.dialect, ib), r.agree) << r.read << " " << r.dialect;
    ib.SetDBCharSet("");
    EXPECT_TRUE(IBConnectSettingsAgree("", 3, ib));
}

// ---- Database facts ----

TEST_F(ConnectionIBX, DatabaseInfoLists) {
    TTestDatabase db(CreateDatabaseSql());
    Use(db.Path(), "WIN1252");
    EXPECT_EQ(conn.GetDatabaseInfo(false), "");
    conn.SetConnected(true);
    ASSERT_TRUE(conn.GetConnected());

    const TIBDatabaseOptions& facts = conn.GetIBServerOptions().GetIBDatabaseOptions();
    const std::vector<std::string> lines = SplitLines(conn.GetDatabaseInfo(false));
    auto has = [&lines](const std::string& l) {
        for (const std::string& x : lines)
            if (x == l) return true;
        return false;
    };
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "LI-V6.3.11.33637 Firebird 3.0");
    for (const char* l :
         {"Character set : WIN1252", "ODS version   : 12.0", "SQL Dialect   : 3", "Sweep interval: 20000",
          "Page size     : 4096", "Read-only     : False", "Forced writes : On"})
        EXPECT_TRUE(has(l)) << l;
    EXPECT_TRUE(has("Database name : " + db.Path()));
    const int n = facts.GetNumBuffers();
    EXPECT_EQ(n, 2048);
    EXPECT_TRUE(has("Buffers       : " + IntToStr(n) + " pages (" + IntToStr(n * 4096 / 1024) + " Kb)"));
    EXPECT_EQ(facts.GetImplementationNo(), 1);
    EXPECT_EQ(facts.GetImplementationClass(), 66);
    EXPECT_EQ(facts.GetSQLDialect(), 3);
    // The connection component leaves the service text alone.
    EXPECT_EQ(facts.GetServerImplementation(), "");
    EXPECT_EQ(conn.GetDatabaseInfo(true), "LI-V6.3.11.33637 Firebird 3.0\r\n");

    // A large cache does not overflow the Kb figure.
    TIBDatabaseOptions& big = conn.GetIBServerOptions().GetIBDatabaseOptions();
    big.SetNumBuffers(131072);
    big.SetPageSize(16384);
    EXPECT_TRUE(Contains(conn.GetDatabaseInfo(false), "Buffers       : 131072 pages (2097152 Kb)\r\n"));
}

TEST_F(ConnectionIBX, DatabaseInfoTextOfAUtf8Database) {
    TTestDatabase db(CreateDatabaseSql({}, "PAGE_SIZE 8192 DEFAULT CHARACTER SET UTF8"), "p.fdb");
    Use(db.Path());
    conn.SetConnected(true);
    ASSERT_TRUE(conn.GetConnected());
    const TIBDatabaseOptions& facts = conn.GetIBServerOptions().GetIBDatabaseOptions();
    const std::string n = IntToStr(facts.GetNumBuffers());
    const std::string version = facts.GetServerVersion();
    EXPECT_EQ(version.rfind("LI-V", 0), 0u) << version;
    EXPECT_EQ(conn.GetDatabaseInfo(false), version + "\r\n" + "Database name : " + db.Path() +
                                               "\r\n"
                                               "Character set : UTF8\r\n"
                                               "ODS version   : 12.0\r\n"
                                               "SQL Dialect   : 3\r\n"
                                               "Sweep interval: 20000\r\n"
                                               "Page size     : 8192\r\n"
                                               "Read-only     : False\r\n"
                                               "Forced writes : On\r\n"
                                               "Buffers       : " +
                                               n + " pages (" + IntToStr(facts.GetNumBuffers() * 8) +
                                               " Kb)\r\n");
    EXPECT_EQ(conn.GetDatabaseInfo(true), version + "\r\n");
    conn.GetConnectionOptions().SetClientLibrary("libfbclient.so.2");
    EXPECT_EQ(conn.GetDatabaseInfo(true), version + "\r\nClient library: libfbclient.so.2\r\n");
    conn.SetConnected(false);
    EXPECT_EQ(conn.GetDatabaseInfo(true), "");
}

// ---- Connect failures ----

TEST_F(ConnectionIBX, MissingFileIsReportedOnce) {
    TTempDir dir;
    Use(dir.File("missing.fdb"), "WIN1252");
    EXPECT_NO_THROW(conn.SetConnected(true));
    EXPECT_FALSE(conn.GetConnected());
    ASSERT_EQ(log.errors.size(), 1u);
    EXPECT_TRUE(Contains(log.errors[0], "I/O error during \"open\" operation")) << log.errors[0];
    EXPECT_EQ(log.Count("after-connect"), 0);
    EXPECT_FALSE(conn.InTransaction());
}

TEST_F(ConnectionIBX, UnknownCharSetIsReported) {
    TTestDatabase db(CreateDatabaseSql());
    Use(db.Path(), "BADCS");
    conn.SetConnected(true);
    EXPECT_FALSE(conn.GetConnected());
    ASSERT_EQ(log.errors.size(), 1u);
    EXPECT_TRUE(Contains(log.errors[0], "CHARACTER SET BADCS is not defined")) << log.errors[0];
    EXPECT_EQ(log.Count("after-connect"), 0);
}

TEST_F(ConnectionIBX, ConnectingTwiceDoesNothing) {
    TTestDatabase db(CreateDatabaseSql());
    Use(db.Path(), "WIN1252");
    conn.SetConnected(true);
    ASSERT_TRUE(conn.GetConnected());
    log.Clear();
    const int before = TIBDatabase::AttachCount();
    conn.SetConnected(true);
    EXPECT_TRUE(log.events.empty());
    EXPECT_EQ(TIBDatabase::AttachCount(), before);
}

TEST_F(ConnectionIBX, WithoutDatabaseComponentConnectIsReported) {
    log.Attach(conn);
    conn.SetName("C");
    conn.SetConnected(true);
    EXPECT_EQ(log.errors, std::vector<std::string>{"TSMXConnectionIBX(C): Database not assigned."});
    EXPECT_FALSE(conn.GetConnected());
    log.Clear();
    conn.SetConnected(false);
    EXPECT_TRUE(log.events.empty());
}

// ---- Transactions ----

TEST_F(ConnectionIBX, DisconnectWithOpenQueryCommitsAndFiresEachEventOnce) {
    TTestDatabase db(CreateDatabaseSql());
    Use(db.Path(), "WIN1252");
    conn.SetConnected(true);
    ASSERT_TRUE(conn.GetConnected());
    std::unique_ptr<TSMXQuery> q(conn.CreateQuery(nullptr));
    q->GetSQL()->SetText("select rdb$relation_name from rdb$relations");
    q->Open();
    ASSERT_FALSE(q->GetEof());
    log.Clear();
    conn.SetConnected(false);
    EXPECT_FALSE(conn.GetConnected());
    EXPECT_EQ(log.events, (std::vector<std::string>{"before-disconnect", "after-disconnect"}));
    EXPECT_FALSE(conn.InTransaction());
    log.Clear();
    conn.SetConnected(false);
    EXPECT_TRUE(log.events.empty());
}

TEST_F(ConnectionIBX, ReconnectWithCharSetCommitsFirstAndFiresNoEvent) {
    TTestDatabase db(CreateDatabaseSql("CREATE EXCEPTION E1 'Failed';\nCREATE EXCEPTION E2 'Broken';\n"));
    Use(db.Path(), "WIN1252");
    conn.SetConnected(true);
    ASSERT_TRUE(conn.GetConnected());
    // Leave the own transaction active: the reconnect must not refuse to detach.
    EXPECT_FALSE(ReadColumn(conn, "select rdb$relation_name from rdb$relations").empty());
    ASSERT_TRUE(conn.InTransaction());
    log.Clear();

    EXPECT_EQ(conn.ReconnectWithCharSet("NONE"), 0);
    EXPECT_TRUE(log.events.empty()) << log.events[0];
    EXPECT_TRUE(conn.GetConnected());
    EXPECT_FALSE(conn.InTransaction());
    EXPECT_EQ(ibdb->ParamValue("lc_ctype"), "NONE");
    EXPECT_EQ(ibdb->ParamValue("user_name"), "SYSDBA");
    EXPECT_EQ(ReadColumn(conn, "select rdb$exception_name from rdb$exceptions where rdb$system_flag = 0 "
                               "order by rdb$exception_name"),
              (std::vector<std::string>{"E1", "E2"}));

    EXPECT_EQ(conn.ReconnectWithCharSet("WIN1252"), 0);
    EXPECT_EQ(ibdb->ParamValue("lc_ctype"), "WIN1252");
    conn.SetConnected(false);
    EXPECT_FALSE(conn.GetConnected());
    EXPECT_TRUE(log.errors.empty());
}

TEST_F(ConnectionIBX, RepeatedCommitAndRollbackDoNoHarm) {
    TTestDatabase db(CreateDatabaseSql("CREATE TABLE T (ID INTEGER);\n"));
    Use(db.Path(), "WIN1252");
    conn.SetConnected(true);
    ASSERT_TRUE(conn.InTransaction());
    conn.Commit();
    EXPECT_FALSE(conn.InTransaction());
    EXPECT_NO_THROW(conn.Commit());
    EXPECT_NO_THROW(conn.Rollback());
    conn.StartTransaction();
    EXPECT_TRUE(conn.InTransaction());
    EXPECT_NO_THROW(conn.StartTransaction());
    conn.Rollback();
    EXPECT_FALSE(conn.InTransaction());
}

TEST_F(ConnectionIBX, FailedStatementInsideTransactionRollsBackAlone) {
    TTestDatabase db(CreateDatabaseSql("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY);\n"));
    Use(db.Path(), "WIN1252");
    conn.SetConnected(true);
    std::unique_ptr<TSMXQuery> q(conn.CreateQuery(nullptr));
    q->GetSQL()->SetText("insert into T (ID) values (:ID)");
    q->ParamByName("ID")->SetAsInteger(1);
    q->ExecSQL();
    conn.Commit();
    q->ParamByName("ID")->SetAsInteger(2);
    q->ExecSQL();
    try {
        q->ExecSQL(); // the same key again
        ADD_FAILURE() << "a duplicate key was accepted";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(Contains(e.Message(), "violation of PRIMARY or UNIQUE KEY")) << e.Message();
    }
    EXPECT_TRUE(conn.InTransaction());
    conn.Rollback();
    EXPECT_EQ(ReadColumn(conn, "select ID from T"), std::vector<std::string>{"1"});
}

// ---- Queries ----

TEST_F(ConnectionIBX, ParametersByNameBoundInOrder) {
    TTestDatabase db(CreateDatabaseSql());
    Use(db.Path(), "WIN1252");
    conn.SetConnected(true);
    std::unique_ptr<TSMXQuery> q(conn.CreateQuery(nullptr));
    ASSERT_TRUE(q->GetParamCheck());
    q->GetSQL()->SetText("select rdb$relation_name from rdb$relations where rdb$relation_name = :N");
    ASSERT_EQ(q->GetParams()->Count(), 1);
    q->ParamByName("N")->SetAsString("RDB$DATABASE");
    q->Open();
    ASSERT_FALSE(q->GetEof());
    EXPECT_EQ(Trim(q->FieldByName("RDB$RELATION_NAME")->AsString()), "RDB$DATABASE");
    q->Next();
    EXPECT_TRUE(q->GetEof());
    q->Close();

    q->ParamByName("N")->SetAsString("RDB$PAGES");
    q->Open();
    ASSERT_FALSE(q->GetEof());
    EXPECT_EQ(Trim(q->FieldByName("RDB$RELATION_NAME")->AsString()), "RDB$PAGES");
    q->Close();

    // New text with the same name keeps the value; a literal with a colon is no parameter.
    q->GetSQL()->SetText("select rdb$relation_name from rdb$relations where rdb$relation_name = :N "
                         "and 'a:b' = 'a:b'");
    ASSERT_EQ(q->GetParams()->Count(), 1);
    EXPECT_EQ(q->ParamByName("N")->AsString(), "RDB$PAGES");
    q->Open();
    ASSERT_FALSE(q->GetEof());
    EXPECT_EQ(Trim(q->GetFields()->FieldByName("RDB$RELATION_NAME").AsString()), "RDB$PAGES");
    q->Close();

    // One name twice gives two markers, each bound.
    q->GetSQL()->SetText("select count(*) from rdb$relations where rdb$relation_name = :X or "
                         "rdb$relation_name = :X");
    ASSERT_EQ(q->GetParams()->Count(), 2);
    (*q->GetParams())[0].SetAsString("RDB$PAGES");
    (*q->GetParams())[1].SetAsString("RDB$DATABASE");
    q->Open();
    EXPECT_EQ((*q->GetFields())[0].AsInteger(), 2);
    q->Close();
    EXPECT_THROW(q->ParamByName("Nope"), EDatabaseError);
    EXPECT_THROW(q->FieldByName("Nope"), EDatabaseError);
}

TEST_F(ConnectionIBX, ParamCheckOffSendsProcedureBodyVerbatim) {
    TTestDatabase db(CreateDatabaseSql());
    Use(db.Path(), "WIN1252");
    conn.SetConnected(true);
    std::unique_ptr<TSMXQuery> q(conn.CreateQuery(nullptr));
    q->SetParamCheck(false);
    q->GetSQL()->SetText("CREATE PROCEDURE P (A INTEGER) RETURNS (X INTEGER) AS\r\n"
                         "BEGIN\r\n  X = :A + 1;\r\n  SUSPEND;\r\nEND");
    EXPECT_EQ(q->GetParams()->Count(), 0);
    q->ExecSQL();
    conn.Commit();
    EXPECT_EQ(ReadColumnElsewhere(db.Path(), "select rdb$procedure_name from rdb$procedures"),
              std::vector<std::string>{"P"});
    q->SetParamCheck(true);
    q->GetSQL()->SetText("select X from P(:A)");
    q->ParamByName("A")->SetAsInteger(41);
    q->Open();
    EXPECT_EQ(q->FieldByName("X")->AsInteger(), 42);
    q->Close();
}

TEST_F(ConnectionIBX, ValuesRoundTripThroughNamedParameters) {
    TTestDatabase db(CreateDatabaseSql(
        "CREATE TABLE V (ID INTEGER, N NUMERIC(18,4), TS TIMESTAMP, S VARCHAR(40), B BLOB SUB_TYPE 0, "
        "M BLOB SUB_TYPE 1, F BOOLEAN);\n"));
    Use(db.Path(), "WIN1252");
    conn.SetConnected(true);
    std::string binary(70000, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<char>(i * 7 % 256);
    const std::string memo(100000, 'x');
    const TDateTime ts = ComposeDateTime(EncodeDate(2024, 2, 29), EncodeTime(23, 59, 58, 0)) +
                         1234.0 / TicksPerDay; // 0.1234 s

    std::unique_ptr<TSMXQuery> q(conn.CreateQuery(nullptr));
    q->GetSQL()->SetText("insert into V values (:ID, :N, :TS, :S, :B, :M, :F)");
    q->ParamByName("ID")->SetAsInteger(1);
    q->ParamByName("N")->SetAsString("-92233720368547.7580");
    q->ParamByName("TS")->SetAsDateTime(ts);
    q->ParamByName("S")->SetAsString("it's");
    q->ParamByName("B")->SetAsBlob(binary);
    q->ParamByName("M")->SetAsMemo(memo);
    q->ParamByName("F")->SetAsBoolean(true);
    q->ExecSQL();
    q->ParamByName("ID")->SetAsInteger(2);
    for (const char* name : {"N", "TS", "S", "B", "M", "F"})
        q->ParamByName(name)->Clear();
    q->ExecSQL();
    conn.Commit();

    q->GetSQL()->SetText("select * from V order by ID");
    q->Open();
    ASSERT_FALSE(q->GetEof());
    EXPECT_EQ(q->FieldByName("N")->AsString(), "-92233720368547.7580");
    EXPECT_EQ(TimeToTicks(q->FieldByName("TS")->AsDateTime()), TimeToTicks(ts));
    EXPECT_EQ(DateToDays(q->FieldByName("TS")->AsDateTime()), DateToDays(ts));
    EXPECT_EQ(q->FieldByName("S")->AsString(), "it's");
    EXPECT_EQ(q->FieldByName("B")->AsBytes(), binary);
    EXPECT_EQ(q->FieldByName("M")->AsString(), memo);
    EXPECT_TRUE(q->FieldByName("F")->AsBoolean());
    q->Next();
    ASSERT_FALSE(q->GetEof());
    for (const char* name : {"N", "TS", "S", "B", "M", "F"})
        EXPECT_TRUE(q->FieldByName(name)->IsNull()) << name;
    q->Close();
}

// ---- Lifetimes ----

TEST_F(ConnectionIBX, FreedDatabaseComponentIsForgotten) {
    TTestDatabase db(CreateDatabaseSql());
    auto owned = std::make_unique<TSMXConnectionIBX>();
    TSMXConnectionIBX& c = *owned;
    auto d = MakeIBDatabase(db.Path(), "WIN1252");
    c.SetDatabase(d.get());
    c.SetConnected(true);
    ASSERT_TRUE(c.GetConnected());
    std::unique_ptr<TSMXQuery> q1(c.CreateQuery(nullptr));
    q1->GetSQL()->SetText("select rdb$relation_name from rdb$relations");
    q1->Open();
    std::unique_ptr<TSMXQuery> q2(c.CreateQuery(nullptr));
    d.reset();
    EXPECT_EQ(c.GetDatabase(), nullptr);
    EXPECT_FALSE(c.GetConnected());
    EXPECT_FALSE(c.InTransaction());
    EXPECT_THROW(q2->Open(), EDatabaseError);
    owned.reset();
    EXPECT_EQ(q1->GetConnection(), nullptr);
    q1.reset();
    q2.reset();
}

TEST_F(ConnectionIBX, QueryOutlivesItsConnection) {
    TTestDatabase db(CreateDatabaseSql());
    auto d = MakeIBDatabase(db.Path(), "WIN1252");
    std::unique_ptr<TSMXQuery> q;
    {
        TSMXConnectionIBX c;
        c.SetDatabase(d.get());
        c.SetConnected(true);
        q.reset(c.CreateQuery(nullptr));
        q->GetSQL()->SetText("select 1 from rdb$database");
        q->Open();
    }
    EXPECT_EQ(q->GetConnection(), nullptr);
    q.reset();
    d.reset();
}

TEST_F(ConnectionIBX, AssigningAnotherDatabaseCommitsTheOwnTransaction) {
    TTestDatabase db(CreateDatabaseSql("CREATE TABLE T (ID INTEGER);\n"));
    TTestDatabase other(CreateDatabaseSql());
    Use(db.Path(), "WIN1252");
    conn.SetConnected(true);
    std::unique_ptr<TSMXQuery> q(conn.CreateQuery(nullptr));
    q->GetSQL()->SetText("insert into T values (7)");
    q->ExecSQL();
    ASSERT_TRUE(conn.InTransaction());
    auto d2 = MakeIBDatabase(other.Path(), "WIN1252");
    conn.SetDatabase(d2.get());
    EXPECT_FALSE(conn.InTransaction());
    EXPECT_EQ(ReadColumnElsewhere(db.Path(), "select ID from T"), std::vector<std::string>{"7"});
    EXPECT_TRUE(log.errors.empty());
    // The own transaction now works on the new component.
    conn.SetConnected(true);
    EXPECT_TRUE(conn.GetConnected());
    EXPECT_EQ(conn.GetTransaction().GetDefaultDatabase(), d2.get());
    EXPECT_EQ(conn.GetDatabaseInfoObject().GetDatabase(), d2.get());
}

TEST_F(ConnectionIBX, QuerySurvivesDisconnectAndReconnect) {
    TTestDatabase db(CreateDatabaseSql());
    Use(db.Path(), "WIN1252");
    conn.SetConnected(true);
    std::unique_ptr<TSMXQuery> q(conn.CreateQuery(nullptr));
    q->GetSQL()->SetText("select rdb$relation_name from rdb$relations where rdb$relation_name = :N");
    q->ParamByName("N")->SetAsString("RDB$DATABASE");
    q->Open();
    ASSERT_FALSE(q->GetEof());
    conn.SetConnected(false);
    conn.SetConnected(true);
    ASSERT_TRUE(conn.GetConnected());
    q->Close();
    q->Open();
    ASSERT_FALSE(q->GetEof());
    EXPECT_EQ(Trim(q->FieldByName("RDB$RELATION_NAME")->AsString()), "RDB$DATABASE");
    q->Close();
}

} // namespace
} // namespace smx::test
