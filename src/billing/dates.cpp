#include "billing/dates.h"

#include <cstdio>

namespace wattorio::billing {

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month];
}

// Days from civil (H. Hinnant's algorithm), exact for every year of the proleptic calendar.
std::int32_t dayNumber(int year, int month, int day) {
    year -= month <= 2;
    const int era = (year >= 0 ? year : year - 399) / 400;
    const int yoe = year - era * 400;
    const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

std::int32_t dayNumber(const CivilDate& date) {
    return dayNumber(date.year, date.month, date.day);
}

CivilDate civilDate(std::int32_t dayNumber) {
    const int z = dayNumber + 719468;
    const int era = (z >= 0 ? z : z - 146096) / 146097;
    const int doe = z - era * 146097;
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    CivilDate date;
    date.day = doy - (153 * mp + 2) / 5 + 1;
    date.month = mp < 10 ? mp + 3 : mp - 9;
    date.year = yoe + era * 400 + (date.month <= 2);
    return date;
}

int weekday(std::int32_t dayNumber) {
    // 1970-01-01 was a Thursday.
    const int w = (dayNumber + 4) % 7;
    return w < 0 ? w + 7 : w;
}

int monthIndex(YearMonth month) {
    return month.year * 12 + month.month - 1;
}

YearMonth monthOfIndex(int index) {
    return {index / 12, index % 12 + 1};
}

YearMonth addMonths(YearMonth month, int count) {
    return monthOfIndex(monthIndex(month) + count);
}

YearMonth monthOfDay(std::int32_t dayNumber) {
    const CivilDate date = civilDate(dayNumber);
    return {date.year, date.month};
}

std::int32_t firstDayOf(YearMonth month) {
    return dayNumber(month.year, month.month, 1);
}

int fiscalYear(YearMonth month) {
    return month.month >= 5 ? month.year : month.year - 1;
}

namespace {

bool digits(std::string_view text, std::size_t at, std::size_t count, int& value) {
    if (at + count > text.size())
        return false;
    value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

} // namespace

std::optional<YearMonth> parseYearMonth(std::string_view text) {
    int year = 0;
    int month = 0;
    if (text.size() != 7 || text[4] != '-' || !digits(text, 0, 4, year) || !digits(text, 5, 2, month))
        return std::nullopt;
    if (year < kFirstYear || year > kLastYear || month < 1 || month > 12)
        return std::nullopt;
    return YearMonth{year, month};
}

std::optional<std::int32_t> parseDate(std::string_view text) {
    int day = 0;
    if (text.size() != 10 || text[7] != '-' || !digits(text, 8, 2, day))
        return std::nullopt;
    const auto month = parseYearMonth(text.substr(0, 7));
    if (!month || day < 1 || day > daysInMonth(month->year, month->month))
        return std::nullopt;
    return dayNumber(month->year, month->month, day);
}

std::string yearMonthText(YearMonth month) {
    char text[24];
    std::snprintf(text, sizeof text, "%04d-%02d", month.year, month.month);
    return text;
}

std::string dateText(std::int32_t dayNumber) {
    const CivilDate date = civilDate(dayNumber);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

std::string startText(std::int32_t dayNumber, int minute) {
    char text[16];
    std::snprintf(text, sizeof text, " %02d:%02d", minute / 60, minute % 60);
    return dateText(dayNumber) + text;
}

} // namespace wattorio::billing
