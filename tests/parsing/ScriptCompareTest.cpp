// The golden cases of comparing two scripts: for every case folder under tests/cases, both
// scripts are extracted, compared, and the update script must equal expected.sql (line ends
// ignored); a second comparison must write the same text. SMX_UPDATE_GOLDEN=1 rewrites expected.sql.
#include <gtest/gtest.h>

#include <cstdlib>

#include "model/smxComp_Viw.h"
#include "parsing/smxIBExParser.h"
#include "tests/parsing/ScriptCompareSupport.h"
#include "tests/support/smxTestDb.h"

namespace smx::test {
namespace {

namespace fs = std::filesystem;

class ScriptCase : public ::testing::TestWithParam<std::string> {};

TEST_P(ScriptCase, UpdateScriptEqualsExpected) {
    const fs::path Dir = fs::path(CasesRoot(SMX_SCRIPT_CASES_DIR)) / GetParam();
    TScriptComparison C((Dir / "master.sql").string(), (Dir / "target.sql").string());
    ASSERT_TRUE(C.Cmp.ExtractStructures()) << C.Messages;
    const std::string First = C.Compare();
    if (const char* U = std::getenv("SMX_UPDATE_GOLDEN"); U && *U == '1')
        std::ofstream(Dir / "expected.sql", std::ios::binary) << First;
    EXPECT_EQ(First, WithoutCR(ReadText(Dir / "expected.sql")));
    EXPECT_EQ(C.Compare(), First) << "a second comparison writes another script";
}

INSTANTIATE_TEST_SUITE_P(Scripts, ScriptCase, ::testing::ValuesIn(ScriptCaseNames(CasesRoot(SMX_SCRIPT_CASES_DIR))),
                         [](const auto& Info) {
                             std::string N = Info.param;
                             for (char& Ch : N)
                                 if (!std::isalnum(static_cast<unsigned char>(Ch))) Ch = '_';
                             return N;
                         });

TEST(ScriptCompare, EqualScriptsGiveOnlyTheHeader) {
    const fs::path Dir = fs::path(SMX_SCRIPT_CASES_DIR) / "scripts" / "new_table_pk_index";
    TScriptComparison C((Dir / "master.sql").string(), (Dir / "master.sql").string());
    ASSERT_TRUE(C.Cmp.ExtractStructures()) << C.Messages;
    EXPECT_EQ(C.Compare(), "SET SQL DIALECT 3;\n\nSET AUTODDL ON;\n\n");
}

TEST(ScriptCompare, SyntaxErrorInTheMasterWritesNoScript) {
    const fs::path Dir = fs::path(SMX_SCRIPT_CASES_DIR) / "scripts" / "new_table_pk_index";
    const std::string Bad = ::testing::TempDir() + "/smx_bad_master.sql";
    std::ofstream(Bad, std::ios::binary) << "CREATE TABLE T (ID INTEGER);\nCREATE TABLE ;\n";
    TScriptComparison C(Bad, (Dir / "target.sql").string());
    EXPECT_FALSE(C.Cmp.ExtractStructures());
    EXPECT_NE(C.Messages.find(Bad), std::string::npos) << C.Messages;
    EXPECT_NE(C.Messages.find("Line:2"), std::string::npos) << C.Messages;
    C.Compare();
    EXPECT_EQ(C.Exec.GetStatementCount(), 0);
    std::remove(Bad.c_str());
}

TEST(ScriptCompare, ViewOverADroppedColumnIsDroppedBeforeTheColumn) {
    // The views are built in code and analysed by the body parser, as the metadata extractor does;
    // the dependency it records (V on T.A) orders the drops.
    TTempDir Dir("smxviewdep");
    std::ofstream(Dir.File("m.sql"), std::ios::binary) << "CREATE TABLE T (ID INTEGER NOT NULL);\n";
    std::ofstream(Dir.File("t.sql"), std::ios::binary)
        << "CREATE TABLE T (ID INTEGER NOT NULL, A INTEGER);\n";
    TScriptComparison C(Dir.File("m.sql"), Dir.File("t.sql"));
    ASSERT_TRUE(C.Cmp.ExtractStructures()) << C.Messages;
    auto AddView = [](TIBScriptExtract& Ext, TDBStructure& S, const std::string& Select,
                      std::initializer_list<const char*> Fields) {
        auto* V = new TViwData(S.Objs());
        V->SetName("V");
        for (const char* F : Fields)
            V->AddField(F);
        V->SetSource(Select);
        ASSERT_GE(S.Objs()->AddObject(V, true), 0);
        auto* P = dynamic_cast<TIbExParser*>(Ext.GetParser());
        ASSERT_NE(P, nullptr);
        P->ParseBody(V);
        EXPECT_FALSE(Ext.GetMsgManager().HasErrors());
    };
    AddView(C.TargetExt, C.Target, "SELECT ID, A FROM T", {"ID", "A"});
    AddView(C.MasterExt, C.Master, "SELECT ID FROM T", {"ID"});
    const std::string Script = C.Compare();
    const auto DropView = Script.find("DROP VIEW V;"), DropColumn = Script.find("ALTER TABLE T DROP A;");
    ASSERT_NE(DropView, std::string::npos) << Script;
    ASSERT_NE(DropColumn, std::string::npos) << Script;
    EXPECT_LT(DropView, DropColumn) << Script;
}

} // namespace
} // namespace smx::test
