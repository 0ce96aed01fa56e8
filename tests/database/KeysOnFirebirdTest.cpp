// Keys and indices compared and run on real Firebird 3 databases: a changed primary key with the
// foreign keys that hang on it (one of them written without referenced columns), and indices that
// are added, dropped, changed, switched off and described. The structures are built in code as the
// script parser would build them from each database's script; the target database is built by
// isql-fb from that script, and the master's database from the master's, to compare the results.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tests/database/KeysOnFirebirdSupport.h"

namespace smx::test {
namespace {

using namespace smx::keytest;
using Strings = std::vector<std::string>;

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

TEST(KeysOnFirebird, ChangedPrimaryKeyTakesItsForeignKeysAlong) {
    const std::string target =
        std::string(DeptTables) +
        "ALTER TABLE DEPT ADD CONSTRAINT PK_DEPT PRIMARY KEY (ID);\n"
        "ALTER TABLE EMP ADD CONSTRAINT FK_EMP_DEPT FOREIGN KEY (DEPT_ID) REFERENCES DEPT (ID) "
        "ON DELETE CASCADE;\n"
        "ALTER TABLE T2 ADD CONSTRAINT FK_T2_DEPT FOREIGN KEY (DEPT_ID) REFERENCES DEPT;\n"
        "INSERT INTO DEPT (ID, CODE) VALUES (1, 'A');\n"
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
    DeptModel(r.M(), true);
    DeptModel(r.T(), false);
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

    // The target now reads as the master: a second comparison has nothing to run.
    TargetRun again(tdb.Path());
    DeptModel(again.M(), true);
    DeptModel(again.T(), true);
    again.Run();
    EXPECT_EQ(again.exec.GetHasExecutableStatements(), 0) << again.Script();
    again.cmp.SetSQLExec(nullptr);
}

// ---------------------------------------------------------------------------------------------------
// Indices

const char* const IndexTable = "CREATE TABLE T (A INTEGER, B INTEGER, C VARCHAR(20), NAME VARCHAR(30));\n"
                               "INSERT INTO T VALUES (1, 2, 'x', 'n');\nCOMMIT;\n";

TEST(KeysOnFirebird, IndicesAddedDroppedChangedAndSwitchedOff) {
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
    TTestDatabase tdb(CreateDatabaseSql(target, clauses), "t.fdb");
    TTestDatabase mdb(CreateDatabaseSql(master, clauses), "m.fdb");

    TargetRun r(tdb.Path());
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

} // namespace
} // namespace smx::test
