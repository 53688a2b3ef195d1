// The ranking of every menu: menu by menu the figures of a choice in its list on a fresh results
// form, the order, ranks and differences, re-sorting, the window's state and the text table.

#include "app/display_format.h"
#include "calc/aggregation.h"
#include "calc/calc_fixture.h"
#include "calc/comparison.h"
#include "calc/total_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <sstream>

using namespace wattorio;
using namespace wattorio::calc;

namespace {

// A year like the demo site's: an office that works 8:00-21:00 on weekdays, with a summer air-
// conditioning load, a base load at night and on days off; Sundays, Saturdays and a few holidays
// are days off. The readings have fractions so that no total comes out round.
void fillDemoYear(AppState& state) {
    for (int d = 1; d <= 365; ++d) {
        const int weekday = (d + 1) % 7; // 1 January a Tuesday: 0 = Sunday
        const bool off = weekday == 0 || weekday == 6 || d == 1 || d == 2 || d == 3 || d == 42 || d == 79 ||
                         d == 119 || d == 123 || d == 124 || d == 125 || d == 196 || d == 224 || d == 259 ||
                         d == 266 || d == 287 || d == 307 || d == 327 || d == 358;
        state.DayMark[static_cast<std::size_t>(d)][0] = off ? 1.0f : 0.0f;
        const bool summer = d >= 182 && d <= 273;
        for (int h = 0; h < 24; ++h) {
            double v = 41.3 + 0.37 * ((d * 7 + h * 3) % 11);
            if (!off && h >= 8 && h <= 20)
                v += 118.75 + (h >= 13 && h <= 16 ? 36.4 : 0) + (summer ? 52.15 : 0);
            state.HourData[static_cast<std::size_t>(h)][static_cast<std::size_t>(d)] = v;
        }
    }
}

struct DemoSite {
    AppState state;
    explicit DemoSite(int utility, const std::string& multiplier = "2.5", const std::string& contract = "480",
                      const std::string& powerFactor = "98") {
        test::setSite(state, static_cast<float>(utility), multiplier, contract, powerFactor);
        fillDemoYear(state);
        runMonthTotals(state);
    }
};

// Menus a choice in a list would show, on a results form loaded for the site.
TEST(Comparison, EveryMenuEqualsAChoiceInItsListOnAFreshForm) {
    for (int utility = 1; utility <= 9; ++utility) {
        SCOPED_TRACE("site of UtilityNo " + std::to_string(utility));
        DemoSite site(utility);
        TotalForm loaded(site.state);
        ASSERT_TRUE(loaded.Form_Load());
        const std::vector<RankedMenu> ranking = rankMenus(comparisonInput(loaded, site.state), 0);
        ASSERT_EQ(ranking.size(), static_cast<std::size_t>(tariffs::kMenuCount));
        std::set<const tariffs::TariffMenu*> seen;
        for (const RankedMenu& r : ranking) {
            const tariffs::TariffMenu& m = *r.menu;
            SCOPED_TRACE("Combo" + std::to_string(m.list) + " " + std::to_string(m.index));
            seen.insert(&m);
            TotalForm form(site.state);
            ASSERT_TRUE(form.Form_Load());
            test::ScriptedPrompter ok; // answers OK to the Saturday question
            ASSERT_TRUE(form.ApplyTariffMenu(m.list, m.index, ok));
            EXPECT_EQ(ok.shown.size(), m.asksSaturday ? 1u : 0u);
            for (std::size_t k = 0; k <= 6; ++k) {
                EXPECT_EQ(r.lineKwh[k], form.LineKwh()[k]) << "LineKwh " << k;
                EXPECT_EQ(r.lineCharge[k], form.LineCharge()[k]) << "LineCharge " << k;
            }
            EXPECT_EQ(r.demandCharge, form.LineCharge()[0]);
            EXPECT_EQ(r.total, form.total());
            EXPECT_EQ(r.totalWithTax, form.totalWithTax());
            // The amounts read as the panel shows them.
            EXPECT_EQ(rankCell(r, RankColumn::Demand), form.text("Label19"));
            EXPECT_EQ(groupedDigits(r.total), groupedDigits(form.total()));
            EXPECT_EQ(rankCell(r, RankColumn::Menu), form.text("Combo" + std::to_string(m.list)));
        }
        EXPECT_EQ(seen.size(), static_cast<std::size_t>(tariffs::kMenuCount));
    }
}

// The results form keeps the year table of its loading; a later calculation changes the shared
// monthly totals, but a choice in its lists still prices the year it shows.
TEST(Comparison, OpenFormPricesTheYearItWasLoadedWith) {
    DemoSite site(1);
    TotalForm form(site.state);
    ASSERT_TRUE(form.Form_Load());
    for (int m = 1; m <= 12; ++m)
        site.state.MonthTotalA[2][static_cast<std::size_t>(m)] += 1000;
    const std::vector<RankedMenu> fromForm = rankMenus(comparisonInput(form, site.state), 1);
    const std::vector<RankedMenu> fromState = rankMenus(comparisonInput(site.state), 1);
    ASSERT_FALSE(fromForm.empty());
    test::ScriptedPrompter ok;
    const tariffs::TariffMenu& m = *fromForm.front().menu;
    ASSERT_TRUE(form.ApplyTariffMenu(m.list, m.index, ok));
    EXPECT_EQ(fromForm.front().totalWithTax, form.totalWithTax());
    EXPECT_GT(fromState.front().totalWithTax, fromForm.front().totalWithTax);
}

TEST(Comparison, RankedCheapestFirstWithSharedRanksAndShownDifferences) {
    DemoSite site(5);
    const std::vector<RankedMenu> rows = rankMenus(comparisonInput(site.state), 5);
    ASSERT_EQ(rows.size(), 24u); // Combo17..Combo22: 4 + 3 + 4 + 6 + 3 + 4
    EXPECT_EQ(rows.front().rank, 1);
    EXPECT_EQ(rows.front().difference, 0);
    for (const RankedMenu& r : rows)
        EXPECT_FALSE(r.partial) << r.item; // the site's own menus price its whole year
    for (std::size_t i = 1; i < rows.size(); ++i) {
        EXPECT_LE(rows[i - 1].tax.amount, rows[i].tax.amount);
        const double shown = std::round(rows[i].tax.amount);
        EXPECT_EQ(rows[i].difference, shown - std::round(rows.front().tax.amount));
        if (shown == std::round(rows[i - 1].tax.amount)) {
            EXPECT_EQ(rows[i].rank, rows[i - 1].rank);
        } else {
            EXPECT_EQ(rows[i].rank, static_cast<int>(i) + 1);
        }
    }
    // "業務用電力" of Combo18 and Combo19 carries the same rates: one rank, catalog order.
    std::vector<const RankedMenu*> same;
    for (const RankedMenu& r : rows)
        if ((r.menu->list == 18 && r.menu->index == 1) || (r.menu->list == 19 && r.menu->index == 2))
            same.push_back(&r);
    ASSERT_EQ(same.size(), 2u);
    EXPECT_EQ(same[0]->menu->list, 18);
    EXPECT_EQ(same[0]->rank, same[1]->rank);
    EXPECT_EQ(same[0] + 1, same[1]);
    // The energy charge is the sum of the five lines; with the demand charge it is the total.
    for (const RankedMenu& r : rows) {
        EXPECT_EQ(r.energyCharge,
                  r.lineCharge[1] + r.lineCharge[2] + r.lineCharge[3] + r.lineCharge[4] + r.lineCharge[5]);
        EXPECT_DOUBLE_EQ(r.demandCharge + r.energyCharge, r.total);
    }
}

// Another utility's formula may price only part of this site's year (the northern formulas read
// the other-season rows only): such menus are marked, carry no difference and never rank ahead of
// a whole-year price, however cheap they look.
TEST(Comparison, PartYearPricesComeAfterEveryWholeYearOne) {
    for (int utility : {1, 4, 7, 9}) {
        SCOPED_TRACE("site of UtilityNo " + std::to_string(utility));
        DemoSite site(utility);
        const ComparisonInput in = comparisonInput(site.state);
        const double year = yearKwh(in.season);
        ASSERT_GT(year, 0);
        const std::vector<RankedMenu> rows = rankMenus(in, 0);
        bool seenPartial = false;
        int partial = 0;
        for (const RankedMenu& r : rows) {
            SCOPED_TRACE(r.item);
            EXPECT_EQ(r.yearKwh, year);
            EXPECT_EQ(r.pricedKwh, r.lineKwh[1] + r.lineKwh[2] + r.lineKwh[3] + r.lineKwh[4] + r.lineKwh[5]);
            EXPECT_EQ(r.partial, year - r.pricedKwh > 0.5);
            // Only the northern formulas leave rows out, and only for a site with a summer.
            const bool northern = r.menu->formula == tariffs::Formula::Total_Hokuden_1 ||
                                  r.menu->formula == tariffs::Formula::Total_Hokuden_2;
            EXPECT_EQ(r.partial, northern && utility != 9);
            EXPECT_TRUE(!seenPartial || r.partial) << "a whole-year price after a part-year one";
            seenPartial = seenPartial || r.partial;
            partial += r.partial;
            EXPECT_EQ(std::isnan(r.difference), r.partial);
            EXPECT_EQ(rankCell(r, RankColumn::Note), r.partial ? "一部の期間のみ" : "");
            if (r.partial) {
                EXPECT_EQ(rankCell(r, RankColumn::Difference), "");
                EXPECT_GT(r.rank, rows.size() - 18 - 1 + 0u); // after the 173 whole-year menus
            }
        }
        EXPECT_EQ(partial, utility == 9 ? 0 : 18);
        EXPECT_FALSE(rows.front().partial);
        EXPECT_EQ(rankCell(rows.front(), RankColumn::Difference), "0 円");
        const std::string text = rankingTable(rows);
        EXPECT_EQ(text.find("一部の期間のみ") != std::string::npos, utility != 9);
    }
    EXPECT_FALSE(isPartialYear(99.5, 100));
    EXPECT_TRUE(isPartialYear(99.4, 100));
    EXPECT_EQ(partialNoteText(899165.2, 1245328),
              "一部の期間のみ（年間 1,245,328 kWh のうち 899,165 kWh を計算）");
}

// 区分 and 電圧 take the menus of one column and one row of the tabs; ranks and the cheapest are
// those of the menus taken.
TEST(Comparison, FiltersByCategoryAndVoltage) {
    DemoSite site(1);
    const ComparisonInput in = comparisonInput(site.state);
    struct Case {
        int utility;
        std::optional<tariffs::Category> category;
        int voltage;
        std::size_t count;
    } cases[] = {
        {1, std::nullopt, 0, 18},
        {1, tariffs::Category::Office, 0, 8},
        {1, tariffs::Category::Factory, 0, 10},
        {1, std::nullopt, 2, 4},
        {1, tariffs::Category::Factory, 1, 6},
        {3, std::nullopt, 3, 0},
        {0, tariffs::Category::Office, 3, 16},
        {0, std::nullopt, 0, 191},
    };
    for (const Case& c : cases) {
        MenuFilter filter;
        filter.utility = c.utility;
        filter.category = c.category;
        filter.voltage = c.voltage;
        const std::vector<RankedMenu> rows = rankMenus(in, filter);
        SCOPED_TRACE(std::to_string(c.utility) + "/" + std::to_string(c.voltage));
        EXPECT_EQ(rows.size(), c.count);
        for (const RankedMenu& r : rows) {
            EXPECT_TRUE(c.utility == 0 || r.utility == c.utility);
            EXPECT_TRUE(!c.category || r.category == *c.category);
            EXPECT_TRUE(c.voltage == 0 || r.voltageRow == c.voltage);
        }
        if (!rows.empty()) {
            EXPECT_EQ(rows.front().rank, 1);
            EXPECT_EQ(rows.front().difference, 0);
        }
    }
}

TEST(Comparison, MenusOfOneUtilityOrAll) {
    DemoSite site(2);
    const ComparisonInput in = comparisonInput(site.state);
    std::size_t sum = 0;
    for (int u = 1; u <= 9; ++u) {
        const std::vector<RankedMenu> rows = rankMenus(in, u);
        std::size_t expected = 0;
        for (const tariffs::MenuList* l : tariffs::listsOfUtility(u))
            expected += l->menus.size();
        EXPECT_EQ(rows.size(), expected) << u;
        for (const RankedMenu& r : rows)
            EXPECT_EQ(r.menu->utility, u);
        sum += rows.size();
    }
    EXPECT_EQ(sum, static_cast<std::size_t>(tariffs::kMenuCount));
    EXPECT_EQ(rankMenus(in, 0).size(), static_cast<std::size_t>(tariffs::kMenuCount));
    EXPECT_TRUE(rankMenus(in, 10).empty());
    EXPECT_TRUE(rankMenus(in, -1).empty());
}

TEST(Comparison, ResortsByEveryColumnBothWays) {
    DemoSite site(4);
    const std::vector<RankedMenu> ranked = rankMenus(comparisonInput(site.state), 0);
    for (int c = 0; c < kRankColumnCount; ++c) {
        const auto column = static_cast<RankColumn>(c);
        for (bool descending : {false, true}) {
            SCOPED_TRACE(std::string(rankColumnTitle(column)) + (descending ? " descending" : ""));
            std::vector<RankedMenu> rows = ranked;
            sortRanking(rows, column, descending);
            ASSERT_EQ(rows.size(), ranked.size());
            for (std::size_t i = 1; i < rows.size(); ++i) {
                const RankedMenu& a = descending ? rows[i] : rows[i - 1];
                const RankedMenu& b = descending ? rows[i - 1] : rows[i];
                switch (column) {
                case RankColumn::Rank:
                    EXPECT_LE(a.rank, b.rank);
                    break;
                case RankColumn::Utility:
                    EXPECT_LE(a.menu->utility, b.menu->utility);
                    break;
                case RankColumn::Category:
                    EXPECT_LE(static_cast<int>(a.menu->category), static_cast<int>(b.menu->category));
                    break;
                case RankColumn::Voltage:
                    EXPECT_LE(a.menu->voltageRow, b.menu->voltageRow);
                    break;
                case RankColumn::Menu:
                    EXPECT_LE(a.menu->itemText, b.menu->itemText);
                    break;
                case RankColumn::Demand:
                    EXPECT_LE(a.demandCharge, b.demandCharge);
                    break;
                case RankColumn::Energy:
                    EXPECT_LE(a.energyCharge, b.energyCharge);
                    break;
                case RankColumn::Total:
                    EXPECT_LE(a.total, b.total);
                    break;
                case RankColumn::WithTax:
                    EXPECT_LE(a.tax.amount, b.tax.amount);
                    break;
                case RankColumn::Tax:
                    EXPECT_LE(taxBasisText(a.tax), taxBasisText(b.tax));
                    break;
                case RankColumn::Difference: // part-year menus have none and stay last
                    if (std::isnan(rows[i - 1].difference)) {
                        EXPECT_TRUE(std::isnan(rows[i].difference));
                    } else if (!std::isnan(rows[i].difference)) {
                        EXPECT_LE(a.difference, b.difference);
                    }
                    break;
                case RankColumn::PricedKwh:
                    EXPECT_LE(a.pricedKwh, b.pricedKwh);
                    break;
                case RankColumn::Note:
                    EXPECT_LE(a.partial, b.partial);
                    break;
                }
            }
        }
    }
    // Equal keys keep the ranking order: within one utility the cheapest comes first.
    std::vector<RankedMenu> byUtility = ranked;
    sortRanking(byUtility, RankColumn::Utility, false);
    for (std::size_t i = 1; i < byUtility.size(); ++i) {
        if (byUtility[i].menu->utility == byUtility[i - 1].menu->utility) {
            EXPECT_LE(byUtility[i - 1].rank, byUtility[i].rank);
        }
    }
    // Back to the rank order gives the ranking again.
    sortRanking(byUtility, RankColumn::Rank, false);
    for (std::size_t i = 0; i < ranked.size(); ++i)
        EXPECT_EQ(byUtility[i].menu, ranked[i].menu);
}

TEST(Comparison, CellTexts) {
    DemoSite site(5);
    const std::vector<RankedMenu> rows = rankMenus(comparisonInput(site.state), 5);
    const RankedMenu* item = nullptr;
    for (const RankedMenu& r : rows)
        if (r.menu->list == 21 && r.menu->index == 1)
            item = &r;
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(rankCell(*item, RankColumn::Utility), "中国電力");
    EXPECT_EQ(rankCell(*item, RankColumn::Category), "工場");
    EXPECT_EQ(rankCell(*item, RankColumn::Voltage), "②");
    EXPECT_EQ(rankCell(*item, RankColumn::Menu), "高圧電力B    "); // the list item, trailing blanks kept
    EXPECT_EQ(rankCell(*item, RankColumn::Rank), std::to_string(item->rank));
    // 中国電力's rates include the tax: the amount compared is the total as it stands.
    EXPECT_EQ(rankCell(*item, RankColumn::WithTax), formatPattern(item->total, "#,###,###,### 円"));
    EXPECT_EQ(rankCell(*item, RankColumn::Tax), "税込単価");
    EXPECT_EQ(rankCell(rows.front(), RankColumn::Difference), "0 円");
    EXPECT_EQ(rankCell(*item, RankColumn::PricedKwh), groupedDigits(item->yearKwh) + " kWh");
    EXPECT_EQ(rankCell(*item, RankColumn::Note), "");
    for (int c = 0; c < kRankColumnCount; ++c)
        EXPECT_FALSE(rankColumnTitle(static_cast<RankColumn>(c)).empty());
    EXPECT_EQ(rankColumnTitle(RankColumn::Voltage), "電圧");
    EXPECT_EQ(rankColumnTitle(RankColumn::Difference), "最安との差");
}

// A contract text too large for a double with a power factor of 185 gives figures that are not
// numbers: nothing breaks, the amounts show empty, every menu keeps a rank.
TEST(Comparison, FiguresThatAreNotNumbers) {
    DemoSite site(1, "1", "1e400", "185");
    const std::vector<RankedMenu> rows = rankMenus(comparisonInput(site.state), 1);
    ASSERT_FALSE(rows.empty());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_TRUE(std::isnan(rows[i].total));
        EXPECT_EQ(rankCell(rows[i], RankColumn::Total), "");
        EXPECT_EQ(rows[i].rank, static_cast<int>(i) + 1);
    }
    std::vector<RankedMenu> sorted = rows;
    sortRanking(sorted, RankColumn::WithTax, true);
    EXPECT_EQ(sorted.size(), rows.size());
    EXPECT_FALSE(rankingTable(rows).empty());
}

// Display width as a terminal counts it: three-byte UTF-8 characters are full-width except the
// half-width katakana (U+FF61..U+FF9F).
std::size_t terminalWidth(const std::string& s) {
    std::size_t w = 0;
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++w;
            ++i;
            continue;
        }
        const bool halfKana = c == 0xEF && (static_cast<unsigned char>(s[i + 1]) == 0xBD ||
                                            static_cast<unsigned char>(s[i + 1]) == 0xBE);
        w += halfKana ? 1 : 2;
        i += 3;
    }
    return w;
}

TEST(Comparison, TextTableIsAligned) {
    DemoSite site(2); // 中部電力: items with half-width katakana and full-width letters
    const std::vector<RankedMenu> rows = rankMenus(comparisonInput(site.state), 2);
    const std::string table = rankingTable(rows);
    std::istringstream in(table);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), rows.size() + 1);
    EXPECT_EQ(lines[0].rfind("順位  電力会社", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("最安との差  備考"), std::string::npos);
    // 最安との差 is right-aligned, so every line without a 備考 (the site's own menus have none)
    // ends in the column where that heading ends.
    for (std::size_t i = 1; i < lines.size(); ++i)
        EXPECT_EQ(terminalWidth(lines[i]) + 6, terminalWidth(lines[0])) << lines[i];
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_NE(lines[i + 1].find(std::string(rows[i].menu->itemText)), std::string::npos);
        EXPECT_NE(lines[i + 1].find(rankCell(rows[i], RankColumn::WithTax)), std::string::npos);
    }
    EXPECT_EQ(table.back(), '\n');
}

TEST(ComparisonForm, FollowsTheInputTheCheckBoxAndTheHeadings) {
    DemoSite site(3);
    ComparisonForm form;
    EXPECT_EQ(form.heading(), "");
    EXPECT_TRUE(form.refresh(comparisonInput(site.state), 3));
    EXPECT_EQ(form.rowCount(), 16);
    EXPECT_EQ(form.heading(), "東北電力の全メニュー（16 件）");
    EXPECT_FALSE(form.refresh(comparisonInput(site.state), 3)); // nothing changed

    form.setAllUtilities(true);
    EXPECT_EQ(form.rowCount(), tariffs::kMenuCount);
    EXPECT_EQ(form.heading(), "全電力会社の全メニュー（191 件）");
    EXPECT_FALSE(form.refresh(comparisonInput(site.state), 3));

    form.sortBy(RankColumn::Demand);
    EXPECT_EQ(form.sortColumn(), RankColumn::Demand);
    EXPECT_FALSE(form.descending());
    form.sortBy(RankColumn::Demand); // a second click reverses
    EXPECT_TRUE(form.descending());
    const double highest = form.rows().front().demandCharge;
    for (const RankedMenu& r : form.rows())
        EXPECT_LE(r.demandCharge, highest);

    // A new calculation: the table is priced again and keeps its order.
    site.state.MonthTotalA[1][1] += 5000;
    EXPECT_TRUE(form.refresh(comparisonInput(site.state), 3));
    EXPECT_EQ(form.sortColumn(), RankColumn::Demand);
    EXPECT_EQ(form.rows().front().demandCharge, highest);

    form.setAllUtilities(false);
    EXPECT_EQ(form.rowCount(), 16);
    form.sortBy(RankColumn::Rank, false);
    EXPECT_EQ(form.cell(0, 0), "1");
    EXPECT_EQ(form.cell(0, 1), "東北電力");
    EXPECT_EQ(form.cell(-1, 0), "");
    EXPECT_EQ(form.cell(0, kRankColumnCount), "");
    ASSERT_NE(form.menuAt(0), nullptr);
    EXPECT_EQ(form.menuAt(0), form.rows().front().menu);
    EXPECT_EQ(form.menuAt(16), nullptr);

    // Another tab shown on the results window.
    EXPECT_TRUE(form.refresh(comparisonInput(site.state), 9));
    EXPECT_EQ(form.heading(), "北海道電力の全メニュー（18 件）");
    EXPECT_EQ(form.yearLine().rfind("年間使用量　", 0), 0u);
    EXPECT_NE(form.yearLine().find("kWh（一部の期間のみ 18 件）"), std::string::npos);

    // The filters, and values the lists do not offer taken as "すべて".
    form.setCategory(2);
    form.setVoltage(2);
    EXPECT_EQ(form.heading(), "北海道電力　工場　②のメニュー（3 件）");
    form.setChoice({true, 7, -1});
    EXPECT_EQ(form.choice(), (ComparisonChoice{true, 0, 0}));
    EXPECT_EQ(form.rowCount(), 191);

    // The results window's user menus are ranked with the catalog's and can be applied from a row.
    std::vector<tariffs::UserMenu> user(1);
    user[0].line = 2;
    user[0].utility = 9;
    user[0].name = "今年度の提案";
    user[0].rate = {0, 10, 10, 10, 10, 10};
    EXPECT_TRUE(form.refresh(comparisonInput(site.state), 9, &user));
    EXPECT_EQ(form.rowCount(), 192);
    const auto mine = std::find_if(form.rows().begin(), form.rows().end(),
                                   [&](const RankedMenu& r) { return r.user == &user[0]; });
    ASSERT_NE(mine, form.rows().end());
    const int at = static_cast<int>(mine - form.rows().begin());
    EXPECT_EQ(form.rowAt(at)->source, MenuSource::User);
    EXPECT_EQ(form.menuAt(at), nullptr);
    EXPECT_FALSE(form.refresh(comparisonInput(site.state), 9, &user));
    EXPECT_TRUE(form.refresh(comparisonInput(site.state), 9));
    EXPECT_EQ(form.rowCount(), 191);
}

// The choices are remembered per site (by serial) for the run; a site without any gets the
// defaults: its own utility, every category and voltage.
TEST(ComparisonForm, ChoicesAreRememberedPerSite) {
    AppState state;
    state.SiteTable[1] = {"7", "A", "1", "100", "100", "1", "", "", ""};
    state.SiteTable[2] = {"9", "B", "1", "100", "100", "4", "", "", ""};
    state.SiteRow = 1;
    EXPECT_EQ(rememberedChoice(state), ComparisonChoice{});
    rememberChoice(state, {true, 2, 3});
    state.SiteRow = 2;
    EXPECT_EQ(rememberedChoice(state), ComparisonChoice{});
    rememberChoice(state, {false, 1, 0});
    state.SiteRow = 1;
    EXPECT_EQ(rememberedChoice(state), (ComparisonChoice{true, 2, 3}));
    state.SiteRow = 0; // no site: nothing kept, the defaults read
    rememberChoice(state, {true, 1, 1});
    EXPECT_EQ(rememberedChoice(state), ComparisonChoice{});
    EXPECT_EQ(state.ComparisonChoices.size(), 2u);
}

// The results window says the same under its totals when such a menu is chosen.
TEST(Comparison, ResultsFormNotesAPartYearMenu) {
    DemoSite site(1);
    TotalForm form(site.state);
    ASSERT_TRUE(form.Form_Load());
    test::ScriptedPrompter ok;
    ASSERT_TRUE(form.ApplyTariffMenu(37, 0, ok)); // 北海道電力, one energy rate
    const double year = yearKwh(form.SeasonTotal());
    EXPECT_EQ(form.text("LabelPartial"), partialNoteText(form.LineKwh()[1], year));
    EXPECT_EQ(form.text("Label11"), "消費税含む"); // the tax note stays as it is
    ASSERT_TRUE(form.ApplyTariffMenu(42, 0, ok));
    EXPECT_EQ(form.text("LabelPartial"), "");
}

} // namespace

namespace {

// One amount compared: the total for a list priced with tax, total x 1.05 for the other catalog
// lists, the menu's own rate for a user menu.
TEST(ComparisonTax, EachMenuHasOneAmountWithItsBasis) {
    DemoSite site(4); // 関西電力: rates with tax
    const std::vector<RankedMenu> rows = rankMenus(comparisonInput(site.state), 0);
    bool included = false, added = false;
    for (const RankedMenu& r : rows) {
        const bool withTax = r.menu->taxNote;
        (withTax ? included : added) = true;
        EXPECT_EQ(r.tax.basis, withTax ? TaxBasis::Included : TaxBasis::Added) << r.item;
        EXPECT_EQ(r.tax.amount, withTax ? r.total : r.total * kTaxFactor) << r.item;
        EXPECT_EQ(rankCell(r, RankColumn::Tax), withTax ? "税込単価" : "5%");
    }
    EXPECT_TRUE(included && added);
    tariffs::UserMenu user;
    user.taxPercent = 8.5;
    EXPECT_EQ(taxBasisText(taxedAmount(user, 100)), "8.5%");
    EXPECT_DOUBLE_EQ(taxedAmount(user, 100).amount, 108.5);
}

// A site is priced only with figures inside the bounds and readings of at least 0; its facts give
// the comparison's first choice.
TEST(ComparisonRefusal, FiguresReadingsAndFacts) {
    struct Case {
        const char *mult, *kw, *pf;
        double reading;
        bool refused;
    };
    const Case cases[] = {{"1", "450", "98", 10, false},
                          {"0", "450", "98", 10, true},
                          {"1", "-450", "98", 10, true},
                          {"1", "450", "250", 10, true},
                          {"1", "450", "98", -1e9, true}};
    for (const Case& c : cases) {
        DemoSite site(1, c.mult, c.kw, c.pf);
        site.state.HourData[3][5] = c.reading;
        EXPECT_EQ(pricingRefusal(site.state).has_value(), c.refused) << c.mult << " " << c.kw << " " << c.pf;
        TotalForm form(site.state);
        EXPECT_EQ(form.Form_Load(), !c.refused);
        EXPECT_EQ(form.loadRefusal().has_value(), c.refused);
    }
    DemoSite site(1, "1", "450", "98");
    EXPECT_EQ(factsChoice(site.state), ComparisonChoice{});
    EXPECT_EQ(factsNote(site.state), kFactsUnsetNote);
    SiteRecord& record = site.state.SiteTable[static_cast<std::size_t>(site.state.SiteRow)];
    record[6] = "高圧";
    record[7] = "事務所・ビル・店舗";
    EXPECT_EQ(factsChoice(site.state), (ComparisonChoice{false, 1, 3})); // 東京電力, below 500 kW: ③
    EXPECT_EQ(rememberedChoice(site.state), factsChoice(site.state));
    EXPECT_EQ(factsNote(site.state), "");

    // A reading made negative while the results window is open: the next calculation prices nothing.
    TotalForm form(site.state);
    ASSERT_TRUE(form.Form_Load());
    test::ScriptedPrompter ok;
    ASSERT_TRUE(form.ApplyTariffMenu(42, 0, ok));
    site.state.HourData[2][3] = -5;
    form.refreshFromTotals();
    EXPECT_TRUE(form.loadRefusal());
    EXPECT_EQ(form.total(), 0);
    EXPECT_EQ(form.text("Label21"), "");
}

} // namespace
