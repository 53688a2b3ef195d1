// The demo year books shipped in examples/demo read as clean books with the 2025 calendar.

#include "yearbook/calendar.h"
#include "yearbook/year_book_file.h"

#include <gtest/gtest.h>

#include <memory>

using namespace wattorio;
using namespace wattorio::yearbook;

namespace {

std::unique_ptr<AppState> demo(const char* name) {
    auto s = std::make_unique<AppState>();
    BookFileState outcome = BookFileState::Missing;
    const Status st = loadYearBook(*s, std::string(WATTORIO_SOURCE_DIR) + "/examples/demo/" + name, &outcome);
    EXPECT_TRUE(st) << (st ? "" : st.error().message);
    EXPECT_EQ(outcome, BookFileState::Read);
    return s;
}

double average(const AppState& s, int firstRow, int lastRow, int h, float dayClass) {
    double sum = 0;
    int n = 0;
    for (int r = firstRow; r <= lastRow; ++r)
        if (s.DayMark[r][0] == dayClass) {
            sum += s.HourData[h][r];
            ++n;
        }
    return n ? sum / n : 0;
}

void expectCalendar(const AppState& s, bool saturdays) {
    DayMarkTable expected{};
    setAnnualHolidays(expected, 2025, 5, saturdays);
    for (int r = 0; r <= 365; ++r)
        EXPECT_EQ(s.DayMark[r][0], expected[r][0]) << r;
}

} // namespace

TEST(DemoBooks, OfficeHasADaytimePlateauAndASummerPeak) {
    auto s = demo("000001_Y.dat");
    expectCalendar(*s, true);
    EXPECT_EQ(s->DayCode[365][0], "12月");
    for (int r = 1; r <= 365; ++r)
        for (int h = 0; h < 24; ++h) {
            ASSERT_GT(s->HourData[h][r], 0);
            ASSERT_LT(s->HourData[h][r], 450); // the contract power
        }
    EXPECT_GT(average(*s, 1, 365, 10, kWeekday), 2.5 * average(*s, 1, 365, 2, kWeekday));
    EXPECT_LT(average(*s, 1, 365, 10, kHoliday), 0.5 * average(*s, 1, 365, 10, kWeekday));
    // 14時 in August against 14時 in November.
    EXPECT_GT(average(*s, 213, 243, 14, kWeekday), 1.2 * average(*s, 305, 334, 14, kWeekday));
}

TEST(DemoBooks, FactoryRunsTwoShifts) {
    auto s = demo("000002_Y.dat");
    expectCalendar(*s, false);
    for (int r = 1; r <= 365; ++r)
        for (int h = 0; h < 24; ++h) {
            ASSERT_GT(s->HourData[h][r], 0);
            ASSERT_LT(s->HourData[h][r], 1200);
        }
    const double night = average(*s, 1, 365, 3, kWeekday);
    EXPECT_GT(average(*s, 1, 365, 10, kWeekday), 5 * night); // first shift
    EXPECT_GT(average(*s, 1, 365, 19, kWeekday), 5 * night); // second shift
    EXPECT_LT(average(*s, 1, 365, 10, kHoliday), 1.5 * night);
}
