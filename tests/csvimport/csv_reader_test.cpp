#include "csvimport/csv_reader.h"

#include "csvimport/csv_import.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace wattorio;
using namespace wattorio::csvimport;

namespace {

struct Line {
    std::vector<std::string> fields;
    long long count = 0;
};

// Every line of the file with fields first..last.
std::vector<Line> readAllLines(const std::string& path, long long first, long long last,
                               std::size_t cap = kMaxFieldBytes) {
    std::vector<Line> out;
    Result<CsvLineReader> reader = CsvLineReader::open(path);
    EXPECT_TRUE(reader);
    if (!reader)
        return out;
    Line line;
    while (reader->readLine(first, last, line.fields, line.count, cap))
        out.push_back(line);
    return out;
}

} // namespace

TEST(CsvLineReader, LineEndsOfEveryKindAndALastLineWithoutOne) {
    test::TempDir dir;
    dir.write("a.csv", "1,a\r\n2,b\n3,c\r4,d\r\n\r\n5,e");
    const auto lines = readAllLines(dir.file("a.csv"), 1, 2);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0].fields, (std::vector<std::string>{"1", "a"}));
    EXPECT_EQ(lines[1].fields, (std::vector<std::string>{"2", "b"}));
    EXPECT_EQ(lines[2].fields, (std::vector<std::string>{"3", "c"}));
    EXPECT_EQ(lines[3].fields, (std::vector<std::string>{"4", "d"}));
    EXPECT_EQ(lines[4].fields, (std::vector<std::string>{""}));
    EXPECT_EQ(lines[4].count, 1);
    EXPECT_EQ(lines[5].fields, (std::vector<std::string>{"5", "e"}));

    // A file ending in its line end has no empty line after it; an empty file has no line.
    dir.write("b.csv", "x\r\n");
    EXPECT_EQ(readAllLines(dir.file("b.csv"), 1, 1).size(), 1u);
    dir.write("c.csv", "");
    EXPECT_TRUE(readAllLines(dir.file("c.csv"), 1, 1).empty());
    dir.write("d.csv", "x\r");
    EXPECT_EQ(readAllLines(dir.file("d.csv"), 1, 1).size(), 1u);

    // A CR LF split between two blocks of the reader is one line end.
    const std::string first(64 * 1024 - 1, 'a');
    dir.write("e.csv", first + "\r\nb\r\n");
    const auto split = readAllLines(dir.file("e.csv"), 1, 1, 1 << 20);
    ASSERT_EQ(split.size(), 2u);
    EXPECT_EQ(split[0].fields[0], first);
    EXPECT_EQ(split[1].fields[0], "b");
}

TEST(CsvLineReader, KeepsOnlyTheWantedFieldsAndCountsAll) {
    test::TempDir dir;
    dir.write("a.csv", "a,b,c,d,e\r\n,,\r\n");
    const auto lines = readAllLines(dir.file("a.csv"), 2, 3);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].fields, (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(lines[0].count, 4); // counted up to one past the wanted fields
    EXPECT_EQ(lines[1].fields, (std::vector<std::string>{"", ""}));
    EXPECT_EQ(lines[1].count, 3);
}

TEST(CsvLineReader, ByteOrderMarkOnlyAtTheStart) {
    test::TempDir dir;
    dir.write("a.csv", "\xEF\xBB\xBF"
                       "1\r\n\xEF\xBB\xBF"
                       "2\r\n");
    const auto lines = readAllLines(dir.file("a.csv"), 1, 1);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].fields[0], "1");
    EXPECT_EQ(lines[1].fields[0], "\xEF\xBB\xBF"
                                  "2");
}

TEST(CsvLineReader, LongFieldsAreCutAtAWholeShiftJisCharacter) {
    test::TempDir dir;
    // "1" then 10 two-byte characters (あ = 82 A0): a cap of 6 bytes keeps "1" and two of them.
    std::string text = "1";
    for (int i = 0; i < 10; ++i)
        text += "\x82\xA0";
    dir.write("a.csv", text + ",2\r\n");
    const auto lines = readAllLines(dir.file("a.csv"), 1, 2, 6);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].fields[0], "1\x82\xA0\x82\xA0");
    EXPECT_EQ(decodeField(lines[0].fields[0]), "1ああ");
    EXPECT_EQ(lines[0].fields[1], "2");
}

TEST(CsvLineReader, HugeLineAndBinaryBytesStayBoundedAndEnd) {
    test::TempDir dir;
    // One line of 8 MB without a comma, then a binary tail with NUL bytes and no line end.
    {
        std::FILE* f = std::fopen(dir.file("big.csv").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        const std::string block(1 << 20, '7');
        for (int i = 0; i < 8; ++i)
            std::fwrite(block.data(), 1, block.size(), f);
        const char tail[] = "\n\x00\x01\xFF\xFE,\x82";
        std::fwrite(tail, 1, sizeof tail - 1, f);
        std::fclose(f);
    }
    const auto lines = readAllLines(dir.file("big.csv"), 1, 24);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].fields[0].size(), kMaxFieldBytes);
    EXPECT_EQ(lines[1].count, 2);
    EXPECT_EQ(lines[1].fields[0], std::string("\x00\x01\xFF\xFE", 4));

    // Imported with the first field wanted: the capped run of digits is beyond any book value.
    TextGrid grid(366, 28, 1, 3);
    auto r = importCsv(dir.file("big.csv"), {CsvLayout::Vertical, 0, 1, 1, 1, 1}, grid);
    ASSERT_TRUE(r);
    EXPECT_EQ(grid.text(1, 4), "");
    EXPECT_EQ(r->end, CsvEnd::ValueOutOfRange);
    EXPECT_EQ(r->line, 1);
    EXPECT_EQ(r->valuesPlaced, 0);
}

TEST(CsvLineReader, SkippingCountsLines) {
    test::TempDir dir;
    dir.write("a.csv", "a\r\nb\r\nc\r\n");
    Result<CsvLineReader> reader = CsvLineReader::open(dir.file("a.csv"));
    ASSERT_TRUE(reader);
    EXPECT_TRUE(reader->skipLine());
    EXPECT_TRUE(reader->skipLine());
    EXPECT_EQ(reader->lineNumber(), 2);
    std::vector<std::string> f;
    long long n = 0;
    EXPECT_TRUE(reader->readLine(1, 1, f, n, 10));
    EXPECT_EQ(f[0], "c");
    EXPECT_FALSE(reader->skipLine());
}

TEST(CsvLineReader, DecodeFieldLeavesAsciiAndDecodesShiftJis) {
    EXPECT_EQ(decodeField("12.5"), "12.5");
    EXPECT_EQ(decodeField("\x93\x8C\x8B\x9E"), "東京");
    EXPECT_EQ(decodeField(std::string("\xB1", 1)), "ｱ"); // half-width katakana
}
