// Shared pieces of the key and index checks on real Firebird databases: isql-fb -x of a database,
// its user indices as the system tables hold them, and a comparison whose executor runs on the
// target database through the InterBase connection.
#pragma once

#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tests/database/IBXTestSupport.h"
#include "tests/model/KeysTestSupport.h"

namespace smx::test {

/// isql-fb -x of the database, without the line that names the database file.
inline std::string ExtractDdl(const std::string& path) {
    FILE* pipe = popen(("isql-fb -x '" + path + "' 2>&1").c_str(), "r");
    if (!pipe) return {};
    std::string out;
    std::array<char, 4096> buf{};
    std::size_t n = 0;
    while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0)
        out.append(buf.data(), n);
    pclose(pipe);
    std::string kept;
    for (const std::string& line : SplitLines(out))
        if (line.find("CREATE DATABASE") == std::string::npos) kept += line + "\n";
    return kept;
}

/// Every user index: name, table, unique, type, inactive, expression and segments.
inline std::vector<std::string> UserIndices(const std::string& path) {
    return ReadColumnElsewhere(
        path, "select trim(i.rdb$index_name) || '|' || trim(i.rdb$relation_name) || '|' || "
              "coalesce(i.rdb$unique_flag, 0) || '|' || coalesce(i.rdb$index_type, 0) || '|' || "
              "coalesce(i.rdb$index_inactive, 0) || '|' || coalesce(i.rdb$expression_source, '') || '|' || "
              "coalesce((select list(f) from (select trim(s.rdb$field_name) f from rdb$index_segments s "
              "where s.rdb$index_name = i.rdb$index_name order by s.rdb$field_position)), '') "
              "from rdb$indices i where coalesce(i.rdb$system_flag, 0) = 0 order by i.rdb$index_name");
}

/// Master and target structures (Firebird 3, dialect 3, UTF8, COMMENT ON) compared into an executor
/// that runs on the target database through the InterBase connection.
struct TargetRun : keytest::TCompareRun {
    explicit TargetRun(const std::string& targetPath) : ibdb(MakeIBDatabase(targetPath, "UTF8")) {
        TConnectionOptions& c = target.Objs()->GetConnectionOptions();
        c.SetDatabaseName(targetPath);
        c.SetUserName("SYSDBA");
        c.SetPassword("masterkey");
        conn.SetDatabase(ibdb.get());
        exec.SetSMXConnection(&conn);
        exec.OnErrorMessage = [this](TObject*, const std::string& t) { errors.push_back(t); };
    }
    /// The texts of the statements sent to the server, in order.
    std::vector<std::string> Executable() const {
        std::vector<std::string> r;
        for (const keytest::TSeen& s : rec.seen)
            if (s.StatType == TStatType::stStatement || s.StatType == TStatType::stReconnect ||
                s.StatType == TStatType::stDescription)
                r.push_back(s.Text);
        return r;
    }

    std::unique_ptr<TIBDatabase> ibdb;
    TSMXConnectionIBX conn;
    std::vector<std::string> errors;
};

} // namespace smx::test
