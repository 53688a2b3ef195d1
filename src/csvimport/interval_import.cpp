#include "csvimport/interval_import.h"

#include "app/numtext.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
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

std::string baseName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

const char* reasonText(RejectReason r) {
    switch (r) {
    case RejectReason::NotFinite:
        return "数値でない値（無限大・非数）";
    case RejectReason::Negative:
        return "負の値";
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

void note(std::vector<std::string>& notes, std::string text) {
    if (notes.size() < kMaxNotes)
        notes.push_back(std::move(text));
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

} // namespace

Result<IntervalImport> readIntervalImportData(const std::vector<std::pair<std::string, std::string>>& files,
                                              const IntervalImportOptions& options) {
    IntervalImport result;
    IntervalSummary& s = result.summary;
    s.valuesAreReadings = options.valuesAreReadings;
    s.multiplier = options.multiplier;
    if (files.empty())
        return Error{"読み込むファイルがありません。"};
    if (!options.valuesAreReadings && !(options.multiplier > 0 && std::isfinite(options.multiplier)))
        return Error{"電力データ倍率が正しくありません。"};

    std::vector<IntervalFile> read;
    read.reserve(files.size());
    for (const auto& [name, bytes] : files) {
        Result<IntervalFile> f = readIntervalData(bytes, options.read);
        if (!f)
            return Error{baseName(name) + ": " + f.error().message};
        read.push_back(std::move(*f));
        s.files.push_back(name);
    }
    const int step = read.front().intervalMinutes;
    bool starts = false, ends = false;
    std::string unit = unitName(read.front().unit);
    for (std::size_t i = 0; i < read.size(); ++i) {
        if (read[i].intervalMinutes != step)
            return Error{baseName(files[i].first) + ": 時刻の間隔（" +
                         std::to_string(read[i].intervalMinutes) + " 分）が " + baseName(files[0].first) +
                         "（" + std::to_string(step) + " 分）と違います。"};
        (read[i].timesAreEnds ? ends : starts) = true;
        if (unit != unitName(read[i].unit))
            unit = "mixed";
    }
    s.intervalMinutes = step;
    s.timesAre = starts && ends ? "mixed" : ends ? "ends" : "starts";
    s.unit = unit;
    const int perHour = 60 / step;

    // Refused values of the files.
    for (std::size_t i = 0; i < read.size(); ++i)
        for (const RejectedValue& r : read[i].rejected) {
            ++s.invalidValues;
            note(s.rejectedNotes, baseName(files[i].first) + ":" + std::to_string(r.line) + " " +
                                      reasonText(r.reason) + "「" + r.text + "」");
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
                note(s.rejectedNotes, baseName(files[i].first) + ":" + std::to_string(v.line) + " " +
                                          dateText(v.date) + " は 1 年の範囲（" + dateText(spanFrom) + "〜" +
                                          dateText(spanTo - 1) + "）の外");
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
                note(s.rejectedNotes, baseName(files[i].first) + ":" + std::to_string(v.line) + " " +
                                          dateText(v.date) + " " + hm + " が二度あり、値が違う");
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
                note(s.missingHourNotes,
                     std::to_string(m) + "月" + std::to_string(d) + "日 " + std::to_string(hour) + "時");
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

Result<IntervalImport> readIntervalImport(const std::vector<std::string>& paths,
                                          const IntervalImportOptions& options,
                                          const IntervalProgress& progress) {
    std::vector<std::pair<std::string, std::string>> files;
    files.reserve(paths.size());
    const int total = static_cast<int>(paths.size());
    for (const std::string& path : paths) {
        std::error_code ec;
        const auto size = std::filesystem::file_size(path, ec);
        if (ec || !std::filesystem::is_regular_file(path, ec))
            return Error{path + " を開けません。"};
        if (size > kMaxIntervalFileBytes)
            return Error{path + " は大きすぎます（" + std::to_string(kMaxIntervalFileBytes >> 20) +
                         " MB まで）。"};
        std::FILE* in = std::fopen(path.c_str(), "rb");
        if (!in)
            return Error{path + " を開けません。"};
        std::string bytes(static_cast<std::size_t>(size), '\0');
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), in));
        std::fclose(in);
        files.emplace_back(path, std::move(bytes));
        if (progress)
            progress(static_cast<int>(files.size()), total);
    }
    return readIntervalImportData(files, options);
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
    if (s.rejected > 0) {
        out.push_back("読み込まなかった値 " + std::to_string(s.rejected) + "（範囲外の日付 " +
                      std::to_string(s.outsideSpan) + "、値の違う重複 " +
                      std::to_string(s.conflictingDuplicates) + "、不正な値 " +
                      std::to_string(s.invalidValues) + "）");
        for (const std::string& n : s.rejectedNotes)
            out.push_back("　" + n);
    }
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
