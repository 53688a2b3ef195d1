#include "reports/report_layout.h"

#include "app/numtext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <memory>

namespace wattorio::reports {
namespace {

std::string textAt(const ReportLayout& layout, int row, int col) {
    const ReportCell* cell = layout.find(row, col);
    if (!cell)
        return "<empty>";
    return cell->isText() ? cell->text() : "=" + numberText(cell->number()) + " " + cell->format();
}

double numberAt(const ReportLayout& layout, int row, int col) {
    const ReportCell* cell = layout.find(row, col);
    if (!cell || cell->isText())
        return std::numeric_limits<double>::quiet_NaN();
    return cell->number();
}

TEST(ReportMode, OnlyTheSevenWholeValuesNameAReport) {
    Report r{};
    for (float mode = 1; mode <= 7; ++mode) {
        ASSERT_TRUE(reportOfMode(mode, &r)) << mode;
        EXPECT_EQ(static_cast<int>(r), static_cast<int>(mode));
        EXPECT_FALSE(reportName(r).empty());
    }
    for (float bad : {0.0f, 8.0f, -1.0f, 2.5f, std::numeric_limits<float>::quiet_NaN(),
                      std::numeric_limits<float>::infinity()})
        EXPECT_FALSE(reportOfMode(bad, &r)) << bad;
}

TEST(Trim, OnlyHalfWidthBlanksAtBothEnds) {
    EXPECT_EQ(trimBlanks("  12 3  "), "12 3");
    EXPECT_EQ(trimBlanks("   "), "");
    EXPECT_EQ(trimBlanks(""), "");
    // Full-width blanks and tabs belong to the text.
    EXPECT_EQ(trimBlanks("　夏季 "), "　夏季");
    EXPECT_EQ(trimBlanks("\t5"), "\t5");
}

// A grid like the ten-day book's: heading row, 48 rows, 28 columns, row numbers in column 0.
TextGrid tenDayLikeGrid() {
    TextGrid g(49, 28, 1, 4);
    g.setText(0, 0, "No");
    g.setText(0, 1, "月");
    g.setText(0, 2, "日付");
    g.setText(0, 3, "日数");
    for (int h = 0; h < 24; ++h)
        g.setText(0, h + 4, std::to_string(h) + "時");
    for (int r = 1; r <= 48; ++r) {
        g.setText(r, 0, std::to_string(r));
        g.setText(r, 1, r <= 4 ? "１月" : std::to_string((r + 3) / 4) + "月");
        g.setText(r, 3, "8");
    }
    return g;
}

TEST(GridReports, TenDayBookCopiesColumnsOneToTwentySevenTrimmedFiguresAsNumbers) {
    TextGrid g = tenDayLikeGrid();
    g.setText(7, 17, "  1234 "); // typed with blanks
    g.setText(48, 27, "99.5");
    g.setText(2, 2, "　全角 "); // a full-width blank stays
    g.setText(3, 5, "   ");     // only blanks: the cell stays empty
    const ReportLayout l = tenDayBookReport(g);
    EXPECT_EQ(l.report, Report::TenDayBook);
    EXPECT_EQ(textAt(l, 1, 1), "月");
    EXPECT_EQ(textAt(l, 1, 2), "日付");
    EXPECT_EQ(textAt(l, 1, 3), "日数");
    EXPECT_EQ(textAt(l, 1, 4), "0時");
    EXPECT_EQ(textAt(l, 1, 27), "23時");
    EXPECT_EQ(textAt(l, 2, 1), "１月");
    EXPECT_EQ(textAt(l, 8, 17), "=1234 0");
    EXPECT_EQ(textAt(l, 49, 27), "=99.5 0.0");
    EXPECT_EQ(textAt(l, 3, 2), "　全角");
    EXPECT_EQ(textAt(l, 4, 5), "<empty>");
    EXPECT_EQ(textAt(l, 2, 3), "=8 0");
    // The row numbers of column 0 are not copied, and nothing lands outside 49 x 27.
    for (const ReportCell& c : l.cells) {
        EXPECT_GE(c.row, 1);
        EXPECT_LE(c.row, 49);
        EXPECT_GE(c.col, 1);
        EXPECT_LE(c.col, 27);
        EXPECT_NE(c.text(), "No");
    }
}

TEST(GridReports, YearBookCopiesAll366RowsAndSkipsRowsTheGridLacks) {
    TextGrid g(366, 28, 1, 3);
    g.setText(0, 3, "曜日");
    g.setText(1, 3, " 平");
    g.setText(365, 1, "12月");
    g.setText(365, 27, "7");
    const ReportLayout l = yearBookReport(g);
    EXPECT_EQ(textAt(l, 1, 3), "曜日");
    EXPECT_EQ(textAt(l, 2, 3), "平");
    EXPECT_EQ(textAt(l, 366, 1), "12月");
    EXPECT_EQ(textAt(l, 366, 27), "=7 0");

    // A grid cut short (fewer rows or columns) gives the cells it has and no more.
    TextGrid shortGrid(10, 5, 1, 1);
    shortGrid.setText(9, 4, "x");
    const ReportLayout s = yearBookReport(shortGrid);
    ASSERT_EQ(s.cells.size(), 1u);
    EXPECT_EQ(textAt(s, 10, 4), "x");
    EXPECT_TRUE(yearBookReport(TextGrid()).cells.empty());
}

TEST(GridReports, ResultsGridStartsOnSheetRowThreeUpToGridRow47) {
    TextGrid g(6, 7, 1, 2);
    g.setText(0, 2, "日数");
    g.setText(5, 1, "  合 計");
    g.setText(5, 6, "1,234,567");
    g.setText(3, 0, "not copied");
    const ReportLayout l = resultsGridReport(g);
    EXPECT_EQ(textAt(l, 3, 2), "日数");
    EXPECT_EQ(textAt(l, 8, 1), "合 計");
    EXPECT_EQ(textAt(l, 8, 6), "=1234567 #,##0");
    EXPECT_EQ(textAt(l, 2, 6), "単位　kWh"); // in the empty row above the table
    for (const ReportCell& c : l.cells) {
        EXPECT_GE(c.row, c.isText() && c.text() == "単位　kWh" ? 2 : 3);
        EXPECT_GE(c.col, 1);
        EXPECT_LE(c.col, 6);
    }

    // A taller grid: only grid rows 0..47 (sheet rows 3..50); its last column whatever it is.
    TextGrid tall(60, 9, 1, 1);
    for (int r = 0; r < 60; ++r)
        tall.setText(r, 8, "r" + std::to_string(r));
    const ReportLayout t = resultsGridReport(tall);
    EXPECT_EQ(textAt(t, 50, 8), "r47");
    EXPECT_EQ(t.find(51, 8), nullptr);
}

struct TableReports : ::testing::Test {
    std::unique_ptr<AppState> state = std::make_unique<AppState>();
    AppState& s = *state;
};

TEST_F(TableReports, MonthlyTotalsHeadingsMonthsAndNumbers) {
    for (int b = 0; b < 4; ++b)
        for (int m = 1; m <= 12; ++m) {
            s.MonthTotalA[b][m] = b * 1000 + m + 0.25;
            s.MonthTotalB[b][m] = b * 100 + m;
        }
    s.MonthTotalB[0][8] = 0; // August without a day off
    const ReportLayout l = monthlyTotalsReport(s);
    EXPECT_EQ(textAt(l, 1, 5), "単位　kWh");
    const char* heads[3][6] = {{"平日 kWh", "日数 kWh", "夜間 kWh", "昼間 kWh", "ﾋﾟｰｸ kWh", "計 kWh"},
                               {"休日 kWh", "日数 kWh", "夜間 kWh", "昼間 kWh", "ﾋﾟｰｸ kWh", "計 kWh"},
                               {"月累計", "日数", "夜間 kWh", "昼間 kWh", "ﾋﾟｰｸ kWh", "計 kWh"}};
    for (int block = 0; block < 3; ++block)
        for (int c = 0; c < 6; ++c)
            EXPECT_EQ(textAt(l, 2 + 14 * block, c + 1), heads[block][c]);
    for (int m = 1; m <= 12; ++m) {
        for (int row : {m + 2, m + 16, m + 30})
            EXPECT_EQ(textAt(l, row, 1), std::to_string(m) + " 月");
        for (int b = 0; b < 4; ++b) {
            EXPECT_EQ(numberAt(l, m + 2, b + 2), s.MonthTotalA[b][m]);
            EXPECT_EQ(numberAt(l, m + 16, b + 2), s.MonthTotalB[b][m]);
            EXPECT_EQ(numberAt(l, m + 30, b + 2), s.MonthTotalA[b][m] + s.MonthTotalB[b][m]);
        }
        // 計: the three bands, as the screen's table adds them.
        const auto& a = s.MonthTotalA;
        const auto& o = s.MonthTotalB;
        EXPECT_EQ(numberAt(l, m + 2, 6), a[1][m] + a[2][m] + a[3][m]);
        EXPECT_EQ(numberAt(l, m + 30, 6), (a[1][m] + o[1][m]) + (a[2][m] + o[2][m]) + (a[3][m] + o[3][m]));
    }
    EXPECT_EQ(l.find(3, 2)->format(), "0");
    EXPECT_EQ(l.find(3, 6)->format(), "#,##0");
    // A zero is written as the number 0, not left blank.
    EXPECT_EQ(numberAt(l, 8 + 16, 2), 0.0);
    // Rows 15 and 29 (between the blocks) stay empty; nothing right of column 6.
    for (const ReportCell& c : l.cells) {
        EXPECT_NE(c.row, 15);
        EXPECT_NE(c.row, 29);
        EXPECT_LE(c.col, 6);
        EXPECT_LE(c.row, 42);
    }
    EXPECT_EQ(l.cells.size(), 1u + 18u + 3u * 12u * 6u);
}

TEST_F(TableReports, MonthlyMaximumHeadedDayAndHourShownWithTheirUnits) {
    for (int m = 1; m <= 12; ++m) {
        s.PeakDemand[m] = m * 100.5;
        s.PeakDemandDay[m] = static_cast<float>(m + 10);
        s.PeakDemandHour[m] = static_cast<float>(m % 24);
    }
    s.PeakDemandDay[2] = 0;
    s.PeakDemandHour[2] = 0;
    s.PeakDemand[2] = 0;
    const ReportLayout l = monthlyMaximumReport(s);
    EXPECT_EQ(textAt(l, 1, 1), "月");
    EXPECT_EQ(textAt(l, 1, 3), "時間");
    EXPECT_EQ(textAt(l, 1, 4), "kWh");
    EXPECT_EQ(textAt(l, 2, 1), "1 月");
    EXPECT_EQ(textAt(l, 2, 2), "=11 0\" 日\"");
    EXPECT_EQ(textAt(l, 2, 3), "=1 0\" 時\"");
    EXPECT_EQ(textAt(l, 2, 4), "=100.5 #,##0");
    EXPECT_EQ(numberAt(l, 3, 2), 0.0);
    EXPECT_EQ(numberAt(l, 3, 4), 0.0);
    EXPECT_EQ(textAt(l, 13, 1), "12 月");
    EXPECT_EQ(numberAt(l, 13, 3), 12.0);
    EXPECT_EQ(l.cells.size(), 4u + 12u * 4u);
}

TEST_F(TableReports, HourAveragesFromSheetRowThreeUnderHeadings) {
    for (int h = 0; h < 25; ++h)
        s.HourAverage[h] = h * 1.01;
    const ReportLayout l = hourAveragesReport(s);
    EXPECT_EQ(l.find(1, 1), nullptr);
    EXPECT_EQ(textAt(l, 2, 1), "時間");
    EXPECT_EQ(textAt(l, 2, 2), "電力量kWh");
    EXPECT_EQ(textAt(l, 3, 1), "0時");
    EXPECT_EQ(numberAt(l, 3, 2), 0.0);
    EXPECT_EQ(textAt(l, 26, 1), "23時");
    EXPECT_EQ(numberAt(l, 26, 2), 23 * 1.01);
    EXPECT_EQ(l.find(26, 2)->format(), "#,##0.00");
    EXPECT_EQ(l.cells.size(), 50u); // entry 24 is not written
}

// A rate panel by control name; everything shown unless listed as hidden.
struct FakePanel {
    std::map<std::string, std::string, std::less<>> texts;
    std::map<std::string, bool, std::less<>> hidden;
    PanelView view() const {
        return {[this](std::string_view n) {
                    auto it = texts.find(n);
                    return it == texts.end() ? std::string() : it->second;
                },
                [this](std::string_view n) { return hidden.find(n) == hidden.end(); }};
    }
};

TEST(ChargeSummary, EightRowsFromThePanelCaptionsCopiedEvenWhenHidden) {
    FakePanel p;
    p.texts = {{"Label21", "業務用電力"},        {"Label17", "契約電力　　（力率　100％）"},
               {"Label18", "100 kW "},           {"Text5", "1638.00"},
               {"Label19", "1,670,760 円"},      {"Label5", "夏季"},
               {"Label1", "2,500 kWh"},          {"Text1", "12.00"},
               {"Label13", "30,000 円"},         {"Label6", "その他季"},
               {"Label2", "7,500 kWh"},          {"Text2", "11.00"},
               {"Label14", "82,500 円"},         {"Label3", "stale"},
               {"Label9", "10,000 kWh"},         {"Label20", "1,783,260 円"},
               {"Label11", "not in the report"}, {"Label58", "not shown"}};
    p.hidden = {{"Label3", true}, {"Label58", true}, {"Label59", true}, {"Text6", true}, {"Label60", true}};
    const ReportLayout l = chargeSummaryReport(p.view());
    EXPECT_EQ(textAt(l, 1, 1), "業務用電力");
    EXPECT_EQ(textAt(l, 2, 1), "種別");
    EXPECT_EQ(textAt(l, 2, 2), "電力量");
    EXPECT_EQ(textAt(l, 2, 3), "円");
    EXPECT_EQ(textAt(l, 2, 4), "電気料金");
    EXPECT_EQ(textAt(l, 3, 1), "契約電力　　（力率　100％）");
    // Figures as numbers shown as the panel shows them.
    EXPECT_EQ(textAt(l, 3, 2), "=100 0\" kW\"");
    EXPECT_EQ(textAt(l, 3, 3), "=1638 0.00");
    EXPECT_EQ(textAt(l, 3, 4), "=1670760 #,##0\" 円\"");
    EXPECT_EQ(textAt(l, 4, 1), "夏季");
    EXPECT_EQ(textAt(l, 4, 3), "=12 0.00");
    EXPECT_EQ(textAt(l, 5, 4), "=82500 #,##0\" 円\"");
    EXPECT_EQ(textAt(l, 6, 2), "stale"); // hidden, copied all the same
    EXPECT_EQ(textAt(l, 8, 1), "合　計");
    EXPECT_EQ(textAt(l, 8, 2), "=10000 #,##0\" kWh\"");
    EXPECT_EQ(l.find(8, 3), nullptr);
    EXPECT_EQ(textAt(l, 8, 4), "=1783260 #,##0\" 円\"");
    for (const ReportCell& c : l.cells) {
        EXPECT_LE(c.row, 8);
        EXPECT_NE(c.text(), "not in the report");
        EXPECT_NE(c.text(), "not shown");
    }
}

TEST(ChargeSummary, ShownFifthLineComesBeforeTheTotal) {
    FakePanel p;
    p.texts = {{"Label8", "夜間時間  (夏季夜間＋夏季休日終日)"},
               {"Label58", "夜間時間  (その他夜間＋休日終日)"},
               {"Label59", "4,000 kWh"},
               {"Text6", "11.16"},
               {"Label60", "44,640 円"},
               {"Label9", "20,000 kWh"}};
    const ReportLayout l = chargeSummaryReport(p.view());
    EXPECT_EQ(textAt(l, 7, 1), "夜間時間  (夏季夜間＋夏季休日終日)");
    EXPECT_EQ(textAt(l, 8, 1), "夜間時間  (その他夜間＋休日終日)");
    EXPECT_EQ(numberAt(l, 8, 2), 4000.0);
    EXPECT_EQ(numberAt(l, 8, 3), 11.16);
    EXPECT_EQ(numberAt(l, 8, 4), 44640.0);
    EXPECT_EQ(textAt(l, 9, 1), "合　計");
    EXPECT_EQ(numberAt(l, 9, 2), 20000.0);
}

TEST(ChargeSummary, AUserMenusTotalWithTaxKeepsItsTextWithTheAmountBeside) {
    FakePanel p;
    p.texts = {{"Label20", "1,000 円"}, {"Label11", "消費税含む    　1,100 円"}};
    p.hidden = {{"Label58", true}, {"Text6", true}};
    PanelView view = p.view();
    view.userMenu = true;
    const ReportLayout l = chargeSummaryReport(view);
    EXPECT_EQ(textAt(l, 9, 4), "消費税含む    　1,100 円");
    EXPECT_EQ(textAt(l, 9, 5), "=1100 #,##0\" 円\"");
}

TEST(Figures, OnlyWholeFiguresAsTheScreensWriteThemBecomeNumbers) {
    struct Case {
        const char* text;
        Units units;
        const char* shown; // "=value format", or "" for a text
    };
    const Case cases[] = {
        {"1,234,567", Units::None, "=1234567 #,##0"},
        {" 72 ", Units::None, "=72 0"},
        {"-5.25", Units::None, "=-5.25 0.00"},
        {"0", Units::None, "=0 0"},
        {"0.5", Units::None, "=0.5 0.0"},
        {"7,695,324 円", Units::Allowed, "=7695324 #,##0\" 円\""},
        {"450 kW ", Units::Allowed, "=450 0\" kW\""},
        {"7,695,324 円", Units::None, ""},
        {"1,23", Units::None, ""},
        {"1234,567", Units::None, ""},
        {",123", Units::None, ""},
        {"007", Units::None, ""},
        {"1.", Units::None, ""},
        {"１月", Units::None, ""},
        {"0時", Units::Allowed, ""},
        {"1日から10日", Units::None, ""},
        {" 円", Units::Allowed, ""},
        {"", Units::None, ""},
        {"1e999", Units::None, ""},
    };
    for (const Case& c : cases) {
        const std::optional<Figure> f = figureOf(c.text, c.units);
        EXPECT_EQ(f ? "=" + numberText(f->value) + " " + f->format : "", c.shown) << c.text;
    }
}

TEST(Stamp, GoesTwoColumnsRightOfTheLayoutWithoutMovingACell) {
    auto state = std::make_unique<AppState>();
    state->SiteTable[1] = SiteRecord{" 1", "本社", "1", "100", "100", "1", "", "", "Y2024"};
    state->SiteRow = 1;
    const SheetStamp stamp = sheetStamp(*state, 1765281600); // 2025-12-09 12:00 UTC
    EXPECT_EQ(stamp.site, "物件　本社");
    EXPECT_EQ(stamp.period, "期間　2024年1月1日〜2024年12月31日");
    EXPECT_EQ(stamp.made.rfind("作成日　2025年12月", 0), 0u);
    state->SiteTable[1][8] = "";
    EXPECT_EQ(dataPeriod(*state), kNoYearPeriod);

    ReportLayout l = monthlyMaximumReport(*state);
    const ReportLayout before = l;
    addStamp(l, stamp, "単位");
    EXPECT_EQ(textAt(l, 1, 6), "物件　本社");
    EXPECT_EQ(textAt(l, 2, 6), "期間　2024年1月1日〜2024年12月31日");
    EXPECT_EQ(textAt(l, 4, 6), "単位");
    ASSERT_EQ(l.cells.size(), before.cells.size() + 4);
    for (const ReportCell& c : before.cells)
        EXPECT_EQ(*l.find(c.row, c.col), c);
}

TEST(ChargeSummary, PanelWithoutFunctionsGivesTheFixedTextsOnly) {
    const ReportLayout l = chargeSummaryReport(PanelView{});
    ASSERT_EQ(l.cells.size(), 5u);
    EXPECT_EQ(textAt(l, 8, 1), "合　計");
}

} // namespace
} // namespace wattorio::reports
