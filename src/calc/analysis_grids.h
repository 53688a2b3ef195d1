#pragma once
// The tables the results window shows in its second grid (MSFlexGrid2): the monthly maximum
// hourly use, the average use per hour of day, and the monthly usage by day kind. Each rebuilds
// the grid (shape, widths, texts); kWh are shown with "#,###,###,###" (a value that rounds to 0
// leaves the cell empty). The figures come from the shared analysis tables and monthly totals.

#include "app/app_state.h"
#include "app/text_grid.h"

namespace wattorio::calc {

// "月時間の最大使用量": 4 columns x 13 rows, no fixed column; "1 月", "5 日", "13 時", kWh.
void fillMonthlyMaximum(TextGrid& grid, const AppState& state);
// "時間帯別平均電力": 2 columns x 25 rows, no fixed column; "0時" .. "23時", kWh.
void fillHourAverages(TextGrid& grid, const AppState& state);
// "月別電気使用量": 6 columns x 41 rows, one fixed column; working days (rows 1-12), days off
// (15-26) and both together (29-40).
void fillMonthlyUsage(TextGrid& grid, const AppState& state);

} // namespace wattorio::calc
