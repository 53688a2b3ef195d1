// book, calendar: a site's year book from the command line.

#include "app/numtext.h"
#include "app/safe_save.h"
#include "cli/command_registry.h"
#include "registry/registry.h"
#include "tenday/ten_day_file.h"
#include "yearbook/calendar.h"
#include "yearbook/holiday_list.h"
#include "yearbook/year_book_file.h"

#include <cmath>

using namespace wattorio;
using namespace wattorio::cli;

namespace {

// The site's book path, as "選　択" builds it.
std::string bookPath(const AppState& state, int kind) {
    return registry::Fail_Name_Set(state.AppDir, state.SiteTable[static_cast<int>(state.SiteRow)][0], kind);
}

void printJson(CliContext& ctx, int lastRow) {
    const AppState& s = ctx.state;
    std::ostream& out = ctx.out;
    out << "{\"DayCode\": [";
    for (int r = 0; r <= lastRow; ++r)
        out << (r ? ",\n  " : "\n  ") << "[" << jsonString(s.DayCode[r][0]) << ", "
            << jsonString(s.DayCode[r][1]) << "]";
    out << "],\n\"DayMark\": [";
    for (int r = 0; r <= lastRow; ++r)
        out << (r ? ",\n  " : "\n  ") << "[" << jsonNumber(s.DayMark[r][0]) << ", "
            << jsonNumber(s.DayMark[r][1]) << "]";
    out << "],\n\"HourData\": [";
    for (int h = 0; h < kHourSlots; ++h) {
        out << (h ? ",\n  [" : "\n  [");
        for (int r = 0; r <= lastRow; ++r)
            out << (r ? ", " : "") << jsonNumber(s.HourData[h][r]);
        out << "]";
    }
    out << "]}\n";
}

// One line a day: row, labels, class and the 24 readings.
void printText(CliContext& ctx, int lastRow) {
    const AppState& s = ctx.state;
    for (int r = 1; r <= lastRow; ++r) {
        ctx.out << r << "\t" << s.DayCode[r][0] << "\t" << s.DayCode[r][1] << "\t"
                << numberText(s.DayMark[r][0]);
        for (int h = 0; h < 24; ++h)
            ctx.out << "\t" << numberText(s.HourData[h][r]);
        ctx.out << "\n";
    }
}

int book(CliContext& ctx, const Args& args) {
    if (!selectSite(ctx, args))
        return 1;
    const std::string kind = args.get("book").value_or("year");
    if (kind != "year" && kind != "tenday") {
        ctx.err << "--book には year か tenday を指定してください。\n";
        return 1;
    }
    int lastRow = yearbook::kYearRows;
    if (kind == "year") {
        ctx.state.SiteDataPath = bookPath(ctx.state, 1);
        if (!loadYearBookOrNew(ctx))
            return 1;
    } else {
        ctx.state.SiteDataPath = bookPath(ctx.state, 2);
        const tenday::TenDayLoad load = tenday::readTenDayBook(ctx.state, ctx.state.SiteDataPath);
        if (load.file == tenday::BookFile::Damaged) {
            ctx.err << "10日集計データファイルを読み込めません: " << ctx.state.SiteDataPath << "\n（"
                    << load.detail << "）\n";
            return 1;
        }
        lastRow = tenday::kTenDayRows;
    }
    if (args.has("json"))
        printJson(ctx, lastRow);
    else
        printText(ctx, lastRow);
    return 0;
}

int calendar(CliContext& ctx, const Args& args) {
    if (!lockWorkingFolder(ctx))
        return 1;
    if (!selectSite(ctx, args))
        return 1;
    const std::string yearText = args.get("year").value_or("");
    const double year = val(yearText);
    if (year < 2000 || year > ctx.state.CurrentYear || year != std::floor(year)) {
        ctx.err << "--year には 2000 から " << ctx.state.CurrentYear << " までの年を指定してください。\n";
        return 2;
    }
    const bool official = args.has("official");
    // With the Cabinet Office's holidays the first Sunday comes from the year itself.
    const double first = official && !args.has("first-sunday")
                             ? yearbook::firstSundayOf(static_cast<int>(year))
                             : val(args.get("first-sunday").value_or(""));
    if (first < 1 || first > 7 || first != std::floor(first)) {
        ctx.err << "１月の最初の日曜日の日付を入力してください。\n";
        return 2;
    }
    ctx.state.SiteDataPath = bookPath(ctx.state, 1);
    if (!loadYearBookOrNew(ctx))
        return 1;
    std::string source = "固定の祝日";
    bool fixed = true;
    if (official) {
        const yearbook::HolidaySource list = yearbook::findHolidayList(ctx.state.AppDir, ctx.state.DataDir);
        if (!list.note.empty())
            ctx.err << list.note << "\n";
        const Status set = yearbook::setOfficialHolidays(ctx.state.DayMark, static_cast<int>(year),
                                                         args.has("saturdays"), list.list);
        if (set) {
            fixed = false;
            source =
                "内閣府の祝日（" + (list.path.empty() ? std::string("組み込みの一覧") : list.path) + "）";
        } else {
            ctx.err << set.error().message << "\n固定の祝日で設定します。\n";
        }
    }
    if (fixed)
        yearbook::setAnnualHolidays(ctx.state.DayMark, static_cast<int>(year), static_cast<int>(first),
                                    args.has("saturdays"));
    if (Status saved = yearbook::saveYearBook(ctx.state, ctx.state.SiteDataPath); !saved) {
        ctx.err << saved.error().message << "\n";
        return 1;
    }
    int holidays = 0;
    int saturdays = 0;
    for (int r = 1; r <= yearbook::kYearRows; ++r) {
        holidays += ctx.state.DayMark[r][0] == yearbook::kHoliday;
        saturdays += ctx.state.DayMark[r][0] == yearbook::kSaturday;
    }
    ctx.out << static_cast<int>(year) << "年の休日を設定しました: 休日 " << holidays << " 日、土曜 "
            << saturdays << " 日、" << source << "（" << ctx.state.SiteDataPath << "）\n";
    return 0;
}

CommandRegistrar
    bookCommand("book", {"book --site ROW [--book year|tenday] [--json]   物件の年間データ", book, {"json"}});
CommandRegistrar calendarCommand(
    "calendar",
    {"calendar --site ROW --year Y (--first-sunday S | --official) [--saturdays]   年間休日設定（--official: "
     "内閣府の祝日）",
     calendar,
     {"saturdays", "official"}});

} // namespace
