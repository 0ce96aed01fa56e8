// Script extraction end to end, as a user with a large schema meets it: TIBScriptExtract::
// ExtractDatabase (parsing, then the linking of keys, foreign keys and dependencies) on the
// `isql-fb -x` script of the extraction benchmark's database (2,000 tables of 20 columns with their
// keys, indices, foreign keys and comments, 200 views, procedures, triggers and sequences), and on
// that script joined with renamed copies of itself to 2, 4, 8 and 16 times its size. The
// extraction runs as the demo runs it (log and progress handlers assigned). Counters: the script's
// size, MB/s, the time per doubling (this size's time over the half size's; 2 means linear), and
// from a first run of its own, with the memory of earlier runs handed back to the system (the
// allocator's and the block pools'), its MB/s and the peak memory the extraction adds, per script
// byte. The database and the scripts are built
// once and kept in $SMX_BENCH_DIR (default: bench-extract in the build folder).
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "BenchDatabase.h"
#include "model/smxBlockPool.h"
#include "model/smxDBStructure.h"
#include "parsing/smxIBScriptExtract.h"

namespace {

using namespace smx;
using namespace smx::bench;

bool IsIdentChar(char C) {
    return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9') || C == '_' || C == '$';
}

// True for the generated object names: TB_n, PK_TB_n, IX_TB_n, FK_TB_n, G_n, V_n, P_n, TR_n.
bool IsGeneratedName(std::string_view W) {
    for (std::string_view Prefix : {"PK_TB_", "IX_TB_", "FK_TB_", "TB_", "TR_", "G_", "V_", "P_"}) {
        if (W.size() <= Prefix.size() || W.substr(0, Prefix.size()) != Prefix) continue;
        for (char C : W.substr(Prefix.size()))
            if (C < '0' || C > '9') return false;
        return true;
    }
    return false;
}

// Copy Copy of the script: every generated name gets the suffix "_K" + Copy (string literals are
// left alone); copies after the first lose the header before the first section comment.
std::string RenamedCopy(const std::string& Script, int Copy) {
    if (Copy == 1) return Script;
    const std::size_t Body = Script.find("/*  Generators");
    std::string_view S = std::string_view(Script).substr(Body == std::string::npos ? 0 : Body);
    const std::string Suffix = "_K" + std::to_string(Copy);
    std::string Out;
    Out.reserve(S.size() + S.size() / 8);
    for (std::size_t i = 0; i < S.size();) {
        if (S[i] == '\'') {
            const std::size_t E = S.find('\'', i + 1);
            const std::size_t End = E == std::string_view::npos ? S.size() : E + 1;
            Out.append(S.substr(i, End - i));
            i = End;
        } else if (IsIdentChar(S[i])) {
            std::size_t E = i;
            while (E < S.size() && IsIdentChar(S[E]))
                ++E;
            const std::string_view W = S.substr(i, E - i);
            Out.append(W);
            if (IsGeneratedName(W)) Out += Suffix;
            i = E;
        } else {
            Out += S[i++];
        }
    }
    return Out;
}

// The database's `isql -x` script joined with renamed copies to Copies times its size.
std::string EnsureJoinedScript(int Copies) {
    EnsureBenchDatabase("extract", GenerateBenchSql(TBenchShape{}));
    const std::string Base = EnsureIsqlScript("extract");
    if (Copies == 1) return Base;
    namespace fs = std::filesystem;
    const std::string Path =
        fs::path(Base).replace_extension("").string() + "-" + std::to_string(Copies) + ".sql";
    std::error_code Ec;
    if (fs::exists(Path) && fs::last_write_time(Path, Ec) >= fs::last_write_time(Base, Ec) && !Ec)
        return Path;
    const std::string Script = ReadFileBytes(Base);
    {
        std::ofstream Out(Path + ".part", std::ios::binary);
        for (int c = 1; c <= Copies; ++c)
            Out << RenamedCopy(Script, c);
    }
    fs::rename(Path + ".part", Path);
    return Path;
}

// The mean time of each size measured so far, for the time per doubling.
std::map<int, double>& MeanSeconds() {
    static std::map<int, double> Means;
    return Means;
}

// One extraction of Script into a new structure. Seconds receives its time; the structure is freed
// afterwards, outside the time: freeing is not extracting. Empty when it succeeded with Tables
// tables, else what went wrong.
std::string ExtractOnce(const std::string& Script, int Tables, double& Seconds, std::size_t& Events) {
    auto Structure = std::make_unique<TDBStructure>();
    Structure->SetDatabaseType(TDatabaseType::dbInterBase);
    Structure->GetIBServerOptions().SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_30);
    Structure->GetIBServerOptions().SetSQLDialect(3);
    auto Extract = std::make_unique<TIBScriptExtract>();
    Extract->SetName("IBScriptExtract1");
    Extract->SetDBStructure(Structure.get());
    Extract->SetScriptFileName(Script);
    std::string Errors;
    Extract->SetOnErrorMessage([&](TObject*, const std::string& Text) { Errors += Text + "\n"; });
    Extract->SetOnLogNextLine([&](TObject*, const std::string& Text) { Events += Text.size(); });
    Extract->SetOnProgressUpdate([&](TObject*, int, int) { ++Events; });
    const auto Start = std::chrono::steady_clock::now();
    const bool Ok = Extract->ExtractDatabase();
    Seconds = smx::bench::Seconds(std::chrono::steady_clock::now() - Start);
    const int Found = Structure->Objs()->ObjectCount(TObjsList::olTables);
    Extract.reset();
    Structure.reset();
    if (!Ok) return Errors.empty() ? "the extraction failed" : Errors;
    if (Found != Tables) return "the extraction found " + std::to_string(Found) + " tables";
    return {};
}

void BM_ScriptExtract(benchmark::State& State) {
    const int Copies = static_cast<int>(State.range(0));
    const int Tables = TBenchShape{}.Tables * Copies;
    std::string Script;
    try {
        Script = EnsureJoinedScript(Copies);
    } catch (const std::exception& E) {
        State.SkipWithError(E.what());
        return;
    }
    const double Bytes = static_cast<double>(std::filesystem::file_size(Script));
    std::size_t Events = 0;
    // The peak memory, taken on a first run of its own: the memory earlier runs freed is handed back
    // first, so that the run gets its memory from the system as the first run in a process does.
    TBlockPool::TrimThreadPools();
    malloc_trim(0);
    ResetPeakRss();
    const double Before = CurrentRssBytes();
    double Cold = 0;
    if (std::string Problem = ExtractOnce(Script, Tables, Cold, Events); !Problem.empty()) {
        State.SkipWithError(Problem.c_str());
        return;
    }
    const double PeakAdded = PeakRssBytes() - Before;
    double Total = 0;
    for (auto _ : State) {
        double S = 0;
        if (std::string Problem = ExtractOnce(Script, Tables, S, Events); !Problem.empty()) {
            State.SkipWithError(Problem.c_str());
            return;
        }
        State.SetIterationTime(S);
        Total += S;
    }
    const double Mean = Total / static_cast<double>(State.iterations());
    MeanSeconds()[Copies] = Mean;
    State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations()) * static_cast<std::int64_t>(Bytes));
    State.counters["MB"] = Bytes / 1e6;
    State.counters["MB_per_s"] = Mean > 0 ? Bytes / 1e6 / Mean : 0;
    State.counters["first_run_MB_per_s"] = Cold > 0 ? Bytes / 1e6 / Cold : 0;
    if (auto Half = MeanSeconds().find(Copies / 2);
        Copies > 1 && Half != MeanSeconds().end() && Half->second > 0)
        State.counters["x_per_doubling"] = Mean / Half->second;
    State.counters["peak_bytes_per_byte"] = PeakAdded / Bytes;
    State.counters["tables"] = Tables;
    benchmark::DoNotOptimize(Events);
}
// Sizes in doubling order: each size's time per doubling needs the half size measured before it.
BENCHMARK(BM_ScriptExtract)
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->Arg(8)
    ->Arg(16)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinWarmUpTime(0.5)
    ->MinTime(1.0);

} // namespace

BENCHMARK_MAIN();
