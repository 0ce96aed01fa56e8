// The benchmarks' generated databases and measuring helpers. See the header.
#include "BenchDatabase.h"

#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace smx::bench {

std::string BenchDir() {
    const char* d = std::getenv("SMX_BENCH_DIR");
    return d && *d ? d : SMX_BENCH_BUILD_DIR "/bench-extract";
}

std::string GenerateBenchSql(const TBenchShape& Shape) {
    std::ostringstream s;
    s << "CREATE DATABASE '{db}' USER 'SYSDBA' PAGE_SIZE 8192 DEFAULT CHARACTER SET UTF8;\n";
    for (int i = 1; i <= Shape.Tables; ++i) {
        s << "CREATE TABLE TB_" << i << " (ID INTEGER NOT NULL, REF_ID INTEGER";
        for (int c = 3; c <= Shape.Columns; ++c) {
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
    // The other objects hang on the first tables; a shape with fewer tables than others reuses them.
    auto table = [&](int i) { return (i - 1) % Shape.Tables + 1; };
    for (int i = 1; i <= Shape.Others; ++i)
        s << "CREATE SEQUENCE G_" << i << ";\n";
    for (int i = 1; i <= Shape.Others; ++i)
        s << "CREATE VIEW V_" << i << " AS SELECT ID, C4 FROM TB_" << table(i) << " WHERE ID > " << i
          << ";\n";
    s << "COMMIT;\nSET TERM ^ ;\n";
    for (int i = 1; i <= Shape.Others; ++i)
        s << "CREATE PROCEDURE P_" << i
          << " (A INTEGER) RETURNS (R INTEGER) AS\nBEGIN\n  SELECT COUNT(*) FROM TB_" << table(i)
          << " WHERE ID = :A INTO :R;\n  SUSPEND;\nEND^\n";
    for (int i = 1; i <= Shape.Others; ++i)
        s << "CREATE TRIGGER TR_" << i << " FOR TB_" << table(i)
          << " ACTIVE BEFORE INSERT POSITION 0 AS\nBEGIN\n  NEW.C5 = GEN_ID(G_" << i << ", 1);\nEND^\n";
    s << "SET TERM ; ^\nCOMMIT;\n";
    return s.str();
}

std::string ReadFileBytes(const std::string& Path) {
    std::ifstream in(Path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

namespace {
std::string DatabasePath(const std::string& Stem) {
    return std::filesystem::absolute(BenchDir()).string() + "/" + Stem + ".fdb";
}

// The script a database was built from; the first extraction benchmark's keeps its old name.
std::string StampPath(const std::string& Stem) {
    const std::string dir = std::filesystem::absolute(BenchDir()).string();
    return dir + (Stem == "extract" ? "/built-from.sql" : "/" + Stem + ".built-from.sql");
}
} // namespace

std::string EnsureBenchDatabase(const std::string& Stem, const std::string& Sql) {
    const std::string dir = std::filesystem::absolute(BenchDir()).string();
    std::filesystem::create_directories(dir);
    const std::string db = DatabasePath(Stem);
    const std::string stamp = StampPath(Stem);
    if (std::filesystem::exists(db) && ReadFileBytes(stamp) == Sql) return db;
    std::filesystem::remove(db);
    std::filesystem::remove(stamp);
    const std::string script = dir + "/" + Stem + ".build.sql";
    std::string body = Sql;
    body.replace(body.find("{db}"), 4, db);
    std::ofstream(script, std::ios::binary) << body;
    const std::string log = dir + "/" + Stem + ".build.log";
    const std::string cmd = "isql-fb -q -b -i '" + script + "' > '" + log + "' 2>&1";
    if (std::system(cmd.c_str()) != 0) throw std::runtime_error("isql-fb failed, see " + log);
    std::ofstream(stamp, std::ios::binary) << Sql;
    return db;
}

std::string EnsureIsqlScript(const std::string& Stem) {
    namespace fs = std::filesystem;
    const std::string db = DatabasePath(Stem);
    const std::string script = fs::path(db).replace_extension(".x.sql").string();
    // Every attachment touches the database file: the build stamp tells whether it was rebuilt.
    std::error_code ec;
    if (fs::exists(script) && fs::last_write_time(script, ec) >= fs::last_write_time(StampPath(Stem), ec) &&
        !ec)
        return script;
    const std::string part = script + ".part";
    const std::string cmd = "isql-fb -x '" + db + "' > '" + part + "' 2>&1";
    if (std::system(cmd.c_str()) != 0) throw std::runtime_error("isql-fb -x failed, see " + part);
    fs::rename(part, script);
    return script;
}

double PeakRssMiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_maxrss) / 1024.0;
}

namespace {
// A "Vm...:" line of /proc/self/status in bytes; 0 when absent.
double StatusBytes(const char* Key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string key = std::string(Key) + ":";
    while (std::getline(in, line))
        if (line.compare(0, key.size(), key) == 0)
            return std::strtod(line.c_str() + key.size(), nullptr) * 1024.0;
    return 0;
}
} // namespace

double CurrentRssBytes() {
    return StatusBytes("VmRSS");
}

double PeakRssBytes() {
    return StatusBytes("VmHWM");
}

bool ResetPeakRss() {
    std::ofstream out("/proc/self/clear_refs");
    out << "5";
    out.flush();
    return static_cast<bool>(out);
}

} // namespace smx::bench
