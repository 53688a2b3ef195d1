#pragma once
// Interval data files into the year book: every interval is placed by its own date and time
// (month and day give the book row, the hour the column), never by line count. The files are
// all read first, one at a time (each file's bytes are let go once its values are read); nothing
// is placed when one of them cannot be read, or when the set passes its bound of bytes or lines
// (which one is said before anything further is read).
//
// An hour is placed only when all its intervals were read; an hour with a missing interval keeps
// what the book held and is counted. 29 February has no book row and is left out. Values of
// dates outside one year's span, intervals read twice with different values, and values that are
// not finite or negative are counted and named, never placed.

#include "app/message.h"
#include "app/result.h"
#include "csvimport/interval_reader.h"
#include "yearbook/year_book_form.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace wattorio::csvimport {

// A file that leaves its value column or its unit open, with the columns that could hold the
// values; the first candidate is the one read (in kWh when the unit is open).
struct IntervalQuestion {
    std::string file;
    bool column = false;
    bool unit = false;
    std::vector<ColumnCandidate> candidates;
};
// True: take the file as read; false: stop the import.
using IntervalAsk = std::function<bool(const IntervalQuestion&)>;

// The question for the user: the file, what is open and the candidates with their headings and
// first values.
std::string questionText(const IntervalQuestion& question);
// The same as the window asks it: OK reads the file with the first candidate.
Message questionMessage(const IntervalQuestion& question);

struct IntervalImportOptions {
    IntervalReadOptions read;
    // Asked for each file that leaves the column or the unit open; without it such a file stops
    // the import with the question as the error.
    IntervalAsk ask;
    // The whole set: bytes and lines of all files together.
    std::size_t maxSetBytes = kMaxIntervalSetBytes;
    std::size_t maxSetLines = kMaxIntervalSetLines;
    // Values of the book are meter readings: kWh are divided by the site's multiplier, unless the
    // file already holds readings.
    bool valuesAreReadings = false;
    double multiplier = 1;
};

// One hour for the book: its row (1..365), hour (0..23) and the value to write.
struct PlacedHour {
    int row = 0;
    int hour = 0;
    double value = 0;
};

struct IntervalSummary {
    std::vector<std::string> files;
    int intervalMinutes = 0; // 0 when the files disagree
    std::string timesAre;    // "starts", "ends" or "mixed"
    std::string firstDate;   // "YYYY-MM-DD", "" without data
    std::string lastDate;
    long hoursPlaced = 0;
    long hoursMissing = 0; // hours of the span with an interval missing or refused
    long feb29LeftOut = 0; // hours of 29 February read and left out
    long duplicates = 0;   // intervals read twice with the same value (read once)
    long rejected = 0;     // values refused (see rejectedNotes)
    long outsideSpan = 0;
    long conflictingDuplicates = 0;
    long invalidValues = 0;
    long fieldCountRows = 0; // rows with another number of fields than the file's others
    long oddTimeRows = 0;    // rows whose time fits no interval of the file
    std::string column; // the value column: 3列目「使用電力量(kWh)」 (per file when they differ)
    std::vector<std::string> rejectedNotes;    // the first few, "file:line reason"
    std::vector<std::string> missingHourNotes; // the first few, "M月D日 H時"
    // Largest interval's average kW per month (index 1..12), and when ("D日 HH:MM", interval start).
    std::array<std::optional<double>, 13> monthlyMaxDemandKw{};
    std::array<std::string, 13> monthlyMaxDemandAt{};
    std::string unit; // "kWh", "Wh", "kW" (or "mixed")
    bool valuesAreReadings = false;
    double multiplier = 1;
};

struct IntervalImport {
    std::vector<PlacedHour> hours;
    IntervalSummary summary;
    // Every interval read and kept (an interval read twice with the same value once; refused and
    // conflicting ones left out), sorted by date and start; kWh as in the file, before any
    // multiplier. Each carries its length in `minutes` (also `summary.intervalMinutes`).
    std::vector<IntervalValue> intervals;
};

// Progress: (files read, files in all).
using IntervalProgress = std::function<void(int, int)>;

Result<IntervalImport> readIntervalImport(const std::vector<std::string>& paths,
                                          const IntervalImportOptions& options,
                                          const IntervalProgress& progress = {});
// The same from files already in memory (name, bytes).
Result<IntervalImport> readIntervalImportData(const std::vector<std::pair<std::string, std::string>>& files,
                                              const IntervalImportOptions& options);

// The placed hours as the book's cell texts.
std::vector<yearbook::YearBookForm::HourCell> bookCells(const IntervalImport& import);

// The question before an import into a site whose multiplier is not 1: what the values are.
Message valuesQuestion(double multiplier, bool valuesAreReadings);

// The summary as one JSON object (the fields of the command line's --json).
std::string summaryJson(const IntervalSummary& summary);
// The summary as lines for the user; the monthly demand beside the contract power (kW, 0: none).
std::vector<std::string> summaryLines(const IntervalSummary& summary, double contractKw);

} // namespace wattorio::csvimport
