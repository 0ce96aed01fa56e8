// Script rendering of the generic executor: exact lines per dialect (InterBase SET TERM blocks and
// COMMIT WORK lines, MS SQL "GO", Oracle "/", ASA "go"), line marking, skipped statements, views,
// packages, and the commit, comment and reconnect statements the executor files itself.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/smxSQL_Exec.h"

namespace smx {
namespace {

using enum TStatType;
using enum TDbObject;
using enum TDbOperation;
using enum TDatabaseType;
using Lines = std::vector<std::string>;

Lines Render(TSQLExec& exec, bool mark = false) {
    TStringList out;
    exec.GetScriptLines(out, mark);
    Lines r;
    for (int i = 0; i < out.Count(); ++i)
        r.push_back(out[i]);
    return r;
}

const char* const kProc1 = "CREATE PROCEDURE P1\r\nAS\r\nBEGIN\r\nEND";
const char* const kProc2 = "CREATE PROCEDURE P2\r\nAS\r\nBEGIN\r\nEND";

// Table, two procedures, a comment and a view: the list the comparer typically writes.
void AddMixedList(TSQLExec& exec) {
    exec.AddStatement("CREATE TABLE T (A INTEGER)", stStatement, "T", dboTable, odbCreate);
    exec.AddStatement(kProc1, stProcedure, "P1", dboProcedure, odbCreate);
    exec.AddStatement(kProc2, stProcedure, "P2", dboProcedure, odbCreate);
    exec.AddComment("/* c */");
    exec.AddStatement("CREATE VIEW V AS SELECT A FROM T", stStatement, "V", dboView, odbCreate);
}

TEST(SQLExecRender, InterBaseBlocksAndLineMarks) {
    TSQLExec exec;
    exec.SetDatabaseType(dbInterBase);
    AddMixedList(exec);
    TStringList out;
    out.Add("kept");
    exec.GetScriptLines(out, true);
    const Lines expected = {"kept",
                            "CREATE TABLE T (A INTEGER);",
                            "",
                            "SET TERM ^ ;",
                            "",
                            "CREATE PROCEDURE P1",
                            "AS",
                            "BEGIN",
                            "END",
                            "^",
                            "",
                            "CREATE PROCEDURE P2",
                            "AS",
                            "BEGIN",
                            "END",
                            "^",
                            "",
                            "/* c */",
                            "SET TERM ; ^",
                            "",
                            "CREATE VIEW V AS SELECT A FROM T;",
                            ""};
    Lines got;
    for (int i = 0; i < out.Count(); ++i)
        got.push_back(out[i]);
    EXPECT_EQ(got, expected);
    // Line marks count from the start of the list, the kept line included.
    const std::vector<int> first = {1, 5, 11, 17, 20};
    for (int i = 0; i < exec.GetStatementCount(); ++i)
        EXPECT_EQ(exec.GetStatement(i)->FirstLine, first[i]) << i;
}

TEST(SQLExecRender, LineMarksUntouchedWithoutMarking) {
    TSQLExec exec;
    exec.SetDatabaseType(dbInterBase);
    AddMixedList(exec);
    for (int i = 0; i < exec.GetStatementCount(); ++i)
        exec.GetStatement(i)->FirstLine = -7;
    Render(exec, false);
    for (int i = 0; i < exec.GetStatementCount(); ++i)
        EXPECT_EQ(exec.GetStatement(i)->FirstLine, -7);
}

TEST(SQLExecRender, InterBaseGenerateCommit) {
    TSQLExec exec;
    exec.SetDatabaseType(dbInterBase);
    exec.GetIBServerOptions().GetIBCompareOptions().SetGenerateCOMMIT(true);
    AddMixedList(exec);
    const Lines expected = {"CREATE TABLE T (A INTEGER);",
                            "",
                            "COMMIT WORK;",
                            "SET TERM ^ ;",
                            "",
                            "CREATE PROCEDURE P1",
                            "AS",
                            "BEGIN",
                            "END",
                            "^",
                            "",
                            "COMMIT WORK ^",
                            "CREATE PROCEDURE P2",
                            "AS",
                            "BEGIN",
                            "END",
                            "^",
                            "",
                            "COMMIT WORK ^",
                            "/* c */",
                            "SET TERM ; ^",
                            "",
                            "CREATE VIEW V AS SELECT A FROM T;",
                            "",
                            "COMMIT WORK;"};
    EXPECT_EQ(Render(exec), expected);
}

struct St {
    const char* text;
    TStatType kind;
    TDbObject obj = dboUnknown;
    TDbOperation op = odbUnknown;
    bool skip = false;
};

struct ShapeCase {
    const char* name;
    TDatabaseType db;
    std::vector<St> statements;
    Lines expected;
    bool generateCommit = false;
};

class SQLExecShapes : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(SQLExecShapes, RendersExactLines) {
    const ShapeCase& c = GetParam();
    TSQLExec exec;
    exec.SetDatabaseType(c.db);
    exec.GetIBServerOptions().GetIBCompareOptions().SetGenerateCOMMIT(c.generateCommit);
    for (const St& s : c.statements) {
        TStatement* st = exec.AddStatement(s.text, s.kind, "X", s.obj, s.op);
        ASSERT_NE(st, nullptr);
        st->Skip = s.skip ? 1 : 0;
    }
    EXPECT_EQ(Render(exec), c.expected);
}

const char* const kTrigger = "CREATE TRIGGER TR1 FOR T\r\nAS\r\nBEGIN\r\nEND";
const char* const kOracleProc = "CREATE OR REPLACE PROCEDURE P IS\r\nBEGIN\r\n  NULL;\r\nEND;";

INSTANTIATE_TEST_SUITE_P(
    Dialects, SQLExecShapes,
    ::testing::Values(
        ShapeCase{"InterBaseMultiLineView",
                  dbInterBase,
                  {{"CREATE VIEW V (A)\r\nAS SELECT A FROM T", stStatement, dboView, odbCreate}},
                  {"CREATE VIEW V (A)", "AS SELECT A FROM T", ";", ""}},
        ShapeCase{"MSSQLSingleLineView",
                  dbMSSQL,
                  {{"CREATE VIEW V AS SELECT 1 A", stStatement, dboView, odbCreate}},
                  {"CREATE VIEW V AS SELECT 1 A", "", "GO", ""}},
        ShapeCase{"MSSQLTable",
                  dbMSSQL,
                  {{"CREATE TABLE T (A INT)", stStatement, dboTable, odbCreate}},
                  {"CREATE TABLE T (A INT)", "GO", ""}},
        ShapeCase{"MSSQLProcedureTrimmedWithGo",
                  dbMSSQL,
                  {{"  CREATE PROCEDURE P AS\r\nSELECT 1\r\n", stProcedure, dboProcedure, odbCreate}},
                  {"CREATE PROCEDURE P AS", "SELECT 1", "GO", ""}},
        ShapeCase{
            "MSSQLDescriptionEndsInSemicolon",
            dbMSSQL,
            {{"EXEC sp_addextendedproperty 'MS_Description', 'x'", stDescription, dboTable, odbDescription}},
            {"EXEC sp_addextendedproperty 'MS_Description', 'x';", ""}},
        ShapeCase{"MSSQLIgnoresGenerateCommit",
                  dbMSSQL,
                  {{"CREATE TABLE T (A INT)", stStatement, dboTable, odbCreate}},
                  {"CREATE TABLE T (A INT)", "GO", ""},
                  true},
        ShapeCase{"OracleProcedureSlash",
                  dbOracle,
                  {{kOracleProc, stProcedure, dboProcedure, odbCreate},
                   {"CREATE TABLE T (A INT)", stStatement, dboTable, odbCreate}},
                  {"CREATE OR REPLACE PROCEDURE P IS", "BEGIN", "  NULL;", "END;", "/", "",
                   "CREATE TABLE T (A INT);", ""}},
        ShapeCase{"ASATableAndInsert",
                  dbSybaseASA,
                  {{"CREATE TABLE T (A INT)", stStatement, dboTable, odbCreate},
                   {"INSERT INTO T VALUES (1)", stInsert, dboTable, odbInsert}},
                  {"CREATE TABLE T (A INT)", "go", "", "INSERT INTO T VALUES (1)", "go", ""}},
        ShapeCase{"InterBaseListEndingInTrigger",
                  dbInterBase,
                  {{"CREATE TABLE T (A INTEGER)", stStatement, dboTable, odbCreate},
                   {kTrigger, stTrigger, dboTrigger, odbCreate}},
                  {"CREATE TABLE T (A INTEGER);", "", "SET TERM ^ ;", "", "CREATE TRIGGER TR1 FOR T", "AS",
                   "BEGIN", "END", "^", "", "SET TERM ; ^", ""}},
        ShapeCase{"InterBaseTrailingCommentInsideBlock",
                  dbInterBase,
                  {{kTrigger, stTrigger, dboTrigger, odbCreate}, {"/* end */", stComment}},
                  {"SET TERM ^ ;", "", "CREATE TRIGGER TR1 FOR T", "AS", "BEGIN", "END", "^", "", "/* end */",
                   "SET TERM ; ^", ""}},
        ShapeCase{"SkippedStatementKeepsBlockOpen",
                  dbInterBase,
                  {{kProc1, stProcedure, dboProcedure, odbCreate},
                   {"CREATE TABLE T (A INTEGER)", stStatement, dboTable, odbCreate, true},
                   {kProc2, stProcedure, dboProcedure, odbCreate}},
                  {"SET TERM ^ ;", "", "CREATE PROCEDURE P1", "AS", "BEGIN", "END", "^", "",
                   "CREATE PROCEDURE P2", "AS", "BEGIN", "END", "^", "", "SET TERM ; ^", ""}},
        ShapeCase{"SkippedRoutineOpensNoBlock",
                  dbInterBase,
                  {{kProc1, stProcedure, dboProcedure, odbCreate, true},
                   {"CREATE TABLE T (A INTEGER)", stStatement, dboTable, odbCreate}},
                  {"CREATE TABLE T (A INTEGER);", "", "COMMIT WORK;"},
                  true},
        ShapeCase{"ParsedPackageIsARoutine",
                  dbInterBase,
                  {{"CREATE PACKAGE PK\r\nAS\r\nBEGIN\r\nEND", stStatement, dboPackage, odbCreate},
                   {"CREATE TABLE T (A INTEGER)", stStatement, dboTable, odbCreate}},
                  {"SET TERM ^ ;", "", "CREATE PACKAGE PK", "AS", "BEGIN", "END", "^", "", "SET TERM ; ^", "",
                   "CREATE TABLE T (A INTEGER);", ""}},
        ShapeCase{"PackageDropIsNoRoutine",
                  dbInterBase,
                  {{"DROP PACKAGE PK", stStatement, dboPackage, odbDrop}},
                  {"DROP PACKAGE PK;", ""}},
        ShapeCase{"GeneratedPackageIsARoutine",
                  dbInterBase,
                  {{"CREATE PACKAGE PK\r\nAS\r\nBEGIN\r\nEND", stPackage, dboPackage, odbCreate}},
                  {"SET TERM ^ ;", "", "CREATE PACKAGE PK", "AS", "BEGIN", "END", "^", "", "COMMIT WORK ^",
                   "SET TERM ; ^", ""},
                  true},
        ShapeCase{"InterBaseDescriptionCommitted",
                  dbInterBase,
                  {{"COMMENT ON TABLE T IS 'x'", stDescription, dboTable, odbDescription}},
                  {"COMMENT ON TABLE T IS 'x';", "", "COMMIT WORK;"},
                  true},
        ShapeCase{"DataStatementsTakeTheDialectTerminator",
                  dbInterBase,
                  {{"SET BLOBFILE 'Result.LOB'", stSetBlobFile},
                   {"INSERT INTO T VALUES (1)", stInsert, dboTable, odbInsert},
                   {"DELETE FROM T", stDelete, dboTable, odbDelete}},
                  {"SET BLOBFILE 'Result.LOB';", "", "INSERT INTO T VALUES (1);", "", "DELETE FROM T;", ""},
                  true},
        ShapeCase{"SelectAloneExecuteBlockAsARoutine",
                  dbInterBase,
                  {{"SELECT 1 FROM RDB$DATABASE", stSelect}, {"EXECUTE BLOCK AS BEGIN END", stExecuteBlock}},
                  {"SELECT 1 FROM RDB$DATABASE", "SET TERM ^ ;", "", "EXECUTE BLOCK AS BEGIN END", "^", "",
                   "SET TERM ; ^", ""}}),
    [](const ::testing::TestParamInfo<ShapeCase>& info) { return std::string(info.param.name); });

TEST(SQLExecRender, OwnTerminatorOfSettingStatements) {
    TSQLExec exec;
    exec.SetDatabaseType(dbInterBase);
    exec.AddStatement("SET SQL DIALECT 3", stSqlDialect, "", dboUnknown, odbSet, "", "!!\r\n");
    exec.AddStatement("SET NAMES UTF8", stSetNames);
    EXPECT_EQ(Render(exec), (Lines{"SET SQL DIALECT 3!!", "", "SET NAMES UTF8;", ""}));
}

TEST(SQLExecRender, CommitStatementsPerDialect) {
    struct Row {
        TDatabaseType db;
        Lines expected;
        const char* objName;
    };
    for (const Row& r :
         {Row{dbInterBase, {"COMMIT WORK;"}, "COMMIT WORK"}, Row{dbMSSQL, {"COMMIT WORK;"}, "COMMIT WORK"},
          Row{dbSybaseASA, {"Commit Work", "go"}, "Commit Work"}}) {
        TSQLExec exec;
        exec.SetDatabaseType(r.db);
        exec.AddCommit();
        ASSERT_EQ(exec.GetStatementCount(), 1);
        const TStatement* st = exec.GetStatement(0);
        EXPECT_EQ(st->StatType, st_Commit);
        EXPECT_EQ(st->Operation, odbCommit);
        EXPECT_EQ(st->ObjName, r.objName);
        EXPECT_EQ(Render(exec), r.expected);
    }
}

TEST(SQLExecRender, CommentStatement) {
    TSQLExec exec;
    exec.SetDatabaseType(dbInterBase);
    TStatement* st = exec.AddComment("/* Tables */");
    ASSERT_NE(st, nullptr);
    EXPECT_EQ(st->StatType, stComment);
    EXPECT_EQ(st->ObjName, "/*  */");
    EXPECT_EQ(st->Operation, odbComment);
    EXPECT_EQ(st->Terminator, "");
    // The closing comment of a compare step is a bare line break: one empty line.
    exec.AddComment("\r\n");
    EXPECT_EQ(Render(exec), (Lines{"/* Tables */", ""}));
}

TEST(SQLExecRender, ReconnectStatements) {
    TSQLExec exec;
    exec.SetDatabaseType(dbInterBase);
    exec.AddReconnect(); // UseRECONNECT is on by default
    exec.GetIBServerOptions().GetIBCompareOptions().SetUseRECONNECT(false);
    exec.AddReconnect(); // no database name: no CONNECT statement
    exec.GetConnectionOptions().SetDatabaseName("t.fdb");
    exec.GetConnectionOptions().SetUserName("SYSDBA");
    exec.AddReconnect();
    ASSERT_EQ(exec.GetStatementCount(), 2);
    EXPECT_EQ(exec.GetStatement(0)->StatType, stReconnect);
    EXPECT_EQ(exec.GetStatement(1)->StatType, stConnect);
    EXPECT_EQ(Render(exec), (Lines{"RECONNECT;", "", "CONNECT 't.fdb' USER 'SYSDBA';", ""}));

    TSQLExec other;
    other.SetDatabaseType(dbMSSQL);
    other.AddReconnect();
    EXPECT_EQ(other.GetStatementCount(), 0);
}

} // namespace
} // namespace smx
