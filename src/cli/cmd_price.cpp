// compare, price: a site's year priced under the tariff menus, as the results window prices it.

#include "app/display_format.h"
#include "app/numtext.h"
#include "calc/aggregation.h"
#include "calc/comparison.h"
#include "calc/total_form.h"
#include "cli/command_registry.h"
#include "registry/menu_form.h"
#include "registry/registry.h"
#include "reports/analysis.h"
#include "reports/site_comparison.h"
#include "tariffs/user_menus.h"
#include "tenday/ten_day_file.h"
#include "tenday/ten_day_totals.h"
#include "yearbook/year_book_file.h"

#include <algorithm>
#include <cmath>
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

template <class Array> std::string jsonArray(const Array& values) {
    std::string out = "[";
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i)
            out += ", ";
        out += jsonNumber(static_cast<double>(values[i]));
    }
    return out + "]";
}

template <class Table> std::string jsonTable(const Table& rows) {
    std::string out = "[";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i)
            out += ", ";
        out += jsonArray(rows[i]);
    }
    return out + "]";
}

std::string siteJson(const AppState& state) {
    const int row = static_cast<int>(state.SiteRow);
    const SiteRecord& s = state.SiteTable[static_cast<std::size_t>(row)];
    return "{\"row\": " + std::to_string(row) + ", \"serial\": " + jsonString(s[0]) +
           ", \"name\": " + jsonString(s[1]) + ", \"multiplier\": " + jsonString(s[2]) +
           ", \"contract\": " + jsonString(s[3]) + ", \"power_factor\": " + jsonString(s[4]) +
           ", \"utility\": " + jsonNumber(val(s[5])) + "}";
}

// The figures of a priced menu, from its kWh per line to the rate panel's texts, closing the object.
std::string pricedJson(const calc::TotalForm& f) {
    double priced = 0;
    for (int k = 1; k <= 5; ++k)
        priced += f.LineKwh()[static_cast<std::size_t>(k)];
    const double year = calc::yearKwh(f.SeasonTotal());
    std::string out = ", \"LineKwh\": " + jsonArray(f.LineKwh()) + ", \"PricedKwh\": " + jsonNumber(priced) +
                      ", \"YearKwh\": " + jsonNumber(year) +
                      ", \"Partial\": " + (calc::isPartialYear(priced, year) ? "true" : "false") +
                      ", \"LineCharge\": " + jsonArray(f.LineCharge()) +
                      ", \"Total\": " + jsonNumber(f.total()) +
                      ", \"TotalWithTax\": " + jsonNumber(f.totalWithTax()) + ", \"panel\": {";
    bool first = true;
    for (std::string_view name : calc::TotalForm::panelControlNames()) {
        out += first ? "" : ", ";
        first = false;
        out += jsonString(std::string(name)) + ": " + jsonString(f.text(name));
    }
    return out + "}}";
}

// One priced menu as the results form shows it, with its place in the ranking when it has one.
std::string menuJson(const Priced& p, int rank = 0) {
    const calc::TotalForm& f = *p.form;
    const tariffs::TariffMenu& m = *p.menu;
    std::string out = "{";
    if (rank > 0)
        out += "\"rank\": " + std::to_string(rank) + ", ";
    out += "\"source\": " + jsonString(std::string(calc::menuSourceName(calc::MenuSource::Catalog))) +
           ", \"list\": " + std::to_string(m.list) + ", \"index\": " + std::to_string(m.index) +
           ", \"utility\": " + std::to_string(m.utility) +
           ", \"category\": " + jsonString(std::string(tariffs::categoryName(m.category))) +
           ", \"voltage\": " + std::to_string(m.voltageRow) +
           ", \"item\": " + jsonString(std::string(m.itemText)) +
           ", \"caption\": " + jsonString(f.text("Label21")) +
           ", \"formula\": " + jsonString(std::string(tariffs::formulaName(m.formula))) + pricedJson(f);
    return out;
}

// Selects the site, refuses one without a utility, loads its book and aggregates it. Returns an
// exit status, or -1 when the site is ready to be priced.
int prepare(CliContext& ctx, const Args& args, bool& tenDay) {
    if (!selectSite(ctx, args))
        return 1;
    if (std::optional<Message> refusal = calc::utilityRefusal(ctx.state)) {
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
        tenday::Yer_Total(state);
        return -1;
    }
    yearbook::BookFileState outcome = yearbook::BookFileState::Read;
    if (Status loaded = yearbook::loadYearBook(state, state.SiteDataPath, &outcome); !loaded) {
        if (outcome != yearbook::BookFileState::Missing) {
            ctx.err << loaded.error().message << "\n";
            return 1;
        }
        yearbook::newYearBook(state); // a site without a book yet: an empty year
        ctx.err << "年間データがありません。空の一年として計算します。\n";
    }
    calc::runMonthTotals(state);
    reports::Demd(state);
    reports::Heikin(state);
    return -1;
}

void printJson(CliContext& ctx, const calc::SeasonTable& season, const std::vector<std::string>& menus,
               bool tenDay) {
    const AppState& s = ctx.state;
    std::string out = "{\"site\": " + siteJson(s);
    out += ",\n \"MonthTotalA\": " + jsonTable(s.MonthTotalA);
    out += ",\n \"MonthTotalB\": " + jsonTable(s.MonthTotalB);
    out += ",\n \"SeasonTotal\": " + jsonTable(season);
    if (!tenDay) {
        out += ",\n \"PeakDemand\": " + jsonArray(s.PeakDemand);
        out += ",\n \"PeakDemandDay\": " + jsonArray(s.PeakDemandDay);
        out += ",\n \"PeakDemandHour\": " + jsonArray(s.PeakDemandHour);
        out += ",\n \"HourAverage\": " + jsonArray(s.HourAverage);
    }
    out += ",\n \"menus\": [";
    for (std::size_t i = 0; i < menus.size(); ++i)
        out += (i ? ",\n  " : "\n  ") + menus[i];
    out += menus.empty() ? "]}\n" : "\n ]}\n";
    ctx.out << out;
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

// The menus --utility / --all-utilities, --category and --voltage take; false with a message for
// a value the comparison window does not offer.
bool menuFilter(CliContext& ctx, const Args& args, calc::MenuFilter& filter) {
    if (args.has("all-utilities")) {
        filter.utility = 0;
    } else {
        const double u = args.has("utility") ? val(args.get("utility").value_or("")) : ctx.state.UtilityNo;
        if (!(u >= 1 && u <= 9) || u != std::floor(u)) {
            ctx.err << "--utility には 1 から 9 を指定してください。\n";
            return false;
        }
        filter.utility = static_cast<int>(u);
    }
    if (const std::optional<std::string> category = args.get("category")) {
        if (*category == "office")
            filter.category = tariffs::Category::Office;
        else if (*category == "factory")
            filter.category = tariffs::Category::Factory;
        else {
            ctx.err << "--category には office（事務所・ビル・店舗）か factory（工場）を指定してください。\n";
            return false;
        }
    }
    if (const std::optional<std::string> voltage = args.get("voltage")) {
        if (*voltage != "1" && *voltage != "2" && *voltage != "3") {
            ctx.err << "--voltage には 1（①）から 3（③）を指定してください。\n";
            return false;
        }
        filter.voltage = (*voltage)[0] - '0';
    }
    return true;
}

std::string userMenuJson(const calc::TotalForm& f, const tariffs::UserMenu& m, int rank = 0) {
    return std::string("{") + (rank > 0 ? "\"rank\": " + std::to_string(rank) + ", " : "") +
           "\"source\": \"user\", \"line\": " + std::to_string(m.line) +
           ", \"utility\": " + std::to_string(m.utility) + ", \"item\": " + jsonString(m.name) +
           ", \"category\": " + jsonString(std::string(tariffs::categoryName(m.category))) +
           ", \"voltage\": " + std::to_string(m.voltageRow) +
           ", \"caption\": " + jsonString(f.text("Label21")) +
           ", \"formula\": " + jsonString(std::string(tariffs::formulaName(m.formula))) +
           ", \"TaxPercent\": " + jsonNumber(m.taxPercent) +
           ", \"FuelAdjustment\": " + jsonNumber(m.fuelAdjustment) +
           ", \"RenewableLevy\": " + jsonNumber(m.renewableLevy) + pricedJson(f);
}

// Every ranked menu applied on a results form of its own (built on `base`), as compare --json lists it.
std::vector<std::string> rankedMenusJson(const calc::TotalForm& base,
                                         const std::vector<calc::RankedMenu>& ranking) {
    AnswerOk ok;
    std::vector<std::string> out;
    out.reserve(ranking.size());
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
    bool tenDay = false;
    if (const int status = prepare(ctx, args, tenDay); status >= 0)
        return status;
    calc::MenuFilter filter;
    if (!menuFilter(ctx, args, filter))
        return 1;
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

std::string rankedJson(const calc::RankedMenu* r) {
    if (!r)
        return "null";
    std::string out = "{\"source\": " + jsonString(std::string(calc::menuSourceName(r->source)));
    if (r->user)
        out += ", \"line\": " + std::to_string(r->line);
    else
        out +=
            ", \"list\": " + std::to_string(r->menu->list) + ", \"index\": " + std::to_string(r->menu->index);
    return out + ", \"item\": " + jsonString(r->item) + ", \"Total\": " + jsonNumber(r->total) +
           ", \"TotalWithTax\": " + jsonNumber(r->totalWithTax) + "}";
}

// compare-sites: every registered site under the menus of its own utility (reads only).
int compareSites(CliContext& ctx, const Args& args) {
    registry::MenuForm form(ctx.state);
    if (std::optional<Message> problem = form.startUp(ctx.state.AppDir))
        ctx.err << problem->text << "\n";
    const std::vector<tariffs::UserMenu> userMenus = readUserMenus(ctx);
    const bool json = args.has("json");
    std::map<int, std::vector<std::string>> menus; // registry row -> its menus as compare --json
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
    std::string out = "[";
    for (std::size_t i = 0; i < sites.size(); ++i) {
        const reports::SiteComparison& s = sites[i];
        out += i ? ",\n " : "\n ";
        out += "{\"row\": " + std::to_string(s.row) + ", \"serial\": " + jsonString(s.serial) +
               ", \"name\": " + jsonString(s.name) + ", \"utility\": " + std::to_string(s.utility) +
               ", \"book\": " + jsonString(std::string(reports::siteBookName(s.book))) +
               ", \"YearKwh\": " + jsonNumber(s.yearKwh) + ", \"best\": " + rankedJson(s.best()) +
               ", \"second\": " + rankedJson(s.second()) + ", \"difference\": " + jsonNumber(s.difference());
        if (!s.reason.empty())
            out += ", \"reason\": " + jsonString(s.reason);
        out += ", \"menus\": [";
        const std::vector<std::string>& list = menus[s.row];
        for (std::size_t k = 0; k < list.size(); ++k)
            out += (k ? ",\n   " : "\n   ") + list[k];
        out += list.empty() ? "]}" : "\n  ]}";
    }
    ctx.out << out << (sites.empty() ? "]\n" : "\n]\n");
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
        const AppState& s = ctx.state;
        ctx.out << "{\"site\": " << siteJson(s) << ",\n \"SeasonTotal\": " << jsonTable(form.SeasonTotal())
                << ",\n \"menus\": [\n  " << userMenuJson(form, m) << "\n ]}\n";
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
    const auto colon = menuText.find(':');
    const tariffs::TariffMenu* menu =
        colon == std::string::npos ? nullptr
                                   : tariffs::findMenu(static_cast<int>(val(menuText.substr(0, colon))),
                                                       static_cast<int>(val(menuText.substr(colon + 1))));
    const bool userMenu = menuText.rfind("user:", 0) == 0;
    if (!userMenu && (!menu || menuText.find_first_not_of("0123456789:") != std::string::npos)) {
        ctx.err << "--menu LIST:INDEX に料金メニューを指定してください（例 42:0、自由メニューは "
                   "user:行番号）。\n";
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
        rates.emplace_back(box, r.substr(eq + 1));
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
        printJson(ctx, p.form->SeasonTotal(), {menuJson(p)}, tenDay);
    else
        printPanel(ctx, p);
    return 0;
}

CommandRegistrar compareCommand(
    "compare",
    {"compare --site ROW [--book year|tenday] [--utility U | --all-utilities] [--category office|factory] "
     "[--voltage N] [--json]  料金メニューの比較",
     compare,
     {"json", "all-utilities"}});
CommandRegistrar compareSitesCommand("compare-sites",
                                     {"compare-sites [--json]  全物件の比較（各物件の電力会社のメニュー）",
                                      compareSites,
                                      {"json"}});
CommandRegistrar priceCommand("price",
                              {"price --site ROW --menu LIST:INDEX|user:LINE [--book year|tenday] [--rate "
                               "TextN=VALUE ...] [--json]  一つの料金メニュー",
                               price,
                               {"json"}});

} // namespace
