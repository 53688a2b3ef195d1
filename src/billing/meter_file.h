#pragma once
// The site's dated meter data: stem + "_Interval.csv", every interval that has a value with its
// start, length and kWh, as the interval import read it. The monthly bill is priced from it.
//
//   日時,分,kWh
//   2017-04-01 00:00,30,531.0
//
// One line per interval, sorted by start, no two overlapping; Shift_JIS with CR LF. A missing
// interval has no line. The file keeps the last five years (60 calendar months up to its newest
// interval); what an import would add before that is dropped and said in the summary.
//
// The file is not trusted: its size and line count are bounded, every date, time, length and kWh
// is checked, and a file that does not read is kept as it is and never written over.

#include "app/message.h"
#include "app/result.h"
#include "billing/interval.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace wattorio::billing {

constexpr const char* kMeterFileSuffix = "_Interval.csv";
constexpr const char* kMeterFileHeading = "日時,分,kWh";
constexpr int kMeterMonthsKept = 60;
// Five years of 15-minute intervals, leap days included.
constexpr std::size_t kMaxMeterIntervals = 5 * 366 * 96;
constexpr std::size_t kMaxMeterLineBytes = 64;
constexpr std::size_t kMaxMeterFileBytes = (kMaxMeterIntervals + 2) * kMaxMeterLineBytes;
// The largest kWh an interval may hold; a meter of any site stays far below it.
constexpr double kMaxIntervalKwh = 1e8;

// Why an interval cannot be kept ("" when it can): a date outside kFirstYear..kLastYear, a length other than
// 15, 30 or 60 minutes, a start that is not a multiple of the length, kWh not finite, negative or
// above kMaxIntervalKwh.
std::string intervalProblem(const MeterInterval& interval);

// The meter file of the site with registry serial `serial` in the working folder `appDir` ("" when
// the serial names no site).
std::string siteMeterFilePath(const std::string& appDir, const std::string& serial);
// The same beside the site's year book file ("…/000012_Y.dat"; "" for any other name).
std::string meterFilePathBeside(const std::string& yearBookPath);

// Imported values (anything with date, start, minutes and kwh, as the interval import keeps them)
// as meter intervals, kWh times `factor` (the multiplier when the values are meter readings).
template <class Value>
std::vector<MeterInterval> asMeterIntervals(const std::vector<Value>& values, double factor) {
    std::vector<MeterInterval> out;
    out.reserve(values.size());
    for (const Value& v : values)
        out.push_back({v.date, v.start, v.minutes, v.kwh * factor});
    return out;
}

// The file image (CP932, CR LF) of sorted, checked intervals.
std::string meterFileBytes(const std::vector<MeterInterval>& intervals);
// Reads a file image; the error names the line and what is wrong with it.
Result<std::vector<MeterInterval>> parseMeterFile(std::string_view bytes);

enum class MeterFileState { Missing, Loaded, Damaged };

struct MeterFileRead {
    MeterFileState state = MeterFileState::Missing;
    std::vector<MeterInterval> intervals;
    std::string message; // a damaged file: the file, the line and the reason
};

// Reads the file at `path`: Missing when nothing is there, Damaged (with the reason) when it is
// not a meter file this program can read.
MeterFileRead readMeterFile(const std::string& path);

// What to do with an imported interval whose value differs from the one the file holds.
enum class ConflictChoice { KeepOld, Replace };

struct MeterMergeSummary {
    long added = 0;            // intervals the file did not have
    long unchanged = 0;        // intervals the file held with the same value
    long conflicting = 0;      // intervals the file held with another value (or another length)
    long replaced = 0;         // of those, the ones the import's value replaced
    long refused = 0;          // imported intervals that cannot be kept (intervalProblem) or overlap
    long droppedOld = 0;       // intervals older than the kept five years, dropped
    std::string droppedBefore; // "YYYY-MM": the first month kept when some were dropped
    std::string firstStart;    // span of the file after the merge, "YYYY-MM-DD HH:MM" ("" if empty)
    std::string lastStart;
    long total = 0; // intervals in the file after the merge
    bool written = false;
};

// Merges `incoming` (any order) into `existing` (sorted, as read): the same value changes
// nothing; another value is replaced or kept as `choice` says.
std::vector<MeterInterval> mergeIntervals(const std::vector<MeterInterval>& existing,
                                          std::vector<MeterInterval> incoming, ConflictChoice choice,
                                          MeterMergeSummary& summary);

// Imported intervals into the meter file at `path`: reads it, asks `choose` (with the number of
// conflicting intervals) only when some conflict, merges and saves it when anything changed. The
// caller holds the folder lock. A damaged file is an error and stays as it is.
using ConflictChooser = std::function<ConflictChoice(long conflicting)>;
Result<MeterMergeSummary> importIntoMeterFile(const std::string& path,
                                              const std::vector<MeterInterval>& incoming,
                                              const ConflictChooser& choose);

// The command line's choice (--replace or not) and the window's question through the prompter
// (OK: the imported values, キャンセル: the file's).
ConflictChooser fixedChoice(ConflictChoice choice);
ConflictChooser askThrough(Prompter& prompter);

// The summary for the user, a line each: added, unchanged, conflicts and what was kept, dropped
// old months.
std::vector<std::string> meterMergeLines(const MeterMergeSummary& summary);
// The same after an import: the summary's lines, or the reason the file was not written.
std::vector<std::string> meterImportLines(const Result<MeterMergeSummary>& merged);
// {"added", "unchanged", "conflicting", "replaced", "kept", "refused", "dropped_old", "first",
//  "last", "intervals", "written"}
nlohmann::ordered_json meterMergeJson(const MeterMergeSummary& summary);

// The question the window asks before an import changes values the file holds: OK replaces them
// with the imported ones, キャンセル keeps the file's.
std::string conflictQuestionText(long conflicting);

// One month of the meter data as the listing shows it.
struct MeterMonth {
    int year = 0;
    int month = 0;
    long intervals = 0;
    long missingIntervals = 0;    // intervals of the file's length that the month has no value for
    double kwh = 0;               // unrounded
    std::int64_t maxDemandKw = 0; // largest interval's kWh × 60 / its minutes, in whole kW (demandKw)
};

struct MeterListing {
    std::string first; // "YYYY-MM-DD HH:MM", "" without data
    std::string last;
    int minutes = 0; // the intervals' length; 0 when they differ
    std::vector<MeterMonth> months;
};

// Every calendar month from the first interval's to the last one's.
MeterListing listMeterData(const std::vector<MeterInterval>& intervals);

// "YYYY-MM-DD HH:MM" of an interval's start.
std::string startText(const MeterInterval& interval);

} // namespace wattorio::billing
