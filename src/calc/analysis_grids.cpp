#include "calc/analysis_grids.h"

#include "app/display_format.h"
#include "app/numtext.h"

#include <string>

namespace wattorio::calc {

namespace {

constexpr std::string_view kFmtWholeKwh = "#,###,###,###";

std::string monthText(int m) {
    return std::to_string(m) + " 月";
}
std::string kwhText(double value) {
    return formatPattern(value, kFmtWholeKwh);
}

// One block of the monthly usage table: month m in row firstRow + m - 1; columns 1..4 the day
// count and the three bands, column 5 the three bands together.
void usageBlock(TextGrid& grid, int firstRow, const AppState& state, bool workingDays, bool daysOff) {
    for (int m = 1; m <= 12; ++m) {
        const int row = firstRow + m - 1;
        grid.setText(row, 0, monthText(m));
        double bucket[4];
        for (int b = 0; b <= 3; ++b) {
            bucket[b] = 0;
            if (workingDays && daysOff)
                bucket[b] = state.MonthTotalA[b][m] + state.MonthTotalB[b][m];
            else
                bucket[b] = workingDays ? state.MonthTotalA[b][m] : state.MonthTotalB[b][m];
            grid.setText(row, 1 + b, kwhText(bucket[b]));
        }
        grid.setText(row, 5, kwhText(bucket[1] + bucket[2] + bucket[3]));
    }
}

} // namespace

void fillMonthlyMaximum(TextGrid& grid, const AppState& state) {
    const int keptWidth = grid.colWidth(2);
    grid.beginUpdate();
    grid.resize(13, 4);
    grid.setFixed(1, 0);
    grid.setColWidth(0, 600);
    grid.setColWidth(1, 800);
    grid.setColWidth(2, keptWidth);
    grid.setColWidth(3, 1200);
    const char* heads[] = {"月", "日", "時間", "電力量kWh"};
    for (int c = 0; c < 4; ++c)
        grid.setText(0, c, heads[c]);
    for (int m = 1; m <= 12; ++m) {
        grid.setText(m, 0, monthText(m));
        grid.setText(m, 1, numberText(state.PeakDemandDay[m]) + " 日");
        grid.setText(m, 2, numberText(state.PeakDemandHour[m]) + " 時");
        grid.setText(m, 3, kwhText(state.PeakDemand[m]));
    }
    grid.endUpdate();
}

void fillHourAverages(TextGrid& grid, const AppState& state) {
    grid.beginUpdate();
    grid.resize(25, 2);
    grid.setFixed(1, 0);
    grid.setColWidth(0, 800);
    grid.setColWidth(1, 1200);
    grid.setText(0, 0, "時間");
    grid.setText(0, 1, "電力量kWh");
    for (int h = 0; h <= 23; ++h) {
        grid.setText(h + 1, 0, std::to_string(h) + "時");
        grid.setText(h + 1, 1, kwhText(state.HourAverage[h]));
    }
    grid.endUpdate();
}

void fillMonthlyUsage(TextGrid& grid, const AppState& state) {
    grid.beginUpdate();
    grid.resize(41, 6);
    grid.setFixed(1, 1);
    grid.setColWidth(0, 600);
    grid.setColWidth(1, 500);
    const char* heads[] = {"平日", "日数", "夜間 kWh", "昼間 kWh", "ﾋﾟｰｸ kWh", "計 kWh"};
    for (int c = 0; c < 6; ++c)
        grid.setText(0, c, heads[c]);
    usageBlock(grid, 1, state, true, false);
    grid.setText(14, 0, "休日");
    usageBlock(grid, 15, state, false, true);
    grid.setText(28, 0, "月累計");
    usageBlock(grid, 29, state, true, true);
    grid.endUpdate();
}

} // namespace wattorio::calc
