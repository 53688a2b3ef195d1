#include "calc/aggregation.h"

namespace wattorio::calc {

namespace {

using BandRow = std::array<Band, 24>;

constexpr BandRow makeBands(BandSet set) {
    BandRow bands{};
    for (int h = 0; h < 24; ++h) {
        if (h <= 7 || h >= 22)
            bands[h] = Band::Night;
        else if (set == BandSet::C)
            bands[h] = Band::Day;
        else if (set == BandSet::A)
            bands[h] = (h >= 13 && h <= 15) ? Band::Peak : Band::Day;
        else
            bands[h] = (h >= 10 && h <= 16) ? Band::Peak : Band::Day;
    }
    return bands;
}

constexpr std::array<BandRow, 3> kBands{makeBands(BandSet::A), makeBands(BandSet::B), makeBands(BandSet::C)};

// One aggregation run. Within a band the slots are added one by one in increasing order, which
// is the order night 0..7, 22, 23 / day 8..12, 16..21 (A), 8, 9, 17..21 (B), 8..21 (C) / peak.
void monthTotals(AppState& state, BandSet set) {
    for (auto& row : state.MonthTotalA)
        row.fill(0);
    for (auto& row : state.MonthTotalB)
        row.fill(0);
    const float multiplier = static_cast<float>(state.currentSiteValue(2));
    const double m = multiplier;
    const BandRow& bands = kBands[static_cast<int>(set)];
    for (int month = 1; month <= 12; ++month) {
        for (int d = kMonthFirstRow[month]; d <= kMonthLastRow[month]; ++d) {
            auto& t = state.DayMark[d][0] == 0 ? state.MonthTotalA : state.MonthTotalB;
            double sums[4] = {0, t[1][month], t[2][month], t[3][month]};
            for (int h = 0; h < 24; ++h)
                sums[static_cast<int>(bands[h])] += m * state.HourData[h][d];
            t[0][month] += 1;
            t[1][month] = sums[1];
            t[2][month] = sums[2];
            if (set != BandSet::C)
                t[3][month] = sums[3];
        }
    }
}

} // namespace

std::optional<BandSet> bandSetOf(int utility) {
    switch (utility) {
    case 1:
    case 3:
    case 5:
    case 6:
    case 7:
    case 8:
        return BandSet::A;
    case 2:
    case 4:
        return BandSet::B;
    case 9:
        return BandSet::C;
    default:
        return std::nullopt;
    }
}

Band hourBand(BandSet set, int hour) {
    if (hour < 0 || hour > 23)
        return Band::None;
    return kBands[static_cast<int>(set)][hour];
}

Band hourBand(int utility, int hour) {
    const std::optional<BandSet> set = bandSetOf(utility);
    return set ? hourBand(*set, hour) : Band::None;
}

void Tepco_Mon_Total(AppState& state) {
    monthTotals(state, BandSet::A);
}
void Chyubu_Mon_Total(AppState& state) {
    monthTotals(state, BandSet::B);
}
void Shikoku_Mon_Total(AppState& state) {
    monthTotals(state, BandSet::A);
}
void Hokkaido_Mon_Total(AppState& state) {
    monthTotals(state, BandSet::C);
}

bool runMonthTotals(AppState& state) {
    const float u = state.UtilityNo;
    if (u == 1 || u == 3 || u == 5 || u == 7 || u == 8)
        Tepco_Mon_Total(state);
    else if (u == 2 || u == 4)
        Chyubu_Mon_Total(state);
    else if (u == 6)
        Shikoku_Mon_Total(state);
    else if (u == 9)
        Hokkaido_Mon_Total(state);
    else
        return false;
    return true;
}

std::optional<Message> utilityRefusal(const AppState& state) {
    const float u = state.UtilityNo;
    if (u >= 1 && u <= 9 && u == static_cast<float>(static_cast<int>(u)))
        return std::nullopt;
    return inputError(kChooseUtilityText);
}

} // namespace wattorio::calc
