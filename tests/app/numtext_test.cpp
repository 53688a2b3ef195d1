#include "app/display_format.h"
#include "app/numtext.h"
#include "app/sjis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace wattorio;

TEST(ValTest, TakesTheLeadingNumber) {
    EXPECT_DOUBLE_EQ(val("12.5kW"), 12.5);
    EXPECT_DOUBLE_EQ(val("  -7"), -7);
    EXPECT_DOUBLE_EQ(val("+3"), 3);
    EXPECT_DOUBLE_EQ(val(".5"), 0.5);
    EXPECT_DOUBLE_EQ(val("9時"), 9);
    EXPECT_DOUBLE_EQ(val("1E+3x"), 1000);
    EXPECT_DOUBLE_EQ(val("2e"), 2); // an exponent without digits is not part of the number
    EXPECT_DOUBLE_EQ(val("10."), 10);
    EXPECT_DOUBLE_EQ(val(""), 0);
    EXPECT_DOUBLE_EQ(val("abc"), 0);
    EXPECT_DOUBLE_EQ(val("-"), 0);
    EXPECT_DOUBLE_EQ(val("."), 0);
    EXPECT_TRUE(std::isinf(val("1E+400")));
    EXPECT_DOUBLE_EQ(val("1E-400"), 0);
}

TEST(NumberTextTest, ShortestExactForms) {
    EXPECT_EQ(numberText(0.0), "0");
    EXPECT_EQ(numberText(12.0), "12");
    EXPECT_EQ(numberText(0.5), "0.5");
    EXPECT_EQ(numberText(1e300), "1E+300");
    EXPECT_EQ(numberText(1.5e-5), "1.5E-05");
    EXPECT_EQ(numberText(0.1f), "0.1");
    EXPECT_EQ(numberText(7.0f), "7");
}

TEST(DisplayFormatTest, GroupsRoundsAndHidesZero) {
    EXPECT_EQ(formatPattern(1790760, kFmtYenTotal), "1,790,760 円");
    EXPECT_EQ(formatPattern(1880298.0, kFmtYenWithTax), "消費税含む    　1,880,298 円");
    EXPECT_EQ(formatPattern(1234.5, kFmtCount), "1,235"); // half away from zero
    EXPECT_EQ(formatPattern(-1234.5, kFmtCount), "-1,235");
    EXPECT_EQ(formatPattern(999.4, kFmtKwh), "999 kWh");
    EXPECT_EQ(formatPattern(0.4, kFmtYen), " 円"); // rounds to 0: only the literal text
    EXPECT_EQ(formatPattern(0, kFmtCount), "");
    EXPECT_EQ(formatPattern(500, kFmtKw), "500 kW ");
    EXPECT_EQ(formatPattern(1e15, kFmtYen), "1,000,000,000,000,000 円");
    EXPECT_EQ(formatPattern(std::numeric_limits<double>::infinity(), kFmtYen), "******** 円");
}

TEST(SjisTest, RoundTripsJapaneseAndRefusesTheUnstorable) {
    const std::string text = "ﾌﾟﾗﾝＡ　夏季～①";
    std::string bytes;
    ASSERT_TRUE(toCp932(text, bytes));
    EXPECT_EQ(fromCp932(bytes).text, text);
    EXPECT_TRUE(fromCp932(bytes).clean);
    EXPECT_FALSE(representableInCp932("𠮷"));
    EXPECT_TRUE(representableInCp932("髙"));
}
