// Whole comparisons on real Firebird 3 databases: every column type through the data script and the
// executor, the same at once on the target, a table without key run by isql-fb, table and column
// names that need quotes, the large-object file, the stop rule and the connection rules. After a
// script has run the target's rows equal the master's, and a second comparison finds nothing to do.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "database/smxIBSQLExec.h"
#include "model/smxSQL_Exec.h"
#include "tests/datacompare/DataCompareTestSupport.h"

namespace smx::test {
namespace {

// ---- Every column type ----

const char* const kAllDdl = R"(
CREATE TABLE T_ALL (
  ID INTEGER NOT NULL PRIMARY KEY,
  SI SMALLINT, BI BIGINT, FL FLOAT, DP DOUBLE PRECISION,
  N184 NUMERIC(18,4), N92 NUMERIC(9,2), D186 DECIMAL(18,6),
  DT DATE, TM TIME, TS TIMESTAMP, BO BOOLEAN,
  CH CHAR(10), VC VARCHAR(100), OC VARCHAR(16) CHARACTER SET OCTETS,
  MEMO BLOB SUB_TYPE TEXT, BIN BLOB SUB_TYPE BINARY, UPD_AT TIMESTAMP);
)";

const char* const kColumns =
    "ID, SI, BI, FL, DP, N184, N92, D186, DT, TM, TS, BO, CH, VC, OC, MEMO, BIN, UPD_AT";
const char* const kDataSelect = "SELECT ID, SI, BI, FL, DP, N184, N92, D186, DT, TM, TS, BO, CH, VC, OC, "
                                "MEMO, BIN FROM T_ALL ORDER BY ID";
const char* const kUpdAtSelect = "SELECT ID, UPD_AT FROM T_ALL ORDER BY ID";

using TRow = std::map<std::string, TVariant>;

TVariant Ts(int y, int m, int d, int h, int n, int s, int frac) {
    return TVariant::FromDateTime(DaysTicksToDateTime(
        DateToDays(EncodeDate(y, m, d)), (std::int64_t{h} * 3600 + n * 60 + s) * TicksPerSecond + frac));
}
TVariant Tm(int h, int n, int s, int frac) {
    return TVariant::FromDateTime(
        DaysTicksToDateTime(0, (std::int64_t{h} * 3600 + n * 60 + s) * TicksPerSecond + frac));
}
TVariant Dt(int y, int m, int d) {
    return TVariant::FromDateTime(EncodeDate(y, m, d));
}
TVariant S(const std::string& s) {
    return TVariant::FromString(s);
}
TVariant Bytes(const std::string& s) {
    return TVariant::FromBytes(s);
}
TVariant I(std::int64_t v) {
    return TVariant::FromInteger(v);
}
TVariant F(double v) {
    return TVariant::FromFloat(v);
}

std::string Binary100k() {
    std::string b(100000, '\0');
    for (std::size_t i = 0; i < b.size(); ++i)
        b[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    return b;
}

std::string Utf8Text70k() {
    std::string t;
    while (t.size() < 70000)
        t += "Zürich ✓ äöü – line\r\n";
    return t;
}

TRow BaseRow() {
    return {{"SI", I(12)},
            {"BI", I(9007199254740993LL)},
            {"FL", F(0.1)},
            {"DP", F(0.1 + 0.2)},
            {"N184", S("12345678901234.5678")},
            {"N92", S("-0.50")},
            {"D186", S("1.000001")},
            {"DT", Dt(1, 1, 1)},
            {"TM", Tm(14, 5, 0, 1234)},
            {"TS", Ts(2024, 12, 31, 14, 5, 0, 1234)},
            {"BO", TVariant::FromBoolean(true)},
            {"CH", S("O'Brien")},
            {"VC", S("Zürich ✓")},
            {"OC", Bytes(std::string("\x00\xFF\x0A\x0D", 4))},
            {"MEMO", S(Utf8Text70k())},
            {"BIN", Bytes(Binary100k())}};
}

void Insert(const std::string& Path, int Id, TRow Row, TVariant UpdAt) {
    Row["ID"] = I(Id);
    Row["UPD_AT"] = std::move(UpdAt);
    ExecWithParams(
        Path,
        std::string("INSERT INTO T_ALL (") + kColumns +
            ") VALUES (:ID, :SI, :BI, :FL, :DP, :N184, :N92, :D186, :DT, :TM, :TS, :BO, :CH, :VC, :OC, "
            ":MEMO, :BIN, :UPD_AT)",
        [&](TSMXQuery& q) {
            TParams& params = *q.GetParams();
            for (int i = 0; i < params.Count(); ++i) {
                auto it = Row.find(params[i].Name());
                params[i].SetValue(it == Row.end() ? TVariant() : it->second);
            }
        });
}

/// Master rows 1-6 and target rows 1, 2, 4, 5, 7 of T_ALL: rows equal but for UPD_AT, differing in
/// every column, in NULLs, in BLOB bytes, rows of one side only.
class AllTypes : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        pair_ = std::make_unique<TDbPair>(kAllDdl);
        const std::string& m = pair_->Master();
        const std::string& t = pair_->Target();
        const TVariant masterStamp = Ts(2025, 1, 1, 8, 0, 0, 0);
        const TVariant targetStamp = Ts(2025, 6, 1, 9, 30, 0, 5);
        // 1: equal except UPD_AT.
        Insert(m, 1, BaseRow(), masterStamp);
        Insert(t, 1, BaseRow(), targetStamp);
        // 2: every column differs.
        Insert(m, 2,
               {{"SI", I(-1)},
                {"BI", I(-9223372036854775807LL)},
                {"FL", F(1.5)},
                {"DP", F(-1.0 / 3.0)},
                {"N184", S("-0.0001")},
                {"N92", S("9999999.99")},
                {"D186", S("-123456789012.345678")},
                {"DT", Dt(2024, 2, 29)},
                {"TM", Tm(0, 0, 0, 0)},
                {"TS", Ts(1900, 1, 1, 0, 0, 0, 1)},
                {"BO", TVariant::FromBoolean(false)},
                {"CH", S("C:\\dir\\")},
                {"VC", S("ab  ")},
                {"OC", Bytes("\x01")},
                {"MEMO", S("short memo")},
                {"BIN", Bytes("0123456789")}},
               masterStamp);
        Insert(t, 2,
               {{"SI", I(7)},
                {"BI", I(1)},
                {"FL", F(2.5)},
                {"DP", F(0.5)},
                {"N184", S("1.0000")},
                {"N92", S("1.00")},
                {"D186", S("2.000000")},
                {"DT", Dt(2000, 1, 1)},
                {"TM", Tm(12, 0, 0, 5000)},
                {"TS", Ts(2000, 1, 1, 12, 0, 0, 0)},
                {"BO", TVariant::FromBoolean(true)},
                {"CH", S("x")},
                {"VC", S("ab")},
                {"OC", Bytes("\x02")},
                {"MEMO", S("other memo")},
                {"BIN", Bytes("01234567890")}},
               targetStamp);
        // 3: master only, with a line break in a text.
        TRow three = BaseRow();
        three["VC"] = S("a\r\nb");
        three["CH"] = S("Zürich");
        Insert(m, 3, three, masterStamp);
        // 4: NULLs against values in both directions.
        TRow masterFour = BaseRow(), targetFour = BaseRow();
        for (const char* c : {"SI", "FL", "N184", "DT", "TS", "CH", "OC", "MEMO"})
            masterFour.erase(c);
        for (const char* c : {"BI", "DP", "N92", "D186", "TM", "BO", "VC", "BIN"})
            targetFour.erase(c);
        Insert(m, 4, masterFour, masterStamp);
        Insert(t, 4, targetFour, targetStamp);
        // 5: one byte at offset 70,000 of the binary BLOB, and an empty text BLOB against a NULL.
        TRow masterFive = BaseRow(), targetFive = BaseRow();
        masterFive["MEMO"] = S("");
        targetFive.erase("MEMO");
        std::string bin = Binary100k();
        bin[70000] = static_cast<char>(bin[70000] ^ 0x5A);
        targetFive["BIN"] = Bytes(bin);
        Insert(m, 5, masterFive, masterStamp);
        Insert(t, 5, targetFive, targetStamp);
        // 6: NULL in every column but ID; 7: target only.
        Insert(m, 6, {}, TVariant());
        Insert(t, 7, BaseRow(), targetStamp);
    }
    static void TearDownTestSuite() { pair_.reset(); }

    void SetUp() override { masterDump = DumpTable(pair_->Master(), kDataSelect); }

    /// A comparer from the master to a target database file: T_ALL keyed by ID, UPD_AT left out,
    /// the data script written to Script and run by an InterBase-type executor on the target.
    struct Run {
        Run(const std::string& TargetPath, const std::string& Script)
            : master(pair_->Master(), "Master"), target(TargetPath, "Target"), rig(master, target, Script) {
            rig.SetTables("T_ALL", "T_ALL");
            rig.SetKeys({"ID"});
            rig.SetExcluded({"UPD_AT"});
            exec.SetName("Exec");
            exec.SetDatabaseType(TDatabaseType::dbInterBase);
            exec.SetSMXConnection(&target.Conn);
            exec.OnLogNextLine = [this](TObject*, const std::string& t) { execLog.push_back(t); };
            exec.OnErrorMessage = [this](TObject*, const std::string& t) { execErrors.push_back(t); };
            rig.Cmp.SetSQLExec(&exec);
        }
        TFbSide master;
        TFbSide target;
        TComparerRig rig;
        TSQLExec exec;
        std::vector<std::string> execLog, execErrors;
    };

    /// The target after the run: the master's data, UPD_AT kept, NULL in the inserted rows 3 and 6.
    void ExpectConverged(const std::string& TargetPath) {
        const TDump got = DumpTable(TargetPath, kDataSelect);
        EXPECT_EQ(got.size(), masterDump.size());
        for (std::size_t r = 0; r < std::min(got.size(), masterDump.size()); ++r)
            for (std::size_t c = 0; c < got[r].size(); ++c)
                if (got[r][c] != masterDump[r][c])
                    ADD_FAILURE() << "row " << masterDump[r][0] << " column " << c << ": "
                                  << got[r][c].substr(0, 60) << " instead of "
                                  << masterDump[r][c].substr(0, 60);
        const TDump upd = DumpTable(TargetPath, kUpdAtSelect);
        const std::string kept = "d" + std::to_string(DateToDays(Ts(2025, 6, 1, 0, 0, 0, 0).AsDateTime()));
        ASSERT_EQ(upd.size(), 6u);
        for (const auto& row : upd) {
            if (row[0] == "3" || row[0] == "6")
                EXPECT_EQ(row[1], "<null>") << row[0];
            else
                EXPECT_EQ(row[1].substr(0, kept.size()), kept) << row[0];
        }
    }

    static std::unique_ptr<TDbPair> pair_;
    TDump masterDump;
};
std::unique_ptr<TDbPair> AllTypes::pair_;

TEST_F(AllTypes, ScriptPathConvergesThroughTheExecutor) {
    const std::string target = pair_->CopyTarget("target1.fdb");
    const std::string script = pair_->File("Result.SQL");
    const std::string lob = pair_->File("Result.LOB");
    Run run(target, script);
    ASSERT_TRUE(run.rig.Execute());
    EXPECT_TRUE(run.rig.Errors.empty()) << run.rig.Errors.front();
    EXPECT_EQ(run.rig.Summary(), "Equal: 1, Inserted: 2, Updated: 3, Deleted: 1, All: 7.");
    EXPECT_FALSE(run.target.Conn.GetConnected()) << "the run disconnects what it connected";

    const std::vector<std::string> lines = ScriptLines(script);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "SET NAMES UTF8;");
    EXPECT_EQ(lines[1], "SET SQL DIALECT 3;");
    EXPECT_EQ(lines[2], "CONNECT '" + target + "' USER 'SYSDBA' PASSWORD 'masterkey';");
    EXPECT_EQ(lines[3], "SET BLOBFILE 'Result.LOB';");
    // Exact numerics keep every digit, floats read back exactly, BOOLEAN is TRUE/FALSE.
    const std::string text = ReadFileBytes(script);
    EXPECT_NE(text.find("12345678901234.5678"), std::string::npos);
    EXPECT_NE(text.find(" 3.0000000000000004E-0001 /*  3.E-1 */"), std::string::npos);
    EXPECT_NE(text.find("'31.12.2024 14:05:00.1234'"), std::string::npos);
    EXPECT_NE(text.find("X'00FF0A0D'"), std::string::npos);
    EXPECT_EQ(text.find("BO=1"), std::string::npos);

    // The references address the large-object file end to end, each range holding a master value.
    const std::string lobBytes = ReadFileBytes(lob);
    std::set<std::string> masterBlobs;
    for (const auto& row : masterDump)
        for (std::size_t c : {15u, 16u})
            if (row[c] != "<null>") masterBlobs.insert(row[c]);
    const std::regex ref(":h([0-9A-F]{8})_([0-9A-F]{8})");
    std::uint64_t expectedOffset = 0;
    int refs = 0;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), ref); it != std::sregex_iterator(); ++it) {
        const std::uint64_t offset = std::stoull((*it)[1].str(), nullptr, 16);
        const std::uint64_t length = std::stoull((*it)[2].str(), nullptr, 16);
        EXPECT_EQ(offset, expectedOffset);
        ASSERT_LE(offset + length, lobBytes.size());
        EXPECT_TRUE(masterBlobs.count(lobBytes.substr(offset, length))) << "reference " << refs;
        expectedOffset = offset + length;
        ++refs;
    }
    EXPECT_EQ(expectedOffset, lobBytes.size()) << "the file holds nothing else";
    EXPECT_GE(refs, 5);

    EXPECT_EQ(run.exec.GetStatementCount(), 4 + 7 - 1);
    EXPECT_TRUE(run.exec.ExecuteScript());
    EXPECT_TRUE(run.execErrors.empty()) << run.execErrors.front();
    ASSERT_FALSE(run.execLog.empty());
    EXPECT_EQ(run.execLog.back(), "< Script executed succesfully! >");
    ExpectConverged(target);

    ASSERT_TRUE(run.rig.Execute());
    EXPECT_EQ(run.rig.Summary(), "Equal: 6, Inserted: 0, Updated: 0, Deleted: 0, All: 6.");
    EXPECT_TRUE(run.rig.Errors.empty());
}

TEST_F(AllTypes, ScriptFileLoadedBackConvergesThroughTheInterBaseExecutor) {
    const std::string written = pair_->CopyTarget("target3.fdb");
    const std::string fresh = pair_->CopyTarget("target4.fdb");
    const std::string script = pair_->File("Result.SQL");
    {
        Run run(written, script);
        ASSERT_TRUE(run.rig.Execute());
        EXPECT_TRUE(run.rig.Errors.empty()) << run.rig.Errors.front();
    }
    // The data script file, read back through the parser, runs on a fresh copy of the target.
    TFbSide side(fresh, "Fresh");
    TIBSQLExec exec;
    exec.SetName("IBSQLExec");
    exec.SetSMXConnection(&side.Conn);
    exec.GetIBServerOptions().SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_30);
    std::vector<std::string> log, errors;
    exec.OnLogNextLine = [&](TObject*, const std::string& t) { log.push_back(t); };
    exec.OnErrorMessage = [&](TObject*, const std::string& t) { errors.push_back(t); };
    exec.LoadScriptFromFile(script);
    EXPECT_EQ(exec.GetLoadErrorCount(), 0);
    EXPECT_EQ(exec.GetStatementCount(), 4 + 7 - 1);
    EXPECT_TRUE(exec.ExecuteScript()) << (errors.empty() ? "" : errors.front());
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "< Script executed succesfully! >");
    EXPECT_FALSE(side.Conn.GetConnected());
    ExpectConverged(fresh);
}

TEST_F(AllTypes, AtOnceOnTheTarget) {
    const std::string target = pair_->CopyTarget("target2.fdb");
    const std::string script = pair_->File("Result.SQL");
    std::ofstream(script) << "stale";
    std::ofstream(pair_->File("Result.LOB")) << "stale";
    Run run(target, script);
    run.rig.Cmp.SetUpdateImmediately(true);
    ASSERT_TRUE(run.rig.Execute());
    EXPECT_TRUE(run.rig.Errors.empty()) << run.rig.Errors.front();
    EXPECT_EQ(run.rig.Summary(), "Equal: 1, Inserted: 2, Updated: 3, Deleted: 1, All: 7.");
    EXPECT_FALSE(Exists(script));
    EXPECT_FALSE(Exists(pair_->File("Result.LOB")));
    EXPECT_EQ(run.exec.GetStatementCount(), 0);
    ExpectConverged(target);
}

// Rows of the columns after the key as SQL literals: 0 and 1 differ in every column, 2 sorts after 1
// in its first column (so without a key the new version of a changed row comes before the old one).
const char* const kPayloadDdl =
    "SI SMALLINT, BI BIGINT, N NUMERIC(18,4), DE DECIMAL(9,2), FL FLOAT, "
    "DP DOUBLE PRECISION, DT DATE, TM TIME, TS TIMESTAMP, CH CHAR(10), "
    "VC VARCHAR(60), BO BOOLEAN, MEMO BLOB SUB_TYPE TEXT, BIN BLOB SUB_TYPE BINARY";
const char* const kPayloadKeys = ", SI, BI, N, DE, FL, DP, DT, TM, TS, CH, VC, BO"; // BLOBs are no keys
const char* const kPayloads[] = {
    "1, 9007199254740993, 12345678901234.5678, -0.50, 0.1, 0.1e0 + 0.2e0, '2024-02-29', '14:05:00.1234', "
    "'2024-12-31 14:05:00.1234', 'O''Brien', 'Zürich ✓ \"q\"; x' || ASCII_CHAR(13) || ASCII_CHAR(10) || 'y', "
    "TRUE, 'memo ✓;' || ASCII_CHAR(10) || 'end', x'00FF0A0D3B27'",
    "2, -9223372036854775807, -0.0001, 9999999.99, 1.5, -1e0 / 3e0, '0001-01-01', '00:00:00', "
    "'1900-01-01 00:00:00.0001', 'a;b', 'ab  ', FALSE, '', x''",
    "3, 0, 1, 0, -2.5e-30, 1e300, '9999-12-31', '23:59:59.9999', '2000-01-01 12:00:00', "
    "'', 'tab' || ASCII_CHAR(9), TRUE, 'x', x'01'",
    "NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL",
};

// Table; key columns; key names; six key values. '€' sorts before 'é' in WIN1252 only (not UTF8).
const char* const kKeyShapes = R"(K_INT;ID INTEGER;ID;1;2;3;4;5;-6
K_PAIR;ID INTEGER, CODE VARCHAR(5);ID, CODE;1, 'a';1, 'B';1, 'b';2, 'A';2, 'a' || ASCII_CHAR(10);0, 'z'
K_TEXT;K VARCHAR(10);K;'v';'v' || ASCII_CHAR(10);'v' || ASCII_CHAR(9);'V';'vé';'a b' || ASCII_CHAR(1)
K_WIN;K VARCHAR(3) CHARACTER SET WIN1252;K;ASCII_CHAR(128);ASCII_CHAR(233);'e';ASCII_CHAR(159);'E'||ASCII_CHAR(9);'E'
K_STAMP;T TIMESTAMP;T;'2024-1-1 0:0:0.0001';'2024-1-1 0:0:0';'1900-1-1 12:0:0';'1-1-1 0:0:0';'9999-1-1';'2000-1-1')";

TEST(EveryTypeAndKey, TargetEqualsMasterByteForByteInEveryMode) {
    // Per key the master's payload and the target's (-1: no row): equal, changed, master only,
    // target only, NULLs against values and values against NULLs.
    const int plan[6][2] = {{0, 0}, {1, 2}, {2, -1}, {-1, 1}, {3, 0}, {0, 3}};
    std::vector<std::vector<std::string>> shapes;
    std::string ddl, rows[2];
    std::istringstream lines(kKeyShapes);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        auto& s = shapes.emplace_back();
        for (std::string f; std::getline(in, f, ';');)
            s.push_back(f);
        ddl += "CREATE TABLE " + s[0] + " (" + s[1] + ", " + kPayloadDdl + ", PRIMARY KEY (" + s[2] + "));\n";
        for (int i = 0; i < 12; ++i)
            if (const int p = plan[i / 2][i % 2]; p >= 0)
                rows[i % 2] +=
                    "INSERT INTO " + s[0] + " VALUES (" + s[3 + i / 2] + ", " + kPayloads[p] + ");\n";
    }
    TDbPair pair(ddl);
    pair.Run(pair.Master(), rows[0]);
    pair.Run(pair.Target(), rows[1]);
    const std::string script = pair.File("Result.SQL");
    auto wire = [&](TIBSQLExec& exec, TFbSide& side) {
        exec.SetSMXConnection(&side.Conn);
        exec.GetIBServerOptions().SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_30);
        exec.OnLogNextLine = exec.OnErrorMessage = [](TObject*, const std::string&) {};
    };
    for (const auto& shape : shapes)
        for (int mode = 0; mode < 4; ++mode) { // key given or not, script or at once
            const std::string &table = shape[0], &key = shape[2];
            SCOPED_TRACE(table + " mode " + std::to_string(mode));
            const std::string select = "SELECT * FROM " + table + " ORDER BY " + key,
                              run = pair.CopyTarget("run.fdb"), loaded = pair.CopyTarget("loaded.fdb");
            TFbSide m(pair.Master(), "Master"), t(run, "Target"), fresh(loaded, "Fresh");
            TComparerRig rig(m, t, script);
            rig.SetTables(table, table);
            TStringList keys;
            keys.SetText(std::regex_replace(key, std::regex(", "), "\n"));
            if (mode < 2) rig.Cmp.SetCustomKeyFields(keys);
            rig.Cmp.SetUpdateImmediately(mode % 2 == 1);
            TIBSQLExec exec, fromFile;
            wire(exec, t);
            wire(fromFile, fresh);
            rig.Cmp.SetSQLExec(&exec);
            ASSERT_TRUE(rig.Execute());
            EXPECT_TRUE(rig.Errors.empty()) << rig.Errors.front();
            EXPECT_TRUE(rig.HasLog("Key fields: " + key + (mode < 2 ? "" : kPayloadKeys)));
            if (mode % 2 == 0) {
                EXPECT_TRUE(exec.ExecuteScript());
                fromFile.LoadScriptFromFile(script);
                EXPECT_TRUE(fromFile.ExecuteScript());
                EXPECT_EQ(DumpTable(loaded, select), DumpTable(pair.Master(), select));
            }
            EXPECT_EQ(DumpTable(run, select), DumpTable(pair.Master(), select));
            ASSERT_TRUE(rig.Execute());
            EXPECT_EQ(rig.Summary(), "Equal: 5, Inserted: 0, Updated: 0, Deleted: 0, All: 5.");
        }
}

// ---- No key, run by isql-fb ----

TEST(NoKey, PaddedTextOrderAndIsqlRun) {
    TDbPair pair("CREATE TABLE T_NOKEY (A INTEGER, S VARCHAR(20), N NUMERIC(9,2));");
    pair.Run(pair.Master(), "INSERT INTO T_NOKEY VALUES (NULL, 'a', 1);\n"
                            "INSERT INTO T_NOKEY VALUES (1, 'x', 2);\n"
                            "INSERT INTO T_NOKEY VALUES (1, 'x' || ASCII_CHAR(9), 2);\n"
                            "INSERT INTO T_NOKEY VALUES (2, 'ab', 3);\n"
                            "INSERT INTO T_NOKEY VALUES (3, 'Zürich', 4.5);");
    pair.Run(pair.Target(), "INSERT INTO T_NOKEY VALUES (1, 'x', 2);\n"
                            "INSERT INTO T_NOKEY VALUES (2, 'ab  ', 3);\n"
                            "INSERT INTO T_NOKEY VALUES (3, 'Zürich', 4.5);\n"
                            "INSERT INTO T_NOKEY VALUES (4, 'gone', 0);");
    TFbSide master(pair.Master(), "Master"), target(pair.Target(), "Target");
    const std::string script = pair.File("Result.SQL");
    TComparerRig rig(master, target, script);
    rig.SetTables("T_NOKEY", "T_NOKEY");
    ASSERT_TRUE(rig.Execute());
    EXPECT_TRUE(rig.Errors.empty()) << rig.Errors.front();
    EXPECT_TRUE(rig.HasLog("No key fields given for table T_NOKEY: every column is a key: A, S, N."));
    EXPECT_TRUE(rig.HasLog("Select-SQL for master table:\r\nselect A, S, N\r\nfrom T_NOKEY\r\n"
                           " Order by A NULLS FIRST, CAST(TRIM(TRAILING FROM S) AS VARCHAR(80) CHARACTER SET "
                           "OCTETS) NULLS FIRST, OCTET_LENGTH(TRIM(TRAILING FROM S)), N NULLS FIRST"));
    EXPECT_EQ(rig.Summary(), "Equal: 2, Inserted: 2, Updated: 1, Deleted: 1, All: 6.");

    const std::vector<std::string> lines = ScriptLines(script);
    const std::vector<std::string> expected = {
        "SET NAMES UTF8;",
        "SET SQL DIALECT 3;",
        "CONNECT '" + pair.Target() + "' USER 'SYSDBA' PASSWORD 'masterkey';",
        "UPDATE T_NOKEY SET ",
        "S='ab'",
        "WHERE A = 2 and S = 'ab  ' and N = 3.00;",
        "DELETE FROM T_NOKEY WHERE A = 4 and S = 'gone' and N = 0.00;",
        "INSERT INTO T_NOKEY (A, S, N)",
        "VALUES(Null, 'a', 1.00);",
        "INSERT INTO T_NOKEY (A, S, N)",
        "VALUES(1, 'x\t', 2.00);",
    };
    EXPECT_EQ(lines, expected);

    const TIsqlResult r = RunIsqlFile(script);
    EXPECT_TRUE(r.Ok()) << r.Output;
    const char* select = "SELECT A, S, N FROM T_NOKEY ORDER BY A NULLS FIRST, S, N";
    EXPECT_EQ(DumpTable(pair.Target(), select), DumpTable(pair.Master(), select));
    ASSERT_TRUE(rig.Execute());
    EXPECT_EQ(rig.Summary(), "Equal: 5, Inserted: 0, Updated: 0, Deleted: 0, All: 5.");
}

// ---- Names ----

TEST(Names, TypedLowerCaseNameIsNormalisedEverywhere) {
    TDbPair pair("CREATE TABLE CUSTOMER (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20));");
    pair.Run(pair.Master(), "INSERT INTO CUSTOMER VALUES (1, 'a'); INSERT INTO CUSTOMER VALUES (2, 'b');");
    pair.Run(pair.Target(), "INSERT INTO CUSTOMER VALUES (2, 'c'); INSERT INTO CUSTOMER VALUES (3, 'd');");
    TFbSide master(pair.Master()), target(pair.Target());
    TComparerRig rig(master, target, pair.File("Result.SQL"));
    rig.SetTables("customer", "customer");
    rig.SetKeys({"ID"});
    int masterTotal = 0, targetTotal = 0;
    rig.Cmp.OnProgressUpdateMaster = [&](TObject*, int, int max) { masterTotal = max; };
    rig.Cmp.OnProgressUpdateTarget = [&](TObject*, int, int max) { targetTotal = max; };
    std::vector<std::pair<std::string, std::string>> seen;
    rig.Cmp.OnAddResultSQL = [&](TObject*, bool&, const std::string& sql, TStatType kind,
                                 const std::string& obj, TDbObject, TDbOperation) {
        if (kind == TStatType::stInsert || kind == TStatType::stUpdate || kind == TStatType::stDelete)
            seen.emplace_back(sql, obj);
    };
    ASSERT_TRUE(rig.Execute());
    EXPECT_TRUE(rig.Errors.empty()) << rig.Errors.front();
    EXPECT_EQ(masterTotal, 2) << "the count statement names CUSTOMER";
    EXPECT_EQ(targetTotal, 2);
    ASSERT_EQ(seen.size(), 3u);
    for (const auto& [sql, obj] : seen) {
        EXPECT_NE(sql.find(" CUSTOMER "), std::string::npos) << sql;
        EXPECT_EQ(sql.find("customer"), std::string::npos) << sql;
        EXPECT_EQ(obj, "CUSTOMER");
    }
}

TEST(Names, ReservedTableAndMixedCaseColumnAreQuoted) {
    TDbPair pair("CREATE TABLE \"order\" (ID INTEGER, \"Mixed Case\" VARCHAR(20));");
    pair.Run(pair.Master(), "INSERT INTO \"order\" VALUES (1, 'a'); INSERT INTO \"order\" VALUES (2, 'b');");
    pair.Run(pair.Target(), "INSERT INTO \"order\" VALUES (2, 'c'); INSERT INTO \"order\" VALUES (3, 'd');");
    TFbSide master(pair.Master()), target(pair.Target(), "Target");
    TComparerRig rig(master, target, pair.File("Result.SQL"));
    rig.SetTables("order", "order");
    TSQLExec exec;
    exec.SetDatabaseType(TDatabaseType::dbInterBase);
    exec.SetSMXConnection(&target.Conn);
    std::vector<std::string> execErrors;
    exec.OnErrorMessage = [&](TObject*, const std::string& t) { execErrors.push_back(t); };
    exec.OnLogNextLine = [](TObject*, const std::string&) {};
    rig.Cmp.SetSQLExec(&exec);
    ASSERT_TRUE(rig.Execute());
    EXPECT_TRUE(rig.Errors.empty()) << rig.Errors.front();
    EXPECT_TRUE(
        rig.HasLog("Select-SQL for master table:\r\nselect ID, \"Mixed Case\"\r\nfrom \"order\"\r\n"
                   " Order by ID NULLS FIRST, CAST(TRIM(TRAILING FROM \"Mixed Case\") AS VARCHAR(80) "
                   "CHARACTER SET OCTETS) NULLS FIRST, OCTET_LENGTH(TRIM(TRAILING FROM \"Mixed Case\"))"));
    const std::string text = ReadFileBytes(pair.File("Result.SQL"));
    EXPECT_NE(text.find("INSERT INTO \"order\" (ID, \"Mixed Case\")"), std::string::npos);
    EXPECT_NE(text.find("DELETE FROM \"order\" WHERE ID = 3 and \"Mixed Case\" = 'd'"), std::string::npos);
    EXPECT_TRUE(exec.ExecuteScript());
    EXPECT_TRUE(execErrors.empty()) << execErrors.front();
    ASSERT_TRUE(rig.Execute());
    EXPECT_EQ(rig.Summary(), "Equal: 2, Inserted: 0, Updated: 0, Deleted: 0, All: 2.");
}

// ---- Line breaks inside text values ----

// A text value holding LF, CR LF or CR reaches the target byte for byte, whether the data script
// runs from the executor's list or is loaded back from the script file.
TEST(Texts, LineBreaksInTextValuesReachTheTargetUnchanged) {
    TDbPair pair("CREATE TABLE TX (ID INTEGER NOT NULL PRIMARY KEY, S VARCHAR(20));");
    const std::vector<std::string> values = {"a\nb", "c\r\nd", "e\rf", "g\n\nh\r\n"};
    for (std::size_t i = 0; i < values.size(); ++i)
        ExecWithParams(pair.Master(), "INSERT INTO TX (ID, S) VALUES (:ID, :S)", [&](TSMXQuery& q) {
            q.ParamByName("ID")->SetValue(I(static_cast<std::int64_t>(i + 1)));
            q.ParamByName("S")->SetValue(S(values[i]));
        });
    pair.Run(pair.Target(), "INSERT INTO TX VALUES (2, 'x'); INSERT INTO TX VALUES (9, 'z');");
    const std::string fresh = pair.CopyTarget("fresh.fdb");
    const std::string select = "SELECT ID, S FROM TX ORDER BY ID";
    const TDump master = DumpTable(pair.Master(), select);
    ASSERT_EQ(master.size(), values.size());
    EXPECT_EQ(master[3][1], values[3]);

    const std::string script = pair.File("Result.SQL");
    {
        TFbSide m(pair.Master(), "Master"), t(pair.Target(), "Target");
        TComparerRig rig(m, t, script);
        rig.SetTables("TX", "TX");
        rig.SetKeys({"ID"});
        TIBSQLExec exec;
        exec.SetName("IBSQLExec");
        exec.SetSMXConnection(&t.Conn);
        exec.GetIBServerOptions().SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_30);
        std::vector<std::string> errors;
        exec.OnErrorMessage = [&](TObject*, const std::string& e) { errors.push_back(e); };
        exec.OnLogNextLine = [](TObject*, const std::string&) {};
        rig.Cmp.SetSQLExec(&exec);
        ASSERT_TRUE(rig.Execute());
        EXPECT_EQ(rig.Summary(), "Equal: 0, Inserted: 3, Updated: 1, Deleted: 1, All: 5.");
        EXPECT_TRUE(exec.ExecuteScript()) << (errors.empty() ? "" : errors.front());
        EXPECT_EQ(DumpTable(pair.Target(), select), master);
    }

    TFbSide side(fresh, "Fresh");
    TIBSQLExec exec;
    exec.SetName("IBSQLExec");
    exec.SetSMXConnection(&side.Conn);
    exec.GetIBServerOptions().SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_30);
    std::vector<std::string> errors;
    exec.OnErrorMessage = [&](TObject*, const std::string& e) { errors.push_back(e); };
    exec.OnLogNextLine = [](TObject*, const std::string&) {};
    exec.LoadScriptFromFile(script);
    EXPECT_EQ(exec.GetLoadErrorCount(), 0);
    EXPECT_TRUE(exec.ExecuteScript()) << (errors.empty() ? "" : errors.front());
    EXPECT_EQ(DumpTable(fresh, select), master);
}

// ---- The large-object file ----

TEST(LargeObjects, FileRestartsPerRunAndEmptyValuesStayEmpty) {
    TDbPair pair("CREATE TABLE B (ID INTEGER NOT NULL PRIMARY KEY, X BLOB SUB_TYPE BINARY, N VARCHAR(5));");
    TFbSide master(pair.Master()), target(pair.Target(), "Target");
    const std::string script = pair.File("Result.SQL");
    const std::string lob = pair.File("Result.LOB");
    TComparerRig rig(master, target, script);
    rig.SetTables("B", "B");
    rig.SetKeys({"ID"});
    TSQLExec exec;
    exec.SetDatabaseType(TDatabaseType::dbInterBase);
    exec.SetSMXConnection(&target.Conn);
    exec.OnLogNextLine = [](TObject*, const std::string&) {};
    std::vector<std::string> execErrors;
    exec.OnErrorMessage = [&](TObject*, const std::string& t) { execErrors.push_back(t); };
    rig.Cmp.SetSQLExec(&exec);

    // No BLOB differs: the file exists, empty, and the script runs.
    pair.Run(pair.Master(), "INSERT INTO B VALUES (1, NULL, 'a');");
    pair.Run(pair.Target(), "INSERT INTO B VALUES (1, NULL, 'b');");
    ASSERT_TRUE(rig.Execute());
    EXPECT_TRUE(Exists(lob));
    EXPECT_EQ(ReadFileBytes(lob).size(), 0u);
    EXPECT_TRUE(exec.ExecuteScript());
    EXPECT_EQ(exec.GetErrorCount(), 0);
    EXPECT_TRUE(execErrors.empty()) << execErrors.front();

    pair.Run(pair.Master(),
             "DELETE FROM B; INSERT INTO B VALUES (1, '0123456789', 'a');"
             "INSERT INTO B VALUES (2, '01234567890123456789', 'a'); INSERT INTO B VALUES (3, '', 'a');");
    ASSERT_TRUE(rig.Execute());
    ASSERT_TRUE(rig.Execute()) << "a second run writes the file anew";
    const std::string text = ReadFileBytes(script);
    EXPECT_NE(text.find("X=:h00000000_0000000A"), std::string::npos) << text;
    EXPECT_NE(text.find("VALUES(2, :h0000000A_00000014, 'a')"), std::string::npos) << text;
    EXPECT_NE(text.find("VALUES(3, :h0000001E_00000000, 'a')"), std::string::npos) << text;
    EXPECT_EQ(ReadFileBytes(lob).size(), 30u);
    EXPECT_TRUE(exec.ExecuteScript());
    EXPECT_TRUE(execErrors.empty()) << execErrors.front();
    EXPECT_EQ(DumpTable(pair.Target(), "SELECT ID, OCTET_LENGTH(X), X IS NULL FROM B ORDER BY ID"),
              (TDump{{"1", "10", "False"}, {"2", "20", "False"}, {"3", "0", "False"}}));
}

// ---- The stop rule ----

class StopRule : public ::testing::Test {
protected:
    StopRule()
        : pair("CREATE TABLE C (K VARCHAR(10) CHARACTER SET UTF8 NOT NULL PRIMARY KEY COLLATE UNICODE_CI);") {
        pair.Run(pair.Master(), "INSERT INTO C VALUES ('a'); INSERT INTO C VALUES ('B');");
        pair.Run(pair.Target(), "INSERT INTO C VALUES ('B');");
    }
    TDbPair pair;
};

TEST_F(StopRule, KeysOutOfOrderLeaveNoResult) {
    TFbSide master(pair.Master()), target(pair.Target(), "Target");
    TComparerRig rig(master, target, pair.File("Result.SQL"));
    rig.SetTables("C", "C");
    TSQLExec exec;
    rig.Cmp.SetSQLExec(&exec);
    ASSERT_TRUE(rig.Execute());
    ASSERT_EQ(rig.Errors.size(), 1u);
    EXPECT_EQ(rig.Errors[0],
              "Rows of the master table C are not in key order or not unique over the key fields (row 2).");
    EXPECT_TRUE(rig.HasLog("Errors: 1"));
    EXPECT_EQ(rig.Summary(), "");
    EXPECT_FALSE(Exists(pair.File("Result.SQL")));
    EXPECT_FALSE(Exists(pair.File("Result.LOB")));
    EXPECT_EQ(exec.GetStatementCount(), 0);
}

TEST_F(StopRule, AtOnceTheTargetIsRolledBack) {
    TFbSide master(pair.Master()), target(pair.Target(), "Target");
    TComparerRig rig(master, target, pair.File("Result.SQL"));
    rig.SetTables("C", "C");
    rig.Cmp.SetUpdateImmediately(true);
    ASSERT_TRUE(rig.Execute());
    ASSERT_EQ(rig.Errors.size(), 1u);
    EXPECT_NE(rig.Errors[0].find("not in key order"), std::string::npos);
    EXPECT_EQ(DumpTable(pair.Target(), "SELECT K FROM C"), (TDump{{"B"}}))
        << "the DELETE of B is rolled back";
}

// ---- Connections ----

TEST(Connections, AMissingMasterLeavesTheTargetAsFound) {
    TDbPair pair("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY);");
    const std::string missing = pair.File("nope.fdb");
    TFbSide master(missing, "Master"), target(pair.Target(), "Target");
    TComparerRig rig(master, target, pair.File("Result.SQL"));
    rig.SetTables("T", "T");
    EXPECT_FALSE(rig.Execute());
    ASSERT_EQ(rig.Errors.size(), 1u);
    EXPECT_NE(rig.Errors[0].find(missing), std::string::npos) << rig.Errors[0];
    EXPECT_TRUE(master.ConnErrors.empty()) << "reported once, by the comparer";
    EXPECT_FALSE(target.Conn.GetConnected());
    EXPECT_FALSE(master.Conn.GetConnected());
    // The target connected; the master never did.
    EXPECT_EQ(std::count(rig.Log.begin(), rig.Log.end(), "Connecting: Successfull..."), 1);
    ASSERT_GE(rig.Log.size(), 1u);
    EXPECT_EQ(rig.Log.back().rfind("Disconnecting from target database", 0), 0u) << rig.Log.back();
    EXPECT_NE(std::find(rig.Log.begin(), rig.Log.end(), "Connecting to master-database...: "), rig.Log.end());
}

TEST(Connections, ConnectedSidesStayConnected) {
    TDbPair pair("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY);");
    pair.Run(pair.Master(), "INSERT INTO T VALUES (1);");
    TFbSide master(pair.Master()), target(pair.Target());
    master.Conn.SetConnected(true);
    target.Conn.SetConnected(true);
    TComparerRig rig(master, target, pair.File("Result.SQL"));
    rig.SetTables("T", "T");
    ASSERT_TRUE(rig.Execute());
    EXPECT_TRUE(master.Conn.GetConnected());
    EXPECT_TRUE(target.Conn.GetConnected());
    EXPECT_FALSE(rig.LogContains("Connecting"));
    EXPECT_FALSE(rig.LogContains("Disconnecting"));
    EXPECT_EQ(rig.Summary(), "Equal: 0, Inserted: 1, Updated: 0, Deleted: 0, All: 1.");
}

} // namespace
} // namespace smx::test
