#include "calc/result_charts.h"

#include "app/display_format.h"

#include <algorithm>
#include <cmath>

namespace wattorio::calc {

std::string_view bandName(Band band) {
    switch (band) {
    case Band::Night:
        return "夜間";
    case Band::Day:
        return "昼間";
    case Band::Peak:
        return "ピーク";
    default:
        return "";
    }
}

std::uint32_t bandColour(Band band, bool daysOff) {
    switch (band) {
    case Band::Night:
        return daysOff ? 0x9DB9E8 : 0x2F5FAF;
    case Band::Day:
        return daysOff ? 0xA9DBA0 : 0x3C9A3C;
    case Band::Peak:
        return daysOff ? 0xF2B09A : 0xD4502A;
    default:
        return 0x808080;
    }
}

std::uint32_t bandShade(Band band) {
    switch (band) {
    case Band::Night:
        return 0xDCE6F7;
    case Band::Day:
        return 0xE2F3DE;
    case Band::Peak:
        return 0xFBE0D6;
    default:
        return 0xFFFFFF;
    }
}

std::vector<BandSpan> bandSpans(int utility) {
    std::vector<BandSpan> spans;
    if (!bandSetOf(utility))
        return spans;
    for (int h = 0; h < 24; ++h) {
        const Band band = hourBand(utility, h);
        if (!spans.empty() && spans.back().band == band)
            spans.back().lastHour = h;
        else
            spans.push_back({band, h, h});
    }
    return spans;
}

ResultChartData resultChartData(const AppState& state, bool hourlyBook) {
    ResultChartData d;
    d.hourly = hourlyBook;
    d.utility = static_cast<int>(state.UtilityNo);
    const std::optional<BandSet> set = bandSetOf(d.utility);
    const bool hasPeak = !set || *set != BandSet::C;

    std::array<double, 12> monthSum{};
    for (bool daysOff : {false, true}) {
        const auto& table = daysOff ? state.MonthTotalB : state.MonthTotalA;
        for (Band band : {Band::Night, Band::Day, Band::Peak}) {
            MonthlyBandSeries s;
            s.band = band;
            s.daysOff = daysOff;
            s.name = std::string(daysOff ? "休日 " : "平日 ") + std::string(bandName(band));
            s.colour = bandColour(band, daysOff);
            for (int m = 1; m <= 12; ++m) {
                s.kwh[static_cast<std::size_t>(m - 1)] =
                    table[static_cast<std::size_t>(band)][static_cast<std::size_t>(m)];
                monthSum[static_cast<std::size_t>(m - 1)] += s.kwh[static_cast<std::size_t>(m - 1)];
            }
            if (band != Band::Peak || hasPeak)
                d.monthly.push_back(std::move(s));
        }
    }
    for (double v : monthSum)
        if (std::isfinite(v))
            d.monthlyMax = std::max(d.monthlyMax, v);

    d.spans = bandSpans(d.utility);
    const double contract = state.currentSiteValue(3);
    d.contract = std::isfinite(contract) && contract > 0 ? contract : 0;
    d.peakMax = d.contract;
    if (hourlyBook) {
        for (int h = 0; h < 24; ++h) {
            d.hourAverage[static_cast<std::size_t>(h)] = state.HourAverage[static_cast<std::size_t>(h)];
            if (std::isfinite(d.hourAverage[static_cast<std::size_t>(h)]))
                d.hourlyMax = std::max(d.hourlyMax, d.hourAverage[static_cast<std::size_t>(h)]);
        }
        for (int m = 1; m <= 12; ++m) {
            const auto i = static_cast<std::size_t>(m - 1);
            d.peakDemand[i] = state.PeakDemand[static_cast<std::size_t>(m)];
            d.peakDay[i] = static_cast<int>(state.PeakDemandDay[static_cast<std::size_t>(m)]);
            d.peakHour[i] = static_cast<int>(state.PeakDemandHour[static_cast<std::size_t>(m)]);
            if (std::isfinite(d.peakDemand[i]))
                d.peakMax = std::max(d.peakMax, d.peakDemand[i]);
        }
    }
    return d;
}

std::string monthLabel(int month) {
    return std::to_string(month) + "月";
}

std::string hourLabel(int hour) {
    return std::to_string(hour) + "時";
}

std::string peakCaption(const ResultChartData& data, int month) {
    if (month < 1 || month > 12)
        return {};
    const auto i = static_cast<std::size_t>(month - 1);
    const double kwh = data.peakDemand[i];
    std::string out = monthLabel(month);
    if (kwh > 0)
        out += std::to_string(data.peakDay[i]) + "日 " + hourLabel(data.peakHour[i]);
    const std::string digits = groupedDigits(kwh);
    return out + "　" + (digits.empty() ? "0" : digits) + " kWh";
}

std::string contractCaption(double contract) {
    const std::string digits = groupedDigits(contract);
    return "契約電力 " + (digits.empty() ? "0" : digits) + " kW";
}

AxisScale niceAxis(double value) {
    if (!(value > 0) || !std::isfinite(value))
        return {};
    const double raw = value / 5;
    const double scale = std::pow(10.0, std::floor(std::log10(raw)));
    double step = 10 * scale;
    for (double m : {1.0, 2.0, 2.5, 5.0}) {
        if (m * scale >= raw * (1 - 1e-12)) {
            step = m * scale;
            break;
        }
    }
    const double intervals = std::ceil(value / step * (1 - 1e-12));
    return {intervals * step, static_cast<int>(intervals) + 1};
}

} // namespace wattorio::calc
