#include "sitereport/site_report.h"

#include "app/display_format.h"
#include "app/version.h"
#include "registry/site_book_info.h"
#include "registry/site_facts.h"
#include "reports/report_layout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace wattorio::sitereport {

namespace {

std::string trimmed(const std::string& text) {
    return reports::trimBlanks(text);
}

MenuLine lineOf(const calc::RankedMenu& row, std::string role) {
    MenuLine line;
    line.role = std::move(role);
    line.name = std::string(kUtilityNames[static_cast<std::size_t>(std::clamp(row.utility, 1, 9) - 1)]) +
                "　" + (row.caption.empty() ? row.item : row.caption);
    line.total = row.total;
    line.withTax = row.tax.amount;
    line.taxText = calc::taxBasisText(row.tax);
    line.difference = row.difference;
    line.partial = row.partial;
    return line;
}

// The row of the ranking that is the menu on the results form's panel, priced as the panel
// prices it (rates not edited), or nullptr. A catalog menu is known by its utility and caption:
// the same menu stands in the lists of more than one voltage row.
const calc::RankedMenu* panelRow(const std::vector<calc::RankedMenu>& rows, const calc::TotalForm& form) {
    for (const calc::RankedMenu& row : rows) {
        const bool same = form.currentMenu()
                              ? row.source == calc::MenuSource::Catalog &&
                                    row.utility == form.currentMenu()->utility &&
                                    row.caption == form.currentMenu()->caption
                              : form.currentUserMenu() && row.user && *row.user == *form.currentUserMenu();
        if (same && std::round(row.total) == std::round(form.total()))
            return &row;
    }
    return nullptr;
}

// Days of the year book whose 24 readings are all 0: kept as 0 in every total.
int emptyDays(const AppState& state) {
    int days = 0;
    for (int d = 1; d <= 365; ++d) {
        bool empty = true;
        for (int h = 0; h < 24 && empty; ++h)
            empty = state.HourData[static_cast<std::size_t>(h)][static_cast<std::size_t>(d)] == 0;
        days += empty;
    }
    return days;
}

} // namespace

std::string periodText(const AppState& state) {
    return reports::dataPeriod(state);
}

std::string yenText(double value) {
    if (!std::isfinite(value))
        return {};
    const std::string digits = groupedDigits(value);
    return (digits.empty() ? std::string("0") : digits) + " 円";
}

SiteReport buildSiteReport(const SiteReportInput& input) {
    const AppState& state = *input.state;
    const calc::TotalForm& form = *input.form;
    SiteReport report;
    report.made = reports::madeDate(input.made);
    const SiteRecord* site = state.currentSite();
    static const SiteRecord kNoSite{};
    const SiteRecord& record = site ? *site : kNoSite;
    report.siteName = record[1];

    const std::optional<registry::Supply> supply = registry::siteSupply(record);
    const std::optional<tariffs::Category> category = registry::siteCategory(record);
    const std::string supplyText =
        supply ? std::string(registry::supplyText(*supply)) : std::string(registry::kUnsetText);
    const std::string categoryText =
        category ? std::string(tariffs::categoryName(*category)) : std::string(registry::kUnsetText);
    report.heading = {
        {"物件名", record[1]},
        {"電力会社", state.currentUtilityName()},
        {"受電・区分", supplyText + "　" + categoryText},
        {"契約電力", trimmed(record[3]) + " kW"},
        {"力率", trimmed(record[4]) + " ％"},
        {"データの期間", periodText(state) + (input.hourlyBook ? "（３６５日用）" : "（１０日集計用）")},
        {"作成日", report.made},
        {"プログラム", std::string(kAppTitle) + " Ver " + versionDigits()},
    };

    // The ranking of the menus the site can sign, as 全メニュー比較 opens it for this site.
    calc::ComparisonForm ranking;
    ranking.setChoice(calc::factsChoice(state));
    const int utility = static_cast<int>(state.UtilityNo);
    ranking.refresh(calc::comparisonInput(form, state), utility, &form.userMenus());
    report.rankingCondition = ranking.heading();
    const std::vector<calc::RankedMenu>& rows = ranking.rows();
    int partial = 0;
    for (const calc::RankedMenu& row : rows) {
        if (row.partial) {
            ++partial;
            continue;
        }
        if (report.cheapest.size() < 3)
            report.cheapest.push_back(lineOf(row, std::to_string(report.cheapest.size() + 1) + " 位"));
    }

    // The current contract: the menu on the results window's panel.
    if (form.currentMenu() || form.currentUserMenu()) {
        if (const calc::RankedMenu* row = panelRow(rows, form)) {
            report.current = lineOf(*row, "現在の契約");
        } else {
            // Not among the ranked menus (another utility's tab, edited rates): the panel's own
            // figures, the difference taken as the ranking takes it.
            MenuLine line;
            line.role = "現在の契約";
            line.name = form.text("Label21");
            line.total = form.total();
            const calc::TaxedAmount tax = form.currentMenu()
                                              ? calc::taxedAmount(*form.currentMenu(), form.total())
                                              : calc::taxedAmount(*form.currentUserMenu(), form.total());
            line.withTax = tax.amount;
            line.taxText = calc::taxBasisText(tax);
            line.difference = report.cheapest.empty()
                                  ? std::numeric_limits<double>::quiet_NaN()
                                  : std::round(line.withTax) - std::round(report.cheapest.front().withTax);
            report.current = line;
        }
    }

    report.charts = calc::resultChartData(state, input.hourlyBook);

    // What the figures rest on.
    const std::optional<int> year = site ? registry::siteBookInfo(record).calendarYear : std::nullopt;
    const bool official = site && state.OfficialCalendarSites.count(record[0]) != 0;
    if (!input.hourlyBook)
        report.assumptions.push_back(
            "暦：１０日集計用のデータのため、各期間の日数は１０日集計表に入力したとおりです。");
    else if (year)
        report.assumptions.push_back("暦：" + std::to_string(*year) + "年の暦。祝日は" +
                                     (official ? std::string("内閣府の「国民の祝日」一覧によります。")
                                               : std::string("法律の規則で計算した日です。")) +
                                     "１年は 365 日（2 月 29 日を除く）で集計しています。");
    else
        report.assumptions.push_back("暦：年の指定がないため、曜日と休日は年間データに設定したとおりです。");
    report.assumptions.push_back(
        "単価：プログラムに収めた料金メニューの単価（または自由メニューの単価）です。燃料費等調整額・"
        "再エネ賦課金・国の補助は、自由メニューに入れたもののほかは含みません。");
    report.assumptions.push_back(
        "消費税込み：単価に消費税を含むリストは年間合計のまま、ほかのリストは年間合計の 1.05 "
        "倍、自由メニューは"
        "そのメニューの消費税率で計算しています（「税」の欄）。順位と最安との差はこの金額によります。");
    if (partial > 0)
        report.assumptions.push_back("一部の期間しか計算しないメニュー " + std::to_string(partial) +
                                     " 件は、１年分の金額ではないため順位から除いています。");
    if (input.hourlyBook) {
        const int empty = emptyDays(state);
        if (empty > 0)
            report.assumptions.push_back("値のない日：" + std::to_string(empty) +
                                         " 日は 24 時間とも 0 のため、使用量 0 として計算しています。");
    }
    if (!supply || !category)
        report.assumptions.push_back(
            "受電・区分：未設定のため、電力会社のすべてのメニューから安いものを選んでいます。"
            "契約できないメニューが含まれることがあります。");
    if (!report.current)
        report.assumptions.push_back("現在の契約：料金メニューが選ばれていないため、載せていません。");
    return report;
}

} // namespace wattorio::sitereport
