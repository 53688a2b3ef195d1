#include "yearbook/calendar.h"

#include "yearbook/holiday_list.h"
#include "yearbook/year_book_file.h"

#include <array>

namespace wattorio::yearbook {

namespace {
constexpr std::array<int, 13> kDaysBefore{0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
constexpr std::array<int, 13> kMonthLength{0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

int monthLength(int year, int month) {
    return month == 2 ? Day_Chk(year) : kMonthLength[month];
}

// A fixed-date holiday: its date and book row; on a Sunday the following row is marked instead.
struct FixedHoliday {
    int month;
    int day;
    int row;
};
constexpr std::array<FixedHoliday, 9> kFixedHolidays{{{2, 11, 42},
                                                      {3, 21, 80},
                                                      {4, 29, 119},
                                                      {5, 3, 123},
                                                      {5, 5, 125},
                                                      {9, 23, 266},
                                                      {11, 3, 307},
                                                      {11, 23, 327},
                                                      {12, 23, 357}}};
constexpr int kFourthOfMay = 124;

void mark(DayMarkTable& marks, int row, float value) {
    if (row >= 0 && row <= kYearRows)
        marks[row][0] = value;
}
} // namespace

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int weekdayOf(int year, int month, int day) {
    // Sakamoto's method on the proleptic Gregorian calendar.
    static constexpr std::array<int, 12> t{0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3)
        year -= 1;
    const int w = (year + year / 4 - year / 100 + year / 400 + t[month - 1] + day) % 7;
    return w < 0 ? w + 7 : w;
}

int bookRowOf(int month, int day) {
    if (month < 1 || month > 12 || day < 1 || day > kMonthLength[month])
        return 0;
    return kDaysBefore[month] + day;
}

int Day_Chk(int year) {
    return isLeapYear(year) ? 29 : 28;
}

int Mounday_Serch(int year, int month, int n) {
    if (month < 1 || month > 12 || n < 1)
        return 0;
    int found = 0;
    for (int d = 1; d <= monthLength(year, month); ++d) {
        if (weekdayOf(year, month, d) != 1)
            continue;
        if (++found == n) {
            // The day of the year, less one after February in a leap year (the book has no
            // 29 February): the same as counting a 365-day year.
            return kDaysBefore[month] + d;
        }
    }
    return 0;
}

void Kiyuzitu_Set(DayMarkTable& marks, int year) {
    mark(marks, Mounday_Serch(year, 1, 2), kHoliday);
    mark(marks, Mounday_Serch(year, 7, 3), kHoliday);
    mark(marks, Mounday_Serch(year, 9, 3), kHoliday);
    mark(marks, Mounday_Serch(year, 10, 2), kHoliday);
    mark(marks, 1, kHoliday);
    for (const FixedHoliday& h : kFixedHolidays) {
        const bool sunday = weekdayOf(year, h.month, h.day) == 0;
        mark(marks, sunday ? h.row + 1 : h.row, kHoliday);
        if (h.month == 5 && h.day == 3)
            mark(marks, kFourthOfMay, kHoliday);
    }
}

void setUtilityHolidays(DayMarkTable& marks) {
    for (int row : {1, 2, 3, 120, 121, 122, 364, 365})
        mark(marks, row, kHoliday);
}

namespace {
// Rows 0..365 cleared, then the Sundays and (when chosen) the Saturdays before them.
void markWeekends(DayMarkTable& marks, int year, int firstSunday, bool saturdays) {
    const bool leap = Day_Chk(year) == 29;
    for (int r = 0; r <= kYearRows; ++r)
        marks[r][0] = kWeekday;
    if (firstSunday >= 1 && firstSunday <= 7) {
        // Sundays of January and February fall on their day of the year.
        int n = firstSunday;
        for (; n <= 59; n += 7)
            mark(marks, n, kHoliday);
        // From March on the row is one less than the day of the year in a leap year; a Sunday on
        // 29 February has no row and the next one is 7 March (row 66).
        if (leap)
            n = n == 60 ? 66 : n - 1;
        for (; n <= kYearRows; n += 7)
            mark(marks, n, kHoliday);
    }
    if (saturdays) {
        marks[0][0] = kSaturday;
        for (int r = 1; r <= kYearRows; ++r)
            if (marks[r][0] == kHoliday && !(leap && r == 60))
                marks[r - 1][0] = kSaturday;
    }
}
} // namespace

void setAnnualHolidays(DayMarkTable& marks, int year, int firstSunday, bool saturdays) {
    markWeekends(marks, year, firstSunday, saturdays);
    Kiyuzitu_Set(marks, year);
    setUtilityHolidays(marks);
}

int firstSundayOf(int year) {
    return 1 + (7 - weekdayOf(year, 1, 1)) % 7;
}

Status setOfficialHolidays(DayMarkTable& marks, int year, bool saturdays, const HolidayList& list) {
    if (!list.covers(year)) {
        return Error{"内閣府の祝日の一覧には " + std::to_string(year) + " 年がありません（" +
                     std::to_string(list.firstYear()) + "〜" + std::to_string(list.lastYear()) + " 年）。"};
    }
    markWeekends(marks, year, firstSundayOf(year), saturdays);
    for (const Holiday& h : list.ofYear(year))
        if (const int row = bookRowOf(h.month, h.day); row > 0)
            mark(marks, row, kHoliday);
    setUtilityHolidays(marks);
    return Status::success();
}

} // namespace wattorio::yearbook
