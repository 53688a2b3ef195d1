#include "reports/analysis.h"

#include "calc/aggregation.h"

#include <cmath>

namespace wattorio::reports {

void Demd(AppState& state) {
    state.PeakDemand.fill(0);
    // The day and hour go with the maximum: a month without a positive reading shows neither, so
    // no figure of an earlier calculation (possibly of another site) is left standing.
    state.PeakDemandDay.fill(0);
    state.PeakDemandHour.fill(0);
    for (int m = 1; m <= 12; ++m) {
        float day = 1;
        for (int d = calc::kMonthFirstRow[m]; d <= calc::kMonthLastRow[m]; ++d) {
            for (int h = 0; h <= 23; ++h) {
                if (state.HourData[h][d] > state.PeakDemand[m]) {
                    state.PeakDemand[m] = state.HourData[h][d];
                    state.PeakDemandHour[m] = static_cast<float>(h);
                    state.PeakDemandDay[m] = day;
                }
            }
            day += 1;
        }
    }
    const double multiplier = state.currentSiteValue(2);
    for (int m = 1; m <= 12; ++m)
        state.PeakDemand[m] = multiplier * state.PeakDemand[m];
}

void Heikin(AppState& state) {
    const float multiplier = static_cast<float>(state.currentSiteValue(2));
    state.HourAverage.fill(0);
    for (int d = 1; d <= 365; ++d)
        for (int h = 0; h <= 23; ++h)
            state.HourAverage[h] += state.HourData[h][d];
    for (int h = 0; h <= 23; ++h) {
        state.HourAverage[h] = std::floor(state.HourAverage[h] / 365 * 100) / 100;
        state.HourAverage[h] = static_cast<double>(multiplier) * state.HourAverage[h];
    }
}

} // namespace wattorio::reports
