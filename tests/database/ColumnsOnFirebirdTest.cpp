// Column alteration on real Firebird 3 databases: an update script that changes types, nullability,
// defaults, domains and the column order keeps every value of every row and leaves the table as
// the master describes it; unsafe conversions are refused whatever the conversion option says; a
// table switched to GLOBAL TEMPORARY while the master gains a NOT NULL column is re-created without
// touching the old one first. Each script runs through isql-fb and through the executor.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "database/smxIBDatabaseExtract.h"
#include "tests/database/IBXTestSupport.h"
#include "tests/model/ColumnAlterTestSupport.h"
#include "tests/model/SchemalystTestSupport.h"

namespace smx::test {
namespace {

using cmptest::Rig;
using Strings = std::vector<std::string>;

const char* const KeptDataDDL = R"(CREATE DOMAIN D_INT AS INTEGER;
CREATE DOMAIN D_INT2 AS INTEGER DEFAULT 7;
CREATE TABLE T (ID INTEGER NOT NULL CONSTRAINT PK_T PRIMARY KEY, B VARCHAR(10), A INTEGER, S SMALLINT, N NUMERIC(9,2),
  NN INTEGER, NNOFF INTEGER NOT NULL, DEF INTEGER DEFAULT 0, DEF2 INTEGER DEFAULT 1, DEF3 VARCHAR(5),
  DOM D_INT, TODOM INTEGER, FROMDOM D_INT, C COMPUTED BY (A * 2));
CREATE VIEW VT (ID, B, A) AS SELECT ID, B, A FROM T;
CREATE INDEX IX_T_B ON T (B);
INSERT INTO T (ID, B, A, S, N, NN, NNOFF, DEF, DEF2, DEF3, DOM, TODOM, FROMDOM)
  VALUES (1, 'abcdefghij', 2147483647, 32767, 1234567.89, 1, 1, 0, 1, 'abcde', 2147483647, -2147483648, 5);
INSERT INTO T (ID, NN, NNOFF) VALUES (2, 2, 0);
COMMIT;
)";

// The table as the master describes it, created directly: the read-back reference.
const char* const KeptDataMasterDDL = R"(CREATE DOMAIN D_INT AS INTEGER;
CREATE DOMAIN D_INT2 AS INTEGER DEFAULT 7;
CREATE TABLE T (ID INTEGER NOT NULL CONSTRAINT PK_T PRIMARY KEY, A BIGINT, B VARCHAR(20), S INTEGER, C COMPUTED BY (A * 2),
  N NUMERIC(18,2), NN INTEGER NOT NULL, NNOFF INTEGER, DEF INTEGER DEFAULT 5, DEF2 INTEGER,
  DEF3 VARCHAR(5) DEFAULT 'x', DOM D_INT2, TODOM D_INT, FROMDOM INTEGER);
CREATE VIEW VT (ID, B, A) AS SELECT ID, B, A FROM T;
CREATE INDEX IX_T_B ON T (B);
COMMIT;
)";

// Name, type, length, scale, precision, not-null flag, default, domain and computed source of every
// column of T, in position order.
Strings ColumnFacts(const std::string& path) {
    return ReadColumnElsewhere(
        path, "select trim(rf.rdb$field_name) || '|' || f.rdb$field_type || '|' || "
              "coalesce(f.rdb$character_length, 0) "
              "|| '|' || coalesce(f.rdb$field_scale, 0) || '|' || iif(f.rdb$field_sub_type in (1, 2), "
              "f.rdb$field_precision, 0) || '|' || coalesce(rf.rdb$null_flag, 0) || '|' || "
              "coalesce(cast(rf.rdb$default_source as varchar(100)), '') || '|' || "
              "iif(rf.rdb$field_source starting with 'RDB$', '', trim(rf.rdb$field_source)) || '|' || "
              "coalesce(cast(f.rdb$computed_source as varchar(100)), '') "
              "from rdb$relation_fields rf join rdb$fields f on f.rdb$field_name = rf.rdb$field_source "
              "where rf.rdb$relation_name = 'T' order by rf.rdb$field_position");
}

// Every stored value of T read by column name as text, one line per row in key order.
Strings Values(const std::string& path, const Strings& columns) {
    std::string select;
    for (const std::string& c : columns)
        select += (select.empty() ? "" : " || '|' || ") + std::string("'") + c + "=' || coalesce(cast(" + c +
                  " as varchar(40)), '<null>')";
    return ReadColumnElsewhere(path, "select " + select + " from T order by ID");
}

const Strings KeptColumns = {"ID",  "B",    "A",    "S",   "N",     "NN",     "NNOFF",
                             "DEF", "DEF2", "DEF3", "DOM", "TODOM", "FROMDOM"};

// A comparer on Firebird 3 structures whose target is the database at path.
void Prepare(Rig& r, const std::string& path) {
    r.InterBase();
    TConnectionOptions& c = r.target.Objs().GetConnectionOptions();
    c.SetDatabaseName(path);
    c.SetPassword("masterkey");
    r.cmp.GetIBCompareOptions().SetUseRECONNECT(false);
    r.target.GetIBServerOptions().GetIBCompareOptions().SetUseRECONNECT(false);
    r.Wire();
}

// The comparer's script, as isql-fb reads it.
std::string ScriptText(Rig& r) {
    TStringList lines;
    r.cmp.GetSQLExec()->GetScriptLines(lines, false);
    return lines.Text();
}

// Runs the script on the database with isql-fb, stopping at the first error.
TIsqlResult RunScript(const TTestDatabase& db, const std::string& script) {
    const std::string file = db.Dir().File("update.sql");
    std::ofstream(file, std::ios::binary) << script;
    return RunIsqlFile(file);
}

// Runs the comparer's statements through the executor on a connection to the database; returns
// the errors reported.
Strings RunThroughExecutor(Rig& r, const std::string& path, bool breakOnError = true) {
    std::unique_ptr<TIBDatabase> ibdb = MakeIBDatabase(path, "UTF8");
    TSMXConnectionIBX conn;
    conn.SetDatabase(ibdb.get());
    auto* exec = dynamic_cast<TSQLExec*>(r.cmp.GetSQLExec());
    Strings errors;
    exec->SetSMXConnection(&conn);
    exec->SetBreakOnError(breakOnError);
    exec->OnErrorMessage = [&](TObject*, const std::string& t) { errors.push_back(t); };
    exec->OnLogNextLine = [](TObject*, const std::string&) {};
    exec->ExecuteScript();
    if (exec->GetErrorCount() != 0 && errors.empty()) errors.push_back("error count without message");
    exec->SetSMXConnection(nullptr);
    return errors;
}

std::string CreateSql(const std::string& ddl) {
    return CreateDatabaseSql(ddl, "PAGE_SIZE 4096 DEFAULT CHARACTER SET UTF8");
}

// The target database read back by the metadata extractor and compared with the rig's master: the
// update script that comparison writes (no executable statement when the run left nothing to do).
std::string ScriptAfterReadBack(Rig& r, const std::string& path, int& executable) {
    std::unique_ptr<TIBDatabase> ibdb = MakeIBDatabase(path, "UTF8");
    TSMXConnectionIBX conn;
    conn.SetDatabase(ibdb.get());
    cmptest::Structure target;
    target.GetIBServerOptions().SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_30);
    TIBDBExtract ex;
    ex.SetSMXConnection(&conn);
    ex.SetDBStructure(&target);
    ex.SetOnLogNextLine([](TObject*, const std::string&) {});
    Strings errors;
    ex.SetOnErrorMessage([&](TObject*, const std::string& t) { errors.push_back(t); });
    TSchemalyst cmp;
    cmp.SetIBCompareOptions(r.cmp.GetIBCompareOptions());
    cmp.SetDBStructureMaster(&r.master);
    cmp.SetExtractorMaster(&r.exMaster);
    cmp.SetDBStructureTarget(&target);
    cmp.SetExtractorTarget(&ex);
    cmp.ExtractAndCompare();
    executable = errors.empty() && cmp.GetSQLExec() ? cmp.GetSQLExec()->GetHasExecutableStatements() : -1;
    if (!target.Objs().FindTable("T") || target.Objs().FindTable("T")->FieldCount() != 14) executable = -2;
    TStringList lines;
    if (cmp.GetSQLExec()) cmp.GetSQLExec()->GetScriptLines(lines, false);
    for (const std::string& e : errors)
        lines.Add("error: " + e);
    return lines.Text();
}

TEST(ColumnsOnFirebird, AlteredColumnsKeepEveryValue) {
    TTestDatabase reference(CreateSql(KeptDataMasterDDL), "m.fdb");
    const Strings expectedFacts = ColumnFacts(reference.Path());
    ASSERT_EQ(expectedFacts.size(), 14u);

    for (bool throughExecutor : {false, true}) {
        TTestDatabase db(CreateSql(KeptDataDDL), "t.fdb");
        const Strings before = Values(db.Path(), KeptColumns);
        ASSERT_EQ(before.size(), 2u);
        Rig r;
        Prepare(r, db.Path());
        BuildKeptDataStructures(&r.master.Objs(), &r.target.Objs());
        r.cmp.CompareStructures();
        const std::string script = ScriptText(r);
        EXPECT_EQ(script.find("RDB$"), std::string::npos) << script;
        // What hangs on the altered columns goes and comes back.
        for (const char* part :
             {"ALTER TABLE T DROP C;", "DROP INDEX IX_T_B;", "ALTER TABLE T ADD C COMPUTED BY (A * 2);",
              "CREATE INDEX IX_T_B ON T(B);", "DROP VIEW VT;", "CREATE VIEW VT(",
              "ALTER TABLE T ALTER COLUMN ID POSITION 1;"})
            EXPECT_NE(script.find(part), std::string::npos) << part;
        if (throughExecutor) {
            const Strings errors = RunThroughExecutor(r, db.Path());
            EXPECT_TRUE(errors.empty()) << errors.front() << "\n" << script;
        } else {
            const TIsqlResult run = RunScript(db, script);
            ASSERT_TRUE(run.Ok()) << run.Output << "\n" << script;
        }
        EXPECT_EQ(ColumnFacts(db.Path()), expectedFacts) << script;
        EXPECT_EQ(Values(db.Path(), KeptColumns), before) << script;
        EXPECT_EQ(ReadColumnElsewhere(
                      db.Path(), "select rdb$index_name from rdb$indices where rdb$index_name = 'IX_T_B'"),
                  Strings{"IX_T_B"});
        EXPECT_EQ(ReadColumnElsewhere(db.Path(), "select rdb$relation_name from rdb$relations where "
                                                 "rdb$relation_name = 'VT'"),
                  Strings{"VT"});
        // Read back, the target equals the master.
        int executable = -1;
        const std::string again = ScriptAfterReadBack(r, db.Path(), executable);
        EXPECT_EQ(executable, 0) << again;
    }
}

TEST(ColumnsOnFirebird, UnsafeConversionsAreRefusedWhateverTheOption) {
    const char* ddl = R"(CREATE DOMAIN D_N94 AS NUMERIC(9,4);
CREATE DOMAIN D_N92 AS NUMERIC(9,2);
CREATE TABLE T (ID INTEGER NOT NULL, BIG BIGINT, W VARCHAR(20), N4 NUMERIC(9,4), TS TIMESTAMP, I INTEGER, DN D_N94);
INSERT INTO T VALUES (1, 9223372036854775807, 'abcdefghijklmnopqrst', 12345.6789, '2024-05-06 07:08:09', 2147483647, 12345.6789);
INSERT INTO T (ID) VALUES (2);
COMMIT;
)";
    const Strings columns = {"ID", "BIG", "W", "N4", "TS", "I", "DN"};
    struct Run {
        TIBSQLServerVersionType version;
        bool option;
    };
    for (Run run : {Run{TIBSQLServerVersionType::st_Firebird_30, false},
                    Run{TIBSQLServerVersionType::st_Firebird_30, true},
                    Run{TIBSQLServerVersionType::st_Firebird_40, true}}) {
        TTestDatabase db(CreateSql(ddl), "t.fdb");
        const Strings before = Values(db.Path(), columns);
        Rig r;
        Prepare(r, db.Path());
        for (cmptest::Structure* s : {&r.master, &r.target})
            s->GetIBServerOptions().SetSQLServerVersion(run.version);
        r.cmp.GetIBCompareOptions().SetAllowDataTypeConversion(run.option);
        BuildRefusalStructures(&r.master.Objs(), &r.target.Objs());
        r.cmp.CompareStructures();
        Strings comments;
        TCustomSQLExec* exec = r.cmp.GetSQLExec();
        for (int i = 0; i < exec->GetStatementCount(); ++i) {
            const TStatement* st = exec->GetStatement(i);
            std::string text = st->Lines.Text();
            text.erase(text.size() - 2);
            if (st->StatType == TStatType::stComment) comments.push_back(text);
            // Nothing but the header is executable.
            EXPECT_TRUE(st->StatType == TStatType::stComment || st->StatType == TStatType::stConnect ||
                        st->StatType == TStatType::stSetNames || st->StatType == TStatType::stSqlDialect ||
                        st->StatType == TStatType::stSet)
                << text;
        }
        EXPECT_EQ(comments, RefusalComments());
        const Strings errors = RunThroughExecutor(r, db.Path());
        EXPECT_TRUE(errors.empty()) << errors.front();
        EXPECT_EQ(Values(db.Path(), columns), before);
    }

    // The system-table path the conversion would take on older servers is closed on Firebird 3.
    TTestDatabase db(CreateSql(ddl), "t.fdb");
    const TIsqlResult run = db.Run("UPDATE RDB$RELATION_FIELDS SET RDB$NULL_FLAG = 1 WHERE "
                                   "RDB$FIELD_NAME='BIG' AND RDB$RELATION_NAME='T';\n");
    EXPECT_FALSE(run.Ok());
    EXPECT_NE(run.Output.find("UPDATE operation is not allowed for system table RDB$RELATION_FIELDS"),
              std::string::npos)
        << run.Output;
}

TEST(ColumnsOnFirebird, TemporarySwitchWithNewNotNullColumnRecreatesTheTable) {
    TTestDatabase db(CreateSql("CREATE TABLE T (ID INTEGER NOT NULL, OLD INTEGER);\n"
                               "INSERT INTO T VALUES (1, 10);\nINSERT INTO T VALUES (2, NULL);\nCOMMIT;\n"),
                     "t.fdb");
    Rig r;
    Prepare(r, db.Path());
    TTblData* m = cmptest::AddTable(r.master.Objs(), "T", {"ID", "X"});
    m->Field(0)->Nullable = false;
    m->Field(1)->Nullable = false;
    m->Field(1)->SetDescription("new column");
    m->GlobalTemporary = true;
    m->OnCommit = 2;
    m->SetDescription("now temporary");
    TTblData* t = cmptest::AddTable(r.target.Objs(), "T", {"ID", "OLD"});
    t->Field(0)->Nullable = false;
    r.cmp.CompareStructures();
    const std::string script = ScriptText(r);
    EXPECT_EQ(script.find("ADD X"), std::string::npos) << script;
    const Strings errors = RunThroughExecutor(r, db.Path());
    EXPECT_TRUE(errors.empty()) << errors.front() << "\n" << script;
    EXPECT_EQ(ReadColumnElsewhere(
                  db.Path(), "select rdb$relation_type from rdb$relations where rdb$relation_name = 'T'"),
              Strings{"4"}); // global temporary, rows kept until the end of the connection
    EXPECT_EQ(ReadColumnElsewhere(db.Path(),
                                  "select rdb$description from rdb$relations where rdb$relation_name = 'T'"),
              Strings{"now temporary"});
    EXPECT_EQ(ReadColumnElsewhere(db.Path(), "select rdb$field_name from rdb$relation_fields where "
                                             "rdb$relation_name = 'T' order by rdb$field_position"),
              (Strings{"ID", "X"}));
}

} // namespace
} // namespace smx::test
