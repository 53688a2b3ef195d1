#include "billing/meter_file.h"

#include "app/safe_save.h"
#include "app/sjis.h"
#include "billing/dates.h"
#include "billing/monthly_bill.h"
#include "billing/site_csv.h"
#include "registry/site_files.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace wattorio::billing {

namespace {

// Minutes since 1970-01-01 00:00 of an interval's start and end.
std::int64_t startMinute(const MeterInterval& i) {
    return std::int64_t{i.date} * 1440 + i.start;
}
std::int64_t endMinute(const MeterInterval& i) {
    return startMinute(i) + i.minutes;
}

int monthOf(std::int32_t date) {
    return monthIndex(monthOfDay(date));
}

// The shortest text that reads back as the same number, always with a decimal point ("531.0").
std::string kwhText(double kwh) {
    char text[64];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, kwh, std::chars_format::fixed);
    std::string s(text, ec == std::errc() ? end : text);
    if (s.find('.') == std::string::npos)
        s += ".0";
    return s;
}

// Imported values carry the noise of a unit conversion (12.3 × 40 = 492.00000000000006); a
// millionth of a kWh is far below any meter's resolution.
double tidyKwh(double kwh) {
    return std::round(kwh * 1e6) / 1e6;
}

bool digits(std::string_view s, std::size_t from, std::size_t count, int& value) {
    value = 0;
    for (std::size_t k = from; k < from + count; ++k) {
        if (k >= s.size() || s[k] < '0' || s[k] > '9')
            return false;
        value = value * 10 + (s[k] - '0');
    }
    return true;
}

// "YYYY-MM-DD HH:MM" exactly. The lines of one day share their date, so the date of the line
// before (`lastDate`, its text and day number) is taken again without reading it.
struct LastDate {
    std::string_view text;
    std::int32_t day = 0;
};

bool parseStart(std::string_view s, MeterInterval& interval, LastDate& last) {
    int h = 0, mi = 0;
    if (s.size() != 16 || s[10] != ' ' || s[13] != ':' || !digits(s, 11, 2, h) || !digits(s, 14, 2, mi) ||
        h > 23 || mi > 59)
        return false;
    interval.start = static_cast<std::int16_t>(h * 60 + mi);
    const std::string_view date = s.substr(0, 10);
    if (date != last.text) {
        int y = 0, mo = 0, d = 0;
        if (s[4] != '-' || s[7] != '-' || !digits(s, 0, 4, y) || !digits(s, 5, 2, mo) || !digits(s, 8, 2, d))
            return false;
        if (y < kFirstYear || y > kLastYear || mo < 1 || mo > 12 || d < 1 || d > daysInMonth(y, mo))
            return false;
        last = {date, dayNumber(y, mo, d)};
    }
    interval.date = last.day;
    return true;
}

} // namespace

std::string siteMeterFilePath(const std::string& appDir, const std::string& serial) {
    const std::string stem = registry::siteStem(serial);
    return stem.empty() ? stem : appDir + stem + kMeterFileSuffix;
}

std::string meterFilePathBeside(const std::string& yearBookPath) {
    constexpr std::string_view kYear = "_Y.dat";
    if (yearBookPath.size() <= kYear.size() || !yearBookPath.ends_with(kYear))
        return "";
    return yearBookPath.substr(0, yearBookPath.size() - kYear.size()) + kMeterFileSuffix;
}

std::string startText(const MeterInterval& interval) {
    return startText(interval.date, interval.start);
}

std::string intervalProblem(const MeterInterval& i) {
    if (i.date < dayNumber(kFirstYear, 1, 1) || i.date > dayNumber(kLastYear, 12, 31))
        return "日付が範囲外です";
    if (i.minutes != 15 && i.minutes != 30 && i.minutes != 60)
        return "分が 15、30、60 のいずれでもありません";
    if (i.start < 0 || i.start >= 1440 || i.start % i.minutes != 0)
        return "時刻が分の区切りにありません";
    if (!std::isfinite(i.kwh))
        return "kWh が数値ではありません";
    if (i.kwh < 0)
        return "kWh が負です";
    if (i.kwh > kMaxIntervalKwh)
        return "kWh が大きすぎます";
    return "";
}

std::string meterFileBytes(const std::vector<MeterInterval>& intervals) {
    std::string out = csvHeadingBytes(kMeterFileHeading) + "\r\n";
    out.reserve(out.size() + intervals.size() * 28);
    for (const MeterInterval& i : intervals) {
        out += startText(i);
        out += ',';
        out += std::to_string(i.minutes);
        out += ',';
        out += kwhText(i.kwh);
        out += "\r\n";
    }
    return out;
}

Result<std::vector<MeterInterval>> parseMeterFile(std::string_view bytes) {
    if (bytes.size() > kMaxMeterFileBytes)
        return Error{"ファイルが大きすぎます"};
    std::vector<MeterInterval> intervals;
    intervals.reserve(std::min(kMaxMeterIntervals, bytes.size() / 24));
    LastDate lastDate;
    const std::optional<Error> refused = forEachCsvRecord(
        bytes, kMeterFileHeading, kMaxMeterLineBytes,
        [&](std::string_view line, std::size_t lineNo) -> std::optional<Error> {
            if (intervals.size() >= kMaxMeterIntervals)
                return csvLineError(lineNo, "行が多すぎます");
            const std::size_t c1 = line.find(',');
            const std::size_t c2 = c1 == std::string_view::npos ? c1 : line.find(',', c1 + 1);
            if (c2 == std::string_view::npos || line.find(',', c2 + 1) != std::string_view::npos)
                return csvLineError(lineNo, "項目が 3 つではありません");
            MeterInterval i;
            if (!parseStart(line.substr(0, c1), i, lastDate))
                return csvLineError(lineNo, "日時が正しくありません");
            int minutes = 0;
            const std::string_view minutesText = line.substr(c1 + 1, c2 - c1 - 1);
            if (minutesText.size() > 2 || !digits(minutesText, 0, minutesText.size(), minutes) ||
                minutesText.empty())
                return csvLineError(lineNo, "分が正しくありません");
            i.minutes = static_cast<std::int16_t>(minutes);
            if (!parsePlainNumber(line.substr(c2 + 1), i.kwh))
                return csvLineError(lineNo, "kWh が数値ではありません");
            if (std::string why = intervalProblem(i); !why.empty())
                return csvLineError(lineNo, why);
            if (!intervals.empty() && startMinute(i) < endMinute(intervals.back()))
                return csvLineError(lineNo, "日時の順が正しくないか、前の行と重なっています");
            intervals.push_back(i);
            return std::nullopt;
        });
    if (refused)
        return *refused;
    return intervals;
}

MeterFileRead readMeterFile(const std::string& path) {
    MeterFileRead read;
    std::error_code ec;
    if (std::filesystem::symlink_status(path, ec).type() == std::filesystem::file_type::not_found)
        return read;
    ReadOptions options;
    options.maxBytes = kMaxMeterFileBytes;
    Result<std::string> bytes = readFileBytes(path, options);
    if (!bytes) {
        read.state = MeterFileState::Damaged;
        read.message = bytes.error().message;
        return read;
    }
    Result<std::vector<MeterInterval>> parsed = parseMeterFile(*bytes);
    if (!parsed) {
        read.state = MeterFileState::Damaged;
        read.message = "メーターデータを読み込めません: " + path + "（" + parsed.error().message + "）";
        return read;
    }
    read.state = MeterFileState::Loaded;
    read.intervals = std::move(*parsed);
    return read;
}

std::vector<MeterInterval> mergeIntervals(const std::vector<MeterInterval>& existing,
                                          std::vector<MeterInterval> incoming, ConflictChoice choice,
                                          MeterMergeSummary& summary) {
    // The import's own intervals: checked, in order, none overlapping another.
    for (MeterInterval& i : incoming)
        i.kwh = tidyKwh(i.kwh);
    std::stable_sort(incoming.begin(), incoming.end(), [](const MeterInterval& a, const MeterInterval& b) {
        return startMinute(a) < startMinute(b);
    });
    std::vector<MeterInterval> clean;
    clean.reserve(incoming.size());
    for (const MeterInterval& i : incoming) {
        if (!intervalProblem(i).empty() || (!clean.empty() && startMinute(i) < endMinute(clean.back()))) {
            ++summary.refused;
            continue;
        }
        clean.push_back(i);
    }

    std::vector<MeterInterval> merged;
    merged.reserve(existing.size() + clean.size());
    std::size_t e = 0;
    for (const MeterInterval& n : clean) {
        while (e < existing.size() && endMinute(existing[e]) <= startMinute(n))
            merged.push_back(existing[e++]);
        // The file's intervals this one overlaps.
        std::size_t last = e;
        while (last < existing.size() && startMinute(existing[last]) < endMinute(n))
            ++last;
        if (last == e) {
            ++summary.added;
            merged.push_back(n);
            continue;
        }
        const MeterInterval& o = existing[e];
        if (last == e + 1 && o.date == n.date && o.start == n.start && o.minutes == n.minutes &&
            o.kwh == n.kwh) {
            ++summary.unchanged;
            merged.push_back(o);
            e = last;
            continue;
        }
        ++summary.conflicting;
        if (choice == ConflictChoice::Replace) {
            ++summary.replaced;
            // An old interval reaching past the new one goes as well: its value covered both.
            merged.push_back(n);
            e = last;
        }
        // Kept: the old ones are copied as the loop goes on, and the new one is left out.
    }
    while (e < existing.size())
        merged.push_back(existing[e++]);
    // Replacing a longer old interval may leave a later new one overlapping it; the order of
    // starts is kept and an overlap drops the later interval.
    std::vector<MeterInterval> out;
    out.reserve(merged.size());
    for (const MeterInterval& i : merged)
        if (out.empty() || startMinute(i) >= endMinute(out.back()))
            out.push_back(i);

    if (!out.empty()) {
        const int firstKept = monthOf(out.back().date) - (kMeterMonthsKept - 1);
        const auto keep = std::find_if(out.begin(), out.end(),
                                       [&](const MeterInterval& i) { return monthOf(i.date) >= firstKept; });
        if (keep != out.begin()) {
            summary.droppedOld = static_cast<long>(keep - out.begin());
            summary.droppedBefore = yearMonthText(monthOfIndex(firstKept));
            out.erase(out.begin(), keep);
        }
    }
    summary.total = static_cast<long>(out.size());
    summary.firstStart = out.empty() ? "" : startText(out.front());
    summary.lastStart = out.empty() ? "" : startText(out.back());
    return out;
}

Result<MeterMergeSummary> importIntoMeterFile(const std::string& path,
                                              const std::vector<MeterInterval>& incoming,
                                              const ConflictChooser& choose) {
    MeterFileRead read = readMeterFile(path);
    if (read.state == MeterFileState::Damaged)
        return Error{read.message + "\nメーターデータのファイルはそのまま残し、保存しませんでした。"};
    MeterMergeSummary probe;
    mergeIntervals(read.intervals, incoming, ConflictChoice::KeepOld, probe);
    ConflictChoice choice = ConflictChoice::KeepOld;
    if (probe.conflicting > 0 && choose)
        choice = choose(probe.conflicting);
    MeterMergeSummary summary;
    std::vector<MeterInterval> merged = mergeIntervals(read.intervals, incoming, choice, summary);
    const bool changed = summary.added > 0 || summary.replaced > 0 || summary.droppedOld > 0 ||
                         read.state == MeterFileState::Missing;
    if (changed && !merged.empty()) {
        if (Status saved = saveFileAtomically(path, meterFileBytes(merged)); !saved)
            return saved.error();
        summary.written = true;
    }
    return summary;
}

std::vector<std::string> meterMergeLines(const MeterMergeSummary& s) {
    std::vector<std::string> lines;
    lines.push_back("メーターデータ: 追加 " + std::to_string(s.added) + " 件、同じ値 " +
                    std::to_string(s.unchanged) + " 件、異なる値 " + std::to_string(s.conflicting) +
                    " 件（置き換え " + std::to_string(s.replaced) + " 件、元の値を残す " +
                    std::to_string(s.conflicting - s.replaced) + " 件）");
    if (s.refused > 0)
        lines.push_back("メーターデータに入れなかった値: " + std::to_string(s.refused) + " 件");
    if (s.droppedOld > 0)
        lines.push_back("5 年より前のメーターデータ " + std::to_string(s.droppedOld) + " 件を削除しました（" +
                        s.droppedBefore + " より前）。");
    if (s.total > 0)
        lines.push_back("メーターデータの期間: " + s.firstStart + " ～ " + s.lastStart + "（" +
                        std::to_string(s.total) + " 件）");
    return lines;
}

std::vector<std::string> meterImportLines(const Result<MeterMergeSummary>& merged) {
    if (merged)
        return meterMergeLines(*merged);
    return {"メーターデータは保存していません: " + merged.error().message};
}

nlohmann::ordered_json meterMergeJson(const MeterMergeSummary& s) {
    nlohmann::ordered_json out;
    out["added"] = s.added;
    out["unchanged"] = s.unchanged;
    out["conflicting"] = s.conflicting;
    out["replaced"] = s.replaced;
    out["kept"] = s.conflicting - s.replaced;
    out["refused"] = s.refused;
    out["dropped_old"] = s.droppedOld;
    out["first"] = s.firstStart;
    out["last"] = s.lastStart;
    out["intervals"] = s.total;
    out["written"] = s.written;
    return out;
}

ConflictChooser fixedChoice(ConflictChoice choice) {
    return [choice](long) { return choice; };
}

ConflictChooser askThrough(Prompter& prompter) {
    return [&prompter](long conflicting) {
        return prompter.show(confirm(conflictQuestionText(conflicting))) == Answer::Ok
                   ? ConflictChoice::Replace
                   : ConflictChoice::KeepOld;
    };
}

std::string conflictQuestionText(long conflicting) {
    return "メーターデータに、読み込んだ値と異なる値が " + std::to_string(conflicting) +
           " 件あります。\n読み込んだ値に置き換えますか？\n（キャンセル: 元の値を残します）";
}

MeterListing listMeterData(const std::vector<MeterInterval>& intervals) {
    MeterListing listing;
    if (intervals.empty())
        return listing;
    listing.first = startText(intervals.front());
    listing.last = startText(intervals.back());
    listing.minutes = intervals.front().minutes;
    for (const MeterInterval& i : intervals)
        if (i.minutes != listing.minutes)
            listing.minutes = 0;
    const int firstMonth = monthOf(intervals.front().date);
    const int lastMonth = monthOf(intervals.back().date);
    listing.months.resize(static_cast<std::size_t>(lastMonth - firstMonth + 1));
    std::vector<long> coveredMinutes(listing.months.size(), 0);
    std::vector<int> shortest(listing.months.size(), 60);
    for (std::size_t k = 0; k < listing.months.size(); ++k) {
        const YearMonth ym = monthOfIndex(firstMonth + static_cast<int>(k));
        listing.months[k].year = ym.year;
        listing.months[k].month = ym.month;
    }
    for (const MeterInterval& i : intervals) {
        const auto k = static_cast<std::size_t>(monthOf(i.date) - firstMonth);
        MeterMonth& m = listing.months[k];
        ++m.intervals;
        m.kwh += i.kwh;
        m.maxDemandKw = std::max(m.maxDemandKw, demandKw(i.kwh, i.minutes));
        coveredMinutes[k] += i.minutes;
        shortest[k] = std::min<int>(shortest[k], i.minutes);
    }
    for (std::size_t k = 0; k < listing.months.size(); ++k) {
        MeterMonth& m = listing.months[k];
        const int length = listing.minutes > 0 ? listing.minutes : shortest[k];
        const long monthMinutes = 1440L * daysInMonth(m.year, m.month);
        m.missingIntervals = (monthMinutes - coveredMinutes[k]) / length;
    }
    return listing;
}

} // namespace wattorio::billing
