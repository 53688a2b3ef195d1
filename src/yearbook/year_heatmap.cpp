#include "yearbook/year_heatmap.h"

#include "app/numtext.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace wattorio::yearbook {

namespace {

constexpr std::array<int, 13> kMonthFirst{0, 1, 32, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335};

// Colour stops of the scale, lowest first.
constexpr std::array<std::uint32_t, 6> kStops{0x2B1D78, 0x2F6DB5, 0x2BA88F, 0x8CCB4A, 0xF4D03F, 0xD7301F};

void findEnds(HeatmapData& d) {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    for (int r = 1; r <= 365; ++r)
        for (double v : d.value[static_cast<std::size_t>(r)])
            if (std::isfinite(v)) {
                low = std::min(low, v);
                high = std::max(high, v);
            }
    d.low = std::isfinite(low) ? low : 0;
    d.high = std::isfinite(high) ? high : 0;
}

std::uint32_t mix(std::uint32_t a, std::uint32_t b, double t) {
    std::uint32_t out = 0;
    for (int shift : {16, 8, 0}) {
        const double x = (a >> shift) & 0xFF;
        const double y = (b >> shift) & 0xFF;
        out |= static_cast<std::uint32_t>(std::lround(x + (y - x) * t)) << shift;
    }
    return out;
}

} // namespace

HeatmapData heatmapFromTables(const AppState& state) {
    HeatmapData d;
    for (int r = 1; r <= 365; ++r) {
        const auto row = static_cast<std::size_t>(r);
        for (int h = 0; h < 24; ++h)
            d.value[row][static_cast<std::size_t>(h)] = state.HourData[static_cast<std::size_t>(h)][row];
        d.dayMark[row] = state.DayMark[row][0];
    }
    findEnds(d);
    return d;
}

HeatmapData heatmapFromGrid(const TextGrid& grid, const AppState& state) {
    HeatmapData d;
    for (int r = 1; r <= 365; ++r) {
        const auto row = static_cast<std::size_t>(r);
        for (int h = 0; h < 24; ++h)
            d.value[row][static_cast<std::size_t>(h)] = val(grid.text(r, h + 4));
        d.dayMark[row] = state.DayMark[row][0];
    }
    findEnds(d);
    return d;
}

std::uint32_t heatColour(double value, double low, double high) {
    if (std::isnan(value))
        return 0xA0A0A0;
    double t = 0.5;
    if (high > low && std::isfinite(high - low))
        t = std::clamp((value - low) / (high - low), 0.0, 1.0);
    else if (std::isinf(value))
        t = value > 0 ? 1 : 0;
    const double pos = t * static_cast<double>(kStops.size() - 1);
    const auto i = std::min(static_cast<std::size_t>(pos), kStops.size() - 2);
    return mix(kStops[i], kStops[i + 1], pos - static_cast<double>(i));
}

std::vector<LegendTick> legendTicks(double low, double high) {
    std::vector<LegendTick> ticks;
    if (!std::isfinite(low) || !std::isfinite(high))
        return ticks;
    if (!(high > low)) {
        ticks.push_back({low, numberText(low)});
        return ticks;
    }
    // A round step giving at most five intervals.
    const double raw = (high - low) / 5;
    const double scale = std::pow(10.0, std::floor(std::log10(raw)));
    double step = 10 * scale;
    for (double m : {1.0, 2.0, 2.5, 5.0})
        if (m * scale >= raw) {
            step = m * scale;
            break;
        }
    for (double v = std::ceil(low / step) * step; v <= high + step * 1e-9; v += step) {
        const double clean = std::abs(v) < step * 1e-9 ? 0 : std::round(v / step) * step;
        ticks.push_back({clean, numberText(std::round(clean * 1e6) / 1e6)});
    }
    return ticks;
}

MonthDay monthDayOfRow(int row) {
    if (row < 1 || row > 365)
        return {};
    int m = 12;
    while (kMonthFirst[static_cast<std::size_t>(m)] > row)
        --m;
    return {m, row - kMonthFirst[static_cast<std::size_t>(m)] + 1};
}

int firstRowOfMonth(int month) {
    return month >= 1 && month <= 12 ? kMonthFirst[static_cast<std::size_t>(month)] : 0;
}

std::string heatmapCellCaption(const HeatmapData& data, int row, int hour) {
    const MonthDay md = monthDayOfRow(row);
    if (md.month == 0 || hour < 0 || hour > 23)
        return {};
    std::string out = std::to_string(md.month) + "月" + std::to_string(md.day) + "日";
    const float mark = data.dayMark[static_cast<std::size_t>(row)];
    if (mark != 0)
        out += mark == 2 ? "（土曜休日）" : "（休日）";
    out += std::to_string(hour) + "時　";
    return out + numberText(data.value[static_cast<std::size_t>(row)][static_cast<std::size_t>(hour)]);
}

} // namespace wattorio::yearbook
