// Tests of the Firebird client layer on real databases that each test group creates in a fresh
// temporary folder (embedded engine, no server): attach and its failures, transactions, queries
// with every column type, large objects, database facts, the service manager and the lifetime
// rules between database, transactions and queries.
#include "platform/smxIBClient.h"
#include "platform/smxStrUtils.h"
#include "tests/support/smxTestDb.h"

#include "foundation/smxTypes.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

using namespace smx;
using smx::test::CreateDatabaseSql;
using smx::test::TTempDir;
using smx::test::TTestDatabase;

namespace {

// A stand-in for the engine's parameter parser: every ":NAME" outside quotes becomes "?" and a
// parameter of that name is appended in order.
std::string RewriteColonParams(const std::string& sql, TParams& params) {
    std::string out;
    char quote = 0;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        if (quote) {
            if (c == quote) quote = 0;
            out += c;
        } else if (c == '\'' || c == '"') {
            quote = c;
            out += c;
        } else if (c == ':' && i + 1 < sql.size() &&
                   (std::isalnum(static_cast<unsigned char>(sql[i + 1])) || sql[i + 1] == '_')) {
            std::size_t j = i + 1;
            while (j < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[j])) || sql[j] == '_'))
                ++j;
            params.Add(sql.substr(i + 1, j - i - 1));
            out += '?';
            i = j - 1;
        } else {
            out += c;
        }
    }
    return out;
}

// One attachment with its transaction, the way the adapter wires them.
struct Conn {
    TIBDatabase db;
    TIBTransaction tr;
    explicit Conn(const std::string& path, const std::string& charset = "WIN1252") {
        db.SetDatabaseName(path);
        db.SetParamValue("user_name", "SYSDBA");
        db.SetParamValue("lc_ctype", charset);
        tr.SetDefaultDatabase(&db);
        db.SetDefaultTransaction(&tr);
        db.Open();
    }
    std::unique_ptr<TIBQuery> Query(const std::string& sql = {}) {
        auto q = std::make_unique<TIBQuery>();
        q->SetDatabase(&db);
        q->SetTransaction(&tr);
        q->ParamRewriter = RewriteColonParams;
        if (!sql.empty()) q->SetSQLText(sql);
        return q;
    }
    // The first column of the first row as text.
    std::string Scalar(const std::string& sql) {
        auto q = Query(sql);
        q->Open();
        return q->GetEof() ? std::string("<no row>") : (*q->Fields())[0].AsString();
    }
};

std::string ErrorText(const std::function<void()>& f) {
    try {
        f();
    } catch (const EDatabaseError& e) {
        return e.Message();
    }
    return "<no error>";
}

const char* const kTypesDdl = R"(
CREATE TABLE T (
  ID INTEGER NOT NULL PRIMARY KEY,
  C CHAR(5), V VARCHAR(20), SI SMALLINT, I INTEGER, BI BIGINT,
  N NUMERIC(18,4), D2 DECIMAL(9,2), N1 NUMERIC(4,1), F FLOAT, DP DOUBLE PRECISION,
  DT DATE, TM TIME, TS TIMESTAMP, B BOOLEAN,
  MEMO BLOB SUB_TYPE TEXT, BIN BLOB SUB_TYPE BINARY);
SET TERM ^ ;
CREATE PROCEDURE P_ADD (A INTEGER, B INTEGER) RETURNS (S INTEGER) AS BEGIN S = A + B; END^
SET TERM ; ^
COMMIT;
)";

class IBClientTypes : public ::testing::Test {
protected:
    static void SetUpTestSuite() { db_ = std::make_unique<TTestDatabase>(CreateDatabaseSql(kTypesDdl)); }
    static void TearDownTestSuite() { db_.reset(); }
    static std::unique_ptr<TTestDatabase> db_;
};
std::unique_ptr<TTestDatabase> IBClientTypes::db_;

} // namespace

// ---------------------------------------------------------------------------------------------
// Column types

TEST_F(IBClientTypes, EveryColumnTypeRoundTripsThroughParameters) {
    Conn c(db_->Path());
    auto ins = c.Query("INSERT INTO T (ID, C, V, SI, I, BI, N, D2, N1, F, DP, DT, TM, TS, B) VALUES "
                       "(:ID, :C, :V, :SI, :I, :BI, :N, :D2, :N1, :F, :DP, :DT, :TM, :TS, :B)");
    ASSERT_EQ(ins->Params()->Count(), 15);
    const TDateTime ts =
        DaysTicksToDateTime(DateToDays(EncodeDate(2024, 6, 30)),
                            (std::int64_t{12 * 3600 + 34 * 60 + 56}) * TicksPerSecond + 7891);
    ins->ParamByName("ID").SetAsInteger(1);
    ins->ParamByName("C").SetAsString("ab");
    ins->ParamByName("V").SetAsString("caf\xE9 'x'"); // WIN1252 bytes, no conversion
    ins->ParamByName("SI").SetAsInteger(-32768);
    ins->ParamByName("I").SetAsInteger(2147483647);
    ins->ParamByName("BI").SetAsInteger(-9223372036854775807LL - 1);
    ins->ParamByName("N").SetAsString("99999999999999.9999");
    ins->ParamByName("D2").SetAsFloat(-1234567.89);
    ins->ParamByName("N1").SetAsInteger(-999);
    ins->ParamByName("F").SetAsFloat(1.5);
    ins->ParamByName("DP").SetAsFloat(0.1 + 0.2);
    ins->ParamByName("DT").SetAsDate(EncodeDate(1, 1, 1));
    ins->ParamByName("TM").SetAsTime(DaysTicksToDateTime(0, TicksPerDay - 1));
    ins->ParamByName("TS").SetAsDateTime(ts);
    ins->ParamByName("B").SetAsBoolean(true);
    ins->ExecSQL();
    c.tr.Commit();

    auto q = c.Query("SELECT C, V, SI, I, BI, N, D2, N1, F, DP, DT, TM, TS, B FROM T WHERE ID = 1");
    q->Open();
    ASSERT_FALSE(q->GetEof());
    struct Row {
        const char* name;
        TFieldType type;
        const char* text;
    };
    const Row rows[] = {
        {"C", TFieldType::ftFixedChar, "ab   "},
        {"V", TFieldType::ftString, "caf\xE9 'x'"},
        {"SI", TFieldType::ftSmallint, "-32768"},
        {"I", TFieldType::ftInteger, "2147483647"},
        {"BI", TFieldType::ftLargeint, "-9223372036854775808"},
        {"N", TFieldType::ftBCD, "99999999999999.9999"},
        {"D2", TFieldType::ftBCD, "-1234567.89"},
        {"N1", TFieldType::ftBCD, "-999.0"},
        {"F", TFieldType::ftFloat, "1.5"},
        {"DP", TFieldType::ftFloat, "0.30000000000000004"},
        {"DT", TFieldType::ftDate, "0001-01-01"},
        {"TM", TFieldType::ftTime, "23:59:59.9999"},
        {"TS", TFieldType::ftDateTime, "2024-06-30 12:34:56.7891"},
        {"B", TFieldType::ftBoolean, "True"},
    };
    for (const auto& r : rows) {
        const TField& f = q->FieldByName(r.name);
        EXPECT_EQ(f.DataType(), r.type) << r.name;
        EXPECT_EQ(f.AsString(), r.text) << r.name;
    }
    EXPECT_EQ(q->FieldByName("C").Size(), 5);
    EXPECT_EQ(q->FieldByName("N").Scale(), 4);
    EXPECT_EQ(q->FieldByName("BI").AsInteger(), -9223372036854775807LL - 1);
    EXPECT_DOUBLE_EQ(q->FieldByName("D2").AsFloat(), -1234567.89);
    EXPECT_EQ(TimeToTicks(q->FieldByName("TS").AsDateTime()), TimeToTicks(ts));
    EXPECT_TRUE(q->FieldByName("B").AsBoolean());
    q->Next();
    EXPECT_TRUE(q->GetEof());
}

TEST_F(IBClientTypes, ExactNumericsAtTheirLimits) {
    Conn c(db_->Path());
    auto ins = c.Query("INSERT INTO T (ID, N) VALUES (:ID, :N)");
    const char* values[] = {"-922337203685477.5808", "922337203685477.5807", "0.0001", "-0.0001", "12.5"};
    int id = 100;
    for (const char* v : values) {
        ins->ParamByName("ID").SetAsInteger(id++);
        ins->ParamByName("N").SetAsString(v);
        ins->ExecSQL();
    }
    // A value with more decimals than the column holds is refused, not rounded silently here.
    ins->ParamByName("ID").SetAsInteger(id);
    ins->ParamByName("N").SetAsInteger(3);
    ins->ExecSQL();
    auto q = c.Query("SELECT N FROM T WHERE ID >= 100 ORDER BY ID");
    q->Open();
    const char* expected[] = {
        "-922337203685477.5808", "922337203685477.5807", "0.0001", "-0.0001", "12.5000", "3.0000"};
    for (const char* e : expected) {
        ASSERT_FALSE(q->GetEof());
        EXPECT_EQ(q->FieldByName("N").AsString(), e);
        q->Next();
    }
    EXPECT_TRUE(q->GetEof());
    c.tr.Rollback();
}

TEST_F(IBClientTypes, NullsReadAndWrite) {
    Conn c(db_->Path());
    auto ins = c.Query("INSERT INTO T (ID, C, V, SI, I, BI, N, F, DP, DT, TM, TS, B, MEMO, BIN) VALUES "
                       "(:ID, :C, :V, :SI, :I, :BI, :N, :F, :DP, :DT, :TM, :TS, :B, :MEMO, :BIN)");
    ins->ParamByName("ID").SetAsInteger(2);
    ins->ExecSQL(); // every other parameter is null
    auto q = c.Query("SELECT * FROM T WHERE ID = 2");
    q->Open();
    ASSERT_FALSE(q->GetEof());
    for (int i = 1; i < q->Fields()->Count(); ++i) {
        const TField& f = (*q->Fields())[i];
        EXPECT_TRUE(f.IsNull()) << f.FieldName();
        EXPECT_EQ(f.AsString(), "") << f.FieldName();
    }
    auto isNull = c.Query("SELECT COUNT(*) FROM T WHERE ID = :ID AND V IS NULL");
    isNull->ParamByName("ID").SetAsInteger(2);
    isNull->Open();
    EXPECT_EQ((*isNull->Fields())[0].AsInteger(), 1);
    c.tr.Rollback();
}

TEST_F(IBClientTypes, LargeObjectsBeyondOneSegment) {
    std::string text;
    for (int i = 0; text.size() < 200000; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    std::string bin(70000, '\0');
    for (std::size_t i = 0; i < bin.size(); ++i)
        bin[i] = static_cast<char>(i * 7 % 256);

    Conn c(db_->Path());
    auto ins = c.Query("INSERT INTO T (ID, MEMO, BIN) VALUES (:ID, :M, :B)");
    ins->ParamByName("ID").SetAsInteger(3);
    ins->ParamByName("M").SetAsMemo(text);
    ins->ParamByName("B").SetAsBlob(bin);
    ins->ExecSQL();
    ins->ParamByName("ID").SetAsInteger(4);
    ins->ParamByName("M").SetAsMemo("");
    ins->ParamByName("B").Clear();
    ins->ExecSQL();
    c.tr.Commit();

    auto q = c.Query("SELECT MEMO, BIN FROM T WHERE ID IN (3, 4) ORDER BY ID");
    q->Open();
    EXPECT_EQ(q->FieldByName("MEMO").DataType(), TFieldType::ftMemo);
    EXPECT_EQ(q->FieldByName("BIN").DataType(), TFieldType::ftBlob);
    EXPECT_TRUE(q->FieldByName("BIN").IsBlob());
    EXPECT_EQ(q->FieldByName("MEMO").AsString(), text);
    EXPECT_EQ(q->FieldByName("BIN").AsBytes(), bin);
    q->Next();
    EXPECT_FALSE(q->FieldByName("MEMO").IsNull());
    EXPECT_EQ(q->FieldByName("MEMO").AsString(), "");
    EXPECT_TRUE(q->FieldByName("BIN").IsNull());
}

TEST_F(IBClientTypes, ExecuteProcedureReturnsItsOutputs) {
    Conn c(db_->Path());
    auto q = c.Query("EXECUTE PROCEDURE P_ADD(:A, :B)");
    q->ParamByName("A").SetAsInteger(40);
    q->ParamByName("B").SetAsString("2");
    q->Open();
    ASSERT_FALSE(q->GetEof());
    EXPECT_EQ(q->FieldByName("S").AsInteger(), 42);
    q->Next();
    EXPECT_TRUE(q->GetEof());
}

TEST_F(IBClientTypes, CursorMovesForwardFirstAndLast) {
    Conn c(db_->Path());
    auto q = c.Query("SELECT RDB$RELATION_ID FROM RDB$RELATIONS WHERE RDB$RELATION_ID < 3 ORDER BY 1");
    q->Open();
    EXPECT_EQ(q->FieldByName("RDB$RELATION_ID").AsInteger(), 0);
    q->Next();
    EXPECT_EQ(q->FieldByName("RDB$RELATION_ID").AsInteger(), 1);
    q->First();
    EXPECT_EQ(q->FieldByName("RDB$RELATION_ID").AsInteger(), 0);
    q->Last();
    EXPECT_TRUE(q->GetEof());
    EXPECT_EQ(q->FieldByName("RDB$RELATION_ID").AsInteger(), 2);
    q->Close();
    EXPECT_FALSE(q->GetActive());
    EXPECT_TRUE(q->GetPrepared()); // Close keeps the preparation
    auto empty = c.Query("SELECT 1 FROM RDB$DATABASE WHERE 1 = 0");
    empty->Open();
    EXPECT_TRUE(empty->GetEof());
}

// ---------------------------------------------------------------------------------------------
// Parameters

TEST_F(IBClientTypes, ParamCheckOnRebindsAndCarriesValues) {
    Conn c(db_->Path());
    auto q = c.Query("select rdb$relation_name from rdb$relations where rdb$relation_name = :N");
    q->ParamByName("N").SetAsString("RDB$DATABASE");
    q->Open();
    ASSERT_FALSE(q->GetEof());
    EXPECT_EQ(Trim((*q->Fields())[0].AsString()), "RDB$DATABASE");
    q->Next();
    EXPECT_TRUE(q->GetEof());
    q->Close();
    q->ParamByName("N").SetAsString("RDB$PAGES");
    q->Open();
    EXPECT_EQ(Trim((*q->Fields())[0].AsString()), "RDB$PAGES");

    // New text with the same parameter name keeps its value; a new name starts null.
    q->SetSQLText("select count(*) from rdb$relations where rdb$relation_name = :N or :M is not null");
    ASSERT_EQ(q->Params()->Count(), 2);
    EXPECT_EQ(q->ParamByName("N").AsString(), "RDB$PAGES");
    EXPECT_TRUE(q->ParamByName("M").IsNull());
    q->Open();
    EXPECT_EQ((*q->Fields())[0].AsInteger(), 1);

    // Editing the SQL list directly is noticed as well.
    q->SQL()->Clear();
    q->SQL()->Add("select 1 from rdb$database where :X = 1");
    EXPECT_EQ(q->Params()->Count(), 1);
    EXPECT_FALSE(q->GetActive()); // the change closed the query
    EXPECT_EQ(ErrorText([&] { q->ParamByName("N"); }), "Parameter 'N' not found");
}

TEST(IBClient, ParamCheckOffSendsTheTextVerbatim) {
    TTestDatabase tdb(CreateDatabaseSql());
    {
        Conn c(tdb.Path());
        auto q = c.Query();
        q->SetParamCheck(false);
        q->SetSQLText("CREATE PROCEDURE P_X (X INTEGER) RETURNS (Y INTEGER) AS\r\n"
                      "BEGIN\r\n  Y = :X * 2;\r\n  SUSPEND;\r\nEND");
        EXPECT_EQ(q->Params()->Count(), 0);
        q->ExecSQL();
        c.tr.Commit();
    }
    Conn other(tdb.Path());
    EXPECT_EQ(other.Scalar("SELECT Y FROM P_X(21)"), "42");
    // The body is stored byte for byte, with its CR LF line breaks.
    EXPECT_NE(other.Scalar("SELECT RDB$PROCEDURE_SOURCE FROM RDB$PROCEDURES WHERE RDB$PROCEDURE_NAME = 'P_X'")
                  .find("BEGIN\r\n  Y = :X * 2;\r\n"),
              std::string::npos);
}

TEST(IBClient, LiteralRoundTripKeepsEveryByte) {
    TTestDatabase tdb(
        CreateDatabaseSql("CREATE TABLE T (S VARCHAR(100));", "PAGE_SIZE 16384 DEFAULT CHARACTER SET UTF8"),
        "t.fdb");
    const std::string input = "O'Brien\r\nline2";
    {
        Conn c(tdb.Path(), "UTF8");
        auto q =
            c.Query("INSERT INTO T VALUES (" + GetSQLStringLiteral(input, TDatabaseType::dbInterBase) + ")");
        q->ExecSQL();
        c.tr.Commit();
    }
    Conn c(tdb.Path(), "UTF8");
    auto q = c.Query("SELECT CHAR_LENGTH(S), POSITION(ASCII_CHAR(13) IN S), S FROM T");
    q->Open();
    EXPECT_EQ((*q->Fields())[0].AsInteger(), 14);
    EXPECT_EQ((*q->Fields())[1].AsInteger(), 8);
    EXPECT_EQ((*q->Fields())[2].AsString(), input);
}

TEST(IBClient, OctetsColumnsAreByteStrings) {
    TTestDatabase tdb(CreateDatabaseSql("CREATE TABLE O (C CHAR(4) CHARACTER SET OCTETS, "
                                        "V VARCHAR(8) CHARACTER SET OCTETS, S VARCHAR(8));",
                                        "PAGE_SIZE 4096 DEFAULT CHARACTER SET UTF8"),
                      "o.fdb");
    Conn c(tdb.Path(), "UTF8");
    c.Query("INSERT INTO O VALUES (X'00FF', X'00FF0A0D', 'ab')")->ExecSQL();
    auto q = c.Query("SELECT C, V, S FROM O");
    q->Open();
    const TField& fc = q->FieldByName("C");
    const TField& fv = q->FieldByName("V");
    EXPECT_EQ(fc.DataType(), TFieldType::ftBytes);
    EXPECT_EQ(fv.DataType(), TFieldType::ftVarBytes);
    EXPECT_EQ(q->FieldByName("S").DataType(), TFieldType::ftString);
    // CHAR OCTETS is padded with zero bytes, not blanks.
    EXPECT_EQ(fc.AsBytes(), std::string("\x00\xFF\x00\x00", 4));
    EXPECT_EQ(fv.AsBytes(), std::string("\x00\xFF\n\r", 4));
    EXPECT_EQ(fv.AsVariant().Kind(), TVarKind::vkBytes);
}

// ---------------------------------------------------------------------------------------------
// Attach, create and failures

TEST(IBClient, FailingConnectCarriesTheLibraryText) {
    TTempDir dir;
    TIBDatabase db;
    db.SetDatabaseName(dir.File("missing.fdb"));
    const int before = TIBDatabase::AttachCount();
    try {
        db.Open();
        FAIL() << "attach to a missing file succeeded";
    } catch (const EIBError& e) {
        EXPECT_NE(e.Message().find("I/O error during \"open\" operation"), std::string::npos) << e.Message();
        EXPECT_NE(e.Message().find("\r\n"), std::string::npos); // one line per status entry
        EXPECT_EQ(e.SQLCode(), -902);
    }
    EXPECT_FALSE(db.GetConnected());
    EXPECT_EQ(TIBDatabase::AttachCount(), before);

    TTestDatabase tdb(CreateDatabaseSql());
    TIBDatabase bad;
    bad.SetDatabaseName(tdb.Path());
    bad.SetParamValue("lc_ctype", "BADCS");
    EXPECT_NE(ErrorText([&] { bad.Open(); }).find("CHARACTER SET BADCS is not defined"), std::string::npos);
    EXPECT_FALSE(bad.GetConnected());
}

TEST(IBClient, AttachParametersAndCounting) {
    TTestDatabase tdb(CreateDatabaseSql());
    TIBDatabase db;
    db.SetDatabaseName(tdb.Path());
    db.SetParamValue("USER_NAME", "SYSDBA");
    db.SetParamValue("user_name", "sysdba"); // a name in any case replaces the line
    EXPECT_EQ(db.Params().Count(), 1);
    EXPECT_EQ(db.ParamValue("User_Name"), "sysdba");
    db.SetParamValue("lc_ctype", "NONE");
    db.SetParamValue("lc_ctype", "");
    EXPECT_EQ(db.Params().Count(), 1);

    bool asked = false;
    db.SetLoginPrompt(true);
    db.OnLogin = [&](TIBDatabase&, TStringList& params) {
        asked = true;
        params.SetValue("lc_ctype", "WIN1252");
    };
    const int before = TIBDatabase::AttachCount();
    db.Open();
    db.Open(); // already connected: no second attach
    EXPECT_EQ(TIBDatabase::AttachCount(), before + 1);
    EXPECT_TRUE(asked);
    EXPECT_EQ(db.ParamValue("lc_ctype"), ""); // the login copy is not stored back
    TIBTransaction tr;
    tr.SetDefaultDatabase(&db);
    TIBQuery q;
    q.SetDatabase(&db);
    q.SetTransaction(&tr);
    q.SetSQLText("SELECT C.RDB$CHARACTER_SET_NAME, CURRENT_USER FROM MON$ATTACHMENTS A "
                 "JOIN RDB$CHARACTER_SETS C ON C.RDB$CHARACTER_SET_ID = A.MON$CHARACTER_SET_ID "
                 "WHERE A.MON$ATTACHMENT_ID = CURRENT_CONNECTION");
    q.Open();
    EXPECT_EQ(Trim((*q.Fields())[0].AsString()), "WIN1252");
    EXPECT_EQ(Trim((*q.Fields())[1].AsString()), "SYSDBA");
    EXPECT_THROW(db.SetDatabaseName("other.fdb"), EDatabaseError);
    db.Close();
    EXPECT_FALSE(db.GetConnected());
    EXPECT_FALSE(tr.GetActive());
}

TEST(IBClient, CreateDatabaseWithQuotedNames) {
    TTempDir dir("smx'quote");
    TIBDatabase db;
    db.SetDatabaseName(dir.File("o'brien.fdb"));
    db.Params().Add("USER " + QuotedStr("O'Brien"));
    db.Params().Add("PASSWORD " + QuotedStr("p"));
    db.Params().Add("PAGE_SIZE 4096");
    db.Params().Add("DEFAULT CHARACTER SET WIN1252");
    const std::string stmt = db.CreateDatabaseStatement();
    EXPECT_NE(stmt.find("CREATE DATABASE '" + smx::test::SqlQuoteDoubled(dir.File("o'brien.fdb")) + "'"),
              std::string::npos);
    EXPECT_NE(stmt.find(" USER 'O''Brien' PASSWORD 'p' PAGE_SIZE 4096 DEFAULT CHARACTER SET WIN1252"),
              std::string::npos);
    db.CreateDatabase();
    EXPECT_TRUE(std::filesystem::exists(dir.File("o'brien.fdb")));
    EXPECT_FALSE(db.GetConnected()); // created, then detached

    EXPECT_NE(ErrorText([&] { db.CreateDatabase(); }).find("File exists"), std::string::npos);

    db.Params().Clear();
    db.SetParamValue("user_name", "O'Brien");
    db.SetParamValue("password", "p");
    TIBTransaction tr;
    tr.SetDefaultDatabase(&db);
    db.Open();
    TIBQuery q;
    q.SetDatabase(&db);
    q.SetTransaction(&tr);
    q.SetSQLText("SELECT RDB$CHARACTER_SET_NAME FROM RDB$DATABASE");
    q.Open();
    EXPECT_EQ(Trim((*q.Fields())[0].AsString()), "WIN1252");
    q.SetSQLText("select rdb$owner_name from rdb$relations where rdb$relation_name = 'RDB$DATABASE'");
    q.Open();
    EXPECT_EQ(Trim((*q.Fields())[0].AsString()), "O'BRIEN");
}

// A database path with non-ASCII characters, in a process that never called setlocale (the
// plain C locale of CI and of programs that embed the suite): create, attach, the message for a
// missing file, and isql-fb reading the file that was created.
TEST(IBClient, NonAsciiPathsWorkUnderThePlainCLocale) {
    ASSERT_STREQ(setlocale(LC_CTYPE, nullptr), "C") << "the test process must not set a locale";
    {
        // The library converts names with what it set up at the first one, an ASCII name here.
        TTestDatabase ascii(CreateDatabaseSql());
        Conn first(ascii.Path());
        EXPECT_EQ(first.Scalar("SELECT 1 FROM RDB$DATABASE"), "1");
    }
    TTempDir dir("smx\xC3\xA4");                                        // "ä"
    const std::string path = dir.File("Z\xC3\xBCrich\xE6\x9D\xB1.fdb"); // "Zürich東.fdb"
    {
        TIBDatabase db;
        db.SetDatabaseName(path);
        db.Params().Add("USER 'SYSDBA'");
        db.Params().Add("DEFAULT CHARACTER SET UTF8");
        db.CreateDatabase();
    }
    ASSERT_TRUE(std::filesystem::exists(std::filesystem::path(path)));
    {
        Conn c(path, "UTF8");
        auto q = c.Query("CREATE TABLE T (S VARCHAR(10))");
        q->ExecSQL();
        c.tr.Commit();
        q = c.Query("INSERT INTO T VALUES ('ok')");
        q->ExecSQL();
        c.tr.Commit();
        EXPECT_EQ(c.Scalar("SELECT COUNT(*) FROM T"), "1");
        c.db.Close();
    }
    const std::string missing = dir.File("\xE6\x9D\xB1-missing.fdb");
    TIBDatabase absent;
    absent.SetDatabaseName(missing);
    const std::string text = ErrorText([&] { absent.Open(); });
    EXPECT_NE(text.find("I/O error during \"open\" operation for file \"" + missing + "\""),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("transliterate"), std::string::npos) << text;
    EXPECT_STREQ(setlocale(LC_CTYPE, nullptr), "C");

    // A name that is not UTF-8 cannot be converted; the message says so.
    TIBDatabase latin1;
    latin1.SetDatabaseName(dir.File("Z\xFCrich.fdb"));
    const std::string why = ErrorText([&] { latin1.Open(); });
    EXPECT_NE(why.find("holds characters that the client library cannot convert"), std::string::npos) << why;
    EXPECT_NE(why.find("not valid UTF-8"), std::string::npos) << why;

    // isql-fb, a process of its own, reads the file under a UTF-8 locale.
    TTempDir plain;
    const std::string script = plain.File("read.sql");
    std::ofstream(script, std::ios::binary) << "CONNECT '" << smx::test::SqlQuoteDoubled(path)
                                            << "' USER 'SYSDBA';\nSELECT 'rows=' || COUNT(*) FROM T;\n";
    std::string output;
    FILE* pipe = popen(("LC_ALL=C.UTF-8 isql-fb -q -b -i '" + script + "' 2>&1").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char buf[4096];
    for (std::size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;)
        output.append(buf, n);
    EXPECT_EQ(pclose(pipe), 0) << output;
    EXPECT_NE(output.find("rows=1"), std::string::npos) << output;
}

// ---------------------------------------------------------------------------------------------
// Transactions

TEST(IBClient, FailedStatementThenRollback) {
    TTestDatabase tdb(CreateDatabaseSql("CREATE TABLE K (ID INTEGER NOT NULL PRIMARY KEY);"));
    Conn c(tdb.Path());
    auto ins = c.Query("INSERT INTO K VALUES (:ID)");
    ins->ParamByName("ID").SetAsInteger(1);
    ins->ExecSQL();
    EXPECT_TRUE(c.tr.GetActive());
    try {
        ins->ExecSQL();
        FAIL() << "duplicate key accepted";
    } catch (const EIBError& e) {
        EXPECT_NE(e.Message().find("violation of PRIMARY or UNIQUE KEY constraint"), std::string::npos)
            << e.Message();
        EXPECT_EQ(e.SQLCode(), -803);
    }
    EXPECT_TRUE(c.tr.GetActive());
    c.tr.Rollback();
    EXPECT_FALSE(c.tr.GetActive());
    EXPECT_NO_THROW(c.tr.Rollback()); // inactive: nothing
    EXPECT_NO_THROW(c.tr.Commit());
    EXPECT_EQ(c.Scalar("SELECT COUNT(*) FROM K"), "0"); // the query started the transaction again
    EXPECT_TRUE(c.tr.GetActive());
}

TEST(IBClient, RowsAffectedByDataStatements) {
    TTestDatabase tdb(CreateDatabaseSql("CREATE TABLE K (ID INTEGER NOT NULL PRIMARY KEY);"));
    Conn c(tdb.Path());
    auto q = c.Query("INSERT INTO K SELECT RDB$RELATION_ID FROM RDB$RELATIONS WHERE RDB$RELATION_ID < 3");
    EXPECT_EQ(q->GetRowsAffected(), -1); // nothing executed yet
    q->ExecSQL();
    EXPECT_EQ(q->GetRowsAffected(), 3);
    q->SetSQLText("UPDATE K SET ID = ID + 10 WHERE ID > 0");
    EXPECT_EQ(q->GetRowsAffected(), -1);
    q->ExecSQL();
    EXPECT_EQ(q->GetRowsAffected(), 2);
    q->SetSQLText("UPDATE K SET ID = 1 WHERE ID = 99");
    q->ExecSQL();
    EXPECT_EQ(q->GetRowsAffected(), 0);
    q->SetSQLText("DELETE FROM K");
    q->ExecSQL();
    EXPECT_EQ(q->GetRowsAffected(), 3);
    q->SetSQLText("SELECT COUNT(*) FROM K");
    q->ExecSQL();
    EXPECT_EQ(q->GetRowsAffected(), -1);
    c.tr.Rollback();
}

TEST(IBClient, CommittedWorkIsVisibleToASecondAttachment) {
    TTestDatabase tdb(CreateDatabaseSql());
    Conn a(tdb.Path());
    auto ddl = a.Query("CREATE TABLE NEWT (X VARCHAR(10))");
    ddl->ExecSQL();
    a.tr.Commit();
    Conn b(tdb.Path());
    EXPECT_EQ(b.Scalar("SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = 'NEWT'"), "1");
    b.tr.Commit();

    // A transaction destroyed while active commits.
    {
        TIBTransaction t;
        t.SetDefaultDatabase(&a.db);
        TIBQuery q;
        q.SetDatabase(&a.db);
        q.SetTransaction(&t);
        q.SetSQLText("INSERT INTO NEWT VALUES ('kept')");
        q.ExecSQL();
        EXPECT_TRUE(t.GetActive());
    }
    EXPECT_EQ(b.Scalar("SELECT X FROM NEWT"), "kept");
}

TEST(IBClient, DisconnectWithAnOpenQueryCommitsAndDropsStatements) {
    TTestDatabase tdb(CreateDatabaseSql());
    Conn c(tdb.Path());
    auto q = c.Query("SELECT RDB$RELATION_NAME FROM RDB$RELATIONS");
    q->Open();
    ASSERT_TRUE(q->GetActive());
    c.db.Close();
    EXPECT_FALSE(c.db.GetConnected());
    EXPECT_FALSE(c.tr.GetActive());
    EXPECT_FALSE(q->GetActive());
    EXPECT_FALSE(q->GetPrepared());
    EXPECT_EQ(ErrorText([&] { q->Open(); }), "Database not connected");
    // After a reconnect the same query prepares again and reads.
    c.db.Open();
    q->Open();
    EXPECT_FALSE(q->GetEof());
    EXPECT_TRUE(c.tr.GetActive());
}

// ---------------------------------------------------------------------------------------------
// Database facts and service manager

TEST(IBClient, DatabaseInfoItems) {
    TTestDatabase tdb(CreateDatabaseSql());
    Conn c(tdb.Path());
    TIBDatabaseInfo info;
    info.SetDatabase(&c.db);
    EXPECT_EQ(info.Version(), "LI-V6.3.11.33637 Firebird 3.0"); // the engine installed here
    EXPECT_EQ(info.ODSMajorVersion(), 12);
    EXPECT_EQ(info.ODSMinorVersion(), 0);
    EXPECT_EQ(info.PageSize(), 4096);
    EXPECT_EQ(info.DBSQLDialect(), 3);
    EXPECT_EQ(info.SweepInterval(), 20000);
    EXPECT_EQ(info.ForcedWrites(), 1);
    EXPECT_EQ(info.ReadOnly(), 0);
    EXPECT_EQ(info.NumBuffers(), 2048);
    EXPECT_EQ(info.DBImplementationNo(), 1);
    EXPECT_EQ(info.DBImplementationClass(), 66);
    c.db.Close();
    EXPECT_THROW(info.PageSize(), EDatabaseError);

    // A dialect-1 database reports its own dialect.
    TTestDatabase d1("SET SQL DIALECT 1;\nCREATE DATABASE '{db}' PAGE_SIZE 8192;\n", "d1.fdb");
    Conn c1(d1.Path());
    info.SetDatabase(&c1.db);
    EXPECT_EQ(info.PageSize(), 8192);
    EXPECT_EQ(info.DBSQLDialect(), 1);
    // Statements run in the dialect the client asks for; a database without a default character
    // set reads NONE.
    EXPECT_EQ(Trim(c1.Scalar("SELECT RDB$CHARACTER_SET_NAME FROM RDB$DATABASE")), "NONE");
    c1.db.SetSQLDialect(1);
    EXPECT_EQ(c1.Scalar("SELECT CAST('2024-01-02' AS DATE) FROM RDB$DATABASE"), "2024-01-02 00:00:00");
}

TEST(IBClient, ServiceManagerImplementation) {
    TIBServerProperties sp;
    EXPECT_EQ(sp.ServiceName(), "service_mgr");
    sp.Params().SetValue("user_name", "SYSDBA");
    sp.SetActive(true);
    sp.FetchVersionInfo();
    EXPECT_EQ(sp.VersionInfo().ServerImplementation, "Firebird/Linux/AMD/Intel/x64");
    EXPECT_TRUE(StartsStr("LI-V", sp.VersionInfo().ServerVersion)) << sp.VersionInfo().ServerVersion;
    sp.SetActive(false);
    EXPECT_FALSE(sp.GetActive());

    sp.SetServerName("srv/3051");
    sp.SetProtocol(TIBProtocol::TCP);
    EXPECT_EQ(sp.ServiceName(), "srv/3051:service_mgr");
    sp.SetProtocol(TIBProtocol::NamedPipe);
    EXPECT_NE(ErrorText([&] { sp.SetActive(true); }).find("NamedPipe"), std::string::npos);
    sp.SetProtocol(TIBProtocol::SPX);
    EXPECT_NE(ErrorText([&] { sp.SetActive(true); }).find("SPX"), std::string::npos);
    EXPECT_THROW(sp.FetchVersionInfo(), EDatabaseError);
}

// ---------------------------------------------------------------------------------------------
// Lifetime

TEST(IBClient, FreeingTheDatabaseLeavesNoDanglingReference) {
    TTestDatabase tdb(CreateDatabaseSql());
    auto db = std::make_unique<TIBDatabase>();
    db->SetDatabaseName(tdb.Path());
    auto tr = std::make_unique<TIBTransaction>();
    tr->SetDefaultDatabase(db.get());
    db->SetDefaultTransaction(tr.get());
    auto q = std::make_unique<TIBQuery>();
    q->SetDatabase(db.get());
    q->SetSQLText("SELECT RDB$RELATION_NAME FROM RDB$RELATIONS");
    auto info = std::make_unique<TIBDatabaseInfo>();
    info->SetDatabase(db.get());
    db->Open();
    q->Open(); // on the database's default transaction
    EXPECT_TRUE(tr->GetActive());

    db.reset();
    EXPECT_EQ(q->GetDatabase(), nullptr);
    EXPECT_EQ(tr->GetDefaultDatabase(), nullptr);
    EXPECT_EQ(info->GetDatabase(), nullptr);
    EXPECT_FALSE(tr->GetActive());
    EXPECT_FALSE(q->GetActive());
    EXPECT_EQ(ErrorText([&] { q->Open(); }), "Database not assigned");
    EXPECT_EQ(ErrorText([&] { tr->StartTransaction(); }), "Database not assigned");
    EXPECT_THROW(info->Refresh(), EDatabaseError);

    // Freeing the transaction before its query is clean too.
    TIBDatabase db2;
    db2.SetDatabaseName(tdb.Path());
    db2.Open();
    auto tr2 = std::make_unique<TIBTransaction>();
    tr2->SetDefaultDatabase(&db2);
    q->SetDatabase(&db2);
    q->SetTransaction(tr2.get());
    q->Open();
    tr2.reset();
    EXPECT_EQ(q->GetTransaction(), nullptr);
    EXPECT_FALSE(q->GetActive());
    q.reset();
    info.reset();
}

TEST(IBClient, OwnedObjectsDieWithTheirOwnerInAnyOrder) {
    TTestDatabase tdb(CreateDatabaseSql());
    TComponent owner;
    // The database is created first, so the owner frees it first.
    auto* db = new TIBDatabase(&owner);
    auto* tr = new TIBTransaction(&owner);
    auto* q = new TIBQuery(&owner);
    db->SetDatabaseName(tdb.Path());
    tr->SetDefaultDatabase(db);
    q->SetDatabase(db);
    q->SetTransaction(tr);
    q->SetSQLText("SELECT 1 FROM RDB$DATABASE");
    db->Open();
    q->Open();
    EXPECT_FALSE(q->GetEof());
}

TEST(IBClient, TextTravelsInTheConnectionCharacterSet) {
    TTestDatabase tdb(CreateDatabaseSql("CREATE TABLE W (S VARCHAR(10) CHARACTER SET WIN1252);"));
    {
        Conn utf8(tdb.Path(), "UTF8");
        auto q = utf8.Query("INSERT INTO W VALUES (:S)");
        q->ParamByName("S").SetAsString("caf\xC3\xA9"); // UTF-8 bytes of the connection
        q->ExecSQL();
        utf8.tr.Commit();
        EXPECT_EQ(utf8.Scalar("SELECT S FROM W"), "caf\xC3\xA9");
    }
    Conn win(tdb.Path(), "WIN1252");
    EXPECT_EQ(win.Scalar("SELECT S FROM W"), "caf\xE9"); // the server transliterated, we did not
    EXPECT_EQ(win.Scalar("SELECT CHAR_LENGTH(S) FROM W"), "4");
}

TEST(IBClient, TransactionParameters) {
    TTestDatabase tdb(CreateDatabaseSql());
    Conn c(tdb.Path());
    TIBTransaction t;
    t.SetDefaultDatabase(&c.db);
    t.Params().Add("read_committed");
    t.Params().Add("rec_version");
    t.Params().Add("isc_tpb_nowait");
    t.Params().Add("read");
    t.StartTransaction();
    TIBQuery q;
    q.SetDatabase(&c.db);
    q.SetTransaction(&t);
    q.SetSQLText("SELECT MON$ISOLATION_MODE, MON$READ_ONLY FROM MON$TRANSACTIONS "
                 "WHERE MON$TRANSACTION_ID = CURRENT_TRANSACTION");
    q.Open();
    EXPECT_EQ((*q.Fields())[0].AsInteger(), 2); // read committed, record version
    EXPECT_EQ((*q.Fields())[1].AsInteger(), 1);
    t.Commit();
    EXPECT_FALSE(q.GetActive()); // the commit closed the cursor

    TIBTransaction bad;
    bad.SetDefaultDatabase(&c.db);
    bad.Params().Add("eventually");
    EXPECT_EQ(ErrorText([&] { bad.StartTransaction(); }), "Unknown transaction parameter: eventually");

    // Moving a transaction to another database commits it first.
    Conn other(tdb.Path());
    c.tr.StartTransaction();
    c.tr.SetDefaultDatabase(&other.db);
    EXPECT_FALSE(c.tr.GetActive());
    EXPECT_EQ(c.db.GetDefaultTransaction(), nullptr);
}

TEST(IBClient, FieldsSurviveAReconnectOfTheSameStatement) {
    TTestDatabase tdb(CreateDatabaseSql());
    Conn c(tdb.Path());
    auto q = c.Query("SELECT RDB$RELATION_ID FROM RDB$RELATIONS WHERE RDB$RELATION_ID = :ID");
    q->ParamByName("ID").SetAsInteger(1);
    q->Open();
    TField& f = q->FieldByName("RDB$RELATION_ID");
    c.db.Close();
    c.db.Open();
    q->ParamByName("ID").SetAsInteger(2);
    q->Open();
    EXPECT_EQ(&q->FieldByName("RDB$RELATION_ID"), &f);
    EXPECT_EQ(f.AsInteger(), 2);
    q->SetSQLText("SELECT 1 AS ONE FROM RDB$DATABASE");
    EXPECT_EQ(q->Fields()->Count(), 0);
    q->Open();
    EXPECT_EQ(q->FieldByName("one").AsInteger(), 1);
}

TEST(IBClient, WithoutARewriterTheTextAndListGoAsTheyAre) {
    TTestDatabase tdb(CreateDatabaseSql());
    Conn c(tdb.Path());
    TIBQuery q;
    q.SetDatabase(&c.db);
    q.SetTransaction(&c.tr);
    EXPECT_EQ(ErrorText([&] { q.Open(); }), "Empty SQL statement");
    q.SetSQLText("SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_ID BETWEEN ? AND ?");
    EXPECT_EQ(q.Params()->Count(), 0);
    q.Params()->CreateParam("LOW").SetAsInteger(0);
    EXPECT_EQ(ErrorText([&] { q.Open(); }), "The statement has 2 parameters, 1 are given");
    q.Params()->CreateParam("HIGH").SetAsString("1");
    q.Open();
    EXPECT_EQ((*q.Fields())[0].AsInteger(), 2);
    // A statement the server refuses keeps the library's text.
    q.SetSQLText("SELECT NOPE FROM RDB$DATABASE");
    const std::string text = ErrorText([&] { q.Open(); });
    EXPECT_NE(text.find("Column unknown\r\nNOPE"), std::string::npos) << text;
}
