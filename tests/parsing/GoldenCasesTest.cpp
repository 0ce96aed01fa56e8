// Golden cases of the InterBase script parser: one folder per case under tests/parsing/cases/<group>/,
// holding script.sql (the input, bytes as they stand), an optional options.txt and expected.txt, the
// transcript of what the parser reported: each statement with its kind, operation, object kind,
// names and exact text, each recorded message with its position where it was recorded, and the
// state the run left (terminator, dialect, character set, generator values, descriptions).
//
// options.txt, one setting a line: version=<st_...> (default st_Firebird_30), dialect=<n> (default 3),
// mode=file|script (ParseFile keeps the dialect, ParseScript starts in dialect 1; default file),
// object=<kind>:<name> to file an object first (domain, generator, exception, procedure, table, view,
// role), link=1 to run the link passes after parsing, logs=1 to append the log lines. The tables,
// indices and constraints the run filed follow the state with their CREATE texts. Set SMX_UPDATE_GOLDEN=1 to
// rewrite expected.txt from the current output.
//
// run=compare reads the case as the master side of a comparison instead: a script extractor (with
// the body parser) reads master=<file-name text> (default <case>/script.sql, "<case>" standing for
// the case folder), the comparer compares it with the case's target.sql. The transcript then holds
// the master's statements and messages with their scripts, the error events the user sees, whether
// the extraction succeeded and how many statements the update script got.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "model/smxComp_Ctr.h"
#include "model/smxComp_Dmn.h"
#include "model/smxComp_Exc.h"
#include "model/smxComp_Gnr.h"
#include "model/smxComp_Idx.h"
#include "model/smxComp_Prc.h"
#include "model/smxComp_Rol.h"
#include "model/smxComp_Tbl.h"
#include "model/smxComp_Viw.h"
#include "tests/parsing/ParserTestSupport.h"
#include "tests/parsing/ScriptCompareSupport.h"

namespace smx::test {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view VersionNames[] = {
    "st_InterBase_4x", "st_InterBase_5x", "st_InterBase_6x", "st_FireBird_1x",   "st_Yaffil_1x",
    "st_FireBird_15",  "st_InterBase_7x", "st_InterBase_75", "st_Firebird_20",   "st_Firebird_21",
    "st_Firebird_25",  "st_Firebird_30",  "st_Firebird_40",  "st_InterBase_2020"};

std::string ReadFile(const fs::path& P) {
    std::ifstream In(P, std::ios::binary);
    std::ostringstream S;
    S << In.rdbuf();
    return S.str();
}

std::vector<std::string> CaseNames() {
    std::vector<std::string> Names;
    for (const auto& Group : fs::directory_iterator(SMX_PARSING_CASES_DIR))
        if (Group.is_directory())
            for (const auto& Case : fs::directory_iterator(Group.path()))
                if (fs::exists(Case.path() / "script.sql"))
                    Names.push_back(Group.path().filename().string() + "/" + Case.path().filename().string());
    std::sort(Names.begin(), Names.end());
    return Names;
}

/// Files an object of the named kind in the container.
void AddObject(TObjs& Objs, const std::string& Entry) {
    const auto Colon = Entry.find(':');
    ASSERT_NE(Colon, std::string::npos) << Entry;
    const std::string Kind = Entry.substr(0, Colon), Name = Entry.substr(Colon + 1);
    TDbObj* O = nullptr;
    if (Kind == "domain")
        O = new TDmnData(&Objs);
    else if (Kind == "generator")
        O = new TGnrData(&Objs);
    else if (Kind == "exception")
        O = new TExcData(&Objs);
    else if (Kind == "procedure")
        O = new TPrcData(&Objs);
    else if (Kind == "view")
        O = new TViwData(&Objs);
    else if (Kind == "role")
        O = new TRolData(&Objs);
    else if (Kind == "table")
        O = new TTblData(&Objs);
    ASSERT_NE(O, nullptr) << "unknown kind " << Kind;
    O->SetName(Name);
    ASSERT_GE(Objs.AddObject(O, true), 0) << Entry;
}

/// The state a run left, appended to the transcript.
std::string EndState(TIbParser& P, TObjs& Objs) {
    const TIBServerOptions& O = Objs.GetIBServerOptions();
    std::string S = "end terminator=" + Visible(P.GetTerminator()) +
                    " dialect=" + std::to_string(O.GetSQLDialect()) + " charset=" + O.GetDBCharSet() + "\n";
    for (int i = 0; i < Objs.Generators().Count(); ++i) {
        auto* G = dynamic_cast<TGnrData*>(Objs.Generators().Objects(i));
        if (G && G->CurrentValue != 0)
            S += "generator " + G->GetName() + "=" + std::to_string(G->CurrentValue) + "\n";
    }
    for (TObjsList L : {TObjsList::olDomains, TObjsList::olGenerators, TObjsList::olExceptions,
                        TObjsList::olProcedures, TObjsList::olTables, TObjsList::olViews, TObjsList::olRoles})
        for (int i = 0; i < Objs.List(L).Count(); ++i) {
            auto* Obj = dynamic_cast<TDbObj*>(Objs.List(L).Objects(i));
            if (Obj && !Obj->GetDescription().empty())
                S += "description " + Obj->GetName() + "=" + Visible(Obj->GetDescription()) + "\n";
        }
    for (TObjsList L : {TObjsList::olTables, TObjsList::olIndices, TObjsList::olConstraints}) {
        TStringList& List = Objs.List(L);
        for (int i = 0; i < List.Count(); ++i) {
            auto* Obj = dynamic_cast<TDbObj*>(List.Objects(i));
            if (!Obj) continue;
            S += (L == TObjsList::olTables    ? "table "
                  : L == TObjsList::olIndices ? "index "
                                              : "constraint ") +
                 Visible(List[i]) + " | " + Visible(Obj->GetCreateSQL());
            if (auto* X = dynamic_cast<TIdxData*>(Obj); X && !X->Active) S += " | inactive";
            S += "\n";
        }
    }
    return S;
}

/// The transcript of a comparison whose master is the case (run=compare).
std::string CompareTranscript(const fs::path& Dir, std::string Master, TIBSQLServerVersionType Version) {
    const std::string Folder = Dir.string();
    for (auto At = Master.find("<case>"); At != std::string::npos; At = Master.find("<case>", At))
        Master.replace(At, 6, Folder);
    TScriptComparison C(Master, (Dir / "target.sql").string());
    for (TDBStructure* S : {&C.Master, &C.Target})
        S->Objs()->GetIBServerOptions().SetSQLServerVersion(Version);
    std::vector<std::string> Events;
    C.MasterExt.SetOnErrorMessage([&Events](TObject*, const std::string& T) { Events.push_back(T); });
    const bool Extracted = C.Cmp.ExtractStructures();
    C.Compare();
    // The extraction made the master's parser; its messages are read from it afterwards.
    TCustomParser& Parser = *C.MasterExt.GetParser();
    EXPECT_EQ(Parser.GetStalledPasses(), 0);
    TRecorder Rec(Parser);
    Rec.CaseFolder = Folder;
    Rec.FlushMessages();
    std::string T = Rec.Transcript;
    for (const std::string& E : Events)
        T += "event " + Visible(Rec.Masked(E)) + "\n";
    return T + "extracted=" + std::to_string(Extracted) +
           " update statements=" + std::to_string(C.Exec.GetStatementCount()) + "\n";
}

class GoldenCase : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenCase, TranscriptMatches) {
    const fs::path Dir = fs::path(SMX_PARSING_CASES_DIR) / GetParam();
    TIbSetup Setup;
    TIbParser Parser;
    std::string Mode = "file", Run, Master = "<case>/script.sql";
    bool Link = false, Logs = false;
    if (fs::exists(Dir / "options.txt")) {
        std::istringstream In(ReadFile(Dir / "options.txt"));
        for (std::string Line; std::getline(In, Line);) {
            Line = Trim(Line);
            if (Line.empty() || Line[0] == '#') continue;
            const auto Eq = Line.find('=');
            ASSERT_NE(Eq, std::string::npos) << Line;
            const std::string Key = Line.substr(0, Eq), Value = Line.substr(Eq + 1);
            if (Key == "version") {
                const auto* It = std::find(std::begin(VersionNames), std::end(VersionNames), Value);
                ASSERT_NE(It, std::end(VersionNames)) << Value;
                Setup.Objs().GetIBServerOptions().SetSQLServerVersion(
                    static_cast<TIBSQLServerVersionType>(It - std::begin(VersionNames)));
            } else if (Key == "dialect") {
                Setup.Objs().GetIBServerOptions().SetSQLDialect(std::stoi(Value));
            } else if (Key == "mode") {
                Mode = Value;
            } else if (Key == "link") {
                Link = Value == "1";
            } else if (Key == "logs") {
                Logs = Value == "1";
            } else if (Key == "object") {
                AddObject(Setup.Objs(), Value);
            } else if (Key == "run") {
                Run = Value;
            } else if (Key == "master") {
                Master = Value;
            } else {
                FAIL() << "unknown option " << Key;
            }
        }
    }
    const fs::path Expected = Dir / "expected.txt";
    const char* Update = std::getenv("SMX_UPDATE_GOLDEN");
    auto Check = [&](const std::string& Actual) {
        if (Update && std::string(Update) == "1") {
            std::ofstream(Expected, std::ios::binary) << Actual;
            return;
        }
        ASSERT_TRUE(fs::exists(Expected)) << "no expected.txt in " << Dir << "; actual:\n" << Actual;
        EXPECT_EQ(Actual, ReadFile(Expected)) << GetParam();
    };
    if (Run == "compare") {
        Check(CompareTranscript(Dir, Master, Setup.Objs().GetIBServerOptions().GetSQLServerVersion()));
        return;
    }
    TRecorder Rec(Parser);
    if (Mode == "script") {
        Parser.SetScriptName("script.sql");
        Parser.ParseScript(LinesOf(ReadFile(Dir / "script.sql")), &Setup.Objs());
    } else {
        Parser.ParseFile((Dir / "script.sql").string(), &Setup.Objs());
    }
    if (Link) Parser.LinkObjects();
    Rec.FlushMessages();
    std::string LogText;
    if (Logs)
        for (std::string L : Rec.Logs) {
            // The case folder differs between checkouts: logs name it "<case>".
            const std::string Folder = Dir.string();
            for (auto At = L.find(Folder); At != std::string::npos; At = L.find(Folder, At))
                L.replace(At, Folder.size(), "<case>");
            LogText += "log " + Visible(L) + "\n";
        }
    const std::string Actual = Rec.Transcript + LogText + EndState(Parser, Setup.Objs());
    EXPECT_EQ(Parser.GetStalledPasses(), 0);
    EXPECT_FALSE(Parser.GetTerminator().empty());
    // A loop that ended before the text did must have said why.
    if (!Parser.GetReachedEnd()) {
        EXPECT_TRUE(Parser.GetMsgManager().HasErrors());
    }
    Check(Actual);
}

std::string CaseTestName(const ::testing::TestParamInfo<std::string>& Info) {
    std::string N = Info.param;
    for (char& C : N)
        if (!std::isalnum(static_cast<unsigned char>(C))) C = '_';
    return N;
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenCase, ::testing::ValuesIn(CaseNames()), CaseTestName);

} // namespace
} // namespace smx::test
