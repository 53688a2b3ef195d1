#pragma once
// The year as a carpet of colours: 365 day rows down, 24 hour slots across, each reading coloured
// on one scale from the year's lowest to its highest reading, and the days off marked. The
// carpet widget (heatmap_window.h) only paints what this holds.

#include "app/app_state.h"
#include "app/text_grid.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace wattorio::yearbook {

inline constexpr const char* kHeatmapTitle = "ヒートマップ";
inline constexpr const char* kHeatmapScaleTitle = "読み値";
inline constexpr const char* kHeatmapDayOff = "休日";
inline constexpr const char* kHeatmapSaturday = "土曜（休日）";

// Colours of the day-off marks beside the rows (0xRRGGBB).
inline constexpr std::uint32_t kHolidayMark = 0xD83A3A;
inline constexpr std::uint32_t kSaturdayMark = 0x3A6FD8;

struct HeatmapData {
    // value[row][h]: the reading of hour slot h on book row 1..365 (row 0 unused).
    std::array<std::array<double, 24>, 366> value{};
    // DayMark column 0 of each row: 0 working day, 2 Saturday taken as a day off, anything else a
    // holiday.
    std::array<float, 366> dayMark{};
    // Ends of the colour scale: the lowest and highest finite reading (0 and 0 for an empty year).
    double low = 0;
    double high = 0;

    bool dayOff(int row) const {
        return row >= 1 && row <= 365 && dayMark[static_cast<std::size_t>(row)] != 0;
    }
};

// From the tables: HourData (slots 0..23 of rows 1..365) and DayMark.
HeatmapData heatmapFromTables(const AppState& state);
// From the year book's grid as it shows now (typed cells not yet taken over into the tables
// included): the hour cells of rows 1..365 (column h + 4) read by the leading-number rule, the
// days off from DayMark.
HeatmapData heatmapFromGrid(const TextGrid& grid, const AppState& state);

// Colour (0xRRGGBB) of a reading on the scale low..high: dark blue for the lowest through green
// and yellow to red for the highest; the middle colour when the scale has no width; grey for a
// reading that is not a number.
std::uint32_t heatColour(double value, double low, double high);

// Ticks of the legend: up to six round values between low and high with their texts.
struct LegendTick {
    double value = 0;
    std::string text;
};
std::vector<LegendTick> legendTicks(double low, double high);

// Month (1..12) and day of the month of book row 1..365; {0, 0} for any other row.
struct MonthDay {
    int month = 0;
    int day = 0;
};
MonthDay monthDayOfRow(int row);
// The first book row of month 1..12.
int firstRowOfMonth(int month);

// Hover text of a cell: "1月1日（休日）13時　123.4" (the reading in its shortest form).
std::string heatmapCellCaption(const HeatmapData& data, int row, int hour);

} // namespace wattorio::yearbook
