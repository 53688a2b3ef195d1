#include "reports/report_layout.h"

#include "app/numtext.h"
#include "registry/site_book_info.h"

#include <array>
#include <cmath>
#include <cstdlib>

namespace wattorio::reports {

namespace {

constexpr std::array<std::string_view, kLastReport + 1> kReportNames{
    "",         "10日集計表",         "月別電気使用量",  "季節別電気使用量", "365日データ",
    "料金計算", "月時間の最大使用量", "時間帯別平均電力"};

void addText(ReportLayout& layout, int row, int col, std::string text) {
    if (!text.empty())
        layout.cells.emplace_back(row, col, std::move(text));
}
void addNumber(ReportLayout& layout, int row, int col, double value, std::string format = {}) {
    layout.cells.emplace_back(row, col, value, std::move(format));
}
// A screen's figure as the number it shows, any other text as it is.
void addShown(ReportLayout& layout, int row, int col, std::string text, Units units) {
    if (std::optional<Figure> figure = figureOf(text, units))
        addNumber(layout, row, col, figure->value, std::move(figure->format));
    else
        addText(layout, row, col, std::move(text));
}

constexpr const char* kFmtWhole = "#,##0";
constexpr const char* kFmtCount = "0";

std::string monthText(int m) {
    return std::to_string(m) + " 月";
}

// Grid rows firstRow..lastRow and columns 1..lastCol (as far as the grid has them) to sheet
// row grid row + rowShift, same column, trimmed.
void copyGrid(ReportLayout& layout, const TextGrid& grid, int lastRow, int lastCol, int rowShift) {
    const int rows = std::min(lastRow, grid.rows() - 1);
    const int cols = std::min(lastCol, grid.cols() - 1);
    layout.lastColumn = std::max(layout.lastColumn, cols);
    layout.cells.reserve(static_cast<std::size_t>(std::max(0, rows + 1)) *
                         static_cast<std::size_t>(std::max(0, cols)));
    // Row 0 holds the headings ("0時" .. "23時"): texts whatever they look like.
    for (int r = 0; r <= rows; ++r)
        for (int c = 1; c <= cols; ++c) {
            std::string text = trimBlanks(grid.text(r, c));
            if (r == 0)
                addText(layout, r + rowShift, c, std::move(text));
            else
                addShown(layout, r + rowShift, c, std::move(text), Units::None);
        }
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

std::optional<Figure> figureOf(std::string_view text, Units units) {
    std::string_view t = text;
    while (!t.empty() && t.front() == ' ')
        t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ')
        t.remove_suffix(1);
    std::string suffix;
    if (units == Units::Allowed) {
        for (std::string_view unit : {" 円", " kWh", " kW"}) {
            if (t.size() > unit.size() && t.substr(t.size() - unit.size()) == unit) {
                suffix = "\"" + std::string(unit) + "\"";
                t.remove_suffix(unit.size());
                break;
            }
        }
    }
    const bool negative = !t.empty() && t.front() == '-';
    if (negative)
        t.remove_prefix(1);
    const std::size_t point = t.find('.');
    const std::string_view whole = t.substr(0, point);
    const std::string_view decimals =
        point == std::string_view::npos ? std::string_view() : t.substr(point + 1);
    if (whole.empty() || (point != std::string_view::npos && decimals.empty()))
        return std::nullopt;
    for (char c : decimals)
        if (c < '0' || c > '9')
            return std::nullopt;
    // Digits grouped in threes from the right, or no separator at all; no leading zero.
    const bool grouped = whole.find(',') != std::string_view::npos;
    std::string digits;
    std::size_t start = 0;
    for (bool first = true;; first = false) {
        const std::size_t comma = whole.find(',', start);
        const std::string_view part =
            whole.substr(start, comma == std::string_view::npos ? whole.npos : comma - start);
        if (part.empty() || (grouped && (first ? part.size() > 3 : part.size() != 3)))
            return std::nullopt;
        for (char c : part)
            if (c < '0' || c > '9')
                return std::nullopt;
        digits += part;
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    if (digits.size() > 1 && digits.front() == '0')
        return std::nullopt;
    std::string number = (negative ? "-" : "") + digits;
    if (!decimals.empty())
        number += "." + std::string(decimals);
    Figure figure;
    figure.value = std::strtod(number.c_str(), nullptr);
    if (!std::isfinite(figure.value))
        return std::nullopt;
    figure.format = grouped ? kFmtWhole : kFmtCount;
    if (!decimals.empty())
        figure.format += "." + std::string(decimals.size(), '0');
    figure.format += suffix;
    return figure;
}

std::string dataPeriod(const AppState& state) {
    const SiteRecord* site = state.currentSite();
    const std::optional<int> year = site ? registry::siteBookInfo(*site).calendarYear : std::nullopt;
    if (!year)
        return kNoYearPeriod;
    const std::string y = std::to_string(*year);
    return y + "年1月1日〜" + y + "年12月31日";
}

std::string madeDate(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    return std::to_string(local.tm_year + 1900) + "年" + std::to_string(local.tm_mon + 1) + "月" +
           std::to_string(local.tm_mday) + "日";
}

SheetStamp sheetStamp(const AppState& state, std::time_t made) {
    const SiteRecord* site = state.currentSite();
    return {std::string("物件　") + (site ? (*site)[1] : std::string()), "期間　" + dataPeriod(state),
            "作成日　" + madeDate(made)};
}

int stampColumn(const ReportLayout& layout) {
    int last = layout.lastColumn;
    for (const ReportCell& cell : layout.cells)
        last = std::max(last, cell.col);
    return last + 2;
}

void addStamp(ReportLayout& layout, const SheetStamp& stamp, const std::string& unitLine) {
    const int col = stampColumn(layout);
    // Cells are kept in writing order: the stamp's rows go among the layout's first rows.
    std::vector<ReportCell> lines;
    for (const std::string* text : {&stamp.site, &stamp.period, &stamp.made, &unitLine})
        if (!text->empty())
            lines.emplace_back(static_cast<int>(lines.size()) + 1, col, *text);
    std::vector<ReportCell> merged;
    merged.reserve(layout.cells.size() + lines.size());
    std::size_t next = 0;
    for (ReportCell& cell : layout.cells) {
        while (next < lines.size() && lines[next].row < cell.row)
            merged.push_back(std::move(lines[next++]));
        merged.push_back(std::move(cell));
    }
    while (next < lines.size())
        merged.push_back(std::move(lines[next++]));
    layout.cells = std::move(merged);
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
    // Row 2 is empty in this layout: the unit of the year table goes there, over its last column.
    if (grid.cols() > 1)
        layout.cells.insert(layout.cells.begin(), ReportCell(2, grid.cols() - 1, "単位　kWh"));
    return layout;
}

ReportLayout monthlyTotalsReport(const AppState& state) {
    ReportLayout layout{Report::MonthlyTotals, {}};
    addText(layout, 1, 5, "単位　kWh");
    // Three blocks under their heading rows 2, 16 and 30: working days, days off, both; column 6
    // the 計 of the screen's table.
    const std::array<std::array<const char*, 6>, 3> heads{{
        {"平日 kWh", "日数 kWh", "夜間 kWh", "昼間 kWh", "ﾋﾟｰｸ kWh", "計 kWh"},
        {"休日 kWh", "日数 kWh", "夜間 kWh", "昼間 kWh", "ﾋﾟｰｸ kWh", "計 kWh"},
        {"月累計", "日数", "夜間 kWh", "昼間 kWh", "ﾋﾟｰｸ kWh", "計 kWh"},
    }};
    for (int block = 0; block < 3; ++block) {
        const int headRow = 2 + 14 * block;
        for (int c = 0; c < 6; ++c)
            addText(layout, headRow, c + 1,
                    heads[static_cast<std::size_t>(block)][static_cast<std::size_t>(c)]);
        for (int m = 1; m <= 12; ++m) {
            const int row = headRow + m;
            addText(layout, row, 1, monthText(m));
            std::array<double, 4> bucket{};
            for (std::size_t b = 0; b <= 3; ++b) {
                const double a = state.MonthTotalA[b][static_cast<std::size_t>(m)];
                const double o = state.MonthTotalB[b][static_cast<std::size_t>(m)];
                bucket[b] = block == 0 ? a : block == 1 ? o : a + o;
                addNumber(layout, row, static_cast<int>(b) + 2, bucket[b], b == 0 ? kFmtCount : kFmtWhole);
            }
            // Added as the screen adds them, so both show the same figure.
            addNumber(layout, row, 6, bucket[1] + bucket[2] + bucket[3], kFmtWhole);
        }
    }
    return layout;
}

ReportLayout monthlyMaximumReport(const AppState& state) {
    ReportLayout layout{Report::MonthlyMaximum, {}};
    addText(layout, 1, 1, "月");
    addText(layout, 1, 2, "日");
    addText(layout, 1, 3, "時間");
    addText(layout, 1, 4, "kWh");
    for (std::size_t m = 1; m <= 12; ++m) {
        const int row = static_cast<int>(m) + 1;
        addText(layout, row, 1, monthText(static_cast<int>(m)));
        addNumber(layout, row, 2, state.PeakDemandDay[m], "0\" 日\"");
        addNumber(layout, row, 3, state.PeakDemandHour[m], "0\" 時\"");
        addNumber(layout, row, 4, state.PeakDemand[m], kFmtWhole);
    }
    return layout;
}

ReportLayout hourAveragesReport(const AppState& state) {
    ReportLayout layout{Report::HourAverages, {}};
    addText(layout, 2, 1, "時間");
    addText(layout, 2, 2, "電力量kWh");
    for (std::size_t h = 0; h <= 23; ++h) {
        const int row = static_cast<int>(h) + 3;
        addText(layout, row, 1, std::to_string(h) + "時");
        addNumber(layout, row, 2, state.HourAverage[h], "#,##0.00");
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
        addShown(layout, row, 2, text(lines[i].kwh), Units::Allowed);
        addShown(layout, row, 3, text(lines[i].rate), Units::None);
        addShown(layout, row, 4, text(lines[i].charge), Units::Allowed);
        ++row;
    }
    addText(layout, row, 1, "合　計");
    addShown(layout, row, 2, text("Label9"), Units::Allowed);
    addShown(layout, row, 4, text("Label20"), Units::Allowed);
    if (panel.userMenu) {
        // "消費税含む    　1,234 円" keeps its words: the amount goes beside it as a number.
        const std::string withTax = text("Label11");
        addText(layout, row + 1, 4, withTax);
        const std::size_t start = withTax.rfind("　");
        if (start != std::string::npos)
            if (std::optional<Figure> figure =
                    figureOf(withTax.substr(start + std::string_view("　").size()), Units::Allowed))
                addNumber(layout, row + 1, 5, figure->value, figure->format);
    }
    return layout;
}

} // namespace wattorio::reports
