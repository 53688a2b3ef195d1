// compare, price: a site's year priced under the tariff menus, as the results window prices it.

#include "app/display_format.h"
#include "app/numtext.h"
#include "calc/aggregation.h"
#include "calc/comparison.h"
#include "calc/total_form.h"
#include "cli/cmd_bill.h"
#include "cli/command_registry.h"
#include "registry/menu_form.h"
#include "registry/registry.h"
#include "reports/analysis.h"
#include "reports/site_comparison.h"
#include "tariffs/user_menus.h"
#include "tenday/ten_day_file.h"
#include "tenday/ten_day_totals.h"
#include "yearbook/year_book_file.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <sstream>
#include <vector>

using namespace wattorio;
using namespace wattorio::cli;

namespace {

// The command line answers the Saturday question with OK: the calendar is the user's business
// and the question is only a reminder.
class AnswerOk : public Prompter {
public:
    Answer show(const Message&) override { return Answer::Ok; }
};

struct Priced {
    std::unique_ptr<calc::TotalForm> form;
    const tariffs::TariffMenu* menu = nullptr;
    int rank = 0; // place in the comparison's ranking; 0 for a single menu
};

using Json = nlohmann::ordered_json;

// A figure as the JSON shows it: whole values as integers, null for a figure that is not a number.
Json num(double value) {
    if (!std::isfinite(value))
        return nullptr;
    if (value == std::floor(value) && std::fabs(value) < 1e15)
        return static_cast<std::int64_t>(value);
    return value;
}

template <class Array> Json numbers(const Array& values) {
    Json out = Json::array();
    for (const auto& v : values)
        out.push_back(num(static_cast<double>(v)));
    return out;
}

template <class Table> Json table(const Table& rows) {
    Json out = Json::array();
    for (const auto& row : rows)
        out.push_back(numbers(row));
    return out;
}

// One line of output; texts that are not UTF-8 are replaced rather than refused.
std::string dumped(const Json& j) {
    return j.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

Json siteJson(const AppState& state) {
    const int row = static_cast<int>(state.SiteRow);
    const SiteRecord& s = state.SiteTable[static_cast<std::size_t>(row)];
    return {{"row", row},
            {"serial", s[0]},
            {"name", s[1]},
            {"multiplier", s[2]},
            {"contract", s[3]},
            {"power_factor", s[4]},
            {"utility", num(val(s[5]))}};
}

// The tax-inclusive amount every ranking compares and how it was reached.
void addTax(Json& j, const calc::TaxedAmount& tax) {
    j["TaxBasis"] = std::string(calc::taxBasisName(tax.basis));
    j["TaxPercent"] = num(tax.percent);
    j["AmountWithTax"] = num(tax.amount);
}

// The figures of a priced menu, from its kWh per line to the rate panel's texts.
void addPriced(Json& j, const calc::TotalForm& f, const calc::TaxedAmount& tax) {
    double priced = 0;
    for (int k = 1; k <= 5; ++k)
        priced += f.LineKwh()[static_cast<std::size_t>(k)];
    const double year = calc::yearKwh(f.SeasonTotal());
    j["LineKwh"] = numbers(f.LineKwh());
    j["PricedKwh"] = num(priced);
    j["YearKwh"] = num(year);
    j["Partial"] = calc::isPartialYear(priced, year);
    j["LineCharge"] = numbers(f.LineCharge());
    j["Total"] = num(f.total());
    j["TotalWithTax"] = num(f.totalWithTax());
    addTax(j, tax);
    Json panel = Json::object();
    for (std::string_view name : calc::TotalForm::panelControlNames())
        panel[std::string(name)] = f.text(name);
    j["panel"] = std::move(panel);
}

// One priced menu as the results form shows it, with its place in the ranking when it has one.
Json menuJson(const Priced& p, int rank = 0) {
    const calc::TotalForm& f = *p.form;
    const tariffs::TariffMenu& m = *p.menu;
    Json j = Json::object();
    if (rank > 0)
        j["rank"] = rank;
    j["source"] = std::string(calc::menuSourceName(calc::MenuSource::Catalog));
    j["list"] = m.list;
    j["index"] = m.index;
    j["utility"] = m.utility;
    j["category"] = std::string(tariffs::categoryName(m.category));
    j["voltage"] = m.voltageRow;
    j["item"] = std::string(m.itemText);
    j["caption"] = f.text("Label21");
    j["formula"] = std::string(tariffs::formulaName(m.formula));
    addPriced(j, f, calc::taxedAmount(m, f.total()));
    return j;
}

// Selects the site, refuses one without a utility, loads its book and aggregates it. Returns an
// exit status, or -1 when the site is ready to be priced.
int prepare(CliContext& ctx, const Args& given, bool& tenDay) {
    Args args = given;
    if (given.has("site")) {
        // The row is a number like any other option: "１" is 1, "abc" is refused.
        const std::optional<double> row = numberOption(ctx, given, "site");
        if (!row)
            return 2;
        args.options["site"] = {halfWidthNumber(*given.get("site"))};
    }
    if (!selectSite(ctx, args))
        return 1;
    if (std::optional<Message> refusal = calc::pricingRefusal(ctx.state)) {
        ctx.err << refusal->text << "\n";
        return 2;
    }
    const std::string book = args.get("book").value_or("year");
    if (book != "year" && book != "tenday") {
        ctx.err << "--book には year か tenday を指定してください。\n";
        return 1;
    }
    tenDay = book == "tenday";
    AppState& state = ctx.state;
    const std::string serial = state.SiteTable[static_cast<std::size_t>(state.SiteRow)][0];
    state.SiteDataPath = registry::Fail_Name_Set(state.AppDir, serial, tenDay ? 2 : 1);
    if (tenDay) {
        if (Status loaded = tenday::loadTenDayBook(state, state.SiteDataPath); !loaded) {
            ctx.err << loaded.error().message << "\n";
            return 1;
        }
        if (std::string problem = calc::readingsProblem(state); !problem.empty()) {
            ctx.err << problem << "\n";
            return 2;
        }
        tenday::Yer_Total(state);
        return -1;
    }
    if (const int status = loadYearBookToPrice(ctx); status >= 0)
        return status;
    if (std::string problem = calc::readingsProblem(state); !problem.empty()) {
        ctx.err << problem << "\n";
        return 2;
    }
    calc::runMonthTotals(state);
    reports::Demd(state);
    reports::Heikin(state);
    return -1;
}

void printJson(CliContext& ctx, const calc::SeasonTable& season, Json menus, bool tenDay) {
    const AppState& s = ctx.state;
    Json out = {{"site", siteJson(s)},
                {"MonthTotalA", table(s.MonthTotalA)},
                {"MonthTotalB", table(s.MonthTotalB)},
                {"SeasonTotal", table(season)}};
    if (!tenDay) {
        out["PeakDemand"] = numbers(s.PeakDemand);
        out["PeakDemandDay"] = numbers(s.PeakDemandDay);
        out["PeakDemandHour"] = numbers(s.PeakDemandHour);
        out["HourAverage"] = numbers(s.HourAverage);
    }
    out["menus"] = std::move(menus);
    ctx.out << dumped(out);
}

void printHeading(CliContext& ctx, const calc::TotalForm& form) {
    const AppState& s = ctx.state;
    const SiteRecord& site = s.SiteTable[static_cast<std::size_t>(s.SiteRow)];
    ctx.out << "物件　" << site[1] << "（" << s.currentUtilityName() << "）　契約電力 " << site[3]
            << " kW　力率 " << site[4] << " ％\n";
    double year = 0;
    for (int r = 1; r <= 4; ++r)
        year += form.SeasonTotal()[4][r];
    const std::string digits = groupedDigits(year);
    ctx.out << "年間使用量　" << (digits.empty() ? "0" : digits) << " kWh\n\n";
}

void printPanelLines(CliContext& ctx, const calc::TotalForm& f);

void printPanel(CliContext& ctx, const Priced& p) {
    const calc::TotalForm& f = *p.form;
    printHeading(ctx, f);
    ctx.out << "料金メニュー　" << f.text("Label21") << "（" << kUtilityNames[p.menu->utility - 1]
            << "　Combo" << p.menu->list << " " << p.menu->index << "）\n";
    printPanelLines(ctx, f);
}

void printPanelLines(CliContext& ctx, const calc::TotalForm& f) {
    struct Line {
        const char *caption, *kwh, *rate, *charge;
    } lines[] = {{"Label17", "Label18", "Text5", "Label19"}, {"Label5", "Label1", "Text1", "Label13"},
                 {"Label6", "Label2", "Text2", "Label14"},   {"Label7", "Label3", "Text3", "Label15"},
                 {"Label8", "Label4", "Text4", "Label16"},   {"Label58", "Label59", "Text6", "Label60"}};
    for (const Line& l : lines) {
        if (!f.visible(l.rate))
            continue;
        ctx.out << f.text(l.caption) << "\t" << f.text(l.kwh) << "\t" << f.text(l.rate) << "\t"
                << f.text(l.charge) << "\n";
    }
    ctx.out << "合　計\t" << f.text("Label9") << "\t\t" << f.text("Label20") << "\n"
            << f.text("Label11") << "\n";
}

// The menus --utility / --all-utilities, --category and --voltage take: 0, or the exit status
// with a message for a value the comparison window does not offer (2 for a text that is no number).
int menuFilter(CliContext& ctx, const Args& args, calc::MenuFilter& filter) {
    if (args.has("all-utilities")) {
        filter.utility = 0;
    } else {
        const std::optional<double> u = numberOption(ctx, args, "utility", ctx.state.UtilityNo);
        if (!u)
            return 2;
        if (!(*u >= 1 && *u <= 9) || *u != std::floor(*u)) {
            ctx.err << "--utility には 1 から 9 を指定してください。\n";
            return 1;
        }
        filter.utility = static_cast<int>(*u);
    }
    if (const std::optional<std::string> category = args.get("category")) {
        if (*category == "office")
            filter.category = tariffs::Category::Office;
        else if (*category == "factory")
            filter.category = tariffs::Category::Factory;
        else {
            ctx.err << "--category には office（事務所・ビル・店舗）か factory（工場）を指定してください。\n";
            return 1;
        }
    }
    if (args.has("voltage")) {
        const std::optional<double> voltage = numberOption(ctx, args, "voltage");
        if (!voltage)
            return 2;
        if (*voltage != 1 && *voltage != 2 && *voltage != 3) {
            ctx.err << "--voltage には 1（①）から 3（③）を指定してください。\n";
            return 1;
        }
        filter.voltage = static_cast<int>(*voltage);
    }
    return 0;
}

Json userMenuJson(const calc::TotalForm& f, const tariffs::UserMenu& m, int rank = 0) {
    Json j = Json::object();
    if (rank > 0)
        j["rank"] = rank;
    j["source"] = "user";
    j["line"] = m.line;
    j["utility"] = m.utility;
    j["item"] = m.name;
    j["category"] = std::string(tariffs::categoryName(m.category));
    j["voltage"] = m.voltageRow;
    j["caption"] = f.text("Label21");
    j["formula"] = std::string(tariffs::formulaName(m.formula));
    j["TaxPercent"] = num(m.taxPercent);
    j["FuelAdjustment"] = num(m.fuelAdjustment);
    j["RenewableLevy"] = num(m.renewableLevy);
    addPriced(j, f, calc::taxedAmount(m, f.total()));
    return j;
}

// Every ranked menu applied on a results form of its own (built on `base`), as compare --json lists it.
Json rankedMenusJson(const calc::TotalForm& base, const std::vector<calc::RankedMenu>& ranking) {
    AnswerOk ok;
    Json out = Json::array();
    for (const calc::RankedMenu& r : ranking) {
        if (r.user) {
            calc::TotalForm form(base);
            form.setUserMenus({*r.user});
            form.ApplyUserMenu(0);
            out.push_back(userMenuJson(form, *r.user, r.rank));
        } else {
            Priced p{std::make_unique<calc::TotalForm>(base), r.menu, r.rank};
            p.form->ApplyTariffMenu(r.menu->list, r.menu->index, ok);
            out.push_back(menuJson(p, r.rank));
        }
    }
    return out;
}

int compare(CliContext& ctx, const Args& args) {
    if (args.has("tariffs"))
        return compareTariffFiles(ctx, args);
    bool tenDay = false;
    if (const int status = prepare(ctx, args, tenDay); status >= 0)
        return status;
    calc::MenuFilter filter;
    if (const int status = menuFilter(ctx, args, filter); status != 0)
        return status;
    const std::vector<tariffs::UserMenu> userMenus = readUserMenus(ctx);
    calc::TotalForm base(ctx.state);
    base.Form_Load();
    // The comparison window's ranking, the user's own menus among the catalog's; each menu then
    // applied on a results form of its own.
    const std::vector<calc::RankedMenu> ranking =
        calc::rankMenus(calc::comparisonInput(base, ctx.state), filter, userMenus);
    if (!args.has("json")) {
        printHeading(ctx, base);
        ctx.out << calc::rankingTable(ranking);
        return 0;
    }
    printJson(ctx, base.SeasonTotal(), rankedMenusJson(base, ranking), tenDay);
    return 0;
}

Json rankedJson(const calc::RankedMenu* r) {
    if (!r)
        return nullptr;
    Json j = {{"source", std::string(calc::menuSourceName(r->source))}};
    if (r->user)
        j["line"] = r->line;
    else {
        j["list"] = r->menu->list;
        j["index"] = r->menu->index;
    }
    j["item"] = r->item;
    j["Total"] = num(r->total);
    j["TotalWithTax"] = num(r->totalWithTax);
    addTax(j, r->tax);
    return j;
}

// compare-sites: every registered site under the menus it can sign (reads only).
int compareSites(CliContext& ctx, const Args& args) {
    if (args.has("tariffs"))
        return compareSitesTariffFiles(ctx, args);
    registry::MenuForm form(ctx.state);
    if (std::optional<Message> problem = form.startUp(ctx.state.AppDir))
        ctx.err << problem->text << "\n";
    const std::vector<tariffs::UserMenu> userMenus = readUserMenus(ctx);
    const bool json = args.has("json");
    std::map<int, Json> menus; // registry row -> its menus as compare --json
    reports::SiteVisitor visit;
    if (json)
        visit = [&](AppState& work, const reports::SiteComparison& site) {
            if (site.book == reports::SiteBook::Year) {
                reports::Demd(work);
                reports::Heikin(work);
            }
            calc::TotalForm base(work);
            base.Form_Load();
            menus[site.row] = rankedMenusJson(base, site.menus);
        };
    const std::vector<reports::SiteComparison> sites = reports::compareSites(
        ctx.state, static_cast<int>(form.nextSiteRow()) - 1, userMenus, {}, nullptr, visit);
    if (!json) {
        ctx.out << reports::siteComparisonTable(sites);
        return 0;
    }
    Json out = Json::array();
    for (const reports::SiteComparison& s : sites) {
        Json j = {{"row", s.row},
                  {"serial", s.serial},
                  {"name", s.name},
                  {"utility", s.utility},
                  {"book", std::string(reports::siteBookName(s.book))},
                  {"YearKwh", num(s.yearKwh)}};
        // Which menus were ranked: those the site can sign, or every menu of its utility.
        if (s.reason.empty()) {
            j["facts"] = s.factsSet ? "set" : "unset";
            if (s.factsSet) {
                j["category"] = std::string(tariffs::categoryName(*s.filter.category));
                j["voltage"] = s.filter.voltage;
            } else {
                j["note"] = calc::kFactsUnsetNote;
            }
        }
        j["best"] = rankedJson(s.best());
        j["second"] = rankedJson(s.second());
        j["difference"] = num(s.difference());
        if (!s.reason.empty())
            j["reason"] = s.reason;
        const auto it = menus.find(s.row);
        j["menus"] = it == menus.end() ? Json::array() : it->second;
        out.push_back(std::move(j));
    }
    ctx.out << dumped(out);
    return 0;
}

// price --menu user:LINE: the user menu on line LINE of User_Menus.csv.
int priceUserMenu(CliContext& ctx, const Args& args, const std::string& menuText,
                  const std::vector<std::pair<std::string, std::string>>& rates) {
    const std::vector<tariffs::UserMenu> menus = readUserMenus(ctx);
    const tariffs::UserMenu* found = findUserMenu(ctx, menus, menuText);
    if (!found)
        return 1;
    bool tenDay = false;
    if (const int status = prepare(ctx, args, tenDay); status >= 0)
        return status;
    calc::TotalForm form(ctx.state);
    form.Form_Load();
    form.setUserMenus({*found});
    form.ApplyUserMenu(0);
    for (const auto& [box, text] : rates)
        form.setText(box, text);
    form.Command10_Click();
    const tariffs::UserMenu& m = *form.currentUserMenu();
    if (args.has("json")) {
        Json out = {{"site", siteJson(ctx.state)},
                    {"SeasonTotal", table(form.SeasonTotal())},
                    {"menus", Json::array({userMenuJson(form, m)})}};
        ctx.out << dumped(out);
        return 0;
    }
    printHeading(ctx, form);
    ctx.out << "料金メニュー　" << form.text("Label21") << "（自由メニュー　" << kUtilityNames[m.utility - 1]
            << "　User_Menus.csv " << m.line << " 行目）\n";
    printPanelLines(ctx, form);
    return 0;
}

int price(CliContext& ctx, const Args& args) {
    const std::string menuText = args.get("menu").value_or("");
    const tariffs::TariffMenu* menu = catalogMenuOption(menuText);
    const bool userMenu = menuText.rfind("user:", 0) == 0;
    if (!userMenu && !menu) {
        ctx.err << kMenuOptionRefusal << "\n";
        return 1;
    }
    std::vector<std::pair<std::string, std::string>> rates;
    for (const std::string& r : args.all("rate")) {
        const auto eq = r.find('=');
        const std::string box = r.substr(0, eq);
        if (eq == std::string::npos || box.size() != 5 || box.rfind("Text", 0) != 0 || box[4] < '1' ||
            box[4] > '6') {
            ctx.err << "--rate TextN=VALUE（N は 1 から 6）: " << r << "\n";
            return 1;
        }
        // A rate is a number: a text would be priced as 0 without a word.
        const std::string value = r.substr(eq + 1);
        if (!optionNumber(value)) {
            ctx.err << "--rate " << box << " には数値を指定してください: " << value << "\n";
            return 2;
        }
        rates.emplace_back(box, halfWidthNumber(value));
    }
    if (userMenu)
        return priceUserMenu(ctx, args, menuText, rates);
    bool tenDay = false;
    if (const int status = prepare(ctx, args, tenDay); status >= 0)
        return status;
    Priced p{std::make_unique<calc::TotalForm>(ctx.state), menu};
    p.form->Form_Load();
    AnswerOk ok;
    p.form->ApplyTariffMenu(menu->list, menu->index, ok);
    for (const auto& [box, text] : rates)
        p.form->setText(box, text);
    p.form->Command10_Click();
    if (args.has("json"))
        printJson(ctx, p.form->SeasonTotal(), Json::array({menuJson(p)}), tenDay);
    else
        printPanel(ctx, p);
    return 0;
}

CommandRegistrar compareCommand(
    "compare",
    {"compare --site ROW [--book year|tenday] [--utility U | --all-utilities] [--category office|factory] "
     "[--voltage N] [--tariffs] [--json]  料金メニューの比較（--tariffs は料金表ファイル）",
     compare,
     {"json", "all-utilities", "tariffs"}});
CommandRegistrar
    compareSitesCommand("compare-sites",
                        {"compare-sites [--tariffs] [--json]  全物件の比較（各物件が契約できるメニュー）",
                         compareSites,
                         {"json", "tariffs"}});
CommandRegistrar priceCommand("price",
                              {"price --site ROW --menu LIST:INDEX|user:LINE [--book year|tenday] [--rate "
                               "TextN=VALUE ...] [--json]  一つの料金メニュー",
                               price,
                               {"json"}});

} // namespace
