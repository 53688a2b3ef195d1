#include "reports/analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace wattorio::reports {
namespace {

struct Analysis : ::testing::Test {
    std::unique_ptr<AppState> state = std::make_unique<AppState>();
    AppState& s = *state;
    void SetUp() override {
        s.SiteTable[1] = SiteRecord{" 1", "工場", "2", "100", "100", "1", "", "", ""};
        s.SiteRow = 1;
        s.UtilityNo = 1;
    }
};

TEST_F(Analysis, MonthlyMaximumWithDayOfMonthAndHour) {
    s.HourData[13][35] = 50;  // 4 February, 13:00
    s.HourData[9][60] = 7.25; // 1 March, 9:00
    s.HourData[23][365] = 3;  // 31 December, 23:00
    Demd(s);
    EXPECT_EQ(s.PeakDemand[2], 100);
    EXPECT_EQ(s.PeakDemandDay[2], 4);
    EXPECT_EQ(s.PeakDemandHour[2], 13);
    EXPECT_EQ(s.PeakDemand[3], 14.5);
    EXPECT_EQ(s.PeakDemandDay[3], 1);
    EXPECT_EQ(s.PeakDemandHour[3], 9);
    EXPECT_EQ(s.PeakDemandDay[12], 31);
    EXPECT_EQ(s.PeakDemandHour[12], 23);
    EXPECT_EQ(s.PeakDemand[0], 0);
}

TEST_F(Analysis, EqualMaximaKeepTheEarliestDayAndHour) {
    s.HourData[20][100] = 9; // 10 April
    s.HourData[5][105] = 9;
    s.HourData[3][110] = 9; // 20 April, 3:00 and 4:00
    s.HourData[4][110] = 9;
    s.HourData[3][1] = 9;
    s.HourData[2][1] = 9;
    Demd(s);
    EXPECT_EQ(s.PeakDemandDay[4], 10);
    EXPECT_EQ(s.PeakDemandHour[4], 20);
    EXPECT_EQ(s.PeakDemandDay[1], 1);
    EXPECT_EQ(s.PeakDemandHour[1], 2);
}

// A month without a positive reading shows no day and hour, not those of an earlier calculation.
TEST_F(Analysis, MonthWithoutPositiveReadingClearsDayAndHour) {
    s.HourData[10][200] = 5;
    Demd(s);
    EXPECT_EQ(s.PeakDemandDay[7], 19);
    s.HourData[10][200] = -5;
    s.PeakDemand[7] = 77;
    Demd(s);
    EXPECT_EQ(s.PeakDemand[7], 0);
    EXPECT_EQ(s.PeakDemandDay[7], 0);
    EXPECT_EQ(s.PeakDemandHour[7], 0);
}

TEST_F(Analysis, ZeroMultiplierStillFindsDayAndHour) {
    s.SiteTable[1][2] = "なし";
    s.HourData[6][40] = 8;
    for (int h = 0; h < 24; ++h)
        s.HourData[h][1] = 365;
    Demd(s);
    Heikin(s);
    EXPECT_EQ(s.PeakDemand[2], 0);
    EXPECT_EQ(s.PeakDemandDay[2], 9);
    EXPECT_EQ(s.PeakDemandHour[2], 6);
    EXPECT_EQ(s.HourAverage[6], 0);
}

TEST_F(Analysis, HourAveragesRoundDownToTwoDecimalsOverAll365Days) {
    s.HourData[0][1] = 365;   // average exactly 1
    s.HourData[1][10] = 3;    // 0.00821... -> 0
    s.HourData[2][10] = 400;  // 1.0958... -> 1.09
    s.HourData[3][366] = 999; // rows after 365 are not read
    s.HourData[24][1] = 999;  // nor slots 24 and 25
    s.HourData[4][5] = -3;    // -0.0082 -> -0.01
    Heikin(s);
    EXPECT_EQ(s.HourAverage[0], 2);
    EXPECT_EQ(s.HourAverage[1], 0);
    EXPECT_DOUBLE_EQ(s.HourAverage[2], 2 * 1.09);
    EXPECT_EQ(s.HourAverage[3], 0);
    EXPECT_DOUBLE_EQ(s.HourAverage[4], -0.02);
    EXPECT_EQ(s.HourAverage[24], 0);
}

TEST_F(Analysis, HugeReadingsStayNumbersOrInfinity) {
    for (int d = 1; d <= 365; ++d)
        for (int h = 0; h < 24; ++h)
            s.HourData[h][d] = 1e307;
    Demd(s);
    Heikin(s);
    EXPECT_EQ(s.PeakDemand[1], 2e307);
    EXPECT_TRUE(std::isinf(s.HourAverage[0]));
}

TEST_F(Analysis, MonthlyMaximumTable) {
    s.PeakDemand[1] = 1234.5;
    s.PeakDemandDay[1] = 5;
    s.PeakDemandHour[1] = 13;
    s.PeakDemand[2] = 0.4;
    TextGrid grid(25, 2, 1, 0);
    fillHourAverages(grid, s);
    grid.resize(5, 5);
    grid.setColWidth(2, 900);
    fillMonthlyMaximum(grid, s);
    ASSERT_EQ(grid.rows(), 13);
    ASSERT_EQ(grid.cols(), 4);
    EXPECT_EQ(grid.fixedCols(), 0);
    EXPECT_EQ(grid.fixedRows(), 1);
    EXPECT_EQ(grid.colWidth(0), 600);
    EXPECT_EQ(grid.colWidth(1), 800);
    EXPECT_EQ(grid.colWidth(2), 900); // kept
    EXPECT_EQ(grid.colWidth(3), 1200);
    EXPECT_EQ(grid.text(0, 3), "電力量kWh");
    EXPECT_EQ(grid.text(1, 0), "1 月");
    EXPECT_EQ(grid.text(1, 1), "5 日");
    EXPECT_EQ(grid.text(1, 2), "13 時");
    EXPECT_EQ(grid.text(1, 3), "1,235");
    EXPECT_EQ(grid.text(2, 3), ""); // rounds to 0
    EXPECT_EQ(grid.text(2, 1), "0 日");
    EXPECT_EQ(grid.text(12, 0), "12 月");
}

TEST_F(Analysis, HourAverageTable) {
    s.HourAverage[0] = 0.49;
    s.HourAverage[23] = 12345.5;
    TextGrid grid;
    fillHourAverages(grid, s);
    ASSERT_EQ(grid.rows(), 25);
    ASSERT_EQ(grid.cols(), 2);
    EXPECT_EQ(grid.colWidth(0), 800);
    EXPECT_EQ(grid.colWidth(1), 1200);
    EXPECT_EQ(grid.text(0, 0), "時間");
    EXPECT_EQ(grid.text(1, 0), "0時");
    EXPECT_EQ(grid.text(1, 1), "");
    EXPECT_EQ(grid.text(24, 0), "23時");
    EXPECT_EQ(grid.text(24, 1), "12,346");
}

TEST_F(Analysis, MonthlyUsageTable) {
    s.MonthTotalA[0][4] = 21;
    s.MonthTotalA[1][4] = 1000.4;
    s.MonthTotalA[2][4] = 2000;
    s.MonthTotalA[3][4] = 500;
    s.MonthTotalB[0][4] = 9;
    s.MonthTotalB[1][4] = 300;
    TextGrid grid;
    fillMonthlyUsage(grid, s);
    ASSERT_EQ(grid.rows(), 41);
    ASSERT_EQ(grid.cols(), 6);
    EXPECT_EQ(grid.fixedCols(), 1);
    EXPECT_EQ(grid.colWidth(0), 600);
    EXPECT_EQ(grid.colWidth(1), 500);
    EXPECT_EQ(grid.text(0, 0), "平日");
    EXPECT_EQ(grid.text(0, 4), "ﾋﾟｰｸ kWh");
    EXPECT_EQ(grid.text(0, 5), "計 kWh");
    EXPECT_EQ(grid.text(4, 0), "4 月");
    EXPECT_EQ(grid.text(4, 1), "21");
    EXPECT_EQ(grid.text(4, 5), "3,500");
    EXPECT_EQ(grid.text(14, 0), "休日");
    EXPECT_EQ(grid.text(18, 0), "4 月");
    EXPECT_EQ(grid.text(18, 1), "9");
    EXPECT_EQ(grid.text(18, 3), ""); // a month's empty bucket shows as an empty cell
    EXPECT_EQ(grid.text(19, 1), "");
    EXPECT_EQ(grid.text(28, 0), "月累計");
    EXPECT_EQ(grid.text(32, 1), "30");
    EXPECT_EQ(grid.text(32, 2), "1,300");
    EXPECT_EQ(grid.text(32, 5), "3,800");
    EXPECT_EQ(grid.text(13, 0), "");
    EXPECT_EQ(grid.text(40, 0), "12 月");
}

} // namespace
} // namespace wattorio::reports
