// The Firebird 3 half of the golden cases (a database test): isql-fb builds t.fdb from target.sql
// and m.fdb from master.sql, and each case runs both roads.
// - Scripts: the update script computed from the two scripts must run on t.fdb without a failing
//   statement; afterwards isql-fb -x shows t.fdb exactly as m.fdb, and master.sql compared with t.fdb
//   read by the metadata extractor gives no executable statement.
// - Databases: both databases read by the metadata extractor; the update script must equal
//   expected-db.sql (SMX_UPDATE_GOLDEN=1 rewrites it) and run through the InterBase executor;
//   afterwards isql-fb -x shows t.fdb exactly as m.fdb and a second comparison of the two databases
//   gives no executable statement.
// A case whose script the server cannot run as written carries a file "no-fb" with the reason.
#include <gtest/gtest.h>

#include <cstdlib>

#include "database/smxIBDatabaseExtract.h"
#include "database/smxIBSQLExec.h"
#include "tests/database/IBXTestSupport.h"
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

/// A side read from a database file: a connection as the demo's data module fills it (no character
/// set) and the metadata extractor over it.
struct TDbSide {
    explicit TDbSide(const std::string& Path) : Db(MakeIBDatabase(Path)) {
        Conn.SetDatabase(Db.get());
        Ex.SetSMXConnection(&Conn);
    }
    std::unique_ptr<TIBDatabase> Db;
    TSMXConnectionIBX Conn;
    TIBDBExtract Ex;
};

class ScriptCaseOnFirebird : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        Dir = fs::path(CasesRoot(SMX_SCRIPT_CASES_DIR)) / GetParam();
        if (fs::exists(Dir / "no-fb")) GTEST_SKIP() << WithoutCR(ReadText(Dir / "no-fb"));
        for (const auto& [Db, Script] : {std::pair{T, "target.sql"}, std::pair{M, "master.sql"}}) {
            const TIsqlResult R = RunIsqlScript(Tmp, "CREATE DATABASE '" + SqlQuoteDoubled(Db) +
                                                         "' USER 'SYSDBA';\n" + ReadText(Dir / Script));
            ASSERT_TRUE(R.Ok()) << Script << ": " << R.Output;
        }
    }
    /// The comparison's script with the target side (and the master side, when given) read from
    /// databases; Executable receives whether it holds anything to run.
    static std::string Compare(TScriptComparison& C, TSQLExec& Exec, TDbSide& Target, TDbSide* Master,
                               bool& Executable) {
        C.Cmp.SetSQLExec(&Exec);
        C.Cmp.SetExtractorTarget(&Target.Ex);
        if (Master) C.Cmp.SetExtractorMaster(&Master->Ex);
        if (!C.Cmp.ExtractStructures()) return "extraction failed: " + C.Messages;
        C.Cmp.CompareStructures();
        TStringList Lines;
        Exec.GetScriptLines(Lines, false);
        Executable = Exec.GetHasExecutableStatements() != 0;
        return WithoutCR(Lines.Text());
    }

    fs::path Dir;
    TTempDir Tmp{"smxscripts"};
    const std::string T = Tmp.File("t.fdb"), M = Tmp.File("m.fdb");
};

TEST_P(ScriptCaseOnFirebird, UpdateScriptTurnsTargetIntoMaster) {
    TScriptComparison C((Dir / "master.sql").string(), (Dir / "target.sql").string());
    ASSERT_TRUE(C.Cmp.ExtractStructures()) << C.Messages;
    const std::string Update = C.Compare();
    const std::string File = Tmp.File("update.sql");
    std::ofstream(File, std::ios::binary) << Update;
    const TIsqlResult R = RunIsqlFile(File, ShellQuote(T));
    ASSERT_TRUE(R.Ok()) << R.Output << "\n--- script ---\n" << Update;
    EXPECT_EQ(Extract(T), Extract(M)) << Update;
    TScriptComparison Again((Dir / "master.sql").string(), (Dir / "target.sql").string());
    TDbSide Target(T);
    bool Executable = true;
    const std::string Rest = Compare(Again, Again.Exec, Target, nullptr, Executable);
    EXPECT_FALSE(Executable) << "master.sql against the updated database:\n" << Rest;
}

TEST_P(ScriptCaseOnFirebird, DatabaseUpdateTurnsTargetIntoMaster) {
    TScriptComparison C((Dir / "master.sql").string(), (Dir / "target.sql").string());
    TDbSide Master(M), Target(T);
    TIBSQLExec Exec;
    Target.Conn.OnErrorMessage = Exec.OnErrorMessage = [&](TObject*, const std::string& E) {
        C.Messages += E + "\n";
    };
    Exec.SetSMXConnection(&Target.Conn);
    bool Executable = false;
    std::string Update = Compare(C, Exec, Target, &Master, Executable);
    // The CONNECT line names the temporary folder.
    for (auto At = Update.find(Tmp.Path()); At != std::string::npos; At = Update.find(Tmp.Path()))
        Update.replace(At, Tmp.Path().size(), "{dir}");
    if (const char* U = std::getenv("SMX_UPDATE_GOLDEN"); U && *U == '1')
        std::ofstream(Dir / "expected-db.sql", std::ios::binary) << Update;
    EXPECT_EQ(Update, WithoutCR(ReadText(Dir / "expected-db.sql")));
    ASSERT_TRUE(Exec.ExecuteScript()) << C.Messages << "\n--- script ---\n" << Update;
    EXPECT_EQ(Extract(T), Extract(M)) << Update;
    const std::string Rest = Compare(C, Exec, Target, &Master, Executable);
    EXPECT_FALSE(Executable) << "the second comparison:\n" << Rest;
}

INSTANTIATE_TEST_SUITE_P(Scripts, ScriptCaseOnFirebird,
                         ::testing::ValuesIn(ScriptCaseNames(CasesRoot(SMX_SCRIPT_CASES_DIR))), [](const auto& Info) {
                             std::string N = Info.param;
                             for (char& Ch : N)
                                 if (!std::isalnum(static_cast<unsigned char>(Ch))) Ch = '_';
                             return N;
                         });

} // namespace
} // namespace smx::test
