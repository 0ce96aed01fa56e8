// Filing and finding in an object container: 100,000 objects of mixed kinds, filed in a scrambled
// order under their full names, then each found by name. Both must stay n log n.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "model/smxClasses.h"
#include "model/smxComp_Dmn.h"
#include "model/smxComp_Exc.h"
#include "model/smxComp_Gnr.h"
#include "model/smxComp_Idx.h"
#include "model/smxComp_Prc.h"
#include "model/smxComp_Tbl.h"
#include "model/smxComp_Trg.h"
#include "model/smxComp_Viw.h"

namespace {

using namespace smx;

// A container that frees what it files. The base Clear only empties the lists, so emptying
// between iterations goes through FreeAll.
class BenchObjs : public TCustomObjs {
public:
    ~BenchObjs() override { FreeObjects(); }
    void FreeAll() { FreeObjects(); }
};

constexpr int ObjectCount = 100000;
constexpr int KindCount = 8;

TDbObj* MakeObject(TCustomObjs* objs, int kind, const std::string& name) {
    TDbObj* o = nullptr;
    switch (kind) {
    case 0:
        o = new TTblData(objs);
        break;
    case 1:
        o = new TViwData(objs);
        break;
    case 2:
        o = new TPrcData(objs);
        break;
    case 3:
        o = new TTrgData(objs);
        break;
    case 4:
        o = new TIdxData(objs);
        break;
    case 5:
        o = new TGnrData(objs);
        break;
    case 6:
        o = new TDmnData(objs);
        break;
    default:
        o = new TExcData(objs);
        break;
    }
    o->SetName(name);
    return o;
}

TObjsList ListOf(int kind) {
    using enum TObjsList;
    constexpr TObjsList lists[KindCount] = {olTables,  olViews,      olProcedures, olTriggers,
                                            olIndices, olGenerators, olDomains,    olExceptions};
    return lists[kind];
}

// Names in a scrambled order (a multiplicative permutation of the numbers).
std::vector<std::string> Names() {
    std::vector<std::string> names;
    names.reserve(ObjectCount);
    for (int i = 0; i < ObjectCount; ++i) {
        const unsigned n = (static_cast<unsigned>(i) * 7919u) % ObjectCount;
        names.push_back("OBJ_" + std::to_string(n));
    }
    return names;
}

void BM_FileAndFind(benchmark::State& state) {
    const std::vector<std::string> names = Names();
    for (auto _ : state) {
        BenchObjs objs;
        objs.SetDatabaseType(TDatabaseType::dbInterBase);
        for (int i = 0; i < ObjectCount; ++i)
            objs.AddObject(MakeObject(&objs, i % KindCount, names[i]), true);
        int found = 0;
        for (int i = 0; i < ObjectCount; ++i)
            if (objs.FindObject(ListOf(i % KindCount), names[i])) ++found;
        // Reading a list merges the objects filed since; the order is the sorted one.
        for (int k = 0; k < KindCount; ++k)
            benchmark::DoNotOptimize(objs.List(ListOf(k)).Count());
        if (found != ObjectCount) state.SkipWithError("an object was not found");
        state.PauseTiming(); // freeing is not part of the figure
        objs.FreeAll();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * ObjectCount);
}
BENCHMARK(BM_FileAndFind)->Unit(benchmark::kMillisecond);

// Files into one kind only, the worst case for a single list.
void BM_FileOneKind(benchmark::State& state) {
    const std::vector<std::string> names = Names();
    for (auto _ : state) {
        BenchObjs objs;
        for (int i = 0; i < ObjectCount; ++i)
            objs.AddObject(MakeObject(&objs, 0, names[i]), true);
        benchmark::DoNotOptimize(objs.Tables().Count());
        for (int i = 0; i < ObjectCount; ++i)
            benchmark::DoNotOptimize(objs.FindObject(TObjsList::olTables, names[i]));
        state.PauseTiming();
        objs.FreeAll();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FileOneKind)->Unit(benchmark::kMillisecond);

} // namespace
