#include "csvimport/csv_import.h"

#include "app/book_value.h"
#include "app/numtext.h"
#include "csvimport/csv_reader.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace wattorio::csvimport {

namespace {

// A count held in single precision, as a whole number: fractions dropped, below 0 (or not a
// number) gives 0, far beyond any file capped.
long long toCount(float value) {
    if (!(value >= 1))
        return 0;
    if (value >= 1e18f)
        return 1000000000000000000LL;
    return static_cast<long long>(value);
}

int toInt(long long value) {
    return static_cast<int>(std::min<long long>(value, INT_MAX));
}

// Suspends the grid's change notifications for the import and reports one change at the end.
class GridUpdate {
public:
    explicit GridUpdate(TextGrid& grid) : grid_(grid) { grid_.beginUpdate(); }
    ~GridUpdate() { grid_.endUpdate(); }
    GridUpdate(const GridUpdate&) = delete;
    GridUpdate& operator=(const GridUpdate&) = delete;

private:
    TextGrid& grid_;
};

struct Reading {
    long long skip;
    int hours;
    long long column;
    long long startRow;
    int days;
    int lastRow;
};

Reading readingOf(long long skipLines, long long hoursPerDay, long long firstColumn, long long startRow,
                  long long dayCount, const TextGrid& grid) {
    Reading r;
    r.skip = std::max<long long>(skipLines, 0);
    r.hours = toInt(std::clamp<long long>(hoursPerDay, 1, kHoursPerDay));
    r.column = std::max<long long>(firstColumn, 1);
    r.startRow = startRow;
    r.days = toInt(std::max<long long>(dayCount, 0));
    r.lastRow = std::min(kLastBookRow, grid.rows() - 1);
    return r;
}

// Lines before the first data line; false when the file ended among them.
bool skipLeadingLines(CsvLineReader& reader, long long skip) {
    for (long long i = 0; i < skip; ++i)
        if (!reader.skipLine())
            return false;
    return true;
}

void endWith(CsvImportOutcome& outcome, CsvEnd end) {
    outcome.end = end;
    outcome.endedEarly = end != CsvEnd::Complete;
}

Result<CsvImportOutcome> readVertical(const std::string& path, const Reading& rd, TextGrid& grid,
                                      const CsvProgress& progress) {
    Result<CsvLineReader> opened = CsvLineReader::open(path);
    if (!opened)
        return opened.error();
    CsvLineReader& reader = *opened;
    CsvImportOutcome outcome;
    GridUpdate update(grid);
    if (!skipLeadingLines(reader, rd.skip)) {
        if (rd.days > 0)
            endWith(outcome, CsvEnd::EndOfFile);
        return outcome;
    }
    std::vector<std::string> fields;
    long long fieldCount = 0;
    for (int d = 1; d <= rd.days; ++d) {
        const long long row = rd.startRow + d - 1;
        if (row < 1 || row > rd.lastRow) {
            endWith(outcome, CsvEnd::PastYearEnd);
            return outcome;
        }
        for (int h = 1; h <= rd.hours; ++h) {
            if (!reader.readLine(rd.column, rd.column, fields, fieldCount, kMaxFieldBytes)) {
                endWith(outcome, CsvEnd::EndOfFile);
                return outcome;
            }
            if (fieldCount < rd.column) {
                endWith(outcome, CsvEnd::TooFewFields);
                outcome.line = reader.lineNumber();
                return outcome;
            }
            std::string text = decodeField(fields.front());
            if (!isBookValue(val(text))) {
                endWith(outcome, CsvEnd::ValueOutOfRange);
                outcome.line = reader.lineNumber();
                return outcome;
            }
            grid.setText(static_cast<int>(row), h + 3, std::move(text));
            ++outcome.valuesPlaced;
            outcome.lastRow = static_cast<int>(row);
            outcome.partHours = h < rd.hours ? h : 0;
        }
        ++outcome.daysPlaced;
        if (progress)
            progress(d, rd.days);
    }
    return outcome;
}

Result<CsvImportOutcome> readHorizontal(const std::string& path, const Reading& rd, TextGrid& grid,
                                        const CsvProgress& progress) {
    Result<CsvLineReader> opened = CsvLineReader::open(path);
    if (!opened)
        return opened.error();
    CsvLineReader& reader = *opened;
    CsvImportOutcome outcome;
    GridUpdate update(grid);
    if (!skipLeadingLines(reader, rd.skip)) {
        if (rd.days > 0)
            endWith(outcome, CsvEnd::EndOfFile);
        return outcome;
    }
    std::vector<std::string> fields;
    std::vector<std::string> texts(static_cast<std::size_t>(rd.hours));
    long long fieldCount = 0;
    const long long lastField = rd.column + rd.hours - 1;
    for (int d = 1; d <= rd.days; ++d) {
        if (!reader.readLine(rd.column, lastField, fields, fieldCount, kMaxFieldBytes)) {
            endWith(outcome, CsvEnd::EndOfFile);
            return outcome;
        }
        // The fields before the first value go with the comma that ends each.
        if (fieldCount < rd.column) {
            endWith(outcome, CsvEnd::TooFewFields);
            outcome.line = reader.lineNumber();
            return outcome;
        }
        const long long row = rd.startRow + d - 1;
        if (row < 1 || row > rd.lastRow) {
            endWith(outcome, CsvEnd::PastYearEnd);
            return outcome;
        }
        // A day with a value out of range is refused whole, before any of its hours is placed.
        for (std::size_t k = 0; k < fields.size(); ++k) {
            texts[k] = decodeField(fields[k]);
            if (!isBookValue(val(texts[k]))) {
                endWith(outcome, CsvEnd::ValueOutOfRange);
                outcome.line = reader.lineNumber();
                return outcome;
            }
        }
        for (int h = 1; h <= rd.hours; ++h) {
            // Every value but the last needs the comma after it; the last may be the rest of the line.
            const long long field = rd.column + h - 1;
            const long long needed = h < rd.hours ? field + 1 : field;
            if (fieldCount < needed) {
                endWith(outcome, CsvEnd::TooFewFields);
                outcome.line = reader.lineNumber();
                return outcome;
            }
            grid.setText(static_cast<int>(row), h + 3, std::move(texts[static_cast<std::size_t>(h - 1)]));
            ++outcome.valuesPlaced;
            outcome.lastRow = static_cast<int>(row);
            outcome.partHours = h < rd.hours ? h : 0;
        }
        ++outcome.daysPlaced;
        if (progress)
            progress(d, rd.days);
    }
    return outcome;
}

} // namespace

CsvImportOptions ownSheetFormat() {
    CsvImportOptions o;
    o.layout = CsvLayout::Horizontal;
    o.skipLines = 1;
    o.column = 4;
    o.month = 1;
    o.day = 1;
    o.days = 365;
    return o;
}

Result<int> startRowOf(int month, int day) {
    if (month < 1 || month > 12)
        return Error{"月を選択してください。"};
    if (day < 0 || day > kMonthDays[month - 1])
        return Error{std::to_string(month) + "月" + std::to_string(day) + "日はありません。"};
    return kMonthOffset[month - 1] + std::max(day, 1);
}

Result<CsvImportOutcome> Load_Tate(const std::string& path, float skipLines, float hoursPerDay,
                                   float firstColumn, float startRow, float dayCount, TextGrid& grid,
                                   const CsvProgress& progress) {
    return readVertical(path,
                        readingOf(toCount(skipLines), toCount(hoursPerDay), toCount(firstColumn),
                                  toCount(startRow), toCount(dayCount), grid),
                        grid, progress);
}

Result<CsvImportOutcome> Load_Yoko(const std::string& path, float skipLines, float hoursPerDay,
                                   float firstColumn, float startRow, float dayCount, TextGrid& grid,
                                   const CsvProgress& progress) {
    return readHorizontal(path,
                          readingOf(toCount(skipLines), toCount(hoursPerDay), toCount(firstColumn),
                                    toCount(startRow), toCount(dayCount), grid),
                          grid, progress);
}

Result<CsvImportOutcome> importCsv(const std::string& path, const CsvImportOptions& options, TextGrid& grid,
                                   const CsvProgress& progress) {
    const Result<int> start = startRowOf(options.month, options.day);
    if (!start)
        return start.error();
    const Reading rd = readingOf(options.skipLines, kHoursPerDay, options.column, *start, options.days, grid);
    if (options.layout == CsvLayout::Vertical)
        return readVertical(path, rd, grid, progress);
    return readHorizontal(path, rd, grid, progress);
}

std::string earlyEndNote(const CsvImportOutcome& outcome) {
    std::string why;
    switch (outcome.end) {
    case CsvEnd::Complete:
        return "";
    case CsvEnd::EndOfFile:
        why = "ファイルの終わりに達したため";
        break;
    case CsvEnd::TooFewFields:
        why = std::to_string(outcome.line) + " 行目の項目が足りないため";
        break;
    case CsvEnd::PastYearEnd:
        why = "12月31日に達したため";
        break;
    case CsvEnd::ValueOutOfRange:
        why = std::to_string(outcome.line) + " 行目の値が" + kBookValueRange + "ため";
        break;
    }
    std::string placed = std::to_string(outcome.daysPlaced) + " 日分";
    if (outcome.partHours > 0)
        placed += "と " + std::to_string(outcome.partHours) + " 時間分";
    return why + "、読み込んだのは " + placed + "です。";
}

} // namespace wattorio::csvimport
