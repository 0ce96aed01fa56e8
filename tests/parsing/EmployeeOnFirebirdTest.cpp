// Firebird's own employee example script (Debian's firebird3.0-examples) read into a structure: what
// the structure holds, a comparison of the script with itself, and the structure's script and an
// update script from nothing, each run on a new Firebird 3 database and extracted by isql-fb.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "database/smxConnection_IBX.h"
#include "database/smxIBDatabaseExtract.h"
#include "model/smxComp_Ctr.h"
#include "model/smxComp_Idx.h"
#include "model/smxComp_Pkg.h"
#include "model/smxComp_Rol.h"
#include "model/smxComp_Trg.h"
#include "model/smxSQL_Exec.h"
#include "model/smxSchemalyst.h"
#include "parsing/smxIBScriptExtract.h"
#include "tests/database/IBXTestSupport.h"
#include "tests/parsing/ParserTestSupport.h"
#include "tests/parsing/ScriptCompareSupport.h"
#include "tests/support/smxTestDb.h"

namespace smx::test {
namespace {

std::string Run(const std::string& Cmd) {
    std::string Out;
    FILE* Pipe = popen(Cmd.c_str(), "r");
    if (!Pipe) return Out;
    std::array<char, 4096> Buf{};
    for (std::size_t N; (N = fread(Buf.data(), 1, Buf.size(), Pipe)) > 0;)
        Out.append(Buf.data(), N);
    pclose(Pipe);
    return Out;
}

/// The employee script unpacked into Dir; empty when the examples package is missing.
std::string UnpackEmployee(const TTempDir& Dir) {
    std::istringstream Files(Run("dpkg -L firebird3.0-examples 2>/dev/null"));
    for (std::string Line; std::getline(Files, Line);)
        if (Line.size() > 15 && Line.ends_with("/employee.sql.gz")) {
            const std::string Target = Dir.File("employee.sql");
            Run("zcat '" + Line + "' > '" + Target + "'");
            return Target;
        }
    return {};
}

/// isql-fb's metadata extract, without its CREATE DATABASE comment, "CHECK (" read as "CHECK(".
std::string Extract(const std::string& Path) {
    std::istringstream In(Run("isql-fb -x '" + Path + "' -user SYSDBA 2>&1"));
    std::string R;
    for (std::string Line; std::getline(In, Line);) {
        if (Line.rfind("/* CREATE DATABASE ", 0) == 0) continue;
        for (std::size_t At; (At = Line.find("CHECK (")) != std::string::npos;)
            Line.erase(At + 5, 1);
        R += Line + "\n";
    }
    return R;
}

/// The extract with the blocks of its "Table constraints" section in sorted order. Unnamed checks get
/// server names in creation order, and isql-fb lists them by that name; the structure's script
/// creates them in its own (sorted) order, so only the set of checks can be compared.
std::string SortedTableChecks(const std::string& Text) {
    const std::string Head = "/* Table constraints */\n";
    const auto Begin = Text.find(Head);
    if (Begin == std::string::npos) return Text;
    const auto From = Begin + Head.size();
    auto End = Text.find("\n/* ", From);
    if (End == std::string::npos) End = Text.size();
    // A block runs from one "ALTER TABLE" line to the next; blank lines between blocks are dropped.
    std::vector<std::string> Blocks;
    std::istringstream In(Text.substr(From, End - From));
    for (std::string Line; std::getline(In, Line);) {
        if (Line.rfind("ALTER TABLE", 0) == 0)
            Blocks.emplace_back();
        else if (Line.empty() || Blocks.empty())
            continue;
        Blocks.back() += Line + "\n";
    }
    std::sort(Blocks.begin(), Blocks.end());
    std::string R = Text.substr(0, From);
    for (const std::string& B : Blocks)
        R += B + "\n";
    return R + Text.substr(End);
}

/// The script comparison of the golden cases, with columns keeping the character sets the scripts
/// give them; the target connects to TargetDb. Extracts both sides.
struct ScriptCompare : TScriptComparison {
    ScriptCompare(const std::string& MasterFile, const std::string& TargetFile,
                  const std::string& TargetDb = {})
        : TScriptComparison(MasterFile, TargetFile) {
        for (TDBStructure* S : {&Master, &Target})
            S->Objs()->GetIBServerOptions().GetIBCompareOptions().SetFldCharsetCompare(true);
        Cmp.GetIBCompareOptions().SetFldCharsetCompare(true);
        Extracted = Cmp.ExtractStructures();
        TConnectionOptions& C = Target.Objs()->GetConnectionOptions();
        C.SetDatabaseName(TargetDb);
        C.SetUserName("SYSDBA");
        C.SetPassword("masterkey");
    }
    bool Extracted = false;
};

TEST(EmployeeOnFirebird, ExtractionHoldsTheWholeSchema) {
    TTempDir Dir("smxemp");
    const std::string File = UnpackEmployee(Dir);
    ASSERT_FALSE(File.empty()) << "firebird3.0-examples is not installed (scripts/deps.sh installs it)";
    ScriptCompare C(File, File);
    ASSERT_TRUE(C.Extracted) << C.Messages;
    EXPECT_FALSE(C.MasterExt.GetMsgManager().HasErrors());
    TObjs& O = *C.Master.Objs();
    EXPECT_EQ(O.Domains().Count(), 15);
    EXPECT_EQ(O.Tables().Count(), 10);
    EXPECT_EQ(O.Views().Count(), 1);
    EXPECT_EQ(O.Procedures().Count(), 10);
    EXPECT_EQ(O.Triggers().Count(), 4);
    EXPECT_EQ(O.Exceptions().Count(), 5);
    EXPECT_EQ(O.Generators().Count(), 2);
    EXPECT_EQ(O.Indices().Count(), 12);
    int Kinds[4] = {};
    for (int i = 0; i < O.Constraints().Count(); ++i)
        if (auto* K = dynamic_cast<TCtrData*>(O.Constraints().Objects(i)); K && K->GetConstraintType() < 4)
            ++Kinds[K->GetConstraintType()];
    EXPECT_EQ(Kinds[ctPrimaryKey], 10);
    EXPECT_EQ(Kinds[ctUnique], 2);
    EXPECT_EQ(Kinds[ctForeignKey], 14);
    EXPECT_EQ(Kinds[ctCheck], 14);
    ASSERT_EQ(O.Grants().Count(), 21);
    int OnRelations = 0, Execute = 0;
    for (int i = 0; i < O.Grants().Count(); ++i) {
        auto* G = dynamic_cast<TGntData*>(O.Grants().Objects(i));
        ASSERT_NE(G, nullptr);
        EXPECT_EQ(G->GranteeName, "PUBLIC");
        EXPECT_NE(G->GrantOption, 0);
        OnRelations += G->ObjectKind == TDbObject::dboTable || G->ObjectKind == TDbObject::dboView;
        Execute += G->ObjectKind == TDbObject::dboProcedure && G->HasPrivilege(5);
    }
    EXPECT_EQ(OnRelations, 11);
    EXPECT_EQ(Execute, 10);
    // The script switches the triggers off and on again, and leaves every index active.
    for (int i = 0; i < O.Triggers().Count(); ++i)
        EXPECT_EQ(dynamic_cast<TTrgData*>(O.Triggers().Objects(i))->Active, 1) << O.Triggers()[i];
    for (int i = 0; i < O.Indices().Count(); ++i)
        EXPECT_TRUE(dynamic_cast<TIdxData*>(O.Indices().Objects(i))->Active) << O.Indices()[i];
}

TEST(EmployeeOnFirebird, ComparedWithItselfGivesOnlyTheHeader) {
    TTempDir Dir("smxemp");
    const std::string File = UnpackEmployee(Dir);
    ASSERT_FALSE(File.empty()) << "firebird3.0-examples is not installed (scripts/deps.sh installs it)";
    ScriptCompare C(File, File);
    ASSERT_TRUE(C.Extracted) << C.Messages;
    const std::string Script = C.Compare();
    EXPECT_EQ(C.Exec.GetHasExecutableStatements(), 0) << Script;
    EXPECT_EQ(Script, "SET SQL DIALECT 3;\n\nSET AUTODDL ON;\n\n");
}

TEST(EmployeeOnFirebird, ScriptsRebuildTheReferenceDatabase) {
    TTempDir Dir("smxemp");
    const std::string File = UnpackEmployee(Dir);
    ASSERT_FALSE(File.empty()) << "firebird3.0-examples is not installed (scripts/deps.sh installs it)";
    // The reference: the script itself run by isql-fb on a database in the folder.
    std::string Text = ReadText(File);
    const std::string Create = "create database 'employee.fdb';";
    const auto At = Text.find(Create);
    ASSERT_NE(At, std::string::npos);
    Text.replace(At, Create.size(),
                 "create database '" + SqlQuoteDoubled(Dir.File("ref.fdb")) +
                     "' user 'SYSDBA' password 'masterkey';");
    const TIsqlResult Ref = RunIsqlScript(Dir, Text);
    ASSERT_TRUE(Ref.Ok()) << Ref.Output;
    const std::string Expected = SortedTableChecks(Extract(Dir.File("ref.fdb")));
    ASSERT_NE(Expected.find("PROCEDURE ALL_LANGS"), std::string::npos) << Expected;

    // The structure's own script on a new empty database.
    ScriptCompare S(File, File);
    ASSERT_TRUE(S.Extracted) << S.Messages;
    S.Master.Objs()->GetScriptOptions().SetConnect(false);
    S.Master.Objs()->GetScript();
    TTestDatabase Built(CreateDatabaseSql("", "PAGE_SIZE 8192"), "built.fdb");
    const TIsqlResult B = RunIsqlScript(Built.Dir(), "CONNECT '" + SqlQuoteDoubled(Built.Path()) + "';\n" +
                                                         S.Master.Objs()->GetScriptLines().Text());
    EXPECT_TRUE(B.Ok()) << B.Output;
    EXPECT_EQ(SortedTableChecks(Extract(Built.Path())), Expected);

    // The update script from an empty script, run on an empty database.
    std::ofstream(Dir.File("empty.sql")) << "COMMIT;\n";
    TTestDatabase Empty(CreateDatabaseSql("", "PAGE_SIZE 8192"), "empty.fdb");
    ScriptCompare C(File, Dir.File("empty.sql"), Empty.Path());
    ASSERT_TRUE(C.Extracted) << C.Messages;
    std::ofstream(Dir.File("update.sql"), std::ios::binary) << C.Compare();
    const TIsqlResult U = RunIsqlFile(Dir.File("update.sql"));
    EXPECT_TRUE(U.Ok()) << U.Output;
    EXPECT_EQ(SortedTableChecks(Extract(Empty.Path())), Expected);
}

TEST(EmployeeOnFirebird, ScriptAndItsDatabaseCompareEqualBothWays) {
    TTempDir Dir("smxemp");
    const std::string File = UnpackEmployee(Dir);
    ASSERT_FALSE(File.empty()) << "firebird3.0-examples is not installed (scripts/deps.sh installs it)";
    std::string Text = ReadText(File);
    const std::string Create = "create database 'employee.fdb';", Db = Dir.File("ref.fdb");
    Text.replace(Text.find(Create), Create.size(),
                 "create database '" + SqlQuoteDoubled(Db) + "' user 'SYSDBA';");
    ASSERT_TRUE(RunIsqlScript(Dir, Text).Ok());
    for (const bool ScriptIsMaster : {true, false}) {
        TScriptComparison C(File, File);
        auto Database = MakeIBDatabase(Db);
        TSMXConnectionIBX Conn;
        Conn.SetDatabase(Database.get());
        TIBDBExtract Ex;
        Ex.SetSMXConnection(&Conn);
        ScriptIsMaster ? C.Cmp.SetExtractorTarget(&Ex) : C.Cmp.SetExtractorMaster(&Ex);
        ASSERT_TRUE(C.Cmp.ExtractStructures()) << C.Messages;
        const std::string Script = C.Compare();
        EXPECT_EQ(C.Exec.GetHasExecutableStatements(), 0)
            << (ScriptIsMaster ? "script first\n" : "database first\n") << Script;
    }
}

/// The folder of the package example of firebird3.0-examples; empty when it is missing.
std::string PackageExampleFolder() {
    std::istringstream Files(Run("dpkg -L firebird3.0-examples 2>/dev/null"));
    for (std::string Line; std::getline(Files, Line);)
        if (Line.ends_with("/package/fbout-header.sql")) return Line.substr(0, Line.size() - 16);
    return {};
}

TEST(EmployeeOnFirebird, PackageExampleFromNothing) {
    const std::string Folder = PackageExampleFolder();
    ASSERT_FALSE(Folder.empty()) << "firebird3.0-examples is not installed (scripts/deps.sh installs it)";
    const std::string Header = Folder + "fbout-header.sql", Body = Folder + "fbout-body.sql";
    const std::string Both = "\"" + Header + "\" \"" + Body + "\"";
    ScriptCompare S(Both, Both);
    ASSERT_TRUE(S.Extracted) << S.Messages;
    TObjs& O = *S.Master.Objs();
    ASSERT_EQ(O.Packages().Count(), 1);
    TPkgData* K = O.FindPackage("FB$OUT");
    ASSERT_NE(K, nullptr);
    EXPECT_TRUE(K->GetHeaderSource().starts_with("begin")) << K->GetHeaderSource();
    EXPECT_TRUE(K->GetSource().starts_with("begin")) << K->GetSource();
    EXPECT_EQ(O.Procedures().Count(), 0);

    // The reference: both files run by isql-fb on a new database.
    TTempDir Dir("smxpkg");
    TTestDatabase Ref(CreateDatabaseSql("", "PAGE_SIZE 8192"), "ref.fdb");
    for (const std::string& F : {Header, Body}) {
        const TIsqlResult R =
            RunIsqlScript(Ref.Dir(), "CONNECT '" + SqlQuoteDoubled(Ref.Path()) + "';\n" + ReadText(F));
        ASSERT_TRUE(R.Ok()) << R.Output;
    }
    std::ofstream(Dir.File("empty.sql")) << "COMMIT;\n";
    TTestDatabase Empty(CreateDatabaseSql("", "PAGE_SIZE 8192"), "empty.fdb");
    ScriptCompare C(Both, Dir.File("empty.sql"), Empty.Path());
    ASSERT_TRUE(C.Extracted) << C.Messages;
    const std::string Script = C.Compare();
    for (const char* Part : {"CREATE GENERATOR FB$OUT_SEQ", "CREATE DOMAIN", "CREATE GLOBAL TEMPORARY TABLE",
                             "CREATE OR ALTER PACKAGE", "RECREATE PACKAGE BODY"})
        EXPECT_NE(Script.find(Part), std::string::npos) << Part << "\n" << Script;
    std::ofstream(Dir.File("update.sql"), std::ios::binary) << Script;
    const TIsqlResult U = RunIsqlFile(Dir.File("update.sql"));
    EXPECT_TRUE(U.Ok()) << U.Output << Script;
    EXPECT_EQ(Extract(Empty.Path()), Extract(Ref.Path()));
}

} // namespace
} // namespace smx::test
