#include "reports/workbook_file.h"

#include "calc/aggregation.h"
#include "calc/total_form.h"
#include "reports/analysis.h"
#include "reports/excel_output.h"
#include "support/temp_dir.h"
#include "tenday/ten_day_form.h"
#include "xlsx_readback.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace wattorio::reports {
namespace {

using test::differences;
using test::readbackPython;
using test::readWorkbook;
using test::TempDir;

#define REQUIRE_READER()                                                                                     \
    if (readbackPython().empty())                                                                            \
    GTEST_SKIP() << "python3 with openpyxl is not installed: the written workbooks cannot be read back"

class OkPrompter : public Prompter {
public:
    Answer show(const Message&) override { return Answer::Ok; }
};

// The hourly readings of a real building (kWh per hour, 2019) as the year book grid shows them:
// headings, row numbers, month and day labels, the weekday column and 24 hour cells a row.
TextGrid realYearGrid() {
    TextGrid g(366, 28, 1, 3);
    g.setText(0, 0, "No");
    g.setText(0, 1, "月");
    g.setText(0, 2, "日付");
    g.setText(0, 3, "曜日");
    for (int h = 0; h < 24; ++h)
        g.setText(0, h + 4, std::to_string(h) + "時");
    std::ifstream in(std::string(WATTORIO_REALDATA_DIR) + "/ucam_building_b21_electricity_2019.csv");
    std::string line;
    std::getline(in, line); // heading
    for (int r = 1; r <= 365; ++r) {
        g.setText(r, 0, std::to_string(r));
        g.setText(r, 3, r % 7 == 6 ? "休日" : " 平");
        for (int h = 0; h < 24 && std::getline(in, line); ++h) {
            if (h == 0) {
                g.setText(r, 1, std::to_string(std::stoi(line.substr(5, 2))) + "月");
                g.setText(r, 2, std::to_string(std::stoi(line.substr(8, 2))));
            }
            g.setText(r, h + 4, line.substr(line.find(',') + 1));
        }
    }
    return g;
}

struct Workbooks : ::testing::Test {
    TempDir dir;
    std::unique_ptr<AppState> state = std::make_unique<AppState>();
    AppState& s = *state;

    void SetUp() override {
        setenv("TZ", "Asia/Tokyo", 1);
        tzset();
        s.AppDir = dir.path();
        fillUtilityNames(s);
        s.SiteTable[1] = SiteRecord{" 7", "本社ビル", "0.1", "500", "98", "1", "", "", ""};
        s.SiteRow = 1;
        s.UtilityNo = 1;
    }

    std::string roundTrip(const ReportLayout& layout, const std::string& name) {
        const std::string path = dir.file(name);
        const Status written = writeWorkbook(layout, path);
        EXPECT_TRUE(written) << written.error().message;
        return differences(readWorkbook(path, dir.path()), layout);
    }
};

TEST_F(Workbooks, YearBookOfRealReadingsRoundTrips) {
    REQUIRE_READER();
    const ReportLayout layout = yearBookReport(realYearGrid());
    ASSERT_GT(layout.cells.size(), 365u * 27u);
    EXPECT_EQ(roundTrip(layout, "year.xlsx"), "");
}

TEST_F(Workbooks, TenDayBookFromTheBookWindowRoundTrips) {
    REQUIRE_READER();
    s.SiteDataPath = dir.file("000007_W.dat"); // no file yet: a new book
    tenday::TenDayForm book(s);
    EXPECT_FALSE(book.Form_Load());
    book.grid().setText(1, 17, "  120 ");
    book.grid().setText(48, 27, "3456");
    book.grid().setText(20, 2, "　11日から20日");
    const ReportLayout layout = tenDayBookReport(book.grid());
    EXPECT_EQ(layout.find(2, 1)->text(), "１月");
    EXPECT_EQ(layout.find(2, 17)->number(), 120.0);
    EXPECT_EQ(roundTrip(layout, "tenday.xlsx"), "");
}

// The reports of the results window, from a real calculation: the readings of the building
// aggregated, analysed and priced under a menu whose panel has five rate lines.
TEST_F(Workbooks, ResultReportsOfARealCalculationRoundTrip) {
    REQUIRE_READER();
    const TextGrid year = realYearGrid();
    for (int r = 1; r <= 365; ++r) {
        s.DayMark[r][0] = year.text(r, 3) == "休日" ? 1.0f : 0.0f;
        for (int h = 0; h < 24; ++h)
            s.HourData[h][r] = std::strtod(year.text(r, h + 4).c_str(), nullptr);
    }
    ASSERT_TRUE(calc::runMonthTotals(s));
    Demd(s);
    Heikin(s);
    calc::TotalForm total(s);
    ASSERT_TRUE(total.Form_Load());
    OkPrompter ok;
    ASSERT_TRUE(total.ApplyTariffMenu(19, 0, ok));
    ASSERT_TRUE(total.visible("Label58"));
    const PanelView panel{[&](std::string_view n) { return total.text(n); },
                          [&](std::string_view n) { return total.visible(n); }};

    ReportSources sources;
    sources.resultsGrid = &total.MSFlexGrid1();
    sources.panel = panel;
    sources.calculated = true;
    const std::time_t made = 1765281600; // 2025-12-09
    std::vector<ReportLayout> layouts;
    for (Report r : {Report::ChargeSummary, Report::ResultsGrid, Report::MonthlyTotals,
                     Report::MonthlyMaximum, Report::HourAverages}) {
        Result<ReportLayout> built = buildReport(r, s, sources, made);
        ASSERT_TRUE(built);
        layouts.push_back(std::move(*built));
    }
    EXPECT_EQ(layouts[0].find(9, 1)->text(), "合　計");
    EXPECT_EQ(layouts[0].find(3, 3)->number(), 1653.75);
    EXPECT_EQ(layouts[1].find(8, 1)->text(), total.MSFlexGrid1().text(5, 1).substr(2));
    EXPECT_NE(layouts[2].find(3, 3)->number(), 0.0);
    std::vector<std::string> paths;
    for (const ReportLayout& layout : layouts) {
        paths.push_back(dir.file("r" + std::to_string(static_cast<int>(layout.report)) + ".xlsx"));
        ASSERT_TRUE(writeWorkbook(layout, paths.back()));
    }
    const std::vector<test::ReadWorkbook> books = test::readWorkbooks(paths, dir.path());
    for (std::size_t i = 0; i < layouts.size(); ++i) {
        EXPECT_EQ(differences(books[i], layouts[i]), "") << paths[i];
        // Read as another program reads it: site, period and date first, no figure left as text.
        const test::ReadSheet& sheet = books[i].sheets.at(0);
        const std::vector<std::string> stamp = test::stampLines(sheet, stampColumn(layouts[i]) - 2);
        EXPECT_EQ(stamp[0], "物件　本社ビル") << paths[i];
        EXPECT_EQ(stamp[1], std::string("期間　") + kNoYearPeriod);
        EXPECT_EQ(stamp[2], "作成日　2025年12月9日");
        int numbers = 0;
        for (const test::ReadCell& c : sheet.cells) {
            numbers += c.isNumber();
            EXPECT_FALSE(figureOf(c.text(), Units::Allowed)) << paths[i] << " " << c.text();
        }
        EXPECT_GT(numbers, 10) << paths[i];
    }
}

TEST_F(Workbooks, TextsTheFileCannotHoldAreMended) {
    REQUIRE_READER();
    ReportLayout layout{Report::ResultsGrid, {}};
    layout.cells.push_back({1, 1,
                            std::string("ab\xff\xfe"
                                        "c")});                  // not UTF-8
    layout.cells.push_back({1, 2, std::string("x\x01y\tz\nw")}); // control characters
    layout.cells.push_back({1, 3, std::string("\xed\xa0\x80")}); // a surrogate
    layout.cells.push_back({1, 4, std::string(40000, 'a')});     // longer than a cell holds
    layout.cells.push_back({2, 1, std::numeric_limits<double>::infinity()});
    layout.cells.push_back({2, 2, std::numeric_limits<double>::quiet_NaN()});
    layout.cells.push_back({2, 3, -0.1 + 0.3}); // needs 17 digits
    layout.cells.push_back({2, 4, 1e300});
    layout.cells.push_back({0, 1, std::string("outside the sheet")});
    layout.cells.push_back({1, 5, std::string("added last, above the numbers")});
    const std::string path = dir.file("odd.xlsx");
    ASSERT_TRUE(writeWorkbook(layout, path));
    const test::ReadWorkbook book = readWorkbook(path, dir.path());
    ASSERT_TRUE(book.ok) << book.error;
    const test::ReadSheet& sheet = book.sheets.at(0);
    EXPECT_EQ(std::get<std::string>(sheet.find(1, 1)->value), "ab??c");
    EXPECT_EQ(std::get<std::string>(sheet.find(1, 2)->value), "x?y\tz\nw");
    EXPECT_EQ(std::get<std::string>(sheet.find(1, 3)->value), "???");
    EXPECT_EQ(std::get<std::string>(sheet.find(1, 4)->value).size(), 32767u);
    EXPECT_EQ(std::get<std::string>(sheet.find(2, 1)->value), "#NUM!");
    EXPECT_EQ(std::get<std::string>(sheet.find(2, 2)->value), "#NUM!");
    EXPECT_NEAR(std::get<double>(sheet.find(2, 3)->value), 0.2, 1e-15);
    EXPECT_EQ(std::get<double>(sheet.find(2, 4)->value), 1e300);
    EXPECT_EQ(std::get<std::string>(sheet.find(1, 5)->value), "added last, above the numbers");
    EXPECT_EQ(sheet.cells.size(), 9u);
}

TEST_F(Workbooks, AFailedWriteLeavesTheOldFileWhole) {
    const std::string path = dir.file("kept.xlsx");
    dir.write("kept.xlsx", "old");
    // The target's folder does not exist: nothing is written anywhere.
    EXPECT_FALSE(writeWorkbook(hourAveragesReport(s), dir.file("missing/x.xlsx")));
    // Writing over a file replaces it whole.
    ASSERT_TRUE(writeWorkbook(hourAveragesReport(s), path));
    EXPECT_EQ(test::readAll(path).substr(0, 2), "PK");
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.path()))
        names.push_back(e.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"kept.xlsx"});
}

TEST(FileNames, CharactersAFileNameCannotHoldAreReplaced) {
    EXPECT_EQ(fileNamePart("本社ビル"), "本社ビル");
    EXPECT_EQ(fileNamePart("A/B\\C:D*E?F\"G<H>I|J"), "A_B_C_D_E_F_G_H_I_J");
    EXPECT_EQ(fileNamePart("a//??b"), "a_b");
    EXPECT_EQ(fileNamePart("///???***"), "");
    EXPECT_EQ(fileNamePart("..hidden. "), "hidden");
    EXPECT_EQ(fileNamePart("tab\there\x7f"), "tab_here");
    EXPECT_EQ(fileNamePart(std::string("bad\xff"
                                       "byte")),
              "bad_byte");
    EXPECT_EQ(fileNamePart("全角　スペース／スラッシュ"), "全角　スペース／スラッシュ");
    // At most 40 characters, counted as characters, never cutting one in half.
    const std::string long60 = [] {
        std::string t;
        for (int i = 0; i < 60; ++i)
            t += "電";
        return t;
    }();
    EXPECT_EQ(fileNamePart(long60), long60.substr(0, 40 * 3));
}

TEST(FileNames, SitePartFallsBackToTheSerial) {
    auto state = std::make_unique<AppState>();
    EXPECT_EQ(siteNamePart(*state), "物件");
    state->SiteTable[3] = SiteRecord{" 12", "<<>>", "1", "1", "1", "1", "", "", ""};
    state->SiteRow = 3;
    EXPECT_EQ(siteNamePart(*state), "物件12");
    state->SiteTable[3][1] = "工場:第2";
    EXPECT_EQ(siteNamePart(*state), "工場_第2");
}

TEST(FileNames, ReportSiteAndLocalTime) {
    setenv("TZ", "Asia/Tokyo", 1);
    tzset();
    // 2024-03-05 06:07:08 in Tokyo.
    const std::time_t when = 1709586428;
    EXPECT_EQ(reportFileName(Report::MonthlyTotals, "本社ビル", when),
              "月別電気使用量_本社ビル_20240305-060708.xlsx");
    EXPECT_EQ(reportFileName(Report::YearBook, "x", when), "365日データ_x_20240305-060708.xlsx");
}

TEST_F(Workbooks, SavedReportsGoToTheReportFolderUnderFreshNames) {
    REQUIRE_READER();
    const std::time_t when = 1709586428;
    const ReportLayout layout = hourAveragesReport(s);
    Result<std::string> first = saveReport(s, layout, when);
    ASSERT_TRUE(first) << first.error().message;
    EXPECT_EQ(*first, dir.path() + "エクセル出力/時間帯別平均電力_本社ビル_20240305-060708.xlsx");
    // The same second again: a new file next to it; the first is not touched.
    const auto firstTime = fs::last_write_time(*first);
    Result<std::string> second = saveReport(s, layout, when);
    ASSERT_TRUE(second);
    EXPECT_EQ(*second, dir.path() + "エクセル出力/時間帯別平均電力_本社ビル_20240305-060708_2.xlsx");
    EXPECT_EQ(fs::last_write_time(*first), firstTime);
    EXPECT_EQ(differences(readWorkbook(*second, dir.path()), layout), "");
    // Nothing else is left in the folder.
    int files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path() + "エクセル出力"))
        ++files;
    EXPECT_EQ(files, 2);
}

TEST_F(Workbooks, AFolderThatCannotBeMadeIsReported) {
    // A file stands where the report folder should be.
    dir.write("エクセル出力", "not a folder");
    Result<std::string> saved = saveReport(s, hourAveragesReport(s), 0);
    ASSERT_FALSE(saved);
    EXPECT_NE(saved.error().message.find("エクセル出力"), std::string::npos);
    EXPECT_EQ(dir.read("エクセル出力"), "not a folder");

    // A working folder that does not exist is not created.
    s.AppDir = dir.path() + "gone/";
    EXPECT_FALSE(saveReport(s, hourAveragesReport(s), 0));
    EXPECT_FALSE(fs::exists(dir.path() + "gone"));
}

TEST_F(Workbooks, AReadOnlyWorkingFolderIsReported) {
    if (geteuid() == 0)
        GTEST_SKIP() << "the superuser writes into read-only folders";
    fs::create_directory(dir.path() + "エクセル出力");
    fs::permissions(dir.path() + "エクセル出力", fs::perms::owner_read | fs::perms::owner_exec);
    Result<std::string> saved = saveReport(s, hourAveragesReport(s), 0);
    fs::permissions(dir.path() + "エクセル出力", fs::perms::owner_all);
    ASSERT_FALSE(saved);
    EXPECT_TRUE(fs::is_empty(dir.path() + "エクセル出力"));
}

} // namespace
} // namespace wattorio::reports
