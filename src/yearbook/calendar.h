#pragma once
// The year book's calendar: the day class of every book row (DayMark(r, 0): 0 weekday,
// 1 holiday, 2 Saturday taken as a day off), set for a whole year from the chosen year and the
// date of January's first Sunday. A date is placed on its book row: its day of the year counted
// as in a year without 29 February (1 March is always row 60); 29 February has no row.
//
// The national holidays are the program's own list: 1 January, 11 February, 21 March, 29 April,
// 3-5 May, 23 September, 3 November, 23 November, 23 December on fixed dates (a date on a Sunday
// moves to the following day), and the 2nd Monday of January, 3rd Monday of July, 3rd Monday of
// September and 2nd Monday of October. The utilities' own holidays are 1-3 January, 30 April,
// 1-2 May, 30-31 December.

#include "app/app_state.h"
#include "app/result.h"

namespace wattorio::yearbook {

using DayMarkTable = decltype(AppState::DayMark);

constexpr float kWeekday = 0;
constexpr float kHoliday = 1;
constexpr float kSaturday = 2;

bool isLeapYear(int year);
// Day of the week of a Gregorian date: 0 Sunday .. 6 Saturday.
int weekdayOf(int year, int month, int day);
// Book row (1..365) of a date; 0 for 29 February or a date that does not exist.
int bookRowOf(int month, int day);

// Day_Chk: the number of days of February of the year (29 or 28).
int Day_Chk(int year);
// Mounday_Serch: book row of the n-th Monday (n = 1..3) of the month.
int Mounday_Serch(int year, int month, int n);
// Kiyuzitu_Set: marks the national holidays of the year with 1.
void Kiyuzitu_Set(DayMarkTable& marks, int year);
// The utilities' own holidays: rows 1, 2, 3, 120, 121, 122, 364, 365 := 1.
void setUtilityHolidays(DayMarkTable& marks);

// The annual holiday setting: every class of rows 0..365 rebuilt from the Sundays (the first on
// January `firstSunday`, 1..7), the Saturdays before them when `saturdays`, the national holidays
// and the utility holidays, in that order (later ones override earlier ones).
void setAnnualHolidays(DayMarkTable& marks, int year, int firstSunday, bool saturdays);

class HolidayList;

// The date in January of the year's first Sunday (1..7).
int firstSundayOf(int year);

// "内閣府の祝日を使う": as setAnnualHolidays, with the first Sunday taken from the year itself and
// the national, substitute and citizens' holidays of the list instead of the fixed ones. For a
// year the list does not cover, the marks are left as they were and the result is an error.
Status setOfficialHolidays(DayMarkTable& marks, int year, bool saturdays, const HolidayList& list);

} // namespace wattorio::yearbook
