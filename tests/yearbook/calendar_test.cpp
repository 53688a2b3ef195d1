// The annual holiday setting: Sundays, Saturdays, national and utility holidays on book rows.

#include "app/sjis.h"
#include "support/temp_dir.h"
#include "yearbook/calendar.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>

using namespace wattorio;
using namespace wattorio::yearbook;
namespace chr = std::chrono;

namespace {

// Book row of a date, counted independently of the code under test.
int rowOf(int y, unsigned m, unsigned d) {
    const chr::sys_days date{chr::year{y} / chr::month{m} / chr::day{d}};
    const chr::sys_days jan1{chr::year{y} / chr::January / 1};
    int doy = static_cast<int>((date - jan1).count()) + 1;
    if (chr::year{y}.is_leap() && m > 2)
        --doy;
    return doy;
}

bool isSunday(int y, unsigned m, unsigned d) {
    return chr::weekday{chr::sys_days{chr::year{y} / chr::month{m} / chr::day{d}}} == chr::Sunday;
}

// Rows of every Sunday of the year that has a row.
std::set<int> sundayRows(int y) {
    std::set<int> rows;
    for (chr::sys_days d{chr::year{y} / chr::January / 1};
         d <= chr::sys_days{chr::year{y} / chr::December / 31}; d += chr::days{1}) {
        const chr::year_month_day ymd{d};
        if (chr::weekday{d} != chr::Sunday || (ymd.month() == chr::February && ymd.day() == chr::day{29}))
            continue;
        rows.insert(rowOf(y, static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day())));
    }
    return rows;
}

std::set<int> rowsMarked(const DayMarkTable& marks, float value) {
    std::set<int> rows;
    for (int r = 1; r <= 365; ++r)
        if (marks[r][0] == value)
            rows.insert(r);
    return rows;
}

unsigned firstSunday(int y) {
    for (unsigned d = 1; d <= 7; ++d)
        if (isSunday(y, 1, d))
            return d;
    return 0;
}

// The official holiday list of the year (rows), from the public list.
std::set<int> officialRows(int y) {
    std::ifstream in(std::string(WATTORIO_REALDATA_DIR) + "/syukujitsu.csv", std::ios::binary);
    std::stringstream raw;
    raw << in.rdbuf();
    const std::string text = fromCp932(raw.str()).text;
    std::set<int> rows;
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line); // heading
    while (std::getline(lines, line)) {
        int yy = 0;
        unsigned m = 0, d = 0;
        if (std::sscanf(line.c_str(), "%d/%u/%u", &yy, &m, &d) != 3 || yy != y)
            continue;
        if (m == 2 && d == 29)
            continue;
        rows.insert(rowOf(y, m, d));
    }
    return rows;
}

const std::set<int> kUtilityRows{1, 2, 3, 120, 121, 122, 364, 365};

std::unique_ptr<DayMarkTable> setYear(int year, int first, bool saturdays) {
    auto marks = std::make_unique<DayMarkTable>();
    for (auto& row : *marks)
        row = {7.0f, 5.0f}; // rebuilt from scratch; column 1 is not the calendar's
    setAnnualHolidays(*marks, year, first, saturdays);
    return marks;
}

} // namespace

TEST(Calendar, FebruaryLengthAndMondaySearch) {
    EXPECT_EQ(Day_Chk(2004), 29);
    EXPECT_EQ(Day_Chk(2000), 29);
    EXPECT_EQ(Day_Chk(2100), 28);
    EXPECT_EQ(Day_Chk(2009), 28);
    EXPECT_EQ(Mounday_Serch(2006, 1, 2), 9);    // 9 January 2006
    EXPECT_EQ(Mounday_Serch(2008, 7, 3), 202);  // 21 July 2008, a leap year: day 203 less one
    EXPECT_EQ(Mounday_Serch(2009, 9, 3), 264);  // 21 September 2009
    EXPECT_EQ(Mounday_Serch(2007, 10, 2), 281); // 8 October 2007
    EXPECT_EQ(rowOf(2008, 7, 21), 202);
}

TEST(Calendar, Year2006FirstSunday1) {
    auto m = setYear(2006, 1, false);
    for (int r = 1; r <= 365; r += 7)
        EXPECT_EQ((*m)[r][0], 1) << r;
    EXPECT_EQ((*m)[57][0], 1);
    EXPECT_EQ((*m)[64][0], 1);
    EXPECT_EQ((*m)[365][0], 1);
    EXPECT_EQ((*m)[9][0], 1); // 2nd Monday of January
    EXPECT_EQ((*m)[0][0], 0);
    EXPECT_EQ((*m)[0][1], 5); // the second column is not touched
    EXPECT_TRUE(rowsMarked(*m, 2).empty());
}

TEST(Calendar, Year2009SundayOn1MarchAndItsSaturday) {
    auto m = setYear(2009, 4, true);
    EXPECT_EQ((*m)[60][0], 1);
    EXPECT_EQ((*m)[67][0], 1);
    EXPECT_EQ((*m)[74][0], 1);
    EXPECT_EQ((*m)[59][0], 2); // Saturday 28 February
    EXPECT_EQ((*m)[0][0], 2);
}

TEST(Calendar, Year2004LeapSundayOn29February) {
    auto m = setYear(2004, 4, true);
    EXPECT_EQ((*m)[53][0], 1); // 22 February, the last Sunday with a row before March
    EXPECT_EQ((*m)[60][0], 0); // 1 March 2004, Monday
    EXPECT_EQ((*m)[66][0], 1); // 7 March
    EXPECT_EQ((*m)[59][0], 0); // 28 February is left a weekday
    EXPECT_EQ((*m)[65][0], 2); // 6 March
    // Every Sunday after February is one row before its day of the year.
    for (int r : sundayRows(2004))
        EXPECT_EQ((*m)[r][0], 1) << r;
}

TEST(Calendar, LeapYearWithSaturdayOn29February) {
    // 2020: 1 March is a Sunday, 29 February a Saturday without a row.
    ASSERT_TRUE(isSunday(2020, 3, 1));
    auto m = setYear(2020, firstSunday(2020), true);
    EXPECT_EQ((*m)[60][0], 1);
    EXPECT_EQ((*m)[59][0], 0); // not a Saturday: 28 February 2020 is a Friday
}

TEST(Calendar, NationalHolidayOnASundayMarksTheFollowingDay) {
    auto m = setYear(2007, 7, false);
    ASSERT_TRUE(isSunday(2007, 9, 23));
    EXPECT_EQ((*m)[266][0], 1); // the Sunday itself
    EXPECT_EQ((*m)[267][0], 1); // 24 September
    // 3 May on a Sunday (2009): 4 May is marked, nothing else moves.
    auto may = setYear(2009, 4, false);
    ASSERT_TRUE(isSunday(2009, 5, 3));
    EXPECT_EQ((*may)[123][0], 1);
    EXPECT_EQ((*may)[124][0], 1);
    EXPECT_EQ((*may)[125][0], 1);
    EXPECT_EQ((*may)[126][0], 0); // 6 May stays a working day in this calendar
}

TEST(Calendar, NationalHolidayOverridesSaturday) {
    // 3 November 2007 and 23 December 2006 are Saturdays.
    ASSERT_FALSE(isSunday(2007, 11, 3));
    auto m = setYear(2007, 7, true);
    EXPECT_EQ((*m)[307][0], 1);
    EXPECT_EQ((*m)[306][0], 0); // the Friday before is not touched
    auto m2 = setYear(2006, 1, true);
    EXPECT_EQ((*m2)[357][0], 1); // Saturday 23 December 2006
    // Utility holidays override the Saturday too: 30 December 2006 is a Saturday.
    EXPECT_EQ((*m2)[364][0], 1);
}

TEST(Calendar, RebuildsFromScratch) {
    auto m = std::make_unique<DayMarkTable>();
    (*m)[100][0] = 1;
    (*m)[101][0] = 2;
    setAnnualHolidays(*m, 2025, 5, false);
    EXPECT_EQ((*m)[100][0], 0);
    EXPECT_EQ((*m)[101][0], 0);
}

// The years 2004 and 2006 to 2009 against the official list: equal except where this calendar's
// own rules differ (fixed equinox dates, and substitutes other than "the next day").
TEST(Calendar, MatchesTheOfficialListWhereTheRulesCoincide) {
    struct Year {
        int year;
        std::set<int> onlyHere;     // marked here, not a holiday in the official list
        std::set<int> onlyOfficial; // official holidays not marked here
    };
    const std::vector<Year> years{
        {2004, {rowOf(2004, 3, 22)}, {rowOf(2004, 3, 20)}}, // equinox 20 March (Sat)
        {2006, {}, {}},                                     // 2 January is a utility holiday
        {2007, {}, {}},
        {2008, {rowOf(2008, 3, 21)}, {rowOf(2008, 3, 20), rowOf(2008, 5, 6)}},
        {2009, {rowOf(2009, 3, 21)}, {rowOf(2009, 3, 20), rowOf(2009, 5, 6), rowOf(2009, 9, 22)}},
    };
    for (const Year& y : years) {
        SCOPED_TRACE(y.year);
        const std::set<int> official = officialRows(y.year);
        ASSERT_FALSE(official.empty());
        auto m = setYear(y.year, static_cast<int>(firstSunday(y.year)), false);
        std::set<int> expected = sundayRows(y.year);
        expected.insert(kUtilityRows.begin(), kUtilityRows.end());
        for (int r : official)
            if (!y.onlyOfficial.count(r))
                expected.insert(r);
        expected.insert(y.onlyHere.begin(), y.onlyHere.end());
        EXPECT_EQ(rowsMarked(*m, 1), expected);
        EXPECT_TRUE(rowsMarked(*m, 2).empty());
    }
}

TEST(Calendar, SaturdaysAreTheDaysBeforeSundays) {
    auto m = setYear(2025, 5, true);
    const std::set<int> sundays = sundayRows(2025);
    for (int r = 1; r <= 365; ++r) {
        if (sundays.count(r + 1) && (*m)[r][0] != 1) {
            EXPECT_EQ((*m)[r][0], 2) << r;
        }
        if ((*m)[r][0] == 2) {
            EXPECT_TRUE(sundays.count(r + 1)) << r;
        }
    }
    EXPECT_EQ((*m)[4][0], 2); // Saturday 4 January 2025
    EXPECT_EQ((*m)[3][0], 1); // utility holiday on 3 January
}

TEST(Calendar, FirstSundayOutsideTheWeekMarksNoSundays) {
    auto m = setYear(2025, 0, false);
    EXPECT_EQ((*m)[5][0], 0);
    EXPECT_EQ((*m)[1][0], 1); // the holidays are still set
}
