#pragma once
// The seven spreadsheet reports as plain data: a list of cells, each with its sheet row and
// column (both from 1, A1 = row 1, column 1) and either a text or a number with the number format
// that shows it. The builders read only what they are given (grid texts, the shared tables, the
// rate panel's captions), so the windows and the command line hand over whatever shows on their
// screens. A figure a screen shows as text ("1,234", "7,695,324 円") goes into its cell as the
// number, formatted to look the same, so that a spreadsheet program can add it.

#include "app/app_state.h"
#include "app/text_grid.h"

#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wattorio::reports {

// ExcelMode values.
enum class Report {
    TenDayBook = 1,     // "エクセル起動" of the ten-day book
    MonthlyTotals = 2,  // "月別電気使用量" with its check box
    ResultsGrid = 3,    // "季節別電気使用量 Exl"
    YearBook = 4,       // "エクセル起動" of the year book
    ChargeSummary = 5,  // "エクセル起動" of the results window
    MonthlyMaximum = 6, // "月時間の最大使用量" with its check box
    HourAverages = 7,   // "時間帯別平均電力" with its check box
};
constexpr int kFirstReport = 1;
constexpr int kLastReport = 7;

// The report of an ExcelMode value, or false when the value names none (0, 8, 2.5 ...).
bool reportOfMode(float mode, Report* report);
// Short name of a report: the worksheet's name and the first part of the file name.
std::string_view reportName(Report report);

// One cell: a text or a number.
class ReportCell {
public:
    ReportCell(int row, int col, std::string text)
        : row(row), col(col), text_(std::move(text)), isText_(true) {}
    ReportCell(int row, int col, const char* text) : ReportCell(row, col, std::string(text)) {}
    // `format` is the spreadsheet's number format ("#,##0", "0.00", "#,##0\" 円\""); "" is the
    // general one.
    ReportCell(int row, int col, double number, std::string format = {})
        : row(row), col(col), text_(std::move(format)), number_(number), isText_(false) {}

    int row = 0;
    int col = 0;

    bool isText() const { return isText_; }
    const std::string& text() const { return isText_ ? text_ : kNone; }   // "" for a number
    double number() const { return number_; }                             // 0 for a text
    const std::string& format() const { return isText_ ? kNone : text_; } // "" for a text
    bool operator==(const ReportCell&) const = default;

private:
    static inline const std::string kNone;
    std::string text_; // the text, or the number format of a number
    double number_ = 0;
    bool isText_ = true;
};

struct ReportLayout {
    Report report = Report::TenDayBook;
    // Cells in the order they are written (row by row, left to right). A grid cell whose trimmed
    // text is empty gives no cell: an empty text leaves the sheet's cell empty.
    std::vector<ReportCell> cells;
    // The last column of the table, empty cells included (a grid's width); 0 when the cells tell.
    int lastColumn = 0;

    // The cell at (row, col), or nullptr when it stays empty.
    const ReportCell* find(int row, int col) const;
};

// Blanks (U+0020 only) taken off both ends; full-width blanks and tabs stay.
std::string trimBlanks(std::string_view text);

// A figure as the screens write it: optional "-", digits (grouped by "," in threes or not at
// all), optional "." and decimals, and, where `units` allows, one of " 円", " kWh", " kW" after
// it; blanks around are ignored. Its value and a number format that shows it as the text did
// ("1,234" -> "#,##0", "12.00" -> "0.00", "450 kW" -> "0\" kW\""). Nothing for any other text
// ("１月", "1日から10日", "0時", "007", "1,23").
struct Figure {
    double value = 0;
    std::string format;
};
enum class Units { None, Allowed };
std::optional<Figure> figureOf(std::string_view text, Units units = Units::None);

// What every sheet states first, to the right of its first rows: the site, the period of its
// data and the day the sheet was made.
struct SheetStamp {
    std::string site; // "物件　本社ビル"
    std::string period; // "期間　2024年1月1日〜2024年12月31日" / "期間　年間データ（年の指定なし）"
    std::string made; // "作成日　2026年12月9日"
};
inline constexpr const char* kNoYearPeriod = "年間データ（年の指定なし）";
// The period of the current site's book: the calendar year its calendar was set for, or
// kNoYearPeriod when none is recorded.
std::string dataPeriod(const AppState& state);
// "2026年12月9日" in local time.
std::string madeDate(std::time_t when);
SheetStamp sheetStamp(const AppState& state, std::time_t made);
// Writes the stamp (and `unitLine` under it when given) into rows 1.. of the column two to the
// right of the layout's last column (lastColumn or the last one a cell uses), so no cell of the
// layout moves or is covered.
void addStamp(ReportLayout& layout, const SheetStamp& stamp, const std::string& unitLine = {});
// The column addStamp writes into.
int stampColumn(const ReportLayout& layout);

// Report 1: the ten-day book's grid, sheet rows 1..49 = grid rows 0..48, sheet columns 1..27 =
// grid columns 1..27 (the row-number column 0 is left out); trimmed texts, figures below the
// heading row as numbers (figureOf without units).
ReportLayout tenDayBookReport(const TextGrid& grid);
// Report 4: the year book's grid, sheet rows 1..366 = grid rows 0..365, columns as report 1.
ReportLayout yearBookReport(const TextGrid& grid);
// Report 3: the results window's year table; grid row r (0..47, as far as the grid goes) and
// column c (1..last) go to sheet row r + 3, column c; figures below the heading row as numbers.
// Row 2 carries the unit ("単位　kWh") over the last column.
ReportLayout resultsGridReport(const TextGrid& grid);
// Report 2: the monthly time-of-use totals, working days (rows 3..14), days off (17..28) and
// both together (31..42), each under its heading row; day counts and kWh as numbers. Column 6 is
// the 計 the screen shows (the three bands added).
ReportLayout monthlyTotalsReport(const AppState& state);
// Report 6: each month's largest hourly use with its day and hour (rows 2..13), under the
// headings of row 1 ("月", "日", "時間" beside the unit "kWh"). Day and hour are numbers shown as
// "12 日" and "13 時".
ReportLayout monthlyMaximumReport(const AppState& state);
// Report 7: the average use of each hour of the day (rows 3..26) under the headings of row 2.
ReportLayout hourAveragesReport(const AppState& state);

// What the rate panel of the results window shows: the caption of a label or the text of a rate
// box by control name ("Label21", "Text5" ...), and whether it is shown.
struct PanelView {
    std::function<std::string(std::string_view)> text;
    std::function<bool(std::string_view)> visible;
    // A user menu is chosen: its own tax rate and the total with it (Label11) are written in
    // column 4 under the total.
    bool userMenu = false;
};

// Report 5: the charge summary. Rows 1..8 as the panel shows them, captions copied as they are
// (hidden or empty ones too); kW, kWh, rates and yen of columns 2..4 as numbers. The total with
// tax of a user menu stays the text the panel shows ("消費税含む ... 円"), with its amount as a
// number in column 5 beside it. While the fifth rate line (Label58 / Label59 / Text6 / Label60) is
// shown it is written in row 8 and "合　計" moves to row 9, so that the lines of the sheet add up
// to its total.
ReportLayout chargeSummaryReport(const PanelView& panel);

} // namespace wattorio::reports
