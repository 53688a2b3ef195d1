#include "csvimport/interval_import.h"

#include "app/numtext.h"
#include "app/safe_save.h"
#include "app/text_escape.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unordered_map>

namespace wattorio::csvimport {

namespace {

constexpr std::size_t kMaxNotes = 20;
constexpr std::array<int, 13> kDaysBefore{0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

std::string dateText(std::int32_t date) {
    int y, m, d;
    civilDate(date, y, m, d);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
    return buf;
}

// A file's name as shown: its last part, with control bytes escaped.
std::string baseName(const std::string& path) {
    return escapedForMessage(std::filesystem::path(path).filename().string());
}

const char* reasonText(RejectReason r) {
    switch (r) {
    case RejectReason::NotFinite:
        return "数値でない値（無限大・非数）";
    case RejectReason::Negative:
        return "負の値";
    case RejectReason::OddTime:
        return "区間に合わない時刻";
    case RejectReason::FieldCount:
        return "列の数が違う行";
    case RejectReason::NotANumber:
        break;
    }
    return "読めない値";
}

const char* unitName(EnergyUnit u) {
    switch (u) {
    case EnergyUnit::Wh:
        return "Wh";
    case EnergyUnit::KW:
        return "kW";
    case EnergyUnit::KWh:
        break;
    }
    return "kWh";
}

// The first day after a span of one year from `date` (the same month and day a year later;
// 29 February counts to 1 March).
std::int32_t oneYearOn(std::int32_t date) {
    int y, m, d;
    civilDate(date, y, m, d);
    if (m == 2 && d == 29) {
        m = 3;
        d = 1;
    }
    return dayNumber(y + 1, m, d);
}

// The first few notes; the text is made only for those kept, so that a file of a million refusals
// costs no million texts.
template <class Text> void note(std::vector<std::string>& notes, Text text) {
    if (notes.size() < kMaxNotes)
        notes.push_back(text());
}

std::string jsonText(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string jsonValue(double v) {
    if (!std::isfinite(v))
        return "null";
    std::string t = numberText(v);
    for (char& c : t)
        if (c == 'E')
            c = 'e';
    return t;
}

std::string kwText(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", v);
    return buf;
}

// Sums of decimal values carry binary noise (0.1 + 0.2): twelve significant digits are kept,
// far more than any meter gives.
double tidy(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.12g", v);
    return std::strtod(buf, nullptr);
}

struct Entry {
    double kwh = 0;
    bool conflict = false;
};

// Where the bytes of file i come from: memory, or the program's one file read (`holder` keeps
// them while they are read). Either counts them against the set's budget; an error stops the
// import.
using FileSource =
    std::function<Result<std::string_view>(std::size_t, std::string& holder, ReadBudget& budget)>;

bool sameQuestion(const IntervalQuestion& a, const IntervalQuestion& b) {
    if (a.column != b.column || a.unit != b.unit || a.candidates.size() != b.candidates.size())
        return false;
    for (std::size_t i = 0; i < a.candidates.size(); ++i)
        if (a.candidates[i].column != b.candidates[i].column ||
            a.candidates[i].heading != b.candidates[i].heading)
            return false;
    return true;
}

// Lines of the bytes, counted up to one past `limit`.
std::size_t lineCount(std::string_view bytes, std::size_t limit) {
    std::size_t n = 0;
    for (std::size_t at = 0; at < bytes.size() && n <= limit; ++n) {
        const void* nl = std::memchr(bytes.data() + at, '\n', bytes.size() - at);
        if (!nl)
            return n + 1;
        at = static_cast<std::size_t>(static_cast<const char*>(nl) - bytes.data()) + 1;
    }
    return n;
}

Result<IntervalImport> importSet(const std::vector<std::string>& names, const FileSource& source,
                                 const IntervalImportOptions& options, const IntervalProgress& progress) {
    IntervalImport result;
    IntervalSummary& s = result.summary;
    s.valuesAreReadings = options.valuesAreReadings;
    s.multiplier = options.multiplier;
    if (names.empty())
        return Error{"読み込むファイルがありません。"};
    if (!options.valuesAreReadings && !(options.multiplier > 0 && std::isfinite(options.multiplier)))
        return Error{"電力データ倍率が正しくありません。"};

    // One file at a time: its bytes are let go once its values are read, and the set's bounds
    // are checked before a file is read further.
    std::vector<IntervalFile> read;
    read.reserve(names.size());
    std::vector<IntervalQuestion> accepted;
    std::size_t linesLeft = options.maxSetLines;
    ReadBudget budget{options.maxSetBytes, 0};
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string name = baseName(names[i]);
        std::string holder;
        Result<std::string_view> bytes = source(i, holder, budget);
        if (!bytes)
            return bytes.error();
        const std::size_t lines = lineCount(*bytes, linesLeft);
        if (lines > linesLeft)
            return Error{"読み込むファイルの行が多すぎます（全部で " + std::to_string(options.maxSetLines) +
                         " 行まで）: " + name};
        linesLeft -= lines;
        IntervalReadOptions ro = options.read;
        ro.maxLines = lines;
        Result<IntervalFile> f = readIntervalData(*bytes, ro);
        if (!f)
            return Error{name + ": " + f.error().message};
        if (f->columnOpen || f->unitOpen) {
            IntervalQuestion q{names[i], f->columnOpen, f->unitOpen, f->candidates};
            const bool known = std::any_of(accepted.begin(), accepted.end(),
                                           [&](const IntervalQuestion& a) { return sameQuestion(a, q); });
            if (!known) {
                if (!options.ask)
                    return Error{questionText(q)};
                if (!options.ask(q))
                    return Error{name + ": 読み込みを取り消しました。"};
                accepted.push_back(std::move(q));
            }
        }
        f->candidates.clear();
        f->candidates.shrink_to_fit();
        read.push_back(std::move(*f));
        s.files.push_back(names[i]);
        if (progress)
            progress(static_cast<int>(i + 1), static_cast<int>(names.size()));
    }
    const int step = read.front().intervalMinutes;
    bool starts = false, ends = false;
    std::string unit = unitName(read.front().unit);
    for (std::size_t i = 0; i < read.size(); ++i) {
        if (read[i].intervalMinutes != step)
            return Error{baseName(names[i]) + ": 時刻の間隔（" + std::to_string(read[i].intervalMinutes) +
                         " 分）が " + baseName(names[0]) + "（" + std::to_string(step) + " 分）と違います。"};
        (read[i].timesAreEnds ? ends : starts) = true;
        if (unit != unitName(read[i].unit))
            unit = "mixed";
    }
    s.intervalMinutes = step;
    s.timesAre = starts && ends ? "mixed" : ends ? "ends" : "starts";
    s.unit = unit;
    const int perHour = 60 / step;

    // The value column, once when every file used the same, else file by file.
    std::vector<std::string> columns;
    for (const IntervalFile& f : read)
        columns.push_back(columnText(f.valueColumn, escapedForMessage(f.valueHeading)));
    if (std::all_of(columns.begin(), columns.end(),
                    [&](const std::string& c) { return c == columns.front(); }))
        s.column = columns.front();
    else
        for (std::size_t i = 0; i < columns.size(); ++i)
            s.column += (i ? "、" : "") + baseName(names[i]) + " " + columns[i];

    // Refused values and rows of the files.
    for (std::size_t i = 0; i < read.size(); ++i) {
        s.invalidValues += read[i].rejectedCount;
        s.fieldCountRows += read[i].fieldCountRows;
        s.oddTimeRows += read[i].oddTimeRows;
        for (const RejectedValue& r : read[i].rejected)
            note(s.rejectedNotes, [&] {
                return baseName(names[i]) + ":" + std::to_string(r.line) + " " + reasonText(r.reason) + "「" +
                       escapedForMessage(r.text) + "」";
            });
    }

    // The year's span: the one-year window from a date that holds the most values.
    std::vector<std::int32_t> dates;
    for (const IntervalFile& f : read)
        for (const IntervalValue& v : f.values)
            dates.push_back(v.date);
    std::sort(dates.begin(), dates.end());
    std::int32_t spanFrom = 0, spanTo = 0; // [from, to)
    std::size_t best = 0;
    for (std::size_t i = 0, j = 0; i < dates.size(); ++i) {
        if (i > 0 && dates[i] == dates[i - 1])
            continue;
        const std::int32_t to = oneYearOn(dates[i]);
        j = std::max(j, i);
        while (j < dates.size() && dates[j] < to)
            ++j;
        if (j - i > best) {
            best = j - i;
            spanFrom = dates[i];
            spanTo = to;
        }
    }

    // Every interval once; a second reading with another value refuses the interval.
    std::unordered_map<std::int64_t, Entry> intervals;
    intervals.reserve(dates.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        for (const IntervalValue& v : read[i].values) {
            if (v.date < spanFrom || v.date >= spanTo) {
                ++s.outsideSpan;
                note(s.rejectedNotes, [&] {
                    return baseName(names[i]) + ":" + std::to_string(v.line) + " " + dateText(v.date) +
                           " は 1 年の範囲（" + dateText(spanFrom) + "〜" + dateText(spanTo - 1) + "）の外";
                });
                continue;
            }
            const std::int64_t key = static_cast<std::int64_t>(v.date) * 1440 + v.start;
            auto [it, inserted] = intervals.try_emplace(key, Entry{v.kwh, false});
            if (inserted)
                continue;
            Entry& e = it->second;
            if (e.conflict) {
                continue;
            }
            if (std::fabs(e.kwh - v.kwh) <= 1e-9 * std::max(std::fabs(e.kwh), std::fabs(v.kwh))) {
                ++s.duplicates;
            } else {
                e.conflict = true;
                ++s.conflictingDuplicates;
                char hm[16];
                std::snprintf(hm, sizeof hm, "%02d:%02d", v.start / 60, v.start % 60);
                note(s.rejectedNotes, [&] {
                    return baseName(names[i]) + ":" + std::to_string(v.line) + " " + dateText(v.date) + " " +
                           hm + " が二度あり、値が違う";
                });
            }
        }
    }
    s.rejected = s.invalidValues + s.outsideSpan + s.conflictingDuplicates;
    result.intervals.reserve(intervals.size());
    for (const auto& [key, e] : intervals)
        if (!e.conflict)
            result.intervals.push_back({static_cast<std::int32_t>(key / 1440),
                                        static_cast<std::int16_t>(key % 1440),
                                        static_cast<std::int16_t>(step), e.kwh, 0});
    std::sort(result.intervals.begin(), result.intervals.end(),
              [](const IntervalValue& a, const IntervalValue& b) {
                  return a.date != b.date ? a.date < b.date : a.start < b.start;
              });

    // Hours, and the monthly maximum demand.
    struct Hour {
        double kwh = 0;
        int count = 0;
        bool conflict = false;
    };
    std::unordered_map<std::int64_t, Hour> hours;
    hours.reserve(intervals.size() / static_cast<std::size_t>(perHour) + 1);
    std::int32_t firstDate = spanTo, lastDate = spanFrom - 1;
    std::array<std::int64_t, 13> maxKey{};
    const double kwPerKwh = 60.0 / step * (options.valuesAreReadings ? options.multiplier : 1.0);
    for (const auto& [key, e] : intervals) {
        const auto date = static_cast<std::int32_t>(key / 1440);
        const int start = static_cast<int>(key % 1440);
        firstDate = std::min(firstDate, date);
        lastDate = std::max(lastDate, date);
        Hour& h = hours[static_cast<std::int64_t>(date) * 24 + start / 60];
        if (e.conflict) {
            h.conflict = true;
            continue;
        }
        h.kwh += e.kwh;
        ++h.count;
        int y, m, d;
        civilDate(date, y, m, d);
        const double kw = tidy(e.kwh * kwPerKwh);
        auto& best = s.monthlyMaxDemandKw[static_cast<std::size_t>(m)];
        if (!best || kw > *best || (kw == *best && key < maxKey[static_cast<std::size_t>(m)])) {
            best = kw;
            maxKey[static_cast<std::size_t>(m)] = key;
            char at[32];
            std::snprintf(at, sizeof at, "%d日 %02d:%02d", d, start / 60, start % 60);
            s.monthlyMaxDemandAt[static_cast<std::size_t>(m)] = at;
        }
    }
    if (firstDate > lastDate)
        return result; // nothing dated within a year: nothing to place
    s.firstDate = dateText(firstDate);
    s.lastDate = dateText(lastDate);

    for (std::int32_t date = firstDate; date <= lastDate; ++date) {
        int y, m, d;
        civilDate(date, y, m, d);
        for (int hour = 0; hour < 24; ++hour) {
            const auto it = hours.find(static_cast<std::int64_t>(date) * 24 + hour);
            const bool complete = it != hours.end() && !it->second.conflict && it->second.count == perHour;
            if (m == 2 && d == 29) {
                if (it != hours.end())
                    ++s.feb29LeftOut;
                continue;
            }
            if (!complete) {
                ++s.hoursMissing;
                note(s.missingHourNotes, [&] {
                    return std::to_string(m) + "月" + std::to_string(d) + "日 " + std::to_string(hour) + "時";
                });
                continue;
            }
            const double kwh = it->second.kwh;
            result.hours.push_back({kDaysBefore[static_cast<std::size_t>(m)] + d, hour,
                                    tidy(options.valuesAreReadings ? kwh : kwh / options.multiplier)});
        }
    }
    s.hoursPlaced = static_cast<long>(result.hours.size());
    return result;
}

} // namespace

Result<IntervalImport> readIntervalImportData(const std::vector<std::pair<std::string, std::string>>& files,
                                              const IntervalImportOptions& options) {
    std::vector<std::string> names;
    names.reserve(files.size());
    for (const auto& f : files)
        names.push_back(f.first);
    return importSet(names,
                     [&](std::size_t i, std::string&, ReadBudget& budget) -> Result<std::string_view> {
                         const std::string& bytes = files[i].second;
                         if (bytes.size() > budget.maxBytes - budget.used)
                             return Error{"読み込むファイルの合計が大きすぎます（全部で " +
                                          std::to_string(budget.maxBytes >> 20) +
                                          " MB まで）: " + baseName(files[i].first)};
                         budget.used += bytes.size();
                         return std::string_view(bytes);
                     },
                     options, {});
}

Result<IntervalImport> readIntervalImport(const std::vector<std::string>& paths,
                                          const IntervalImportOptions& options,
                                          const IntervalProgress& progress) {
    return importSet(
        paths,
        [&](std::size_t i, std::string& holder, ReadBudget& budget) -> Result<std::string_view> {
            ReadOptions ro;
            ro.maxBytes = kMaxIntervalFileBytes;
            ro.budget = &budget;
            Result<std::string> bytes = readFileBytes(paths[i], ro);
            if (!bytes)
                return bytes.error();
            holder = std::move(*bytes);
            return std::string_view(holder);
        },
        options, progress);
}

std::string questionText(const IntervalQuestion& q) {
    std::string t = baseName(q.file) + ": ";
    if (q.column)
        t += "値の列を決められません（数値の列が複数あり、見出しで区別できません）。";
    if (q.unit && !q.candidates.empty())
        t += columnText(q.candidates.front().column, escapedForMessage(q.candidates.front().heading)) +
             "の単位が見出しからわかりません（ほかの行に単位があります）。";
    t += "\n候補:";
    for (const ColumnCandidate& c : q.candidates) {
        t += "\n　" + columnText(c.column, escapedForMessage(c.heading));
        if (c.unit)
            t += std::string("（") + unitName(*c.unit) + "）";
        if (!c.firstValues.empty()) {
            t += "　最初の値 ";
            for (std::size_t i = 0; i < c.firstValues.size(); ++i)
                t += (i ? ", " : "") + escapedForMessage(c.firstValues[i]);
        }
    }
    return t;
}

Message questionMessage(const IntervalQuestion& q) {
    std::string first;
    if (!q.candidates.empty()) {
        const ColumnCandidate& c = q.candidates.front();
        first = columnText(c.column, escapedForMessage(c.heading));
        if (q.unit || c.unit)
            first += std::string("、単位 ") + unitName(q.unit ? EnergyUnit::KWh : *c.unit);
    }
    return confirm(questionText(q) + "\n\n" + first +
                   " として読み込みますか？\n違う場合はキャンセルし、「値の列」と「単位」を指定してから読み込"
                   "んでください。");
}

std::vector<yearbook::YearBookForm::HourCell> bookCells(const IntervalImport& import) {
    std::vector<yearbook::YearBookForm::HourCell> cells;
    cells.reserve(import.hours.size());
    for (const PlacedHour& h : import.hours)
        cells.push_back({h.row, h.hour, numberText(h.value)});
    return cells;
}

Message valuesQuestion(double multiplier, bool valuesAreReadings) {
    const std::string m = numberText(multiplier);
    return confirm("この物件の電力データ倍率は " + m + " です。\n" +
                   (valuesAreReadings
                        ? std::string("ファイルの値を指示数としてそのまま書き込みます。")
                        : "ファイルの値を kWh として倍率 " + m + " で割り、指示数にして書き込みます。") +
                   "\nよろしいですか？");
}

std::string summaryJson(const IntervalSummary& s) {
    std::string j = "{\"files\": [";
    for (std::size_t i = 0; i < s.files.size(); ++i)
        j += (i ? ", " : "") + jsonText(s.files[i]);
    j += "], \"interval_minutes\": " + std::to_string(s.intervalMinutes);
    j += ", \"times_are\": " + jsonText(s.timesAre);
    j += ", \"first_date\": " + (s.firstDate.empty() ? std::string("null") : jsonText(s.firstDate));
    j += ", \"last_date\": " + (s.lastDate.empty() ? std::string("null") : jsonText(s.lastDate));
    j += ", \"hours_placed\": " + std::to_string(s.hoursPlaced);
    j += ", \"hours_missing\": " + std::to_string(s.hoursMissing);
    j += ", \"feb29_left_out\": " + std::to_string(s.feb29LeftOut);
    j += ", \"duplicates\": " + std::to_string(s.duplicates);
    j += ", \"rejected\": " + std::to_string(s.rejected);
    j += ", \"field_count_rows\": " + std::to_string(s.fieldCountRows);
    j += ", \"odd_time_rows\": " + std::to_string(s.oddTimeRows);
    j += ", \"value_column\": " + jsonText(s.column);
    j += ", \"monthly_max_demand_kw\": [null";
    for (int m = 1; m <= 12; ++m) {
        const auto& v = s.monthlyMaxDemandKw[static_cast<std::size_t>(m)];
        j += ", " + (v ? jsonValue(*v) : std::string("null"));
    }
    j += "], \"monthly_max_demand_at\": [null";
    for (int m = 1; m <= 12; ++m) {
        const bool has = s.monthlyMaxDemandKw[static_cast<std::size_t>(m)].has_value();
        j += ", " + (has ? jsonText(s.monthlyMaxDemandAt[static_cast<std::size_t>(m)]) : std::string("null"));
    }
    return j + "]}";
}

std::vector<std::string> summaryLines(const IntervalSummary& s, double contractKw) {
    std::vector<std::string> out;
    out.push_back("ファイル " + std::to_string(s.files.size()) + " 個、" + std::to_string(s.intervalMinutes) +
                  " 分間隔、時刻は" +
                  (s.timesAre == "ends"    ? "区間の終わり"
                   : s.timesAre == "mixed" ? "ファイルにより始まり・終わり"
                                           : "区間の始まり") +
                  "として読みました（単位 " + s.unit + "）。");
    if (!s.column.empty())
        out.push_back("値の列 " + s.column);
    if (!s.firstDate.empty())
        out.push_back("期間 " + s.firstDate + " 〜 " + s.lastDate);
    out.push_back("書き込んだ時間 " + std::to_string(s.hoursPlaced) + "、欠けた時間 " +
                  std::to_string(s.hoursMissing) + "（元の値のまま）");
    if (!s.missingHourNotes.empty()) {
        std::string t = "　欠けた時間: ";
        for (std::size_t i = 0; i < s.missingHourNotes.size(); ++i)
            t += (i ? "、" : "") + s.missingHourNotes[i];
        if (s.hoursMissing > static_cast<long>(s.missingHourNotes.size()))
            t += " ほか";
        out.push_back(t);
    }
    if (s.feb29LeftOut > 0)
        out.push_back("2月29日の " + std::to_string(s.feb29LeftOut) +
                      " 時間は年間データに行がないため読み込みませんでした。");
    if (s.duplicates > 0)
        out.push_back("同じ値で二度あった区間 " + std::to_string(s.duplicates) + "（一度だけ読みました）");
    if (s.fieldCountRows > 0)
        out.push_back("列の数が違う行 " + std::to_string(s.fieldCountRows) + "（読み込みませんでした）");
    if (s.oddTimeRows > 0)
        out.push_back("時刻が区間に合わない行 " + std::to_string(s.oddTimeRows) + "（読み込みませんでした）");
    if (s.rejected > 0)
        out.push_back("読み込まなかった値 " + std::to_string(s.rejected) + "（範囲外の日付 " +
                      std::to_string(s.outsideSpan) + "、値の違う重複 " +
                      std::to_string(s.conflictingDuplicates) + "、不正な値 " +
                      std::to_string(s.invalidValues) + "）");
    for (const std::string& n : s.rejectedNotes)
        out.push_back("　" + n);
    out.push_back(s.valuesAreReadings
                      ? "値は指示数としてそのまま書き込みました。"
                      : "kWh を電力データ倍率 " + numberText(s.multiplier) + " で割って書き込みました。");
    out.push_back("月別最大需要電力（" + std::to_string(s.intervalMinutes) + " 分ごとの平均 kW）" +
                  (contractKw > 0 ? "　契約電力 " + numberText(contractKw) + " kW" : std::string()));
    for (int m = 1; m <= 12; ++m) {
        const auto& v = s.monthlyMaxDemandKw[static_cast<std::size_t>(m)];
        if (!v)
            continue;
        std::string t = "　" + std::to_string(m) + "月 " + kwText(*v) + " kW（" +
                        s.monthlyMaxDemandAt[static_cast<std::size_t>(m)] + "）";
        if (contractKw > 0 && *v > contractKw)
            t += "　契約電力を超えています";
        out.push_back(t);
    }
    return out;
}

} // namespace wattorio::csvimport
