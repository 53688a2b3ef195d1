#include "tenday/ten_day_totals.h"

#include "tenday/ten_day_file.h"

#include <gtest/gtest.h>

#include <memory>

namespace wattorio::tenday {
namespace {

using Table = std::array<std::array<double, 13>, 4>;

// A registered site in row 1 with the given multiplier text, a new ten-day book and UtilityNo.
std::unique_ptr<AppState> siteWith(const std::string& multiplier, float utility) {
    auto s = std::make_unique<AppState>();
    s->SiteTable[1] = {" 3", "ビル", multiplier, "300", "100", "2", "", "", ""};
    s->SiteRow = 1;
    s->UtilityNo = utility;
    newTenDayBook(*s);
    return s;
}

double kwhSum(const Table& t) {
    double sum = 0;
    for (int b = 1; b <= 3; ++b)
        for (int m = 0; m <= 12; ++m)
            sum += t[b][m];
    return sum;
}

TEST(TenDayTotals, SingleCellWithMultiplierTwenty) {
    for (float utility : {1.0f, 2.0f, 3.0f}) {
        auto s = siteWith("20", utility);
        s->HourData[13][1] = 100;
        ASSERT_TRUE(Yer_Total(*s));
        EXPECT_EQ(s->MonthTotalA[3][1], 2000) << utility; // hour 13 is peak in both band sets
        EXPECT_EQ(kwhSum(s->MonthTotalA), 2000);
        EXPECT_EQ(kwhSum(s->MonthTotalB), 0);
        EXPECT_EQ(s->MonthTotalA[0][1], 24); // 6 + 9 + 9
        EXPECT_EQ(s->MonthTotalB[0][1], 7);
    }
}

TEST(TenDayTotals, BandsDifferBetweenTheTwoSets) {
    struct Case {
        int hour;
        int bucketTepco;
        int bucketChubu;
    };
    for (const Case c : {Case{10, 2, 3}, Case{16, 2, 3}, Case{22, 1, 1}, Case{7, 1, 1}, Case{8, 2, 2},
                         Case{12, 2, 3}, Case{17, 2, 2}, Case{15, 3, 3}, Case{21, 2, 2}, Case{23, 1, 1}}) {
        auto s = siteWith("20", 1);
        s->HourData[c.hour][30] = 3; // August 11-20
        Tepco_Yer_Total(*s);
        EXPECT_EQ(s->MonthTotalA[c.bucketTepco][8], 60) << "hour " << c.hour;
        EXPECT_EQ(kwhSum(s->MonthTotalA), 60);
        Chyubu_Yer_Total(*s);
        EXPECT_EQ(s->MonthTotalA[c.bucketChubu][8], 60) << "hour " << c.hour;
        EXPECT_EQ(kwhSum(s->MonthTotalA), 60);
    }
}

TEST(TenDayTotals, EveryHourOneFillsBothTablesByHand) {
    // Every hour of every row holds 1, multiplier 10: a working-day month (three rows) gets
    // night 3 x 10 x 10, day 3 x 11 x 10, peak 3 x 3 x 10 with set A; the holiday row a third.
    auto s = siteWith("10", 1);
    for (int r = 1; r <= kTenDayRows; ++r)
        for (int h = 0; h < 24; ++h)
            s->HourData[h][r] = 1;
    s->HourData[24][5] = 1000; // the unused slots are never read
    s->HourData[0][0] = 1000;  // nor is row 0
    ASSERT_TRUE(Yer_Total(*s));
    double days = 0;
    for (int m = 1; m <= 12; ++m) {
        EXPECT_EQ(s->MonthTotalA[1][m], 300);
        EXPECT_EQ(s->MonthTotalA[2][m], 330);
        EXPECT_EQ(s->MonthTotalA[3][m], 90);
        EXPECT_EQ(s->MonthTotalB[1][m], 100);
        EXPECT_EQ(s->MonthTotalB[2][m], 110);
        EXPECT_EQ(s->MonthTotalB[3][m], 30);
        days += s->MonthTotalA[0][m] + s->MonthTotalB[0][m];
    }
    EXPECT_EQ(days, 365);
    for (int b = 0; b < 4; ++b) {
        EXPECT_EQ(s->MonthTotalA[b][0], 0);
        EXPECT_EQ(s->MonthTotalB[b][0], 0);
    }

    s->UtilityNo = 2; // set B: day 8, 9, 17-21; peak 10-16
    ASSERT_TRUE(Yer_Total(*s));
    EXPECT_EQ(s->MonthTotalA[1][4], 300);
    EXPECT_EQ(s->MonthTotalA[2][4], 210);
    EXPECT_EQ(s->MonthTotalA[3][4], 210);
    EXPECT_EQ(s->MonthTotalB[2][4], 70);
    EXPECT_EQ(s->MonthTotalB[3][4], 70);
}

TEST(TenDayTotals, OtherUtilitiesUseTheirHourlyBands) {
    // 関西 (4) shares 中部's bands; 中国, 四国, 九州, 北陸 (5-8) 東京's; 北海道 (9) has no peak.
    struct Case {
        float utility;
        double day;
        double peak;
    };
    for (const Case c : {Case{4, 70, 70}, Case{5, 110, 30}, Case{6, 110, 30}, Case{7, 110, 30},
                         Case{8, 110, 30}, Case{9, 140, 0}}) {
        auto s = siteWith("10", c.utility);
        for (int h = 0; h < 24; ++h)
            s->HourData[h][45] = 1;    // December 1-10
        s->MonthTotalA[2][12] = 99999; // totals of another site must not survive
        ASSERT_TRUE(Yer_Total(*s)) << c.utility;
        EXPECT_EQ(s->MonthTotalA[1][12], 100) << c.utility;
        EXPECT_EQ(s->MonthTotalA[2][12], c.day) << c.utility;
        EXPECT_EQ(s->MonthTotalA[3][12], c.peak) << c.utility;
        EXPECT_EQ(s->MonthTotalA[0][12], 25) << c.utility;
    }
}

TEST(TenDayTotals, NoUtilityLeavesTheTablesAlone) {
    for (float utility : {0.0f, 10.0f, -1.0f, 2.5f, 1e30f}) {
        auto s = siteWith("10", utility);
        s->HourData[13][1] = 100;
        s->MonthTotalA[3][1] = 7;
        s->MonthTotalB[0][12] = 3;
        EXPECT_FALSE(Yer_Total(*s)) << utility;
        EXPECT_EQ(s->MonthTotalA[3][1], 7);
        EXPECT_EQ(s->MonthTotalB[0][12], 3);
    }
}

TEST(TenDayTotals, MultiplierRules) {
    // An empty or non-numeric multiplier makes every kWh 0 while the days are still counted.
    for (const char* text : {"", "abc"}) {
        auto s = siteWith(text, 1);
        s->HourData[13][1] = 100;
        Yer_Total(*s);
        EXPECT_EQ(kwhSum(s->MonthTotalA), 0);
        EXPECT_EQ(s->MonthTotalA[0][1], 24);
        EXPECT_EQ(s->MonthTotalB[0][2], 5);
    }
    // Leading-number rule, and the multiplier is held in single precision.
    auto s = siteWith("0.1倍", 2);
    s->HourData[22][48] = 100; // December holidays, night
    Yer_Total(*s);
    EXPECT_EQ(s->MonthTotalB[1][12], static_cast<double>(0.1f) * 100);
    EXPECT_NE(s->MonthTotalB[1][12], 10.0);
    // Without a selected site the multiplier is 0.
    s->SiteRow = 0;
    Yer_Total(*s);
    EXPECT_EQ(s->MonthTotalB[1][12], 0);
    EXPECT_EQ(s->MonthTotalB[0][12], 6);
}

TEST(TenDayTotals, AdditionOrderAndRepeatability) {
    // Three rows whose sum depends on the order of addition in double precision.
    auto s = siteWith("1", 1);
    s->HourData[0][1] = 1e16;
    s->HourData[0][2] = 1;
    s->HourData[0][3] = -1e16;
    s->HourData[1][3] = 1;
    Yer_Total(*s);
    // ((1e16 + 1) - 1e16) + 1 in row order: 1e16 + 1 rounds to 1e16.
    const double expected = ((0.0 + 1e16 + 1) - 1e16) + 1;
    EXPECT_EQ(s->MonthTotalA[1][1], expected);
    const Table first = s->MonthTotalA;
    Yer_Total(*s);
    EXPECT_EQ(s->MonthTotalA, first);
}

TEST(TenDayTotals, DayCountsComeFromTheRows) {
    auto s = siteWith("1", 3);
    s->DayMark[25][0] = 10.5f; // July 1-10 as typed
    s->DayMark[28][0] = 0;     // July holidays
    Yer_Total(*s);
    EXPECT_EQ(s->MonthTotalA[0][7], 10.5 + 8 + 9);
    EXPECT_EQ(s->MonthTotalB[0][7], 0);
}

} // namespace
} // namespace wattorio::tenday
