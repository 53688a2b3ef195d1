#pragma once
// What the pictures of the results window draw, without any drawing: the monthly kWh of each hour
// band for working days and days off, the average hourly profile with the hour bands of the
// site's utility, and each month's largest hourly reading against the contract power. The chart
// widget (charts_window.h) only turns these figures into series and axes.

#include "app/app_state.h"
#include "calc/aggregation.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace wattorio::calc {

inline constexpr const char* kMonthlyChartTitle = "月別電力量（時間帯別・平日／休日）";
inline constexpr const char* kHourlyChartTitle = "時間帯別平均電力";
inline constexpr const char* kPeakChartTitle = "月別最大電力";
// Shown instead of the two pictures that need hourly readings, for a ten-day site.
inline constexpr const char* kNoHourlyReadings =
    "１０日集計用の物件には時間ごとの値がないため、このグラフは表示できません。";

// "夜間", "昼間", "ピーク"; "" for Band::None.
std::string_view bandName(Band band);
// Fill colour of a band (0xRRGGBB); the hourly picture shades its background in a paler tint.
std::uint32_t bandColour(Band band, bool daysOff);
std::uint32_t bandShade(Band band);

// A run of consecutive hour slots of one band, first..last inclusive (slot h is h:00-h+1:00).
struct BandSpan {
    Band band = Band::None;
    int firstHour = 0;
    int lastHour = 0;
};
// The runs of the utility's bands over 0..23 in clock order; empty for a utility outside 1..9.
std::vector<BandSpan> bandSpans(int utility);

// One stacked series of the monthly picture: a band of working days or of days off.
struct MonthlyBandSeries {
    Band band = Band::Night;
    bool daysOff = false;
    std::string name; // "平日 夜間", "休日 ピーク", ...
    std::uint32_t colour = 0;
    std::array<double, 12> kwh{}; // January .. December
};

struct ResultChartData {
    // The readings are hourly (year book): the hourly pictures have data of this calculation.
    bool hourly = false;
    int utility = 0;

    // Working days' night, day, peak, then days off' night, day, peak; the peak series are left
    // out for a utility without a peak band (北海道電力).
    std::vector<MonthlyBandSeries> monthly;
    double monthlyMax = 0; // the largest month (working days and days off together)

    std::array<double, 24> hourAverage{};
    std::vector<BandSpan> spans;
    double hourlyMax = 0;

    std::array<double, 12> peakDemand{};
    std::array<int, 12> peakDay{};
    std::array<int, 12> peakHour{};
    // Contract power (kW) of the site; 0 when it is not a positive number.
    double contract = 0;
    double peakMax = 0; // the largest of the peaks and the contract
};

// The figures of the last calculation in the shared state (MonthTotalA / MonthTotalB,
// HourAverage, PeakDemand with its day and hour) for the current site and UtilityNo. With
// `hourlyBook` false the hourly figures are left at 0: they belong to an earlier year-book
// calculation, not to this site.
ResultChartData resultChartData(const AppState& state, bool hourlyBook);

// "1月" .. "12月"; "0時" .. "23時".
std::string monthLabel(int month);
std::string hourLabel(int hour);
// Hover text of a month's peak: "1月5日 13時　1,234 kWh".
std::string peakCaption(const ResultChartData& data, int month);
// "契約電力 480 kW".
std::string contractCaption(double contract);

// A value axis from 0 that reads well: a step of 1, 2, 2.5 or 5 x 10^k giving at most five
// intervals, and the first multiple of the step not below `value`. A value that is not positive
// or not a number gives 0..1 in five steps.
struct AxisScale {
    double max = 1;
    int ticks = 6; // tick count, both ends included
};
AxisScale niceAxis(double value);

} // namespace wattorio::calc
