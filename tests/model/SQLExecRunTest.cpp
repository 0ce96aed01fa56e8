// Script runs of the generic executor over the recording connection: the transaction rule, the
// log lines, break-on-error and stop, failures that must count (connect, exceptions, unread large
// objects), the large-object file, re-entrant calls from event handlers, and the statement and
// connection pointers the executor must not keep once their targets are gone.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "model/smxSQL_Exec.h"
#include "tests/model/RecordingConnection.h"

namespace smx {
namespace {

using enum TStatType;
using enum TDbObject;
using enum TDbOperation;
using test::TRecordingConnection;
using Strings = std::vector<std::string>;
namespace fs = std::filesystem;

bool Contains(const Strings& v, const std::string& s) {
    for (const auto& x : v)
        if (x == s) return true;
    return false;
}

class SQLExecRun : public ::testing::Test {
protected:
    void SetUp() override {
        exec.SetName("Exec1");
        exec.SetDatabaseType(TDatabaseType::dbInterBase);
        exec.SetSMXConnection(&conn);
        conn.GetConnectionOptions().SetDatabaseName("t.fdb");
        exec.OnLogNextLine = [this](TObject*, const std::string& s) { log.push_back(s); };
        exec.OnErrorMessage = [this](TObject*, const std::string& s) { errors.push_back(s); };
        conn.OnErrorMessage = [this](TObject*, const std::string& s) { connErrors.push_back(s); };
    }
    void TearDown() override { StopRequested = false; }

    TStatement* Table(const std::string& name, const std::string& body = "(A INTEGER)") {
        return exec.AddStatement("CREATE TABLE " + name + " " + body, stStatement, name, dboTable, odbCreate);
    }
    TStatement* Insert(const std::string& values) {
        return exec.AddStatement("INSERT INTO B (ID, S, V) VALUES " + values, stInsert, "B", dboTable,
                                 odbInsert);
    }

    TRecordingConnection conn;
    TSQLExec exec;
    Strings log, errors, connErrors;
};

TEST_F(SQLExecRun, EmptyListTouchesNothing) {
    EXPECT_TRUE(exec.ExecuteScript());
    EXPECT_EQ(log, Strings{"Update script is empty."});
    EXPECT_TRUE(conn.Journal.empty());
    EXPECT_EQ(conn.QueriesCreated, 0);
}

TEST_F(SQLExecRun, MissingConnectionIsReported) {
    Table("T1");
    exec.SetSMXConnection(nullptr);
    EXPECT_FALSE(exec.ExecuteScript());
    EXPECT_EQ(errors, Strings{"TSQLExec(Exec1): Connection property not assigned."});
    EXPECT_FALSE(exec.ExecuteStatement(exec.GetStatement(0)));
    EXPECT_EQ(exec.GetErrorCount(), 2);
}

TEST_F(SQLExecRun, EveryDDLStatementCommitsOrRollsBackAlone) {
    Table("T1");
    Table("T1", "(B INTEGER)");
    Table("T3");
    exec.AddStatement("CREATE VIEW V3 AS SELECT A FROM T3", stStatement, "V3", dboView, odbCreate);
    exec.AddComment("/* no server round trip */");
    exec.AddCommit();
    conn.FailOn = "(B INTEGER)";

    EXPECT_FALSE(exec.ExecuteScript());
    const Strings journal = {"connect t.fdb", "start",     "exec CREATE TABLE T1 (A INTEGER)",
                             "commit",        "start",     "exec CREATE TABLE T1 (B INTEGER)",
                             "rollback",      "start",     "exec CREATE TABLE T3 (A INTEGER)",
                             "commit",        "start",     "exec CREATE VIEW V3 AS SELECT A FROM T3",
                             "commit",        "disconnect"};
    EXPECT_EQ(conn.Journal, journal);
    EXPECT_EQ(exec.GetErrorCount(), 1);
    EXPECT_NE(exec.GetStatement(1)->ErrorText.find("duplicate"), std::string::npos);
    EXPECT_TRUE(exec.GetStatement(0)->ErrorText.empty());
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "Updating target database...");
    EXPECT_TRUE(Contains(log, "< Exec SQL >: T1: create"));
    EXPECT_TRUE(Contains(log, "Connect: \"t.fdb\""));
    EXPECT_EQ(log.back(), "< Script executed: 1 errors... >");
    EXPECT_FALSE(conn.GetConnected());
    EXPECT_FALSE(conn.InTransaction());
    EXPECT_EQ(exec.GetCurrentStatement(), nullptr);
}

TEST_F(SQLExecRun, BreakOnErrorStopsAfterTheFailure) {
    for (const char* n : {"T1", "T2", "T3", "T4", "T5"})
        Table(n);
    conn.FailOn = "T2";
    exec.SetBreakOnError(true);
    EXPECT_FALSE(exec.ExecuteScript());
    EXPECT_EQ(conn.Executed.size(), 2u);
    EXPECT_TRUE(Contains(log, "< Break on Error! >"));
    EXPECT_FALSE(Contains(log, "< Script executed succesfully! >"));
}

TEST_F(SQLExecRun, SuccessLeavesAConnectedConnectionConnected) {
    Table("T1");
    conn.SetConnected(true);
    conn.Journal.clear();
    EXPECT_TRUE(exec.ExecuteScript());
    EXPECT_EQ(conn.Journal, (Strings{"start", "exec CREATE TABLE T1 (A INTEGER)", "commit"}));
    EXPECT_TRUE(conn.GetConnected());
    EXPECT_EQ(log.back(), "< Script executed succesfully! >");
}

TEST_F(SQLExecRun, StopRequestEndsTheRunWithoutSuccess) {
    for (const char* n : {"T1", "T2", "T3"})
        Table(n);
    exec.OnAfterStatementExecute = [](TObject*, int) { StopRequested = true; };
    EXPECT_FALSE(exec.ExecuteScript());
    EXPECT_EQ(conn.Executed.size(), 1u);
    EXPECT_FALSE(Contains(log, "< Script executed succesfully! >"));
    EXPECT_FALSE(conn.GetConnected());
}

TEST_F(SQLExecRun, SkippedStatementsAreLoggedNotRun) {
    Table("T1")->Skip = 1;
    exec.AddStatement("CREATE TABLE T2 (A INTEGER,\r\nB INTEGER)", stStatement, "T2", dboTable, odbCreate)
        ->Skip = 1;
    EXPECT_TRUE(exec.ExecuteScript());
    EXPECT_TRUE(conn.Executed.empty());
    EXPECT_TRUE(Contains(log, "< Skipping statement >: T1: create"));
    exec.SetShowFullLog(true);
    log.clear();
    exec.ExecuteScript();
    const Strings expected = {"< Skipping statement >:", "// CREATE TABLE T2 (A INTEGER,", "// B INTEGER)"};
    EXPECT_NE(std::search(log.begin(), log.end(), expected.begin(), expected.end()), log.end());
}

// A descendant whose description writer throws, as the InterBase executor's may.
class ThrowingDescriptionExec : public TSQLExec {
protected:
    bool UpdateDescription() override {
        GetSMXConnection()->StartTransaction();
        throw EDatabaseError("Table unknown NOPE");
    }
};

TEST(SQLExecFailures, AnExceptionOfOneStatementIsContained) {
    TRecordingConnection conn;
    ThrowingDescriptionExec exec;
    Strings errors;
    exec.OnErrorMessage = [&](TObject*, const std::string& s) { errors.push_back(s); };
    exec.SetSMXConnection(&conn);
    exec.AddStatement("CREATE TABLE A (X INTEGER)", stStatement, "A", dboTable, odbCreate);
    exec.AddStatement("COMMENT ON TABLE NOPE IS 'x'", stDescription, "NOPE", dboTable, odbDescription);
    exec.AddStatement("CREATE TABLE B (X INTEGER)", stStatement, "B", dboTable, odbCreate);
    EXPECT_FALSE(exec.ExecuteScript());
    EXPECT_EQ(errors, Strings{"Table unknown NOPE"});
    EXPECT_EQ(exec.GetStatement(1)->ErrorText, "Table unknown NOPE");
    EXPECT_EQ(conn.Journal.back(), "disconnect");
    EXPECT_TRUE(Contains(conn.Journal, "rollback"));
    EXPECT_TRUE(Contains(conn.Journal, "exec CREATE TABLE B (X INTEGER)"));
    EXPECT_FALSE(conn.InTransaction());
}

TEST_F(SQLExecRun, ReportedConnectAndCreateFailuresCount) {
    struct Case {
        TStatType kind;
        bool failConnect, failCreate;
        const char* error;
    };
    for (const Case& c : {Case{stConnect, true, false, "Cannot connect to \"x.fdb\"."},
                          Case{stReconnect, true, false, "Cannot connect to \"t.fdb\"."},
                          Case{stCreateDb, false, true, "Cann't create database."}}) {
        exec.ClearStatements();
        errors.clear();
        conn.Executed.clear();
        exec.SetBreakOnError(true);
        exec.AddStatement(c.kind == stConnect ? "CONNECT 'x.fdb'" : "X", c.kind);
        Table("T1");
        conn.FailConnect = c.failConnect;
        conn.FailCreate = c.failCreate;
        // The generic executor reads no CONNECT text; the options keep the name set here.
        if (c.kind == stConnect) conn.GetConnectionOptions().SetDatabaseName("x.fdb");
        EXPECT_FALSE(exec.ExecuteScript()) << c.error;
        EXPECT_TRUE(Contains(errors, c.error)) << c.error;
        EXPECT_TRUE(conn.Executed.empty()) << c.error;
        EXPECT_EQ(connErrors.empty(), !c.failConnect) << c.error;
        connErrors.clear();
        conn.GetConnectionOptions().SetDatabaseName("t.fdb");
    }
}

TEST_F(SQLExecRun, AConnectionWithoutQueryFailsTheRun) {
    Table("T1");
    conn.NoQuery = true;
    EXPECT_FALSE(exec.ExecuteScript());
    EXPECT_EQ(errors, Strings{"TSQLExec(Exec1): the connection offers no query."});
    EXPECT_TRUE(conn.Journal.empty());
    EXPECT_FALSE(exec.ExecuteStatement(exec.GetStatement(0)));
    EXPECT_FALSE(conn.GetConnected());
}

TEST_F(SQLExecRun, DialectSpecificSending) {
    exec.SetDatabaseType(TDatabaseType::dbOracle);
    exec.AddStatement("CREATE PROCEDURE P IS\r\nBEGIN\r\n  x := :y;\r\nEND;", stProcedure, "P", dboProcedure);
    exec.AddStatement("ALTER SESSION SET X = 1", stSet);
    EXPECT_TRUE(exec.ExecuteScript());
    ASSERT_EQ(conn.Executed.size(), 2u);
    EXPECT_EQ(conn.Executed[0].Text, "CREATE PROCEDURE P IS\nBEGIN\n  x := :y;\nEND;\n/\r\n");
    EXPECT_TRUE(conn.Executed[0].Params.empty()); // DDL goes with parameter checking off

    // MS SQL: no transaction around DDL, SET statements are not sent.
    exec.ClearStatements();
    exec.SetDatabaseType(TDatabaseType::dbMSSQL);
    exec.AddStatement("SET QUOTED_IDENTIFIER ON", stSet);
    Table("T1");
    conn.Journal.clear();
    EXPECT_TRUE(exec.ExecuteScript());
    EXPECT_EQ(conn.Journal, (Strings{"connect t.fdb", "exec CREATE TABLE T1 (A INTEGER)", "disconnect"}));
}

// ---- Data statements and the large-object file

class SQLExecData : public SQLExecRun {
protected:
    void SetUp() override {
        SQLExecRun::SetUp();
        dir = fs::temp_directory_path() /
              ("smx_exec_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
        std::ofstream(dir / "Result.LOB", std::ios::binary) << "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
        exec.SetScriptFileName((dir / "Result.SQL").string());
        exec.OnGetParamValue = [this](TObject*, TParam& p) { asked.push_back(p.Name()); };
    }
    void TearDown() override {
        fs::remove_all(dir);
        SQLExecRun::TearDown();
    }
    void SetBlobFile(const std::string& name) {
        exec.AddStatement("SET BLOBFILE '" + name + "'", stSetBlobFile, name);
    }
    const test::RecordedParam& ParamOf(std::size_t exec_) { return conn.Executed.at(exec_).Params.at(0); }

    fs::path dir;
    Strings asked;
};

TEST_F(SQLExecData, LargeObjectReferencesReadTheFile) {
    SetBlobFile("Result.LOB");
    Insert("(1, 'a', :h0000001A_00000004)");
    Insert("(2, '12\" disk', :h0000001A_00000000)");
    Insert("(3, 'c', :KEY1)");
    Insert("(1, 'dup', :h00000000_00000001)");
    Insert("(5, 'e', :h00000020_00000010)");  // past the end of the file
    Insert("(6, 'f', :H00000000A_00000004)"); // a 9-digit offset, as files of 4 GiB need
    Insert("(7, 'g', :h0000001G_00000004)");  // classic shape, not hexadecimal
    Insert("(8, 'h', :hXYZXYZXYZ_00000004)"); // longer name, not hexadecimal: an ordinary parameter
    conn.FailOn = "'dup'";

    EXPECT_FALSE(exec.ExecuteScript());
    EXPECT_EQ(exec.GetErrorCount(), 3);
    ASSERT_EQ(conn.Executed.size(), 6u); // rows 5 and 7 are not run
    EXPECT_EQ(ParamOf(0).Bytes, "QRST");
    EXPECT_EQ(ParamOf(0).DataType, TFieldType::ftBlob);
    EXPECT_FALSE(ParamOf(1).IsNull);
    EXPECT_EQ(ParamOf(1).Bytes, "");
    EXPECT_TRUE(ParamOf(2).IsNull);
    EXPECT_EQ(ParamOf(4).Bytes, "ABCD");
    EXPECT_TRUE(ParamOf(5).IsNull);
    EXPECT_EQ(asked, (Strings{"KEY1", "hXYZXYZXYZ_00000004"}));
    EXPECT_FALSE(exec.GetStatement(5)->ErrorText.empty());
    EXPECT_FALSE(exec.GetStatement(7)->ErrorText.empty());
    // One transaction for all data statements, committed once at the end.
    std::size_t starts = 0, commits = 0;
    for (const auto& j : conn.Journal)
        starts += j == "start", commits += j == "commit";
    EXPECT_EQ(starts, 1u);
    EXPECT_EQ(commits, 1u);
    EXPECT_EQ(conn.Journal.end()[-2], "commit");
}

TEST_F(SQLExecData, BareNameWithoutScriptFileNeverOpensAFile) {
    const fs::path cwd = fs::current_path();
    fs::current_path(dir); // a Result.LOB in the working directory must not be picked up
    exec.SetScriptFileName("");
    SetBlobFile("Result.LOB");
    Insert("(1, 'a', :h0000001A_00000004)");
    exec.ExecuteScript();
    fs::current_path(cwd);
    EXPECT_TRUE(Contains(errors, "ScriptFileName not specified (for BlobFile)."));
    EXPECT_EQ(asked, Strings{"h0000001A_00000004"});
    ASSERT_EQ(conn.Executed.size(), 1u);
    EXPECT_TRUE(ParamOf(0).IsNull);
}

TEST_F(SQLExecData, ALaterMissingBlobFileClosesTheEarlierOne) {
    SetBlobFile("Result.LOB");
    SetBlobFile((dir / "missing.LOB").string());
    Insert("(1, 'a', :h0000001A_00000004)");
    exec.ExecuteScript();
    EXPECT_TRUE(Contains(errors, "BlobFile not found: " + (dir / "missing.LOB").string()));
    EXPECT_EQ(asked, Strings{"h0000001A_00000004"});
}

// ---- Re-entrant calls, statement pointers and single statements

TEST_F(SQLExecRun, HandlersCannotChangeTheListOfARunningScript) {
    Table("T1");
    Table("T2");
    exec.OnAfterStatementExecute = [this](TObject*, int) {
        exec.ClearStatements();
        exec.DeleteStatement(0);
        exec.LoadScript(TStringList());
        exec.LoadScriptFromFile("other.sql");
        EXPECT_FALSE(exec.ExecuteScript());
        EXPECT_FALSE(exec.ExecuteStatement(exec.GetStatement(0)));
        EXPECT_TRUE(exec.IsRunning());
    };
    exec.ExecuteScript();
    EXPECT_EQ(conn.Executed.size(), 2u);
    EXPECT_EQ(exec.GetStatementCount(), 2);
    EXPECT_EQ(errors.size(), 12u);
    EXPECT_EQ(errors[0], "TSQLExec(Exec1): ClearStatements refused while a script is running.");
    EXPECT_EQ(exec.GetScriptFileName(), "");
    EXPECT_FALSE(exec.IsRunning());
    EXPECT_EQ(log.back(), "< Script executed: 12 errors... >");
}

TEST_F(SQLExecRun, NoErrorTextIsWrittenIntoAFreedStatement) {
    Table("T1");
    conn.FailOn = "T1";
    exec.OnErrorMessage = [this](TObject*, const std::string& s) {
        errors.push_back(s);
        EXPECT_EQ(exec.GetCurrentStatement(), exec.GetStatement(0));
    };
    exec.ExecuteScript();
    EXPECT_EQ(exec.GetCurrentStatement(), nullptr);
    exec.ClearStatements();
    exec.OnErrorMessage = [this](TObject*, const std::string& s) { errors.push_back(s); };
    exec.LoadScriptFromFile("missing.sql");
    EXPECT_EQ(errors.back(), "File not found: missing.sql");
}

TEST_F(SQLExecRun, ExecuteStatementLeavesTheConnectionAsFound) {
    exec.GetConnectionOptions().SetDatabaseName("t.fdb");
    TStatement* st = Insert("(1, 'a', 'b')");
    EXPECT_TRUE(exec.ExecuteStatement(st));
    EXPECT_EQ(conn.Journal,
              (Strings{"connect t.fdb", "start", "exec INSERT INTO B (ID, S, V) VALUES (1, 'a', 'b')",
                       "commit", "disconnect"}));
    EXPECT_EQ(exec.GetCurrentStatement(), nullptr);
    EXPECT_FALSE(exec.IsRunning());
    EXPECT_FALSE(exec.ExecuteStatement(nullptr));
}

// A lone LF or CR inside a string literal is data: the server gets the text as it was added, while
// the rendered script keeps CR LF line ends. Texts with CR LF breaks only go line by line as ever.
TEST_F(SQLExecRun, LineBreaksOfAStatementReachTheServerAsAdded) {
    struct Case {
        TStatType kind;
        std::string text;
        Strings rendered;
    };
    const std::vector<Case> cases = {
        {stInsert,
         "INSERT INTO B (ID, S) VALUES (1, 'a\nb')",
         {"INSERT INTO B (ID, S) VALUES (1, 'a", "b');"}},
        {stInsert,
         "INSERT INTO B (ID, S) VALUES (2, 'c\rd')",
         {"INSERT INTO B (ID, S) VALUES (2, 'c", "d');"}},
        {stInsert,
         "INSERT INTO B (ID, S)\nVALUES (3, 'e\r\n\nf')",
         {"INSERT INTO B (ID, S)", "VALUES (3, 'e", "", "f');"}},
        {stStatement, "COMMENT ON TABLE B IS 'g\nh'", {"COMMENT ON TABLE B IS 'g", "h';"}},
        {stUpdate, "UPDATE B SET\r\nS = 'i\r\nj'", {"UPDATE B SET", "S = 'i", "j';"}},
    };
    for (const Case& c : cases)
        exec.AddStatement(c.text, c.kind, "B", dboTable, c.kind == stStatement ? odbComment : odbInsert);
    TStringList lines;
    exec.GetScriptLines(lines, false);
    Strings rendered, expected;
    for (int i = 0; i < lines.Count(); ++i)
        rendered.push_back(lines[i]);
    for (const Case& c : cases) {
        expected.insert(expected.end(), c.rendered.begin(), c.rendered.end());
        expected.push_back(""); // the terminator's CR LF
    }
    EXPECT_EQ(rendered, expected);

    ASSERT_TRUE(exec.ExecuteScript());
    ASSERT_EQ(conn.Executed.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(conn.Executed[i].Text, cases[i].text + "\r\n") << i;
}

// Lines edited after the statement was added win over the text it was added with.
TEST_F(SQLExecRun, EditedLinesAreSentAsEdited) {
    TStatement* st = Insert("(1, 'a\nb')");
    ASSERT_TRUE(st->KeepsSourceText());
    st->Lines.SetString(1, "c')");
    EXPECT_FALSE(st->KeepsSourceText());
    ASSERT_TRUE(exec.ExecuteScript());
    ASSERT_EQ(conn.Executed.size(), 1u);
    EXPECT_EQ(conn.Executed[0].Text, "INSERT INTO B (ID, S, V) VALUES (1, 'a\r\nc')\r\n");
}

TEST(SQLExecLinks, FreedConnectionIsForgottenAndOptionsAreCopied) {
    TSQLExec exec;
    auto conn = std::make_unique<TRecordingConnection>();
    exec.SetSMXConnection(conn.get());
    exec.GetConnectionOptions().SetDatabaseName("m.fdb");
    exec.GetIBServerOptions().SetSQLDialect(1);
    exec.CopyOptionsToConnection();
    EXPECT_EQ(conn->GetConnectionOptions().GetDatabaseName(), "m.fdb");
    EXPECT_EQ(conn->GetIBServerOptions().GetSQLDialect(), 1);
    exec.ClearStatements(); // resets the executor's options
    EXPECT_EQ(exec.GetConnectionOptions().GetDatabaseName(), "");
    EXPECT_EQ(exec.GetIBServerOptions().GetSQLDialect(), 3);
    conn.reset();
    EXPECT_EQ(exec.GetSMXConnection(), nullptr);
}

} // namespace
} // namespace smx
