#pragma once
// The Cabinet Office's list of national holidays ("syukujitsu.csv": a heading line, then one
// holiday a line as `YYYY/M/D,name`, Shift_JIS; substitute and citizens' holidays are named
// "休日"), and the same holidays computed from the law on national holidays for the years the
// program offers. The program ships a list written from the computed holidays; a list placed in
// the working folder takes precedence, so a newer official list needs no new program.

#include "app/result.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace wattorio::yearbook {

struct Holiday {
    int year = 0;
    int month = 0;
    int day = 0;
    std::string name; // UTF-8

    bool operator==(const Holiday&) const = default;
};

// The years the computed holidays are written for (the law's rules as they stand, the equinoxes
// by the usual approximation, and the one-off days of 2019-2021).
constexpr int kComputedFirstYear = 2000;
constexpr int kComputedLastYear = 2027;

// National, substitute and citizens' holidays of a year (2000..2099), in date order.
std::vector<Holiday> computedHolidays(int year);

// The day of March / September of the vernal and autumnal equinox days (1980..2099).
int vernalEquinoxDay(int year);
int autumnalEquinoxDay(int year);

// A list file may be at most this large (the official list of 1955-2027 is about 20 kB).
constexpr std::size_t kMaxHolidayListBytes = 1 << 20;

class HolidayList {
public:
    HolidayList() = default;
    explicit HolidayList(std::vector<Holiday> holidays);

    const std::vector<Holiday>& holidays() const { return holidays_; }
    bool empty() const { return holidays_.empty(); }
    int firstYear() const { return firstYear_; }
    int lastYear() const { return lastYear_; }
    // True when the list holds `year` whole: its 元日 and at least as many holidays as the law
    // gives every year. A year missing from the middle of a list, or present by a line or two,
    // is not covered.
    bool covers(int year) const;
    std::vector<Holiday> ofYear(int year) const;

    // The fewest holidays any year of the program has under the law (2000..2006: 14).
    static constexpr std::size_t kMinHolidaysOfAYear = 14;

private:
    std::vector<Holiday> holidays_;
    std::vector<int> coveredYears_;
    int firstYear_ = 0;
    int lastYear_ = 0;
};

// Reads a list in the syukujitsu layout: Shift_JIS, or UTF-8 with or without a byte-order mark;
// CR LF or LF; the heading line (any line that does not start with a date) is skipped. An error
// names the first line that is no holiday of a real date, or an empty list.
Result<HolidayList> parseHolidayList(std::string_view bytes);
// The same from a file, read through the program's one file read with kMaxHolidayListBytes as its cap.
Result<HolidayList> loadHolidayList(const std::string& path);

// The file bytes of a list in the syukujitsu layout (Shift_JIS, CR LF) of the computed
// holidays of firstYear..lastYear.
std::string computedListBytes(int firstYear = kComputedFirstYear, int lastYear = kComputedLastYear);

// The list file name, in the working folder and beside the help.
constexpr const char* kHolidayListName = "syukujitsu.csv";

// Where the holiday list came from and what it holds.
struct HolidaySource {
    HolidayList list;
    std::string path; // the file read, "" when none could be read
    std::string note; // a line for the user when the working folder's list could not be read
};

// The list of the working folder (appDir, ending in a separator) when it has a readable one,
// else the shipped one in dataDir, else the computed holidays.
HolidaySource findHolidayList(const std::string& appDir, const std::string& dataDir);

} // namespace wattorio::yearbook
