#include "tenday/ten_day_totals.h"

#include <optional>

namespace wattorio::tenday {

namespace {

using Table = std::array<std::array<double, 13>, 4>;

void addRow(const AppState& state, int r, double multiplier, calc::BandSet set, Table& t, int month) {
    for (int h = 0; h < 24; ++h)
        if (calc::hourBand(set, h) == calc::Band::Night)
            t[1][month] += multiplier * state.HourData[h][r];
    t[0][month] += state.DayMark[r][0];
    for (int h = 0; h < 24; ++h)
        if (calc::hourBand(set, h) == calc::Band::Day)
            t[2][month] += multiplier * state.HourData[h][r];
    for (int h = 0; h < 24; ++h)
        if (calc::hourBand(set, h) == calc::Band::Peak)
            t[3][month] += multiplier * state.HourData[h][r];
}

} // namespace

void yearTotals(AppState& state, calc::BandSet set) {
    for (auto& bucket : state.MonthTotalA)
        bucket.fill(0);
    for (auto& bucket : state.MonthTotalB)
        bucket.fill(0);
    // The multiplier is held in single precision; each product is formed in double.
    const double multiplier = static_cast<float>(state.currentSiteValue(2));
    for (int m = 1; m <= 12; ++m)
        for (int r = 4 * m - 3; r <= 4 * m - 1; ++r)
            addRow(state, r, multiplier, set, state.MonthTotalA, m);
    for (int m = 1; m <= 12; ++m)
        addRow(state, 4 * m, multiplier, set, state.MonthTotalB, m);
}

void Tepco_Yer_Total(AppState& state) {
    yearTotals(state, calc::BandSet::A);
}
void Chyubu_Yer_Total(AppState& state) {
    yearTotals(state, calc::BandSet::B);
}

bool Yer_Total(AppState& state) {
    const float u = state.UtilityNo;
    if (u == 1 || u == 3) {
        Tepco_Yer_Total(state);
        return true;
    }
    if (u == 2) {
        Chyubu_Yer_Total(state);
        return true;
    }
    if (!(u >= 4 && u <= 9) || u != static_cast<float>(static_cast<int>(u)))
        return false;
    const std::optional<calc::BandSet> set = calc::bandSetOf(static_cast<int>(u));
    if (!set)
        return false;
    yearTotals(state, *set);
    return true;
}

} // namespace wattorio::tenday
