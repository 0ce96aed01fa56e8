// Keys and indices compared and run on real Firebird 3 databases: a changed primary key with the
// foreign keys that hang on it (one of them written without referenced columns), and indices that
// are added, dropped, changed, switched off and described. Each scenario runs twice: with the
// structures built in code as the script parser builds them, and with the structures parsed from
// the scripts themselves. The target database is built by isql-fb from its script, and the master's
// database from the master's, to compare the results. A fixture parsed and written back as a DDL
// script gives the same database as the fixture.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "parsing/smxIBParser.h"
#include "tests/database/IBXTestSupport.h"
#include "tests/model/KeysTestSupport.h"

namespace smx::test {
namespace {

using namespace smx::keytest;
using Strings = std::vector<std::string>;

/// isql-fb -x of the database, without the line that names the database file.
std::string ExtractDdl(const std::string& path) {
    const std::string out = IsqlExtract(path);
    std::string kept;
    for (const std::string& line : SplitLines(out))
        if (line.find("CREATE DATABASE") == std::string::npos) kept += line + "\n";
    return kept;
}

/// Every user index: name, table, unique, type, inactive, expression and segments.
std::vector<std::string> UserIndices(const std::string& path) {
    return ReadColumnElsewhere(
        path, "select trim(i.rdb$index_name) || '|' || trim(i.rdb$relation_name) || '|' || "
              "coalesce(i.rdb$unique_flag, 0) || '|' || coalesce(i.rdb$index_type, 0) || '|' || "
              "coalesce(i.rdb$index_inactive, 0) || '|' || coalesce(i.rdb$expression_source, '') || '|' || "
              "coalesce((select list(f) from (select trim(s.rdb$field_name) f from rdb$index_segments s "
              "where s.rdb$index_name = i.rdb$index_name order by s.rdb$field_position)), '') "
              "from rdb$indices i where coalesce(i.rdb$system_flag, 0) = 0 order by i.rdb$index_name");
}

/// Master and target structures (Firebird 3, dialect 3, UTF8, COMMENT ON) compared into an executor
/// that runs on the target database through the InterBase connection.
struct TargetRun : TCompareRun {
    explicit TargetRun(const std::string& targetPath) : ibdb(MakeIBDatabase(targetPath, "UTF8")) {
        TConnectionOptions& c = target.Objs()->GetConnectionOptions();
        c.SetDatabaseName(targetPath);
        c.SetUserName("SYSDBA");
        c.SetPassword("masterkey");
        conn.SetDatabase(ibdb.get());
        exec.SetSMXConnection(&conn);
        exec.OnErrorMessage = [this](TObject*, const std::string& t) { errors.push_back(t); };
    }
    /// The texts of the statements sent to the server, in order.
    std::vector<std::string> Executable() const {
        std::vector<std::string> r;
        for (const TSeen& s : rec.seen)
            if (s.StatType == TStatType::stStatement || s.StatType == TStatType::stReconnect ||
                s.StatType == TStatType::stDescription)
                r.push_back(s.Text);
        return r;
    }

    std::unique_ptr<TIBDatabase> ibdb;
    TSMXConnectionIBX conn;
    std::vector<std::string> errors;
};

constexpr std::uint8_t Integer = 1;
constexpr std::uint8_t Varchar = 14;

// A table of the columns: name, type code, length, NOT NULL.
struct Col {
    const char* name;
    std::uint8_t type;
    int length;
    bool notNull;
};
TTblData* AddTable(TObjs* objs, const char* name, std::initializer_list<Col> cols) {
    auto* t = new TTblData(objs);
    t->SetName(name);
    for (const Col& c : cols) {
        TFldData* f = t->AddField(c.name);
        f->DataType = c.type;
        f->Length = c.length;
        f->Nullable = !c.notNull;
    }
    objs->AddObject(t, true);
    return t;
}

/// Prepares the structure and parses the script into it (dialect 3 kept), then runs the link passes.
void ParseInto(TDBStructure& s, const std::string& script) {
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
    for (int i = 0; i < p.GetMsgManager().Count(); ++i)
        ADD_FAILURE() << p.GetMsgManager()[i].Text << "\n" << script;
}

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

/// Where a scenario's structures come from.
enum class Source { Code, Script };

class KeysOnFirebird : public ::testing::TestWithParam<Source> {};

// ---------------------------------------------------------------------------------------------------
// A changed primary key

const char* const DeptTables = "CREATE TABLE DEPT (ID INTEGER NOT NULL, CODE VARCHAR(10), NAME VARCHAR(30), "
                               "BUDGET INTEGER DEFAULT 0);\n"
                               "CREATE TABLE EMP (ID INTEGER NOT NULL, DEPT_ID INTEGER, NAME VARCHAR(30), "
                               "CONSTRAINT PK_EMP PRIMARY KEY (ID));\n"
                               "CREATE TABLE T2 (A INTEGER, DEPT_ID INTEGER);\n";

// DEPT, EMP and T2 with their keys; the master's primary key of DEPT has a descending index of its
// own and its T2 foreign key names the referenced column, the target's neither.
void DeptModel(TObjs* o, bool master) {
    AddTable(o, "DEPT",
             {{"ID", Integer, 0, true},
              {"CODE", Varchar, 10, false},
              {"NAME", Varchar, 30, false},
              {"BUDGET", Integer, 0, false}})
        ->FindField("BUDGET")
        ->DefaultValue = "0";
    AddTable(o, "EMP",
             {{"ID", Integer, 0, true}, {"DEPT_ID", Integer, 0, false}, {"NAME", Varchar, 30, false}});
    AddTable(o, "T2", {{"A", Integer, 0, false}, {"DEPT_ID", Integer, 0, false}});
    Constraint(o, ctPrimaryKey, "PK_DEPT", "DEPT", {"ID"}, [&](TCtrData& k) {
        if (!master) return;
        k.IndexName = "IX_DEPT_PK";
        k.IndexDescending = true;
    });
    Constraint(o, ctPrimaryKey, "PK_EMP", "EMP", {"ID"});
    ForeignKey(o, "FK_EMP_DEPT", "EMP", {"DEPT_ID"}, "DEPT", {"ID"}, raCascade);
    if (master)
        ForeignKey(o, "FK_T2_DEPT", "T2", {"DEPT_ID"}, "DEPT", {"ID"});
    else
        ForeignKey(o, "FK_T2_DEPT", "T2", {"DEPT_ID"}, "DEPT", {});
    LinkAll(o);
}

TEST_P(KeysOnFirebird, ChangedPrimaryKeyTakesItsForeignKeysAlong) {
    const std::string targetKeys =
        std::string(DeptTables) +
        "ALTER TABLE DEPT ADD CONSTRAINT PK_DEPT PRIMARY KEY (ID);\n"
        "ALTER TABLE EMP ADD CONSTRAINT FK_EMP_DEPT FOREIGN KEY (DEPT_ID) REFERENCES DEPT (ID) "
        "ON DELETE CASCADE;\n"
        "ALTER TABLE T2 ADD CONSTRAINT FK_T2_DEPT FOREIGN KEY (DEPT_ID) REFERENCES DEPT;\n";
    const std::string target = targetKeys + "INSERT INTO DEPT (ID, CODE) VALUES (1, 'A');\n"
                                            "INSERT INTO DEPT (ID, CODE) VALUES (2, 'B');\n"
                                            "INSERT INTO EMP (ID, DEPT_ID) VALUES (10, 1);\n"
                                            "INSERT INTO EMP (ID, DEPT_ID) VALUES (11, 1);\n"
                                            "INSERT INTO EMP (ID, DEPT_ID) VALUES (12, 2);\n"
                                            "INSERT INTO T2 (A, DEPT_ID) VALUES (5, 2);\n"
                                            "COMMIT;\n";
    const std::string master =
        std::string(DeptTables) +
        "ALTER TABLE DEPT ADD CONSTRAINT PK_DEPT PRIMARY KEY (ID) USING DESC INDEX IX_DEPT_PK;\n"
        "ALTER TABLE EMP ADD CONSTRAINT FK_EMP_DEPT FOREIGN KEY (DEPT_ID) REFERENCES DEPT (ID) "
        "ON DELETE CASCADE;\n"
        "ALTER TABLE T2 ADD CONSTRAINT FK_T2_DEPT FOREIGN KEY (DEPT_ID) REFERENCES DEPT (ID);\n";
    const std::string clauses = "PAGE_SIZE 4096 DEFAULT CHARACTER SET UTF8";
    TTestDatabase tdb(CreateDatabaseSql(target, clauses), "t.fdb");
    TTestDatabase mdb(CreateDatabaseSql(master, clauses), "m.fdb");

    // On its own the key cannot go: the server refuses while foreign keys use it.
    const TIsqlResult alone = tdb.Run("ALTER TABLE DEPT DROP CONSTRAINT PK_DEPT;\n");
    EXPECT_FALSE(alone.Ok());
    EXPECT_NE(alone.Output.find("Cannot delete PRIMARY KEY being used in FOREIGN KEY definition"),
              std::string::npos)
        << alone.Output;

    TargetRun r(tdb.Path());
    if (GetParam() == Source::Code) {
        DeptModel(r.M(), true);
        DeptModel(r.T(), false);
    } else {
        ParseInto(r.master, master);
        ParseInto(r.target, targetKeys);
    }
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

    EXPECT_TRUE(r.exec.ExecuteScript()) << (r.errors.empty() ? "" : r.errors.front());
    EXPECT_EQ(r.exec.GetErrorCount(), 0);
    r.cmp.SetSQLExec(nullptr);
    r.conn.SetConnected(false);
    const std::string ddl = ExtractDdl(tdb.Path());
    EXPECT_NE(ddl.find("CONSTRAINT PK_DEPT PRIMARY KEY (ID) USING DESCENDING INDEX IX_DEPT_PK"),
              std::string::npos)
        << ddl;
    EXPECT_EQ(ddl, ExtractDdl(mdb.Path()));
    // The cascade still works on the new key.
    const TIsqlResult del = tdb.Run("DELETE FROM DEPT WHERE ID = 1;\nCOMMIT;\n");
    ASSERT_TRUE(del.Ok()) << del.Output;
    EXPECT_EQ(ReadColumnElsewhere(tdb.Path(), "select count(*) from emp"), Strings{"1"});

    // The target now reads as the master (parsed from its own isql-fb -x): nothing to run.
    TargetRun again(tdb.Path());
    if (GetParam() == Source::Code) {
        DeptModel(again.M(), true);
        DeptModel(again.T(), true);
    } else {
        ParseInto(again.master, master);
        ParseInto(again.target, ddl);
    }
    again.Run();
    EXPECT_EQ(again.exec.GetHasExecutableStatements(), 0) << again.Script();
    again.cmp.SetSQLExec(nullptr);
}

// ---------------------------------------------------------------------------------------------------
// Indices

const char* const IndexTable = "CREATE TABLE T (A INTEGER, B INTEGER, C VARCHAR(20), NAME VARCHAR(30));\n";

// The indices of both sides, built in code: the target's IX_A, IX_OLD, IX_ACT and IX_CHG; the master's
// IX_A on two columns, IX_ACT switched off, IX_CHG an inactive unique expression index and a new
// IX_NEW, descending, inactive and described.
void IndexModel(TargetRun& r) {
    for (TObjs* o : {r.M(), r.T()})
        AddTable(o, "T",
                 {{"A", Integer, 0, false},
                  {"B", Integer, 0, false},
                  {"C", Varchar, 20, false},
                  {"NAME", Varchar, 30, false}});
    Index(r.T(), "IX_A", "T", {"A"});
    Index(r.T(), "IX_OLD", "T", {"B"});
    Index(r.T(), "IX_ACT", "T", {"C"});
    Index(r.T(), "IX_CHG", "T", {"B"});
    Index(r.M(), "IX_A", "T", {"A", "B"});
    Index(r.M(), "IX_ACT", "T", {"C"})->Active = false;
    TIdxData* chg = Index(r.M(), "IX_CHG", "T", {});
    chg->Unique = true;
    chg->SetSource("(UPPER(NAME))");
    chg->Active = false;
    TIdxData* fresh = Index(r.M(), "IX_NEW", "T", {"NAME"});
    fresh->Descending = true;
    fresh->Active = false;
    fresh->SetDescription("the new one");
    LinkAll(r.M());
    LinkAll(r.T());
}

TEST_P(KeysOnFirebird, IndicesAddedDroppedChangedAndSwitchedOff) {
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

    TargetRun r(tdb.Path());
    if (GetParam() == Source::Script) {
        ParseInto(r.master, master);
        ParseInto(r.target, target);
    } else {
        IndexModel(r);
    }

    r.Run();
    const std::string first = r.Script();
    r.Run();
    EXPECT_EQ(r.Script(), first);
    for (const std::string& s :
         {std::string("ALTER INDEX IX_ACT INACTIVE"), std::string("ALTER INDEX IX_CHG INACTIVE"),
          std::string("ALTER INDEX IX_NEW INACTIVE")})
        EXPECT_NE(first.find(s), std::string::npos) << s << "\n" << first;

    EXPECT_TRUE(r.exec.ExecuteScript()) << (r.errors.empty() ? "" : r.errors.front()) << "\n" << first;
    EXPECT_EQ(r.exec.GetErrorCount(), 0);
    r.cmp.SetSQLExec(nullptr);
    r.conn.SetConnected(false);
    const Strings expected = UserIndices(mdb.Path());
    ASSERT_EQ(expected.size(), 4u);
    EXPECT_EQ(UserIndices(tdb.Path()), expected);
    EXPECT_EQ(ReadColumnElsewhere(tdb.Path(),
                                  "select rdb$description from rdb$indices where rdb$index_name = 'IX_NEW'"),
              Strings{"the new one"});
}

INSTANTIATE_TEST_SUITE_P(CodeAndScript, KeysOnFirebird, ::testing::Values(Source::Code, Source::Script),
                         [](const auto& info) { return info.param == Source::Code ? "Code" : "Script"; });

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

TEST(KeysOnFirebirdScript, FixtureWrittenBackGivesTheSameDatabase) {
    const std::string clauses = "PAGE_SIZE 4096 DEFAULT CHARACTER SET UTF8";
    TTestDatabase fdb(CreateDatabaseSql(Fixture, clauses), "fixture.fdb");

    TDBStructure s;
    ParseInto(s, Fixture);
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

} // namespace
} // namespace smx::test
