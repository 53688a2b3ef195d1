#include "reports/report_layout.h"

#include "app/numtext.h"

#include <array>
#include <cmath>

namespace wattorio::reports {

namespace {

constexpr std::array<std::string_view, kLastReport + 1> kReportNames{
    "",         "10日集計表",         "月別電気使用量",  "季節別電気使用量", "365日データ",
    "料金計算", "月時間の最大使用量", "時間帯別平均電力"};

void addText(ReportLayout& layout, int row, int col, std::string text) {
    if (!text.empty())
        layout.cells.emplace_back(row, col, std::move(text));
}
void addNumber(ReportLayout& layout, int row, int col, double value) {
    layout.cells.emplace_back(row, col, value);
}

std::string monthText(int m) {
    return std::to_string(m) + " 月";
}

// Grid rows firstRow..lastRow and columns 1..lastCol (as far as the grid has them) to sheet
// row grid row + rowShift, same column, trimmed.
void copyGrid(ReportLayout& layout, const TextGrid& grid, int lastRow, int lastCol, int rowShift) {
    const int rows = std::min(lastRow, grid.rows() - 1);
    const int cols = std::min(lastCol, grid.cols() - 1);
    layout.cells.reserve(static_cast<std::size_t>(std::max(0, rows + 1)) *
                         static_cast<std::size_t>(std::max(0, cols)));
    for (int r = 0; r <= rows; ++r)
        for (int c = 1; c <= cols; ++c)
            addText(layout, r + rowShift, c, trimBlanks(grid.text(r, c)));
}

} // namespace

bool reportOfMode(float mode, Report* report) {
    if (!(mode >= kFirstReport && mode <= kLastReport) || mode != std::floor(mode))
        return false;
    if (report)
        *report = static_cast<Report>(static_cast<int>(mode));
    return true;
}

std::string_view reportName(Report report) {
    const int n = static_cast<int>(report);
    return n >= kFirstReport && n <= kLastReport ? kReportNames[static_cast<std::size_t>(n)] : "";
}

const ReportCell* ReportLayout::find(int row, int col) const {
    for (const ReportCell& cell : cells)
        if (cell.row == row && cell.col == col)
            return &cell;
    return nullptr;
}

std::string trimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

ReportLayout tenDayBookReport(const TextGrid& grid) {
    ReportLayout layout{Report::TenDayBook, {}};
    copyGrid(layout, grid, 48, 27, 1);
    return layout;
}

ReportLayout yearBookReport(const TextGrid& grid) {
    ReportLayout layout{Report::YearBook, {}};
    copyGrid(layout, grid, 365, 27, 1);
    return layout;
}

ReportLayout resultsGridReport(const TextGrid& grid) {
    ReportLayout layout{Report::ResultsGrid, {}};
    copyGrid(layout, grid, 47, grid.cols() - 1, 3);
    return layout;
}

ReportLayout monthlyTotalsReport(const AppState& state) {
    ReportLayout layout{Report::MonthlyTotals, {}};
    addText(layout, 1, 5, "単位　kWh");
    // Three blocks under their heading rows 2, 16 and 30: working days, days off, both.
    const std::array<std::array<const char*, 5>, 3> heads{{
        {"平日 kWh", "日数 kWh", "夜間 kWh", "昼間 kWh", "ﾋﾟｰｸ kWh"},
        {"休日 kWh", "日数 kWh", "夜間 kWh", "昼間 kWh", "ﾋﾟｰｸ kWh"},
        {"月累計", "日数", "夜間 kWh", "昼間 kWh", "ﾋﾟｰｸ kWh"},
    }};
    for (int block = 0; block < 3; ++block) {
        const int headRow = 2 + 14 * block;
        for (int c = 0; c < 5; ++c)
            addText(layout, headRow, c + 1,
                    heads[static_cast<std::size_t>(block)][static_cast<std::size_t>(c)]);
        for (int m = 1; m <= 12; ++m) {
            const int row = headRow + m;
            addText(layout, row, 1, monthText(m));
            for (int b = 0; b <= 3; ++b) {
                const double a = state.MonthTotalA[static_cast<std::size_t>(b)][static_cast<std::size_t>(m)];
                const double o = state.MonthTotalB[static_cast<std::size_t>(b)][static_cast<std::size_t>(m)];
                addNumber(layout, row, b + 2, block == 0 ? a : block == 1 ? o : a + o);
            }
        }
    }
    return layout;
}

ReportLayout monthlyMaximumReport(const AppState& state) {
    ReportLayout layout{Report::MonthlyMaximum, {}};
    addText(layout, 1, 4, "kWh");
    for (std::size_t m = 1; m <= 12; ++m) {
        const int row = static_cast<int>(m) + 1;
        addText(layout, row, 1, monthText(static_cast<int>(m)));
        addText(layout, row, 2, numberText(state.PeakDemandDay[m]) + " 日");
        addText(layout, row, 3, numberText(state.PeakDemandHour[m]) + " 時");
        addNumber(layout, row, 4, state.PeakDemand[m]);
    }
    return layout;
}

ReportLayout hourAveragesReport(const AppState& state) {
    ReportLayout layout{Report::HourAverages, {}};
    for (std::size_t h = 0; h <= 23; ++h) {
        const int row = static_cast<int>(h) + 3;
        addText(layout, row, 1, std::to_string(h) + "時");
        addNumber(layout, row, 2, state.HourAverage[h]);
    }
    return layout;
}

ReportLayout chargeSummaryReport(const PanelView& panel) {
    ReportLayout layout{Report::ChargeSummary, {}};
    auto text = [&](std::string_view control) { return panel.text ? panel.text(control) : std::string(); };
    auto shown = [&](std::string_view control) { return panel.visible && panel.visible(control); };

    addText(layout, 1, 1, text("Label21"));
    addText(layout, 2, 1, "種別");
    addText(layout, 2, 2, "電力量");
    addText(layout, 2, 3, "円");
    addText(layout, 2, 4, "電気料金");
    // Caption, kWh, rate box and charge of the demand line and the rate lines.
    struct Line {
        std::string_view caption, kwh, rate, charge;
    };
    constexpr std::array<Line, 6> lines{{
        {"Label17", "Label18", "Text5", "Label19"},
        {"Label5", "Label1", "Text1", "Label13"},
        {"Label6", "Label2", "Text2", "Label14"},
        {"Label7", "Label3", "Text3", "Label15"},
        {"Label8", "Label4", "Text4", "Label16"},
        {"Label58", "Label59", "Text6", "Label60"},
    }};
    const bool fifthLine = shown("Label58") || shown("Text6");
    int row = 3;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == 5 && !fifthLine)
            break;
        addText(layout, row, 1, text(lines[i].caption));
        addText(layout, row, 2, text(lines[i].kwh));
        addText(layout, row, 3, text(lines[i].rate));
        addText(layout, row, 4, text(lines[i].charge));
        ++row;
    }
    addText(layout, row, 1, "合　計");
    addText(layout, row, 2, text("Label9"));
    addText(layout, row, 4, text("Label20"));
    if (panel.userMenu)
        addText(layout, row + 1, 4, text("Label11"));
    return layout;
}

} // namespace wattorio::reports
