#pragma once
// One metered interval with its full date and time: the unit of the site's dated meter data and
// of the monthly bill.

#include <cstdint>

namespace wattorio::billing {

struct MeterInterval {
    std::int32_t date = 0;   // day number of the interval's start (days since 1970-01-01)
    std::int16_t start = 0;  // minutes since midnight of the start, 0 .. 1439
    std::int16_t minutes = 30; // length: 15, 30 or 60
    double kwh = 0;          // energy in the interval, kWh (finite, not negative)
};

} // namespace wattorio::billing
