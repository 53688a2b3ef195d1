#include "billing/book_intervals.h"

#include "app/book_value.h"
#include "billing/dates.h"

namespace wattorio::billing {

BookIntervals bookIntervals(const BookHours& hours, int year, double multiplier) {
    BookIntervals out;
    out.intervals.reserve(365 * 24);
    // Rows 1..365 are 1 January .. 31 December of a common year; a leap year's 29 February has
    // no row.
    std::int32_t day = dayNumber(year, 1, 1);
    for (int row = 1; row <= 365; ++row, ++day) {
        const CivilDate date = civilDate(day);
        if (date.month == 2 && date.day == 29) {
            out.daysWithoutReadings.push_back(day);
            ++day;
        }
        for (int hour = 0; hour < 24; ++hour) {
            const double value = hours[hour][row];
            const double kwh = value * multiplier;
            if (!isBookValue(value) || value < 0 || !isBookValue(kwh))
                continue;
            out.intervals.push_back({day, static_cast<std::int16_t>(hour * 60), 60, kwh});
        }
    }
    return out;
}

} // namespace wattorio::billing
