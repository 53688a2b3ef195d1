#include "tenday/ten_day_file.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <numeric>
#include <sstream>
#include <vector>

namespace wattorio::tenday {
namespace {

using test::TempDir;

std::unique_ptr<AppState> freshState() {
    return std::make_unique<AppState>();
}

std::vector<std::string> crlfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(bytes.substr(start));
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// A book with something in every part of the file: row 0, the unused slots 24 and 25,
// fractions, negatives, large values and the row marker column.
void fillSample(AppState& s) {
    newTenDayBook(s);
    s.DayCode[0] = {"見出し", "ｶﾅ"};
    s.DayMark[0] = {0.5f, -3};
    s.DayCode[7][1] = "11日から20日　特別";
    s.DayMark[7][0] = 8.25f;
    s.DayMark[9][1] = 97;
    for (int r = 0; r <= kTenDayRows; ++r)
        for (int h = 0; h < kHourSlots; ++h)
            s.HourData[h][r] = r * 100.0 + h + (h % 3 == 0 ? 0.5 : 0.0) - (r == 13 ? 5000 : 0);
    s.HourData[24][48] = 1e15;
    s.HourData[25][1] = 0.1;
    s.HourData[3][3] = 123456789.125;
}

TEST(TenDayDefaults, LabelsCountsAndMarker) {
    auto s = freshState();
    s->HourData[5][10] = 42; // the defaults leave the hours alone
    Set_Data(*s);
    EXPECT_EQ(s->DayCode[1][0], "\xEF\xBC\x91月"); // full-width digit one
    for (int r = 1; r <= 4; ++r)
        EXPECT_EQ(s->DayCode[r][0], "１月");
    EXPECT_EQ(s->DayCode[5][0], "2月");
    EXPECT_EQ(s->DayCode[48][0], "12月");
    EXPECT_EQ(s->DayCode[1][1], "1日から10日");
    EXPECT_EQ(s->DayCode[2][1], "11日から20日");
    EXPECT_EQ(s->DayCode[3][1], "21日から31日");
    EXPECT_EQ(s->DayCode[4][1], "休日");
    EXPECT_EQ(s->DayCode[7][1], "21日から28日");  // February
    EXPECT_EQ(s->DayCode[15][1], "21日から30日"); // April
    EXPECT_EQ(s->DayCode[23][1], "21日から30日"); // June
    EXPECT_EQ(s->DayCode[27][1], "21日から31日"); // July
    EXPECT_EQ(s->DayCode[35][1], "21日から30日"); // September
    EXPECT_EQ(s->DayCode[43][1], "21日から30日"); // November
    EXPECT_EQ(s->DayCode[47][1], "21日から31日"); // December

    const int monthLength[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    float year = 0;
    for (int m = 1; m <= 12; ++m) {
        float days = 0;
        for (int r = 4 * m - 3; r <= 4 * m; ++r) {
            EXPECT_EQ(monthOfRow(r), m);
            days += s->DayMark[r][0];
            EXPECT_EQ(s->DayMark[r][1], 98);
        }
        EXPECT_EQ(days, monthLength[m - 1]) << "month " << m;
        year += days;
    }
    EXPECT_EQ(year, 365);
    EXPECT_EQ(s->DayMark[1][0], 6);
    EXPECT_EQ(s->DayMark[4][0], 7);
    EXPECT_EQ(s->DayMark[31][0], 10); // August 21-31
    EXPECT_EQ(s->DayMark[24][0], 4);  // June holidays
    EXPECT_EQ(kindOfRow(4), 4);
    EXPECT_EQ(kindOfRow(45), 1);
    EXPECT_EQ(s->HourData[5][10], 42);
}

TEST(TenDayFile, NewBookWritesTheFullLayout) {
    TempDir dir;
    auto s = freshState();
    s->HourData[0][1] = 77; // left over from another book
    s->DayCode[0] = {"x", "y"};
    newTenDayBook(*s);
    ASSERT_TRUE(saveTenDayBook(*s, dir.file("000003_W.dat")));
    const std::string bytes = dir.read("000003_W.dat");
    const auto lines = crlfLines(bytes);
    ASSERT_EQ(lines.size(), 1470u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    EXPECT_EQ(bytes.find('\n'), bytes.find("\r\n") + 1);
    EXPECT_EQ(lines[0], "\"\"");
    EXPECT_EQ(lines[1], "\"\"");
    EXPECT_EQ(lines[2], "\"\x82P\x8c\x8e\""); // "１月" in Shift_JIS
    EXPECT_EQ(lines[3], "\"1\x93\xfa\x82\xa9\x82\xe7"
                        "10\x93\xfa\"");
    EXPECT_EQ(lines[9], "\"\x8bx\x93\xfa\"");
    EXPECT_EQ(lines[98], "0"); // DayMark row 0
    EXPECT_EQ(lines[99], "0");
    EXPECT_EQ(lines[100], "6"); // January 1-10
    EXPECT_EQ(lines[101], "98");
    EXPECT_EQ(lines[195], "98");
    for (std::size_t i = 196; i < lines.size(); ++i)
        ASSERT_EQ(lines[i], "0") << "line " << i + 1;
}

TEST(TenDayFile, SaveAndReloadAreByteExact) {
    TempDir dir;
    auto a = freshState();
    fillSample(*a);
    ASSERT_TRUE(saveTenDayBook(*a, dir.file("a_W.dat")));

    auto b = freshState();
    b->HourData[0][0] = -1;
    const TenDayLoad load = readTenDayBook(*b, dir.file("a_W.dat"));
    EXPECT_EQ(load.file, BookFile::Loaded);
    for (int r = 0; r <= kTenDayRows; ++r) {
        EXPECT_EQ(b->DayCode[r], a->DayCode[r]) << r;
        EXPECT_EQ(b->DayMark[r], a->DayMark[r]) << r;
        for (int h = 0; h < kHourSlots; ++h)
            ASSERT_EQ(b->HourData[h][r], a->HourData[h][r]) << h << "," << r;
    }
    ASSERT_TRUE(saveTenDayBook(*b, dir.file("b_W.dat")));
    EXPECT_EQ(dir.read("b_W.dat"), dir.read("a_W.dat"));
}

TEST(TenDayFile, MissingFileIsANewBookWithoutLeftovers) {
    TempDir dir;
    auto s = freshState();
    for (int r = 0; r <= kTenDayRows; ++r)
        for (int h = 0; h < kHourSlots; ++h)
            s->HourData[h][r] = 5; // a previous book's readings
    s->DayCode[0] = {"1月", "1"};
    const TenDayLoad load = readTenDayBook(*s, dir.file("none_W.dat"));
    EXPECT_EQ(load.file, BookFile::Missing);
    EXPECT_TRUE(loadTenDayBook(*s, dir.file("none_W.dat")));
    EXPECT_EQ(s->DayCode[0][0], "");
    EXPECT_EQ(s->DayCode[2][1], "11日から20日");
    for (int r = 0; r <= kTenDayRows; ++r)
        for (int h = 0; h < kHourSlots; ++h)
            ASSERT_EQ(s->HourData[h][r], 0);
    EXPECT_FALSE(dir.exists("none_W.dat"));
}

TEST(TenDayFile, DamagedFilesChangeNothingButStartNew) {
    TempDir dir;
    auto good = freshState();
    fillSample(*good);
    const std::string whole = *tenDayBookBytes(*good);
    const auto lines = crlfLines(whole);

    auto join = [](const std::vector<std::string>& ls) {
        std::string t;
        for (const auto& l : ls)
            t += l + "\r\n";
        return t;
    };
    std::vector<std::string> shortFile(lines.begin(), lines.begin() + 1000);
    std::vector<std::string> wordInNumbers = lines;
    wordInNumbers[500] = "abc";
    std::vector<std::string> quotedNumber = lines;
    quotedNumber[150] = "\"6\"";
    std::vector<std::string> hugeHour = lines, overflowHour = lines, hugeDays = lines;
    hugeHour[500] = "1E+308";
    overflowHour[500] = "1E+400";
    hugeDays[150] = "1E+308";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"huge hour", join(hugeHour)},
        {"overflowing hour", join(overflowHour)},
        {"huge day count", join(hugeDays)},
        {"short", join(shortFile)},
        {"word", join(wordInNumbers)},
        {"quoted", join(quotedNumber)},
        {"empty", ""},
        {"binary", std::string("\x82\x22\xFF\xFF", 4) + whole},
    };
    for (const auto& [name, bytes] : cases) {
        dir.write(name + "_W.dat", bytes);
        auto s = freshState();
        s->HourData[3][3] = 9;
        const TenDayLoad load = readTenDayBook(*s, dir.file(name + "_W.dat"));
        EXPECT_EQ(load.file, BookFile::Damaged) << name;
        EXPECT_FALSE(load.detail.empty()) << name;
        EXPECT_EQ(s->HourData[3][3], 0) << name;
        EXPECT_EQ(s->DayCode[1][0], "１月") << name;
        const Status st = loadTenDayBook(*s, dir.file(name + "_W.dat"));
        ASSERT_FALSE(st) << name;
        EXPECT_NE(st.error().message.find(dir.file(name + "_W.dat")), std::string::npos);
        EXPECT_EQ(dir.read(name + "_W.dat"), bytes) << name; // reading never touches the file
    }
}

TEST(TenDayFile, UnstorableLabelsRefuseTheSaveAndKeepTheOldFile) {
    TempDir dir;
    auto s = freshState();
    newTenDayBook(*s);
    ASSERT_TRUE(saveTenDayBook(*s, dir.file("s_W.dat")));
    const std::string before = dir.read("s_W.dat");

    s->DayCode[5][0] = "2\"月";
    Status st = saveTenDayBook(*s, dir.file("s_W.dat"));
    ASSERT_FALSE(st);
    EXPECT_NE(st.error().message.find(dir.file("s_W.dat")), std::string::npos);
    EXPECT_NE(st.error().message.find("5 行目"), std::string::npos);

    s->DayCode[5][0] = "2月😀";
    st = saveTenDayBook(*s, dir.file("s_W.dat"));
    ASSERT_FALSE(st);
    EXPECT_NE(st.error().message.find(dir.file("s_W.dat")), std::string::npos);
    EXPECT_EQ(dir.read("s_W.dat"), before);

    s->DayCode[5][0] = "2月";
    st = saveTenDayBook(*s, dir.file("no such folder/s_W.dat"));
    ASSERT_FALSE(st);
    EXPECT_NE(st.error().message.find("no such folder/s_W.dat"), std::string::npos);
}

} // namespace
} // namespace wattorio::tenday
