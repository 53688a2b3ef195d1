#pragma once
// The ten-day book: 48 rows, for each month the working days of days 1-10, 11-20 and 21 to the
// month's end and the month's holidays. It lives in the shared book tables while it is open:
// DayCode(r, 0) month label, DayCode(r, 1) period label, DayMark(r, 0) days covered,
// DayMark(r, 1) always 98, HourData(h, r) the meter units of hour h summed over the row's days.
// On disk it is the site's "_W.dat": 1,470 list-write lines (labels, day counts, hours) for the
// rows 0..48.

#include "app/app_state.h"
#include "app/result.h"

#include <array>
#include <string>

namespace wattorio::tenday {

constexpr int kTenDayRows = 48; // book rows 1..48; row 0 holds no data
constexpr int kTenDayFileLines = 1470;
constexpr float kRowMarker = 98; // DayMark(r, 1) of every book row

// Month (1..12) of book row r (1..48), and its kind: 1..3 the working-day periods, 4 the holidays.
constexpr int monthOfRow(int r) {
    return (r + 3) / 4;
}
constexpr int kindOfRow(int r) {
    return r - 4 * (monthOfRow(r) - 1);
}

// Set_Data: month and period labels and the default day counts of rows 1..48, DayMark(r, 1) = 98.
// HourData is left alone.
void Set_Data(AppState& state);

// A new book: Set_Data, row 0 blank, every hour slot 0..25 of rows 0..48 zero.
void newTenDayBook(AppState& state);

// Rows 0..48 of the book tables: everything the file holds.
struct TenDayTables {
    std::array<std::array<std::string, 2>, kTenDayRows + 1> dayCode;
    std::array<std::array<float, 2>, kTenDayRows + 1> dayMark{};
    std::array<std::array<double, kTenDayRows + 1>, kHourSlots> hours{};
};
TenDayTables takeTables(const AppState& state);
void putTables(const TenDayTables& book, AppState& state);

enum class BookFile { Loaded, Missing, Damaged };

struct TenDayLoad {
    BookFile file = BookFile::Missing;
    std::string detail; // what was wrong with a damaged file
};

// Reads a "_W.dat" into the tables. The tables change only when the whole file reads; a missing
// or damaged file leaves a new book (newTenDayBook) in them instead.
TenDayLoad readTenDayBook(AppState& state, const std::string& path);

// The same for callers that only need to know whether the book can be used: a missing file is a
// new book (success), a damaged one an error naming the file.
Status loadTenDayBook(AppState& state, const std::string& path);

// The file image of the tables (rows 0..48), CP932 with CR LF; an error when a label cannot be
// stored (a character outside Shift_JIS, or a double quote, which the file form cannot hold).
Result<std::string> tenDayBookBytes(const AppState& state);

// Writes the tables into `path` (crash-safe: the old file stays whole when writing fails).
Status saveTenDayBook(const AppState& state, const std::string& path);

} // namespace wattorio::tenday
