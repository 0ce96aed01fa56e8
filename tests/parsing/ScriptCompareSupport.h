// Comparing two script files without a server: the settings every script comparison of the tests
// uses, and the golden cases under tests/cases/<group>/<case>/{master.sql,target.sql,expected.sql}.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "model/smxDBStructure.h"
#include "model/smxSQL_Exec.h"
#include "model/smxSchemalyst.h"
#include "parsing/smxIBScriptExtract.h"
#include "platform/smxStrUtils.h"

namespace smx::test {

inline std::string ReadText(const std::filesystem::path& P) {
    std::ifstream In(P, std::ios::binary);
    std::ostringstream S;
    S << In.rdbuf();
    return S.str();
}

/// The text with CR removed (line ends ignored).
inline std::string WithoutCR(std::string S) {
    S.erase(std::remove(S.begin(), S.end(), '\r'), S.end());
    return S;
}

/// The root of the case folders: $SMX_CASES_DIR when set (a folder of ad-hoc probe cases laid out
/// as group/case), else Default.
inline std::string CasesRoot(const char* Default) {
    const char* Dir = std::getenv("SMX_CASES_DIR");
    return Dir && *Dir ? Dir : Default;
}

/// The case folders of every group under Root (tests/cases/scripts, tests/cases/objects, ...) as
/// "group/case", sorted.
inline std::vector<std::string> ScriptCaseNames(const std::string& Root) {
    std::vector<std::string> Names;
    for (const auto& Group : std::filesystem::directory_iterator(Root))
        if (Group.is_directory())
            for (const auto& Case : std::filesystem::directory_iterator(Group.path()))
                if (std::filesystem::exists(Case.path() / "master.sql"))
                    Names.push_back(Group.path().filename().string() + "/" + Case.path().filename().string());
    std::sort(Names.begin(), Names.end());
    return Names;
}

/// Two script extractors, two Firebird 3 dialect-3 structures, a comparer (descriptions as
/// COMMENT ON, no RECONNECT) and an InterBase executor.
struct TScriptComparison {
    TScriptComparison(const std::string& MasterFile, const std::string& TargetFile) {
        for (TDBStructure* S : {&Master, &Target}) {
            S->SetDatabaseType(TDatabaseType::dbInterBase);
            S->Objs()->GetIBServerOptions().SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_30);
            S->Objs()->GetIBServerOptions().SetSQLDialect(3);
        }
        MasterExt.SetName("IBScriptExtract1");
        TargetExt.SetName("IBScriptExtract2");
        for (TIBScriptExtract* E : {&MasterExt, &TargetExt})
            E->SetOnErrorMessage([this](TObject*, const std::string& T) { Messages += T + "\n"; });
        MasterExt.SetScriptFileName(MasterFile);
        TargetExt.SetScriptFileName(TargetFile);
        Exec.SetDatabaseType(TDatabaseType::dbInterBase);
        Cmp.GetIBCompareOptions().SetUpdateDescriptionMode(TUpdateDescriptionType::udComment);
        Cmp.GetIBCompareOptions().SetUseRECONNECT(false);
        Cmp.OnErrorMessage = [this](TObject*, const std::string& T) { Messages += T + "\n"; };
        Cmp.SetDBStructureMaster(&Master);
        Cmp.SetDBStructureTarget(&Target);
        Cmp.SetExtractorMaster(&MasterExt);
        Cmp.SetExtractorTarget(&TargetExt);
        Cmp.SetSQLExec(&Exec);
    }
    /// The update script's text after one CompareStructures.
    std::string Compare() {
        Cmp.CompareStructures();
        TStringList Lines;
        Exec.GetScriptLines(Lines, false);
        return WithoutCR(Lines.Text());
    }

    TDBStructure Master, Target;
    TIBScriptExtract MasterExt, TargetExt;
    TSQLExec Exec;
    TSchemalyst Cmp;
    std::string Messages;
};

} // namespace smx::test
