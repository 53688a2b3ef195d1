// intervals, bill, invoice and the --tariffs forms of compare / compare-sites: the dated path,
// a site's meter data priced month by month under the tariff files of 料金表.

#include "cli/cmd_bill.h"

#include "app/numtext.h"
#include "billing/bill_json.h"
#include "billing/book_intervals.h"
#include "billing/invoice_file.h"
#include "billing/meter_file.h"
#include "billing/tariff_ranking.h"
#include "registry/menu_form.h"
#include "registry/registry.h"
#include "registry/site_facts.h"
#include "yearbook/holiday_list.h"
#include "yearbook/year_book_file.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>
#include <iomanip>
#include <memory>
#include <sstream>

using namespace wattorio;
using namespace wattorio::cli;
using namespace wattorio::billing;

namespace {

using Json = nlohmann::ordered_json;

std::string dumped(const Json& j) {
    return j.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

const SiteRecord& currentRecord(const AppState& s) {
    return s.SiteTable[static_cast<std::size_t>(s.SiteRow)];
}

// A plain decimal number ("12", "0.5"); nothing for anything else.
std::optional<double> plainNumber(const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [at, ec] = std::from_chars(text.data(), end, value, std::chars_format::fixed);
    if (text.empty() || ec != std::errc() || at != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// A whole-number option within [low, high]; `fallback` when absent; nothing (with the message)
// when given badly.
std::optional<int> wholeOption(CliContext& ctx, const Args& args, const char* name, int fallback, int low,
                               int high) {
    const std::optional<std::string> text = args.get(name);
    if (!text)
        return fallback;
    const std::optional<double> v = plainNumber(*text);
    if (!v || *v != std::floor(*v) || *v < low || *v > high) {
        ctx.err << "--" << name << " には " << low << " から " << high << " までの整数を指定してください。\n";
        return std::nullopt;
    }
    return static_cast<int>(*v);
}

// The data a bill is priced from: the meter file, or with --book-year the year book's rows on
// that year's dates.
struct SiteData {
    std::vector<MeterInterval> intervals;
    std::vector<std::int32_t> daysWithoutReadings;
};

std::optional<SiteData> siteData(CliContext& ctx, const Args& args) {
    AppState& s = ctx.state;
    const SiteRecord& record = currentRecord(s);
    SiteData data;
    if (args.has("book-year")) {
        const std::optional<int> year = wholeOption(ctx, args, "book-year", 0, kFirstYear, kLastYear);
        if (!year)
            return std::nullopt;
        s.SiteDataPath = registry::Fail_Name_Set(s.AppDir, record[0], 1);
        auto book = std::make_unique<AppState>();
        book->AppDir = s.AppDir;
        yearbook::BookFileState outcome = yearbook::BookFileState::Missing;
        if (Status loaded = yearbook::loadYearBook(*book, s.SiteDataPath, &outcome); !loaded) {
            ctx.err << (outcome == yearbook::BookFileState::Missing
                            ? "年間データがありません: " + s.SiteDataPath
                            : loaded.error().message)
                    << "\n";
            return std::nullopt;
        }
        BookIntervals fromBook = bookIntervals(book->HourData, *year, val(record[2]));
        data.intervals = std::move(fromBook.intervals);
        data.daysWithoutReadings = std::move(fromBook.daysWithoutReadings);
        return data;
    }
    MeterFileRead read = readMeterFile(siteMeterFilePath(s.AppDir, record[0]));
    if (read.state == MeterFileState::Damaged) {
        ctx.err << read.message << "\n";
        return std::nullopt;
    }
    if (read.intervals.empty()) {
        ctx.err << "物件「" << record[1]
                << "」にはメーターデータがありません。インターバルデータを読み込むか、--book-year "
                   "で年間データの年を指定してください。\n";
        return std::nullopt;
    }
    data.intervals = std::move(read.intervals);
    return data;
}

// --from, else the months up to the last one with data.
std::optional<YearMonth> firstMonth(CliContext& ctx, const Args& args, const SiteData& data, int months) {
    if (const std::optional<std::string> from = args.get("from")) {
        const std::optional<YearMonth> parsed = parseYearMonth(*from);
        if (!parsed)
            ctx.err << "--from には " << kFirstYear << "～" << kLastYear
                    << " 年の YYYY-MM を指定してください。\n";
        return parsed;
    }
    return defaultFirstMonth(data.intervals, months);
}

struct Reference {
    yearbook::HolidayList holidays;
    NationalTables tables;
};

std::optional<Reference> reference(CliContext& ctx) {
    Reference r;
    yearbook::HolidaySource holidays = yearbook::findHolidayList(ctx.state.AppDir, ctx.state.DataDir);
    if (!holidays.note.empty())
        ctx.err << holidays.note << "\n";
    r.holidays = std::move(holidays.list);
    Result<NationalTables> tables = loadNationalTables(ctx.state.AppDir, ctx.state.DataDir);
    if (!tables) {
        ctx.err << tables.error().message << "\n";
        return std::nullopt;
    }
    for (const std::string& note : tables->notes)
        ctx.err << note << "\n";
    r.tables = std::move(*tables);
    return r;
}

// A tariff file: a path, or a file name inside 料金表.
std::string tariffPath(const AppState& s, const std::string& file) {
    if (file.find('/') != std::string::npos)
        return file;
    return tariffFolderPath(s.AppDir) + "/" + file;
}

std::string fileName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string groupedYen(std::int64_t yen) {
    std::string digits = std::to_string(yen < 0 ? -yen : yen);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return (yen < 0 ? "-" : "") + digits;
}

RankingSite rankingSite(const SiteRecord& record, const SiteData& data) {
    RankingSite site;
    site.intervals = data.intervals;
    site.daysWithoutReadings = data.daysWithoutReadings;
    site.contractKw = val(record[3]);
    site.powerFactor = val(record[4]);
    site.utility = static_cast<int>(val(record[5]));
    if (const std::optional<tariffs::Category> c = registry::siteCategory(record))
        site.category = std::string(tariffs::categoryName(*c));
    if (const std::optional<registry::Supply> s = registry::siteSupply(record))
        site.supply = std::string(registry::supplyText(*s));
    return site;
}

Json rankingJson(const TariffRanking& ranking) {
    Json tariffs = Json::array();
    for (const RankedTariff& t : ranking.tariffs)
        tariffs.push_back({{"rank", t.rank},
                           {"file", t.file},
                           {"name", t.name},
                           {"provider", t.provider},
                           {"bill", t.bill},
                           {"months_billed", t.monthsBilled}});
    Json problems = Json::array();
    for (const TariffProblem& p : ranking.problems)
        problems.push_back({{"file", p.file}, {"message", p.message}});
    return {{"tariffs", std::move(tariffs)}, {"problems", std::move(problems)}};
}

void printRanking(std::ostream& out, const TariffRanking& ranking) {
    for (const RankedTariff& t : ranking.tariffs)
        out << std::setw(3) << t.rank << "\t" << groupedYen(t.bill) << " 円\t" << t.name << "（" << t.file
            << "）"
            << (t.monthsBilled < ranking.months ? "\t" + std::to_string(t.monthsBilled) + " か月分" : "")
            << "\n";
    for (const TariffProblem& p : ranking.problems)
        out << "  ×\t" << p.file << ": " << p.message << "\n";
}

// ---- intervals ----

int intervalsCommand(CliContext& ctx, const Args& args) {
    if (!selectSite(ctx, args))
        return 1;
    const SiteRecord& record = currentRecord(ctx.state);
    const std::string path = siteMeterFilePath(ctx.state.AppDir, record[0]);
    MeterFileRead read = readMeterFile(path);
    if (read.state == MeterFileState::Damaged) {
        ctx.err << read.message << "\n";
        return 1;
    }
    const MeterListing listing = listMeterData(read.intervals);
    if (args.has("json")) {
        Json months = Json::array();
        for (const MeterMonth& m : listing.months)
            months.push_back({{"month", yearMonthText({m.year, m.month})},
                              {"intervals", m.intervals},
                              {"missing_intervals", m.missingIntervals},
                              {"kwh", m.kwh},
                              {"max_demand_kw", m.maxDemandKw}});
        Json out = {{"site", record[1]},
                    {"first", listing.first.empty() ? Json(nullptr) : Json(listing.first)},
                    {"last", listing.last.empty() ? Json(nullptr) : Json(listing.last)},
                    {"minutes", listing.minutes},
                    {"months", std::move(months)}};
        ctx.out << dumped(out);
        return 0;
    }
    ctx.out << "物件　" << record[1] << "\n";
    if (listing.months.empty()) {
        ctx.out << "メーターデータはありません。\n";
        return 0;
    }
    ctx.out << "期間　" << listing.first << " ～ " << listing.last << "（"
            << (listing.minutes ? std::to_string(listing.minutes) + " 分値" : "長さの異なる区間") << "）\n"
            << "月\t区間数\t欠測\tkWh\t最大需要電力 kW\n";
    for (const MeterMonth& m : listing.months)
        ctx.out << yearMonthText({m.year, m.month}) << "\t" << m.intervals << "\t" << m.missingIntervals
                << "\t" << std::fixed << std::setprecision(1) << m.kwh << std::defaultfloat << "\t"
                << m.maxDemandKw << "\n";
    return 0;
}

// ---- bill ----

// A recorded figure as written: whole numbers without a decimal point.
Json figure(double value) {
    if (value == std::floor(value) && std::fabs(value) < 1e15)
        return static_cast<std::int64_t>(value);
    return value;
}

Json invoiceJson(const Invoice& invoice) {
    return {{"kwh", figure(invoice.kwh)},
            {"max_demand_kw", figure(invoice.maxDemandKw)},
            {"power_factor", figure(invoice.powerFactor)},
            {"amount", invoice.amount}};
}

Json differenceJson(const InvoiceCheck& check) {
    Json percent = nullptr;
    if (check.differencePercent)
        percent = std::round(*check.differencePercent * 100) / 100;
    return {{"yen", check.differenceYen}, {"percent", percent}, {"over_1_percent", check.off}};
}

// What `bill` and `compare --tariffs` start from: the months asked for, the site chosen and its
// figures checked, its dated data and the first month. Nothing, with the exit status in
// `status`, when any of them cannot be had.
struct BilledSite {
    int months = 12;
    const SiteRecord* record = nullptr;
    SiteData data;
    YearMonth first;
};

std::optional<BilledSite> billedSite(CliContext& ctx, const Args& args, int& status) {
    status = 1;
    const std::optional<int> months = wholeOption(ctx, args, "months", 12, 1, kMaxBillMonths);
    if (!months || !selectSite(ctx, args))
        return std::nullopt;
    const SiteRecord& record = currentRecord(ctx.state);
    if (const std::string problem = registry::siteFiguresProblem(record); !problem.empty()) {
        ctx.err << problem << "\n";
        status = 2;
        return std::nullopt;
    }
    std::optional<SiteData> data = siteData(ctx, args);
    if (!data)
        return std::nullopt;
    const std::optional<YearMonth> first = firstMonth(ctx, args, *data, *months);
    if (!first)
        return std::nullopt;
    return BilledSite{*months, &record, std::move(*data), *first};
}

int billCommand(CliContext& ctx, const Args& args) {
    const std::optional<std::string> tariffArg = args.get("tariff");
    if (!tariffArg) {
        ctx.err << "--tariff に料金表のファイル（料金表フォルダーのファイル名かパス）を指定してください。\n";
        return 1;
    }
    int status = 1;
    const std::optional<BilledSite> billed = billedSite(ctx, args, status);
    if (!billed)
        return status;
    const SiteRecord& record = *billed->record;
    const SiteData& data = billed->data;
    const int months = billed->months;
    const YearMonth first = billed->first;
    const std::string path = tariffPath(ctx.state, *tariffArg);
    Result<Tariff> tariff = readTariffFile(path);
    if (!tariff) {
        ctx.err << tariff.error().message << "\n";
        return 1;
    }
    const std::optional<Reference> ref = reference(ctx);
    if (!ref)
        return 1;

    BillRequest request;
    request.intervals = data.intervals;
    request.daysWithoutReadings = data.daysWithoutReadings;
    request.contractKw = val(record[3]);
    request.powerFactor = val(record[4]);
    request.holidays = &ref->holidays;
    request.tariff = &*tariff;
    request.tables = &ref->tables;
    request.first = first;
    request.months = months;
    Result<BillResult> bill = priceMonths(request);
    if (!bill) {
        ctx.err << bill.error().message << "\n";
        return 1;
    }
    InvoiceFileRead invoices = readInvoiceFile(siteInvoiceFilePath(ctx.state.AppDir, record[0]));
    if (invoices.state == MeterFileState::Damaged)
        ctx.err << invoices.message << "\n";

    if (args.has("json")) {
        Json out = billJson({record[1], tariff->name, fileName(path)}, request, *bill);
        for (std::size_t k = 0; k < bill->months.size(); ++k) {
            const MonthBill& m = bill->months[k];
            const Invoice* invoice = findInvoice(invoices.invoices, m.month.year, m.month.month);
            if (!invoice)
                continue;
            out["months"][k]["invoice"] = invoiceJson(*invoice);
            if (!m.noData)
                out["months"][k]["difference"] = differenceJson(checkAgainstInvoice(m.bill, *invoice));
        }
        ctx.out << dumped(out);
        return 0;
    }
    ctx.out << "物件　" << record[1] << "　契約電力 " << record[3] << " kW　力率 " << record[4] << " ％\n"
            << "料金表　" << tariff->name << "（" << fileName(path) << "）\n"
            << "月\tkWh\t最大需要 kW\t契約 kW\t電気料金\t賦課金\t請求額\t請求書\t差\n";
    for (const MonthBill& m : bill->months) {
        ctx.out << yearMonthText(m.month) << "\t";
        if (m.noData) {
            ctx.out << "データなし\n";
            continue;
        }
        ctx.out << m.kwh << "\t" << m.maxDemandKw << "\t" << m.contractKw << "\t" << groupedYen(m.charge)
                << "\t" << groupedYen(m.levy) << "\t" << groupedYen(m.bill);
        if (const Invoice* invoice = findInvoice(invoices.invoices, m.month.year, m.month.month)) {
            const InvoiceCheck check = checkAgainstInvoice(m.bill, *invoice);
            ctx.out << "\t" << groupedYen(invoice->amount) << "\t" << groupedYen(check.differenceYen);
            if (check.differencePercent) {
                std::ostringstream percent;
                percent << std::fixed << std::setprecision(2) << *check.differencePercent;
                ctx.out << "（" << percent.str() << " ％）";
            }
            if (check.off)
                ctx.out << " ※";
        }
        ctx.out << "\n";
        for (const std::string& note : m.notes)
            ctx.out << "\t" << note << "\n";
    }
    ctx.out << "合計\t" << bill->total.kwh << "\t" << bill->total.maxDemandKw << "\t"
            << bill->total.contractKw << "\t" << groupedYen(bill->total.charge) << "\t"
            << groupedYen(bill->total.levy) << "\t" << groupedYen(bill->total.bill) << "\t（"
            << bill->total.monthsBilled << " か月）\n";
    return 0;
}

// ---- invoice ----

int invoiceCommand(CliContext& ctx, const Args& args) {
    Invoice invoice;
    const std::optional<std::string> month = args.get("month");
    if (!month || !parseMonthText(*month, invoice.year, invoice.month)) {
        ctx.err << "--month には請求の対象月を YYYY-MM で指定してください。\n";
        return 1;
    }
    const std::pair<const char*, double*> numbers[] = {
        {"kwh", &invoice.kwh}, {"max-demand", &invoice.maxDemandKw}, {"power-factor", &invoice.powerFactor}};
    for (const auto& [name, target] : numbers) {
        const std::optional<std::string> text = args.get(name);
        const std::optional<double> value = text ? plainNumber(*text) : std::nullopt;
        if (!value) {
            ctx.err << "--" << name << " に数値を指定してください。\n";
            return 1;
        }
        *target = *value;
    }
    const std::optional<std::string> amountText = args.get("amount");
    const std::optional<double> amount = amountText ? plainNumber(*amountText) : std::nullopt;
    if (!amount || *amount != std::floor(*amount) || *amount > kMaxInvoiceAmount) {
        ctx.err << "--amount に請求額（円、整数）を指定してください。\n";
        return 1;
    }
    invoice.amount = static_cast<long long>(*amount);
    if (const std::string problem = invoiceProblem(invoice); !problem.empty()) {
        ctx.err << problem << "\n";
        return 2;
    }
    if (!lockWorkingFolder(ctx) || !selectSite(ctx, args))
        return 1;
    const std::string path = siteInvoiceFilePath(ctx.state.AppDir, currentRecord(ctx.state)[0]);
    if (Status saved = recordInvoice(path, invoice); !saved) {
        ctx.err << saved.error().message << "\n";
        return 1;
    }
    ctx.out << invoiceMonthText(invoice) << " の請求書を記録しました: " << path << "\n";
    return 0;
}

CommandRegistrar intervalsEntry("intervals",
                                {"intervals --site ROW [--json]   メーターデータの期間と月別の区間数",
                                 intervalsCommand,
                                 {"json"}});
CommandRegistrar billEntry("bill",
                           {"bill --site ROW --tariff FILE [--from YYYY-MM] [--months N] [--book-year YYYY] "
                            "[--json]   料金表による月別請求額",
                            billCommand,
                            {"json"}});
CommandRegistrar invoiceEntry("invoice",
                              {"invoice --site ROW --month YYYY-MM --kwh K --max-demand D --power-factor P "
                               "--amount Y   請求書の記録",
                               invoiceCommand,
                               {}});

} // namespace

namespace wattorio::cli {

int compareTariffFiles(CliContext& ctx, const Args& args) {
    int status = 1;
    const std::optional<BilledSite> billed = billedSite(ctx, args, status);
    if (!billed)
        return status;
    const SiteRecord& record = *billed->record;
    const SiteData& data = billed->data;
    const int months = billed->months;
    const YearMonth first = billed->first;
    const std::optional<Reference> ref = reference(ctx);
    if (!ref)
        return 1;
    const std::vector<TariffFolderEntry> entries = loadTariffFolder(tariffFolderPath(ctx.state.AppDir));
    const TariffRanking ranking =
        rankTariffs(rankingSite(record, data), entries, ref->tables, &ref->holidays, first, months);
    if (args.has("json")) {
        Json out = {{"site", record[1]}, {"from", yearMonthText(ranking.from)}, {"months", ranking.months}};
        out.update(rankingJson(ranking));
        ctx.out << dumped(out);
    } else {
        ctx.out << "物件　" << record[1] << "　" << yearMonthText(ranking.from) << " から " << ranking.months
                << " か月\n";
        printRanking(ctx.out, ranking);
    }
    if (ranking.tariffs.empty()) {
        ctx.err << "この物件で計算できる料金表がありません（" << tariffFolderPath(ctx.state.AppDir)
                << "）。\n";
        return 1;
    }
    return 0;
}

int compareSitesTariffFiles(CliContext& ctx, const Args& args) {
    const std::optional<int> months = wholeOption(ctx, args, "months", 12, 1, kMaxBillMonths);
    if (!months)
        return 1;
    std::optional<YearMonth> from;
    if (const std::optional<std::string> text = args.get("from")) {
        from = parseYearMonth(*text);
        if (!from) {
            ctx.err << "--from には " << kFirstYear << "～" << kLastYear
                    << " 年の YYYY-MM を指定してください。\n";
            return 1;
        }
    }
    AppState& s = ctx.state;
    registry::MenuForm form(s);
    if (std::optional<Message> problem = form.startUp(s.AppDir))
        ctx.err << problem->text << "\n";
    const std::optional<Reference> ref = reference(ctx);
    if (!ref)
        return 1;
    const std::vector<TariffFolderEntry> entries = loadTariffFolder(tariffFolderPath(s.AppDir));
    // Each site is read and ranked on its own (in parallel), then listed in registry order.
    struct SiteResult {
        int row = 0;
        bool hasData = false; // a meter file with intervals, or a damaged one
        bool ranked = false;
        TariffRanking ranking;
    };
    std::vector<SiteResult> results;
    for (int row = 1; row < static_cast<int>(form.nextSiteRow()); ++row)
        if (form.hasSite(static_cast<float>(row)))
            results.push_back({row, false, false, {}});
    forEachInParallel(results.size(), [&](std::size_t k) {
        SiteResult& result = results[k];
        const SiteRecord& record = s.SiteTable[static_cast<std::size_t>(result.row)];
        const std::string path = siteMeterFilePath(s.AppDir, record[0]);
        MeterFileRead read = readMeterFile(path);
        result.hasData = read.state == MeterFileState::Damaged || !read.intervals.empty();
        if (!result.hasData)
            return;
        if (read.state == MeterFileState::Damaged) {
            result.ranking.problems.push_back({fileName(path), read.message});
        } else if (const std::string problem = registry::siteFiguresProblem(record); !problem.empty()) {
            result.ranking.problems.push_back({fileName(path), problem});
        } else {
            SiteData data;
            data.intervals = std::move(read.intervals);
            const YearMonth first = from ? *from : *defaultFirstMonth(data.intervals, *months);
            result.ranking =
                rankTariffs(rankingSite(record, data), entries, ref->tables, &ref->holidays, first, *months);
            result.ranked = true;
        }
    });
    const bool json = args.has("json");
    Json out = Json::array();
    bool priced = false;
    for (const SiteResult& result : results) {
        if (!result.hasData)
            continue;
        const SiteRecord& record = s.SiteTable[static_cast<std::size_t>(result.row)];
        const TariffRanking& ranking = result.ranking;
        priced = priced || !ranking.tariffs.empty();
        if (!json) {
            ctx.out << result.row << "\t" << record[1] << "\n";
            printRanking(ctx.out, ranking);
            continue;
        }
        Json site = {{"row", result.row}, {"site", record[1]}};
        if (result.ranked) {
            site["from"] = yearMonthText(ranking.from);
            site["months"] = ranking.months;
        }
        site.update(rankingJson(ranking));
        out.push_back(std::move(site));
    }
    if (json)
        ctx.out << dumped(out);
    if (!priced) {
        ctx.err << "料金表で計算できた物件がありません。\n";
        return 1;
    }
    return 0;
}

} // namespace wattorio::cli
