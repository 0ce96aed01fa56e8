// Benchmarks of the table data comparer on real Firebird 3 databases: (a) the raw fetch of both
// tables with the comparer's own select texts, every value read, against (b) the whole comparison
// writing Result.SQL, at 100,000 and 1,000,000 rows; and the peak memory of a comparison whose one
// differing value is a 64 MiB BLOB, against the same comparison with a small BLOB. (a) and (b)
// alternate in one benchmark, whose counters give their medians and the ratio by wall and by CPU
// time. Each benchmark reports the process's peak RSS; run the memory cases each in a process of
// its own (--benchmark_filter) to compare them. The databases are built once per row count with
// server-side EXECUTE BLOCK loops and kept between runs in $SMX_BENCH_DIR (default
// /tmp/smx-datacompare-bench).
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <vector>

#include "database/smxConnection_IBX.h"
#include "datacompare/smxTableDataComparer.h"
#include "platform/smxIBClient.h"
#include "platform/smxStrUtils.h"

extern char** environ;

namespace {

using namespace smx;

std::string BenchDir() {
    const char* d = std::getenv("SMX_BENCH_DIR");
    return d && *d ? d : "/tmp/smx-datacompare-bench";
}

double PeakRssMiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_maxrss) / 1024.0;
}

void RunIsql(const std::string& Folder, const std::string& Sql) {
    const std::string file = Folder + "/build.sql";
    std::ofstream(file, std::ios::binary) << Sql;
    const std::string cmd = "isql-fb -q -b -i '" + file + "' > '" + Folder + "/build.log' 2>&1";
    if (std::system(cmd.c_str()) != 0)
        throw std::runtime_error("isql-fb failed, see " + Folder + "/build.log");
}

const char* const kTableDdl =
    "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, I INTEGER, BI BIGINT, N NUMERIC(18,4), "
    "D DOUBLE PRECISION, V VARCHAR(40), C CHAR(10), DT DATE, TS TIMESTAMP, B BLOB SUB_TYPE BINARY);\n";

// One table of Rows keys. The target changes 1% of its rows in every column (the BLOB included),
// lacks 0.5% of the master's keys and has 0.5% keys the master lacks.
std::string FillSql(const std::string& Path, int Rows, bool Target) {
    const std::string t = Target ? "1" : "0";
    return "CREATE DATABASE '" + Path + "' USER 'SYSDBA' PAGE_SIZE 8192 DEFAULT CHARACTER SET UTF8;\n" +
           kTableDdl +
           "COMMIT;\nSET TERM ^ ;\nEXECUTE BLOCK AS\nDECLARE K INTEGER = 1;\nDECLARE X INTEGER;\nBEGIN\n"
           "  WHILE (K <= " +
           std::to_string(Rows) +
           ") DO\n  BEGIN\n    X = K;\n"
           "    IF (" +
           t +
           " = 1 AND MOD(K, 100) = 1) THEN X = K + 7777777;\n"
           "    IF (NOT ((" +
           t + " = 1 AND MOD(K, 200) = 2) OR (" + t +
           " = 0 AND MOD(K, 200) = 3))) THEN\n"
           "      INSERT INTO T VALUES (:K, MOD(:X * 7, 100000), :X * 1000003, CAST(:X AS NUMERIC(18,4)) / "
           "7,\n"
           "        :X / 3e0, 'row ' || :X, LEFT('c' || :X, 10), DATE '2000-01-01' + MOD(:X, 5000),\n"
           "        TIMESTAMP '2000-01-01 00:00:00' + :X / 1000.0,\n"
           "        IIF(MOD(:K, 10) = 0, NULL, LPAD('', MOD(:X * 31, 201), 'ab' || :X)));\n"
           "    K = K + 1;\n  END\nEND^\nSET TERM ; ^\nCOMMIT;\n";
}

/// The master and target database of one row count, built when missing.
struct TBenchPair {
    std::string Master, Target;
};

TBenchPair PairFor(int Rows) {
    const std::string folder = BenchDir() + "/rows-" + std::to_string(Rows);
    TBenchPair p{folder + "/master.fdb", folder + "/target.fdb"};
    if (std::filesystem::exists(folder + "/ready")) return p;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    RunIsql(folder, FillSql(p.Master, Rows, false));
    RunIsql(folder, FillSql(p.Target, Rows, true));
    std::ofstream(folder + "/ready") << "built\n";
    return p;
}

// ---- The 64 MiB BLOB ----

constexpr std::size_t kBigBlob = std::size_t{64} << 20;

std::string BigValue(std::size_t Size, char Variant) {
    std::string v(Size, '\0');
    for (std::size_t i = 0; i < Size; ++i)
        v[i] = static_cast<char>((i * 131 + i / 4093) & 0xFF);
    v[Size / 2] = Variant;
    return v;
}

// Runs in a helper process of its own, so that building the value costs the measured process nothing.
int MakeBlobDatabase(const std::string& Path, std::size_t Size, char Variant) {
    const std::string folder = std::filesystem::path(Path).parent_path().string();
    RunIsql(folder, "CREATE DATABASE '" + Path +
                        "' USER 'SYSDBA' PAGE_SIZE 8192;\nCREATE TABLE BB (ID INTEGER NOT NULL PRIMARY KEY, "
                        "X BLOB SUB_TYPE BINARY, V VARCHAR(10));\nCOMMIT;\n");
    TIBDatabase db;
    db.SetDatabaseName(Path);
    db.Params().Add("user_name=SYSDBA");
    TIBTransaction tr;
    tr.SetDefaultDatabase(&db);
    db.Open();
    TIBQuery q;
    q.SetDatabase(&db);
    q.SetTransaction(&tr);
    q.ParamRewriter = [](const std::string& sql, TParams& params) {
        params.Add("X");
        return sql;
    };
    q.SetSQLText("INSERT INTO BB VALUES (1, ?, 'a')");
    q.Params()->ParamByName("X").SetAsBlob(BigValue(Size, Variant));
    q.ExecSQL();
    tr.Commit();
    db.Close();
    return 0;
}

TBenchPair BlobPairFor(std::size_t Size) {
    const std::string folder = BenchDir() + "/blob-" + std::to_string(Size);
    TBenchPair p{folder + "/master.fdb", folder + "/target.fdb"};
    if (std::filesystem::exists(folder + "/ready")) return p;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    for (const auto& [path, variant] : {std::pair{p.Master, 'M'}, std::pair{p.Target, 'T'}}) {
        const std::string size = std::to_string(Size);
        const std::string v(1, variant);
        std::vector<char*> args = {const_cast<char*>("/proc/self/exe"), const_cast<char*>("--make-blob-db"),
                                   const_cast<char*>(path.c_str()),     const_cast<char*>(size.c_str()),
                                   const_cast<char*>(v.c_str()),        nullptr};
        pid_t pid = 0;
        if (posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, args.data(), environ) != 0)
            throw std::runtime_error("cannot start the helper process");
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("helper process failed");
    }
    std::ofstream(folder + "/ready") << "built\n";
    return p;
}

// ---- Sides and the comparer ----

/// A connection over a client database component, as the demo wires it.
struct TSide {
    explicit TSide(const std::string& Path) {
        ib.SetDatabaseName(Path);
        ib.Params().Add("user_name=SYSDBA");
        ib.Params().Add("password=masterkey");
        ib.Params().Add("lc_ctype=UTF8");
        conn.SetDatabase(&ib);
        conn.GetIBServerOptions().SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_30);
        conn.GetIBServerOptions().GetIBCompareOptions().SetUpdateDescriptionMode(
            TUpdateDescriptionType::udComment);
        conn.OnLogNextLine = [](TObject*, const std::string&) {};
        conn.OnErrorMessage = [](TObject*, const std::string& t) { std::fprintf(stderr, "%s\n", t.c_str()); };
    }
    TIBDatabase ib;
    TSMXConnectionIBX conn;
};

/// The comparer as the demo drives it: key ID, both progress events, Result.SQL, no executor.
struct TRun {
    TRun(const TBenchPair& Pair, const std::string& Table, const std::string& Folder)
        : master(Pair.Master), target(Pair.Target) {
        cmp.SetSMXConnectionMaster(&master.conn);
        cmp.SetSMXConnectionTarget(&target.conn);
        cmp.SetTableNameMaster(Table);
        cmp.SetTableNameTarget(Table);
        TStringList keys;
        keys.Add("ID");
        cmp.SetCustomKeyFields(keys);
        cmp.SetScriptFileName(Folder + "/Result.SQL");
        cmp.OnProgressUpdateMaster = [this](TObject*, int v, int) { progress += v; };
        cmp.OnProgressUpdateTarget = [this](TObject*, int v, int) { progress += v; };
        cmp.OnLogNextLine = [this](TObject*, const std::string& t) { log.push_back(t); };
        cmp.OnErrorMessage = [](TObject*, const std::string& t) { std::fprintf(stderr, "%s\n", t.c_str()); };
        master.conn.SetConnected(true);
        target.conn.SetConnected(true);
    }
    bool Execute() {
        log.clear();
        return cmp.Execute() && cmp.GetErrorCount() == 0;
    }
    /// The select text the last run logged for one side.
    std::string Select(const std::string& Side) const {
        const std::string head = "Select-SQL for " + Side + " table:\r\n";
        for (const std::string& l : log)
            if (l.rfind(head, 0) == 0) return l.substr(head.size());
        return {};
    }
    TSide master, target;
    TTableDataComparer cmp;
    std::vector<std::string> log;
    long long progress = 0;
};

/// Reads every row and every value of the select, BLOBs included; returns a checksum.
std::uint64_t FetchAll(TSMXCustomConnection& Connection, const std::string& Select) {
    std::unique_ptr<TSMXQuery> q(Connection.CreateQuery(nullptr));
    q->GetSQL()->SetText(Select);
    q->Open();
    TFields& fields = *q->GetFields();
    std::uint64_t sum = 0;
    for (; !q->GetEof(); q->Next())
        for (int i = 0; i < fields.Count(); ++i) {
            const TVariant& v = fields[i].Value();
            switch (v.Kind()) {
            case TVarKind::vkNull:
                break;
            case TVarKind::vkString:
            case TVarKind::vkBytes:
                sum += v.RawText().size();
                break;
            default:
                sum += static_cast<std::uint64_t>(v.AsInteger());
                break;
            }
        }
    q->Close();
    Connection.Commit();
    return sum;
}

struct TTimes {
    double wall = 0, cpu = 0;
};

TTimes Measure(const std::function<void()>& Work) {
    timespec c0{}, c1{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &c0);
    const auto w0 = std::chrono::steady_clock::now();
    Work();
    const auto w1 = std::chrono::steady_clock::now();
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &c1);
    return {std::chrono::duration<double, std::milli>(w1 - w0).count(),
            (c1.tv_sec - c0.tv_sec) * 1e3 + (c1.tv_nsec - c0.tv_nsec) / 1e6};
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// (a) and (b) alternate within one run, so a machine whose load changes affects both alike; the
// benchmark's own time is the comparison's.
void BM_FetchVsCompare(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    const TBenchPair pair = PairFor(rows);
    TRun run(pair, "T", std::filesystem::path(pair.Master).parent_path().string());
    if (!run.Execute()) state.SkipWithError("the comparison failed");
    const std::string selectM = run.Select("master"), selectT = run.Select("target");
    std::vector<double> fetchWall, fetchCpu, cmpWall, cmpCpu;
    bool fetchFirst = true;
    for (auto _ : state) {
        auto fetch = [&] {
            const TTimes t = Measure([&] {
                benchmark::DoNotOptimize(FetchAll(run.master.conn, selectM));
                benchmark::DoNotOptimize(FetchAll(run.target.conn, selectT));
            });
            fetchWall.push_back(t.wall);
            fetchCpu.push_back(t.cpu);
        };
        auto compare = [&] {
            const TTimes t = Measure([&] {
                if (!run.Execute()) state.SkipWithError("the comparison failed");
            });
            cmpWall.push_back(t.wall);
            cmpCpu.push_back(t.cpu);
        };
        state.PauseTiming();
        if (fetchFirst) fetch();
        state.ResumeTiming();
        compare();
        state.PauseTiming();
        if (!fetchFirst) fetch();
        state.ResumeTiming();
        fetchFirst = !fetchFirst;
    }
    state.counters["rows"] = rows;
    state.counters["fetch_ms"] = Median(fetchWall);
    state.counters["compare_ms"] = Median(cmpWall);
    state.counters["ratio_wall"] = Median(cmpWall) / Median(fetchWall);
    state.counters["ratio_cpu"] = Median(cmpCpu) / Median(fetchCpu);
    state.counters["updated"] = run.cmp.GetUpdated();
    state.counters["inserted"] = run.cmp.GetInserted();
    state.counters["deleted"] = run.cmp.GetDeleted();
    state.counters["peak_rss_MiB"] = PeakRssMiB();
}

// The comparison alone, for the peak memory of one row count in a process of its own.
void BM_Compare(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    const TBenchPair pair = PairFor(rows);
    TRun run(pair, "T", std::filesystem::path(pair.Master).parent_path().string());
    for (auto _ : state)
        if (!run.Execute()) state.SkipWithError("the comparison failed");
    state.counters["rows"] = rows;
    state.counters["peak_rss_MiB"] = PeakRssMiB();
}

void BlobCompare(benchmark::State& state, std::size_t Size) {
    const TBenchPair pair = BlobPairFor(Size);
    const std::string folder = std::filesystem::path(pair.Master).parent_path().string();
    TRun run(pair, "BB", folder);
    for (auto _ : state)
        if (!run.Execute() || run.cmp.GetUpdated() != 1) state.SkipWithError("the comparison failed");
    state.counters["lob_MiB"] =
        static_cast<double>(std::filesystem::file_size(folder + "/Result.LOB")) / (1024.0 * 1024.0);
    state.counters["peak_rss_MiB"] = PeakRssMiB();
}

void BM_BigBlob(benchmark::State& state) {
    BlobCompare(state, kBigBlob);
}
void BM_SmallBlob(benchmark::State& state) {
    BlobCompare(state, 64);
}

BENCHMARK(BM_FetchVsCompare)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(7);
BENCHMARK(BM_FetchVsCompare)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(4);
BENCHMARK(BM_Compare)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_BigBlob)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SmallBlob)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--make-blob-db")
        return MakeBlobDatabase(argv[2], std::stoull(argv[3]), argv[4][0]);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
