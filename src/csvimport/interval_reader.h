#pragma once
// Reading one interval data file (30分値 / デマンドデータ): every value with the date and the
// interval it belongs to, as written in the file. Two layouts are recognised from the file itself:
//   - one row per interval: a date-time field ("2018-01-01 00:00:00", "2024/10/01 0:30") or a
//     date field and a time field, and the value in a chosen column (by default the first
//     numeric field after the date and time);
//   - one row per day: a date field (YYYY/M/D, YYYY-MM-DD, YYYYMMDD) and 24, 48 or 96 values,
//     with or without a heading row of times ("0:00～0:30" ... "23:30～24:00", or one time each).
// Lines before the first dated row are headings. Shift_JIS, or UTF-8 with or without a byte-order
// mark; CR LF or LF; fields quoted or bare; "NA", "-" and empty fields are missing values.
//
// The file is not trusted: its size, line length and field count are bounded, and every value is
// checked to be a finite number that is not negative.

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

struct IntervalReadOptions {
    std::optional<EnergyUnit> unit; // none: from the headings ("kWh", "Wh", "kW"), else kWh
    int column = 0;                 // field number from 1, the date field included; 0: detected
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

enum class RejectReason { NotFinite, Negative, NotANumber };

struct RejectedValue {
    std::uint32_t line = 0;
    std::string text; // the field as read (at most 40 bytes)
    RejectReason reason = RejectReason::NotANumber;
};

enum class IntervalLayout { PerInterval, PerDay };

struct IntervalFile {
    IntervalLayout layout = IntervalLayout::PerInterval;
    int intervalMinutes = 30;
    bool timesAreEnds = false;
    EnergyUnit unit = EnergyUnit::KWh;
    bool unitFromHeading = false;
    int valueColumn = 0; // field number (from 1) of the (first) value
    std::vector<IntervalValue> values;
    std::vector<RejectedValue> rejected;
    long missing = 0; // empty / "NA" / "-" fields
};

// Reads the bytes of one file; an error (nothing read) when no dated row is found, the layout or
// the interval cannot be told, or a bound is exceeded.
Result<IntervalFile> readIntervalData(std::string_view bytes, const IntervalReadOptions& options = {});
Result<IntervalFile> readIntervalFile(const std::string& path, const IntervalReadOptions& options = {});

} // namespace wattorio::csvimport
