// The figures behind the pictures of the results window.

#include "calc/calc_fixture.h"
#include "calc/result_charts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace wattorio;
using namespace wattorio::calc;

namespace {

TEST(ResultCharts, BandRunsOfEachSet) {
    const std::vector<BandSpan> a = bandSpans(1);
    ASSERT_EQ(a.size(), 5u); // night 0-7, day 8-12, peak 13-15, day 16-21, night 22-23
    EXPECT_EQ(a[0].band, Band::Night);
    EXPECT_EQ(a[0].lastHour, 7);
    EXPECT_EQ(a[2].band, Band::Peak);
    EXPECT_EQ(a[2].firstHour, 13);
    EXPECT_EQ(a[2].lastHour, 15);
    EXPECT_EQ(a[4].firstHour, 22);
    EXPECT_EQ(a[4].lastHour, 23);

    const std::vector<BandSpan> b = bandSpans(4); // 関西電力: peak 10-16
    ASSERT_EQ(b.size(), 5u);
    EXPECT_EQ(b[1].band, Band::Day);
    EXPECT_EQ(b[1].lastHour, 9);
    EXPECT_EQ(b[2].firstHour, 10);
    EXPECT_EQ(b[2].lastHour, 16);

    const std::vector<BandSpan> c = bandSpans(9); // 北海道電力: no peak
    ASSERT_EQ(c.size(), 3u);
    EXPECT_EQ(c[1].band, Band::Day);
    EXPECT_EQ(c[1].firstHour, 8);
    EXPECT_EQ(c[1].lastHour, 21);

    EXPECT_TRUE(bandSpans(0).empty());
    EXPECT_TRUE(bandSpans(10).empty());
    // Every slot is covered exactly once, in clock order.
    for (int u = 1; u <= 9; ++u) {
        int next = 0;
        for (const BandSpan& s : bandSpans(u)) {
            EXPECT_EQ(s.firstHour, next);
            next = s.lastHour + 1;
        }
        EXPECT_EQ(next, 24);
    }
}

void fill(AppState& state) {
    for (int m = 1; m <= 12; ++m) {
        const auto i = static_cast<std::size_t>(m);
        state.MonthTotalA[1][i] = 1000 + m;
        state.MonthTotalA[2][i] = 2000;
        state.MonthTotalA[3][i] = 500;
        state.MonthTotalB[1][i] = 300;
        state.MonthTotalB[2][i] = 200;
        state.MonthTotalB[3][i] = m == 8 ? 900 : 100;
        state.PeakDemand[i] = 100.0 + m;
        state.PeakDemandDay[i] = static_cast<float>(m);
        state.PeakDemandHour[i] = 13;
    }
    for (int h = 0; h < 24; ++h)
        state.HourAverage[static_cast<std::size_t>(h)] = 10.0 * h;
}

TEST(ResultCharts, FiguresOfAnHourlyBook) {
    AppState state;
    test::setSite(state, 1, "1", "480", "100");
    fill(state);
    const ResultChartData d = resultChartData(state, true);
    EXPECT_TRUE(d.hourly);
    ASSERT_EQ(d.monthly.size(), 6u);
    EXPECT_EQ(d.monthly[0].name, "平日 夜間");
    EXPECT_EQ(d.monthly[2].name, "平日 ピーク");
    EXPECT_EQ(d.monthly[5].name, "休日 ピーク");
    EXPECT_FALSE(d.monthly[2].daysOff);
    EXPECT_TRUE(d.monthly[3].daysOff);
    EXPECT_EQ(d.monthly[0].kwh[0], 1001); // January
    EXPECT_EQ(d.monthly[0].kwh[11], 1012);
    EXPECT_EQ(d.monthly[5].kwh[7], 900);
    EXPECT_EQ(d.monthlyMax, 1008 + 2000 + 500 + 300 + 200 + 900); // August
    EXPECT_EQ(d.hourAverage[23], 230);
    EXPECT_EQ(d.hourlyMax, 230);
    EXPECT_EQ(d.peakDemand[0], 101);
    EXPECT_EQ(d.peakDay[4], 5);
    EXPECT_EQ(d.peakHour[4], 13);
    EXPECT_EQ(d.contract, 480);
    EXPECT_EQ(d.peakMax, 480); // the contract is above every peak
    EXPECT_EQ(d.spans.size(), 5u);
    EXPECT_EQ(peakCaption(d, 5), "5月5日 13時　105 kWh");
    EXPECT_EQ(peakCaption(d, 0), "");
    EXPECT_EQ(contractCaption(d.contract), "契約電力 480 kW");
}

TEST(ResultCharts, TenDaySiteHasNoHourlyFigures) {
    AppState state;
    test::setSite(state, 2, "1", "50", "100");
    fill(state); // left over from an earlier year-book calculation of another site
    const ResultChartData d = resultChartData(state, false);
    EXPECT_FALSE(d.hourly);
    EXPECT_EQ(d.monthly.size(), 6u);
    EXPECT_EQ(d.hourlyMax, 0);
    for (double v : d.hourAverage)
        EXPECT_EQ(v, 0);
    for (double v : d.peakDemand)
        EXPECT_EQ(v, 0);
    EXPECT_EQ(d.peakMax, 50);
    EXPECT_EQ(peakCaption(d, 3), "3月　0 kWh");
}

TEST(ResultCharts, NoPeakSeriesWithoutAPeakBandAndOddContracts) {
    AppState state;
    test::setSite(state, 9, "1", "abc", "100");
    fill(state);
    const ResultChartData d = resultChartData(state, true);
    ASSERT_EQ(d.monthly.size(), 4u);
    for (const MonthlyBandSeries& s : d.monthly)
        EXPECT_NE(s.band, Band::Peak);
    EXPECT_EQ(d.contract, 0);
    EXPECT_EQ(d.peakMax, 112);

    test::setSite(state, 1, "1", "1e400", "100");
    EXPECT_EQ(resultChartData(state, true).contract, 0);
}

TEST(ResultCharts, Labels) {
    EXPECT_EQ(monthLabel(1), "1月");
    EXPECT_EQ(monthLabel(12), "12月");
    EXPECT_EQ(hourLabel(0), "0時");
    EXPECT_EQ(hourLabel(23), "23時");
    EXPECT_EQ(bandName(Band::Peak), "ピーク");
    EXPECT_EQ(bandName(Band::None), "");
    EXPECT_NE(bandColour(Band::Night, false), bandColour(Band::Night, true));
}

TEST(ResultCharts, RoundAxisEnds) {
    const auto scale = [](double v) {
        const AxisScale a = niceAxis(v);
        return std::make_pair(a.max, a.ticks);
    };
    EXPECT_EQ(scale(293000), std::make_pair(300000.0, 4)); // steps of 100,000
    EXPECT_EQ(scale(1131), std::make_pair(1250.0, 6));     // steps of 250
    EXPECT_EQ(scale(463.7), std::make_pair(500.0, 6));
    EXPECT_EQ(scale(500), std::make_pair(500.0, 6));
    EXPECT_EQ(scale(900), std::make_pair(1000.0, 6));
    EXPECT_EQ(scale(0.7), std::make_pair(0.8, 5));
    EXPECT_EQ(scale(0), std::make_pair(1.0, 6));
    EXPECT_EQ(scale(-5), std::make_pair(1.0, 6));
    EXPECT_EQ(scale(std::numeric_limits<double>::infinity()), std::make_pair(1.0, 6));
    EXPECT_EQ(scale(std::nan("")), std::make_pair(1.0, 6));
    // The end is never below the value and the axis has at most five intervals.
    for (double v = 0.37; v < 1e7; v *= 1.37) {
        const AxisScale a = niceAxis(v);
        EXPECT_GE(a.max, v);
        EXPECT_LE(a.ticks, 6);
        EXPECT_GE(a.ticks, 2);
    }
}

} // namespace
