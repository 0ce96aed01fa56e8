// Shared pieces of the data comparer tests on real Firebird 3 databases: a folder with a master and
// a target UTF8 database made by isql-fb, one side's client database component and connection set up
// as the suite's Firebird tests expect, a comparer that records its log and errors, a dump of a
// table that shows every value exactly, and helpers for statements with parameters and for files.
#pragma once

#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "datacompare/smxTableDataComparer.h"
#include "tests/database/IBXTestSupport.h"
#include "tests/support/smxTestDb.h"

namespace smx::test {

/// Creates a UTF8 database at Path with the DDL; throws with isql-fb's output when that fails.
inline void CreateUtf8Database(const TTempDir& Dir, const std::string& Path, const std::string& Ddl) {
    const TIsqlResult r = RunIsqlScript(
        Dir, "CREATE DATABASE '" + SqlQuoteDoubled(Path) +
                 "' USER 'SYSDBA' PAGE_SIZE 8192 DEFAULT CHARACTER SET UTF8;\n" + Ddl + "\nCOMMIT;\n");
    if (!r.Ok()) throw std::runtime_error("isql-fb failed: " + r.Output);
}

/// A master and a target database made from the same DDL in one temporary folder.
class TDbPair {
public:
    explicit TDbPair(const std::string& Ddl, const std::string& TargetDdl = {})
        : dir_("smxdc"), master_(dir_.File("master.fdb")), target_(dir_.File("target.fdb")) {
        CreateUtf8Database(dir_, master_, Ddl);
        CreateUtf8Database(dir_, target_, TargetDdl.empty() ? Ddl : TargetDdl);
    }
    const std::string& Master() const { return master_; }
    const std::string& Target() const { return target_; }
    const TTempDir& Dir() const { return dir_; }
    std::string File(const std::string& Name) const { return dir_.File(Name); }
    /// A copy of the target database file as it is now (no attachment may be open).
    std::string CopyTarget(const std::string& Name) const {
        const std::string to = dir_.File(Name);
        std::filesystem::copy_file(target_, to, std::filesystem::copy_options::overwrite_existing);
        return to;
    }
    /// Runs SQL on one database through isql-fb; fails the test when isql reports an error.
    void Run(const std::string& Path, const std::string& Sql) const {
        const TIsqlResult r =
            RunIsqlScript(dir_, "CONNECT '" + SqlQuoteDoubled(Path) + "';\n" + Sql + "\nCOMMIT;\n");
        ASSERT_TRUE(r.Ok()) << r.Output;
    }

private:
    TTempDir dir_;
    std::string master_;
    std::string target_;
};

/// One side: a client database component (UTF8) and a connection at Firebird 3.0 with COMMENT ON
/// descriptions, disconnected.
struct TFbSide {
    explicit TFbSide(const std::string& Path, const std::string& Name = "Side")
        : Ib(MakeIBDatabase(Path, "UTF8")) {
        Conn.SetName(Name);
        Conn.SetDatabase(Ib.get());
        Conn.GetIBServerOptions().SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_30);
        Conn.GetIBServerOptions().GetIBCompareOptions().SetUpdateDescriptionMode(
            TUpdateDescriptionType::udComment);
        Conn.OnErrorMessage = [this](TObject*, const std::string& t) { ConnErrors.push_back(t); };
        Conn.OnLogNextLine = [](TObject*, const std::string&) {};
    }
    std::unique_ptr<TIBDatabase> Ib;
    TSMXConnectionIBX Conn;
    std::vector<std::string> ConnErrors;
};

/// A comparer wired to two sides, recording its log and its errors (without the "Error: " prefix).
struct TComparerRig {
    TComparerRig(TFbSide& Master, TFbSide& Target, const std::string& ScriptFile) {
        Cmp.SetName("Cmp");
        Cmp.SetSMXConnectionMaster(&Master.Conn);
        Cmp.SetSMXConnectionTarget(&Target.Conn);
        Cmp.SetScriptFileName(ScriptFile);
        Cmp.OnLogNextLine = [this](TObject*, const std::string& t) { Log.push_back(t); };
        Cmp.OnErrorMessage = [this](TObject*, const std::string& t) {
            Errors.push_back(t.rfind("Error: ", 0) == 0 ? t.substr(7) : t);
        };
    }
    void SetTables(const std::string& Master, const std::string& Target) {
        Cmp.SetTableNameMaster(Master);
        Cmp.SetTableNameTarget(Target);
    }
    void SetKeys(std::initializer_list<std::string> Names) {
        TStringList l;
        for (const auto& n : Names)
            l.Add(n);
        Cmp.SetCustomKeyFields(l);
    }
    void SetExcluded(std::initializer_list<std::string> Names) {
        TStringList l;
        for (const auto& n : Names)
            l.Add(n);
        Cmp.SetExcludeDataFields(l);
    }
    bool Execute() {
        Log.clear();
        Errors.clear();
        return Cmp.Execute();
    }
    bool HasLog(const std::string& Line) const {
        for (const auto& l : Log)
            if (l == Line) return true;
        return false;
    }
    bool LogContains(const std::string& Fragment) const {
        for (const auto& l : Log)
            if (l.find(Fragment) != std::string::npos) return true;
        return false;
    }
    /// The summary line of the last run, or "" when there is none.
    std::string Summary() const {
        for (const auto& l : Log)
            if (l.rfind("Equal: ", 0) == 0) return l;
        return {};
    }

    TTableDataComparer Cmp;
    std::vector<std::string> Log;
    std::vector<std::string> Errors;
};

/// One value of a dump: NULL as a marker, doubles with 17 digits, date-times as day and tick
/// (1/10000 s), everything else as the bytes the client layer holds (texts, BLOBs, decimal texts).
inline std::string DumpValue(const TField& f) {
    if (f.IsNull()) return "<null>";
    switch (f.DataType()) {
    case TFieldType::ftFloat: {
        char buf[64];
        const auto r = std::to_chars(buf, buf + sizeof buf, f.AsFloat(), std::chars_format::general, 17);
        return std::string(buf, r.ptr);
    }
    case TFieldType::ftDate:
    case TFieldType::ftTime:
    case TFieldType::ftDateTime:
    case TFieldType::ftTimeStamp:
        return "d" + std::to_string(DateToDays(f.AsDateTime())) + " t" +
               std::to_string(TimeToTicks(f.AsDateTime()));
    default:
        return f.AsBytes();
    }
}

using TDump = std::vector<std::vector<std::string>>;

/// Every row of the select through a separate UTF8 attachment.
inline TDump DumpTable(const std::string& Path, const std::string& Select) {
    TDump rows;
    ForEachRowElsewhere(Path, Select, "UTF8", [&](TIBQuery& q) {
        std::vector<std::string> row;
        for (int i = 0; i < q.Fields()->Count(); ++i)
            row.push_back(DumpValue((*q.Fields())[i]));
        rows.push_back(std::move(row));
    });
    return rows;
}

/// Runs one statement with parameters set by Fill, through the adapter's query, and commits.
inline void ExecWithParams(const std::string& Path, const std::string& Sql,
                           const std::function<void(TSMXQuery&)>& Fill) {
    TFbSide side(Path);
    side.Conn.SetConnected(true);
    ASSERT_TRUE(side.Conn.GetConnected()) << (side.ConnErrors.empty() ? "" : side.ConnErrors[0]);
    std::unique_ptr<TSMXQuery> q(side.Conn.CreateQuery(nullptr));
    q->GetSQL()->SetText(Sql);
    Fill(*q);
    q->ExecSQL();
    side.Conn.Commit();
    side.Conn.SetConnected(false);
}

inline std::string ReadFileBytes(const std::string& Path) {
    std::ifstream in(Path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline bool Exists(const std::string& Path) {
    std::error_code ec;
    return std::filesystem::exists(Path, ec);
}

/// The lines of a data script (statements end with ";" and CR LF; texts may hold CR LF too).
inline std::vector<std::string> ScriptLines(const std::string& Path) {
    std::vector<std::string> lines;
    const std::string text = ReadFileBytes(Path);
    std::size_t start = 0;
    for (std::size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", start)) {
        lines.push_back(text.substr(start, p - start));
        start = p + 2;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

} // namespace smx::test
