#pragma once
// The year book file "_Y.dat": 10,980 lines in the list-write form, in this order:
//   DayCode(r, 0), DayCode(r, 1) for r = 0..365      (732 quoted strings)
//   DayMark(r, 0), DayMark(r, 1) for r = 0..365      (732 numbers)
//   HourData(h, r) for r = 0..365, h = 0..25         (9,516 numbers)
// Row 0 and the hour slots 24 and 25 are kept through a load and a save like every other value.

#include "app/app_state.h"
#include "app/result.h"

#include <string>
#include <string_view>

namespace wattorio::yearbook {

constexpr int kYearRows = 365; // book rows 1..365 are the days; row 0 holds no day
constexpr int kYearFileLines = 10980;

// How a load went.
enum class BookFileState {
    Read,     // every value read
    Repaired, // every value read, but some date labels held bytes that are not Shift_JIS and
              // were replaced by the row's own label; the file itself should be kept aside
    Missing,  // no such file: the normal case of a new site
    Damaged,  // the file exists but cannot be read as a book (truncated, text where a number
              // belongs, a value out of range); nothing was taken from it
};

// File -> DayCode, DayMark, HourData (rows 0..365). On an error the tables are left untouched
// and `outcome` (when given) tells a missing file from a damaged one.
Status loadYearBook(AppState& state, const std::string& path, BookFileState* outcome = nullptr);
// Tables -> file, crash-safe: the old file stays whole when the new one cannot be written.
Status saveYearBook(const AppState& state, const std::string& path);
// A new book: rows 0..365 cleared, then the labels 1月/1 .. 12月/31 on rows 1..365.
void newYearBook(AppState& state);

// The file's bytes for the given tables (what saveYearBook writes).
Result<std::string> yearBookBytes(const AppState& state);
// Reads a book from the file's bytes into the tables (same rules as loadYearBook; never Missing).
Status readYearBookBytes(AppState& state, std::string_view bytes, BookFileState* outcome = nullptr);

// Month label ("1月" .. "12月") and day label ("1" .. "31") of book row 1..365; "" outside.
std::string monthLabel(int row);
std::string dayLabel(int row);

} // namespace wattorio::yearbook
