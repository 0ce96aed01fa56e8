// The Firebird 3 half of the script golden cases (a database test): isql-fb builds t.fdb from
// target.sql and m.fdb from master.sql; the update script computed from the two scripts must run on
// t.fdb without a failing statement, after which isql-fb -x shows t.fdb exactly as m.fdb. A case
// whose script the server cannot run as written carries a file "no-fb" with the reason.
#include <gtest/gtest.h>

#include "tests/parsing/ScriptCompareSupport.h"
#include "tests/support/smxTestDb.h"

namespace smx::test {
namespace {

namespace fs = std::filesystem;

/// isql-fb -x of the database without the CREATE DATABASE comment line.
std::string Extract(const std::string& Path) {
    const std::string Out = IsqlExtract(Path);
    std::string R;
    std::istringstream In(WithoutCR(Out));
    for (std::string Line; std::getline(In, Line);)
        if (Line.rfind("/* CREATE DATABASE", 0) != 0) R += Line + "\n";
    return R;
}

class ScriptCaseOnFirebird : public ::testing::TestWithParam<std::string> {};

TEST_P(ScriptCaseOnFirebird, UpdateScriptTurnsTargetIntoMaster) {
    const fs::path Dir = fs::path(SMX_SCRIPT_CASES_DIR) / GetParam();
    if (fs::exists(Dir / "no-fb")) GTEST_SKIP() << WithoutCR(ReadText(Dir / "no-fb"));
    TTempDir Tmp("smxscripts");
    const std::string T = Tmp.File("t.fdb"), M = Tmp.File("m.fdb");
    auto Build = [&](const std::string& Db, const fs::path& Script) {
        const TIsqlResult R = RunIsqlScript(Tmp, "CREATE DATABASE '" + SqlQuoteDoubled(Db) +
                                                     "' USER 'SYSDBA';\n" + ReadText(Script));
        ASSERT_TRUE(R.Ok()) << Script << ": " << R.Output;
    };
    Build(T, Dir / "target.sql");
    Build(M, Dir / "master.sql");
    TScriptComparison C((Dir / "master.sql").string(), (Dir / "target.sql").string());
    ASSERT_TRUE(C.Cmp.ExtractStructures()) << C.Messages;
    const std::string Update = C.Compare();
    const std::string File = Tmp.File("update.sql");
    std::ofstream(File, std::ios::binary) << Update;
    const TIsqlResult R = RunIsqlFile(File, ShellQuote(T));
    ASSERT_TRUE(R.Ok()) << R.Output << "\n--- script ---\n" << Update;
    EXPECT_EQ(Extract(T), Extract(M)) << Update;
}

INSTANTIATE_TEST_SUITE_P(Scripts, ScriptCaseOnFirebird,
                         ::testing::ValuesIn(ScriptCaseNames(SMX_SCRIPT_CASES_DIR)), [](const auto& Info) {
                             std::string N = Info.param;
                             for (char& Ch : N)
                                 if (!std::isalnum(static_cast<unsigned char>(Ch))) Ch = '_';
                             return N;
                         });

} // namespace
} // namespace smx::test
