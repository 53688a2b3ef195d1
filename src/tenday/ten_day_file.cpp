#include "tenday/ten_day_file.h"

#include "app/book_value.h"
#include "app/listwrite.h"
#include "app/safe_save.h"

#include <array>
#include <memory>

namespace wattorio::tenday {

namespace {

constexpr std::array<int, 12> kMonthLength = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// Days covered by the four rows of each month in a 365-day year: days 1-10, 11-20, 21-end
// (working days) and the month's holidays.
constexpr std::array<std::array<int, 4>, 12> kDefaultDays = {{
    {6, 9, 9, 7},
    {9, 7, 7, 5},
    {9, 8, 9, 5},
    {8, 9, 7, 6},
    {6, 9, 9, 7},
    {9, 8, 9, 4},
    {8, 8, 9, 6},
    {9, 8, 10, 4},
    {8, 8, 8, 6},
    {7, 9, 9, 6},
    {8, 8, 8, 6},
    {8, 9, 8, 6},
}};

std::string monthLabel(int month) {
    // January carries a full-width one; the other months are written with ASCII digits.
    return month == 1 ? std::string("１月") : std::to_string(month) + "月";
}

std::string periodLabel(int month, int kind) {
    switch (kind) {
    case 1:
        return "1日から10日";
    case 2:
        return "11日から20日";
    case 3:
        return "21日から" + std::to_string(kMonthLength[month - 1]) + "日";
    default:
        return "休日";
    }
}

Status parse(std::string_view bytes, TenDayTables& book) {
    ListReader reader = ListReader::fromBytes(bytes);
    if (!reader.clean())
        return Error{"Shift_JIS として読めない文字があります。"};
    for (int r = 0; r <= kTenDayRows; ++r)
        for (int c = 0; c < 2; ++c) {
            Result<ListField> field = reader.next();
            if (!field)
                return field.error();
            book.dayCode[r][c] = std::move(field->text);
        }
    for (int r = 0; r <= kTenDayRows; ++r)
        for (int c = 0; c < 2; ++c) {
            Result<double> number = reader.nextNumber();
            if (!number)
                return number.error();
            if (!isBookValue(*number))
                return Error{std::to_string(reader.line()) + " 行目: 日数の値が" + kBookValueRange + "。"};
            book.dayMark[r][c] = static_cast<float>(*number);
        }
    for (int r = 0; r <= kTenDayRows; ++r)
        for (int h = 0; h < kHourSlots; ++h) {
            Result<double> number = reader.nextNumber();
            if (!number)
                return number.error();
            if (!isBookValue(*number))
                return Error{std::to_string(reader.line()) + " 行目: 電力量の値が" + kBookValueRange + "。"};
            book.hours[h][r] = *number;
        }
    return Status::success();
}

} // namespace

TenDayTables takeTables(const AppState& state) {
    TenDayTables book;
    for (int r = 0; r <= kTenDayRows; ++r) {
        book.dayCode[r] = state.DayCode[r];
        book.dayMark[r] = state.DayMark[r];
        for (int h = 0; h < kHourSlots; ++h)
            book.hours[h][r] = state.HourData[h][r];
    }
    return book;
}

void putTables(const TenDayTables& book, AppState& state) {
    for (int r = 0; r <= kTenDayRows; ++r) {
        state.DayCode[r] = book.dayCode[r];
        state.DayMark[r] = book.dayMark[r];
        for (int h = 0; h < kHourSlots; ++h)
            state.HourData[h][r] = book.hours[h][r];
    }
}

void Set_Data(AppState& state) {
    for (int r = 1; r <= kTenDayRows; ++r) {
        const int month = monthOfRow(r);
        const int kind = kindOfRow(r);
        state.DayCode[r][0] = monthLabel(month);
        state.DayCode[r][1] = periodLabel(month, kind);
        state.DayMark[r][0] = static_cast<float>(kDefaultDays[month - 1][kind - 1]);
        state.DayMark[r][1] = kRowMarker;
    }
}

void newTenDayBook(AppState& state) {
    state.DayCode[0] = {"", ""};
    state.DayMark[0] = {0, 0};
    Set_Data(state);
    for (auto& slot : state.HourData)
        for (int r = 0; r <= kTenDayRows; ++r)
            slot[r] = 0;
}

TenDayLoad readTenDayBook(AppState& state, const std::string& path) {
    if (!fileExists(path)) {
        newTenDayBook(state);
        return {BookFile::Missing, {}};
    }
    Result<std::string> bytes = readFileBytes(path);
    if (!bytes) {
        newTenDayBook(state);
        return {BookFile::Damaged, bytes.error().message};
    }
    auto book = std::make_unique<TenDayTables>();
    if (Status parsed = parse(*bytes, *book); !parsed) {
        newTenDayBook(state);
        return {BookFile::Damaged, parsed.error().message};
    }
    putTables(*book, state);
    return {BookFile::Loaded, {}};
}

Status loadTenDayBook(AppState& state, const std::string& path) {
    const TenDayLoad load = readTenDayBook(state, path);
    if (load.file == BookFile::Damaged)
        return Error{"１０日集計データを読み込めません: " + path + "（" + load.detail + "）"};
    return Status::success();
}

Result<std::string> tenDayBookBytes(const AppState& state) {
    ListWriter writer;
    for (int r = 0; r <= kTenDayRows; ++r)
        for (int c = 0; c < 2; ++c) {
            const std::string& label = state.DayCode[r][c];
            if (label.find('"') != std::string::npos)
                return Error{std::to_string(r) + " 行目の" + (c == 0 ? "月" : "日付") + "「" + label +
                             "」に保存できない文字（\"）があります。"};
            writer.writeString(label);
        }
    for (int r = 0; r <= kTenDayRows; ++r) {
        if (!isBookValue(state.DayMark[r][0]) || !isBookValue(state.DayMark[r][1]))
            return Error{std::to_string(r) + " 行目の日数が" + kBookValueRange + "。"};
        for (int h = 0; h < kHourSlots; ++h)
            if (!isBookValue(state.HourData[h][r]))
                return Error{std::to_string(r) + " 行目 " + std::to_string(h) + "時の値が" + kBookValueRange +
                             "。"};
    }
    for (int r = 0; r <= kTenDayRows; ++r)
        for (int c = 0; c < 2; ++c)
            writer.writeNumber(state.DayMark[r][c]);
    for (int r = 0; r <= kTenDayRows; ++r)
        for (int h = 0; h < kHourSlots; ++h)
            writer.writeNumber(state.HourData[h][r]);
    return writer.bytes();
}

Status saveTenDayBook(const AppState& state, const std::string& path) {
    Result<std::string> bytes = tenDayBookBytes(state);
    if (!bytes)
        return Error{"ファイルに書き込めません: " + path + "（" + bytes.error().message + "）"};
    return saveFileAtomically(path, *bytes);
}

} // namespace wattorio::tenday
