// INPUT and script files on disk, in a temporary folder: included statements and messages, missing
// files, recursion, nesting depth, files that are no regular files (directory, FIFO, /dev/zero),
// unreadable files, and a terminator changed inside an included file. Each INPUT case runs with and
// without an owner extractor.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/parsing/ParserTestSupport.h"
#include "tests/support/smxTestDb.h"

namespace smx::test {
namespace {

void WriteFile(const std::string& Path, const std::string& Text) {
    std::ofstream(Path, std::ios::binary) << Text;
}

/// A parser for INPUT cases, with or without an owner extractor, that counts the files it reads.
struct InputFixture {
    explicit InputFixture(bool WithOwner) {
        if (WithOwner) {
            Ext.SetDBStructure(&Setup.Structure);
            Parser = std::make_unique<TIbParser>(&Ext);
        } else {
            Parser = std::make_unique<TIbParser>();
        }
        Rec = std::make_unique<TRecorder>(*Parser);
        Parser->ReadFileHook = [this](const std::string& F, std::string& Bytes) {
            ++Reads[F];
            return ReadScriptFile(F, Bytes);
        };
    }
    void Parse(const std::string& File) { Parser->ParseFile(File, &Setup.Objs()); }

    TIbSetup Setup;
    TCustomExtract Ext;
    std::unique_ptr<TIbParser> Parser;
    std::unique_ptr<TRecorder> Rec;
    std::map<std::string, int> Reads;
};

class Input : public ::testing::TestWithParam<bool> {
protected:
    TTempDir Dir{"smxinput"};
};

TEST_P(Input, IncludedStatementsAndMessages) {
    WriteFile(Dir.File("a.sql"), "INPUT 'b.sql'; DROP TABLE A;\n");
    WriteFile(Dir.File("b.sql"), "DROP TABLE B; FOO;");
    InputFixture F(GetParam());
    F.Parse(Dir.File("a.sql"));
    EXPECT_EQ(F.Rec->Texts(), (std::vector<std::string>{"DROP TABLE B", "DROP TABLE A"}));
    const TMsgManager& M = F.Parser->GetMsgManager();
    ASSERT_EQ(M.Count(), 1);
    EXPECT_EQ(M[0].Text, "Unknown statement: <Ident>");
    EXPECT_EQ(M[0].ScriptName, Dir.File("b.sql"));
    EXPECT_EQ(M[0].LineNo, 1);
    EXPECT_EQ(M[0].ColumnNo, 15);
    EXPECT_EQ(F.Rec->ErrorEvents.size(), 1u);
}

TEST_P(Input, MissingFileAndFilesThatAreNoRegularFiles) {
    ASSERT_EQ(mkfifo(Dir.File("fifo").c_str(), 0600), 0);
    ASSERT_EQ(mkdir(Dir.File("sub").c_str(), 0700), 0);
    WriteFile(Dir.File("a.sql"), "INPUT 'nope.sql';\nDROP TABLE A;\nINPUT '/dev/zero';\nINPUT 'fifo';\n"
                                 "INPUT 'sub';\nDROP TABLE B;\n");
    InputFixture F(GetParam());
    F.Parse(Dir.File("a.sql"));
    EXPECT_EQ(F.Rec->Texts(), (std::vector<std::string>{"DROP TABLE A", "DROP TABLE B"}));
    EXPECT_EQ(F.Rec->Errors(), (std::vector<std::string>{"File not found: " + Dir.File("nope.sql"),
                                                         "Not a regular file: /dev/zero",
                                                         "Not a regular file: " + Dir.File("fifo"),
                                                         "Not a regular file: " + Dir.File("sub")}));
    // Each error stands at its INPUT statement.
    EXPECT_EQ(F.Parser->GetMsgManager()[0].LineNo, 1);
    EXPECT_EQ(F.Parser->GetMsgManager()[1].LineNo, 3);
}

TEST_P(Input, RecursionIsRefusedAndEachFileReadOnce) {
    WriteFile(Dir.File("self.sql"), "DROP TABLE S;\nINPUT 'self.sql';\n");
    WriteFile(Dir.File("a.sql"), "INPUT 'b.sql';\nDROP TABLE A;\n");
    WriteFile(Dir.File("b.sql"), "INPUT '" + Dir.File("a.sql") + "';\nDROP TABLE B;\n");
    {
        InputFixture F(GetParam());
        F.Parse(Dir.File("self.sql"));
        EXPECT_EQ(F.Rec->Texts(), std::vector<std::string>{"DROP TABLE S"});
        EXPECT_EQ(F.Rec->Errors(), std::vector<std::string>{"Recursive INPUT: " + Dir.File("self.sql")});
        EXPECT_EQ(F.Reads[Dir.File("self.sql")], 1);
    }
    {
        InputFixture F(GetParam());
        F.Parse(Dir.File("a.sql"));
        EXPECT_EQ(F.Rec->Texts(), (std::vector<std::string>{"DROP TABLE B", "DROP TABLE A"}));
        EXPECT_EQ(F.Rec->Errors(), std::vector<std::string>{"Recursive INPUT: " + Dir.File("a.sql")});
        EXPECT_EQ(F.Reads[Dir.File("a.sql")], 1);
        EXPECT_EQ(F.Reads[Dir.File("b.sql")], 1);
    }
    // The same file twice in a row is no recursion.
    WriteFile(Dir.File("twice.sql"), "INPUT 'leaf.sql'; INPUT 'leaf.sql';");
    WriteFile(Dir.File("leaf.sql"), "DROP TABLE L;");
    InputFixture F(GetParam());
    F.Parse(Dir.File("twice.sql"));
    EXPECT_EQ(F.Rec->Texts(), (std::vector<std::string>{"DROP TABLE L", "DROP TABLE L"}));
    EXPECT_TRUE(F.Rec->Errors().empty());
}

TEST_P(Input, NestingDepthIsLimited) {
    // f0 includes f1, ..., f33 includes f34: 32 levels are read, the 33rd INPUT is refused.
    for (int i = 0; i <= 34; ++i)
        WriteFile(Dir.File("f" + std::to_string(i) + ".sql"),
                  "INPUT 'f" + std::to_string(i + 1) + ".sql';\nDROP TABLE T" + std::to_string(i) + ";\n");
    InputFixture F(GetParam());
    F.Parse(Dir.File("f0.sql"));
    EXPECT_EQ(F.Rec->Errors(), std::vector<std::string>{"INPUT nested too deeply: " + Dir.File("f33.sql")});
    ASSERT_EQ(F.Rec->Reports.size(), 33u); // T32 first, out to T0
    EXPECT_EQ(F.Rec->Reports.front().Text, "DROP TABLE T32");
    EXPECT_EQ(F.Rec->Reports.back().Text, "DROP TABLE T0");
    EXPECT_EQ(F.Parser->GetMsgManager()[0].ScriptName, Dir.File("f32.sql"));
}

TEST_P(Input, TerminatorChangedInsideAnIncludedFileStays) {
    WriteFile(Dir.File("a.sql"),
              "INPUT 'term.sql';\nCREATE PROCEDURE P AS BEGIN EXIT; END ^\nSET TERM ; ^\n");
    WriteFile(Dir.File("term.sql"), "SET TERM ^ ;\n");
    InputFixture F(GetParam());
    F.Parse(Dir.File("a.sql"));
    EXPECT_EQ(F.Rec->Texts(), std::vector<std::string>{"CREATE PROCEDURE P AS BEGIN EXIT; END"});
    EXPECT_TRUE(F.Rec->Errors().empty());
    EXPECT_EQ(F.Parser->GetTerminator(), ";");
}

TEST_P(Input, StopInsideAnIncludedFileIsReportedOnce) {
    struct Guard {
        ~Guard() { StopRequested = false; }
    } G;
    WriteFile(Dir.File("a.sql"), "INPUT 'b.sql'; DROP TABLE A;");
    WriteFile(Dir.File("b.sql"), "DROP TABLE B; DROP TABLE C;");
    InputFixture F(GetParam());
    F.Rec->OnReport = [](int, TStatement*&) { StopRequested = true; };
    F.Parse(Dir.File("a.sql"));
    EXPECT_EQ(F.Rec->Texts(), std::vector<std::string>{"DROP TABLE B"});
    EXPECT_EQ(F.Rec->Errors(), std::vector<std::string>{"Parsing stopped."});
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutOwner, Input, ::testing::Bool(),
                         [](const auto& I) { return I.param ? "Owner" : "NoOwner"; });

TEST(ScriptFiles, ProblemsAreRecordedAndNothingIsRead) {
    TTempDir Dir("smxfiles");
    ASSERT_EQ(mkfifo(Dir.File("fifo").c_str(), 0600), 0);
    const std::pair<std::string, std::string> Rows[] = {
        {Dir.File("missing.sql"), "File not found: " + Dir.File("missing.sql")},
        {Dir.Path(), "Not a regular file: " + Dir.Path()},
        {Dir.File("fifo"), "Not a regular file: " + Dir.File("fifo")},
        {"/dev/zero", "Not a regular file: /dev/zero"},
        {"", "File not found: "},
    };
    for (const auto& [File, Message] : Rows) {
        TIbSetup Setup;
        TIbParser P;
        TRecorder Rec(P);
        P.ParseFile(File, &Setup.Objs());
        EXPECT_EQ(Rec.Errors(), std::vector<std::string>{Message});
        EXPECT_TRUE(Rec.Reports.empty());
        EXPECT_FALSE(P.GetReachedEnd());
    }
}

TEST(ScriptFiles, UnreadableFile) {
    // Root reads every file whatever its mode, so the check runs as an unprivileged user in a child.
    TTempDir Dir("smxunread");
    const std::string File = Dir.File("secret.sql");
    WriteFile(File, "DROP TABLE T;");
    ASSERT_EQ(chmod(File.c_str(), 0), 0);
    ASSERT_EQ(chmod(Dir.Path().c_str(), 0755), 0);
    if (geteuid() != 0) {
        TIbSetup Setup;
        TIbParser P;
        TRecorder Rec(P);
        P.ParseFile(File, &Setup.Objs());
        EXPECT_EQ(Rec.Errors(), std::vector<std::string>{"Cannot read file: " + File});
        return;
    }
    const pid_t Child = fork();
    ASSERT_GE(Child, 0);
    if (Child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
        TIbSetup Setup;
        TIbParser P;
        P.OnErrorMessage = [](TObject*, const std::string&) {};
        P.ParseFile(File, &Setup.Objs());
        const TMsgManager& M = P.GetMsgManager();
        _exit(M.Count() == 1 && M[0].Text == "Cannot read file: " + File ? 0 : 1);
    }
    int Status = 0;
    ASSERT_EQ(waitpid(Child, &Status, 0), Child);
    ASSERT_TRUE(WIFEXITED(Status));
    EXPECT_EQ(WEXITSTATUS(Status), 0);
}

} // namespace
} // namespace smx::test
