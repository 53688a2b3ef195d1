#include "csvimport/csv_import.h"

#include "app/numtext.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <vector>

using namespace wattorio;
using namespace wattorio::csvimport;

namespace {

TextGrid bookGrid() {
    return TextGrid(366, 28, 1, 3);
}

CsvImportOptions vertical(int skip, int column, int month, int day, int days) {
    return {CsvLayout::Vertical, skip, column, month, day, days};
}
CsvImportOptions horizontal(int skip, int column, int month, int day, int days) {
    return {CsvLayout::Horizontal, skip, column, month, day, days};
}

// n lines "prefix<i>" joined with `eol`.
std::string lines(int n, const std::string& prefix, const std::string& eol = "\r\n", int first = 1) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += prefix + std::to_string(first + i) + eol;
    return s;
}

// A day line of `values` values v<first>, v<first+1>, ... after the given leading fields.
std::string dayLine(const std::string& lead, int values, int first) {
    std::string s = lead;
    for (int i = 0; i < values; ++i) {
        if (i > 0)
            s += ',';
        s += std::to_string(first + i);
    }
    return s + "\r\n";
}

class CsvImport : public ::testing::Test {
protected:
    Result<CsvImportOutcome> run(const std::string& bytes, const CsvImportOptions& options) {
        dir.write("in.csv", bytes);
        return importCsv(dir.file("in.csv"), options, grid);
    }
    std::vector<std::string> hours(int row) const {
        std::vector<std::string> v;
        for (int c = 4; c < 28; ++c)
            v.push_back(grid.text(row, c));
        return v;
    }
    test::TempDir dir;
    TextGrid grid = bookGrid();
};

} // namespace

TEST(CsvDates, StartRowFromMonthOffsetAndDay) {
    EXPECT_EQ(*startRowOf(1, 1), 1);
    EXPECT_EQ(*startRowOf(3, 1), 60);
    EXPECT_EQ(*startRowOf(4, 1), 91);
    EXPECT_EQ(*startRowOf(12, 31), 365);
    // No day chosen: the first of the month.
    EXPECT_EQ(*startRowOf(7, 0), 182);
    EXPECT_FALSE(startRowOf(2, 29));
    EXPECT_FALSE(startRowOf(0, 1));
    EXPECT_FALSE(startRowOf(13, 1));
    EXPECT_FALSE(startRowOf(4, 31));
}

TEST_F(CsvImport, VerticalOneFieldLinesAreTakenWholeAndUntrimmed) {
    std::string file = " 12 \r\n\"34\"\r\n5.5kWh\r\n\r\n" + lines(20, "");
    auto r = run(file, vertical(0, 1, 1, 1, 1));
    ASSERT_TRUE(r);
    EXPECT_EQ(grid.text(1, 4), " 12 ");
    EXPECT_EQ(grid.text(1, 5), "\"34\""); // a quoted number stays quoted and reads as 0
    EXPECT_EQ(val(grid.text(1, 5)), 0);
    EXPECT_EQ(grid.text(1, 6), "5.5kWh");
    EXPECT_EQ(grid.text(1, 7), ""); // an empty line is an empty value
    EXPECT_EQ(grid.text(1, 8), "1");
    EXPECT_EQ(grid.text(1, 27), "20");
    EXPECT_EQ(r->daysPlaced, 1);
    EXPECT_EQ(r->valuesPlaced, 24);
    EXPECT_FALSE(r->endedEarly);
    EXPECT_EQ(r->end, CsvEnd::Complete);
    EXPECT_EQ(grid.text(2, 4), "");
}

TEST_F(CsvImport, VerticalWantedFieldIsTheRestOfTheLineOrTheTextBeforeTheNextComma) {
    std::string file = "head\r\n";
    file += "a,1,x\r\n";       // before the next comma
    file += "a,2\r\n";         // the rest of the line
    file += "a, 3 ,\r\n";      // spaces kept
    file += "a,\r\n";          // an empty rest
    file += "a,\"5,6\",7\r\n"; // no quoting: the comma inside quotes separates
    file += lines(19, "d,");
    auto r = run(file, vertical(1, 2, 2, 1, 1));
    ASSERT_TRUE(r);
    EXPECT_EQ(grid.text(32, 4), "1");
    EXPECT_EQ(grid.text(32, 5), "2");
    EXPECT_EQ(grid.text(32, 6), " 3 ");
    EXPECT_EQ(grid.text(32, 7), "");
    EXPECT_EQ(grid.text(32, 8), "\"5");
    EXPECT_EQ(grid.text(32, 9), "1");
    EXPECT_EQ(grid.text(32, 27), "19");
    EXPECT_EQ(r->end, CsvEnd::Complete);
}

TEST_F(CsvImport, VerticalLineWithTooFewFieldsEndsTheImportKeepingEarlierValues) {
    // Day 1 complete, then two hours of day 2, then a line without the comma before field 3.
    std::string file = lines(24, "x,y,") + "x,y,100\r\n" + "x,y,101\r\n" + "x,y\r\n" + lines(30, "x,y,");
    auto r = run(file, vertical(0, 3, 1, 1, 3));
    ASSERT_TRUE(r);
    EXPECT_EQ(grid.text(1, 27), "24");
    EXPECT_EQ(grid.text(2, 4), "100");
    EXPECT_EQ(grid.text(2, 5), "101");
    EXPECT_EQ(grid.text(2, 6), "");
    EXPECT_EQ(grid.text(3, 4), "");
    EXPECT_TRUE(r->endedEarly);
    EXPECT_EQ(r->end, CsvEnd::TooFewFields);
    EXPECT_EQ(r->line, 27);
    EXPECT_EQ(r->daysPlaced, 1);
    EXPECT_EQ(r->partHours, 2);
    EXPECT_EQ(r->valuesPlaced, 26);
    EXPECT_EQ(r->lastRow, 2);
    EXPECT_EQ(earlyEndNote(*r), "27 行目の項目が足りないため、読み込んだのは 1 日分と 2 時間分です。");
}

TEST_F(CsvImport, SkippedLinesAndFileEndInTheMiddleOfADay) {
    std::string file = "title\nblank follows\n\n" + lines(30, "", "\n");
    auto r = run(file, vertical(3, 1, 4, 2, 5));
    ASSERT_TRUE(r);
    EXPECT_EQ(grid.text(92, 4), "1");
    EXPECT_EQ(grid.text(92, 27), "24");
    EXPECT_EQ(grid.text(93, 4), "25");
    EXPECT_EQ(grid.text(93, 9), "30");
    EXPECT_EQ(grid.text(93, 10), "");
    EXPECT_EQ(r->end, CsvEnd::EndOfFile);
    EXPECT_EQ(r->daysPlaced, 1);
    EXPECT_EQ(r->partHours, 6);
    EXPECT_EQ(earlyEndNote(*r), "ファイルの終わりに達したため、読み込んだのは 1 日分と 6 時間分です。");

    // The file ends among the lines to skip.
    grid = bookGrid();
    r = run("a\r\nb\r\n", vertical(5, 1, 1, 1, 1));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->end, CsvEnd::EndOfFile);
    EXPECT_EQ(r->valuesPlaced, 0);
}

TEST_F(CsvImport, DayCountZeroPlacesNothingAndIsNoEarlyEnd) {
    for (const CsvImportOptions& o : {vertical(0, 1, 1, 1, 0), horizontal(0, 1, 1, 1, 0)}) {
        auto r = run(lines(48, ""), o);
        ASSERT_TRUE(r);
        EXPECT_EQ(r->valuesPlaced, 0);
        EXPECT_FALSE(r->endedEarly);
        EXPECT_EQ(earlyEndNote(*r), "");
    }
    EXPECT_EQ(grid.text(1, 4), "");
    // An empty file with nothing to read is no early end either.
    auto r = run("", vertical(3, 1, 1, 1, 0));
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->endedEarly);
}

TEST_F(CsvImport, StartOn25DecemberStopsAtTheYearsEnd) {
    // Vertical: 10 days requested, rows 359..365 filled, the eighth day is never read.
    auto r = run(lines(240, ""), vertical(0, 1, 12, 25, 10));
    ASSERT_TRUE(r);
    EXPECT_EQ(grid.text(358, 4), "");
    EXPECT_EQ(grid.text(359, 4), "1");
    EXPECT_EQ(grid.text(365, 27), "168");
    EXPECT_EQ(r->daysPlaced, 7);
    EXPECT_EQ(r->end, CsvEnd::PastYearEnd);
    EXPECT_EQ(r->lastRow, 365);
    EXPECT_EQ(earlyEndNote(*r), "12月31日に達したため、読み込んだのは 7 日分です。");

    grid = bookGrid();
    std::string file;
    for (int d = 0; d < 10; ++d)
        file += dayLine("", 24, d * 100);
    r = run(file, horizontal(0, 1, 12, 25, 10));
    ASSERT_TRUE(r);
    EXPECT_EQ(grid.text(359, 4), "0");
    EXPECT_EQ(grid.text(365, 4), "600");
    EXPECT_EQ(grid.text(365, 27), "623");
    EXPECT_EQ(r->daysPlaced, 7);
    EXPECT_EQ(r->end, CsvEnd::PastYearEnd);
}

TEST_F(CsvImport, NoDayChosenStartsOnTheFirstOfTheMonth) {
    auto r = run(lines(24, ""), vertical(0, 1, 3, 0, 1));
    ASSERT_TRUE(r);
    EXPECT_EQ(grid.text(60, 4), "1");
    EXPECT_EQ(grid.text(60, 27), "24");
}

TEST_F(CsvImport, ImpossibleDateOrMissingFilePlacesNothing) {
    dir.write("in.csv", lines(24, ""));
    EXPECT_FALSE(importCsv(dir.file("in.csv"), vertical(0, 1, 2, 30, 1), grid));
    auto missing = importCsv(dir.file("none.csv"), vertical(0, 1, 1, 1, 1), grid);
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.error().message.find("none.csv"), std::string::npos);
    // A folder is no file either.
    EXPECT_FALSE(importCsv(dir.path(), vertical(0, 1, 1, 1, 1), grid));
    EXPECT_FALSE(importCsv("", vertical(0, 1, 1, 1, 1), grid));
    for (int c = 4; c < 28; ++c)
        EXPECT_EQ(grid.text(1, c), "");
}

TEST_F(CsvImport, HorizontalTakesTwentyFourValuesAfterTheLeadingFields) {
    std::string file = "No,月,日,0時\r\n";
    file += dayLine("1,1月,1,", 30, 100); // values beyond the 24th are ignored
    file += dayLine("2,1月,2,", 24, 200); // the 24th is the rest of the line
    file += "3,1月,3," + std::string("a,,\"7\", 8 ") + std::string(20, ',') + "\r\n";
    auto r = run(file, horizontal(1, 4, 1, 1, 3));
    ASSERT_TRUE(r);
    EXPECT_EQ(hours(1).front(), "100");
    EXPECT_EQ(hours(1).back(), "123");
    EXPECT_EQ(hours(2).front(), "200");
    EXPECT_EQ(hours(2).back(), "223");
    EXPECT_EQ(grid.text(3, 4), "a");
    EXPECT_EQ(grid.text(3, 5), "");
    EXPECT_EQ(grid.text(3, 6), "\"7\"");
    EXPECT_EQ(grid.text(3, 7), " 8 ");
    EXPECT_EQ(grid.text(3, 27), "");
    EXPECT_EQ(r->daysPlaced, 3);
    EXPECT_EQ(r->end, CsvEnd::Complete);
    // The label columns are not touched.
    EXPECT_EQ(grid.text(1, 1), "");
}

TEST_F(CsvImport, HorizontalShortLinesEndTheImport) {
    // 23 values: the 23rd has no comma after it and is not the last wanted.
    auto r = run(dayLine("", 24, 0) + dayLine("", 23, 100) + dayLine("", 24, 200), horizontal(0, 1, 1, 1, 3));
    ASSERT_TRUE(r);
    EXPECT_EQ(grid.text(2, 4), "100");
    EXPECT_EQ(grid.text(2, 25), "121"); // 22 values placed
    EXPECT_EQ(grid.text(2, 26), "");
    EXPECT_EQ(grid.text(3, 4), "");
    EXPECT_EQ(r->end, CsvEnd::TooFewFields);
    EXPECT_EQ(r->line, 2);
    EXPECT_EQ(r->partHours, 22);

    // Too few leading fields: nothing of that day is placed.
    grid = bookGrid();
    r = run(dayLine("a,b,", 24, 0) + "a,b\r\n", horizontal(0, 3, 1, 1, 2));
    ASSERT_TRUE(r);
    EXPECT_EQ(grid.text(1, 27), "23");
    EXPECT_EQ(grid.text(2, 4), "");
    EXPECT_EQ(r->daysPlaced, 1);
    EXPECT_EQ(r->partHours, 0);
    EXPECT_EQ(r->end, CsvEnd::TooFewFields);
}

TEST_F(CsvImport, ColumnZeroActsAsTheFirstField) {
    auto r = run(dayLine("", 24, 5), horizontal(0, 0, 1, 1, 1));
    ASSERT_TRUE(r);
    EXPECT_EQ(grid.text(1, 4), "5");
    grid = bookGrid();
    r = run(lines(24, "", "\r\n", 7), vertical(0, 0, 1, 1, 1));
    ASSERT_TRUE(r);
    EXPECT_EQ(grid.text(1, 4), "7");
}

TEST_F(CsvImport, ShiftJisTextAndByteOrderMark) {
    // "１２" in Shift_JIS (full-width digits), then a BOM that only counts at the start.
    std::string file = "\xEF\xBB\xBF"
                       "date,値\r\n";
    file += "x,\x82\x50\x82\x51\r\n";
    file += lines(23, "x,");
    auto r = run(file, vertical(1, 2, 1, 1, 1));
    ASSERT_TRUE(r);
    EXPECT_EQ(grid.text(1, 4), "１２");
    EXPECT_EQ(grid.text(1, 5), "1");

    // With a BOM and no line to skip, the first value is clean.
    grid = bookGrid();
    r = run("\xEF\xBB\xBF"
            "42\r\n" +
                lines(23, ""),
            vertical(0, 1, 1, 1, 1));
    ASSERT_TRUE(r);
    EXPECT_EQ(grid.text(1, 4), "42");
}

TEST_F(CsvImport, ProgressIsReportedPerDay) {
    dir.write("in.csv", lines(72, ""));
    std::vector<std::pair<int, int>> seen;
    auto r = importCsv(dir.file("in.csv"), vertical(0, 1, 1, 1, 3), grid,
                       [&](int done, int wanted) { seen.emplace_back(done, wanted); });
    ASSERT_TRUE(r);
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
}

TEST_F(CsvImport, OneGridChangeIsReportedForTheWholeImport) {
    int changes = 0;
    grid.setListener([&](int, int, int, int) { ++changes; });
    auto r = run(lines(240, ""), vertical(0, 1, 1, 1, 10));
    ASSERT_TRUE(r);
    EXPECT_EQ(changes, 1);
}

TEST_F(CsvImport, LoadTateAndLoadYokoTakeTheFormsSingleValues) {
    dir.write("v.csv", "skip\r\n" + lines(48, "a,"));
    auto r = Load_Tate(dir.file("v.csv"), 1.0f, 24.0f, 2.0f, 100.0f, 2.0f, grid);
    ASSERT_TRUE(r);
    EXPECT_EQ(grid.text(100, 4), "1");
    EXPECT_EQ(grid.text(101, 27), "48");
    dir.write("h.csv", dayLine("", 24, 1));
    r = Load_Yoko(dir.file("h.csv"), 0.0f, 24.0f, 1.0f, 365.0f, 1.0f, grid);
    ASSERT_TRUE(r);
    EXPECT_EQ(grid.text(365, 27), "24");
    // A start row of 0 would be the heading row: nothing is written there.
    r = Load_Yoko(dir.file("h.csv"), 0.0f, 24.0f, 1.0f, 0.0f, 1.0f, grid);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->end, CsvEnd::PastYearEnd);
    EXPECT_EQ(grid.text(0, 4), "");
}

TEST_F(CsvImport, ValuesBeyondTheBookRangeStopTheImportAtTheirLine) {
    const std::string huge(1024, '9');
    const struct {
        CsvImportOptions options;
        std::string bytes;
        int daysPlaced;
        int valuesPlaced;
        long long line;
    } cases[] = {
        {vertical(0, 1, 1, 1, 2), "1\r\n2\r\n1e400\r\n" + lines(30, ""), 0, 2, 3},
        {vertical(0, 1, 1, 1, 2), lines(24, "") + "-2E+15\r\n" + lines(30, ""), 1, 24, 25},
        {horizontal(0, 1, 1, 1, 3), dayLine("", 24, 1) + dayLine(huge + ",", 23, 1) + dayLine("", 24, 1), 1,
         24, 2},
        {horizontal(0, 1, 1, 1, 1), dayLine("1E+15,", 23, 1), 1, 24, 0}, // the limit itself is taken
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        grid = bookGrid();
        Result<CsvImportOutcome> r = run(c.bytes, c.options);
        ASSERT_TRUE(r);
        EXPECT_EQ(r->daysPlaced, c.daysPlaced);
        EXPECT_EQ(r->valuesPlaced, c.valuesPlaced);
        if (c.line == 0)
            continue;
        EXPECT_EQ(r->end, CsvEnd::ValueOutOfRange);
        EXPECT_EQ(r->line, c.line);
        EXPECT_EQ(grid.text(c.daysPlaced + 1, 4 + c.valuesPlaced % 24),
                  ""); // the refused value is not placed
        EXPECT_NE(earlyEndNote(*r).find(std::to_string(c.line) + " 行目の値が"), std::string::npos);
    }
}

TEST_F(CsvImport, PipesAndFilesThatAreNoTextPlaceNothing) {
    ASSERT_EQ(::mkfifo(dir.file("pipe.csv").c_str(), 0600), 0); // would block an ordinary open for ever
    dir.write("program.csv", std::string("\x7F"
                                         "ELF\x02\x01\x01\x00\x00\x00",
                                         10) +
                                 lines(30, ""));
    dir.write("control.csv", "1\r\n\x1B\x03\x04\r\n");
    dir.write("neither.csv", "\x81\x20\xFF\xFE\r\n1\r\n");
    dir.write("utf8.csv", "日付,値\n" + lines(30, ""));
    dir.write("sjis.csv", "\x93\xFA\x95\x74,\xB6\xB3\r\n" + lines(30, ""));
    const struct {
        const char* name;
        const char* expectedError;
    } cases[] = {
        {"pipe.csv", "通常のファイルではありません"},
        {"program.csv", "NUL"},
        {"control.csv", "文字でないバイト"},
        {"neither.csv", "Shift_JIS でも UTF-8 でもありません"},
        {"utf8.csv", nullptr},
        {"sjis.csv", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        grid = bookGrid();
        Result<CsvImportOutcome> r = importCsv(dir.file(c.name), vertical(1, 1, 1, 1, 1), grid);
        if (!c.expectedError) {
            ASSERT_TRUE(r) << r.error().message;
            EXPECT_EQ(r->daysPlaced, 1);
            continue;
        }
        ASSERT_FALSE(r);
        EXPECT_NE(r.error().message.find(c.expectedError), std::string::npos) << r.error().message;
        EXPECT_EQ(grid.text(1, 4), "");
    }
}
