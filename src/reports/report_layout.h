#pragma once
// The seven spreadsheet reports as plain data: a list of cells, each with its sheet row and
// column (both from 1, A1 = row 1, column 1) and either a text or a number. The builders read
// only what they are given (grid texts, the shared tables, the rate panel's captions), so the
// windows and the command line hand over whatever shows on their screens.

#include "app/app_state.h"
#include "app/text_grid.h"

#include <functional>
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
    ReportCell(int row, int col, double number) : row(row), col(col), number_(number), isText_(false) {}

    int row = 0;
    int col = 0;

    bool isText() const { return isText_; }
    const std::string& text() const { return text_; } // "" for a number
    double number() const { return number_; }         // 0 for a text
    bool operator==(const ReportCell&) const = default;

private:
    std::string text_;
    double number_ = 0;
    bool isText_ = true;
};

struct ReportLayout {
    Report report = Report::TenDayBook;
    // Cells in the order they are written (row by row, left to right). A grid cell whose trimmed
    // text is empty gives no cell: an empty text leaves the sheet's cell empty.
    std::vector<ReportCell> cells;

    // The cell at (row, col), or nullptr when it stays empty.
    const ReportCell* find(int row, int col) const;
};

// Blanks (U+0020 only) taken off both ends; full-width blanks and tabs stay.
std::string trimBlanks(std::string_view text);

// Report 1: the ten-day book's grid, sheet rows 1..49 = grid rows 0..48, sheet columns 1..27 =
// grid columns 1..27 (the row-number column 0 is left out); trimmed texts.
ReportLayout tenDayBookReport(const TextGrid& grid);
// Report 4: the year book's grid, sheet rows 1..366 = grid rows 0..365, columns as report 1.
ReportLayout yearBookReport(const TextGrid& grid);
// Report 3: the results window's year table; grid row r (0..47, as far as the grid goes) and
// column c (1..last) go to sheet row r + 3, column c; sheet rows 1 and 2 stay empty.
ReportLayout resultsGridReport(const TextGrid& grid);
// Report 2: the monthly time-of-use totals, working days (rows 3..14), days off (17..28) and
// both together (31..42), each under its heading row; day counts and kWh as numbers.
ReportLayout monthlyTotalsReport(const AppState& state);
// Report 6: each month's largest hourly use with its day and hour (rows 2..13).
ReportLayout monthlyMaximumReport(const AppState& state);
// Report 7: the average use of each hour of the day (rows 3..26).
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
// (hidden or empty ones too). While the fifth rate line (Label58 / Label59 / Text6 / Label60) is
// shown it is written in row 8 and "合　計" moves to row 9, so that the lines of the sheet add up
// to its total.
ReportLayout chargeSummaryReport(const PanelView& panel);

} // namespace wattorio::reports
