#include "calc/aggregation.h"

#include "calc_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace wattorio::calc {
namespace {

struct Aggregation : ::testing::Test {
    std::unique_ptr<AppState> state = std::make_unique<AppState>();
    AppState& s = *state;
    void SetUp() override { test::setSite(s, 1, "10"); }
    void fillDay(int row, double value) {
        for (int h = 0; h < 24; ++h)
            s.HourData[h][row] = value;
    }
};

TEST_F(Aggregation, OneWorkingDayOfOnesInEachBandSet) {
    fillDay(1, 1);
    struct Case {
        float utility;
        double night, day, peak;
    } cases[] = {{1, 100, 110, 30}, {3, 100, 110, 30}, {5, 100, 110, 30},
                 {6, 100, 110, 30}, {7, 100, 110, 30}, {8, 100, 110, 30},
                 {2, 100, 70, 70},  {4, 100, 70, 70},  {9, 100, 140, 0}};
    for (const Case& c : cases) {
        s.UtilityNo = c.utility;
        ASSERT_TRUE(runMonthTotals(s));
        SCOPED_TRACE(c.utility);
        EXPECT_EQ(s.MonthTotalA[0][1], 31); // every January row is a working day
        EXPECT_EQ(s.MonthTotalA[1][1], c.night);
        EXPECT_EQ(s.MonthTotalA[2][1], c.day);
        EXPECT_EQ(s.MonthTotalA[3][1], c.peak);
        EXPECT_EQ(s.MonthTotalB[0][1], 0);
    }
}

// Readings h + 1 make every slot's contribution distinct, so a slot in the wrong band shows.
TEST_F(Aggregation, EverySlotLandsInItsBand) {
    s.SiteTable[1][2] = "1";
    for (int h = 0; h < 24; ++h)
        s.HourData[h][200] = h + 1; // row 200 is in July
    s.DayMark[200][0] = 1;
    s.UtilityNo = 1;
    Tepco_Mon_Total(s);
    EXPECT_EQ(s.MonthTotalB[1][7], 83);  // 1..8, 23, 24
    EXPECT_EQ(s.MonthTotalB[2][7], 172); // 9..13, 17..22
    EXPECT_EQ(s.MonthTotalB[3][7], 45);  // 14..16
    Shikoku_Mon_Total(s);
    EXPECT_EQ(s.MonthTotalB[2][7], 172);
    EXPECT_EQ(s.MonthTotalB[3][7], 45);
    Chyubu_Mon_Total(s);
    EXPECT_EQ(s.MonthTotalB[1][7], 83);
    EXPECT_EQ(s.MonthTotalB[2][7], 119); // 9, 10, 18..22
    EXPECT_EQ(s.MonthTotalB[3][7], 98);  // 11..17
    Hokkaido_Mon_Total(s);
    EXPECT_EQ(s.MonthTotalB[1][7], 83);
    EXPECT_EQ(s.MonthTotalB[2][7], 217); // 9..22
    EXPECT_EQ(s.MonthTotalB[3][7], 0);
}

TEST(HourBands, TableOfEachUtility) {
    for (int u = 1; u <= 9; ++u) {
        for (int h : {0, 7, 22, 23})
            EXPECT_EQ(hourBand(u, h), Band::Night) << u << " " << h;
        EXPECT_EQ(hourBand(u, 8), Band::Day);
        EXPECT_EQ(hourBand(u, 21), Band::Day);
    }
    EXPECT_EQ(hourBand(2, 16), Band::Peak);
    EXPECT_EQ(hourBand(4, 10), Band::Peak);
    EXPECT_EQ(hourBand(2, 17), Band::Day);
    EXPECT_EQ(hourBand(1, 16), Band::Day);
    EXPECT_EQ(hourBand(6, 13), Band::Peak);
    EXPECT_EQ(hourBand(9, 13), Band::Day);
    EXPECT_EQ(hourBand(1, 10), Band::Day);
    EXPECT_EQ(hourBand(0, 13), Band::None);
    EXPECT_EQ(hourBand(10, 13), Band::None);
    EXPECT_EQ(hourBand(1, 24), Band::None);
    EXPECT_EQ(hourBand(1, -1), Band::None);
    EXPECT_FALSE(bandSetOf(0));
    EXPECT_EQ(bandSetOf(6), BandSet::A);
}

TEST_F(Aggregation, MonthsHaveFixedRowsAndOnlyRowsOneTo365Count) {
    for (int d = 0; d < kBookRows; ++d)
        fillDay(d, 1);
    for (int d = 1; d <= 365; ++d)
        s.DayMark[d][0] = static_cast<float>(d % 3); // 0 working, 1 and 2 both days off
    s.DayMark[0][0] = 0;
    Tepco_Mon_Total(s);
    const int days[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    double year = 0;
    for (int m = 1; m <= 12; ++m) {
        EXPECT_EQ(s.MonthTotalA[0][m] + s.MonthTotalB[0][m], days[m]) << m;
        EXPECT_EQ(s.MonthTotalA[1][m] + s.MonthTotalB[1][m], days[m] * 100.0) << m;
        year += s.MonthTotalA[0][m] + s.MonthTotalB[0][m];
    }
    EXPECT_EQ(year, 365);
    for (int b = 0; b < 4; ++b) {
        EXPECT_EQ(s.MonthTotalA[b][0], 0);
        EXPECT_EQ(s.MonthTotalB[b][0], 0);
    }
    // Row 60 (1 March, a working day so far) turned into a day off of any kind moves within March.
    const double marchWorking = s.MonthTotalA[0][3];
    const double febWorking = s.MonthTotalA[0][2];
    s.DayMark[60][0] = 5;
    Tepco_Mon_Total(s);
    EXPECT_EQ(s.MonthTotalA[0][3], marchWorking - 1);
    EXPECT_EQ(s.MonthTotalA[0][2], febWorking);
    EXPECT_EQ(s.MonthTotalA[0][3] + s.MonthTotalB[0][3], 31);
}

TEST_F(Aggregation, NonNumericMultiplierCountsDaysButNoKwh) {
    fillDay(5, 7);
    for (const char* text : {"", "abc", "kW10"}) {
        s.SiteTable[1][2] = text;
        Tepco_Mon_Total(s);
        EXPECT_EQ(s.MonthTotalA[0][1], 31);
        EXPECT_EQ(s.MonthTotalA[1][1] + s.MonthTotalA[2][1] + s.MonthTotalA[3][1], 0);
    }
    s.SiteTable[1][2] = "2.5倍";
    Tepco_Mon_Total(s);
    EXPECT_EQ(s.MonthTotalA[1][1], 2.5 * 7 * 10);
}

TEST_F(Aggregation, NegativeReadingsAreAddedAndFormerTotalsCleared) {
    fillDay(40, -1);
    s.MonthTotalA[3][0] = 99;
    s.MonthTotalB[2][5] = 99;
    Chyubu_Mon_Total(s);
    EXPECT_EQ(s.MonthTotalA[1][2], -100);
    EXPECT_EQ(s.MonthTotalA[3][0], 0);
    EXPECT_EQ(s.MonthTotalB[2][5], 0);
}

TEST_F(Aggregation, MultiplierIsHeldInSinglePrecision) {
    s.SiteTable[1][2] = "0.1";
    s.HourData[0][1] = 1;
    Tepco_Mon_Total(s);
    EXPECT_EQ(s.MonthTotalA[1][1], static_cast<double>(0.1f));
    EXPECT_NE(s.MonthTotalA[1][1], 0.1);
}

TEST_F(Aggregation, NoUtilityRunsNothingAndIsRefused) {
    fillDay(1, 1);
    s.MonthTotalA[1][1] = 42;
    for (float u : {0.0f, 10.0f, -1.0f, 1.5f}) {
        s.UtilityNo = u;
        EXPECT_FALSE(runMonthTotals(s));
        EXPECT_EQ(s.MonthTotalA[1][1], 42);
        const auto refusal = utilityRefusal(s);
        ASSERT_TRUE(refusal);
        EXPECT_EQ(refusal->text, "電力会社を選択してください。");
        EXPECT_EQ(refusal->title, "入力エラー");
        EXPECT_EQ(refusal->icon, Icon::Question);
    }
    s.UtilityNo = 9;
    EXPECT_FALSE(utilityRefusal(s));
}

TEST_F(Aggregation, HugeReadingsOverflowWithoutHarm) {
    fillDay(1, 1e307); // x 10 per slot: the night band passes the largest double
    fillDay(2, 1e307);
    Tepco_Mon_Total(s);
    EXPECT_TRUE(std::isinf(s.MonthTotalA[1][1]));
    EXPECT_EQ(s.MonthTotalA[0][1], 31);
}

} // namespace
} // namespace wattorio::calc
