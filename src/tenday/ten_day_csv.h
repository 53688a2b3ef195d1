#pragma once
// "ＣＳＶ読込" of the ten-day book reads the book's own sheet layout, as the ten-day spreadsheet
// report lays it out and saves it as CSV: one heading line, then one line per book row 1..48 with
// the month label, the period label, the day count and the 24 hourly values.
//
// Field rules as in the year book's horizontal import: a line is cut at every comma (there is no
// quoting, a double quote is an ordinary character), field texts go into the grid unchanged, the
// last field wanted may be the rest of the line and fields after it are ignored. Lines are
// Shift_JIS; a file starting with a UTF-8 byte-order mark, or one that is valid UTF-8 with
// non-ASCII characters, is read as UTF-8.

#include "app/result.h"
#include "app/text_grid.h"

#include <string>
#include <string_view>

namespace wattorio::tenday {

constexpr int kCsvFields = 27; // month label, period label, day count, hours 0..23

struct TenDayCsvOutcome {
    int rowsPlaced = 0; // book rows filled, from row 1 on
};

// Places the lines of a file image into grid rows 1..48, field k into column k. Reading stops at
// the end of the file, after row 48, or at a line with fewer than 27 fields (that line places
// nothing).
TenDayCsvOutcome placeTenDayCsv(std::string_view bytes, TextGrid& grid);

// The same from a file; an error (nothing placed) when the file cannot be read.
Result<TenDayCsvOutcome> importTenDayCsv(const std::string& path, TextGrid& grid);

} // namespace wattorio::tenday
