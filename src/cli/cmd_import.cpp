// import-csv, generator: reading hourly readings from a CSV file into a site's year book, and one
// run of the on-site generator, each saved as the year book window saves them.

#include "app/numtext.h"
#include "app/safe_save.h"
#include "cli/command_registry.h"
#include "csvimport/csv_import.h"
#include "registry/registry.h"
#include "yearbook/generator.h"
#include "yearbook/year_book_file.h"
#include "yearbook/year_book_form.h"

#include <cmath>
#include <optional>

using namespace wattorio;
using namespace wattorio::cli;

namespace {

// Selects the site and loads its year book into the tables, as "選　択" and the book's opening do:
// a missing file gives a new book; a damaged one is refused so that no save can replace it.
bool openYearBook(CliContext& ctx, const Args& args) {
    if (!lockWorkingFolder(ctx) || !selectSite(ctx, args))
        return false;
    AppState& s = ctx.state;
    s.SiteDataPath = registry::Fail_Name_Set(s.AppDir, s.SiteTable[static_cast<int>(s.SiteRow)][0], 1);
    return loadYearBookOrNew(ctx);
}

// A whole-number option within low..high, when given; false with a message when it is not one.
bool intOption(CliContext& ctx, const Args& args, const std::string& name, int low, int high, int& value) {
    const std::optional<std::string> text = args.get(name);
    if (!text)
        return true;
    const double v = val(*text);
    if (text->empty() || v != std::floor(v) || v < low || v > high) {
        ctx.err << "--" << name << " には " << low << " から " << high << " までの整数を指定してください。\n";
        return false;
    }
    value = static_cast<int>(v);
    return true;
}

const char* endName(csvimport::CsvEnd end) {
    switch (end) {
    case csvimport::CsvEnd::Complete:
        return "complete";
    case csvimport::CsvEnd::EndOfFile:
        return "end-of-file";
    case csvimport::CsvEnd::TooFewFields:
        return "too-few-fields";
    case csvimport::CsvEnd::PastYearEnd:
        return "past-year-end";
    case csvimport::CsvEnd::ValueOutOfRange:
        return "value-out-of-range";
    }
    return "";
}

int importCsvCommand(CliContext& ctx, const Args& args) {
    using namespace csvimport;
    if (args.positional.size() != 1) {
        ctx.err << "読み込む CSV ファイルを一つ指定してください。\n";
        return 1;
    }
    const std::string file = args.positional.front();
    CsvImportOptions o;
    bool layoutChosen = false;
    if (args.has("own-format")) {
        o = ownSheetFormat();
        layoutChosen = true;
    }
    if (std::optional<std::string> layout = args.get("layout")) {
        if (*layout == "vertical")
            o.layout = CsvLayout::Vertical;
        else if (*layout == "horizontal")
            o.layout = CsvLayout::Horizontal;
        else {
            ctx.err << "--layout には vertical か horizontal を指定してください。\n";
            return 1;
        }
        layoutChosen = true;
    }
    if (!layoutChosen) {
        ctx.err << "種別を選択してください。（--layout vertical|horizontal または --own-format）\n";
        return 2;
    }
    if (!args.has("own-format")) {
        // As the window: a month alone gives the month's length, a chosen day one day.
        o.day = 0;
        o.days = -1;
    }
    if (!intOption(ctx, args, "skip", 0, 1000000000, o.skipLines) ||
        !intOption(ctx, args, "column", 1, 1000000000, o.column) ||
        !intOption(ctx, args, "month", 1, 12, o.month) || !intOption(ctx, args, "day", 1, 31, o.day) ||
        !intOption(ctx, args, "days", 0, 1000000000, o.days))
        return 1;
    if (o.days < 0)
        o.days = o.day > 0 ? 1 : kMonthDays[static_cast<std::size_t>(o.month - 1)];
    const Result<int> start = startRowOf(o.month, o.day);
    if (!start) {
        ctx.err << start.error().message << "\n";
        return 2;
    }

    if (!openYearBook(ctx, args))
        return 1;
    StreamPrompter prompter(ctx.err);
    yearbook::YearBookForm book(ctx.state, prompter);
    book.Form_Set();
    book.Grd1_Crt();
    const Result<CsvImportOutcome> outcome = importCsv(file, o, book.grid());
    if (!outcome) {
        ctx.err << outcome.error().message << "\n読み込みを中止しました。\n";
        return 1;
    }
    // Data_set and the book file, as the window's save does.
    if (Status saved = book.Data_Save(); !saved) {
        ctx.err << saved.error().message << "\n";
        return 1;
    }

    if (args.has("json")) {
        ctx.out << "{\"file\": " << jsonString(file) << ", \"book\": " << jsonString(ctx.state.SiteDataPath)
                << ", \"firstRow\": " << *start << ", \"lastRow\": " << outcome->lastRow
                << ", \"daysRequested\": " << o.days << ", \"daysPlaced\": " << outcome->daysPlaced
                << ", \"valuesPlaced\": " << outcome->valuesPlaced << ", \"end\": \"" << endName(outcome->end)
                << "\"";
        if (outcome->end == CsvEnd::TooFewFields || outcome->end == CsvEnd::ValueOutOfRange)
            ctx.out << ", \"line\": " << outcome->line;
        ctx.out << "}\n";
    } else {
        ctx.out << "読み込み完了 " << yearbook::monthLabel(*start) << yearbook::dayLabel(*start) << "日から"
                << outcome->daysPlaced << "日分（値 " << outcome->valuesPlaced
                << " 個）: " << ctx.state.SiteDataPath << "\n";
        if (outcome->endedEarly)
            ctx.out << earlyEndNote(*outcome) << "\n";
    }
    return 0;
}

// "9" stands for the list item "9時"; any other text is taken as typed.
std::string hourItem(const std::string& text) {
    if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos)
        return text + "時";
    return text;
}

int generatorCommand(CliContext& ctx, const Args& args) {
    if (!openYearBook(ctx, args))
        return 1;
    AppState& s = ctx.state;
    // The fields as the book's opening fills them from the settings file; options replace them.
    const yearbook::GeneratorSettingsLoad stored = yearbook::openGeneratorSettings(s.agPath());
    if (!stored.note.empty())
        ctx.err << stored.note << "\n";
    if (stored.keepUnwritten) {
        ctx.err << "発電設備の計算を中止しました。\n";
        return 1;
    }
    yearbook::GeneratorSettings settings = stored.settings;
    if (auto v = args.get("start"))
        settings.start = hourItem(*v);
    if (auto v = args.get("end"))
        settings.end = hourItem(*v);
    if (auto v = args.get("capacity"))
        settings.capacity = *v;
    if (auto v = args.get("min-output"))
        settings.minOutput = *v;
    if (auto v = args.get("min-purchase"))
        settings.minPurchase = *v;

    const double multiplier = s.currentSiteValue(2);
    if (Status ok = yearbook::checkGenerator(settings, multiplier); !ok) {
        ctx.err << ok.error().message << "\n";
        return 2;
    }
    StreamPrompter prompter(ctx.err);
    yearbook::YearBookForm book(s, prompter);
    book.Form_Set();
    book.Grd1_Crt();
    if (Status run = yearbook::runGenerator(book.grid(), s, settings, multiplier, s.agResultsPath()); !run) {
        ctx.err << run.error().message << "\n発電設備の計算を中止しました。\n";
        return 1;
    }
    // As the OK answer: the book, the results and the settings as one step.
    if (Status saved = book.saveGeneratorRun(settings); !saved) {
        ctx.err << saved.error().message << "\n";
        return 1;
    }

    double total = 0;
    for (int r = 1; r <= yearbook::kYearRows; ++r)
        for (int h = 0; h < 24; ++h)
            total += s.GenData[h][r];
    if (args.has("json")) {
        ctx.out << "{\"start\": " << jsonString(settings.start) << ", \"end\": " << jsonString(settings.end)
                << ", \"capacity\": " << jsonString(settings.capacity)
                << ", \"minOutput\": " << jsonString(settings.minOutput)
                << ", \"minPurchase\": " << jsonString(settings.minPurchase)
                << ", \"multiplier\": " << jsonNumber(multiplier)
                << ", \"generatedTotal\": " << jsonNumber(total)
                << ", \"generatedKWh\": " << jsonNumber(total * multiplier)
                << ", \"book\": " << jsonString(s.SiteDataPath)
                << ", \"results\": " << jsonString(s.agResultsPath()) << "}\n";
    } else {
        ctx.out << "発電設備の計算を保存しました: " << settings.start << "〜" << settings.end
                << "、累計発電量 " << numberText(total * multiplier) << " kWh（" << s.agResultsPath()
                << "）\n";
    }
    return 0;
}

CommandRegistrar importCommand(
    "import-csv",
    {"import-csv --site ROW (--layout vertical|horizontal [--skip K] [--column C] [--month M] [--day D] "
     "[--days N] | --own-format) [--json] FILE   CSV ファイル読込",
     importCsvCommand,
     {"own-format", "json"}});
CommandRegistrar generatorCommandEntry("generator", {"generator --site ROW [--start H] [--end H] [--capacity "
                                                     "KW] [--min-output KW] [--min-purchase KW] [--json]   "
                                                     "発電設備の計算（省いた項目は保存された設定）",
                                                     generatorCommand,
                                                     {"json"}});

} // namespace
