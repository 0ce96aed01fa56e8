// Tests of the ADO-style client layer: connection-string parsing, password hiding and the
// translation to ODBC as tables; then connections and queries on real SQLite databases through
// the ODBC driver manager (temporary folders): failures, value round trips, positional parameters,
// transactions seen from a second connection, the columns rowset and the lifetime rules.
#include "platform/smxADOClient.h"
#include "tests/support/smxTestODBC.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using namespace smx;
using smx::test::TSQLiteTestDatabase;
using smx::test::TTempDir;

namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// ---- Connection strings ----

TEST(ADOConnectionString, PartsKeepQuotedAndBracedValuesWhole) {
    struct Row {
        std::string text;
        std::vector<std::pair<std::string, std::string>> parts;
    };
    const std::vector<Row> rows = {
        {"DRIVER=SQLite3;Database=/tmp/t.db", {{"DRIVER", "SQLite3"}, {"Database", "/tmp/t.db"}}},
        {" User ID = U ; Password=\"pa;ss\";", {{"User ID", "U"}, {"Password", "pa;ss"}}},
        {"Password=\"\"\"q\";X=1", {{"Password", "\"q"}, {"X", "1"}}},
        {"Password='it''s;x'", {{"Password", "it's;x"}}},
        {"DRIVER={SQLite 3};PWD={a;}}b}", {{"DRIVER", "SQLite 3"}, {"PWD", "a;}b"}}},
        {";;novalue;K=;=orphan", {{"K", ""}}},
        {"", {}},
    };
    for (const Row& row : rows) {
        const auto parts = ParseConnectionString(row.text, true);
        ASSERT_EQ(parts.size(), row.parts.size()) << row.text;
        for (std::size_t i = 0; i < parts.size(); ++i) {
            EXPECT_EQ(parts[i].Key, row.parts[i].first) << row.text;
            EXPECT_EQ(parts[i].Value, row.parts[i].second) << row.text;
        }
    }
}

TEST(ADOConnectionString, UnbalancedQuotesThrowOnlyWhenStrict) {
    for (const std::string text : {"Password=\"abc", "PWD={abc", "A='x", "Password=\"a\"b;"}) {
        EXPECT_THROW(ParseConnectionString(text, true), EADOError) << text;
        EXPECT_NO_THROW(ParseConnectionString(text, false)) << text;
    }
    try {
        ParseConnectionString("DRIVER=SQLite3;Password=\"abc", true);
        ADD_FAILURE() << "no exception";
    } catch (const EADOError& e) {
        EXPECT_EQ(e.Message(), "Unbalanced quote in the connection string at the value of \"Password\"");
        EXPECT_EQ(e.SQLState(), "");
    }
}

TEST(ADOConnectionString, PasswordsAreHiddenAndTheRestStaysByteForByte) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"Provider=SQLOLEDB;User ID=U;Password=P;", "Provider=SQLOLEDB;User ID=U;Password=*******;"},
        {"DRIVER=x;pwd=secret", "DRIVER=x;pwd=*******"},
        {"Password=\"pa;ss\";Data Source=S;", "Password=*******;Data Source=S;"},
        {"PWD={a;}}b};UID=u", "PWD=*******;UID=u"},
        {"User ID=U;Password=\"\";", "User ID=U;Password=\"\";"}, // nothing to hide
        {"Password=\"never closed;UID=u", "Password=*******"},    // the rest may be the password
        {"Database=/tmp/Password=x.db", "Database=/tmp/Password=x.db"},
        {"no parts at all", "no parts at all"},
    };
    for (const auto& [in, out] : rows)
        EXPECT_EQ(HideConnectionStringPasswords(in), out) << in;
}

TEST(ADOConnectionString, TranslationToODBC) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"DRIVER=SQLite3;Database=/tmp/t.db", "DRIVER=SQLite3;Database=/tmp/t.db"},
        {"Provider=MSDASQL;DRIVER=SQLite3;Database=/tmp/t.db;", "DRIVER=SQLite3;Database=/tmp/t.db"},
        {"provider=msdasql.1;DSN=x", "DSN=x"},
        {"DRIVER=SQLite3;PWD=\"pa;ss\"", "DRIVER=SQLite3;PWD={pa;ss}"},
        {"DRIVER=SQLite3;Database=\"/tmp/q.db\"", "DRIVER=SQLite3;Database=/tmp/q.db"},
        {"DRIVER=SQLite3;PWD=\"\"\"q\"", "DRIVER=SQLite3;PWD=\"q"},
        {"DRIVER={SQLite3};PWD={x}}}", "DRIVER=SQLite3;PWD={x}}}"},
        {"", ""},
    };
    for (const auto& [in, out] : rows)
        EXPECT_EQ(ODBCConnectionString(in), out) << in;
}

TEST(ADOConnectionString, OtherProvidersAreRefusedByName) {
    try {
        ODBCConnectionString("Provider=SQLOLEDB;Initial Catalog=D;Data Source=S;");
        ADD_FAILURE() << "no exception";
    } catch (const EADOError& e) {
        EXPECT_EQ(e.Message(), "OLE DB provider \"SQLOLEDB\" is not available on this platform; use an ODBC "
                               "connection string (DRIVER=...; or DSN=...;)");
    }
    EXPECT_THROW(ODBCConnectionString("DRIVER=SQLite3;Provider=Other"), EADOError);
}

// ---- Connections ----

std::unique_ptr<TADOConnection> Connect(const TSQLiteTestDatabase& db) {
    auto c = std::make_unique<TADOConnection>();
    c->SetConnectionString(db.ConnectionString());
    c->Open();
    return c;
}

void Exec(TADOConnection& c, const std::string& sql) {
    TADOQuery q;
    q.SetConnection(&c);
    q.SQL()->SetText(sql);
    q.ExecSQL();
}

// The first column of every row, as text ("NULL" for null).
std::vector<std::string> Column(TADOConnection& c, const std::string& sql) {
    TADOQuery q;
    q.SetConnection(&c);
    q.SQL()->SetText(sql);
    q.Open();
    std::vector<std::string> rows;
    for (; !q.GetEof(); q.Next())
        rows.push_back((*q.Fields())[0].IsNull() ? "NULL" : (*q.Fields())[0].AsString());
    return rows;
}

TEST(ADOConnection, ConnectFailuresLeaveItClosedWithTheDriversText) {
    TSQLiteTestDatabase db;
    struct Row {
        std::string connectionString;
        std::string text;
        std::string state;
    };
    const std::vector<Row> rows = {
        {"", "Data source name not found and no default driver specified", "IM002"},
        {"DRIVER=NoSuchDriver;Database=" + db.Path(), "Can't open lib 'NoSuchDriver'", ""},
        {"DRIVER=SQLite3;Database=" + db.Dir().File("missing/t.db"), "[SQLite]connect failed", "HY000"},
        {"Provider=SQLOLEDB;Data Source=" + db.Path(), "OLE DB provider \"SQLOLEDB\" is not available", ""},
        {"DRIVER=SQLite3;Database=\"" + db.Path(), "Unbalanced quote", ""},
    };
    for (const Row& row : rows) {
        TADOConnection c;
        c.SetConnectionString(row.connectionString);
        const int before = TADOConnection::ConnectCount();
        try {
            c.Open();
            ADD_FAILURE() << "connected: " << row.connectionString;
        } catch (const EADOError& e) {
            EXPECT_TRUE(Contains(e.Message(), row.text)) << e.Message();
            if (!row.state.empty()) {
                EXPECT_EQ(e.SQLState(), row.state) << e.Message();
            }
        }
        EXPECT_FALSE(c.GetConnected());
        EXPECT_EQ(TADOConnection::ConnectCount(), before);
    }
    // Nothing was created anywhere in the folder.
    EXPECT_TRUE(std::filesystem::is_empty(db.Dir().Path()));
}

TEST(ADOConnection, OpensCreatesTheFileAndKeepsItsSettings) {
    TSQLiteTestDatabase db;
    TADOConnection c;
    EXPECT_TRUE(c.GetLoginPrompt());
    c.SetConnectionString("Provider=MSDASQL;" + db.ConnectionString() + ";");
    c.SetIsolationLevel(TIsolationLevel::ilReadCommitted); // the driver answers with a warning
    c.SetMode(TConnectMode::cmReadWrite);
    c.SetCursorLocation(TCursorLocation::clUseServer);
    c.SetConnected(true);
    EXPECT_TRUE(c.GetConnected());
    EXPECT_TRUE(std::filesystem::exists(db.Path()));
    EXPECT_EQ(c.GetConnectionString(), "Provider=MSDASQL;" + db.ConnectionString() + ";");
    EXPECT_EQ(c.GetCursorLocation(), TCursorLocation::clUseServer);
    EXPECT_THROW(c.SetConnectionString("DSN=x"), EADOError);
    c.Open(); // nothing when open
    c.SetConnected(false);
    EXPECT_FALSE(c.GetConnected());
    c.Close(); // nothing when closed
    EXPECT_THROW(c.BeginTrans(), EADOError);
}

TEST(ADOQuery, ValuesRoundTripByteForByte) {
    TSQLiteTestDatabase db;
    auto c = Connect(db);
    Exec(*c, "create table T(ID integer, N varchar(20), F double, M text, B longvarbinary, C blob, X bigint, "
             "AMT numeric(9,2))");

    std::string text(1 << 20, '\0');
    std::string bytes(1 << 20, '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char>('a' + i % 26);
        bytes[i] = static_cast<char>(i % 256);
    }
    TADOQuery ins;
    ins.SetConnection(c.get());
    ins.SQL()->SetText("insert into T values (?, ?, ?, ?, ?, ?, ?, ?)");
    TParams& p = *ins.Parameters();
    p.CreateParam("ID").SetAsInteger(1);
    p.CreateParam("N").SetAsString("a;b'c");
    p.CreateParam("F").SetAsFloat(-2.5e-3);
    p.CreateParam("M").SetAsMemo(text);
    p.CreateParam("B").SetAsBlob(bytes);
    p.CreateParam("C").SetAsBlob(std::string("\0\x01\xff", 3));
    p.CreateParam("X").SetAsInteger(9007199254740993);
    p.CreateParam("AMT").SetAsFloat(12.5);
    ins.ExecSQL();
    EXPECT_EQ(ins.RowsAffected(), 1);
    for (int i = 0; i < p.Count(); ++i)
        p[i].Clear();
    p[0].SetAsInteger(2);
    ins.ExecSQL();

    TADOQuery q;
    q.SetConnection(c.get());
    q.SQL()->SetText("select * from T order by ID");
    q.Open();
    const TFields& f = *q.Fields();
    ASSERT_EQ(f.Count(), 8);
    using enum TFieldType;
    const std::vector<TFieldType> types = {ftInteger, ftString, ftFloat,    ftMemo,
                                           ftBlob,    ftBytes,  ftLargeint, ftFloat};
    for (int i = 0; i < f.Count(); ++i)
        EXPECT_EQ(f[i].DataType(), types[static_cast<std::size_t>(i)]) << f[i].FieldName();
    EXPECT_EQ(q.FieldByName("n").Size(), 20);
    ASSERT_FALSE(q.GetEof());
    EXPECT_EQ(q.FieldByName("ID").AsInteger(), 1);
    EXPECT_EQ(q.FieldByName("N").AsString(), "a;b'c");
    EXPECT_EQ(q.FieldByName("F").AsFloat(), -2.5e-3);
    EXPECT_TRUE(q.FieldByName("M").AsString() == text); // no megabyte in a failure message
    EXPECT_TRUE(q.FieldByName("B").AsBytes() == bytes);
    EXPECT_EQ(q.FieldByName("C").AsBytes(), std::string("\0\x01\xff", 3));
    EXPECT_EQ(q.FieldByName("X").AsInteger(), 9007199254740993);
    EXPECT_EQ(q.FieldByName("AMT").AsFloat(), 12.5);
    q.Next();
    ASSERT_FALSE(q.GetEof());
    EXPECT_EQ(q.FieldByName("ID").AsInteger(), 2);
    for (int i = 1; i < f.Count(); ++i)
        EXPECT_TRUE(f[i].IsNull()) << f[i].FieldName();
    q.Next();
    EXPECT_TRUE(q.GetEof());
    q.Next(); // stays past the end
    EXPECT_TRUE(q.GetEof());
    TField* id = &q.FieldByName("ID");
    q.First();
    EXPECT_EQ(id, &q.FieldByName("ID")); // running again keeps the fields
    EXPECT_EQ(id->AsInteger(), 1);
    q.Last();
    EXPECT_TRUE(q.GetEof());
    EXPECT_EQ(id->AsInteger(), 2);
    EXPECT_THROW(q.FieldByName("NOPE"), EDatabaseError);
    q.Close();
    EXPECT_FALSE(q.GetActive());
    EXPECT_THROW(q.Next(), EDatabaseError);
}

TEST(ADOQuery, PositionalParametersAndTheirFaults) {
    TSQLiteTestDatabase db;
    auto c = Connect(db);
    Exec(*c, "create table T(ID integer, S varchar(10))");
    Exec(*c, "insert into T values (1, 'x'), (2, 'y'), (3, 'z')");
    TADOQuery q;
    q.SetConnection(c.get());
    q.SQL()->SetText("select S from T where ID between ? and ? order by ID");
    q.Parameters()->CreateParam("A").SetAsInteger(2);
    EXPECT_THROW(q.Open(), EDatabaseError); // two markers, one value
    EXPECT_FALSE(q.GetActive());
    q.Parameters()->CreateParam("B").SetAsString("3"); // the driver converts the text
    q.Parameters()->CreateParam("extra").SetAsInteger(99);
    q.Open();
    std::vector<std::string> got;
    for (; !q.GetEof(); q.Next())
        got.push_back(q.FieldByName("S").AsString());
    EXPECT_EQ(got, (std::vector<std::string>{"y", "z"}));

    // A new text closes the query and drops its fields; an error leaves it usable.
    q.SQL()->SetText("select * from NOPE");
    EXPECT_FALSE(q.GetActive());
    EXPECT_EQ(q.Fields()->Count(), 0);
    try {
        q.Open();
        ADD_FAILURE() << "no exception";
    } catch (const EADOError& e) {
        EXPECT_EQ(e.Message(), "[HY000] [SQLite]no such table: NOPE (1)");
        EXPECT_EQ(e.SQLState(), "HY000");
    }
    EXPECT_FALSE(q.GetActive());
    q.SQL()->SetText("   ");
    EXPECT_THROW(q.Open(), EDatabaseError);
    q.SQL()->SetText("select count(*) from T");
    q.Open();
    EXPECT_EQ((*q.Fields())[0].AsInteger(), 3);

    TADOQuery unbound;
    unbound.SQL()->SetText("select 1");
    EXPECT_THROW(unbound.Open(), EDatabaseError);
}

TEST(ADOConnection, TransactionsAsSeenFromASecondConnection) {
    TSQLiteTestDatabase db;
    auto c = Connect(db);
    Exec(*c, "create table T(ID integer)");
    auto other = Connect(db);

    EXPECT_FALSE(c->InTransaction());
    EXPECT_EQ(c->BeginTrans(), 1);
    EXPECT_TRUE(c->InTransaction());
    EXPECT_EQ(c->BeginTrans(), 1); // no nesting
    Exec(*c, "insert into T values (1)");
    EXPECT_EQ(Column(*c, "select count(*) from T"), std::vector<std::string>{"1"});
    c->RollbackTrans();
    EXPECT_FALSE(c->InTransaction());
    EXPECT_EQ(Column(*c, "select count(*) from T"), std::vector<std::string>{"0"});

    c->BeginTrans();
    Exec(*c, "insert into T values (2)");
    c->CommitTrans();
    EXPECT_EQ(Column(*other, "select ID from T"), std::vector<std::string>{"2"});
    c->CommitTrans(); // nothing outside a transaction

    // Autocommit again: seen at once.
    Exec(*c, "insert into T values (3)");
    EXPECT_EQ(Column(*other, "select count(*) from T"), std::vector<std::string>{"2"});

    // Closing with an open transaction rolls it back.
    c->BeginTrans();
    Exec(*c, "insert into T values (4)");
    c->Close();
    EXPECT_FALSE(c->InTransaction());
    EXPECT_EQ(Column(*other, "select count(*) from T"), std::vector<std::string>{"2"});
}

TEST(ADOConnection, ColumnsRowsetListsEveryColumnInOrder) {
    TSQLiteTestDatabase db;
    auto c = Connect(db);
    Exec(*c, "create table T1(ID integer, NAME varchar(20))");
    Exec(*c, "create table T2(X integer)");
    TADOQuery rs;
    rs.SQL()->SetText("select 1");
    c->OpenSchema(TSchemaInfo::siColumns, rs);
    EXPECT_EQ(rs.GetConnection(), c.get());
    std::vector<std::string> got;
    for (; !rs.GetEof(); rs.Next())
        got.push_back(rs.FieldByName("TABLE_NAME").AsString() + "." +
                      rs.FieldByName("COLUMN_NAME").AsString());
    EXPECT_EQ(got, (std::vector<std::string>{"T1.ID", "T1.NAME", "T2.X"}));
    EXPECT_NE(rs.Fields()->FindField("TABLE_CAT"), nullptr);
    rs.First(); // the rowset is read again
    EXPECT_EQ(rs.FieldByName("COLUMN_NAME").AsString(), "ID");
    // A text makes it a statement again.
    rs.SQL()->SetText("select 7");
    rs.Open();
    EXPECT_EQ((*rs.Fields())[0].AsInteger(), 7);
}

TEST(ADOConnection, ClosingOrFreeingTheConnectionReleasesBoundQueries) {
    TSQLiteTestDatabase db;
    auto c = Connect(db);
    Exec(*c, "create table T(ID integer)");
    Exec(*c, "insert into T values (1), (2)");
    TADOQuery q;
    q.SetConnection(c.get());
    q.SQL()->SetText("select ID from T");
    q.Open();
    c->Close();
    EXPECT_FALSE(q.GetActive());
    EXPECT_THROW(q.Open(), EDatabaseError); // not open
    c->Open();
    q.Open(); // prepared again on the new connection
    EXPECT_EQ(q.FieldByName("ID").AsInteger(), 1);
    c.reset();
    EXPECT_EQ(q.GetConnection(), nullptr);
    EXPECT_FALSE(q.GetActive());
    EXPECT_THROW(q.Open(), EDatabaseError);

    // A query freed first leaves nothing behind in the connection.
    auto c2 = Connect(db);
    {
        TADOQuery gone;
        gone.SetConnection(c2.get());
        gone.SQL()->SetText("select ID from T");
        gone.Open();
    }
    c2->Close();
}

} // namespace
