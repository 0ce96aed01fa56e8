// Keys, checks and indices read from scripts and checked on real Firebird 3 databases: a fixture
// parsed and written back as a DDL script gives the same database as the fixture itself; a changed
// primary key and changed indices compared from two parsed scripts run on the target database and
// leave it as the master's. Structures: Firebird 3, dialect 3, UTF8, COMMENT ON.
#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "parsing/smxIBParser.h"
#include "tests/database/KeysOnFirebirdSupport.h"

namespace smx::test {
namespace {

using namespace smx::keytest;
using Strings = std::vector<std::string>;

// Every foreign key: name, the key it uses and its rules.
Strings RefConstraints(const std::string& path) {
    return ReadColumnElsewhere(path,
                               "select trim(rdb$constraint_name) || '|' || trim(rdb$const_name_uq) || '|' || "
                               "trim(rdb$update_rule) || '|' || trim(rdb$delete_rule) "
                               "from rdb$ref_constraints order by rdb$constraint_name");
}

/// The texts with the names the server made up for unnamed constraints (INTEG_n) made equal: their
/// numbers follow the order of creation, which a written script need not keep.
Strings Masked(Strings rows) {
    static const std::regex integ("INTEG_[0-9]+");
    for (std::string& r : rows)
        r = std::regex_replace(r, integ, "INTEG_n");
    return rows;
}

/// Prepares the structure as the checks want it and parses Script into it (dialect 3 kept).
void ParseInto(TDBStructure& s, const std::string& script, Strings* errors = nullptr) {
    Prepare(s);
    TIbParser p;
    p.SetScriptName("script.sql");
    p.ReadFileHook = [script](const std::string&, std::string& bytes) {
        bytes = script;
        return TFileReadStatus::frOk;
    };
    p.OnErrorMessage = [](TObject*, const std::string&) {};
    p.ParseFile("script.sql", s.Objs());
    p.LinkObjects();
    if (errors)
        for (int i = 0; i < p.GetMsgManager().Count(); ++i)
            errors->push_back(p.GetMsgManager()[i].Text);
}

// ---------------------------------------------------------------------------------------------------
// Round trip: fixture -> structure -> DDL script -> database

// The check sources are written "CHECK(" as the model writes them, since Firebird keeps a check's
// source as typed; one unnamed check and one unnamed foreign key per table at most, since isql-fb -x
// orders those by the names the server made up.
const char* const Fixture =
    "CREATE TABLE DEPT (ID INTEGER NOT NULL, CODE VARCHAR(10) NOT NULL, NAME VARCHAR(30) DEFAULT 'none',\n"
    "  BUDGET NUMERIC(18, 2) DEFAULT 0,\n"
    "  CONSTRAINT PK_DEPT PRIMARY KEY (ID), CONSTRAINT UQ_DEPT_CODE UNIQUE (CODE));\n"
    "CREATE TABLE EMP (ID INTEGER NOT NULL PRIMARY KEY, DEPT_ID INTEGER, BOSS_ID INTEGER,\n"
    "  NAME VARCHAR(30) NOT NULL, MAIL VARCHAR(60) NOT NULL UNIQUE, SALARY INTEGER DEFAULT -1,\n"
    "  HIRED TIMESTAMP DEFAULT CURRENT_TIMESTAMP);\n"
    "CREATE TABLE T2 (A INTEGER NOT NULL, B INTEGER NOT NULL, C INTEGER);\n"
    "ALTER TABLE T2 ADD CONSTRAINT PK_T2 PRIMARY KEY (A, B) USING DESC INDEX IX_PK_T2;\n"
    "ALTER TABLE EMP ADD CONSTRAINT FK_EMP_DEPT FOREIGN KEY (DEPT_ID) REFERENCES DEPT (ID)\n"
    "  ON DELETE CASCADE ON UPDATE SET NULL;\n"
    "ALTER TABLE EMP ADD FOREIGN KEY (BOSS_ID) REFERENCES EMP (ID) ON DELETE SET NULL;\n"
    "ALTER TABLE T2 ADD CONSTRAINT FK_T2_DEPT FOREIGN KEY (C) REFERENCES DEPT (ID) ON UPDATE CASCADE;\n"
    "ALTER TABLE DEPT ADD CONSTRAINT CHK_BUDGET CHECK(BUDGET >= 0);\n"
    "ALTER TABLE EMP ADD CHECK(SALARY >= -1);\n"
    "CREATE INDEX IX_EMP_NAME ON EMP (NAME);\n"
    "CREATE DESCENDING INDEX IX_EMP_HIRED ON EMP (HIRED);\n"
    "CREATE UNIQUE INDEX IX_DEPT_NAME ON DEPT (NAME);\n"
    "CREATE INDEX IX_EMP_UNAME ON EMP COMPUTED BY (UPPER(NAME));\n"
    "CREATE UNIQUE DESC INDEX IX_T2_C ON T2 (C);\n"
    "ALTER INDEX IX_T2_C INACTIVE;\n"
    "COMMENT ON INDEX IX_EMP_NAME IS 'by name';\n";

TEST(ScriptKeysOnFirebird, FixtureWrittenBackGivesTheSameDatabase) {
    const std::string clauses = "PAGE_SIZE 4096 DEFAULT CHARACTER SET UTF8";
    TTestDatabase fdb(CreateDatabaseSql(Fixture, clauses), "fixture.fdb");

    TDBStructure s;
    Strings errors;
    ParseInto(s, Fixture, &errors);
    EXPECT_TRUE(errors.empty()) << errors.front();
    TTempDir dir("smxrt");
    const std::string path = dir.File("written.fdb");
    TConnectionOptions& c = s.Objs()->GetConnectionOptions();
    c.SetDatabaseName(path);
    c.SetUserName("SYSDBA");
    c.SetPassword("masterkey");
    s.Objs()->GetIBServerOptions().GetIBDatabaseOptions().SetPageSize(4096);
    s.Objs()->GetScript();
    const std::string script = s.Objs()->GetScriptLines().Text();
    const TIsqlResult run = RunIsqlScript(dir, script);
    ASSERT_TRUE(run.Ok()) << run.Output << "\n" << script;

    EXPECT_EQ(ExtractDdl(path), ExtractDdl(fdb.Path())) << script;
    const Strings indices = UserIndices(fdb.Path());
    EXPECT_EQ(indices.size(), 13u); // with the indices of the keys
    EXPECT_EQ(UserIndices(path), indices) << script;
    EXPECT_EQ(Masked(RefConstraints(path)), Masked(RefConstraints(fdb.Path())));
    EXPECT_EQ(ReadColumnElsewhere(
                  path, "select rdb$description from rdb$indices where rdb$index_name = 'IX_EMP_NAME'"),
              Strings{"by name"});
}

// ---------------------------------------------------------------------------------------------------
// Comparisons of parsed scripts, run on the target database

// Master and target parsed from their scripts, compared into an executor that runs on the target
// database through the InterBase connection.
struct ScriptRun : TargetRun {
    ScriptRun(const std::string& targetPath, const std::string& masterScript, const std::string& targetScript)
        : TargetRun(targetPath) {
        ParseInto(master, masterScript, &parseErrors);
        ParseInto(target, targetScript, &parseErrors);
    }
    ~ScriptRun() {
        cmp.SetSQLExec(nullptr);
        conn.SetConnected(false);
    }
    /// Runs the script and lets go of the database.
    void Execute() {
        EXPECT_TRUE(exec.ExecuteScript()) << (errors.empty() ? "" : errors.front()) << "\n" << Script();
        EXPECT_EQ(exec.GetErrorCount(), 0);
        conn.SetConnected(false);
    }

    Strings parseErrors;
};

const char* const DeptTables = "CREATE TABLE DEPT (ID INTEGER NOT NULL, CODE VARCHAR(10), NAME VARCHAR(30), "
                               "BUDGET INTEGER DEFAULT 0);\n"
                               "CREATE TABLE EMP (ID INTEGER NOT NULL, DEPT_ID INTEGER, NAME VARCHAR(30), "
                               "CONSTRAINT PK_EMP PRIMARY KEY (ID));\n"
                               "CREATE TABLE T2 (A INTEGER, DEPT_ID INTEGER);\n";

TEST(ScriptKeysOnFirebird, ChangedPrimaryKeyTakesItsForeignKeysAlong) {
    const std::string targetKeys =
        std::string(DeptTables) +
        "ALTER TABLE DEPT ADD CONSTRAINT PK_DEPT PRIMARY KEY (ID);\n"
        "ALTER TABLE EMP ADD CONSTRAINT FK_EMP_DEPT FOREIGN KEY (DEPT_ID) REFERENCES DEPT (ID) ON DELETE "
        "CASCADE;\n"
        "ALTER TABLE T2 ADD CONSTRAINT FK_T2_DEPT FOREIGN KEY (DEPT_ID) REFERENCES DEPT;\n";
    const std::string rows = "INSERT INTO DEPT (ID, CODE) VALUES (1, 'A');\n"
                             "INSERT INTO DEPT (ID, CODE) VALUES (2, 'B');\n"
                             "INSERT INTO EMP (ID, DEPT_ID) VALUES (10, 1);\n"
                             "INSERT INTO EMP (ID, DEPT_ID) VALUES (11, 1);\n"
                             "INSERT INTO EMP (ID, DEPT_ID) VALUES (12, 2);\n"
                             "INSERT INTO T2 (A, DEPT_ID) VALUES (5, 2);\n"
                             "COMMIT;\n";
    const std::string master =
        std::string(DeptTables) +
        "ALTER TABLE DEPT ADD CONSTRAINT PK_DEPT PRIMARY KEY (ID) USING DESC INDEX IX_DEPT_PK;\n"
        "ALTER TABLE EMP ADD CONSTRAINT FK_EMP_DEPT FOREIGN KEY (DEPT_ID) REFERENCES DEPT (ID) ON DELETE "
        "CASCADE;\n"
        "ALTER TABLE T2 ADD CONSTRAINT FK_T2_DEPT FOREIGN KEY (DEPT_ID) REFERENCES DEPT (ID);\n";
    const std::string clauses = "PAGE_SIZE 4096 DEFAULT CHARACTER SET UTF8";
    TTestDatabase tdb(CreateDatabaseSql(targetKeys + rows, clauses), "t.fdb");
    TTestDatabase mdb(CreateDatabaseSql(master, clauses), "m.fdb");

    // On its own the key cannot go: the server refuses while foreign keys use it.
    const TIsqlResult alone = tdb.Run("ALTER TABLE DEPT DROP CONSTRAINT PK_DEPT;\n");
    EXPECT_FALSE(alone.Ok());
    EXPECT_NE(alone.Output.find("Cannot delete PRIMARY KEY being used in FOREIGN KEY definition"),
              std::string::npos)
        << alone.Output;

    {
        ScriptRun r(tdb.Path(), master, targetKeys);
        EXPECT_TRUE(r.parseErrors.empty()) << r.parseErrors.front();
        r.Run();
        const Strings expected = {
            "RECONNECT",
            "ALTER TABLE EMP DROP CONSTRAINT FK_EMP_DEPT",
            "ALTER TABLE T2 DROP CONSTRAINT FK_T2_DEPT",
            "ALTER TABLE DEPT DROP CONSTRAINT PK_DEPT",
            "ALTER TABLE DEPT ADD CONSTRAINT PK_DEPT PRIMARY KEY (ID)\r\nUSING DESC INDEX IX_DEPT_PK",
            "RECONNECT",
            "ALTER TABLE EMP ADD CONSTRAINT FK_EMP_DEPT FOREIGN KEY (DEPT_ID) REFERENCES DEPT (ID) ON DELETE "
            "CASCADE",
            "ALTER TABLE T2 ADD CONSTRAINT FK_T2_DEPT FOREIGN KEY (DEPT_ID) REFERENCES DEPT (ID)",
        };
        ASSERT_EQ(r.Executable(), expected) << r.Script();
        r.Execute();
    }
    const std::string ddl = ExtractDdl(tdb.Path());
    EXPECT_NE(ddl.find("CONSTRAINT PK_DEPT PRIMARY KEY (ID) USING DESCENDING INDEX IX_DEPT_PK"),
              std::string::npos)
        << ddl;
    EXPECT_EQ(ddl, ExtractDdl(mdb.Path()));
    // The cascade still works on the new key.
    const TIsqlResult del = tdb.Run("DELETE FROM DEPT WHERE ID = 1;\nCOMMIT;\n");
    ASSERT_TRUE(del.Ok()) << del.Output;
    EXPECT_EQ(ReadColumnElsewhere(tdb.Path(), "select count(*) from emp"), Strings{"1"});

    // The target's own extract, parsed as the target, reads as the master: nothing to run.
    ScriptRun again(tdb.Path(), master, ddl);
    EXPECT_TRUE(again.parseErrors.empty()) << again.parseErrors.front() << "\n" << ddl;
    again.Run();
    EXPECT_EQ(again.exec.GetHasExecutableStatements(), 0) << again.Script();
}

const char* const IndexTable = "CREATE TABLE T (A INTEGER, B INTEGER, C VARCHAR(20), NAME VARCHAR(30));\n";

TEST(ScriptKeysOnFirebird, IndicesAddedDroppedChangedAndSwitchedOff) {
    const std::string target = std::string(IndexTable) + "CREATE INDEX IX_A ON T (A);\n"
                                                         "CREATE INDEX IX_OLD ON T (B);\n"
                                                         "CREATE INDEX IX_ACT ON T (C);\n"
                                                         "CREATE INDEX IX_CHG ON T (B);\n";
    const std::string master = std::string(IndexTable) +
                               "CREATE INDEX IX_A ON T (A, B);\n"
                               "CREATE INDEX IX_ACT ON T (C);\nALTER INDEX IX_ACT INACTIVE;\n"
                               "CREATE UNIQUE INDEX IX_CHG ON T COMPUTED BY (UPPER(NAME));\n"
                               "ALTER INDEX IX_CHG INACTIVE;\n"
                               "CREATE DESC INDEX IX_NEW ON T (NAME);\nALTER INDEX IX_NEW INACTIVE;\n"
                               "COMMENT ON INDEX IX_NEW IS 'the new one';\n";
    const std::string clauses = "PAGE_SIZE 4096 DEFAULT CHARACTER SET UTF8";
    TTestDatabase tdb(
        CreateDatabaseSql(target + "INSERT INTO T VALUES (1, 2, 'x', 'n');\nCOMMIT;\n", clauses), "t.fdb");
    TTestDatabase mdb(CreateDatabaseSql(master, clauses), "m.fdb");

    {
        ScriptRun r(tdb.Path(), master, target);
        EXPECT_TRUE(r.parseErrors.empty()) << r.parseErrors.front();
        r.Run();
        const std::string first = r.Script();
        r.Run();
        EXPECT_EQ(r.Script(), first);
        for (const std::string& s :
             {std::string("ALTER INDEX IX_ACT INACTIVE"), std::string("ALTER INDEX IX_CHG INACTIVE"),
              std::string("ALTER INDEX IX_NEW INACTIVE")})
            EXPECT_NE(first.find(s), std::string::npos) << s << "\n" << first;
        r.Execute();
    }
    const Strings expected = UserIndices(mdb.Path());
    ASSERT_EQ(expected.size(), 4u);
    EXPECT_EQ(UserIndices(tdb.Path()), expected);
    EXPECT_EQ(ReadColumnElsewhere(tdb.Path(),
                                  "select rdb$description from rdb$indices where rdb$index_name = 'IX_NEW'"),
              Strings{"the new one"});
}

} // namespace
} // namespace smx::test
