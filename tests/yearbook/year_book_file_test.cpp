// The "_Y.dat" file: layout, round trip, and what a damaged or unusual file gives.

#include "app/sjis.h"
#include "support/temp_dir.h"
#include "yearbook/year_book_file.h"

#include <gtest/gtest.h>

#include <cmath>

#include <memory>
#include <sstream>
#include <vector>

using namespace wattorio;
using namespace wattorio::yearbook;
using wattorio::test::TempDir;

namespace {

std::vector<std::string> linesOf(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(bytes.substr(start));
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::string joinCrLf(const std::vector<std::string>& lines, const char* end = "\r\n") {
    std::string out;
    for (const std::string& l : lines)
        out += l + end;
    return out;
}

// Line index (0-based) of DayMark(r, c) and HourData(h, r) in the file.
int dayMarkLine(int r, int c) {
    return 732 + 2 * r + c;
}
int hourLine(int h, int r) {
    return 1464 + 26 * r + h;
}

// A book with a value in every slot, row 0 and the hidden hour slots 24 and 25 included.
std::unique_ptr<AppState> filledBook() {
    auto s = std::make_unique<AppState>();
    newYearBook(*s);
    s->DayCode[0] = {"見出し", "行0"};
    for (int r = 0; r <= 365; ++r) {
        s->DayMark[r][0] = static_cast<float>(r % 3);
        s->DayMark[r][1] = r == 7 ? 98.5f : 0.0f;
        for (int h = 0; h < 26; ++h)
            s->HourData[h][r] = (r * 26 + h) % 7 == 0 ? 0.0 : (r * 26 + h) * 0.25 + 1.0 / 3.0;
    }
    s->HourData[24][0] = -5;
    s->HourData[25][365] = 1e15; // the largest value a book holds
    return s;
}

bool sameTables(const AppState& a, const AppState& b) {
    for (int r = 0; r <= 365; ++r) {
        if (a.DayCode[r] != b.DayCode[r] || a.DayMark[r] != b.DayMark[r])
            return false;
        for (int h = 0; h < 26; ++h)
            if (a.HourData[h][r] != b.HourData[h][r])
                return false;
    }
    return true;
}

} // namespace

TEST(YearBookFile, NewBookHasTheDatesOfAYearWithout29February) {
    auto s = std::make_unique<AppState>();
    s->HourData[3][10] = 7;
    s->DayMark[5][1] = 3;
    newYearBook(*s);
    EXPECT_EQ(s->DayCode[0][0], "");
    EXPECT_EQ(s->DayCode[0][1], "");
    EXPECT_EQ(s->DayCode[1][0], "1月");
    EXPECT_EQ(s->DayCode[1][1], "1");
    EXPECT_EQ(s->DayCode[59][0], "2月");
    EXPECT_EQ(s->DayCode[59][1], "28");
    EXPECT_EQ(s->DayCode[60][0], "3月");
    EXPECT_EQ(s->DayCode[60][1], "1");
    EXPECT_EQ(s->DayCode[182][0], "7月");
    EXPECT_EQ(s->DayCode[273][1], "30");
    EXPECT_EQ(s->DayCode[365][0], "12月");
    EXPECT_EQ(s->DayCode[365][1], "31");
    EXPECT_EQ(s->HourData[3][10], 0);
    EXPECT_EQ(s->DayMark[5][1], 0);
}

TEST(YearBookFile, NewBookIsWrittenAs10980LinesInFileOrder) {
    TempDir dir;
    auto s = std::make_unique<AppState>();
    newYearBook(*s);
    s->DayMark[2][0] = 1;
    s->HourData[5][2] = 12.5;
    s->HourData[25][365] = 3;
    ASSERT_TRUE(saveYearBook(*s, dir.file("000001_Y.dat")));
    const std::string bytes = dir.read("000001_Y.dat");
    ASSERT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    const std::vector<std::string> lines = linesOf(bytes);
    ASSERT_EQ(lines.size(), 10980u);
    EXPECT_EQ(lines[0], "\"\"");
    EXPECT_EQ(lines[1], "\"\"");
    std::string month;
    ASSERT_TRUE(toCp932("\"1月\"", month));
    EXPECT_EQ(lines[2], month);
    EXPECT_EQ(lines[3], "\"1\"");
    EXPECT_EQ(lines[dayMarkLine(2, 0)], "1");
    EXPECT_EQ(lines[dayMarkLine(2, 1)], "0");
    EXPECT_EQ(lines[hourLine(5, 2)], "12.5");
    EXPECT_EQ(lines[hourLine(25, 365)], "3");
    EXPECT_EQ(lines.back(), "3");
}

TEST(YearBookFile, SavedBookReloadsTableForTableAndByteForByte) {
    TempDir dir;
    auto original = filledBook();
    const std::string path = dir.file("000009_Y.dat");
    ASSERT_TRUE(saveYearBook(*original, path));
    auto loaded = std::make_unique<AppState>();
    BookFileState outcome = BookFileState::Missing;
    ASSERT_TRUE(loadYearBook(*loaded, path, &outcome));
    EXPECT_EQ(outcome, BookFileState::Read);
    EXPECT_TRUE(sameTables(*original, *loaded));
    EXPECT_EQ(loaded->DayCode[0][0], "見出し");
    EXPECT_EQ(loaded->HourData[24][0], -5);
    EXPECT_EQ(loaded->HourData[25][365], 1e15);
    const std::string first = dir.read("000009_Y.dat");
    ASSERT_TRUE(saveYearBook(*loaded, path));
    EXPECT_EQ(dir.read("000009_Y.dat"), first);
}

TEST(YearBookFile, RowsBeyondTheBookAreLeftAlone) {
    TempDir dir;
    auto s = filledBook();
    ASSERT_TRUE(saveYearBook(*s, dir.file("b_Y.dat")));
    auto other = std::make_unique<AppState>();
    other->HourData[0][366] = 4;
    other->DayCode[370][0] = "x";
    ASSERT_TRUE(loadYearBook(*other, dir.file("b_Y.dat")));
    EXPECT_EQ(other->HourData[0][366], 4);
    EXPECT_EQ(other->DayCode[370][0], "x");
}

TEST(YearBookFile, UnusualButReadableNumbersAreKept) {
    // LF line ends, numbers without a digit before the point, negative and exponent forms,
    // blank padding around bare numbers: all of it is a readable book.
    TempDir dir;
    auto s = std::make_unique<AppState>();
    newYearBook(*s);
    Result<std::string> bytes = yearBookBytes(*s);
    ASSERT_TRUE(bytes);
    std::vector<std::string> lines = linesOf(*bytes);
    lines[dayMarkLine(10, 0)] = " 2 ";
    lines[dayMarkLine(10, 1)] = "-5";
    lines[hourLine(0, 1)] = ".5";
    lines[hourLine(1, 1)] = "-5";
    lines[hourLine(2, 1)] = "1E+15";
    lines[hourLine(3, 1)] = "1.5e-3";
    lines[hourLine(4, 1)] = "+7";
    dir.write("lf_Y.dat", joinCrLf(lines, "\n"));
    auto loaded = std::make_unique<AppState>();
    BookFileState outcome = BookFileState::Missing;
    ASSERT_TRUE(loadYearBook(*loaded, dir.file("lf_Y.dat"), &outcome));
    EXPECT_EQ(outcome, BookFileState::Read);
    EXPECT_EQ(loaded->DayMark[10][0], 2);
    EXPECT_EQ(loaded->DayMark[10][1], -5);
    EXPECT_EQ(loaded->HourData[0][1], 0.5);
    EXPECT_EQ(loaded->HourData[1][1], -5);
    EXPECT_EQ(loaded->HourData[2][1], 1e15);
    EXPECT_EQ(loaded->HourData[3][1], 0.0015);
    EXPECT_EQ(loaded->HourData[4][1], 7);
    EXPECT_EQ(loaded->DayCode[365][0], "12月");
    // Written back in the program's own form.
    ASSERT_TRUE(saveYearBook(*loaded, dir.file("lf_Y.dat")));
    const std::vector<std::string> again = linesOf(dir.read("lf_Y.dat"));
    ASSERT_EQ(again.size(), 10980u);
    EXPECT_EQ(again[hourLine(0, 1)], "0.5");
    EXPECT_EQ(again[hourLine(2, 1)], "1E+15");
}

TEST(YearBookFile, DamagedFilesLeaveTheTablesUntouched) {
    TempDir dir;
    auto good = filledBook();
    Result<std::string> bytes = yearBookBytes(*good);
    ASSERT_TRUE(bytes);
    const std::vector<std::string> lines = linesOf(*bytes);

    struct Case {
        const char* name;
        std::string content;
    };
    std::vector<Case> cases;
    {
        std::vector<std::string> cut(lines.begin(), lines.begin() + 5000);
        cases.push_back({"truncated", joinCrLf(cut)});
    }
    {
        std::vector<std::string> l = lines;
        l[hourLine(3, 100)] = "abc";
        cases.push_back({"text for a reading", joinCrLf(l)});
    }
    {
        std::vector<std::string> l = lines;
        l[dayMarkLine(4, 0)] = "\"1\"";
        cases.push_back({"quoted day class", joinCrLf(l)});
    }
    {
        std::vector<std::string> l = lines;
        l[dayMarkLine(4, 0)] = "1E+300";
        cases.push_back({"day class beyond single precision", joinCrLf(l)});
    }
    for (const char* beyond : {"1E+400", "1E+308", "-1.000001E+15"}) {
        std::vector<std::string> l = lines;
        l[hourLine(0, 0)] = beyond;
        cases.push_back({"reading beyond the book range", joinCrLf(l)});
    }
    {
        std::vector<std::string> l = lines;
        l[hourLine(5, 5)] = "1\x85";
        cases.push_back({"stray byte in a number", joinCrLf(l)});
    }
    {
        std::vector<std::string> l = lines;
        l[7] = "\"unterminated";
        cases.push_back({"unterminated quote", joinCrLf(l)});
    }
    cases.push_back({"empty", ""});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dir.write("bad_Y.dat", c.content);
        auto s = std::make_unique<AppState>();
        s->HourData[3][100] = 42;
        s->DayCode[1][0] = "keep";
        BookFileState outcome = BookFileState::Read;
        const Status st = loadYearBook(*s, dir.file("bad_Y.dat"), &outcome);
        EXPECT_FALSE(st);
        EXPECT_EQ(outcome, BookFileState::Damaged);
        EXPECT_FALSE(st.error().message.empty());
        EXPECT_EQ(s->HourData[3][100], 42);
        EXPECT_EQ(s->DayCode[1][0], "keep");
    }
}

TEST(YearBookFile, ValuesBeyondTheBookRangeAreNeverWritten) {
    TempDir dir;
    auto s = std::make_unique<AppState>();
    newYearBook(*s);
    ASSERT_TRUE(saveYearBook(*s, dir.file("r_Y.dat")));
    const std::string before = dir.read("r_Y.dat");
    for (const double beyond : {HUGE_VAL, -2e15, std::nan("")}) {
        s->HourData[7][32] = beyond;
        const Status st = saveYearBook(*s, dir.file("r_Y.dat"));
        ASSERT_FALSE(st);
        EXPECT_NE(st.error().message.find("2月1日 7時"), std::string::npos) << st.error().message;
        EXPECT_EQ(dir.read("r_Y.dat"), before);
    }
}

TEST(YearBookFile, MissingFileIsToldApartFromADamagedOne) {
    TempDir dir;
    auto s = std::make_unique<AppState>();
    BookFileState outcome = BookFileState::Read;
    EXPECT_FALSE(loadYearBook(*s, dir.file("none_Y.dat"), &outcome));
    EXPECT_EQ(outcome, BookFileState::Missing);
}

TEST(YearBookFile, LabelsWithBytesThatAreNotShiftJisAreRepairedAndTheValuesKept) {
    TempDir dir;
    auto good = filledBook();
    good->HourData[7][40] = 123;
    Result<std::string> bytes = yearBookBytes(*good);
    ASSERT_TRUE(bytes);
    std::vector<std::string> lines = linesOf(*bytes);
    lines[2 * 40] = "\"\x85\x86\""; // DayCode(40, 0)
    lines[2 * 0 + 1] = "\"\xFD\"";  // DayCode(0, 1)
    dir.write("sj_Y.dat", joinCrLf(lines));
    auto s = std::make_unique<AppState>();
    BookFileState outcome = BookFileState::Read;
    ASSERT_TRUE(loadYearBook(*s, dir.file("sj_Y.dat"), &outcome));
    EXPECT_EQ(outcome, BookFileState::Repaired);
    EXPECT_EQ(s->DayCode[40][0], "2月");
    EXPECT_EQ(s->DayCode[0][1], "");
    EXPECT_EQ(s->HourData[7][40], 123);
    // The repaired book can be saved again.
    EXPECT_TRUE(saveYearBook(*s, dir.file("sj2_Y.dat")));
}

TEST(YearBookFile, SaveThatCannotWriteKeepsTheOldFileAndNamesIt) {
    TempDir dir;
    auto s = filledBook();
    // A folder that does not exist.
    const std::string nowhere = dir.file("missing-folder/000001_Y.dat");
    Status st = saveYearBook(*s, nowhere);
    ASSERT_FALSE(st);
    EXPECT_NE(st.error().message.find(nowhere), std::string::npos);

    // A label that Shift_JIS cannot hold: the old file stays as it was.
    const std::string path = dir.file("000002_Y.dat");
    ASSERT_TRUE(saveYearBook(*s, path));
    const std::string before = dir.read("000002_Y.dat");
    s->DayCode[3][0] = "\xF0\x9F\x98\x80"; // an emoji
    st = saveYearBook(*s, path);
    ASSERT_FALSE(st);
    EXPECT_NE(st.error().message.find(path), std::string::npos);
    EXPECT_EQ(dir.read("000002_Y.dat"), before);
}
