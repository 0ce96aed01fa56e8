// The generated Firebird 3 databases the extraction benchmarks read: a schema of tables with a
// primary key, an index, a foreign key to the previous table and a comment each, plus views,
// procedures, triggers and sequences, built once with isql-fb and kept in a folder between runs
// (rebuilt whenever the generated script changes), and the cached `isql-fb -x` script of such a
// database. Also the small measuring helpers the benchmarks share.
#pragma once

#include <chrono>
#include <string>

namespace smx::bench {

/// The shape of a generated database.
struct TBenchShape {
    int Tables = 2000;
    int Columns = 20; ///< per table, the ID and REF_ID columns included
    int Others = 200; ///< views, procedures, triggers and sequences, each
};

/// $SMX_BENCH_DIR, else "bench-extract" in the build folder.
std::string BenchDir();

/// The whole database as one isql-fb script; its CREATE DATABASE line names "{db}".
std::string GenerateBenchSql(const TBenchShape& Shape);

/// The path of the database Stem + ".fdb" in BenchDir, built from Sql with isql-fb when missing or
/// when Sql differs from the script it was built from. Throws std::runtime_error when isql-fb fails.
std::string EnsureBenchDatabase(const std::string& Stem, const std::string& Sql);

/// The path of the `isql-fb -x` script of the database Stem (next to it, Stem + ".x.sql"), written
/// again when it is missing or older than the database's build. Call EnsureBenchDatabase first.
/// Throws std::runtime_error when isql-fb fails.
std::string EnsureIsqlScript(const std::string& Stem);

/// The whole file; empty when it cannot be read.
std::string ReadFileBytes(const std::string& Path);

/// Peak resident memory of this process so far, in MiB.
double PeakRssMiB();

/// Current resident memory of this process, in bytes (VmRSS).
double CurrentRssBytes();

/// Peak resident memory since the last ResetPeakRss, in bytes (VmHWM).
double PeakRssBytes();

/// Starts a new peak: the kernel's high-water mark is set to the current resident size. False
/// where the kernel does not offer that (the peak then counts from the process start).
bool ResetPeakRss();

inline double Seconds(std::chrono::steady_clock::duration D) {
    return std::chrono::duration<double>(D).count();
}

} // namespace smx::bench
