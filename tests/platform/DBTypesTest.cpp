// Tests of the data-access types: date arithmetic and formatting, variant conversions, and the
// field and parameter lists.
#include "platform/smxDB.h"
#include "platform/smxFormatSettings.h"
#include "platform/smxScopeExit.h"

#include <gtest/gtest.h>

#include <clocale>

using namespace smx;

TEST(DateTime, EncodeDecodeAroundTheEpoch) {
    struct Row {
        int y, m, d;
        double days;
    };
    const Row rows[] = {
        {1899, 12, 30, 0},     {1899, 12, 29, -1}, {1900, 1, 1, 2},         {2000, 2, 29, 36585},
        {2024, 12, 31, 45657}, {1, 1, 1, -693593}, {9999, 12, 31, 2958465},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(EncodeDate(r.y, r.m, r.d), r.days) << r.y << "-" << r.m << "-" << r.d;
        int y, m, d;
        DecodeDate(r.days, y, m, d);
        EXPECT_EQ(y * 10000 + m * 100 + d, r.y * 10000 + r.m * 100 + r.d);
    }
    TDateTime dt;
    EXPECT_FALSE(TryEncodeDate(1900, 2, 29, dt));
    EXPECT_TRUE(TryEncodeDate(2000, 2, 29, dt));
    EXPECT_THROW(EncodeDate(2023, 13, 1), EConvertError);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
}

TEST(DateTime, TimeBeforeTheEpochCountsForward) {
    // -1.25 is 1899-12-29 06:00: the day is the integer part, the time the fraction's magnitude.
    const TDateTime dt = ComposeDateTime(EncodeDate(1899, 12, 29), EncodeTime(6, 0, 0, 0));
    EXPECT_DOUBLE_EQ(dt, -1.25);
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn", dt), "1899-12-29 06:00");
}

TEST(DateTime, TicksKeepTenThousandthsOfASecond) {
    const TDateTime day = EncodeDate(2024, 6, 30);
    for (std::int64_t ticks : {std::int64_t{0}, std::int64_t{1}, std::int64_t{9999}, TicksPerDay - 1,
                               std::int64_t{45296} * TicksPerSecond + 1234}) {
        const TDateTime dt = DaysTicksToDateTime(DateToDays(day), ticks);
        EXPECT_EQ(TimeToTicks(dt), ticks);
        EXPECT_EQ(DateToDays(dt), DateToDays(day));
    }
    int h, n, s, ms;
    DecodeTime(EncodeTime(23, 59, 59, 999), h, n, s, ms);
    EXPECT_EQ(h * 10000000 + n * 100000 + s * 1000 + ms, 235959999);
}

TEST(DateTime, FormatUsesSeparatorsAndMinuteRule) {
    TFormatSettings saved = FormatSettings();
    auto restore = ScopeExit([&] { FormatSettings() = saved; });
    FormatSettings().DateSeparator = '.';
    FormatSettings().TimeSeparator = ':';
    const TDateTime dt = ComposeDateTime(EncodeDate(2024, 12, 31), EncodeTime(14, 5, 0, 7));
    struct Row {
        const char* fmt;
        const char* text;
    };
    const Row rows[] = {
        {"dd/mm/yyyy", "31.12.2024"},
        {"hh:mm:ss", "14:05:00"},
        {"yyyy-mm-dd hh:mm:ss", "2024-12-31 14:05:00"},
        {"d/m/yy h:n:s.zzz", "31.12.24 14:5:0.007"},
        {"mmm mmmm ddd dddd", "Dec December Tue Tuesday"},
        {"'mm'\"hh\" mm", "mmhh 12"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(FormatDateTime(r.fmt, dt), r.text) << r.fmt;
}

TEST(Variant, ConversionsIgnoreTheCLocale) {
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) std::setlocale(LC_NUMERIC, "C");
    auto restore = ScopeExit([&] { std::setlocale(LC_NUMERIC, saved.c_str()); });

    EXPECT_EQ(TVariant::FromFloat(1.5).AsString(), "1.5");
    EXPECT_DOUBLE_EQ(TVariant::FromString("-12.25").AsFloat(), -12.25);
    EXPECT_EQ(TVariant::FromString(" 42 ").AsInteger(), 42);
    EXPECT_EQ(TVariant::FromString("2.5").AsInteger(), 3);
    EXPECT_EQ(TVariant::FromInteger(-9223372036854775807LL - 1).AsString(), "-9223372036854775808");
    EXPECT_THROW(TVariant::FromString("1,5").AsFloat(), EConvertError);
    EXPECT_THROW(TVariant::FromString("abc").AsInteger(), EConvertError);
}

TEST(Variant, NullAndKinds) {
    const TVariant n;
    EXPECT_TRUE(n.IsNull());
    EXPECT_EQ(n.AsString(), "");
    EXPECT_EQ(n.AsInteger(), 0);
    EXPECT_FALSE(n.AsBoolean());
    EXPECT_EQ(TVariant::FromBoolean(true).AsString(), "True");
    EXPECT_TRUE(TVariant::FromString("true").AsBoolean());
    EXPECT_FALSE(TVariant::FromString("0").AsBoolean());
    EXPECT_FALSE(TVariant::FromString("x") == TVariant::FromBytes("x"));
    EXPECT_TRUE(TVariant::FromBytes(std::string("a\0b", 3)) == TVariant::FromBytes(std::string("a\0b", 3)));
}

TEST(Variant, DateTimeText) {
    const TDateTime d = EncodeDate(2024, 2, 29);
    const TDateTime t = DaysTicksToDateTime(0, std::int64_t{3723} * TicksPerSecond + 45);
    EXPECT_EQ(TVariant::FromDateTime(d).AsString(), "2024-02-29");
    EXPECT_EQ(TVariant::FromDateTime(t).AsString(), "01:02:03.0045");
    EXPECT_EQ(TVariant::FromDateTime(d + t).AsString(), "2024-02-29 01:02:03.0045");
    EXPECT_DOUBLE_EQ(TVariant::FromString("2024-02-29 01:02:03.0045").AsDateTime(), d + t);
    EXPECT_DOUBLE_EQ(TVariant::FromString("01:02").AsDateTime(), EncodeTime(1, 2, 0, 0));
    EXPECT_THROW(TVariant::FromString("2024-02-30").AsDateTime(), EConvertError);
}

TEST(Fields, LookupIsCaseInsensitiveAndMissingThrows) {
    TFields fields;
    fields.Add(std::make_unique<TField>("RDB$RELATION_NAME", TFieldType::ftFixedChar, 252));
    fields.Add(std::make_unique<TField>("ID", TFieldType::ftInteger));
    EXPECT_EQ(fields.FindField("rdb$relation_name"), &fields[0]);
    EXPECT_EQ(fields.FieldByName("id").Index(), 1);
    EXPECT_EQ(fields.FindField("NOPE"), nullptr);
    try {
        fields.FieldByName("NOPE");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Field 'NOPE' not found");
    }
    EXPECT_THROW(fields[2], EDatabaseError);
}

TEST(Fields, DeferredValueLoadsOnceAndTextFollowsTheType) {
    TField blob("B", TFieldType::ftBlob);
    int calls = 0;
    blob.SetLoader([&] {
        ++calls;
        return TVariant::FromBytes("bytes");
    });
    EXPECT_EQ(calls, 0);
    EXPECT_FALSE(blob.IsNull());
    EXPECT_EQ(blob.AsBytes(), "bytes");
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(blob.IsBlob());

    TField ts("T", TFieldType::ftTimeStamp);
    ts.SetValue(TVariant::FromDateTime(EncodeDate(2024, 1, 2)));
    EXPECT_EQ(ts.AsString(), "2024-01-02 00:00:00");
    TField tm("T", TFieldType::ftTime);
    tm.SetValue(TVariant::FromDateTime(0.5));
    EXPECT_EQ(tm.AsString(), "12:00:00");
}

TEST(Params, ByNameTypesAndCarriedValues) {
    TParams params;
    params.Add("N");
    params.CreateParam("KEY0");
    try {
        params.ParamByName("X");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Parameter 'X' not found");
    }
    params.ParamByName("n").SetAsString("RDB$DATABASE");
    EXPECT_EQ(params[0].DataType(), TFieldType::ftString);
    params[1].SetValue(TVariant::FromInteger(7));
    EXPECT_EQ(params[1].DataType(), TFieldType::ftLargeint);
    params[1].Clear();
    EXPECT_TRUE(params[1].IsNull());
    EXPECT_EQ(params[1].DataType(), TFieldType::ftLargeint);

    // A rebuilt list takes the values of parameters whose names stay.
    TParams rebuilt;
    rebuilt.Add("n");
    rebuilt.Add("OTHER");
    rebuilt.AssignValues(params);
    EXPECT_EQ(rebuilt[0].AsString(), "RDB$DATABASE");
    EXPECT_TRUE(rebuilt[1].IsNull());
    params.Assign(rebuilt);
    ASSERT_EQ(params.Count(), 2);
    EXPECT_EQ(params[1].Name(), "OTHER");

    TField f("F", TFieldType::ftBCD, 0, 18, 4);
    f.SetValue(TVariant::FromString("12.3400"));
    params[1].AssignField(f);
    EXPECT_EQ(params[1].DataType(), TFieldType::ftBCD);
    EXPECT_EQ(params[1].AsString(), "12.3400");
}
