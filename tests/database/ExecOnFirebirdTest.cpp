// The generic script executor on real Firebird databases through the InterBase connection
// component: a rendered script read back by isql-fb, DDL runs with and without break-on-error,
// a data run with large-object references, a failing description, and a bulk data run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "model/smxSQL_Exec.h"
#include "tests/database/IBXTestSupport.h"

namespace smx::test {
namespace {

using enum TStatType;
using enum TDbObject;
using enum TDbOperation;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

/// An executor on a connection component whose client database component names a test database;
/// the connection starts disconnected.
class ExecOnFirebird : public ::testing::Test {
protected:
    void Use(const std::string& path) {
        ibdb = MakeIBDatabase(path, "WIN1252");
        conn.SetName("Target");
        conn.SetDatabase(ibdb.get());
        connLog.Attach(conn);
        exec.SetName("Exec");
        exec.SetDatabaseType(TDatabaseType::dbInterBase);
        exec.SetSMXConnection(&conn);
        exec.OnLogNextLine = [this](TObject*, const std::string& t) { log.push_back(t); };
        exec.OnErrorMessage = [this](TObject*, const std::string& t) { errors.push_back(t); };
    }
    TStatement* AddDDL(const std::string& text, const std::string& name, TDbObject kind) {
        return exec.AddStatement(text, stStatement, name, kind, odbCreate);
    }
    bool HasLog(const std::string& line) const {
        for (const std::string& l : log)
            if (l == line) return true;
        return false;
    }
    std::vector<std::string> UserRelations(const std::string& path) const {
        return ReadColumnElsewhere(path,
                                   "select rdb$relation_name from rdb$relations where rdb$system_flag = 0 "
                                   "order by rdb$relation_name");
    }

    std::unique_ptr<TIBDatabase> ibdb;
    TSMXConnectionIBX conn;
    TEventLog connLog;
    TSQLExec exec;
    std::vector<std::string> log;
    std::vector<std::string> errors;
};

// ---- Rendering read back by isql ----

void FillRoundTripList(TSQLExec& exec) {
    exec.AddStatement("CREATE TABLE T (A INTEGER)", stStatement, "T", dboTable, odbCreate);
    exec.AddStatement("CREATE PROCEDURE P1\r\nAS\r\nDECLARE VARIABLE X INTEGER;\r\nBEGIN\r\n  X = 1;\r\nEND",
                      stProcedure, "P1", dboProcedure, odbCreate);
    exec.AddStatement(
        "CREATE TRIGGER TR1 FOR T BEFORE INSERT AS\r\nBEGIN\r\n  NEW.A = COALESCE(NEW.A, 0);\r\nEND",
        stTrigger, "TR1", dboTrigger, odbCreate);
    exec.AddComment("/* c */");
    exec.AddStatement("CREATE VIEW V AS SELECT A FROM T", stStatement, "V", dboView, odbCreate);
}

TEST(ExecRenderOnIsql, ScriptRunsWithAndWithoutCommitLines) {
    for (bool commits : {false, true}) {
        SCOPED_TRACE(commits ? "GenerateCOMMIT" : "no COMMIT lines");
        TTestDatabase db(CreateDatabaseSql(), "t.fdb");
        TSQLExec exec;
        exec.SetDatabaseType(TDatabaseType::dbInterBase);
        exec.GetIBServerOptions().GetIBCompareOptions().SetGenerateCOMMIT(commits);
        FillRoundTripList(exec);
        TStringList lines;
        exec.GetScriptLines(lines, false);
        const std::string file = db.Dir().File("s.sql");
        std::ofstream(file, std::ios::binary) << lines.Text();
        const TIsqlResult r = RunIsqlFile(file, "'" + db.Path() + "'");
        ASSERT_TRUE(r.Ok()) << r.Output << "\n" << lines.Text();
        EXPECT_EQ(ReadColumnElsewhere(db.Path(), "select rdb$relation_name from rdb$relations "
                                                 "where rdb$system_flag = 0 order by 1"),
                  (std::vector<std::string>{"T", "V"}));
        EXPECT_EQ(ReadColumnElsewhere(db.Path(), "select rdb$procedure_name from rdb$procedures"),
                  std::vector<std::string>{"P1"});
        EXPECT_EQ(ReadColumnElsewhere(db.Path(), "select rdb$trigger_name from rdb$triggers "
                                                 "where coalesce(rdb$system_flag, 0) = 0"),
                  std::vector<std::string>{"TR1"});
    }
}

// ---- DDL runs ----

void FillDDLList(TSQLExec& exec) {
    exec.AddStatement("CREATE TABLE T1 (A INTEGER)", stStatement, "T1", dboTable, odbCreate);
    exec.AddStatement("CREATE TABLE T1 (A INTEGER)", stStatement, "T1", dboTable, odbCreate);
    exec.AddStatement("CREATE TABLE T3 (B INTEGER)", stStatement, "T3", dboTable, odbCreate);
    exec.AddStatement("CREATE VIEW V3 AS SELECT B FROM T3", stStatement, "V3", dboView, odbCreate);
    exec.AddStatement("CREATE GENERATOR G5", stStatement, "G5", dboGenerator, odbCreate);
}

TEST_F(ExecOnFirebird, DDLRunGoesOnAfterAFailure) {
    TTestDatabase db(CreateDatabaseSql());
    Use(db.Path());
    FillDDLList(exec);
    ASSERT_FALSE(conn.GetConnected());
    EXPECT_FALSE(exec.ExecuteScript());
    EXPECT_EQ(UserRelations(db.Path()), (std::vector<std::string>{"T1", "T3", "V3"}));
    EXPECT_EQ(ReadColumnElsewhere(db.Path(), "select rdb$generator_name from rdb$generators "
                                             "where rdb$system_flag = 0"),
              std::vector<std::string>{"G5"});
    EXPECT_EQ(exec.GetErrorCount(), 1);
    EXPECT_TRUE(Contains(exec.GetStatement(1)->ErrorText, "already exists"))
        << exec.GetStatement(1)->ErrorText;
    EXPECT_TRUE(exec.GetStatement(0)->ErrorText.empty());
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "Updating target database...");
    EXPECT_TRUE(HasLog("< Exec SQL >: T1: create"));
    EXPECT_EQ(log.back(), "< Script executed: 1 errors... >");
    EXPECT_FALSE(conn.GetConnected());
    EXPECT_FALSE(conn.InTransaction());
}

TEST_F(ExecOnFirebird, DDLRunStopsAtTheFirstFailureWithBreakOnError) {
    TTestDatabase db(CreateDatabaseSql());
    Use(db.Path());
    FillDDLList(exec);
    exec.SetBreakOnError(true);
    EXPECT_FALSE(exec.ExecuteScript());
    EXPECT_EQ(UserRelations(db.Path()), std::vector<std::string>{"T1"});
    EXPECT_TRUE(HasLog("< Break on Error! >"));
    EXPECT_FALSE(HasLog("< Script executed succesfully! >"));
    EXPECT_EQ(exec.GetErrorCount(), 1);
    EXPECT_FALSE(conn.GetConnected());
}

TEST_F(ExecOnFirebird, ConnectedConnectionStaysConnected) {
    TTestDatabase db(CreateDatabaseSql());
    Use(db.Path());
    exec.AddStatement("CREATE TABLE T1 (A INTEGER)", stStatement, "T1", dboTable, odbCreate);
    conn.SetConnected(true);
    ASSERT_TRUE(conn.GetConnected());
    EXPECT_TRUE(exec.ExecuteScript());
    EXPECT_EQ(log.back(), "< Script executed succesfully! >");
    EXPECT_TRUE(conn.GetConnected());
    EXPECT_FALSE(conn.InTransaction());
    EXPECT_EQ(UserRelations(db.Path()), std::vector<std::string>{"T1"});
}

TEST_F(ExecOnFirebird, FailingDescriptionIsReportedAndTheRunGoesOn) {
    TTestDatabase db(CreateDatabaseSql());
    Use(db.Path());
    exec.AddStatement("CREATE TABLE A1 (X INTEGER)", stStatement, "A1", dboTable, odbCreate);
    exec.AddStatement("COMMENT ON TABLE NOPE IS 'x'", stDescription, "NOPE", dboTable, odbDescription);
    exec.AddStatement("CREATE TABLE A2 (X INTEGER)", stStatement, "A2", dboTable, odbCreate);
    EXPECT_FALSE(exec.ExecuteScript());
    EXPECT_EQ(exec.GetErrorCount(), 1);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(Contains(errors[0], "NOPE")) << errors[0];
    EXPECT_EQ(UserRelations(db.Path()), (std::vector<std::string>{"A1", "A2"}));
    EXPECT_EQ(log.back(), "< Script executed: 1 errors... >");
    EXPECT_FALSE(conn.GetConnected());
    EXPECT_FALSE(conn.InTransaction());
}

// ---- Data statements around DDL ----

// Data statements share the run's transaction; a DDL statement between them runs in one of its
// own, so its failure never takes rows logged as done with it.
struct MixedRunCase {
    const char* name;
    bool breakOnError;
    std::vector<std::pair<TStatType, std::string>> statements;
    std::vector<std::string> rows; // D's IDs at the end, seen from another attachment
    int errors;
    int ddlIndex;                          // the DDL statement
    std::vector<std::string> rowsAfterDDL; // D's IDs seen elsewhere right after the DDL ran
};

TEST_F(ExecOnFirebird, DataStatementsSurviveTheDDLBetweenThem) {
    const std::string ins1 = "INSERT INTO D (ID) VALUES (1)", ins2 = "INSERT INTO D (ID) VALUES (2)";
    const MixedRunCase cases[] = {
        {"failing DDL",
         false,
         {{stInsert, ins1},
          {stInsert, ins2},
          {stStatement, "CREATE TABLE D (ID INTEGER)"},
          {stInsert, "INSERT INTO D (ID) VALUES (3)"}},
         {"1", "2", "3"},
         1,
         2,
         {"1", "2"}},
        {"failing DDL, break on error",
         true,
         {{stInsert, ins1},
          {stInsert, ins2},
          {stStatement, "CREATE TABLE D (ID INTEGER)"},
          {stInsert, "INSERT INTO D (ID) VALUES (3)"}},
         {"1", "2"},
         1,
         2,
         {"1", "2"}},
        {"DDL on the same table",
         false,
         {{stInsert, ins1},
          {stInsert, ins2},
          {stStatement, "ALTER TABLE D ADD N INTEGER"},
          {stInsert, "INSERT INTO D (ID, N) VALUES (3, 3)"},
          {stInsert, ins1}},
         {"1", "2", "3"},
         1,
         2,
         {"1", "2"}},
        {"DDL on the same table, break on error",
         true,
         {{stInsert, ins1},
          {stStatement, "ALTER TABLE D ADD N INTEGER"},
          {stInsert, ins1},
          {stInsert, "INSERT INTO D (ID, N) VALUES (4, 4)"}},
         {"1"},
         1,
         1,
         {"1"}},
        {"procedure and description between rows",
         false,
         {{stInsert, ins1},
          {stProcedure, "CREATE PROCEDURE P AS BEGIN END"},
          {stDescription, "COMMENT ON TABLE NOPE IS 'x'"},
          {stInsert, ins2}},
         {"1", "2"},
         1,
         2,
         {"1"}},
    };
    for (const MixedRunCase& c : cases) {
        SCOPED_TRACE(c.name);
        TTestDatabase db(CreateDatabaseSql("CREATE TABLE D (ID INTEGER NOT NULL PRIMARY KEY);\n"));
        TSQLExec run;
        TSMXConnectionIBX target;
        std::unique_ptr<TIBDatabase> ib = MakeIBDatabase(db.Path(), "WIN1252");
        target.SetDatabase(ib.get());
        run.SetDatabaseType(TDatabaseType::dbInterBase);
        run.SetSMXConnection(&target);
        run.SetBreakOnError(c.breakOnError);
        std::vector<std::string> errs;
        run.OnErrorMessage = [&errs](TObject*, const std::string& t) { errs.push_back(t); };
        for (const auto& [kind, text] : c.statements)
            run.AddStatement(text, kind, kind == stInsert ? "D" : "X",
                             kind == stInsert ? dboTable : dboUnknown,
                             kind == stInsert ? odbInsert : odbCreate);
        const std::string ids = "select ID from D order by ID";
        std::vector<std::string> afterDDL;
        run.OnAfterStatementExecute = [&](TObject*, int i) {
            if (i == c.ddlIndex) afterDDL = ReadColumnElsewhere(db.Path(), ids);
        };
        EXPECT_FALSE(run.ExecuteScript());
        EXPECT_EQ(run.GetErrorCount(), c.errors) << (errs.empty() ? "" : errs[0]);
        EXPECT_EQ(ReadColumnElsewhere(db.Path(), ids), c.rows);
        EXPECT_EQ(afterDDL, c.rowsAfterDDL);
        EXPECT_FALSE(target.GetConnected());
        run.SetSMXConnection(nullptr);
    }
}

// ---- Data runs ----

class ExecDataOnFirebird : public ExecOnFirebird {
protected:
    void SetUp() override {
        db = std::make_unique<TTestDatabase>(
            CreateDatabaseSql("CREATE TABLE B (ID INTEGER NOT NULL PRIMARY KEY, S VARCHAR(20), "
                              "V BLOB SUB_TYPE 0);\n"));
        Use(db->Path());
        std::ofstream(db->Dir().File("Result.LOB"), std::ios::binary)
            << "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
        exec.OnGetParamValue = [this](TObject*, TParam& p) { asked.push_back(p.Name()); };
    }
    void AddInserts() {
        exec.AddStatement("SET BLOBFILE 'Result.LOB'", stSetBlobFile, "Result.LOB");
        for (const char* text : {"INSERT INTO B (ID, S, V) VALUES (1, 'a', :h0000001A_00000004)",
                                 "INSERT INTO B (ID, S, V) VALUES (2, '12\" disk', :h0000001A_00000000)",
                                 "INSERT INTO B (ID, S, V) VALUES (3, 'c', :KEY1)",
                                 "INSERT INTO B (ID, S, V) VALUES (1, 'dup', :h0000001A_00000004)",
                                 "INSERT INTO B (ID, S, V) VALUES (5, 'e', :h00000020_00000010)"})
            exec.AddStatement(text, stInsert, "B", dboTable, odbInsert);
    }
    std::vector<std::string> RowsSeenElsewhere() const {
        return ReadColumnElsewhere(db->Path(),
                                   "select ID || ':' || S || ':' || coalesce(octet_length(V), -1) "
                                   "from B order by ID");
    }

    std::unique_ptr<TTestDatabase> db;
    std::vector<std::string> asked;
};

TEST_F(ExecDataOnFirebird, LargeObjectReferencesReadFromTheFile) {
    exec.SetScriptFileName(db->Dir().File("Result.SQL"));
    AddInserts();
    std::vector<std::vector<std::string>> seenDuringRun;
    exec.OnAfterStatementExecute = [&](TObject*, int) { seenDuringRun.push_back(RowsSeenElsewhere()); };
    EXPECT_FALSE(exec.ExecuteScript());
    EXPECT_EQ(exec.GetErrorCount(), 2);
    EXPECT_EQ(asked, std::vector<std::string>{"KEY1"});
    for (const auto& rows : seenDuringRun)
        EXPECT_TRUE(rows.empty()) << rows.size();
    EXPECT_EQ(RowsSeenElsewhere(), (std::vector<std::string>{"1:a:4", "2:12\" disk:0", "3:c:-1"}));
    EXPECT_EQ(ReadColumnElsewhere(db->Path(), "select V from B where ID = 1"),
              std::vector<std::string>{"QRST"});
    EXPECT_TRUE(Contains(exec.GetStatement(4)->ErrorText, "PRIMARY")) << exec.GetStatement(4)->ErrorText;
    EXPECT_FALSE(exec.GetStatement(5)->ErrorText.empty());
    EXPECT_FALSE(conn.GetConnected());
    EXPECT_FALSE(conn.InTransaction());
}

TEST_F(ExecDataOnFirebird, WithoutScriptFileNameReferencesGoToTheHandler) {
    // A file of that name in the working directory must not be picked up.
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(db->Dir().Path());
    AddInserts();
    const bool ok = exec.ExecuteScript();
    std::filesystem::current_path(before);
    EXPECT_FALSE(ok);
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors[0], "ScriptFileName not specified (for BlobFile).");
    EXPECT_EQ(asked, (std::vector<std::string>{"h0000001A_00000004", "h0000001A_00000000", "KEY1",
                                               "h0000001A_00000004", "h00000020_00000010"}));
    // Rows 1, 2, 3 and 5 go in with null values; the duplicate fails.
    EXPECT_EQ(RowsSeenElsewhere(),
              (std::vector<std::string>{"1:a:-1", "2:12\" disk:-1", "3:c:-1", "5:e:-1"}));
    EXPECT_FALSE(conn.GetConnected());
}

// Names inside comments are no parameters: the values bound by position must land in the
// columns their names say.
TEST_F(ExecOnFirebird, CommentedParameterNamesBindNothing) {
    TTestDatabase db(CreateDatabaseSql("CREATE TABLE C (ID INTEGER NOT NULL PRIMARY KEY, S VARCHAR(10));\n"));
    Use(db.Path());
    exec.AddStatement("INSERT INTO C (ID, S) VALUES (/* was :old */ :ID, :S)", stInsert, "C", dboTable,
                      odbInsert);
    exec.AddStatement("INSERT INTO C (ID, S) VALUES (:ID2, -- don't\r\n:S)", stInsert, "C", dboTable,
                      odbInsert);
    std::vector<std::string> asked;
    exec.OnGetParamValue = [&asked](TObject*, TParam& p) {
        asked.push_back(p.Name());
        if (p.Name() == "old")
            p.SetAsInteger(99);
        else if (p.Name() == "ID")
            p.SetAsInteger(1);
        else if (p.Name() == "ID2")
            p.SetAsInteger(2);
        else
            p.SetAsString("right");
    };
    EXPECT_TRUE(exec.ExecuteScript()) << (errors.empty() ? "" : errors[0]);
    EXPECT_EQ(asked, (std::vector<std::string>{"ID", "S", "ID2", "S"}));
    EXPECT_EQ(ReadColumnElsewhere(db.Path(), "select ID || ',' || S from C order by ID"),
              (std::vector<std::string>{"1,right", "2,right"}));
}

TEST_F(ExecOnFirebird, BulkInsertWithParametersThenReadBack) {
    TTestDatabase db(CreateDatabaseSql());
    Use(db.Path());
    constexpr int rows = 10000;
    exec.AddStatement("CREATE TABLE N (ID INTEGER NOT NULL PRIMARY KEY, S VARCHAR(20), F DOUBLE PRECISION)",
                      stStatement, "N", dboTable, odbCreate);
    for (int i = 0; i < rows; ++i)
        exec.AddStatement("INSERT INTO N (ID, S, F) VALUES (:ID, :S, :F)", stInsert, "N", dboTable,
                          odbInsert);
    int current = 0;
    exec.OnBeforeStatementExecute = [&current](TObject*, int index) { current = index; };
    exec.OnGetParamValue = [&current](TObject*, TParam& p) {
        if (p.Name() == "ID")
            p.SetAsInteger(current);
        else if (p.Name() == "S")
            p.SetAsString("row " + IntToStr(current));
        else
            p.SetAsFloat(current / 4.0);
    };
    EXPECT_TRUE(exec.ExecuteScript()) << (errors.empty() ? "" : errors[0]);
    EXPECT_EQ(log.back(), "< Script executed succesfully! >");
    EXPECT_FALSE(conn.GetConnected());
    EXPECT_EQ(connLog.Count("after-disconnect"), 1);
    EXPECT_EQ(connLog.Count("after-connect"), 1);

    conn.SetConnected(true);
    ASSERT_TRUE(conn.GetConnected());
    std::unique_ptr<TSMXQuery> q(conn.CreateQuery(nullptr));
    q->GetSQL()->SetText("select ID, S, F from N where ID >= :LO order by ID");
    q->ParamByName("LO")->SetAsInteger(1);
    q->Open();
    int n = 0;
    bool same = true;
    for (; !q->GetEof(); q->Next()) {
        ++n;
        const std::int64_t id = q->FieldByName("ID")->AsInteger();
        same = same && id == n && q->FieldByName("S")->AsString() == "row " + IntToStr(id) &&
               q->FieldByName("F")->AsFloat() == static_cast<double>(id) / 4.0;
    }
    q->Close();
    EXPECT_EQ(n, rows);
    EXPECT_TRUE(same);
    conn.SetConnected(false);
    EXPECT_FALSE(conn.GetConnected());
}

} // namespace
} // namespace smx::test
