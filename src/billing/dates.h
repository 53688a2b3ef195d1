#pragma once
// Calendar helpers of the dated bill: day numbers (days since 1970-01-01, as the meter intervals
// carry them), months of use and the fiscal year the renewable levy is set for.

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace wattorio::billing {

struct CivilDate {
    int year = 1970;
    int month = 1;
    int day = 1;
    bool operator==(const CivilDate&) const = default;
};

// A month of use ("2025-04").
struct YearMonth {
    int year = 1970;
    int month = 1;
    auto operator<=>(const YearMonth&) const = default;
};

bool isLeapYear(int year);
int daysInMonth(int year, int month);

// Day number of a real date and back (proleptic Gregorian calendar).
std::int32_t dayNumber(int year, int month, int day);
std::int32_t dayNumber(const CivilDate& date);
CivilDate civilDate(std::int32_t dayNumber);
// 0 Sunday .. 6 Saturday.
int weekday(std::int32_t dayNumber);

// Months counted from year 0, so that months can be subtracted and compared as numbers.
int monthIndex(YearMonth month);
YearMonth monthOfIndex(int index);
YearMonth addMonths(YearMonth month, int count);
YearMonth monthOfDay(std::int32_t dayNumber);
std::int32_t firstDayOf(YearMonth month);

// The fiscal year of a month of use runs May to April: April 2018 belongs to fiscal 2017.
int fiscalYear(YearMonth month);

// The years a dated bill accepts in files and on the command line.
constexpr int kFirstYear = 1990;
constexpr int kLastYear = 2099;

// "YYYY-MM" (month 01..12) and "YYYY-MM-DD" (a real date) within kFirstYear..kLastYear.
std::optional<YearMonth> parseYearMonth(std::string_view text);
std::optional<std::int32_t> parseDate(std::string_view text);
std::string yearMonthText(YearMonth month);   // "2025-04"
std::string dateText(std::int32_t dayNumber); // "2025-04-01"
// "2025-04-01 08:30": an interval's start, as messages name it.
std::string startText(std::int32_t dayNumber, int minute);

} // namespace wattorio::billing
