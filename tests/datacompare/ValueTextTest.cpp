// The texts and comparisons the merge and the statements rely on, without a database: float
// literals that read back exactly, date-time texts with their fraction, value texts per field type
// and dialect, the value comparison (Firebird's order for keys, byte-exact data, numbers across
// types), quoting and the select text.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "datacompare/smxTableDataComparer.h"
#include "platform/smxFormatSettings.h"
#include "tests/datacompare/ScriptedConnection.h"

namespace smx::test {
namespace {

using enum TFieldType;

std::unique_ptr<TField> MakeField(TFieldType Type, TVariant Value, const std::string& Name = "F") {
    auto f = std::make_unique<TField>(Name, Type);
    f->SetValue(std::move(Value));
    return f;
}

TVariant S(const std::string& s) {
    return TVariant::FromString(s);
}
TVariant B(const std::string& s) {
    return TVariant::FromBytes(s);
}
TVariant I(std::int64_t v) {
    return TVariant::FromInteger(v);
}
TVariant D(double v) {
    return TVariant::FromFloat(v);
}
TVariant DT(int y, int m, int d, std::int64_t ticks = 0) {
    return TVariant::FromDateTime(DaysTicksToDateTime(DateToDays(EncodeDate(y, m, d)), ticks));
}
std::int64_t Ticks(int h, int n, int s, int frac) {
    return (std::int64_t{h} * 3600 + n * 60 + s) * TicksPerSecond + frac;
}

/// A comparer whose sides are scripted connections of one database type; the separators are those
/// of a running comparison.
class ValueTexts : public ::testing::Test {
protected:
    void Use(TDatabaseType Type, TIBSQLServerVersionType Version = TIBSQLServerVersionType::st_Firebird_30) {
        master = std::make_unique<TScriptedConnection>(Type);
        target = std::make_unique<TScriptedConnection>(Type);
        target->GetIBServerOptions().SetSQLServerVersion(Version);
        master->GetIBServerOptions().SetSQLServerVersion(Version);
        cmp.GetIBServerOptions().SetSQLServerVersion(Version);
        cmp.SetSMXConnectionMaster(master.get());
        cmp.SetSMXConnectionTarget(target.get());
    }
    void SetUp() override {
        saved = FormatSettings();
        FormatSettings().DecimalSeparator = '.';
        FormatSettings().DateSeparator = '.';
        Use(TDatabaseType::dbInterBase);
    }
    void TearDown() override { FormatSettings() = saved; }
    std::string Text(TFieldType Type, TVariant Value) {
        auto f = MakeField(Type, std::move(Value), "COL");
        return cmp.FieldValueText(cmp.GetTableOptionsMaster(), *f);
    }

    TFormatSettings saved;
    std::unique_ptr<TScriptedConnection> master, target;
    TTableDataComparer cmp;
};

// ---- Float literals ----

TEST_F(ValueTexts, FloatLiteralsReadBackExactly) {
    struct Row {
        double value;
        const char* other;     // a database that reads literals correctly rounded
        const char* interBase; // Firebird, whose reading is not correctly rounded
    };
    const Row rows[] = {
        {1.5, " 1.5", " 1.5"},
        {0.001, " 1.E-3", " 1.E-3"},
        {1.0e20, " 1.E20", " 1.E20"},
        {2.0, "2", "2"},
        {-2147483648.0, "-2147483648", "-2147483648"},
        {3.0e9, " 3.E9", " 3.E9"},
        {2147483647.0, " 2.147483647E9", " 2.147483647E9"},
        {-1.5, "-1.5", "-1.5"},
        {0.1 + 0.2, " 3.0000000000000004E-0001 /*  3.E-1 */", " 3.0000000000000004E-0001 /*  3.E-1 */"},
        {static_cast<double>(0.1f), " 1.0000000149011612E-0001 /*  1.00000001490116E-1 */",
         " 1.0000000149011612E-0001 /*  1.00000001490116E-1 */"},
        // The 17-digit text of -1/3 comes back one unit off from Firebird; 16 digits are exact.
        {-1.0 / 3.0, "-3.3333333333333331E-0001 /* -3.33333333333333E-1 */",
         "-3.333333333333333E-0001 /* -3.33333333333333E-1 */"},
        // Beyond 10^22 Firebird's scaling is not exact: the exact product of an integer and a power of two.
        {1.0e-30 / 3.0, " 3.3333333333333338E-0031 /*  3.33333333333333E-31 */",
         " 7611987694431787E0 * POWER(2E0, -154) /*  3.33333333333333E-31 */"},
        {1.0e25, " 1.E25", " 1.0000000000000001E+0025 /*  1.E25 */"},
        {-5.0e-324, "-4.94065645841247E-324", "-1E0 * POWER(2E0, -1074) /* -4.94065645841247E-324 */"},
    };
    for (const Row& r : rows) {
        for (TDatabaseType db : {TDatabaseType::dbMSSQL, TDatabaseType::dbInterBase}) {
            Use(db);
            const std::string text = cmp.FloatLiteral(r.value);
            EXPECT_EQ(text, db == TDatabaseType::dbInterBase ? r.interBase : r.other) << r.value;
            // The part before a comment reads back as the very same double (where it is a number).
            std::string number = text.substr(0, text.find(" /*"));
            if (const std::size_t p = number.find("E0 * POWER(2E0, "); p != std::string::npos) {
                const double m = std::stod(number.substr(0, p));
                EXPECT_EQ(std::ldexp(m, std::stoi(number.substr(p + 16))), r.value) << text;
                continue;
            }
            number.erase(0, number.find_first_not_of(' '));
            double back = 0;
            std::from_chars(number.data(), number.data() + number.size(), back);
            EXPECT_EQ(back, r.value) << text;
        }
    }
}

TEST_F(ValueTexts, FloatLiteralFormats) {
    cmp.GetScriptOptions().SetFloatFormat("0.00");
    EXPECT_EQ(cmp.FloatLiteral(3.0e9), "3000000000.00");
    EXPECT_EQ(cmp.FloatLiteral(2.0), "2.00");
    EXPECT_EQ(cmp.FloatLiteral(-0.125), "-0.13");
    cmp.GetScriptOptions().SetFloatFormat("");
    cmp.GetScriptOptions().SetLocalSQL(true);
    EXPECT_EQ(cmp.FloatLiteral(0.1 + 0.2), "0.3");
    EXPECT_EQ(cmp.FloatLiteral(1.5), "1.5");
    EXPECT_EQ(cmp.FloatLiteral(2.0), "2");
}

// ---- Date-time texts ----

TEST_F(ValueTexts, DateTimeTextsPerDialectWithFractions) {
    const TDateTime ts = DaysTicksToDateTime(DateToDays(EncodeDate(2024, 12, 31)), Ticks(14, 5, 0, 1234));
    const TDateTime whole = DaysTicksToDateTime(DateToDays(EncodeDate(2024, 12, 31)), Ticks(14, 5, 0, 0));
    const TDateTime late = DaysTicksToDateTime(0, Ticks(23, 59, 59, 9999));
    const TDateTime year1 = EncodeDate(1, 1, 1);
    EXPECT_EQ(cmp.DateTimeText(ftDate, year1), "01.01.0001");
    EXPECT_EQ(cmp.DateTimeText(ftTime, ts), "14:05:00.1234");
    EXPECT_EQ(cmp.DateTimeText(ftTime, late), "23:59:59.9999");
    EXPECT_EQ(cmp.DateTimeText(ftDateTime, ts), "31.12.2024 14:05:00.1234");
    EXPECT_EQ(cmp.DateTimeText(ftTimeStamp, whole), "31.12.2024 14:05:00");
    Use(TDatabaseType::dbMSSQL);
    EXPECT_EQ(cmp.DateTimeText(ftDate, ts), "2024-12-31");
    EXPECT_EQ(cmp.DateTimeText(ftDateTime, ts), "2024-12-31 14:05:00.123");
    EXPECT_EQ(cmp.DateTimeText(ftTime, late), "23:59:59.999");
    Use(TDatabaseType::dbMySQL);
    EXPECT_EQ(cmp.DateTimeText(ftDateTime, whole), "31.12.2024 14:05:00");
    cmp.GetScriptOptions().SetDateTimeFormat("yyyy/mm/dd hh:mm");
    cmp.GetScriptOptions().SetDateFormat("dd mmm yyyy");
    EXPECT_EQ(cmp.DateTimeText(ftDateTime, ts), "2024.12.31 14:05");
    EXPECT_EQ(cmp.DateTimeText(ftDate, ts), "31 Dec 2024");
}

// ---- Value texts ----

TEST_F(ValueTexts, ValueTextsPerTypeOnInterBaseAndMSSQL) {
    struct Row {
        TFieldType type;
        TVariant value;
        const char* interBase;
        const char* msSql;
    };
    const Row rows[] = {
        {ftString, S("O'Brien"), "'O''Brien'", "'O''Brien'"},
        {ftString, S("C:\\dir\\"), "'C:\\dir\\'", "'C:\\dir\\'"},
        {ftString, S("a\r\nb"), "'a' || ASCII_CHAR(13) || ASCII_CHAR(10) || 'b'", "'a\r\nb'"},
        {ftString, S("\nx\r"), "ASCII_CHAR(10) || 'x' || ASCII_CHAR(13)", "'\nx\r'"},
        {ftFixedChar, S("ab  "), "'ab  '", "'ab  '"},
        {ftGuid, S(" {G} "), "' {G} '", "' {G} '"},
        {ftInteger, I(42), "42", "42"},
        {ftLargeint, I(9007199254740993LL), "9007199254740993", "9007199254740993"},
        {ftBCD, S("12345678901234.5678"), "12345678901234.5678", "12345678901234.5678"},
        {ftFMTBcd, S("-0.50"), "-0.50", "-0.50"},
        {ftFloat, D(2.0), "2", "2"},
        {ftBoolean, TVariant::FromBoolean(true), "TRUE", "1"},
        {ftBoolean, TVariant::FromBoolean(false), "FALSE", "0"},
        {ftDate, DT(2024, 12, 31), "'31.12.2024'", "'2024-12-31'"},
        {ftVarBytes, B(std::string("\x00\xFF\n\r", 4)), "X'00FF0A0D'", "0x00FF0A0D"},
        {ftBytes, B(""), "X''", "0x"},
        {ftInteger, TVariant(), "Null", "Null"},
        {ftBlob, TVariant(), "Null", "Null"},
        {ftUnknown, I(1), "", ""},
    };
    for (const Row& r : rows) {
        Use(TDatabaseType::dbInterBase);
        EXPECT_EQ(Text(r.type, r.value), r.interBase) << FieldTypeName(r.type);
        Use(TDatabaseType::dbMSSQL);
        EXPECT_EQ(Text(r.type, r.value), r.msSql) << FieldTypeName(r.type);
    }
}

TEST_F(ValueTexts, TrimmingParametersAndTheValueEvent) {
    cmp.SetTrimCharFields(true);
    EXPECT_EQ(Text(ftString, S("  ab  ")), "'ab'");
    EXPECT_EQ(Text(ftGuid, S(" {G} ")), "' {G} '");
    cmp.SetTrimCharFields(false);
    cmp.OnGetDataValue = [](TObject*, const TField& f, std::string& v) {
        v = "<" + f.FieldName() + ":" + v + ">";
    };
    EXPECT_EQ(Text(ftInteger, I(7)), "<COL:7>");
    auto t = MakeField(ftInteger, I(7), "COL");
    EXPECT_EQ(cmp.FieldValueText(cmp.GetTableOptionsTarget(), *t), "7")
        << "target values never pass the event";
    cmp.OnGetDataValue = nullptr;
    cmp.GetScriptOptions().SetGenerateScript(false);
    EXPECT_EQ(Text(ftString, S("x")), ":COL");
    EXPECT_EQ(Text(ftMemo, S("x")), ":COL");
}

// ---- Comparison ----

TEST_F(ValueTexts, ValueComparisonFollowsFirebirdForKeysAndBytesForData) {
    struct Row {
        const char* what;
        TFieldType tm;
        TVariant vm;
        TFieldType tt;
        TVariant vt;
        int key;  // as a key (Firebird order)
        int data; // as data (byte-exact)
    };
    const TVariant null;
    const Row rows[] = {
        {"NULL sorts first", ftInteger, null, ftInteger, I(1), -1, -1},
        {"both NULL", ftString, null, ftString, null, 0, 0},
        {"TAB before the padding blank", ftString, S("x\t"), ftString, S("x"), -1, 1},
        {"CR LF before the padding blank", ftString, S("x\r\n"), ftString, S("x"), -1, 1},
        {"trailing blanks", ftString, S("ab"), ftString, S("ab  "), 0, -1},
        {"CHAR pads anyway", ftFixedChar, S("ab   "), ftString, S("ab"), 0, 0},
        {"bytes above 127 are unsigned", ftString, S("\xC3\xBC"), ftString, S("z"), 1, 1},
        {"case matters", ftString, S("B"), ftString, S("a"), -1, -1},
        {"OCTETS pad with zero bytes", ftVarBytes, B("AB"), ftVarBytes, B(std::string("AB\0", 3)), 0, -1},
        {"INTEGER against BIGINT", ftInteger, I(5), ftLargeint, I(5), 0, 0},
        {"INTEGER against BIGINT, less", ftInteger, I(5), ftLargeint, I(6), -1, -1},
        {"NUMERIC(9,2) against NUMERIC(18,6)", ftBCD, S("1.50"), ftFMTBcd, S("1.500000"), 0, 0},
        {"NUMERIC scales, tiny difference", ftBCD, S("1.50"), ftFMTBcd, S("1.500001"), -1, -1},
        {"exact beyond double precision", ftLargeint, I(9007199254740993LL), ftBCD, S("9007199254740992.00"),
         1, 1},
        {"DOUBLE against NUMERIC", ftFloat, D(0.1), ftBCD, S("0.1"), 0, 0},
        {"FLOAT 0.1 against NUMERIC 0.10", ftFloat, D(static_cast<double>(0.1f)), ftBCD, S("0.10"), 1, 1},
        {"floats 0.1 apart", ftFloat, D(1.0), ftFloat, D(1.1), -1, -1},
        {"number against text", ftInteger, I(1), ftString, S("2"), 0, 0},
        {"DATE against TIMESTAMP", ftDate, DT(2024, 1, 2), ftDateTime, DT(2024, 1, 2), 0, 0},
        {"timestamps 1/10000 s apart", ftDateTime, DT(2024, 1, 2, 5), ftDateTime, DT(2024, 1, 2, 6), -1, -1},
        {"year 1 before 1899", ftDate, DT(1, 1, 1), ftDate, DT(1899, 12, 31), -1, -1},
        {"FALSE before TRUE", ftBoolean, TVariant::FromBoolean(false), ftBoolean, TVariant::FromBoolean(true),
         -1, -1},
        {"GUID texts untrimmed", ftGuid, S("a "), ftGuid, S("a"), 1, 1},
    };
    for (const Row& r : rows) {
        auto m = MakeField(r.tm, r.vm);
        auto t = MakeField(r.tt, r.vt);
        EXPECT_EQ(cmp.CompareFieldValues(*m, *t, true), r.key) << r.what;
        EXPECT_EQ(cmp.CompareFieldValues(*m, *t, false), r.data) << r.what;
    }
}

TEST_F(ValueTexts, NullOrderTrimmingAndLargeObjects) {
    auto null = MakeField(ftInteger, TVariant());
    auto one = MakeField(ftInteger, I(1));
    Use(TDatabaseType::dbInterBase, TIBSQLServerVersionType::st_InterBase_75);
    EXPECT_EQ(cmp.CompareFieldValues(*null, *one, true), 1) << "InterBase sorts NULL last";
    Use(TDatabaseType::dbOracle);
    EXPECT_EQ(cmp.CompareFieldValues(*null, *one, true), 1);
    Use(TDatabaseType::dbInterBase, TIBSQLServerVersionType::st_FireBird_15);
    EXPECT_EQ(cmp.CompareFieldValues(*null, *one, true), -1);

    cmp.SetTrimCharFields(true);
    auto a = MakeField(ftString, S("ab  "));
    auto b = MakeField(ftString, S("ab"));
    EXPECT_EQ(cmp.CompareFieldValues(*a, *b), 0);
    cmp.SetTrimCharFields(false);

    auto shortBlob = MakeField(ftBlob, B("abc"));
    auto longBlob = MakeField(ftBlob, B("abcd"));
    auto otherBlob = MakeField(ftMemo, B("abd"));
    auto nullBlob = MakeField(ftBlob, TVariant());
    auto emptyBlob = MakeField(ftBlob, B(""));
    EXPECT_EQ(cmp.CompareFieldValues(*longBlob, *shortBlob), 1) << "target shorter";
    EXPECT_EQ(cmp.CompareFieldValues(*shortBlob, *longBlob), -1) << "target longer";
    EXPECT_EQ(cmp.CompareFieldValues(*shortBlob, *otherBlob), 1) << "same length, other bytes";
    EXPECT_EQ(cmp.CompareFieldValues(*otherBlob, *shortBlob), 1);
    EXPECT_EQ(cmp.CompareFieldValues(*shortBlob, *shortBlob), 0);
    EXPECT_NE(cmp.CompareFieldValues(*emptyBlob, *nullBlob), 0) << "an empty BLOB is no NULL on Firebird";
    Use(TDatabaseType::dbMSSQL);
    EXPECT_EQ(cmp.CompareFieldValues(*emptyBlob, *nullBlob), 0) << "MS SQL counts a NULL BLOB as empty";

    cmp.OnCompareFields = [](TObject*, const TField&, const TField&) { return 7; };
    EXPECT_EQ(cmp.CompareFieldValues(*a, *b), 7);
}

// ---- Quoting and the select ----

TEST_F(ValueTexts, QuotingAndSelectTexts) {
    TCmpTableOptions& m = cmp.GetTableOptionsMaster();
    TCmpTableOptions& t = cmp.GetTableOptionsTarget();
    m.SetTableName("order");
    for (TCmpTableOptions* o : {&m, &t}) {
        o->GetDataList().SetText("ID\r\nMixed Case\r\n\"Quoted\"\r\nNAME");
        o->GetKeyList().SetText("ID\r\nNAME");
    }
    EXPECT_EQ(cmp.QuoteTableName(m, "order"), "\"order\"");
    EXPECT_EQ(cmp.QuoteTableName(m, "CUSTOMER"), "CUSTOMER");
    EXPECT_EQ(cmp.JoinFieldList(m, m.GetDataList()), "ID, \"Mixed Case\", \"Quoted\", NAME");
    EXPECT_EQ(cmp.BuildSelectSQL(m), "select ID, \"Mixed Case\", \"Quoted\", NAME\r\nfrom \"order\"\r\n"
                                     " Order by ID NULLS FIRST, NAME NULLS FIRST");
    Use(TDatabaseType::dbInterBase, TIBSQLServerVersionType::st_InterBase_75);
    EXPECT_EQ(cmp.BuildSelectSQL(m), "select ID, \"Mixed Case\", \"Quoted\", NAME\r\nfrom \"order\"\r\n"
                                     " Order by ID, NAME");
    m.GetDataList().Clear();
    t.GetKeyList().Clear();
    EXPECT_EQ(cmp.BuildSelectSQL(m), "select *\r\n from \"order\"\r\n") << "no key pair and no data list";

    Use(TDatabaseType::dbParadox);
    m.SetTableName("ITEMS");
    m.GetDataList().SetText("ID\r\nDATE\r\nNAME");
    EXPECT_EQ(cmp.JoinFieldList(m, m.GetDataList()), "ID, ITEMS.\"DATE\", NAME");
    Use(TDatabaseType::dbMSSQL);
    m.GetDataList().SetText("ID\r\nKEY\r\nmy col");
    EXPECT_EQ(cmp.JoinFieldList(m, m.GetDataList()), "ID, [KEY], [my col]");
    cmp.SetSMXConnectionMaster(nullptr);
    EXPECT_EQ(cmp.JoinFieldList(m, m.GetDataList()), "ID, KEY, my col")
        << "a side without connection quotes nothing";
}

TEST(ComparerDefaults, PropertiesAndSetters) {
    TTableDataComparer cmp;
    EXPECT_TRUE(cmp.GetCompareBlobs());
    EXPECT_TRUE(cmp.GetIncludeBlobs());
    EXPECT_TRUE(cmp.GetIgnoreComputedFields());
    EXPECT_FALSE(cmp.GetUpdateImmediately());
    EXPECT_EQ(cmp.GetAllowedOperations(), AllDataCompareOperations);
    EXPECT_TRUE(EndsStr("/Result.SQL", cmp.GetScriptFileName())) << cmp.GetScriptFileName();
    EXPECT_TRUE(EndsStr("/Result.LOB", cmp.GetBlobFileName()));
    cmp.SetScriptFileName("/x/data.script.sql");
    EXPECT_EQ(cmp.GetBlobFileName(), "/x/data.script.LOB");
    cmp.SetScriptFileName("/x.d/noext");
    EXPECT_EQ(cmp.GetBlobFileName(), "/x.d/noext.LOB");
    cmp.SetUpdateImmediately(true);
    EXPECT_FALSE(cmp.GetScriptOptions().GetGenerateScript());
    cmp.SetUpdateImmediately(false);
    EXPECT_TRUE(cmp.GetScriptOptions().GetGenerateScript());
    cmp.SetTableNameMaster("M");
    EXPECT_EQ(cmp.GetTableOptionsMaster().GetTableName(), "M");

    TCmpTableOptions a, b;
    a.SetTableName("T");
    a.GetKeyList().Add("K");
    TStringList l;
    l.Add("D");
    a.SetDataFields(l);
    b.Assign(a);
    EXPECT_EQ(b.GetTableName(), "T");
    EXPECT_EQ(b.GetKeyList().Text(), "K\r\n");
    EXPECT_EQ(b.GetDataFields().Text(), "D\r\n");

    {
        auto conn = std::make_unique<TScriptedConnection>(TDatabaseType::dbInterBase);
        cmp.SetSMXConnectionTarget(conn.get());
        EXPECT_EQ(cmp.GetTableOptionsTarget().GetConnection(), conn.get());
    }
    EXPECT_EQ(cmp.GetSMXConnectionTarget(), nullptr) << "a freed connection is forgotten";
    EXPECT_EQ(cmp.GetTableOptionsTarget().GetConnection(), nullptr);
}

} // namespace
} // namespace smx::test
