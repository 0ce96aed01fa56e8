// Script extractor runs on files in a temporary folder: file-name lists and masks, missing and
// refused files, the one message list the comparer reads, a second run after a body analysis, and
// the bad inputs every run must report with their positions.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "model/smxComp_Viw.h"
#include "model/smxSQL_Exec.h"
#include "model/smxSchemalyst.h"
#include "parsing/smxIBExParser.h"
#include "parsing/smxIBScriptExtract.h"
#include "tests/parsing/ParserTestSupport.h"
#include "tests/support/smxTestDb.h"

namespace smx::test {
namespace {

void WriteFile(const std::string& Path, const std::string& Text) {
    std::ofstream(Path, std::ios::binary) << Text;
}

/// An extractor named IBScriptExtract1 on a Firebird 3 structure, recording events.
struct ExtractSetup {
    ExtractSetup() {
        Ext.SetName("IBScriptExtract1");
        Ext.SetDBStructure(&Setup.Structure);
        Ext.SetOnErrorMessage([this](TObject*, const std::string& T) { Events.push_back(T); });
        Ext.SetOnLogNextLine([this](TObject*, const std::string& T) {
            if (T.rfind("Parse file: ", 0) == 0) Parsed.push_back(T.substr(12));
        });
    }
    std::vector<std::string> Errors() {
        std::vector<std::string> R;
        TMsgManager& M = Ext.GetMsgManager();
        for (int i = 0; i < M.Count(); ++i)
            if (M[i].Kind == 2) R.push_back(M[i].Text);
        return R;
    }
    const TMsgData* FirstError() {
        TMsgManager& M = Ext.GetMsgManager();
        for (int i = 0; i < M.Count(); ++i)
            if (M[i].Kind == 2) return &M[i];
        return nullptr;
    }
    bool Run(const std::string& Names) {
        Ext.SetScriptFileName(Names);
        return Ext.ExtractDatabase();
    }
    TIbSetup Setup;
    TIBScriptExtract Ext;
    std::vector<std::string> Events, Parsed;
    TTempDir Dir{"smxextract"};
};

TEST(ScriptExtract, FileNameListsAndMasks) {
    ExtractSetup S;
    WriteFile(S.Dir.File("a b.sql"), "COMMIT;");
    WriteFile(S.Dir.File("c.sql"), "COMMIT;");
    EXPECT_TRUE(S.Run("\"" + S.Dir.File("a b.sql") + "\" \"" + S.Dir.File("c.sql") + "\""));
    EXPECT_EQ(S.Parsed, (std::vector<std::string>{S.Dir.File("a b.sql"), S.Dir.File("c.sql")}));
    // One quoted name with a blank inside is one name.
    S.Parsed.clear();
    EXPECT_TRUE(S.Run("\"" + S.Dir.File("a b.sql") + "\""));
    EXPECT_EQ(S.Parsed, (std::vector<std::string>{S.Dir.File("a b.sql")}));

    TTempDir M("smxmask");
    WriteFile(M.File("b.sql"), "COMMIT;");
    WriteFile(M.File("a.sql"), "COMMIT;");
    WriteFile(M.File("a.txt"), "garbage");
    std::filesystem::create_directory(M.File("x.sql"));
    S.Parsed.clear();
    EXPECT_TRUE(S.Run(M.File("*.sql")));
    EXPECT_EQ(S.Parsed, (std::vector<std::string>{M.File("a.sql"), M.File("b.sql")}));
}

TEST(ScriptExtract, MissingRefusedAndEmpty) {
    ExtractSetup S;
    WriteFile(S.Dir.File("c.sql"), "COMMIT;");
    const std::string Missing = S.Dir.File("missing.sql");
    EXPECT_FALSE(S.Run("\"" + Missing + "\" \"" + S.Dir.File("c.sql") + "\""));
    EXPECT_EQ(S.Errors(), (std::vector<std::string>{"File not found: " + Missing}));
    EXPECT_EQ(S.Parsed, (std::vector<std::string>{S.Dir.File("c.sql")})); // the other file still read
    EXPECT_EQ(S.Events, (std::vector<std::string>{"File not found: " + Missing}));

    // A folder named as a file.
    EXPECT_FALSE(S.Run(S.Dir.Path()));
    EXPECT_EQ(S.Errors(), (std::vector<std::string>{"Not a file: " + S.Dir.Path()}));

    EXPECT_FALSE(S.Run(""));
    EXPECT_EQ(S.Errors(),
              (std::vector<std::string>{"ScriptFileName(s) is empty. (TIBScriptExtract) IBScriptExtract1"}));

    S.Ext.OnLoadScript = [](TObject*, const std::string&, TStringList&, bool& Loaded) { Loaded = false; };
    EXPECT_FALSE(S.Run(S.Dir.File("c.sql")));
    EXPECT_EQ(S.Errors(), (std::vector<std::string>{"Script not load: " + S.Dir.File("c.sql")}));
    // The handler's lines are not parsed: the file is.
    S.Ext.OnLoadScript = [](TObject*, const std::string&, TStringList& Lines, bool& Loaded) {
        Lines.Add("FOO BAR;");
        Loaded = true;
    };
    EXPECT_TRUE(S.Run(S.Dir.File("c.sql")));

    // The stop flag ends a run as failed.
    StopRequested = true;
    EXPECT_FALSE(S.Run(S.Dir.File("c.sql")));
    StopRequested = false;
    EXPECT_EQ(S.Errors(), (std::vector<std::string>{"Extraction stopped."}));

    TIBScriptExtract Bare;
    Bare.SetName("IBScriptExtract1");
    Bare.SetOnErrorMessage([](TObject*, const std::string&) {});
    Bare.SetScriptFileName(S.Dir.File("c.sql"));
    EXPECT_FALSE(Bare.ExtractDatabase());
    ASSERT_EQ(Bare.GetMsgManager().Count(), 1);
    EXPECT_EQ(Bare.GetMsgManager()[0].Text, "DBStructure not assigned. (TIBScriptExtract) IBScriptExtract1");
    EXPECT_EQ(Bare.GetParser(), nullptr);
    S.Ext.SetDBStructure(nullptr);
    EXPECT_EQ(S.Ext.GetParser(), nullptr);
}

TEST(ScriptExtract, BadInputsAreReportedWithTheirPositions) {
    struct Case {
        const char* Text;
        const char* Message; // start of the first error
        int Line, Column;
    };
    const Case Cases[] = {
        {"COMMIT;\nFOO;", "Unknown statement: ", 2, 1},
        {"COMMIT;\n  # ;", "Invalid char in source text: ", 2, 3},
        {"COMMIT;\n\x01;", "Invalid char in source text: ", 2, 1},
        {"COMMIT;\n\xC3\xA9;", "Invalid char in source text: ", 2, 1},
        {"COMMIT;\nCOMMENT ON TABLE T IS 'never closed;\nCOMMIT;", "Unterminated string", 2, 23},
        {"COMMIT;\n/* never closed\nCOMMIT;", "Unterminated comment", 2, 1},
    };
    for (const Case& C : Cases) {
        ExtractSetup S;
        const std::string F = S.Dir.File("master.sql");
        WriteFile(F, C.Text);
        EXPECT_FALSE(S.Run(F)) << C.Text;
        const TMsgData* E = S.FirstError();
        ASSERT_NE(E, nullptr) << C.Text;
        EXPECT_EQ(E->Text.rfind(C.Message, 0), 0u) << E->Text;
        EXPECT_EQ(E->ScriptName, F);
        EXPECT_EQ(E->LineNo, C.Line) << C.Text;
        EXPECT_EQ(E->ColumnNo, C.Column) << C.Text;
    }
    // A computed column nested 10,000 deep: one limit message first, no stack overflow.
    {
        ExtractSetup D;
        const std::string F = D.Dir.File("deep.sql");
        WriteFile(F, "CREATE TABLE T (A INTEGER, C COMPUTED BY (" + std::string(10000, '(') + "A" +
                         std::string(10000, ')') + "));\nCOMMIT;\n");
        EXPECT_FALSE(D.Run(F));
        ASSERT_NE(D.FirstError(), nullptr);
        EXPECT_NE(D.FirstError()->Text.find("Nesting too deep"), std::string::npos) << D.FirstError()->Text;
    }
    // A UTF-8 byte-order mark is no character of the script.
    ExtractSetup S;
    WriteFile(S.Dir.File("bom.sql"), "\xEF\xBB\xBF"
                                     "COMMIT;");
    EXPECT_TRUE(S.Run(S.Dir.File("bom.sql")));
    // INPUT of a missing file, and of a file with an error, count for the run.
    WriteFile(S.Dir.File("in1.sql"), "INPUT 'gone.sql';");
    EXPECT_FALSE(S.Run(S.Dir.File("in1.sql")));
    EXPECT_NE(S.Errors().at(0).find("gone.sql"), std::string::npos);
    WriteFile(S.Dir.File("bad.sql"), "COMMIT;\nFOO;");
    WriteFile(S.Dir.File("in2.sql"), "INPUT 'bad.sql';");
    EXPECT_FALSE(S.Run(S.Dir.File("in2.sql")));
    EXPECT_EQ(S.FirstError()->ScriptName, S.Dir.File("bad.sql"));
    EXPECT_EQ(S.FirstError()->LineNo, 2);
}

TEST(ScriptExtract, SecondRunAfterABodyAnalysisReadsTheSameScript) {
    ExtractSetup S;
    const std::string F = S.Dir.File("s.sql");
    WriteFile(F,
              "SET SQL DIALECT 3;\nCREATE TABLE T (ID INTEGER NOT NULL, A INTEGER, C COMPUTED BY (A * 2),\n"
              "  CONSTRAINT PK_T PRIMARY KEY (ID));\nCREATE INDEX IX ON T COMPUTED BY (A + 1);\n"
              "ALTER TABLE T ADD CONSTRAINT CHK CHECK(A > 0);\nSELECT 1 FROM RDB$DATABASE;\nCOMMIT;\n");
    ASSERT_TRUE(S.Run(F)) << S.Errors().front();
    S.Setup.Objs().GetScript();
    const std::string First = S.Setup.Objs().GetScriptLines().Text();
    EXPECT_NE(First.find("COMPUTED BY (A * 2)"), std::string::npos) << First;
    TViwData V(&S.Setup.Objs());
    V.SetName("V");
    V.SetSource("SELECT 1 FROM RDB$DATABASE");
    static_cast<TIbExParser*>(S.Ext.GetParser())->ParseBody(&V);
    ASSERT_TRUE(S.Ext.ExtractDatabase()) << S.Errors().front();
    S.Setup.Objs().GetScript();
    EXPECT_EQ(S.Setup.Objs().GetScriptLines().Text(), First);
}

TEST(ScriptExtract, ComparerStopsOnAMissingMasterFile) {
    TTempDir Dir("smxcmp");
    const std::string Target = Dir.File("target.sql");
    WriteFile(Target, "COMMIT;\n");
    TIbSetup MasterSide, TargetSide;
    TIBScriptExtract MasterExt, TargetExt;
    MasterExt.SetName("IBScriptExtract1");
    TargetExt.SetName("IBScriptExtract2");
    for (TIBScriptExtract* E : {&MasterExt, &TargetExt})
        E->SetOnErrorMessage([](TObject*, const std::string&) {});
    MasterExt.SetScriptFileName(Dir.File("missing.sql"));
    TargetExt.SetScriptFileName(Target);
    TSQLExec Exec;
    Exec.SetDatabaseType(TDatabaseType::dbInterBase);
    TSchemalyst Cmp;
    Cmp.OnErrorMessage = [](TObject*, const std::string&) {};
    Cmp.SetDBStructureMaster(&MasterSide.Structure);
    Cmp.SetDBStructureTarget(&TargetSide.Structure);
    Cmp.SetExtractorMaster(&MasterExt);
    Cmp.SetExtractorTarget(&TargetExt);
    Cmp.SetSQLExec(&Exec);
    EXPECT_FALSE(Cmp.ExtractStructures());
    bool Found = false;
    for (int i = 0; i < Cmp.GetMsgManager().Count(); ++i)
        Found = Found || Cmp.GetMsgManager()[i].Text == "File not found: " + Dir.File("missing.sql");
    EXPECT_TRUE(Found);
    Cmp.CompareStructures();
    EXPECT_EQ(Exec.GetStatementCount(), 0);
}

} // namespace
} // namespace smx::test
