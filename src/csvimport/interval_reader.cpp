#include "csvimport/interval_reader.h"

#include "app/sjis.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>

namespace wattorio::csvimport {

namespace {

namespace fs = std::filesystem;

bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int monthLength(int y, int m) {
    static constexpr std::array<int, 13> kLength{0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : kLength[static_cast<std::size_t>(m)];
}

bool validUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += n;
    }
    return true;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// Splits a line at the separator; a quoted field keeps its separators ("" is a quote).
// False when the line has more than kMaxIntervalFields fields.
bool splitFields(std::string_view line, char sep, std::vector<std::string>& fields) {
    fields.clear();
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"' && trim(field).empty()) {
            field.clear();
            quoted = true;
        } else if (c == sep) {
            fields.emplace_back(trim(field));
            field.clear();
            if (fields.size() >= kMaxIntervalFields)
                return false;
        } else {
            field += c;
        }
    }
    fields.emplace_back(trim(field));
    return true;
}

bool digitsOnly(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int toInt(std::string_view s) {
    int v = 0;
    std::from_chars(s.data(), s.data() + s.size(), v);
    return v;
}

bool missingText(std::string_view s) {
    return s.empty() || s == "NA" || s == "N/A" || s == "na" || s == "-" || s == "--" || s == "－" ||
           s == "null" || s == "NULL";
}

enum class NumberKind { Number, Missing, Bad };

// A value field: a decimal number (a quoted "1,234.5" may carry thousands separators).
NumberKind parseNumber(std::string_view s, double& v) {
    if (missingText(s))
        return NumberKind::Missing;
    std::string clean;
    clean.reserve(s.size());
    for (char c : s)
        if (c != ',')
            clean += c;
    const char* b = clean.data();
    const char* e = b + clean.size();
    if (b != e && *b == '+')
        ++b;
    const auto [p, ec] = std::from_chars(b, e, v);
    if (p != e || b == e) {
        // "inf" / "nan" are read (and rejected as not finite); anything else is no number.
        std::string lower(b, e);
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](char c) { return static_cast<char>(std::tolower(c)); });
        if (lower == "inf" || lower == "-inf" || lower == "infinity" || lower == "nan") {
            v = lower == "nan" ? std::nan("") : (lower[0] == '-' ? -HUGE_VAL : HUGE_VAL);
            return NumberKind::Number;
        }
        return NumberKind::Bad;
    }
    if (ec == std::errc::result_out_of_range)
        v = HUGE_VAL;
    return NumberKind::Number;
}

// "0:00～0:30" / "0:00〜0:30" / "0:00-0:30" / "0:30": start and end minutes (start -1 for a single
// time).
bool parseTimeHeading(std::string_view s, int& start, int& end) {
    for (std::string_view dash : {std::string_view("\xEF\xBD\x9E"), std::string_view("\xE3\x80\x9C"),
                                  std::string_view("~"), std::string_view("-")}) {
        const std::size_t at = s.find(dash);
        if (at != std::string_view::npos) {
            start = parseTime(trim(s.substr(0, at)));
            end = parseTime(trim(s.substr(at + dash.size())));
            return start >= 0 && end >= 0;
        }
    }
    start = -1;
    end = parseTime(s);
    return end >= 0;
}

// Full-width letters of unit names folded to ASCII lower case.
std::string foldedLower(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        // U+FF21..U+FF3A / U+FF41..U+FF5A: EF BC A1..BA / EF BD 81..9A
        if (c == 0xEF && i + 2 < s.size()) {
            const auto c1 = static_cast<unsigned char>(s[i + 1]);
            const auto c2 = static_cast<unsigned char>(s[i + 2]);
            if (c1 == 0xBC && c2 >= 0xA1 && c2 <= 0xBA) {
                out += static_cast<char>('a' + (c2 - 0xA1));
                i += 2;
                continue;
            }
            if (c1 == 0xBD && c2 >= 0x81 && c2 <= 0x9A) {
                out += static_cast<char>('a' + (c2 - 0x81));
                i += 2;
                continue;
            }
        }
        out += static_cast<char>(std::tolower(c));
    }
    return out;
}

std::optional<EnergyUnit> unitIn(std::string_view text) {
    const std::string t = foldedLower(text);
    if (t.find("kwh") != std::string::npos)
        return EnergyUnit::KWh;
    if (t.find("wh") != std::string::npos)
        return EnergyUnit::Wh;
    if (t.find("kw") != std::string::npos)
        return EnergyUnit::KW;
    return std::nullopt;
}

struct Line {
    std::size_t number;
    std::string_view text;
};

// Where the date of a row stands: the first of the first four fields that holds one.
int dateFieldOf(const std::vector<std::string>& f) {
    int y, m, d, t;
    for (std::size_t i = 0; i < f.size() && i < 4; ++i)
        if (parseDateTime(f[i], y, m, d, t))
            return static_cast<int>(i);
    return -1;
}

} // namespace

std::int32_t dayNumber(int y, int m, int d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilDate(std::int32_t z, int& y, int& m, int& d) {
    z += 719468;
    const int era = (z >= 0 ? z : z - 146096) / 146097;
    const int doe = z - era * 146097;
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = yoe + era * 400 + (m <= 2);
}

int parseTime(std::string_view s) {
    s = trim(s);
    const std::size_t colon = s.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 2)
        return -1;
    const std::string_view h = s.substr(0, colon);
    std::string_view rest = s.substr(colon + 1);
    const std::string_view mm = rest.substr(0, std::min<std::size_t>(2, rest.size()));
    if (!digitsOnly(h) || mm.size() != 2 || !digitsOnly(mm))
        return -1;
    rest.remove_prefix(2);
    if (!rest.empty()) {
        if (rest.size() != 3 || rest[0] != ':' || !digitsOnly(rest.substr(1)) || toInt(rest.substr(1)) > 59)
            return -1;
    }
    const int hours = toInt(h);
    const int minutes = toInt(mm);
    if (minutes > 59 || hours > 24 || (hours == 24 && minutes != 0))
        return -1;
    return hours * 60 + minutes;
}

bool parseDateTime(std::string_view s, int& y, int& m, int& d, int& minutes) {
    s = trim(s);
    minutes = -1;
    std::string_view date = s;
    std::string_view time;
    const std::size_t cut = s.find_first_of(" T");
    if (cut != std::string_view::npos) {
        date = s.substr(0, cut);
        time = trim(s.substr(cut + 1));
    }
    if (digitsOnly(date) && date.size() == 8) {
        y = toInt(date.substr(0, 4));
        m = toInt(date.substr(4, 2));
        d = toInt(date.substr(6, 2));
    } else {
        const char sep = date.size() > 4 ? date[4] : '\0';
        if (sep != '/' && sep != '-')
            return false;
        const std::string_view ys = date.substr(0, 4);
        const std::size_t second = date.find(sep, 5);
        if (second == std::string_view::npos)
            return false;
        const std::string_view ms = date.substr(5, second - 5);
        const std::string_view ds = date.substr(second + 1);
        if (!digitsOnly(ys) || !digitsOnly(ms) || !digitsOnly(ds) || ms.size() > 2 || ds.size() > 2)
            return false;
        y = toInt(ys);
        m = toInt(ms);
        d = toInt(ds);
    }
    if (y < 1900 || y > 2200 || m < 1 || m > 12 || d < 1 || d > monthLength(y, m))
        return false;
    if (!time.empty()) {
        minutes = parseTime(time);
        if (minutes < 0)
            return false;
    }
    return true;
}

// Up to two days of dated rows from the first one, each as its fields with the row's time of day
// in minutes appended last; for telling value columns from columns that repeat the time.
// The time of day (minutes) of a row of one interval a line, with its date in y, m, d; -1 for a
// line without both (a heading, a total or a note).
static int rowTime(const std::vector<std::string>& f, int dateField, int timeField, int& y, int& m, int& d) {
    int t = -1;
    if (static_cast<std::size_t>(dateField) >= f.size() ||
        !parseDateTime(f[static_cast<std::size_t>(dateField)], y, m, d, t))
        return -1;
    if (timeField >= 0)
        t = static_cast<std::size_t>(timeField) < f.size() ? parseTime(f[static_cast<std::size_t>(timeField)])
                                                           : -1;
    return t;
}

static std::vector<std::vector<std::string>> sampleRows(const std::vector<Line>& lines, std::size_t first,
                                                        char sep, int dateField, int timeField) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> f;
    for (std::size_t i = first; i < lines.size() && rows.size() < 96; ++i) {
        int y, m, d;
        if (!splitFields(lines[i].text, sep, f))
            continue;
        const int t = rowTime(f, dateField, timeField, y, m, d);
        if (t < 0)
            continue;
        f.push_back(std::to_string(t));
        rows.push_back(f);
    }
    return rows;
}

// True when field k of every sampled row is the row's hour of day (decimal or whole) or its
// interval number of the day (from 0 or from 1), and the rows cover more than one time.
static bool isTimeEcho(const std::vector<std::vector<std::string>>& rows, std::size_t k) {
    if (rows.size() < 4)
        return false;
    const auto minutesOf = [](const std::vector<std::string>& r) { return std::stoi(r.back()); };
    int step = 0;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const int dt = minutesOf(rows[i]) - minutesOf(rows[i - 1]);
        if (dt > 0 && (step == 0 || dt < step))
            step = dt;
    }
    if (step == 0)
        return false;
    const auto echoes = [&](auto timeAs) {
        for (const std::vector<std::string>& r : rows) {
            double v;
            if (k + 1 >= r.size() || parseNumber(r[k], v) != NumberKind::Number ||
                std::fabs(v - timeAs(minutesOf(r))) > 1e-9)
                return false;
        }
        return true;
    };
    return echoes([](int t) { return t / 60.0; }) ||
           echoes([](int t) { return static_cast<double>(t / 60); }) ||
           echoes([&](int t) { return static_cast<double>(t / step); }) ||
           echoes([&](int t) { return static_cast<double>(t / step + 1); });
}

Result<IntervalFile> readIntervalData(std::string_view bytes, const IntervalReadOptions& options) {
    if (bytes.size() > kMaxIntervalFileBytes)
        return Error{"ファイルが大きすぎます（" + std::to_string(kMaxIntervalFileBytes >> 20) +
                     " MB まで）。"};
    std::string text;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        text.assign(bytes.substr(3));
    else if (validUtf8(bytes))
        text.assign(bytes);
    else
        text = fromCp932(bytes).text;

    std::vector<Line> lines;
    for (std::size_t start = 0, n = 1; start < text.size(); ++n) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        if (end - start > kMaxIntervalLineBytes)
            return Error{std::to_string(n) + " 行目が長すぎます。"};
        lines.push_back({n, std::string_view(text).substr(start, end - start)});
        start = end + 1;
    }

    // The first dated row fixes the separator, the date field and the layout.
    std::vector<std::string> f;
    std::size_t first = lines.size();
    char sep = ',';
    int dateField = -1;
    for (std::size_t i = 0; i < lines.size() && first == lines.size(); ++i) {
        for (char s : {',', '\t', ';'}) {
            if (s != ',' && lines[i].text.find(s) == std::string_view::npos)
                continue;
            if (!splitFields(lines[i].text, s, f))
                return Error{std::to_string(lines[i].number) + " 行目の項目が多すぎます。"};
            if ((dateField = dateFieldOf(f)) >= 0 && (f.size() > 1 || s == ',')) {
                first = i;
                sep = s;
                break;
            }
        }
    }
    if (first == lines.size())
        return Error{"日付のある行がありません。"};

    IntervalFile out;
    // Headings: the unit and, for one row per day, the times of the columns.
    std::optional<EnergyUnit> headingUnit;
    std::vector<std::pair<int, int>> headingTimes; // field index -> (start, end)
    int headingFirst = -1;
    for (std::size_t i = 0; i < first; ++i) {
        if (!headingUnit)
            headingUnit = unitIn(lines[i].text);
        if (!splitFields(lines[i].text, sep, f))
            return Error{std::to_string(lines[i].number) + " 行目の項目が多すぎます。"};
        std::vector<std::pair<int, int>> times;
        int firstAt = -1;
        for (std::size_t k = 0; k < f.size(); ++k) {
            int s = -1, e = -1;
            if (parseTimeHeading(f[k], s, e)) {
                if (firstAt < 0)
                    firstAt = static_cast<int>(k);
                times.emplace_back(s, e);
            }
        }
        if (times.size() >= 24) {
            headingTimes = std::move(times);
            headingFirst = firstAt;
        }
    }
    out.unitFromHeading = !options.unit && headingUnit.has_value();
    out.unit = options.unit ? *options.unit : headingUnit.value_or(EnergyUnit::KWh);

    splitFields(lines[first].text, sep, f);
    int y, m, d, t;
    parseDateTime(f[static_cast<std::size_t>(dateField)], y, m, d, t);
    int timeField = -1;
    if (t < 0 && static_cast<std::size_t>(dateField + 1) < f.size() && parseTime(f[dateField + 1]) >= 0)
        timeField = dateField + 1;
    out.layout = t >= 0 || timeField >= 0 ? IntervalLayout::PerInterval : IntervalLayout::PerDay;
    const int afterDate = (timeField >= 0 ? timeField : dateField) + 1;

    int perDay = 0;
    if (out.layout == IntervalLayout::PerInterval) {
        int col = options.column - 1;
        if (col < 0) {
            const std::vector<std::vector<std::string>> sample =
                sampleRows(lines, first, sep, dateField, timeField);
            double v;
            int echo = -1;
            for (std::size_t k = static_cast<std::size_t>(afterDate); k < f.size() && col < 0; ++k) {
                if (parseNumber(f[k], v) != NumberKind::Number)
                    continue;
                // A column that only repeats the time of its row (hour of day, interval number)
                // is part of the date and time; the values follow it.
                if (isTimeEcho(sample, k)) {
                    if (echo < 0)
                        echo = static_cast<int>(k);
                    continue;
                }
                col = static_cast<int>(k);
            }
            if (col < 0)
                col = echo;
            if (col < 0)
                return Error{std::to_string(lines[first].number) + " 行目に値の列が見つかりません。"};
        }
        out.valueColumn = col + 1;
    } else {
        int col = options.column - 1;
        if (col < 0)
            col = headingFirst >= 0 ? headingFirst : -1;
        if (col < 0) {
            double v;
            for (std::size_t k = static_cast<std::size_t>(afterDate); k < f.size() && col < 0; ++k)
                if (parseNumber(f[k], v) != NumberKind::Bad)
                    col = static_cast<int>(k);
        }
        const int available = col < 0 ? 0 : static_cast<int>(f.size()) - col;
        const int named = static_cast<int>(headingTimes.size());
        for (int n : {96, 48, 24})
            if ((named >= 24 ? named == n : available >= n) && perDay == 0)
                perDay = n;
        if (perDay == 0 || col < 0)
            return Error{std::to_string(lines[first].number) +
                         " 行目: 1 日の値が 24・48・96 個ではありません。"};
        out.valueColumn = col + 1;
        out.intervalMinutes = 1440 / perDay;
        // A heading of single times that starts at the first interval's end marks interval ends.
        out.timesAreEnds = named >= 24 && headingTimes.front().first < 0 &&
                           headingTimes.front().second == out.intervalMinutes;
    }

    const double divisor = out.unit == EnergyUnit::Wh ? 1000.0 : 1.0;
    auto addValue = [&](std::int32_t date, int start, std::string_view field, std::uint32_t line) {
        double v = 0;
        switch (parseNumber(field, v)) {
        case NumberKind::Missing:
            ++out.missing;
            return;
        case NumberKind::Bad:
            out.rejected.push_back({line, std::string(field.substr(0, 40)), RejectReason::NotANumber});
            return;
        case NumberKind::Number:
            break;
        }
        if (!std::isfinite(v)) {
            out.rejected.push_back({line, std::string(field.substr(0, 40)), RejectReason::NotFinite});
            return;
        }
        if (v < 0) {
            out.rejected.push_back({line, std::string(field.substr(0, 40)), RejectReason::Negative});
            return;
        }
        out.values.push_back({date, static_cast<std::int16_t>(start),
                              static_cast<std::int16_t>(out.intervalMinutes), v / divisor, line});
    };

    if (out.layout == IntervalLayout::PerDay) {
        for (std::size_t i = first; i < lines.size(); ++i) {
            if (trim(lines[i].text).empty())
                continue;
            if (!splitFields(lines[i].text, sep, f))
                return Error{std::to_string(lines[i].number) + " 行目の項目が多すぎます。"};
            if (static_cast<std::size_t>(dateField) >= f.size() || !parseDateTime(f[dateField], y, m, d, t))
                continue; // a total or note line
            const std::int32_t date = dayNumber(y, m, d);
            const auto line = static_cast<std::uint32_t>(lines[i].number);
            for (int k = 0; k < perDay; ++k) {
                const std::size_t at = static_cast<std::size_t>(out.valueColumn - 1 + k);
                const std::string_view field = at < f.size() ? std::string_view(f[at]) : std::string_view();
                addValue(date, k * out.intervalMinutes, field, line);
            }
        }
        if (out.unit == EnergyUnit::KW)
            for (IntervalValue& v : out.values)
                v.kwh *= out.intervalMinutes / 60.0;
        return out;
    }

    // One row per interval: the dates and times first, then the interval from the times.
    struct Row {
        std::int32_t date;
        int minutes;
        std::string value;
        std::uint32_t line;
    };
    std::vector<Row> rows;
    rows.reserve(lines.size() - first);
    for (std::size_t i = first; i < lines.size(); ++i) {
        if (trim(lines[i].text).empty())
            continue;
        if (!splitFields(lines[i].text, sep, f))
            return Error{std::to_string(lines[i].number) + " 行目の項目が多すぎます。"};
        t = rowTime(f, dateField, timeField, y, m, d);
        if (t < 0)
            continue;
        const std::size_t at = static_cast<std::size_t>(out.valueColumn - 1);
        rows.push_back({dayNumber(y, m, d), t, at < f.size() ? f[at] : std::string(),
                        static_cast<std::uint32_t>(lines[i].number)});
    }
    // The interval: the commonest step between consecutive times of one day.
    std::map<int, long> steps;
    for (std::size_t i = 1; i < rows.size(); ++i)
        if (rows[i].date == rows[i - 1].date && rows[i].minutes > rows[i - 1].minutes)
            ++steps[rows[i].minutes - rows[i - 1].minutes];
    int step = 0;
    long best = 0;
    for (auto [s, n] : steps)
        if (n > best) {
            best = n;
            step = s;
        }
    if (step != 15 && step != 30 && step != 60)
        return Error{"時刻の間隔が 15 分・30 分・60 分のいずれでもありません。"};
    out.intervalMinutes = step;
    // Interval ends: a time of 24:00, or the file's first day starting at the first interval's end.
    bool ends = std::any_of(rows.begin(), rows.end(), [](const Row& r) { return r.minutes == 1440; });
    if (!ends && !rows.empty()) {
        int firstDayMin = 1440;
        for (const Row& r : rows)
            if (r.date == rows.front().date)
                firstDayMin = std::min(firstDayMin, r.minutes);
        ends = firstDayMin == step;
    }
    out.timesAreEnds = ends;
    const double kwFactor = out.unit == EnergyUnit::KW ? step / 60.0 : 1.0;
    out.values.reserve(rows.size());
    for (const Row& r : rows) {
        std::int32_t date = r.date;
        int start = ends ? r.minutes - step : r.minutes;
        if (start < 0) {
            date -= 1;
            start += 1440;
        }
        if (start % step != 0 || start >= 1440) {
            out.rejected.push_back({r.line, r.value.substr(0, 40), RejectReason::NotANumber});
            continue;
        }
        addValue(date, start, r.value, r.line);
    }
    if (kwFactor != 1.0)
        for (IntervalValue& v : out.values)
            v.kwh *= kwFactor;
    return out;
}

Result<IntervalFile> readIntervalFile(const std::string& path, const IntervalReadOptions& options) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec || !fs::is_regular_file(status))
        return Error{path + " を開けません。"};
    const auto size = fs::file_size(path, ec);
    if (ec || size > kMaxIntervalFileBytes)
        return Error{path + " は大きすぎます（" + std::to_string(kMaxIntervalFileBytes >> 20) +
                     " MB まで）。"};
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return Error{path + " を開けません。"};
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    Result<IntervalFile> file = readIntervalData(bytes, options);
    if (!file)
        return Error{path + ": " + file.error().message};
    return file;
}

} // namespace wattorio::csvimport
