// Benchmark of the metadata extractor on a real Firebird 3 database of 2,000 tables x 20 columns
// (each with a primary key, an index, a foreign key to the previous table and a comment), 200
// views, 200 procedures, 200 triggers and 200 generators, timed side by side in one run against
// isql-fb -x of the same database. The extraction runs as the demo runs it: ShowFullLog on and
// log, step and progress handlers assigned. Counters: both times in seconds, their ratio and the
// peak resident memory of this process. The database is built once with isql-fb and kept in
// $SMX_BENCH_DIR (default: bench-extract in the build folder); it is built again whenever the
// generated script differs from the one it was built from.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

#include "database/smxConnection_IBX.h"
#include "database/smxIBDatabaseExtract.h"
#include "model/smxDBStructure.h"
#include "platform/smxIBClient.h"

namespace {

using namespace smx;

constexpr int kTables = 2000;
constexpr int kColumns = 20;
constexpr int kOthers = 200;

std::string BenchDir() {
    const char* d = std::getenv("SMX_BENCH_DIR");
    return d && *d ? d : SMX_BENCH_BUILD_DIR "/bench-extract";
}

double PeakRssMiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_maxrss) / 1024.0;
}

// The whole database as one isql-fb script (the CREATE DATABASE line names {db}).
std::string GenerateSql() {
    std::ostringstream s;
    s << "CREATE DATABASE '{db}' USER 'SYSDBA' PAGE_SIZE 8192 DEFAULT CHARACTER SET UTF8;\n";
    for (int i = 1; i <= kTables; ++i) {
        s << "CREATE TABLE TB_" << i << " (ID INTEGER NOT NULL, REF_ID INTEGER";
        for (int c = 3; c <= kColumns; ++c) {
            switch (c % 4) {
            case 0:
                s << ", C" << c << " VARCHAR(40)";
                break;
            case 1:
                s << ", C" << c << " INTEGER";
                break;
            case 2:
                s << ", C" << c << " NUMERIC(18,4)";
                break;
            default:
                s << ", C" << c << " TIMESTAMP";
                break;
            }
        }
        s << ", CONSTRAINT PK_TB_" << i << " PRIMARY KEY (ID));\n";
        s << "CREATE INDEX IX_TB_" << i << " ON TB_" << i << " (C4);\n";
        if (i > 1)
            s << "ALTER TABLE TB_" << i << " ADD CONSTRAINT FK_TB_" << i
              << " FOREIGN KEY (REF_ID) REFERENCES TB_" << i - 1 << " (ID);\n";
        s << "COMMENT ON TABLE TB_" << i << " IS 'Table " << i << "';\n";
        if (i % 100 == 0) s << "COMMIT;\n";
    }
    for (int i = 1; i <= kOthers; ++i)
        s << "CREATE SEQUENCE G_" << i << ";\n";
    for (int i = 1; i <= kOthers; ++i)
        s << "CREATE VIEW V_" << i << " AS SELECT ID, C4 FROM TB_" << i << " WHERE ID > " << i << ";\n";
    s << "COMMIT;\nSET TERM ^ ;\n";
    for (int i = 1; i <= kOthers; ++i)
        s << "CREATE PROCEDURE P_" << i
          << " (A INTEGER) RETURNS (R INTEGER) AS\nBEGIN\n  SELECT COUNT(*) FROM TB_" << i
          << " WHERE ID = :A INTO :R;\n  SUSPEND;\nEND^\n";
    for (int i = 1; i <= kOthers; ++i)
        s << "CREATE TRIGGER TR_" << i << " FOR TB_" << i
          << " ACTIVE BEFORE INSERT POSITION 0 AS\nBEGIN\n  NEW.C5 = GEN_ID(G_" << i << ", 1);\nEND^\n";
    s << "SET TERM ; ^\nCOMMIT;\n";
    return s.str();
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The database path, built when missing or when the generator's script changed.
std::string EnsureDatabase() {
    const std::string dir = std::filesystem::absolute(BenchDir()).string();
    std::filesystem::create_directories(dir);
    const std::string db = dir + "/extract.fdb";
    std::string sql = GenerateSql();
    const std::string stamp = dir + "/built-from.sql";
    if (std::filesystem::exists(db) && ReadFile(stamp) == sql) return db;
    std::filesystem::remove(db);
    std::filesystem::remove(stamp);
    const std::string script = dir + "/build.sql";
    std::string body = sql;
    body.replace(body.find("{db}"), 4, db);
    std::ofstream(script, std::ios::binary) << body;
    const std::string cmd = "isql-fb -q -b -i '" + script + "' > '" + dir + "/build.log' 2>&1";
    if (std::system(cmd.c_str()) != 0) throw std::runtime_error("isql-fb failed, see " + dir + "/build.log");
    std::ofstream(stamp, std::ios::binary) << sql;
    return db;
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

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
    const std::string db = EnsureDatabase();
    double isql = 0, extract = 0;
    int tables = 0, events = 0;
    for (auto _ : state) {
        isql = TimeIsqlExtract(db);
        extract = TimeExtractor(db, tables, events);
        state.SetIterationTime(extract);
    }
    state.counters["isql_x_s"] = isql;
    state.counters["extract_s"] = extract;
    state.counters["ratio"] = isql > 0 ? extract / isql : 0;
    state.counters["peak_rss_MiB"] = PeakRssMiB();
    state.counters["tables"] = tables;
    state.counters["events"] = events;
}
BENCHMARK(BM_ExtractAgainstIsql)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
