#include "csvimport/interval_reader.h"

#include "app/safe_save.h"
#include "app/sjis.h"
#include "app/text_escape.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

namespace wattorio::csvimport {

namespace {

bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int monthLength(int y, int m) {
    static constexpr std::array<int, 13> kLength{0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : kLength[static_cast<std::size_t>(m)];
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
    if (s.find(',') != std::string_view::npos) {
        clean.reserve(s.size());
        for (char c : s)
            if (c != ',')
                clean += c;
        s = clean;
    }
    const char* b = s.data();
    const char* e = b + s.size();
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

// Japanese names of what a column holds: energy (kWh) or demand (kW).
std::optional<EnergyUnit> unitOfHeading(std::string_view heading) {
    if (std::optional<EnergyUnit> u = unitIn(heading))
        return u;
    if (heading.find("電力量") != std::string_view::npos)
        return EnergyUnit::KWh;
    if (heading.find("デマンド") != std::string_view::npos || heading.find("電力") != std::string_view::npos)
        return EnergyUnit::KW;
    return std::nullopt;
}

// A heading that says the column holds something else than energy or demand.
bool notEnergyHeading(std::string_view heading) {
    const std::string t = foldedLower(heading);
    for (std::string_view word : {"kvar", "無効", "力率", "電圧", "電流", "温度", "気温", "%", "％"})
        if (t.find(word) != std::string::npos)
            return true;
    return false;
}

// Where the date of a row stands: the first of the first four fields that holds one.
int dateFieldOf(const std::vector<std::string>& f) {
    int y, m, d, t;
    for (std::size_t i = 0; i < f.size() && i < 4; ++i)
        if (parseDateTime(f[i], y, m, d, t))
            return static_cast<int>(i);
    return -1;
}

std::string lineError(std::size_t line, const std::string& what) {
    return std::to_string(line) + " 行目" + what;
}

std::string hmText(int minutes) {
    char b[16];
    std::snprintf(b, sizeof b, "%d:%02d", minutes / 60, minutes % 60);
    return b;
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
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > monthLength(y, m))
        return false;
    if (!time.empty()) {
        minutes = parseTime(time);
        if (minutes < 0)
            return false;
    }
    return true;
}

namespace {

// True when field k of every sampled row is the row's hour of day (decimal or whole) or its
// interval number of the day (from 0 or from 1), and the rows cover more than one time.
bool isTimeEcho(const std::vector<std::vector<std::string>>& rows, std::size_t k) {
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

constexpr std::size_t kMaxRejectedKept = 20;
constexpr std::size_t kMaxHeadingLines = 20;
constexpr std::size_t kFirstValuesShown = 3;

// The lines of a text one after another, without keeping them.
class LineCursor {
public:
    explicit LineCursor(std::string_view text) : text_(text) {}
    bool next(std::string_view& line) {
        if (pos_ >= text_.size())
            return false;
        const void* nl = std::memchr(text_.data() + pos_, '\n', text_.size() - pos_);
        const std::size_t end =
            nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - text_.data()) : text_.size();
        line = text_.substr(pos_, end - pos_);
        pos_ = end + 1;
        ++number_;
        return true;
    }
    std::size_t number() const { return number_; } // of the line last given, from 1

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t number_ = 0;
};

// One dated row of one interval a line, as placed: the value already parsed.
struct Row {
    std::int32_t date;
    std::int16_t minutes;
    std::uint8_t kind; // NumberKind
    double value;
    std::uint32_t line;
    std::uint32_t textAt; // index into the kept texts of refused values, or none
};

struct Column {
    long numbers = 0;
    std::vector<std::string> first; // the first few fields, as written
};

void reject(IntervalFile& out, std::uint32_t line, std::string_view text, RejectReason reason) {
    if (reason != RejectReason::FieldCount && reason != RejectReason::OddTime)
        ++out.rejectedCount;
    if (out.rejected.size() < kMaxRejectedKept)
        out.rejected.push_back({line, std::string(text.substr(0, 40)), reason});
}

// Of several candidates, the first whose heading names energy or demand goes first; none named
// leaves the column open for the caller to ask. The chosen column, counted from 0.
int chooseColumn(IntervalFile& out) {
    const auto named = std::find_if(out.candidates.begin(), out.candidates.end(),
                                    [](const ColumnCandidate& c) { return c.unit.has_value(); });
    if (out.candidates.size() > 1 && named == out.candidates.end())
        out.columnOpen = true;
    else if (named != out.candidates.end())
        std::rotate(out.candidates.begin(), named, named + 1);
    return out.candidates.front().column - 1;
}

} // namespace

std::string columnText(int column, const std::string& heading) {
    return std::to_string(column) + "列目" + (heading.empty() ? std::string() : "「" + heading + "」");
}

Result<IntervalFile> readIntervalData(std::string_view bytes, const IntervalReadOptions& options) {
    if (bytes.size() > kMaxIntervalFileBytes)
        return Error{"ファイルが大きすぎます（" + std::to_string(kMaxIntervalFileBytes >> 20) +
                     " MB まで）。"};
    // The lines are counted and measured before anything else is read or kept.
    {
        std::size_t n = 0;
        for (std::size_t at = 0; at < bytes.size();) {
            const void* nl = std::memchr(bytes.data() + at, '\n', bytes.size() - at);
            const std::size_t end =
                nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - bytes.data()) : bytes.size();
            if (++n > options.maxLines)
                return Error{"行が多すぎます（" + std::to_string(options.maxLines) + " 行まで）。"};
            if (end - at > kMaxIntervalLineBytes + (at == 0 ? 3 : 0))
                return Error{lineError(n, "が長すぎます。")};
            at = end + 1;
        }
    }
    std::string decoded;
    std::string_view text = bytes;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    else if (!validUtf8(bytes))
        text = decoded = fromCp932(bytes).text;

    // The first dated row fixes the separator, the date field and the layout; the lines before
    // it are headings (the last few are kept).
    std::vector<std::string> f;
    LineCursor cursor(text);
    std::string_view line;
    std::vector<std::string_view> headings;
    std::size_t firstLine = 0;
    char sep = ',';
    int dateField = -1;
    std::vector<std::string> firstRow;
    while (firstLine == 0 && cursor.next(line)) {
        if (trim(line).empty())
            continue;
        for (char s : {',', '\t', ';'}) {
            if (s != ',' && line.find(s) == std::string_view::npos)
                continue;
            if (!splitFields(line, s, f))
                return Error{lineError(cursor.number(), "の項目が多すぎます。")};
            if ((dateField = dateFieldOf(f)) >= 0 && (f.size() > 1 || s == ',')) {
                firstLine = cursor.number();
                sep = s;
                firstRow = f;
                break;
            }
        }
        if (firstLine == 0) {
            if (headings.size() == kMaxHeadingLines)
                headings.erase(headings.begin());
            headings.push_back(line);
        }
    }
    if (firstLine == 0)
        return Error{"日付のある行がありません。"};

    IntervalFile out;
    int y, m, d, t;
    parseDateTime(firstRow[static_cast<std::size_t>(dateField)], y, m, d, t);
    int timeField = -1;
    if (t < 0 && static_cast<std::size_t>(dateField + 1) < firstRow.size() &&
        parseTime(firstRow[static_cast<std::size_t>(dateField) + 1]) >= 0)
        timeField = dateField + 1;
    out.layout = t >= 0 || timeField >= 0 ? IntervalLayout::PerInterval : IntervalLayout::PerDay;
    const std::size_t afterDate = static_cast<std::size_t>((timeField >= 0 ? timeField : dateField) + 1);

    // Headings: the rows of as many fields as the first dated row give each column its heading
    // (a field that starts with a digit is a value, such as 500kW in a note, not a heading); a
    // title line of one field may name the unit of the whole table; a row of 24 or more times
    // gives the times of the columns of a day row.
    std::vector<std::string> columnHeading(firstRow.size());
    std::optional<EnergyUnit> titleUnit;
    bool unitElsewhere = false;
    std::vector<std::pair<int, std::pair<int, int>>> headingTimes; // field index, (start, end)
    for (std::string_view h : headings) {
        if (!splitFields(h, sep, f))
            return Error{"見出しの項目が多すぎます。"};
        if (unitIn(h) || unitOfHeading(h))
            unitElsewhere = true;
        if (f.size() == 1 && std::none_of(h.begin(), h.end(), [](char c) { return c >= '0' && c <= '9'; }))
            if (std::optional<EnergyUnit> u = unitOfHeading(h))
                titleUnit = u;
        std::vector<std::pair<int, std::pair<int, int>>> times;
        for (std::size_t k = 0; k < f.size(); ++k) {
            int s = -1, e = -1;
            if (parseTimeHeading(f[k], s, e))
                times.push_back({static_cast<int>(k), {s, e}});
        }
        if (times.size() >= 24)
            headingTimes = std::move(times);
        if (f.size() != firstRow.size())
            continue;
        for (std::size_t k = 0; k < f.size(); ++k) {
            int s, e;
            if (f[k].empty() || (f[k][0] >= '0' && f[k][0] <= '9') || parseTimeHeading(f[k], s, e))
                continue;
            std::string& to = columnHeading[k];
            to += (to.empty() ? "" : " ") + f[k];
        }
    }

    // Every dated row: the commonest number of fields, and how often each column holds a number.
    std::map<std::size_t, long> fieldCounts;
    std::vector<Column> columns;
    std::vector<std::vector<std::string>> sample; // the first rows, with their time appended
    long dated = 0;
    auto datedRow = [&](std::size_t lineNumber, int& minutes) -> Result<std::int32_t> {
        minutes = -1;
        if (static_cast<std::size_t>(dateField) >= f.size() ||
            !parseDateTime(f[static_cast<std::size_t>(dateField)], y, m, d, t))
            return std::int32_t{-1};
        if (y < kFirstIntervalYear || y > kLastIntervalYear)
            return Error{lineError(
                lineNumber, "の日付「" +
                                escapedForMessage(f[static_cast<std::size_t>(dateField)].substr(0, 40)) +
                                "」は読み込めません（" + std::to_string(kFirstIntervalYear) + "年から" +
                                std::to_string(kLastIntervalYear) + "年まで）。")};
        minutes = out.layout == IntervalLayout::PerDay ? 0
                  : timeField >= 0                     ? (static_cast<std::size_t>(timeField) < f.size()
                                                              ? parseTime(f[static_cast<std::size_t>(timeField)])
                                                              : -1)
                                                       : t;
        return dayNumber(y, m, d);
    };
    {
        LineCursor pass(text);
        while (pass.next(line)) {
            if (pass.number() < firstLine || trim(line).empty())
                continue;
            if (!splitFields(line, sep, f))
                return Error{lineError(pass.number(), "の項目が多すぎます。")};
            int minutes;
            Result<std::int32_t> date = datedRow(pass.number(), minutes);
            if (!date)
                return date.error();
            if (*date < 0 || minutes < 0)
                continue;
            ++dated;
            ++fieldCounts[f.size()];
            if (columns.size() < f.size())
                columns.resize(f.size());
            for (std::size_t k = afterDate; k < f.size(); ++k) {
                double v;
                if (parseNumber(f[k], v) == NumberKind::Number)
                    ++columns[k].numbers;
                if (columns[k].first.size() < kFirstValuesShown && !f[k].empty())
                    columns[k].first.push_back(f[k].substr(0, 20));
            }
            if (sample.size() < 96 && out.layout == IntervalLayout::PerInterval) {
                sample.push_back(f);
                sample.back().push_back(std::to_string(minutes));
            }
        }
    }
    if (dated == 0)
        return Error{"日付と時刻のある行がありません。"};
    std::size_t commonFields = 0;
    for (long best = 0; const auto& [n, count] : fieldCounts)
        if (count > best) {
            best = count;
            commonFields = n;
        }
    columnHeading.resize(std::max(columnHeading.size(), commonFields));
    columns.resize(std::max(columns.size(), commonFields));
    const auto candidate = [&](int column) {
        const auto k = static_cast<std::size_t>(column);
        // A heading may be wider than the rows, and rows wider than the headings.
        columns.resize(std::max(columns.size(), k + 1));
        columnHeading.resize(std::max(columnHeading.size(), k + 1));
        ColumnCandidate c{column + 1, columnHeading[k], unitOfHeading(columnHeading[k]), columns[k].first};
        return c;
    };

    // The value column (of one interval a row) or the set of values (of one day a row).
    int perDay = 0;
    if (out.layout == IntervalLayout::PerInterval) {
        int col = options.column - 1;
        if (col >= 0 && static_cast<std::size_t>(col) >= commonFields)
            return Error{std::to_string(options.column) + "列目がありません（" +
                         std::to_string(commonFields) + " 列のファイル）。"};
        if (col < 0) {
            int echo = -1;
            for (std::size_t k = afterDate; k < commonFields; ++k) {
                if (columns[k].numbers * 2 <= dated || notEnergyHeading(columnHeading[k]))
                    continue;
                // A column that only repeats the time of its row (hour of day, interval number)
                // is part of the date and time; the values follow it.
                if (isTimeEcho(sample, k)) {
                    if (echo < 0)
                        echo = static_cast<int>(k);
                    continue;
                }
                out.candidates.push_back(candidate(static_cast<int>(k)));
            }
            if (out.candidates.empty() && echo >= 0)
                out.candidates.push_back(candidate(echo));
            if (out.candidates.empty())
                return Error{"値の列が見つかりません（数値が大半の行にある列がありません）。"};
            col = chooseColumn(out);
        }
        out.valueColumn = col + 1;
    } else {
        // The heading's times, split where they start again: one set of values each.
        std::vector<std::pair<int, int>> sets; // first field index, count
        for (std::size_t i = 0; i < headingTimes.size(); ++i) {
            const bool again = i > 0 && headingTimes[i].second.second <= headingTimes[i - 1].second.second;
            if (i == 0 || again || headingTimes[i].first != headingTimes[i - 1].first + 1)
                sets.push_back({headingTimes[i].first, 0});
            ++sets.back().second;
        }
        std::erase_if(sets, [](const std::pair<int, int>& s) {
            return s.second != 24 && s.second != 48 && s.second != 96;
        });
        int col = options.column - 1;
        if (!sets.empty()) {
            for (const auto& [first, count] : sets) {
                ColumnCandidate c = candidate(first);
                // A set's heading may stand over any of its columns.
                for (int k = first; c.heading.empty() && k < first + count &&
                                    static_cast<std::size_t>(k) < columnHeading.size();
                     ++k)
                    c.heading = columnHeading[static_cast<std::size_t>(k)];
                c.unit = unitOfHeading(c.heading);
                out.candidates.push_back(std::move(c));
            }
            if (col < 0)
                col = chooseColumn(out);
            for (const auto& [first, count] : sets)
                if (first == col)
                    perDay = count;
            if (perDay == 0) // a column chosen inside a set: as many values as the first set has
                perDay = sets.front().second;
        } else {
            if (col < 0) {
                double v;
                for (std::size_t k = afterDate; k < firstRow.size() && col < 0; ++k)
                    if (parseNumber(firstRow[k], v) != NumberKind::Bad)
                        col = static_cast<int>(k);
            }
            const int available = col < 0 ? 0 : static_cast<int>(commonFields) - col;
            for (int n : {96, 48, 24})
                if (available >= n && perDay == 0)
                    perDay = n;
            if (col >= 0)
                out.candidates.push_back(candidate(col));
        }
        if (perDay == 0 || col < 0)
            return Error{lineError(firstLine, ": 1 日の値が 24・48・96 個ではありません。")};
        out.valueColumn = col + 1;
        out.intervalMinutes = 1440 / perDay;
        // A heading of single times that starts at the first interval's end marks interval ends.
        for (std::size_t i = 0; i < headingTimes.size(); ++i)
            if (headingTimes[i].first == col)
                out.timesAreEnds =
                    headingTimes[i].second.first < 0 && headingTimes[i].second.second == out.intervalMinutes;
    }
    if (static_cast<std::size_t>(out.valueColumn - 1) < columnHeading.size())
        out.valueHeading = columnHeading[static_cast<std::size_t>(out.valueColumn - 1)];
    if (out.layout == IntervalLayout::PerDay && !out.candidates.empty() &&
        out.candidates.front().column == out.valueColumn)
        out.valueHeading = out.candidates.front().heading;

    // The unit: as asked, else the value column's own heading, else a title line; open when some
    // other line names one.
    std::optional<EnergyUnit> headingUnit = unitOfHeading(out.valueHeading);
    if (!headingUnit)
        headingUnit = titleUnit;
    out.unitFromHeading = !options.unit && headingUnit.has_value();
    out.unit = options.unit ? *options.unit : headingUnit.value_or(EnergyUnit::KWh);
    out.unitOpen = !options.unit && !headingUnit && unitElsewhere;
    if (out.unitOpen && !out.columnOpen) { // the question shows the column read
        out.candidates = {candidate(out.valueColumn - 1)};
        out.candidates.front().heading = out.valueHeading;
    }

    const double divisor = out.unit == EnergyUnit::Wh ? 1000.0 : 1.0;
    auto addValue = [&](std::int32_t date, int start, NumberKind kind, double v, std::string_view field,
                        std::uint32_t lineNo) {
        switch (kind) {
        case NumberKind::Missing:
            ++out.missing;
            return;
        case NumberKind::Bad:
            reject(out, lineNo, field, RejectReason::NotANumber);
            return;
        case NumberKind::Number:
            break;
        }
        if (!std::isfinite(v))
            return reject(out, lineNo, field, RejectReason::NotFinite);
        if (v < 0)
            return reject(out, lineNo, field, RejectReason::Negative);
        out.values.push_back({date, static_cast<std::int16_t>(start),
                              static_cast<std::int16_t>(out.intervalMinutes), v / divisor, lineNo});
    };
    const double kwFactorPerDay = out.unit == EnergyUnit::KW ? out.intervalMinutes / 60.0 : 1.0;

    LineCursor pass(text);
    std::vector<Row> rows;
    std::vector<std::string> texts; // refused fields of the rows, for the first few notes
    while (pass.next(line)) {
        if (pass.number() < firstLine || trim(line).empty())
            continue;
        splitFields(line, sep, f);
        int minutes;
        const std::int32_t date = *datedRow(pass.number(), minutes);
        if (date < 0)
            continue; // a total or note line
        const auto lineNo = static_cast<std::uint32_t>(pass.number());
        if (minutes < 0) {
            const auto at = static_cast<std::size_t>(timeField >= 0 ? timeField : dateField);
            ++out.oddTimeRows;
            reject(out, lineNo, at < f.size() ? std::string_view(f[at]) : std::string_view(),
                   RejectReason::OddTime);
            continue;
        }
        if (f.size() != commonFields) {
            ++out.fieldCountRows;
            reject(out, lineNo, trim(line), RejectReason::FieldCount);
            continue;
        }
        if (out.layout == IntervalLayout::PerDay) {
            for (int k = 0; k < perDay; ++k) {
                const auto at = static_cast<std::size_t>(out.valueColumn - 1 + k);
                const std::string_view field = at < f.size() ? std::string_view(f[at]) : std::string_view();
                double v = 0;
                const NumberKind kind = parseNumber(field, v);
                addValue(date, k * out.intervalMinutes, kind, v * kwFactorPerDay, field, lineNo);
            }
            continue;
        }
        const auto at = static_cast<std::size_t>(out.valueColumn - 1);
        const std::string_view field = at < f.size() ? std::string_view(f[at]) : std::string_view();
        double v = 0;
        const NumberKind kind = parseNumber(field, v);
        std::uint32_t textAt = UINT32_MAX;
        if (kind == NumberKind::Bad || (kind == NumberKind::Number && !(std::isfinite(v) && v >= 0))) {
            if (texts.size() < kMaxRejectedKept) {
                textAt = static_cast<std::uint32_t>(texts.size());
                texts.emplace_back(field.substr(0, 40));
            }
        }
        rows.push_back(
            {date, static_cast<std::int16_t>(minutes), static_cast<std::uint8_t>(kind), v, lineNo, textAt});
    }
    out.lines = pass.number();
    if (out.layout == IntervalLayout::PerDay)
        return out;

    // One row per interval: placed by date and time, in whatever order the file lists them.
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        return a.date != b.date ? a.date < b.date : a.minutes < b.minutes;
    });
    // The interval: the commonest step between consecutive times of one day.
    std::map<int, long> steps;
    for (std::size_t i = 1; i < rows.size(); ++i)
        if (rows[i].date == rows[i - 1].date && rows[i].minutes > rows[i - 1].minutes)
            ++steps[rows[i].minutes - rows[i - 1].minutes];
    int step = 0;
    for (long best = 0; auto [s, n] : steps)
        if (n > best) {
            best = n;
            step = s;
        }
    if (step != 15 && step != 30 && step != 60)
        return Error{"時刻の間隔が 15 分・30 分・60 分のいずれでもありません。"};
    out.intervalMinutes = step;
    // Starts or ends, by the days of the file: a day that runs to 24:00, or starts at the first
    // interval's end without a 0:00, speaks for ends; one that has 0:00 or ends one interval
    // before midnight speaks for starts. One odd row never moves the rest.
    long endDays = 0, startDays = 0;
    for (std::size_t i = 0; i < rows.size();) {
        std::size_t j = i;
        bool zero = false, midnight = false;
        int low = 1440, high = 0;
        for (; j < rows.size() && rows[j].date == rows[i].date; ++j) {
            zero = zero || rows[j].minutes == 0;
            midnight = midnight || rows[j].minutes == 1440;
            low = std::min<int>(low, rows[j].minutes);
            high = std::max<int>(high, rows[j].minutes);
        }
        const bool ends = midnight || (!zero && low == step);
        const bool starts = zero || (!midnight && high == 1440 - step);
        endDays += ends && !starts;
        startDays += starts && !ends;
        i = j;
    }
    bool ends = endDays > startDays;
    // Ends written as 0:00 of the next day: every day seems to start at 0:00, but the first day
    // starts at the first interval's end and the last date holds only its 0:00.
    if (!ends && rows.size() > 1 && rows.back().minutes == 0 &&
        rows[rows.size() - 2].date != rows.back().date) {
        int low = 1440;
        for (std::size_t i = 0; i < rows.size() && rows[i].date == rows.front().date; ++i)
            low = std::min<int>(low, rows[i].minutes);
        ends = low == step;
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
            ++out.oddTimeRows;
            reject(out, r.line, hmText(r.minutes), RejectReason::OddTime);
            continue;
        }
        const std::string_view field = r.textAt < texts.size() ? std::string_view(texts[r.textAt]) : "";
        addValue(date, start, static_cast<NumberKind>(r.kind), r.value * kwFactor, field, r.line);
    }
    return out;
}

Result<IntervalFile> readIntervalFile(const std::string& path, const IntervalReadOptions& options) {
    ReadOptions read;
    read.maxBytes = kMaxIntervalFileBytes;
    Result<std::string> bytes = readFileBytes(path, read);
    if (!bytes)
        return bytes.error();
    Result<IntervalFile> file = readIntervalData(*bytes, options);
    if (!file)
        return Error{escapedForMessage(path) + ": " + file.error().message};
    return file;
}

} // namespace wattorio::csvimport
