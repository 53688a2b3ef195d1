// The interval import on arbitrary files (the first two bytes choose the unit, the column and
// whether an open column is taken; the rest is two files when a form feed parts it): never
// a crash or hang, every interval kept is a real one of the years taken, each once and in order,
// every placed hour is within the book, and no control byte of a file reaches a message.

#include "app/book_value.h"
#include "csvimport/interval_import.h"
#include "fuzz_support.h"

#include <cmath>

using namespace wattorio;
using namespace wattorio::csvimport;

namespace {

bool noControlBytes(const std::string& text, bool lineBreaks) {
    for (const char c : text)
        if ((static_cast<unsigned char>(c) < 0x20 && !(lineBreaks && c == '\n')) || c == 0x7F)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    IntervalImportOptions options;
    if (data[0] & 3)
        options.read.unit = static_cast<EnergyUnit>((data[0] & 3) - 1);
    options.read.column = data[1] % 8; // 0: detected
    const bool takeOpen = data[0] & 4;
    options.ask = [&](const IntervalQuestion& q) {
        fuzz::require(q.column || q.unit, "a question asks something");
        fuzz::require(!q.candidates.empty(), "a question has candidates");
        fuzz::require(noControlBytes(questionText(q), true), "the question shows no control byte");
        return takeOpen;
    };
    const auto [first, second] =
        fuzz::splitAtFirstLine(std::string_view(reinterpret_cast<const char*>(data) + 2, size - 2), "\f");
    std::vector<std::pair<std::string, std::string>> files = {{"a\x1b.csv", std::string(first)}};
    if (!second.empty())
        files.emplace_back("b.csv", std::string(second));
    Result<IntervalImport> r = readIntervalImportData(files, options);
    if (!r) {
        fuzz::require(noControlBytes(r.error().message, true), "an error shows no control byte of a name");
        return 0;
    }
    const int step = r->summary.intervalMinutes;
    fuzz::require(step == 15 || step == 30 || step == 60, "the interval is 15, 30 or 60 minutes");
    const std::int32_t firstDay = dayNumber(kFirstIntervalYear, 1, 1);
    const std::int32_t lastDay = dayNumber(kLastIntervalYear, 12, 31);
    for (std::size_t i = 0; i < r->intervals.size(); ++i) {
        const IntervalValue& v = r->intervals[i];
        fuzz::require(v.date >= firstDay && v.date <= lastDay, "every interval lies in the years taken");
        fuzz::require(v.start >= 0 && v.start < 1440 && v.start % step == 0 && v.minutes == step,
                      "every interval starts on the file's interval");
        fuzz::require(std::isfinite(v.kwh) && v.kwh >= 0, "every value is finite and not negative");
        if (i > 0) {
            const IntervalValue& p = r->intervals[i - 1];
            fuzz::require(p.date < v.date || (p.date == v.date && p.start < v.start),
                          "intervals once, in order");
        }
    }
    for (const PlacedHour& h : r->hours) {
        fuzz::require(h.row >= 1 && h.row <= 365 && h.hour >= 0 && h.hour <= 23,
                      "every hour is within the book");
        fuzz::require(std::isfinite(h.value) && h.value >= 0,
                      "every placed value is finite and not negative");
    }
    for (const std::string& line : summaryLines(r->summary, 500))
        fuzz::require(noControlBytes(line, false), "the summary shows no control byte");
    (void)summaryJson(r->summary);
    return 0;
}
