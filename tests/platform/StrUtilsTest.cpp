// String helpers whose edge cases the suite relies on.
#include <gtest/gtest.h>

#include "platform/smxStrUtils.h"

using namespace smx;

TEST(StrUtilsTest, TrimStopsAtBytesAboveBlank) {
    EXPECT_EQ(Trim("  a\r\nb\t "), "a\r\nb");
    EXPECT_EQ(Trim("\xE9 x \xE9"), "\xE9 x \xE9"); // high bytes are not blanks
    EXPECT_EQ(Trim(""), "");
    EXPECT_EQ(TrimRight("a \x01"), "a");
}

TEST(StrUtilsTest, CaseRulesAreAsciiOnly) {
    EXPECT_EQ(UpperCase("abc\xE9z"), "ABC\xE9Z");
    EXPECT_TRUE(SameText("Orders", "ORDERS"));
    EXPECT_FALSE(SameText("\xE9", "\xC9"));
    EXPECT_LT(CompareText("a", "B"), 0);
    EXPECT_GT(CompareStr("a", "B"), 0);
    EXPECT_LT(CompareText("ab", "abc"), 0);
}

TEST(StrUtilsTest, PosAndCopyAreOneBasedAndClamp) {
    EXPECT_EQ(Pos("b", "abc"), 2);
    EXPECT_EQ(Pos("x", "abc"), 0);
    EXPECT_EQ(Pos("", "abc"), 0);
    EXPECT_EQ(Copy("abcdef", 2, 3), "bcd");
    EXPECT_EQ(Copy("abc", 2, 100), "bc");
    EXPECT_EQ(Copy("abc", 0, 2), "ab");
    EXPECT_EQ(Copy("abc", 4, 1), "");
}

TEST(StrUtilsTest, QuotingAndReplacing) {
    EXPECT_EQ(QuotedStr("O'Brien"), "'O''Brien'");
    EXPECT_EQ(QuotedStr(""), "''");
    EXPECT_EQ(DequotedStr("'mast''er'"), "mast'er");
    EXPECT_EQ(StringReplace("aXbxc", "x", "-", ReplaceFlags::ReplaceAll | ReplaceFlags::IgnoreCase), "a-b-c");
    EXPECT_EQ(StringReplace("xx", "x", "y", ReplaceFlags::None), "yx");
    EXPECT_EQ(AdjustLineBreaks("a\nb\rc\r\nd"), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(AdjustLineBreaks("\r\r\n\n\nx\r"), "\r\n\r\n\r\n\r\nx\r\n");
    EXPECT_EQ(AdjustLineBreaks("a\r\nb") + AdjustLineBreaks("a\r\nb\nc"), "a\r\nba\r\nb\r\nc");
}

TEST(StrUtilsTest, IntegerConversionConsumesWholeText) {
    int v = 0;
    EXPECT_FALSE(TryStrToInt("12x", v));
    EXPECT_TRUE(TryStrToInt("$1F", v));
    EXPECT_EQ(v, 31);
    EXPECT_FALSE(TryStrToInt("", v));
    EXPECT_TRUE(TryStrToInt("-7", v));
    EXPECT_EQ(v, -7);
    EXPECT_FALSE(TryStrToInt("2147483648", v));
    EXPECT_TRUE(TryStrToInt("-2147483648", v));
    EXPECT_EQ(v, -2147483647 - 1);
    EXPECT_TRUE(TryStrToInt("$FFFFFFFF", v));
    EXPECT_EQ(v, -1);
    EXPECT_FALSE(TryStrToInt("$100000000", v));
    EXPECT_FALSE(TryStrToInt("-", v));
    EXPECT_EQ(IntToStr(-42), "-42");
    EXPECT_EQ(IntToHex(0x1A, 8), "0000001A");
}

TEST(StrUtilsTest, FileNameParts) {
    EXPECT_EQ(ExtractFileName("/tmp/x/Result.SQL"), "Result.SQL");
    EXPECT_EQ(ExtractFilePath("/tmp/x/Result.SQL"), "/tmp/x/");
    EXPECT_EQ(ExtractFilePath("Result.SQL"), "");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/tmp"), "/tmp/");
}
