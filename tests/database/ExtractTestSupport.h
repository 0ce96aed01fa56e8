// Shared pieces of the metadata extractor tests: the fixture databases made from the scripts in
// tests/database/extract, and a rig that extracts a database into a Firebird 3 structure while
// recording every step event, progress value, log line and error.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "database/smxConnection_IBX.h"
#include "database/smxIBDatabaseExtract.h"
#include "model/smxDBStructure.h"
#include "tests/database/IBXTestSupport.h"

namespace smx::test {

inline std::string ReadFixture(const std::string& name) {
    std::ifstream in(std::string(SMX_EXTRACT_CASES_DIR) + "/" + name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

/// Fixture F0 (WithExtras false) or F (F0 plus a package, two DDL triggers and G2).
inline std::unique_ptr<TTestDatabase> MakeFixture(bool WithExtras) {
    std::string sql = ReadFixture("fixture_f0.sql");
    if (WithExtras) sql += ReadFixture("fixture_f_extra.sql");
    return std::make_unique<TTestDatabase>(sql, "f.fdb", "smxext");
}

/// One step event: kind, text, position, maximum.
using TStepEvent = std::tuple<int, std::string, int, int>;

/// An extractor over an InterBase connection to Path, filling a structure set to Firebird 3.0 with
/// COMMENT ON descriptions; ShowFullLog on and every event recorded.
struct TExtractRig {
    explicit TExtractRig(const std::string& Path) {
        Db = MakeIBDatabase(Path, "UTF8");
        Conn.SetDatabase(Db.get());
        Conn.OnErrorMessage = [this](TObject*, const std::string& t) { ConnErrors.push_back(t); };
        TIBServerOptions& ib = St.Objs()->GetIBServerOptions();
        ib.SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_30);
        ib.GetIBCompareOptions().SetUpdateDescriptionMode(TUpdateDescriptionType::udComment);
        Ex.SetSMXConnection(&Conn);
        Ex.SetDBStructure(&St);
        Ex.SetShowFullLog(true);
        Ex.OnLog = [this](TObject*, int Kind, const std::string& Text, int Pos, int Max) {
            Steps.emplace_back(Kind, Text, Pos, Max);
            if (OnStep) OnStep(Kind, Text);
        };
        Ex.SetOnProgressUpdate([this](TObject*, int v, int m) { Progress.emplace_back(v, m); });
        Ex.SetOnErrorMessage([this](TObject*, const std::string& t) { Errors.push_back(t); });
        Ex.SetOnLogNextLine([this](TObject*, const std::string& t) { Lines.push_back(t); });
    }

    bool Run() {
        Steps.clear();
        Progress.clear();
        Errors.clear();
        Lines.clear();
        return Ex.ExtractDatabase();
    }
    TObjs* O() const { return St.Objs(); }
    bool HasLine(const std::string& Line) const {
        for (const std::string& l : Lines)
            if (l == Line) return true;
        return false;
    }
    /// The kind-0 step texts in firing order.
    std::vector<std::string> MainSteps() const {
        std::vector<std::string> r;
        for (const TStepEvent& e : Steps)
            if (std::get<0>(e) == 0) r.push_back(std::get<1>(e));
        return r;
    }

    std::unique_ptr<TIBDatabase> Db;
    TSMXConnectionIBX Conn;
    TDBStructure St;
    TIBDBExtract Ex;
    std::vector<TStepEvent> Steps;
    std::vector<std::pair<int, int>> Progress;
    std::vector<std::string> Errors, Lines, ConnErrors;
    std::function<void(int Kind, const std::string& Text)> OnStep;
};

} // namespace smx::test
