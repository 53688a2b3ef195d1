#include "app/listwrite.h"
#include "app/numtext.h"
#include "app/sjis.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace wattorio;

TEST(ListWriteTest, WritesQuotedStringsAndBareNumbersWithCrLf) {
    ListWriter w;
    w.writeString("1月");
    w.writeString("");
    w.writeNumber(0.5);
    w.writeNumber(12.0);
    w.writeNumber(-3.25f);
    w.writeStrings({"9時", "17時", "500", "", "30"});
    EXPECT_EQ(w.utf8(), "\"1月\"\r\n\"\"\r\n0.5\r\n12\r\n-3.25\r\n\"9時\",\"17時\",\"500\",\"\",\"30\"\r\n");
    Result<std::string> bytes = w.bytes();
    ASSERT_TRUE(bytes.ok());
    // "1月" in Shift_JIS: 0x31 0x8C 0x8E.
    EXPECT_EQ(bytes->substr(0, 5), std::string("\"1\x8C\x8E\"", 5));
}

TEST(ListWriteTest, RefusesTextThatShiftJisCannotHold) {
    ListWriter w;
    w.writeString("ok");
    w.writeString("emoji 😀");
    Result<std::string> bytes = w.bytes();
    ASSERT_FALSE(bytes.ok());
    EXPECT_NE(bytes.error().message.find("2 行目"), std::string::npos);
}

TEST(ListReadTest, ReadsQuotedAndBareFieldsAcrossLinesAndCommas) {
    ListReader r("\"a,b\",\"\"\r\n.5, -5 ,1E+300\n\"last\"");
    EXPECT_EQ(*r.nextString(), "a,b");
    EXPECT_EQ(*r.nextString(), "");
    EXPECT_DOUBLE_EQ(*r.nextNumber(), 0.5);
    EXPECT_DOUBLE_EQ(*r.nextNumber(), -5);
    EXPECT_DOUBLE_EQ(*r.nextNumber(), 1e300);
    EXPECT_EQ(*r.nextString(), "last");
    EXPECT_TRUE(r.atEnd());
    Result<ListField> past = r.next();
    EXPECT_FALSE(past.ok());
}

TEST(ListReadTest, ErrorsNameTheLineAndNeverThrow) {
    ListReader unterminated("\"one\"\r\n\"two");
    EXPECT_TRUE(unterminated.next().ok());
    Result<ListField> bad = unterminated.next();
    ASSERT_FALSE(bad.ok());
    EXPECT_EQ(bad.error().message.rfind("2 行目", 0), 0u);

    ListReader text("12\r\nabc\r\n\"7\"\r\n");
    EXPECT_TRUE(text.nextNumber().ok());
    EXPECT_FALSE(text.nextNumber().ok()); // text where a number belongs
    EXPECT_FALSE(text.nextNumber().ok()); // a quoted field is not a number
}

TEST(ListReadTest, DecodesShiftJisAndFlagsForeignBytes) {
    ListReader ok = ListReader::fromBytes(std::string("\"\x93\x8C\x8B\x9E\"\r\n", 8)); // "東京"
    EXPECT_EQ(*ok.nextString(), "東京");
    EXPECT_TRUE(ok.clean());
    ListReader bad = ListReader::fromBytes(std::string("\"\x81\x20\xFF\"\r\n", 7));
    EXPECT_TRUE(bad.nextString().ok());
    EXPECT_FALSE(bad.clean());
}

TEST(ListRoundTripTest, NumbersReadBackExactly) {
    const double values[] = {0, 0.1, 1.0 / 3, 123456789.125, -0.000123, 1e300, 5e-324, 65535.5};
    ListWriter w;
    for (double v : values)
        w.writeNumber(v);
    ListReader r = ListReader::fromBytes(*w.bytes());
    for (double v : values)
        EXPECT_EQ(*r.nextNumber(), v);
    const float singles[] = {0.1f, 2.5f, 16777216.0f, 3.4e38f};
    ListWriter ws;
    for (float v : singles)
        ws.writeNumber(v);
    ListReader rs = ListReader::fromBytes(*ws.bytes());
    for (float v : singles)
        EXPECT_EQ(static_cast<float>(*rs.nextNumber()), v);
}
