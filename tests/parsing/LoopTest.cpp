// The statement loop around the statements themselves (the golden cases hold those): message
// records and their event text, the stop flag, the statement handed back by the handler, the events
// and their fallbacks, the message pump, connection options, filing parsed objects, large inputs,
// and the executor's parser factory.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/smxComp_Dmn.h"
#include "model/smxComp_Gnr.h"
#include "model/smxComp_Rol.h"
#include "model/smxComp_Tbl.h"
#include "model/smxSQL_Exec.h"
#include "platform/smxUIHooks.h"
#include "tests/parsing/ParserTestSupport.h"

namespace smx::test {
namespace {

using enum TIBSQLServerVersionType;
using enum TStatType;

/// Parses Bytes as the file Name (through the read hook, so nothing touches the disk).
void ParseBytes(TIbParser& P, TObjs& Objs, const std::string& Name, const std::string& Bytes) {
    P.ReadFileHook = [&](const std::string& F, std::string& Out) {
        if (F != Name) return TFileReadStatus::frNotFound;
        Out = Bytes;
        return TFileReadStatus::frOk;
    };
    P.ParseFile(Name, &Objs);
}

/// Sets the program-wide stop flag for a test and clears it again, whatever happens.
struct StopFlagGuard {
    ~StopFlagGuard() { StopRequested = false; }
};

TEST(Loop, MessageRecordsAndTheirEvent) {
    for (const char* Text : {"X;", "X\n", "X\r\n"}) {
        TIbSetup Setup;
        TIbParser P;
        TRecorder Rec(P);
        ParseBytes(P, Setup.Objs(), "s.sql", Text);
        ASSERT_EQ(P.GetMsgManager().Count(), 1) << Visible(Text);
        const TMsgData& M = P.GetMsgManager()[0];
        EXPECT_EQ(M.Text, "Unknown statement: <Ident>");
        EXPECT_EQ(M.Kind, 2);
        EXPECT_EQ(M.ScriptName, "s.sql");
        EXPECT_EQ(M.LineNo, 1);
        EXPECT_EQ(M.ColumnNo, 1); // the bad token's first character, in the record and the event
        EXPECT_EQ(Rec.ErrorEvents,
                  std::vector<std::string>{"Unknown statement: <Ident>\r\nScript: s.sql Line:1 Pos:1\r\n"})
            << Visible(Text);
    }
    // Only the first error of a run is an event; every error is a record.
    TIbSetup Setup;
    TIbParser P;
    TRecorder Rec(P);
    ParseBytes(P, Setup.Objs(), "s.sql", "X; Y;");
    EXPECT_EQ(Rec.Errors(),
              (std::vector<std::string>{"Unknown statement: <Ident>", "Unknown statement: <Ident>"}));
    EXPECT_EQ(Rec.ErrorEvents.size(), 1u);
    EXPECT_EQ(P.GetMsgManager()[1].ColumnNo, 4);
    // Without a handler the first error goes to the message box.
    std::vector<std::string> Boxes;
    auto Old = SetMessageBoxHook([&](const std::string& T) { Boxes.push_back(T); });
    TIbParser Q;
    ParseBytes(Q, Setup.Objs(), "s.sql", "COMMIT FOO;");
    SetMessageBoxHook(Old);
    EXPECT_EQ(Boxes, std::vector<std::string>{
                         "Error: Missing: <TERM> (<Ident>: FOO)\r\nScript: s.sql Line:1 Pos:8\r\n"});
}

TEST(Loop, StopFlagEndsTheRunWithAnError) {
    StopFlagGuard Guard;
    TIbSetup Setup;
    TIbParser P;
    TRecorder Rec(P);
    Rec.OnReport = [](int N, TStatement*&) {
        if (N == 2) StopRequested = true;
    };
    P.ParseScript(LinesOf("DROP TABLE A; DROP TABLE B; DROP TABLE C; DROP TABLE D; DROP TABLE E;"),
                  &Setup.Objs());
    EXPECT_EQ(Rec.Texts(), (std::vector<std::string>{"DROP TABLE A", "DROP TABLE B"}));
    EXPECT_EQ(Rec.Errors(), std::vector<std::string>{"Parsing stopped."});
    EXPECT_FALSE(P.GetReachedEnd());
    // A flag already set stops before the first statement, and a second run says so again.
    P.ParseScript(LinesOf("DROP TABLE A;"), &Setup.Objs());
    EXPECT_EQ(Rec.Errors().size(), 2u);
    EXPECT_EQ(Rec.Reports.size(), 2u);
}

TEST(Loop, DescribeHandsTheStoredDescriptionToTheStatement) {
    TIbSetup Setup(st_Firebird_25);
    auto* Role = new TRolData(&Setup.Objs());
    Role->SetName("R");
    Setup.Objs().AddObject(Role, true);
    TSQLExec Exec;
    TIbParser P;
    TRecorder Rec(P);
    // The handler files every statement in the executor and hands it back, as the executor does.
    P.OnStatement = [&](TObject*, const std::string& Text, TStatement*& St, const std::string& Parent,
                        TDbOperation Op, TDbObject Kind, const std::string& Name,
                        TStatType Type) { St = Exec.AddStatement(Text, Type, Name, Kind, Op, Parent); };
    P.ParseScript(LinesOf("DESCRIBE ROLE R '  two\nlines  ';\nDESCRIBE ROLE NOSUCH 'x\ny';"), &Setup.Objs());
    ASSERT_EQ(Exec.GetStatementCount(), 2);
    EXPECT_EQ(Role->GetDescription(), "two\r\nlines");
    EXPECT_EQ(Exec.GetStatement(0)->Description, "two\r\nlines");
    EXPECT_EQ(Exec.GetStatement(0)->StatType, stDescription);
    // Also without the object (an executor loads scripts into an empty container).
    EXPECT_EQ(Exec.GetStatement(1)->Description, "x\r\ny");
    EXPECT_EQ(P.GetStatement(), Exec.GetStatement(1));
}

TEST(Loop, EventsLogLinesAndFallbacks) {
    TIbSetup Setup;
    auto* G = new TGnrData(&Setup.Objs());
    G->SetName("G");
    Setup.Objs().AddObject(G, true);
    TIbParser P;
    TRecorder Rec(P);
    std::vector<std::pair<int, int>> Progress;
    P.OnProgressUpdate = [&](TObject*, int V, int M) { Progress.emplace_back(V, M); };
    int Pumps = 0;
    auto OldPump = SetMessagePumpHook([&] { ++Pumps; });
    P.SetScriptName("x.sql");
    P.ParseScript(LinesOf("CONNECT 'db.fdb' USER 'U';\nSET GENERATOR G TO 1;\n;"), &Setup.Objs());
    SetMessagePumpHook(OldPump);
    EXPECT_EQ(Rec.Logs,
              (std::vector<std::string>{"Parse Script: x.sql", "Database connect: db.fdb", "Generator: G"}));
    EXPECT_EQ(Progress, (std::vector<std::pair<int, int>>{{0, 3}, {2, 3}, {3, 3}, {4, 3}}));
    EXPECT_EQ(Pumps, 3); // once per statement, the empty one included
    // The script's CONNECT becomes the container's connection.
    EXPECT_EQ(Setup.Objs().GetConnectionOptions().GetDatabaseName(), "db.fdb");
    EXPECT_EQ(Setup.Objs().GetConnectionOptions().GetUserName(), "U");

    // Without handlers of its own the parser uses its container's extractor's.
    TCustomExtract Ext;
    Ext.SetDBStructure(&Setup.Structure);
    std::vector<std::string> ExtLogs;
    int ExtProgress = 0;
    Ext.SetOnLogNextLine([&](TObject*, const std::string& T) { ExtLogs.push_back(T); });
    Ext.SetOnProgressUpdate([&](TObject*, int, int) { ++ExtProgress; });
    TIbParser Q;
    Q.SetProgress(true);
    Q.ParseScript(LinesOf("SET GENERATOR G TO 2;"), &Setup.Objs());
    EXPECT_EQ(ExtLogs, (std::vector<std::string>{"Parse Script: ", "Generator: G"}));
    EXPECT_GT(ExtProgress, 0);
    Q.SetProgress(false);
    ExtProgress = 0;
    Q.ParseScript(LinesOf("SET GENERATOR G TO 2;"), &Setup.Objs());
    EXPECT_EQ(ExtProgress, 0);
}

TEST(Loop, Utf16FileCountsItsLineBreaks) {
    TIbSetup Setup;
    TIbParser P;
    TRecorder Rec(P);
    std::vector<std::pair<int, int>> Progress;
    P.OnProgressUpdate = [&](TObject*, int V, int M) { Progress.emplace_back(V, M); };
    std::string Bytes = "\xFF\xFE";
    for (char C : std::string("DROP TABLE A;\r\nFOO;\n"))
        Bytes += std::string{C, '\0'};
    ParseBytes(P, Setup.Objs(), "u.sql", Bytes);
    EXPECT_EQ(Rec.Texts(), std::vector<std::string>{"DROP TABLE A"});
    ASSERT_EQ(P.GetMsgManager().Count(), 1);
    EXPECT_EQ(P.GetMsgManager()[0].LineNo, 2);
    EXPECT_EQ(Progress, (std::vector<std::pair<int, int>>{{0, 2}, {2, 2}, {3, 2}}));
}

TEST(Loop, TokenTrace) {
    TIbSetup Setup;
    TIbParser P;
    TRecorder Rec(P);
    P.SetLogFlags(1 | 2);
    P.ParseScript(LinesOf("DROP TABLE t /* c */;"), &Setup.Objs());
    EXPECT_EQ(Rec.Logs,
              (std::vector<std::string>{"Parse Script: ", "(1,5) DROP: 84", "(1,11) TABLE: 207",
                                        "(1,13) <Ident>: 1 =T", "Comment:  c ", "(1,22) <Terminator>: 12"}));
}

TEST(Loop, ParsedObjectsAreFiledThroughOwnerOrContainer) {
    TIbSetup Setup;
    {
        TIbParser Free; // neither owner nor container: a refused object is freed when asked
        EXPECT_FALSE(Free.AddParsedObject(new TGnrData(nullptr), true));
    }
    TIbParser P;
    P.ParseScript(LinesOf(""), &Setup.Objs());
    auto* G = new TGnrData(&Setup.Objs());
    G->SetName("G");
    EXPECT_TRUE(P.AddParsedObject(G, true));
    EXPECT_EQ(Setup.Objs().FindGenerator("G"), G);
    // With an owner the extractor's accept rules decide.
    TCustomExtract Ext;
    Ext.SetDBStructure(&Setup.Structure);
    TStringList Exclude;
    Exclude.Add("SKIP%");
    Ext.SetExcludeObjsNames(Exclude);
    TIbParser Owned(&Ext);
    EXPECT_EQ(Owned.GetContainer(), &Setup.Objs());
    auto* Skip = new TGnrData(&Setup.Objs());
    Skip->SetName("SKIPME");
    EXPECT_FALSE(Owned.AddParsedObject(Skip, true)); // freed by the extractor
    EXPECT_EQ(Setup.Objs().FindGenerator("SKIPME"), nullptr);
}

TEST(Loop, LargeInputsAreLinearAndKeepExactColumns) {
    // 200,000 statements on one line of about 10 MB.
    const std::string One = "SELECT 'abcdefghijklmnopqrstuvwxyz0123456789' FROM T;";
    std::string Line;
    Line.reserve(One.size() * 200000 + 8);
    for (int i = 0; i < 200000; ++i)
        Line += One;
    Line += "FOO;";
    {
        TIbSetup Setup;
        TIbParser P;
        int Reports = 0;
        P.OnStatement = [&](TObject*, const std::string&, TStatement*&, const std::string&, TDbOperation,
                            TDbObject, const std::string&, TStatType) { ++Reports; };
        P.OnErrorMessage = [](TObject*, const std::string&) {};
        ParseBytes(P, Setup.Objs(), "big.sql", Line);
        EXPECT_EQ(Reports, 200000);
        ASSERT_EQ(P.GetMsgManager().Count(), 1);
        EXPECT_EQ(P.GetMsgManager()[0].LineNo, 1);
        EXPECT_EQ(P.GetMsgManager()[0].ColumnNo, static_cast<int>(One.size() * 200000 + 1));
    }
    // One literal of 10 MB.
    const std::string Literal(10 * 1024 * 1024, 'x');
    {
        TIbSetup Setup;
        TIbParser P;
        TRecorder Rec(P);
        ParseBytes(P, Setup.Objs(), "lit.sql", "INSERT INTO T VALUES ('" + Literal + "'); FOO;");
        ASSERT_EQ(Rec.Reports.size(), 1u);
        EXPECT_EQ(Rec.Reports[0].Text.size(), Literal.size() + 25);
        ASSERT_EQ(P.GetMsgManager().Count(), 1);
        EXPECT_EQ(P.GetMsgManager()[0].ColumnNo, static_cast<int>(Literal.size() + 28));
    }
    // 100,000 nested parentheses: no recursion anywhere.
    {
        TIbSetup Setup;
        TIbParser P;
        TRecorder Rec(P);
        ParseBytes(P, Setup.Objs(), "deep.sql",
                   "SELECT " + std::string(100000, '(') + "1" + std::string(100000, ')') +
                       " FROM T; DROP TABLE T;");
        EXPECT_EQ(Rec.Reports.size(), 2u);
        EXPECT_TRUE(Rec.Errors().empty());
    }
}

TEST(Loop, ExecutorMakesGenericParsers) {
    TSQLExec Exec;
    TSQLParserPtr P = Exec.CreateParser();
    ASSERT_NE(P, nullptr);
    EXPECT_EQ(P->ClassName(), "TCustomSQLParser");
    EXPECT_EQ(P->GetOwner(), nullptr);
    // The generic parser reads every token to the end and reports nothing.
    TIbSetup Setup;
    int Reports = 0;
    P->OnStatement = [&](TObject*, const std::string&, TStatement*&, const std::string&, TDbOperation,
                         TDbObject, const std::string&, TStatType) { ++Reports; };
    P->ParseScript(LinesOf("DROP TABLE T;"), &Setup.Objs());
    EXPECT_EQ(Reports, 0);
    EXPECT_FALSE(P->GetMsgManager().HasErrors());
    EXPECT_TRUE(P->GetReachedEnd());
}

} // namespace
} // namespace smx::test
