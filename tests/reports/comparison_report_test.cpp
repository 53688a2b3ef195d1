// The menu ranking written to a spreadsheet, read back by an independent reader.

#include "reports/comparison_report.h"
#include "reports/site_comparison.h"

#include "app/display_format.h"
#include "support/temp_dir.h"
#include "xlsx_readback.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace fs = std::filesystem;

namespace wattorio::reports {
namespace {

using test::readbackPython;
using test::readWorkbook;
using test::TempDir;

#define REQUIRE_READER()                                                                                     \
    if (readbackPython().empty())                                                                            \
    GTEST_SKIP() << "python3 with openpyxl is not installed: the written workbooks cannot be read back"

// A site of 中部電力, 480 kW at 98 %, whose year has fractions in every band.
void setUp(AppState& state, const std::string& appDir, const std::string& contract = "480") {
    fillUtilityNames(state);
    state.AppDir = appDir;
    state.SiteTable[1] = {"7", "港南/工場", "1", contract, "98", "2", "", "", ""};
    state.SiteRow = 1;
    state.UtilityNo = 2;
    for (int m = 1; m <= 12; ++m) {
        state.MonthTotalA[0][static_cast<std::size_t>(m)] = 21;
        state.MonthTotalA[1][static_cast<std::size_t>(m)] = 20345.37 + m;
        state.MonthTotalA[2][static_cast<std::size_t>(m)] = 40112.91 + 3 * m;
        state.MonthTotalA[3][static_cast<std::size_t>(m)] = 30001.45;
        state.MonthTotalB[0][static_cast<std::size_t>(m)] = 9;
        state.MonthTotalB[1][static_cast<std::size_t>(m)] = 5012.33;
        state.MonthTotalB[2][static_cast<std::size_t>(m)] = 3120.71;
        state.MonthTotalB[3][static_cast<std::size_t>(m)] = 1500.5;
    }
}

std::string text(const test::ReadSheet& sheet, int row, int col) {
    const test::ReadCell* c = sheet.find(row, col);
    return c && std::holds_alternative<std::string>(c->value) ? std::get<std::string>(c->value) : "<none>";
}

TEST(ComparisonReport, SheetHoldsTheTableAsShown) {
    REQUIRE_READER();
    TempDir dir;
    AppState state;
    setUp(state, dir.path());
    std::vector<calc::RankedMenu> rows = calc::rankMenus(calc::comparisonInput(state), 2);
    calc::sortRanking(rows, calc::RankColumn::Demand, true); // the order the user chose is kept
    const std::string caption = "中部電力の全メニュー（48 件）";
    Result<std::string> path = saveComparisonReport(state, caption, rows, 1765000000);
    ASSERT_TRUE(path) << path.error().message;
    EXPECT_EQ(fs::path(*path).parent_path().filename().string(), "エクセル出力");
    EXPECT_EQ(fs::path(*path).filename().string().rfind("全メニュー比較_港南_工場_", 0), 0u) << *path;

    const test::ReadWorkbook book = readWorkbook(*path, dir.path());
    ASSERT_TRUE(book.ok) << book.error;
    ASSERT_EQ(book.sheets.size(), 1u);
    const test::ReadSheet& sheet = book.sheets.front();
    EXPECT_EQ(sheet.name, "全メニュー比較");
    EXPECT_EQ(text(sheet, 1, 1), "全メニュー比較　港南/工場");
    EXPECT_EQ(text(sheet, 2, 1), "中部電力　契約電力 480 kW　力率 98 ％");
    EXPECT_EQ(text(sheet, 3, 1), caption);
    EXPECT_EQ(text(sheet, 1, 6).rfind("作成　20", 0), 0u) << text(sheet, 1, 6);
    EXPECT_EQ(text(sheet, 2, 6).rfind("期間　", 0), 0u) << text(sheet, 2, 6);
    const auto col = [](int c) { return comparisonSheetColumn(static_cast<calc::RankColumn>(c)); };
    for (int c = 0; c < calc::kRankColumnCount; ++c)
        EXPECT_EQ(text(sheet, 4, col(c)), calc::rankColumnTitle(static_cast<calc::RankColumn>(c)));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int r = kComparisonFirstRow + static_cast<int>(i);
        SCOPED_TRACE("sheet row " + std::to_string(r));
        const test::ReadCell* rank = sheet.find(r, 1);
        ASSERT_NE(rank, nullptr);
        EXPECT_EQ(std::get<double>(rank->value), rows[i].rank);
        EXPECT_EQ(text(sheet, r, 2), "中部電力");
        EXPECT_EQ(text(sheet, r, 3), calc::rankCell(rows[i], calc::RankColumn::Category));
        EXPECT_EQ(text(sheet, r, 4), calc::rankCell(rows[i], calc::RankColumn::Voltage));
        EXPECT_EQ(text(sheet, r, 5), std::string(rows[i].menu->itemText));
        EXPECT_EQ(text(sheet, r, col(static_cast<int>(calc::RankColumn::Tax))), "5%");
        for (int c = 5; c < calc::kRankColumnCount - 1; ++c) {
            const auto column = static_cast<calc::RankColumn>(c);
            if (column == calc::RankColumn::Tax)
                continue;
            const test::ReadCell* cell = sheet.find(r, col(c));
            ASSERT_NE(cell, nullptr);
            const double number = std::get<double>(cell->value);
            // Whole yen (or kWh), the very figure the table shows.
            const std::string shown = column == calc::RankColumn::PricedKwh ? formatPattern(number, kFmtKwh)
                                      : number == 0                         ? "0 円"
                                                                            : formatPattern(number, kFmtYen);
            EXPECT_EQ(shown, calc::rankCell(rows[i], column));
            EXPECT_EQ(number, std::round(number));
        }
        EXPECT_EQ(sheet.find(r, col(static_cast<int>(calc::RankColumn::Note))), nullptr); // no 備考 here
    }
    EXPECT_EQ(sheet.find(kComparisonFirstRow + static_cast<int>(rows.size()), 1), nullptr);

    // A second export never replaces the first.
    Result<std::string> again = saveComparisonReport(state, caption, rows, 1765000000);
    ASSERT_TRUE(again) << again.error().message;
    EXPECT_NE(*again, *path);
    EXPECT_NE(again->find("_2.xlsx"), std::string::npos);
}

TEST(ComparisonReport, FiguresThatAreNotNumbersLeaveEmptyCells) {
    REQUIRE_READER();
    TempDir dir;
    AppState state;
    setUp(state, dir.path(), "1e400");
    state.SiteTable[1][4] = "185";
    const std::vector<calc::RankedMenu> rows = calc::rankMenus(calc::comparisonInput(state), 2);
    const std::string path = dir.file("nan.xlsx");
    ASSERT_TRUE(writeComparisonWorkbook(comparisonHeading(state, "x"), rows, path));
    const test::ReadWorkbook book = readWorkbook(path, dir.path());
    ASSERT_TRUE(book.ok) << book.error;
    const test::ReadSheet& sheet = book.sheets.front();
    EXPECT_NE(sheet.find(kComparisonFirstRow, 5), nullptr);
    EXPECT_EQ(sheet.find(kComparisonFirstRow, 9), nullptr);
}

// A part-year price keeps its note and leaves its difference empty, as the table shows it.
TEST(ComparisonReport, PartYearMenusAreMarked) {
    REQUIRE_READER();
    TempDir dir;
    AppState state;
    setUp(state, dir.path());
    const std::vector<calc::RankedMenu> rows = calc::rankMenus(calc::comparisonInput(state), 9);
    ASSERT_TRUE(rows.front().partial);
    const std::string path = dir.file("partial.xlsx");
    ASSERT_TRUE(writeComparisonWorkbook(comparisonHeading(state, "x"), rows, path));
    const test::ReadWorkbook book = readWorkbook(path, dir.path());
    ASSERT_TRUE(book.ok) << book.error;
    const test::ReadSheet& sheet = book.sheets.front();
    EXPECT_EQ(text(sheet, kComparisonFirstRow, comparisonSheetColumn(calc::RankColumn::Note)),
              "一部の期間のみ");
    EXPECT_EQ(sheet.find(kComparisonFirstRow, comparisonSheetColumn(calc::RankColumn::Difference)), nullptr);
}

// A user menu with adders and 10 % tax is written at its place with its own total with tax.
TEST(ComparisonReport, UserMenuRowCarriesItsAddersAndTax) {
    REQUIRE_READER();
    TempDir dir;
    AppState state;
    setUp(state, dir.path());
    const tariffs::UserMenuFields fields = {"中部電力", "工場", "2", "今年の提案", "季節別", "1700",  "17.5",
                                            "16.25",    "",     "",  "",           "10",     "-1.12", "3.49"};
    Result<tariffs::UserMenu> menu = tariffs::parseUserMenu(fields, 2, nullptr);
    ASSERT_TRUE(menu);
    const std::vector<tariffs::UserMenu> menus{*menu};
    calc::MenuFilter filter;
    filter.utility = 2;
    const calc::ComparisonInput input = calc::comparisonInput(state);
    const std::vector<calc::RankedMenu> rows = calc::rankMenus(input, filter, menus);
    const auto user = std::find_if(rows.begin(), rows.end(), [](const auto& r) { return r.user; });
    ASSERT_NE(user, rows.end());
    // 480 kW x 1700 x 0.87 x 12, then each line's kWh at its rate plus both adders.
    const double total = std::floor(480 * 1700 * 0.87 * 12) + user->lineKwh[1] * (17.5 - 1.12 + 3.49) +
                         user->lineKwh[2] * (16.25 - 1.12 + 3.49);
    EXPECT_DOUBLE_EQ(user->totalWithTax, total * 1.1);
    const std::string path = dir.file("user.xlsx");
    ASSERT_TRUE(writeComparisonWorkbook(comparisonHeading(state, "x"), rows, path));
    const test::ReadWorkbook book = readWorkbook(path, dir.path());
    ASSERT_TRUE(book.ok) << book.error;
    const int r = kComparisonFirstRow + static_cast<int>(user - rows.begin());
    EXPECT_EQ(text(book.sheets.front(), r, 5), "今年の提案");
    EXPECT_EQ(text(book.sheets.front(), r, comparisonSheetColumn(calc::RankColumn::Note)), "自由メニュー");
    EXPECT_EQ(text(book.sheets.front(), r, comparisonSheetColumn(calc::RankColumn::Tax)), "10%");
    const test::ReadCell* withTax =
        book.sheets.front().find(r, comparisonSheetColumn(calc::RankColumn::WithTax));
    ASSERT_NE(withTax, nullptr);
    EXPECT_EQ(std::get<double>(withTax->value), std::round(total * 1.1));
}

// The sheet of all sites: its conditions in row 2 (no blank row above the headings), kWh and yen
// as numbers, the site that could not be priced kept with its reason.
TEST(ComparisonReport, SiteSheetStatesItsConditionsAndHoldsNumbers) {
    REQUIRE_READER();
    TempDir dir;
    AppState state;
    setUp(state, dir.path());
    std::vector<SiteComparison> sites(2);
    sites[0].row = 1;
    sites[0].name = "港南";
    sites[0].utility = 2;
    sites[0].yearKwh = 1234.6;
    sites[0].menus = calc::rankMenus(calc::comparisonInput(state), 2);
    sites[1].row = 2;
    sites[1].name = "空き";
    sites[1].reason = "データがありません。";
    const std::string path = dir.file("sites.xlsx");
    ASSERT_TRUE(writeSiteComparisonWorkbook(siteComparisonLayout(sites, 1765000000), path));
    const test::ReadWorkbook book = readWorkbook(path, dir.path());
    ASSERT_TRUE(book.ok) << book.error;
    const test::ReadSheet& sheet = book.sheets.front();
    EXPECT_EQ(sheet.name, "全物件の比較");
    EXPECT_NE(text(sheet, 2, 1).find("税込"), std::string::npos);
    EXPECT_NE(text(sheet, 2, 1).find("作成 20"), std::string::npos);
    EXPECT_EQ(text(sheet, 3, 11), "税");
    for (int c : {1, 4, 6, 7, 9}) {
        const test::ReadCell* cell = sheet.find(4, c);
        ASSERT_NE(cell, nullptr) << c;
        EXPECT_TRUE(std::holds_alternative<double>(cell->value)) << c;
    }
    EXPECT_EQ(std::get<double>(sheet.find(4, 7)->value), std::round(sites[0].best()->tax.amount));
    EXPECT_EQ(text(sheet, 4, 11), "5%");
    EXPECT_NE(text(sheet, 4, 10).find("未設定"), std::string::npos);
    EXPECT_EQ(text(sheet, 5, 10), "データがありません。");
}

TEST(ComparisonReport, RefusedWithoutAWorkingFolder) {
    TempDir dir;
    AppState state;
    setUp(state, dir.path() + "missing/");
    const std::vector<calc::RankedMenu> rows = calc::rankMenus(calc::comparisonInput(state), 2);
    Result<std::string> path = saveComparisonReport(state, "x", rows, 1765000000);
    ASSERT_FALSE(path);
    EXPECT_NE(path.error().message.find("作業フォルダー"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir.path() + "missing"));
}

} // namespace
} // namespace wattorio::reports
