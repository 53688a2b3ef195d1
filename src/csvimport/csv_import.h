#pragma once
// Importing hourly readings from a CSV file into the year book grid (rows 1..365, hour h in
// column h + 4). The import writes field texts into the grid cells only; the book window then
// takes the grid over into HourData (Data_set) and marks itself changed (FWD_Kousin).
//
// Field extraction: a line is cut at every comma (no quoting: a double quote is an ordinary
// character); the last field wanted may be the rest of the line. The texts go into the grid as
// they stand (no trimming). Lines end in CR LF, LF or CR; a UTF-8 byte-order mark at the start of
// the file is skipped; the texts are decoded as Shift_JIS. The file is read as a stream: only the
// lines needed are read, and of each line only the wanted fields are kept (each at most
// kMaxFieldBytes bytes), so neither a huge file nor one huge line takes memory.

#include "app/result.h"
#include "app/text_grid.h"

#include <array>
#include <cstddef>
#include <functional>
#include <string>

namespace wattorio::csvimport {

enum class CsvLayout { Vertical, Horizontal }; // 立行を読む (one hour a line), 横行を読む (one day a line)

// Days of the year before the first day of month m (index m - 1), and the months' lengths, in a
// year of 365 days.
constexpr std::array<int, 12> kMonthOffset = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
constexpr std::array<int, 12> kMonthDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

constexpr int kHoursPerDay = 24;
constexpr int kLastBookRow = 365;
// A field longer than this keeps its first kMaxFieldBytes bytes (cut at a whole character).
constexpr std::size_t kMaxFieldBytes = 1024;

struct CsvImportOptions {
    CsvLayout layout = CsvLayout::Vertical;
    int skipLines = 0; // lines before the first data line
    int column = 1;    // field number (from 1) of the value / of the first of the 24 values; < 1 acts as 1
    int month = 1;     // 1..12
    int day = 1;       // 1..length of the month; 0 = no day chosen (day 1 of the month)
    int days = 365;    // number of days to place
};

// The own sheet format "基本シートフォマット": horizontal, skip 1, column 4, 365 days from 1 January.
CsvImportOptions ownSheetFormat();

// Book row of the first day: month offset + day (day 0 counts as day 1). An error for a month
// outside 1..12 or a day beyond the month's length.
Result<int> startRowOf(int month, int day);

// Why the reading stopped.
enum class CsvEnd {
    Complete,        // every requested day was placed
    EndOfFile,       // the file ended first
    TooFewFields,    // a line lacked the comma before a wanted field
    PastYearEnd,     // the next day would fall after 31 December (beyond the grid)
    ValueOutOfRange, // a value beyond +/-1E+15 or not finite (isBookValue); its day is not placed
};

struct CsvImportOutcome {
    int daysPlaced = 0;   // whole days placed
    int valuesPlaced = 0; // cells written, including those of a day cut short
    int partHours = 0;    // hours placed of a day cut short (0 when none)
    int lastRow = 0;      // last grid row written, 0 when none
    bool endedEarly = false;
    CsvEnd end = CsvEnd::Complete;
    long long line = 0; // the file line where a TooFewFields or ValueOutOfRange end happened (1-based)
};

// Progress: (days done, days wanted); called after every day.
using CsvProgress = std::function<void(int, int)>;

// Load_Tate / Load_Yoko: the two readers with the five settings as the form holds them (single
// precision; fractions are dropped, negative counts act as 0). They place texts into `grid`
// (rows from startRow, hour k of a day in column k + 3) and stop early, keeping what was placed,
// on the first of the ends above. The only error is a file that cannot be opened or is not text
// (NUL bytes, or first lines neither Shift_JIS nor UTF-8): nothing is then placed. The caller then runs the
// book's Data_set.
Result<CsvImportOutcome> Load_Tate(const std::string& path, float skipLines, float hoursPerDay,
                                   float firstColumn, float startRow, float dayCount, TextGrid& grid,
                                   const CsvProgress& progress = {});
Result<CsvImportOutcome> Load_Yoko(const std::string& path, float skipLines, float hoursPerDay,
                                   float firstColumn, float startRow, float dayCount, TextGrid& grid,
                                   const CsvProgress& progress = {});

// The whole import with options: start row from month and day, then Load_Tate or Load_Yoko.
// An error for a file that cannot be opened or a month/day that is no date (nothing placed).
Result<CsvImportOutcome> importCsv(const std::string& path, const CsvImportOptions& options, TextGrid& grid,
                                   const CsvProgress& progress = {});

// A line for the user on an import that stopped before the requested days ("" when complete).
std::string earlyEndNote(const CsvImportOutcome& outcome);

} // namespace wattorio::csvimport
