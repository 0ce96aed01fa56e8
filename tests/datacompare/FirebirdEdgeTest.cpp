// Bad input and the edge cases of the comparer on real Firebird 3 databases: missing tables, keys
// that cannot serve, column sets that differ, unwritable or full output files, columns of different
// types on the two sides, float and NULL keys, and the switches that shape the column lists.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "model/smxSQL_Exec.h"
#include "tests/datacompare/DataCompareTestSupport.h"

namespace smx::test {
namespace {

/// Two databases from the DDL (the target's own when given), filled by isql, and a comparer with an
/// executor on the target; result files in the pair's folder.
struct Bench {
    Bench(const std::string& Ddl, const std::string& MasterRows, const std::string& TargetRows,
          const std::string& TargetDdl = {})
        : pair(Ddl, TargetDdl) {
        if (!MasterRows.empty()) pair.Run(pair.Master(), MasterRows);
        if (!TargetRows.empty()) pair.Run(pair.Target(), TargetRows);
        master = std::make_unique<TFbSide>(pair.Master(), "Master");
        target = std::make_unique<TFbSide>(pair.Target(), "Target");
        rig = std::make_unique<TComparerRig>(*master, *target, pair.File("Result.SQL"));
        rig->SetTables("T", "T");
        exec.SetDatabaseType(TDatabaseType::dbInterBase);
        exec.SetSMXConnection(&target->Conn);
        exec.OnLogNextLine = [](TObject*, const std::string&) {};
        exec.OnErrorMessage = [this](TObject*, const std::string& t) { execErrors.push_back(t); };
        rig->Cmp.SetSQLExec(&exec);
    }
    TTableDataComparer& Cmp() { return rig->Cmp; }
    bool NoResult() const {
        return !Exists(pair.File("Result.SQL")) && !Exists(pair.File("Result.LOB")) &&
               exec.GetStatementCount() == 0;
    }
    /// Runs the script on the target and compares again; true when the second run is all Equal.
    bool Converges() {
        if (!exec.ExecuteScript()) return false;
        if (!rig->Execute()) return false;
        const std::string s = rig->Summary();
        return s.find("Inserted: 0, Updated: 0, Deleted: 0") != std::string::npos;
    }

    TDbPair pair;
    std::unique_ptr<TFbSide> master, target;
    std::unique_ptr<TComparerRig> rig;
    TSQLExec exec;
    std::vector<std::string> execErrors;
};

// ---- Bad input ----

TEST(BadInput, MissingTablesAreReportedBeforeAnyFile) {
    for (bool masterMissing : {false, true}) {
        SCOPED_TRACE(masterMissing ? "master" : "target");
        Bench b("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY);", "INSERT INTO T VALUES (1);",
                "INSERT INTO T VALUES (5);");
        b.rig->SetTables(masterMissing ? "NOPE" : "T", masterMissing ? "T" : "nope");
        ASSERT_TRUE(b.rig->Execute());
        const std::string path = masterMissing ? b.pair.Master() : b.pair.Target();
        ASSERT_EQ(b.rig->Errors.size(), 2u);
        EXPECT_EQ(b.rig->Errors[0], "Table: NOPE not exists.\r\nDatabase: " + path);
        EXPECT_EQ(b.rig->Errors[1], "There are no data-fields for comparison. Table: NOPE Database: " + path);
        EXPECT_TRUE(b.rig->HasLog("Errors: 2"));
        EXPECT_TRUE(b.NoResult());
        EXPECT_FALSE(b.target->Conn.GetConnected());
        EXPECT_EQ(DumpTable(b.pair.Target(), "SELECT ID FROM T"), (TDump{{"5"}}));
    }
}

TEST(BadInput, KeysThatCannotServe) {
    const std::string ddl =
        "CREATE TABLE T (ID INTEGER, B BLOB SUB_TYPE BINARY, ARR INTEGER [3], NAME VARCHAR(10));";
    struct Case {
        const char* what;
        std::vector<std::string> keys, data, excluded;
        std::vector<std::string> errors; // with {db} for the database path
    };
    const Case cases[] = {
        {"not a column", {"NOPE"}, {}, {}, {"Key field NOPE is not a column of table T. Database: {db}"}},
        {"data not a column",
         {"ID"},
         {"ID", "NOPE"},
         {},
         {"Data field NOPE is not a column of table T. Database: {db}"}},
        {"a BLOB key",
         {"B"},
         {},
         {},
         {"Key field B of table T is a BLOB and cannot be a key. Database: {db}"}},
        {"an array key",
         {"ARR"},
         {},
         {},
         {"Key field ARR of table T is an array and cannot be a key. Database: {db}"}},
        {"an array as data",
         {"ID"},
         {"ID", "ARR"},
         {},
         {"Data field ARR of table T is an array and cannot be compared. Database: {db}"}},
        {"only a BLOB left",
         {},
         {},
         {"ID", "NAME"},
         {"There are no key-fields for comparison. Table: T Database: {db}"}},
        {"everything excluded",
         {},
         {},
         {"ID", "B", "NAME"},
         {"There are no data-fields for comparison. Table: T Database: {db}",
          "There are no key-fields for comparison. Table: T Database: {db}"}},
    };
    Bench b(ddl, "INSERT INTO T (ID, NAME) VALUES (1, 'a');", "");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto list = [](const std::vector<std::string>& names) {
            TStringList l;
            for (const auto& n : names)
                l.Add(n);
            return l;
        };
        b.Cmp().SetCustomKeyFields(list(c.keys));
        b.Cmp().SetCustomDataFields(list(c.data));
        b.Cmp().SetExcludeDataFields(list(c.excluded));
        ASSERT_TRUE(b.rig->Execute());
        std::vector<std::string> expected;
        for (const std::string& e : c.errors)
            expected.push_back(ReplaceAll(e, "db", b.pair.Target()));
        EXPECT_EQ(b.rig->Errors, expected);
        EXPECT_FALSE(b.rig->LogContains("Select-SQL")) << "no select was opened";
        EXPECT_TRUE(b.NoResult());
    }
}

TEST(BadInput, ArraysAreLeftOutAndRepeatedRowsStop) {
    Bench b("CREATE TABLE T (ID INTEGER, ARR INTEGER [3], NAME VARCHAR(10));",
            "INSERT INTO T (ID, NAME) VALUES (1, 'a'); INSERT INTO T (ID, NAME) VALUES (2, 'b');",
            "INSERT INTO T (ID, NAME) VALUES (1, 'a'); INSERT INTO T (ID, NAME) VALUES (1, 'a');");
    ASSERT_TRUE(b.rig->Execute());
    EXPECT_TRUE(b.rig->HasLog("Column ARR of table T (array) is not compared."));
    EXPECT_TRUE(b.rig->HasLog("No key fields given for table T: every column is a key: ID, NAME."));
    EXPECT_EQ(b.rig->Errors,
              (std::vector<std::string>{"Rows of the target table T are not in key order or not "
                                        "unique over the key fields (row 2)."}));
    EXPECT_TRUE(b.NoResult());
}

TEST(BadInput, ColumnSetsThatDiffer) {
    Bench b("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, A INTEGER, B INTEGER, D INTEGER);",
            "INSERT INTO T VALUES (1, 1, 1, 1);", "INSERT INTO T VALUES (1, 2, 2, 2);",
            "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, C INTEGER, A INTEGER, E INTEGER);");
    b.rig->SetKeys({"ID"});
    ASSERT_TRUE(b.rig->Execute());
    EXPECT_EQ(b.rig->Errors,
              (std::vector<std::string>{"Columns of master table T and target table T differ. Master "
                                        "only: B, D. Target only: C, E. Exclude them with "
                                        "ExcludeDataFields."}));
    EXPECT_TRUE(b.NoResult());
    EXPECT_EQ(DumpTable(b.pair.Target(), "SELECT ID, A FROM T"), (TDump{{"1", "2"}}));
    // Excluded, the common columns pair by name, whatever their positions.
    b.rig->SetExcluded({"B", "C", "D", "E"});
    ASSERT_TRUE(b.rig->Execute());
    EXPECT_TRUE(b.rig->Errors.empty()) << b.rig->Errors.front();
    EXPECT_NE(ReadFileBytes(b.pair.File("Result.SQL")).find("UPDATE T SET \r\nA=1\r\nWHERE ID = 1;"),
              std::string::npos);
}

TEST(BadInput, KeysOfDifferentKindsStopBeforeTheMerge) {
    Bench b("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, A INTEGER);", "INSERT INTO T VALUES (1, 1);",
            "INSERT INTO T VALUES ('1', 1);",
            "CREATE TABLE T (ID VARCHAR(10) NOT NULL PRIMARY KEY, A INTEGER);");
    b.rig->SetKeys({"ID"});
    ASSERT_TRUE(b.rig->Execute());
    EXPECT_EQ(b.rig->Errors,
              (std::vector<std::string>{"Column types of master table T and target table T differ: ID "
                                        "(master INTEGER, target VARCHAR(10)). Exclude them with "
                                        "ExcludeDataFields."}));
    EXPECT_EQ(b.rig->Summary(), "");
    EXPECT_TRUE(b.NoResult());
}

// Column V of T<i>: a type that stores or compares otherwise is an error before anything runs, in
// either mode; a target type holding every master value compares by value. Master, target, error.
TEST(BadInput, ColumnTypesThatDiffer) {
    const std::vector<std::vector<std::string>> cases = {
        {"INTEGER", "VARCHAR(10)", "master INTEGER, target VARCHAR(10)"},
        {"NUMERIC(18,4)", "INTEGER", "master NUMERIC(18,4), target INTEGER"},
        {"INTEGER", "SMALLINT", "master INTEGER, target SMALLINT"},
        {"VARCHAR(20)", "VARCHAR(10)", "master VARCHAR(20), target VARCHAR(10)"},
        {"VARCHAR(9)", "VARCHAR(9) CHARACTER SET WIN1252",
         "master VARCHAR(9) CHARACTER SET UTF8, target VARCHAR(9) CHARACTER SET WIN1252"},
        {"TIMESTAMP", "DATE", "master TIMESTAMP, target DATE"},
        {"SMALLINT", "INTEGER", ""},
        {"VARCHAR(10)", "VARCHAR(20)", ""}};
    std::string ddl[2], rows[2];
    for (std::size_t i = 0; i < cases.size(); ++i)
        for (int side : {0, 1}) {
            const std::string t = "T" + std::to_string(i);
            ddl[side] += "CREATE TABLE " + t + " (ID INTEGER PRIMARY KEY, V " + cases[i][side] + ");\n";
            for (int id : {side + 1, side + 2})
                rows[side] += "INSERT INTO " + t + " (ID) VALUES (" + std::to_string(id) + ");\n";
        }
    Bench b(ddl[0], rows[0], rows[1], ddl[1]);
    for (std::size_t i = 0; i < cases.size() * 2; ++i) {
        const std::string t = "T" + std::to_string(i / 2), types = cases[i / 2][2];
        SCOPED_TRACE(cases[i / 2][1] + (i % 2 ? " at once" : ""));
        b.rig->SetTables(t, t);
        b.Cmp().SetUpdateImmediately(i % 2 == 1);
        ASSERT_TRUE(b.rig->Execute());
        if (types.empty()) {
            EXPECT_TRUE(b.rig->Errors.empty()) << b.rig->Errors.front();
            EXPECT_TRUE(i % 2 == 1 || b.Converges()); // the script runs, a second comparison finds no change
        } else {
            EXPECT_EQ(b.rig->Errors, std::vector<std::string>{
                                         "Column types of master table " + t + " and target table " + t +
                                         " differ: V (" + types + "). Exclude them with ExcludeDataFields."});
            EXPECT_TRUE(b.NoResult());
        }
        EXPECT_EQ(DumpTable(b.pair.Target(), "SELECT ID FROM " + t + " ORDER BY ID"),
                  (types.empty() ? TDump{{"1"}, {"2"}} : TDump{{"2"}, {"3"}}));
    }
}

TEST(BadInput, UnwritableOutputFolder) {
    for (bool blobs : {false, true}) {
        SCOPED_TRACE(blobs ? "with BLOBs" : "without BLOBs");
        Bench b(blobs ? "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, X BLOB);"
                      : "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, X INTEGER);",
                "INSERT INTO T VALUES (1, NULL);", "");
        const std::string plain = b.pair.File("plain");
        std::ofstream(plain) << "a file, not a folder";
        b.Cmp().SetScriptFileName(plain + "/Result.SQL");
        ASSERT_TRUE(b.rig->Execute());
        ASSERT_GE(b.rig->Errors.size(), 1u);
        EXPECT_EQ(b.rig->Errors[0], "Cannot create file " + plain + "/Result.SQL: Not a directory");
        if (blobs) {
            ASSERT_EQ(b.rig->Errors.size(), 2u);
            EXPECT_EQ(b.rig->Errors[1], "Cannot create file " + plain + "/Result.LOB: Not a directory");
            EXPECT_EQ(b.exec.GetStatementCount(), 0);
            EXPECT_EQ(b.rig->Summary(), "");
        } else {
            EXPECT_EQ(b.rig->Errors.size(), 1u);
            EXPECT_EQ(b.rig->Summary(), "Equal: 0, Inserted: 1, Updated: 0, Deleted: 0, All: 1.");
            EXPECT_EQ(b.exec.GetStatementCount(), 4) << "the statements still reach the executor";
        }
    }
}

TEST(BadInput, LargeObjectsThatCannotBeStoredStopTheRun) {
    ASSERT_TRUE(std::filesystem::exists("/dev/full"));
    const char* ddl = "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, X BLOB);";
    {
        SCOPED_TRACE("full disk");
        Bench b(ddl, "INSERT INTO T VALUES (1, 'some bytes');", "");
        b.Cmp().SetBlobFileName("/dev/full");
        ASSERT_TRUE(b.rig->Execute());
        EXPECT_EQ(b.rig->Errors,
                  (std::vector<std::string>{"Cannot write file /dev/full: No space left on device"}));
        EXPECT_TRUE(b.NoResult());
        EXPECT_TRUE(std::filesystem::exists("/dev/full")) << "only regular files are removed";
    }
    {
        SCOPED_TRACE("script on a full disk");
        Bench b(ddl, "INSERT INTO T VALUES (1, 'some bytes');", "");
        b.Cmp().SetScriptFileName("/dev/full");
        b.Cmp().SetBlobFileName(b.pair.File("Result.LOB"));
        ASSERT_TRUE(b.rig->Execute());
        ASSERT_EQ(b.rig->Errors.size(), 1u);
        EXPECT_EQ(b.rig->Errors[0], "Cannot write file /dev/full: No space left on device");
        EXPECT_TRUE(b.NoResult());
    }
    {
        SCOPED_TRACE("no large-object file name");
        Bench b(ddl, "INSERT INTO T VALUES (1, 'some bytes');", "");
        b.Cmp().SetBlobFileName("");
        ASSERT_TRUE(b.rig->Execute());
        EXPECT_EQ(b.rig->Errors,
                  (std::vector<std::string>{"BlobFileName is not specified. Cann't save BLOBs."}));
        EXPECT_TRUE(b.NoResult());
    }
}

// ---- Types and keys ----

TEST(Kinds, ColumnsOfDifferentTypesPairByValue) {
    Bench b("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, C CHAR(5), N NUMERIC(9,2), V VARCHAR(10));",
            "INSERT INTO T VALUES (1, 'ab', 1.50, 'x'); INSERT INTO T VALUES (2, 'cd', 2.00, 'y');"
            "INSERT INTO T VALUES (2147483647, 'ef', 3, 'z');",
            "INSERT INTO T VALUES (1, 'ab', 1.5, 'x'); INSERT INTO T VALUES (2, 'cd', 2.000001, 'y');"
            "INSERT INTO T VALUES (2147483648, 'ef', 3, 'z');",
            "CREATE TABLE T (ID BIGINT NOT NULL PRIMARY KEY, C VARCHAR(5), N NUMERIC(18,6), V VARCHAR(10));");
    b.rig->SetKeys({"ID"});
    ASSERT_TRUE(b.rig->Execute());
    EXPECT_TRUE(b.rig->Errors.empty()) << b.rig->Errors.front();
    EXPECT_EQ(b.rig->Summary(), "Equal: 1, Inserted: 1, Updated: 1, Deleted: 1, All: 4.");
    EXPECT_NE(ReadFileBytes(b.pair.File("Result.SQL")).find("UPDATE T SET \r\nN=2.00\r\nWHERE ID = 2;"),
              std::string::npos);
    EXPECT_TRUE(b.Converges()) << b.rig->Summary();
}

TEST(Kinds, FloatKeysMatchInTheWhereClause) {
    Bench b("CREATE TABLE T (D DOUBLE PRECISION, F FLOAT, S VARCHAR(5));",
            "INSERT INTO T VALUES (0.1e0 + 0.2e0, 0.1, 'a'); INSERT INTO T VALUES (1e0 / 3e0, 2.5, 'b');",
            "INSERT INTO T VALUES (0.1e0 + 0.2e0, 0.1, 'x'); INSERT INTO T VALUES (1e0 / 3e0, 2.5, 'b');");
    b.rig->SetKeys({"D", "F"});
    ASSERT_TRUE(b.rig->Execute());
    EXPECT_TRUE(b.rig->Errors.empty()) << b.rig->Errors.front();
    EXPECT_EQ(b.rig->Summary(), "Equal: 1, Inserted: 0, Updated: 1, Deleted: 0, All: 2.");
    EXPECT_TRUE(b.Converges()) << b.rig->Summary();
    EXPECT_EQ(DumpTable(b.pair.Target(), "SELECT S FROM T ORDER BY S"), (TDump{{"a"}, {"b"}}));
}

TEST(Kinds, FloatLiteralsReadBackExactlyOnFirebird) {
    TTempDir dir("smxdcfl");
    const std::string path = dir.File("l.fdb");
    CreateUtf8Database(dir, path,
                       "CREATE TABLE L (I INTEGER, P DOUBLE PRECISION, L DOUBLE PRECISION, "
                       "FP FLOAT, FL FLOAT);");
    TFbSide side(path);
    TTableDataComparer cmp;
    cmp.SetSMXConnectionTarget(&side.Conn);
    std::vector<double> values = {0.1 + 0.2,
                                  -1.0 / 3.0,
                                  2.0 / 3.0,
                                  0.1,
                                  1e-7 / 3,
                                  1.0e25,
                                  1.0e-30,
                                  5e-324,
                                  1.7976931348623157e308,
                                  123456.789e10 / 7};
    std::uint64_t seed = 0x9E3779B97F4A7C15ULL;
    auto next = [&] {
        seed ^= seed << 13;
        seed ^= seed >> 7;
        seed ^= seed << 17;
        return seed;
    };
    for (int i = 0; i < 600; ++i) {
        const double unit = static_cast<double>(next() >> 11) / 9007199254740992.0;
        const int exponent = static_cast<int>(next() % 80) - 40;
        values.push_back((i % 2 ? -1 : 1) * std::ldexp(unit, i % 3 == 0 ? exponent * 8 : exponent));
    }
    side.Conn.SetConnected(true);
    ASSERT_TRUE(side.Conn.GetConnected());
    std::unique_ptr<TSMXQuery> q(side.Conn.CreateQuery(nullptr));
    for (std::size_t i = 0; i < values.size(); ++i) {
        const double v = values[i];
        const auto f = static_cast<double>(static_cast<float>(v));
        const bool floatFits = std::isfinite(f) && f != 0.0;
        q->GetSQL()->SetText("INSERT INTO L VALUES (" + IntToStr(static_cast<std::int64_t>(i)) + ", :P, " +
                             cmp.FloatLiteral(v) + ", :FP, " + (floatFits ? cmp.FloatLiteral(f) : "NULL") +
                             ")");
        q->ParamByName("P")->SetAsFloat(v);
        if (floatFits)
            q->ParamByName("FP")->SetAsFloat(f);
        else
            q->ParamByName("FP")->Clear();
        q->ExecSQL();
    }
    side.Conn.Commit();
    q->GetSQL()->SetText("SELECT I, L, P FROM L WHERE L IS DISTINCT FROM P OR FL IS DISTINCT FROM FP");
    q->Open();
    for (; !q->GetEof(); q->Next())
        ADD_FAILURE() << "value " << values[static_cast<std::size_t>(q->FieldByName("I")->AsInteger())]
                      << " came back as " << q->FieldByName("L")->AsFloat() << ": "
                      << cmp.FloatLiteral(values[static_cast<std::size_t>(q->FieldByName("I")->AsInteger())]);
    q->Close();
    side.Conn.SetConnected(false);
}

TEST(Kinds, NullKeysComeFirstAndTheMasterNullRowIsInsertedFirst) {
    Bench b("CREATE TABLE T (K INTEGER, V VARCHAR(5));",
            "INSERT INTO T VALUES (NULL, 'n'); INSERT INTO T VALUES (1, 'a');",
            "INSERT INTO T VALUES (1, 'a');");
    b.rig->SetKeys({"K"});
    std::vector<std::string> statements;
    b.Cmp().OnAddResultSQL = [&](TObject*, bool&, const std::string& sql, TStatType, const std::string&,
                                 TDbObject, TDbOperation) { statements.push_back(sql); };
    ASSERT_TRUE(b.rig->Execute());
    EXPECT_EQ(b.rig->Summary(), "Equal: 1, Inserted: 1, Updated: 0, Deleted: 0, All: 2.");
    ASSERT_FALSE(statements.empty());
    EXPECT_EQ(statements.back(), "INSERT INTO T (K, V)\r\nVALUES(Null, 'n')");
    EXPECT_TRUE(b.Converges());
}

TEST(Kinds, SwitchesOfTheComparison) {
    const char* ddl =
        "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, S VARCHAR(10), F DOUBLE PRECISION, X BLOB);";
    auto keyed = [](Bench& b) { b.rig->SetKeys({"ID"}); };
    {
        SCOPED_TRACE("TrimCharFields");
        Bench b(ddl, "INSERT INTO T VALUES (1, 'ab  ', 1, NULL);",
                "INSERT INTO T VALUES (1, 'ab', 1, NULL);");
        keyed(b);
        b.Cmp().SetTrimCharFields(true);
        ASSERT_TRUE(b.rig->Execute());
        EXPECT_EQ(b.rig->Summary(), "Equal: 1, Inserted: 0, Updated: 0, Deleted: 0, All: 1.");
    }
    {
        SCOPED_TRACE("a float 0.1 apart");
        Bench b(ddl, "INSERT INTO T VALUES (1, 'a', 1.1, NULL);",
                "INSERT INTO T VALUES (1, 'a', 1.2, NULL);");
        keyed(b);
        ASSERT_TRUE(b.rig->Execute());
        EXPECT_EQ(b.rig->Summary(), "Equal: 0, Inserted: 0, Updated: 1, Deleted: 0, All: 1.");
    }
    {
        SCOPED_TRACE("CompareBlobs off");
        Bench b(ddl, "INSERT INTO T VALUES (1, 'a', 1, 'one');", "INSERT INTO T VALUES (1, 'a', 1, 'two');");
        keyed(b);
        b.Cmp().SetCompareBlobs(false);
        ASSERT_TRUE(b.rig->Execute());
        EXPECT_EQ(b.rig->Summary(), "Equal: 1, Inserted: 0, Updated: 0, Deleted: 0, All: 1.");
        b.Cmp().SetCompareBlobs(true);
        ASSERT_TRUE(b.rig->Execute());
        EXPECT_EQ(b.rig->Summary(), "Equal: 0, Inserted: 0, Updated: 1, Deleted: 0, All: 1.");
    }
    {
        SCOPED_TRACE("IncludeBlobs off");
        Bench b(ddl, "INSERT INTO T VALUES (1, 'a', 1, 'one');", "INSERT INTO T VALUES (1, 'b', 1, 'two');");
        keyed(b);
        b.Cmp().SetIncludeBlobs(false);
        ASSERT_TRUE(b.rig->Execute());
        EXPECT_TRUE(b.rig->HasLog("T: ID S F"));
        EXPECT_TRUE(b.rig->HasLog("Select-SQL for master table:\r\nselect ID, S, F\r\nfrom T\r\n"
                                  " Order by ID NULLS FIRST"));
        EXPECT_EQ(ReadFileBytes(b.pair.File("Result.SQL")).find("SET BLOBFILE"), std::string::npos);
        EXPECT_FALSE(Exists(b.pair.File("Result.LOB")));
    }
}

TEST(Kinds, ComputedColumnsFollowIgnoreComputedFields) {
    Bench b("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, A INTEGER, C COMPUTED BY (A * 2));",
            "INSERT INTO T (ID, A) VALUES (1, 1);", "INSERT INTO T (ID, A) VALUES (1, 2);");
    b.rig->SetKeys({"ID"});
    ASSERT_TRUE(b.rig->Execute());
    EXPECT_TRUE(b.rig->HasLog("T: ID A"));
    EXPECT_TRUE(b.Converges());
    b.Cmp().SetIgnoreComputedFields(false);
    ASSERT_TRUE(b.rig->Execute());
    EXPECT_TRUE(b.rig->HasLog("T: ID A C"));
}

TEST(Kinds, AFailingStatementAtOnceIsReportedAndTheRunGoesOn) {
    Bench b("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, V VARCHAR(5));",
            "INSERT INTO T VALUES (1, 'bad'); INSERT INTO T VALUES (2, 'ok');", "",
            "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, V VARCHAR(5) CHECK (V <> 'bad'));");
    b.Cmp().SetUpdateImmediately(true);
    ASSERT_TRUE(b.rig->Execute());
    ASSERT_EQ(b.rig->Errors.size(), 1u);
    EXPECT_NE(b.rig->Errors[0].find("CHECK"), std::string::npos) << b.rig->Errors[0];
    EXPECT_EQ(b.rig->Summary(), "Equal: 0, Inserted: 2, Updated: 0, Deleted: 0, All: 2.");
    EXPECT_EQ(DumpTable(b.pair.Target(), "SELECT ID, V FROM T"), (TDump{{"2", "ok"}}));
}

} // namespace
} // namespace smx::test
