#include "app/number_input.h"
#include "app/numtext.h"

#include <gtest/gtest.h>

using namespace wattorio;

TEST(AsciiNumberTextTest, FullWidthNumbersBecomeAscii) {
    const struct {
        const char* typed;
        const char* ascii;
    } cases[] = {
        {"１２．５", "12.5"},
        {"１５００", "1500"},
        {"－３", "-3"},
        {"−３", "-3"},
        {"＋７", "+7"},
        {"１，５００", "1,500"},
        {"１２。５", "12.5"},
        {"０９", "09"},
        {"12.5", "12.5"},
        {"", ""},
        {"本社１号館", "本社1号館"},
        {"ｋＷ", "ｋＷ"},
        {"\xEF\xBC", "\xEF\xBC"}, // a cut-off character is kept as it is
    };
    for (const auto& c : cases)
        EXPECT_EQ(asciiNumberText(c.typed), c.ascii) << c.typed;
    EXPECT_DOUBLE_EQ(val(asciiNumberText("１２．５")), 12.5);
}

TEST(ReadingTextTest, DigitsAndOnePointOnly) {
    for (const char* ok : {"", "12", "12.", ".5", "123.5", "0"})
        EXPECT_TRUE(isReadingText(ok)) << ok;
    for (const char* bad : {"1.2.3", "-5", "+5", "1 2", "1,234", "12a", "１２"})
        EXPECT_FALSE(isReadingText(bad)) << bad;
}
