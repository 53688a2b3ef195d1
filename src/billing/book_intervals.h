#pragma once
// A year book's readings as dated meter data: its 365 rows fall on the dates of a chosen year
// (1 January .. 31 December, 29 February of a leap year skipped: the book has no row for it) and
// each hour of a row is one 60-minute interval.

#include "app/app_state.h"
#include "billing/interval.h"

#include <array>
#include <cstdint>
#include <vector>

namespace wattorio::billing {

// The book's hour table as AppState holds it: [hour slot 0..25][row 0..370], rows 1..365 the days,
// slots 0..23 the hours from 0:00.
using BookHours = std::array<std::array<double, kBookRows>, kHourSlots>;

struct BookIntervals {
    std::vector<MeterInterval> intervals;
    std::vector<std::int32_t> daysWithoutReadings; // 29 February of a leap year
};

// Every reading times `multiplier`; a value that is no reading (negative or beyond the book's
// range) leaves its hour missing.
BookIntervals bookIntervals(const BookHours& hours, int year, double multiplier = 1);

} // namespace wattorio::billing
