// Benchmark of the metadata extractor on two real Firebird 3 databases of different shapes, each
// timed side by side in one run against isql-fb -x of the same database: 2,000 tables x 20 columns
// and 200 tables x 100 columns, each table with a primary key, an index, a foreign key to the
// previous table and a comment, plus 200 views, procedures, triggers and generators. The
// extraction runs as the demo runs it: ShowFullLog on and log, step and progress handlers
// assigned. Counters per database (suffix _tables, _columns): both times in seconds and their
// ratio; then the peak resident memory of this process. The databases are built once with isql-fb
// and kept in $SMX_BENCH_DIR (default: bench-extract in the build folder); each is built again
// whenever its generated script differs from the one it was built from.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "BenchDatabase.h"
#include "database/smxConnection_IBX.h"
#include "database/smxIBDatabaseExtract.h"
#include "model/smxDBStructure.h"
#include "platform/smxIBClient.h"

namespace {

using namespace smx;
using namespace smx::bench;

struct TBenchDatabase {
    const char* Stem;   ///< database file name without ".fdb"
    const char* Suffix; ///< counter name suffix
    TBenchShape Shape;
};

// Many tables of few columns, and few tables of many columns.
const TBenchDatabase kDatabases[] = {{"extract", "_tables", {2000, 20, 200}},
                                     {"extract-wide", "_columns", {200, 100, 200}}};

double TimeIsqlExtract(const std::string& db) {
    const auto start = std::chrono::steady_clock::now();
    const std::string cmd = "isql-fb -x '" + db + "' > /dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) throw std::runtime_error("isql-fb -x failed");
    return Seconds(std::chrono::steady_clock::now() - start);
}

double TimeExtractor(const std::string& db, int& tables, int& events) {
    TIBDatabase ibdb;
    ibdb.SetDatabaseName(db);
    ibdb.Params().Add("user_name=SYSDBA");
    ibdb.Params().Add("password=masterkey");
    ibdb.Params().Add("lc_ctype=UTF8");
    TSMXConnectionIBX conn;
    conn.SetDatabase(&ibdb);
    TDBStructure st;
    st.Objs()->GetIBServerOptions().SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_30);
    TIBDBExtract ex;
    ex.SetSMXConnection(&conn);
    ex.SetDBStructure(&st);
    ex.SetShowFullLog(true);
    std::size_t logBytes = 0;
    ex.OnLog = [&](TObject*, int, const std::string& Text, int, int) {
        ++events;
        logBytes += Text.size();
    };
    ex.SetOnLogNextLine([&](TObject*, const std::string& Text) { logBytes += Text.size(); });
    ex.SetOnProgressUpdate([&](TObject*, int, int) { ++events; });
    ex.SetOnErrorMessage(
        [](TObject*, const std::string& Text) { std::fprintf(stderr, "%s\n", Text.c_str()); });
    const auto start = std::chrono::steady_clock::now();
    if (!ex.ExtractDatabase()) throw std::runtime_error("extraction failed");
    const double s = Seconds(std::chrono::steady_clock::now() - start);
    tables = st.Objs()->ObjectCount(TObjsList::olTables);
    benchmark::DoNotOptimize(logBytes);
    return s;
}

void BM_ExtractAgainstIsql(benchmark::State& state) {
    std::string paths[std::size(kDatabases)];
    for (std::size_t i = 0; i < std::size(kDatabases); ++i)
        paths[i] = EnsureBenchDatabase(kDatabases[i].Stem, GenerateBenchSql(kDatabases[i].Shape));
    double isql[std::size(kDatabases)] = {}, extract[std::size(kDatabases)] = {};
    int tables[std::size(kDatabases)] = {}, events = 0;
    for (auto _ : state) {
        double total = 0;
        for (std::size_t i = 0; i < std::size(kDatabases); ++i) {
            isql[i] = TimeIsqlExtract(paths[i]);
            extract[i] = TimeExtractor(paths[i], tables[i], events);
            total += extract[i];
        }
        state.SetIterationTime(total);
    }
    for (std::size_t i = 0; i < std::size(kDatabases); ++i) {
        const std::string suffix = kDatabases[i].Suffix;
        state.counters["isql_x_s" + suffix] = isql[i];
        state.counters["extract_s" + suffix] = extract[i];
        state.counters["ratio" + suffix] = isql[i] > 0 ? extract[i] / isql[i] : 0;
        state.counters["tables" + suffix] = tables[i];
    }
    state.counters["peak_rss_MiB"] = PeakRssMiB();
    state.counters["events"] = events;
}
BENCHMARK(BM_ExtractAgainstIsql)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
