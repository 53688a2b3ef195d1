#pragma once
// Reading one interval data file (30分値 / デマンドデータ): every value with the date and the
// interval it belongs to, as written in the file. Two layouts are recognised from the file itself:
//   - one row per interval: a date-time field ("2018-01-01 00:00:00", "2024/10/01 0:30") or a
//     date field and a time field, and the value in a chosen column;
//   - one row per day: a date field (YYYY/M/D, YYYY-MM-DD, YYYYMMDD) and 24, 48 or 96 values,
//     with or without a heading row of times ("0:00～0:30" ... "23:30～24:00", or one time each);
//     a heading whose times run twice holds two sets of values (energy and demand, say).
// Lines before the first dated row are headings. Shift_JIS, or UTF-8 with or without a byte-order
// mark; CR LF or LF; fields quoted or bare; "NA", "-" and empty fields are missing values.
//
// Nothing is decided from one row: the value column is the first after the date and time that
// holds numbers on most dated rows (a column headed as something else than energy or demand, such
// as kvarh or 力率, is passed over); the unit comes from that column's own heading only; whether
// the times are starts or ends, and the interval, come from all days; rows may come in any order.
// Rows with another number of fields than the file's other rows, and times that fit no interval,
// are refused and counted. Where the column or the unit cannot be told, the file says so
// (`columnOpen`, `unitOpen`) with its candidates, and the caller asks.
//
// The file is not trusted: its size, line count, line length and field count are bounded, dates
// are years 2000 to 2099, and every value is checked to be a finite number that is not negative.

#include "app/result.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wattorio::csvimport {

enum class EnergyUnit { KWh, Wh, KW };

constexpr std::size_t kMaxIntervalFileBytes = 64u << 20;
constexpr std::size_t kMaxIntervalLineBytes = 64u << 10;
constexpr std::size_t kMaxIntervalFields = 512;
// The whole set of one import: bytes and lines of all its files together.
constexpr std::size_t kMaxIntervalSetBytes = 200u << 20;
constexpr std::size_t kMaxIntervalSetLines = 3'000'000;
constexpr int kFirstIntervalYear = 2000;
constexpr int kLastIntervalYear = 2099;

struct IntervalReadOptions {
    std::optional<EnergyUnit> unit;              // none: from the value column's heading, else kWh
    int column = 0;                              // field number from 1, the date field included; 0: detected
    std::size_t maxLines = kMaxIntervalSetLines; // lines this file may have (what the set has left)
};

// A calendar date as a day number (days since 1970-01-01) and back.
std::int32_t dayNumber(int year, int month, int day);
void civilDate(std::int32_t dayNumber, int& year, int& month, int& day);

// A date field: YYYY/M/D, YYYY-MM-DD or YYYYMMDD, optionally followed by a blank or "T" and a
// time; false when the text is none of them or no real date. `minutes` is -1 without a time.
bool parseDateTime(std::string_view text, int& year, int& month, int& day, int& minutes);
// A time H:MM or H:MM:SS (0:00 .. 24:00): minutes since midnight, or -1.
int parseTime(std::string_view text);

struct IntervalValue {
    std::int32_t date = 0;     // day number of the interval's start
    std::int16_t start = 0;    // minutes since midnight of the interval's start
    std::int16_t minutes = 30; // the interval's length: 15, 30 or 60
    double kwh = 0;            // the value converted to kWh
    std::uint32_t line = 0;    // file line (from 1)
};

enum class RejectReason { NotFinite, Negative, NotANumber, OddTime, FieldCount };

struct RejectedValue {
    std::uint32_t line = 0;
    std::string text; // the field as read (at most 40 bytes)
    RejectReason reason = RejectReason::NotANumber;
};

enum class IntervalLayout { PerInterval, PerDay };

// A column that could hold the values, for the question when the file leaves it open.
struct ColumnCandidate {
    int column = 0;                       // field number from 1 (of the first value of a day row)
    std::string heading;                  // its heading, "" when the file has none
    std::optional<EnergyUnit> unit;       // the unit its heading names
    std::vector<std::string> firstValues; // the first few values, as written
};

// How a column is shown: 3列目「使用電力量(kWh)」, or 3列目 without a heading.
std::string columnText(int column, const std::string& heading);

struct IntervalFile {
    IntervalLayout layout = IntervalLayout::PerInterval;
    int intervalMinutes = 30;
    bool timesAreEnds = false;
    EnergyUnit unit = EnergyUnit::KWh;
    bool unitFromHeading = false;
    int valueColumn = 0;      // field number (from 1) of the (first) value
    std::string valueHeading; // the value column's heading, "" without
    std::vector<IntervalValue> values;
    std::vector<RejectedValue> rejected; // the first few refusals, with their text
    long rejectedCount = 0;              // every refused value
    long oddTimeRows = 0;                // rows whose time fits no interval of the file
    long fieldCountRows = 0;             // rows with another number of fields than the others
    long missing = 0;                    // empty / "NA" / "-" fields
    std::size_t lines = 0;
    // The column or the unit could not be told: the values were read from the first candidate
    // (in kWh when the unit was open), and the caller should ask before using them.
    bool columnOpen = false;
    bool unitOpen = false;
    std::vector<ColumnCandidate> candidates;
};

// Reads the bytes of one file; an error (nothing read) when no dated row is found, the layout or
// the interval cannot be told, a date lies outside the years taken, or a bound is exceeded.
// readIntervalFile reads through the program's one file read (no link, pipe or device).
Result<IntervalFile> readIntervalData(std::string_view bytes, const IntervalReadOptions& options = {});
Result<IntervalFile> readIntervalFile(const std::string& path, const IntervalReadOptions& options = {});

} // namespace wattorio::csvimport
