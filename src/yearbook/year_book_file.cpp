#include "yearbook/year_book_file.h"

#include "app/book_value.h"
#include "app/listwrite.h"
#include "app/safe_save.h"

#include <array>
#include <memory>

namespace wattorio::yearbook {

namespace {

constexpr std::array<int, 12> kMonthDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD: a byte that was not Shift_JIS

// Month (1..12) and day of book row 1..365; {0, 0} outside.
std::pair<int, int> dateOfRow(int row) {
    if (row < 1 || row > kYearRows)
        return {0, 0};
    int m = 0;
    while (row > kMonthDays[m]) {
        row -= kMonthDays[m];
        ++m;
    }
    return {m + 1, row};
}

// The three tables of a book while it is read, so that a failed read leaves the state untouched.
struct Tables {
    std::array<std::array<std::string, 2>, kYearRows + 1> dayCode;
    std::array<std::array<float, 2>, kYearRows + 1> dayMark{};
    std::array<std::array<double, kYearRows + 1>, kHourSlots> hourData{};
};

} // namespace

std::string monthLabel(int row) {
    const auto [m, d] = dateOfRow(row);
    return m == 0 ? std::string() : std::to_string(m) + "月";
}

std::string dayLabel(int row) {
    const auto [m, d] = dateOfRow(row);
    return m == 0 ? std::string() : std::to_string(d);
}

Result<std::string> yearBookBytes(const AppState& state) {
    // A value the reader would refuse is never written: the old file stays as it was.
    for (int r = 0; r <= kYearRows; ++r) {
        if (!isBookValue(state.DayMark[r][0]) || !isBookValue(state.DayMark[r][1]))
            return Error{std::to_string(r) + " 行目の曜日区分が" + kBookValueRange + "。"};
        for (int h = 0; h < kHourSlots; ++h)
            if (!isBookValue(state.HourData[h][r]))
                return Error{(r >= 1 ? monthLabel(r) + dayLabel(r) + "日 " : "0 行目 ") + std::to_string(h) +
                             "時の値が" + kBookValueRange + "。"};
    }
    ListWriter w;
    for (int r = 0; r <= kYearRows; ++r) {
        w.writeString(state.DayCode[r][0]);
        w.writeString(state.DayCode[r][1]);
    }
    for (int r = 0; r <= kYearRows; ++r) {
        w.writeNumber(state.DayMark[r][0]);
        w.writeNumber(state.DayMark[r][1]);
    }
    for (int r = 0; r <= kYearRows; ++r)
        for (int h = 0; h < kHourSlots; ++h)
            w.writeNumber(state.HourData[h][r]);
    return w.bytes();
}

Status readYearBookBytes(AppState& state, std::string_view bytes, BookFileState* outcome) {
    auto damaged = [&](std::string why) -> Status {
        if (outcome)
            *outcome = BookFileState::Damaged;
        return Error{std::move(why)};
    };
    ListReader reader = ListReader::fromBytes(bytes);
    auto t = std::make_unique<Tables>();
    bool repaired = false;
    for (int r = 0; r <= kYearRows; ++r)
        for (int c = 0; c < 2; ++c) {
            Result<std::string> s = reader.nextString();
            if (!s)
                return damaged(s.error().message);
            if (s->find(kReplacement) != std::string::npos) {
                // Undecodable bytes in a label: the row's own label stands in for it.
                *s = c == 0 ? monthLabel(r) : dayLabel(r);
                repaired = true;
            }
            t->dayCode[r][c] = std::move(*s);
        }
    for (int r = 0; r <= kYearRows; ++r)
        for (int c = 0; c < 2; ++c) {
            Result<double> v = reader.nextNumber();
            if (!v)
                return damaged(v.error().message);
            if (!isBookValue(*v))
                return damaged(std::to_string(reader.line()) + " 行目: 曜日区分の値が" + kBookValueRange +
                               "。");
            t->dayMark[r][c] = static_cast<float>(*v);
        }
    for (int r = 0; r <= kYearRows; ++r)
        for (int h = 0; h < kHourSlots; ++h) {
            Result<double> v = reader.nextNumber();
            if (!v)
                return damaged(v.error().message);
            if (!isBookValue(*v))
                return damaged(std::to_string(reader.line()) + " 行目: 電力量の値が" + kBookValueRange +
                               "。");
            t->hourData[h][r] = *v;
        }
    for (int r = 0; r <= kYearRows; ++r) {
        state.DayCode[r] = std::move(t->dayCode[r]);
        state.DayMark[r] = t->dayMark[r];
        for (int h = 0; h < kHourSlots; ++h)
            state.HourData[h][r] = t->hourData[h][r];
    }
    if (outcome)
        *outcome = repaired ? BookFileState::Repaired : BookFileState::Read;
    return Status::success();
}

Status loadYearBook(AppState& state, const std::string& path, BookFileState* outcome) {
    if (!fileExists(path)) {
        if (outcome)
            *outcome = BookFileState::Missing;
        return Error{"ファイルがありません: " + path};
    }
    Result<std::string> bytes = readFileBytes(path);
    if (!bytes) {
        if (outcome)
            *outcome = BookFileState::Damaged;
        return bytes.error();
    }
    return readYearBookBytes(state, *bytes, outcome);
}

Status saveYearBook(const AppState& state, const std::string& path) {
    Result<std::string> bytes = yearBookBytes(state);
    if (!bytes)
        return Error{"ファイルに書き込めません: " + path + "（" + bytes.error().message + "）"};
    return saveFileAtomically(path, *bytes);
}

void newYearBook(AppState& state) {
    for (int r = 0; r <= kYearRows; ++r) {
        state.DayCode[r] = {std::string(), std::string()};
        state.DayMark[r] = {0.0f, 0.0f};
        for (int h = 0; h < kHourSlots; ++h)
            state.HourData[h][r] = 0;
    }
    for (int r = 1; r <= kYearRows; ++r) {
        state.DayCode[r][0] = monthLabel(r);
        state.DayCode[r][1] = dayLabel(r);
    }
}

} // namespace wattorio::yearbook
