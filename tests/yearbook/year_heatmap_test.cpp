// The carpet of the year: values from the tables or the grid, colour scale, legend, days.

#include "yearbook/year_heatmap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace wattorio;
using namespace wattorio::yearbook;

namespace {

TEST(YearHeatmap, FromTablesAndFromTheGrid) {
    AppState state;
    for (int r = 1; r <= 365; ++r)
        for (int h = 0; h < 24; ++h)
            state.HourData[static_cast<std::size_t>(h)][static_cast<std::size_t>(r)] = r + h / 100.0;
    state.HourData[25][100] = 99999; // slots past 23 are not readings of the day
    state.HourData[3][366] = 99999;  // nor rows past 365
    state.DayMark[1][0] = 1;
    state.DayMark[6][0] = 2;
    const HeatmapData t = heatmapFromTables(state);
    EXPECT_EQ(t.value[1][0], 1);
    EXPECT_EQ(t.value[365][23], 365.23);
    EXPECT_EQ(t.low, 1);
    EXPECT_EQ(t.high, 365.23);
    EXPECT_TRUE(t.dayOff(1));
    EXPECT_TRUE(t.dayOff(6));
    EXPECT_FALSE(t.dayOff(2));
    EXPECT_FALSE(t.dayOff(0));
    EXPECT_FALSE(t.dayOff(366));

    // The grid as the year book shows it: typed texts read by the leading-number rule.
    TextGrid grid(366, 28, 1, 3);
    grid.setText(10, 4, "12.5");
    grid.setText(10, 27, "7kWh");
    grid.setText(11, 5, "abc");
    grid.setText(12, 6, "-3");
    const HeatmapData g = heatmapFromGrid(grid, state);
    EXPECT_EQ(g.value[10][0], 12.5);
    EXPECT_EQ(g.value[10][23], 7);
    EXPECT_EQ(g.value[11][1], 0);
    EXPECT_EQ(g.low, -3);
    EXPECT_EQ(g.high, 12.5);
    EXPECT_TRUE(g.dayOff(1));

    const HeatmapData empty = heatmapFromTables(AppState{});
    EXPECT_EQ(empty.low, 0);
    EXPECT_EQ(empty.high, 0);
}

TEST(YearHeatmap, ColourScale) {
    const std::uint32_t lowest = heatColour(0, 0, 100);
    const std::uint32_t highest = heatColour(100, 0, 100);
    EXPECT_EQ(lowest, 0x2B1D78u);
    EXPECT_EQ(highest, 0xD7301Fu);
    EXPECT_EQ(heatColour(-5, 0, 100), lowest); // outside the scale: its ends
    EXPECT_EQ(heatColour(500, 0, 100), highest);
    EXPECT_EQ(heatColour(20, 0, 100), 0x2F6DB5u); // a stop
    // Without width every reading takes the middle colour; a reading that is not a number is grey.
    EXPECT_EQ(heatColour(5, 5, 5), heatColour(50, 0, 100));
    EXPECT_EQ(heatColour(std::nan(""), 0, 100), 0xA0A0A0u);
    // Red grows with the reading.
    EXPECT_LT(heatColour(10, 0, 100) >> 16, heatColour(90, 0, 100) >> 16);
}

TEST(YearHeatmap, LegendTicks) {
    const std::vector<LegendTick> t = legendTicks(0, 1131);
    ASSERT_GE(t.size(), 3u);
    EXPECT_EQ(t.front().value, 0);
    EXPECT_EQ(t.front().text, "0");
    EXPECT_EQ(t[1].text, "250");
    EXPECT_LE(t.back().value, 1131);
    EXPECT_LE(t.size(), 6u);

    const std::vector<LegendTick> f = legendTicks(0.13, 0.87);
    ASSERT_FALSE(f.empty());
    EXPECT_EQ(f.front().text, "0.2");
    EXPECT_EQ(legendTicks(4, 4).size(), 1u);
    EXPECT_TRUE(legendTicks(0, std::numeric_limits<double>::infinity()).empty());
}

TEST(YearHeatmap, RowsAndCaptions) {
    EXPECT_EQ(monthDayOfRow(1).month, 1);
    EXPECT_EQ(monthDayOfRow(59).day, 28);
    EXPECT_EQ(monthDayOfRow(60).month, 3); // 1 March is always row 60
    EXPECT_EQ(monthDayOfRow(60).day, 1);
    EXPECT_EQ(monthDayOfRow(365).month, 12);
    EXPECT_EQ(monthDayOfRow(365).day, 31);
    EXPECT_EQ(monthDayOfRow(0).month, 0);
    EXPECT_EQ(monthDayOfRow(366).month, 0);
    EXPECT_EQ(firstRowOfMonth(12), 335);
    EXPECT_EQ(firstRowOfMonth(13), 0);

    AppState state;
    state.HourData[13][1] = 123.4;
    state.DayMark[1][0] = 1;
    state.DayMark[6][0] = 2;
    const HeatmapData d = heatmapFromTables(state);
    EXPECT_EQ(heatmapCellCaption(d, 1, 13), "1月1日（休日）13時　123.4");
    EXPECT_EQ(heatmapCellCaption(d, 6, 0), "1月6日（土曜休日）0時　0");
    EXPECT_EQ(heatmapCellCaption(d, 60, 23), "3月1日23時　0");
    EXPECT_EQ(heatmapCellCaption(d, 0, 0), "");
    EXPECT_EQ(heatmapCellCaption(d, 1, 24), "");
}

} // namespace
