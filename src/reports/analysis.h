#pragma once
// Demand and time-of-day analysis of the hourly year book: each month's largest hourly reading
// with its day and hour, and the average reading of each hour of the day. Computed with the
// aggregation when the charge calculation starts from the year book; shown by the results window.

#include "app/app_state.h"
#include "calc/analysis_grids.h"

namespace wattorio::reports {

// Demd: PeakDemand[m] = the month's largest reading (strictly greater wins, so the earliest day
// and hour of equal readings), times the meter multiplier; PeakDemandDay[m] = its day of the month
// (1..31), PeakDemandHour[m] = its hour slot. A month without a positive reading keeps 0 and has
// its day and hour cleared to 0 as well.
void Demd(AppState& state);

// Heikin: HourAverage[h] = the yearly sum of hour slot h / 365, rounded down to two decimals, times
// the meter multiplier. Entry 24 stays 0.
void Heikin(AppState& state);

// The MSFlexGrid2 tables (built with the results window's core, see calc/analysis_grids.h).
using calc::fillHourAverages;
using calc::fillMonthlyMaximum;
using calc::fillMonthlyUsage;

} // namespace wattorio::reports
