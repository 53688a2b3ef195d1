// import-interval: interval data files (30分値) into a site's year book, every value placed by the
// date and time written in the file, saved as the year book window saves it.

#include "app/numtext.h"
#include "billing/meter_file.h"
#include "cli/command_registry.h"
#include "csvimport/interval_import.h"
#include "registry/registry.h"
#include "yearbook/year_book_form.h"

#include <cmath>
#include <optional>

using namespace wattorio;
using namespace wattorio::cli;

namespace {

int importIntervalCommand(CliContext& ctx, const Args& args) {
    using namespace csvimport;
    if (args.positional.empty()) {
        ctx.err << "読み込むファイルを指定してください。\n";
        return 1;
    }
    IntervalImportOptions o;
    if (std::optional<std::string> unit = args.get("unit")) {
        if (*unit == "kwh")
            o.read.unit = EnergyUnit::KWh;
        else if (*unit == "wh")
            o.read.unit = EnergyUnit::Wh;
        else if (*unit == "kw")
            o.read.unit = EnergyUnit::KW;
        else {
            ctx.err << "--unit には kwh、wh、kw のいずれかを指定してください。\n";
            return 1;
        }
    }
    if (std::optional<std::string> column = args.get("column")) {
        const double c = val(*column);
        if (c < 1 || c > static_cast<double>(kMaxIntervalFields) || c != std::floor(c)) {
            ctx.err << "--column には 1 から " << kMaxIntervalFields << " までの整数を指定してください。\n";
            return 1;
        }
        o.read.column = static_cast<int>(c);
    }
    const std::string values = args.get("values").value_or("kwh");
    if (values != "kwh" && values != "readings") {
        ctx.err << "--values には kwh か readings を指定してください。\n";
        return 1;
    }
    o.valuesAreReadings = values == "readings";

    if (!lockWorkingFolder(ctx) || !selectSite(ctx, args))
        return 1;
    AppState& s = ctx.state;
    s.SiteDataPath = registry::Fail_Name_Set(s.AppDir, s.SiteTable[static_cast<int>(s.SiteRow)][0], 1);
    o.multiplier = s.currentSiteValue(2);
    if (!o.valuesAreReadings && !(o.multiplier > 0)) {
        ctx.err << "物件の電力データ倍率が 0 です。--values readings "
                   "で指示数として読み込むか、倍率を登録してください。\n";
        return 2;
    }
    // A file that leaves its column or unit open stops the import: the user chooses with the
    // options rather than have the command guess.
    std::optional<IntervalQuestion> open;
    o.ask = [&](const IntervalQuestion& q) {
        open = q;
        return false;
    };
    // Every file is read before the book is opened: nothing is placed when one cannot be read.
    Result<IntervalImport> read = readIntervalImport(args.positional, o);
    if (!read) {
        if (open)
            ctx.err << questionText(*open)
                    << "\n--column で値の列を、--unit で単位（kwh、wh、kw）を指定してください。\n";
        else
            ctx.err << read.error().message << "\n";
        ctx.err << "読み込みを中止しました。\n";
        return 1;
    }
    if (!loadYearBookOrNew(ctx))
        return 1;
    StreamPrompter prompter(ctx.err);
    yearbook::YearBookForm book(s, prompter);
    book.Form_Set();
    book.Grd1_Crt();
    book.placeImportedHours(bookCells(*read));
    if (Status saved = book.Data_Save(); !saved) {
        ctx.err << saved.error().message << "\n";
        return 1;
    }
    // Every interval also goes into the site's meter data; a value it holds otherwise stays
    // unless --replace.
    const Result<billing::MeterMergeSummary> meter = billing::importIntoMeterFile(
        billing::meterFilePathBeside(s.SiteDataPath),
        billing::asMeterIntervals(read->intervals, o.valuesAreReadings ? o.multiplier : 1),
        billing::fixedChoice(args.has("replace") ? billing::ConflictChoice::Replace
                                                 : billing::ConflictChoice::KeepOld));
    if (args.has("json")) {
        std::string json = summaryJson(read->summary);
        if (meter && !json.empty() && json.back() == '}')
            json.insert(json.size() - 1, ", \"meter\": " + billing::meterMergeJson(*meter).dump());
        ctx.out << json << "\n";
    } else {
        for (const std::string& line : summaryLines(read->summary, s.currentSiteValue(3)))
            ctx.out << line << "\n";
        ctx.out << "保存しました: " << s.SiteDataPath << "\n";
    }
    if (!meter)
        ctx.err << billing::meterImportLines(meter).front() << "\n";
    else if (!args.has("json"))
        for (const std::string& line : billing::meterMergeLines(*meter))
            ctx.out << line << "\n";
    return meter ? 0 : 1;
}

CommandRegistrar importIntervalEntry(
    "import-interval",
    {"import-interval --site ROW [--unit kwh|wh|kw] [--column C] [--values kwh|readings] [--replace] "
     "[--json] FILE...   "
     "インターバルデータ読込（30 分値などを日付・時刻どおりに）",
     importIntervalCommand,
     {"json", "replace"}});

} // namespace
