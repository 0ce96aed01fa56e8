// One comparison of two large InterBase structures and the rendering of its update script:
// 10,000 tables of 20 columns on each side (and half and twice as many); a tenth of the paired tables changed
// (a column added and one dropped), a tenth of the master's tables new and a tenth of the target's dropped.
// The comparison and the rendering must stay n log n.
#include <benchmark/benchmark.h>

#include <string>

#include "model/smxComp_Tbl.h"
#include "model/smxDBStructure.h"
#include "model/smxSQL_Exec.h"
#include "model/smxSchemalyst.h"

namespace {

using namespace smx;

constexpr int ColumnCount = 20;
constexpr std::uint8_t IntegerType = 1;

void AddTable(TObjs* objs, const std::string& name, const std::string& extraColumn) {
    auto* t = new TTblData(objs);
    t->SetName(name);
    for (int c = 0; c < ColumnCount; ++c)
        t->AddField("C" + std::to_string(c))->DataType = IntegerType;
    if (!extraColumn.empty()) t->AddField(extraColumn)->DataType = IntegerType;
    objs->AddObject(t, true);
}

struct CompareSetUp {
    explicit CompareSetUp(int TableCount) {
        for (TDBStructure* s : {&master, &target}) {
            s->SetDatabaseType(TDatabaseType::dbInterBase);
            s->GetIBServerOptions().SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_30);
            s->GetIBServerOptions().SetDBCharSet("UTF8");
        }
        target.Objs()->GetConnectionOptions().SetDatabaseName("/data/bench.fdb");
        // Tables 0..8999 are on both sides; 1000..1999 of them differ. 9000..9999 are new in the
        // master; the target's own tables D0..D999 are to be dropped.
        const int tenth = TableCount / 10;
        for (int i = 0; i < TableCount; ++i) {
            const std::string name = "T" + std::to_string(i);
            const bool changed = i >= tenth && i < 2 * tenth;
            AddTable(master.Objs(), name, changed ? "ADDED" : "");
            if (i < TableCount - tenth) AddTable(target.Objs(), name, changed ? "REMOVED" : "");
        }
        for (int i = 0; i < tenth; ++i)
            AddTable(target.Objs(), "D" + std::to_string(i), "");
        exec.SetDatabaseType(TDatabaseType::dbInterBase);
        comparer.SetDBStructureMaster(&master);
        comparer.SetDBStructureTarget(&target);
        comparer.SetSQLExec(&exec);
    }
    ~CompareSetUp() { comparer.SetSQLExec(nullptr); }

    TDBStructure master, target;
    TSQLExec exec;
    TSchemalyst comparer;
};

void BM_CompareAndRender(benchmark::State& state) {
    CompareSetUp s(static_cast<int>(state.range(0)));
    std::size_t lines = 0;
    for (auto _ : state) {
        s.comparer.CompareStructures();
        TStringList script;
        s.exec.GetScriptLines(script, false);
        lines = static_cast<std::size_t>(script.Count());
        benchmark::DoNotOptimize(lines);
    }
    state.counters["statements"] = s.exec.GetStatementCount();
    state.counters["lines"] = static_cast<double>(lines);
}
// 10,000 tables is the size that counts; the others show how the time grows.
BENCHMARK(BM_CompareAndRender)->Arg(5000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

} // namespace
