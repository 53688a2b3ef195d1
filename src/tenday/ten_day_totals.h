#pragma once
// The yearly totals of the ten-day book: each month's three working-day rows go into MonthTotalA,
// its holiday row into MonthTotalB, with the rows' day counts in bucket 0 and the meter units x
// the site's multiplier summed into the night (1), day (2) and peak (3) buckets.

#include "app/app_state.h"
#include "calc/aggregation.h"

namespace wattorio::tenday {

// Totals with the hour bands of one band set (the sets of the hourly aggregation): clears both
// tables, then adds rows 4m-3, 4m-2, 4m-1 of every month into MonthTotalA and row 4m into
// MonthTotalB. Within a row: night hours, the day count, day hours, peak hours, each in
// increasing hour order.
void yearTotals(AppState& state, calc::BandSet set);

// 東京電力 and 東北電力: night 0-7, 22, 23; day 8-12, 16-21; peak 13-15.
void Tepco_Yer_Total(AppState& state);
// 中部電力: night 0-7, 22, 23; day 8, 9, 17-21; peak 10-16.
void Chyubu_Yer_Total(AppState& state);

// By UtilityNo: 1 and 3 Tepco_Yer_Total, 2 Chyubu_Yer_Total; 4..9 the hourly aggregation's band
// set of that utility, so that every ten-day site is priced on its own figures. False, with both
// tables untouched, for any other value.
bool Yer_Total(AppState& state);

} // namespace wattorio::tenday
