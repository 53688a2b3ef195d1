#include "yearbook/holiday_list.h"

#include "app/safe_save.h"
#include "app/sjis.h"
#include "yearbook/calendar.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <tuple>

namespace wattorio::yearbook {

namespace {

namespace fs = std::filesystem;

constexpr std::array<int, 13> kMonthLength{0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

int monthLength(int year, int month) {
    return month == 2 ? Day_Chk(year) : kMonthLength[static_cast<std::size_t>(month)];
}

int nthMonday(int year, int month, int n) {
    const int first = weekdayOf(year, month, 1);
    return 1 + (8 - first) % 7 + 7 * (n - 1);
}

using DateKey = std::tuple<int, int>; // month, day

void nextDay(int year, int& month, int& day) {
    if (++day > monthLength(year, month)) {
        day = 1;
        ++month;
    }
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '"'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '"' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// "YYYY/M/D" (or with '-'); false when it is not a date.
bool parseDate(std::string_view s, int& y, int& m, int& d) {
    int parts[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int part = 0;
    for (char c : s) {
        if (c >= '0' && c <= '9') {
            if (++digits[part] > 4)
                return false;
            parts[part] = parts[part] * 10 + (c - '0');
        } else if ((c == '/' || c == '-') && part < 2 && digits[part] > 0) {
            ++part;
        } else {
            return false;
        }
    }
    if (part != 2 || digits[0] != 4 || digits[1] == 0 || digits[1] > 2 || digits[2] == 0 || digits[2] > 2)
        return false;
    y = parts[0];
    m = parts[1];
    d = parts[2];
    return m >= 1 && m <= 12 && d >= 1 && d <= monthLength(y, m);
}

} // namespace

int vernalEquinoxDay(int year) {
    const int n = year - 1980;
    return static_cast<int>(std::floor(20.8431 + 0.242194 * n)) - static_cast<int>(std::floor(n / 4.0));
}

int autumnalEquinoxDay(int year) {
    const int n = year - 1980;
    return static_cast<int>(std::floor(23.2488 + 0.242194 * n)) - static_cast<int>(std::floor(n / 4.0));
}

std::vector<Holiday> computedHolidays(int y) {
    if (y < 2000 || y > 2099)
        return {};
    // National holidays (祝日) by date.
    std::map<DateKey, std::string> days;
    auto add = [&](int m, int d, const char* name) { days[{m, d}] = name; };
    add(1, 1, "元日");
    add(1, nthMonday(y, 1, 2), "成人の日");
    add(2, 11, "建国記念の日");
    if (y >= 2020)
        add(2, 23, "天皇誕生日");
    add(3, vernalEquinoxDay(y), "春分の日");
    add(4, 29, y >= 2007 ? "昭和の日" : "みどりの日");
    add(5, 3, "憲法記念日");
    if (y >= 2007)
        add(5, 4, "みどりの日");
    add(5, 5, "こどもの日");
    // 海の日, スポーツの日 and 山の日 were moved for the Olympic Games of 2020 and 2021.
    if (y == 2020) {
        add(7, 23, "海の日");
        add(7, 24, "スポーツの日");
        add(8, 10, "山の日");
    } else if (y == 2021) {
        add(7, 22, "海の日");
        add(7, 23, "スポーツの日");
        add(8, 8, "山の日");
    } else {
        add(7, y >= 2003 ? nthMonday(y, 7, 3) : 20, "海の日");
        if (y >= 2016)
            add(8, 11, "山の日");
        add(10, nthMonday(y, 10, 2),
            y >= 2020   ? "スポーツの日"
            : y == 2019 ? "体育の日（スポーツの日）"
                        : "体育の日");
    }
    add(9, y >= 2003 ? nthMonday(y, 9, 3) : 15, "敬老の日");
    add(9, autumnalEquinoxDay(y), "秋分の日");
    add(11, 3, "文化の日");
    add(11, 23, "勤労感謝の日");
    if (y <= 2018)
        add(12, 23, "天皇誕生日");
    // The accession of 2019: the day itself and the enthronement ceremony are holidays.
    if (y == 2019) {
        add(5, 1, "休日（祝日扱い）");
        add(10, 22, "休日（祝日扱い）");
    }

    std::map<DateKey, std::string> all = days;
    // Substitute holidays: a holiday on a Sunday gives the next day that is no holiday (up to
    // 2006: the Monday after it, when that is no holiday).
    for (const auto& [key, name] : days) {
        auto [m, d] = key;
        if (weekdayOf(y, m, d) != 0)
            continue;
        do {
            nextDay(y, m, d);
        } while (y >= 2007 && days.count({m, d}));
        if (m <= 12 && !all.count({m, d}))
            all[{m, d}] = "休日";
    }
    // Citizens' holidays: a day between two national holidays that is neither a holiday nor a
    // Sunday.
    for (const auto& [key, name] : days) {
        auto [m, d] = key;
        nextDay(y, m, d);
        if (m > 12 || days.count({m, d}) || all.count({m, d}) || weekdayOf(y, m, d) == 0)
            continue;
        int nm = m;
        int nd = d;
        nextDay(y, nm, nd);
        if (nm <= 12 && days.count({nm, nd}))
            all[{m, d}] = "休日";
    }

    std::vector<Holiday> out;
    out.reserve(all.size());
    for (const auto& [key, name] : all)
        out.push_back({y, std::get<0>(key), std::get<1>(key), name});
    return out;
}

HolidayList::HolidayList(std::vector<Holiday> holidays) : holidays_(std::move(holidays)) {
    std::sort(holidays_.begin(), holidays_.end(), [](const Holiday& a, const Holiday& b) {
        return std::tie(a.year, a.month, a.day) < std::tie(b.year, b.month, b.day);
    });
    if (!holidays_.empty()) {
        firstYear_ = holidays_.front().year;
        lastYear_ = holidays_.back().year;
    }
    for (std::size_t i = 0; i < holidays_.size();) {
        const int year = holidays_[i].year;
        const bool newYear = holidays_[i].month == 1 && holidays_[i].day == 1;
        std::size_t end = i;
        while (end < holidays_.size() && holidays_[end].year == year)
            ++end;
        if (newYear && end - i >= kMinHolidaysOfAYear)
            coveredYears_.push_back(year);
        i = end;
    }
}

bool HolidayList::covers(int year) const {
    return std::binary_search(coveredYears_.begin(), coveredYears_.end(), year);
}

std::vector<Holiday> HolidayList::ofYear(int year) const {
    std::vector<Holiday> out;
    for (const Holiday& h : holidays_)
        if (h.year == year)
            out.push_back(h);
    return out;
}

Result<HolidayList> parseHolidayList(std::string_view bytes) {
    if (bytes.size() > kMaxHolidayListBytes)
        return Error{"祝日の一覧が大きすぎます。"};
    std::string text;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        text.assign(bytes.substr(3));
    } else {
        // Shift_JIS unless the whole file is valid UTF-8 with some non-ASCII in it.
        const Decoded sjis = fromCp932(bytes);
        text = sjis.text;
        if (!sjis.clean)
            text.assign(bytes);
    }
    std::vector<Holiday> holidays;
    std::set<std::tuple<int, int, int>> seen;
    std::size_t start = 0;
    long lineNo = 0;
    bool dated = false;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string_view line(text.data() + start, end - start);
        start = end + 1;
        ++lineNo;
        const std::string_view body = trimmed(line);
        if (body.empty())
            continue;
        const std::size_t comma = body.find(',');
        int y = 0, m = 0, d = 0;
        if (!parseDate(trimmed(body.substr(0, comma)), y, m, d)) {
            // Heading lines come before the first date; after it a line must be a holiday.
            if (!dated)
                continue;
            return Error{"祝日の一覧の " + std::to_string(lineNo) + " 行目が日付と名称ではありません。"};
        }
        dated = true;
        if (!seen.insert({y, m, d}).second)
            continue;
        std::string name(comma == std::string_view::npos ? std::string_view()
                                                         : trimmed(body.substr(comma + 1)));
        if (name.size() > 200)
            name.resize(200);
        holidays.push_back({y, m, d, std::move(name)});
    }
    if (holidays.empty())
        return Error{"祝日の一覧に祝日がありません。"};
    return HolidayList(std::move(holidays));
}

Result<HolidayList> loadHolidayList(const std::string& path) {
    ReadOptions options;
    options.maxBytes = kMaxHolidayListBytes;
    Result<std::string> bytes = readFileBytes(path, options);
    if (!bytes)
        return bytes.error();
    Result<HolidayList> list = parseHolidayList(*bytes);
    if (!list)
        return Error{path + ": " + list.error().message};
    return list;
}

std::string computedListBytes(int firstYear, int lastYear) {
    std::string utf8 = "国民の祝日・休日月日,国民の祝日・休日名称\r\n";
    for (int y = firstYear; y <= lastYear; ++y)
        for (const Holiday& h : computedHolidays(y))
            utf8 += std::to_string(h.year) + "/" + std::to_string(h.month) + "/" + std::to_string(h.day) +
                    "," + h.name + "\r\n";
    std::string bytes;
    toCp932(utf8, bytes);
    return bytes;
}

HolidaySource findHolidayList(const std::string& appDir, const std::string& dataDir) {
    HolidaySource source;
    const std::string own = appDir + kHolidayListName;
    std::error_code ec;
    if (fs::symlink_status(own, ec).type() != fs::file_type::not_found) {
        Result<HolidayList> list = loadHolidayList(own);
        if (list) {
            source.list = std::move(*list);
            source.path = own;
            return source;
        }
        source.note = list.error().message + "\n同梱の祝日の一覧を使います。";
    }
    if (!dataDir.empty()) {
        const std::string shipped = (fs::path(dataDir) / kHolidayListName).string();
        if (Result<HolidayList> list = loadHolidayList(shipped)) {
            source.list = std::move(*list);
            source.path = shipped;
            return source;
        }
    }
    std::vector<Holiday> all;
    for (int y = kComputedFirstYear; y <= kComputedLastYear; ++y)
        for (Holiday& h : computedHolidays(y))
            all.push_back(std::move(h));
    source.list = HolidayList(std::move(all));
    return source;
}

} // namespace wattorio::yearbook
