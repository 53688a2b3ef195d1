#include "calc/charges.h"

#include "app/numtext.h"

#include <cmath>
#include <functional>
#include <vector>

namespace wattorio::calc {

using tariffs::Formula;

namespace {

// Adds months `first`..`last` of one monthly table into row r of the year table: for each month
// the three bands, then the day count.
void addMonths(SeasonTable& s, const MonthTable& t, int first, int last, int r) {
    for (int m = first; m <= last; ++m) {
        for (int c = 1; c <= 3; ++c)
            s[c][r] += t[c][m];
        s[0][r] += t[0][m];
    }
}

} // namespace

SeasonTable seasonTotals(const MonthTable& a, const MonthTable& b, int utility) {
    SeasonTable s{};
    if (utility == 9) {
        addMonths(s, a, 1, 12, 1);
        addMonths(s, b, 1, 12, 2);
    } else {
        addMonths(s, a, 1, 6, 1);
        addMonths(s, a, 10, 12, 1);
        addMonths(s, b, 1, 6, 2);
        addMonths(s, b, 10, 12, 2);
        addMonths(s, a, 7, 9, 3);
        addMonths(s, b, 7, 9, 4);
    }
    for (int r = 1; r <= 4; ++r)
        for (int c = 1; c <= 3; ++c)
            s[4][r] += s[c][r];
    return s;
}

SeasonTable seasonTotals(const AppState& state) {
    return seasonTotals(state.MonthTotalA, state.MonthTotalB, static_cast<int>(state.UtilityNo));
}

LineArray formulaLines(Formula formula, const SeasonTable& S) {
    LineArray k{};
    switch (formula) {
    case Formula::Total_Natsu_Sonota:
        k[1] = S[1][3] + S[2][3] + S[3][3] + S[1][4] + S[2][4] + S[3][4];
        k[2] = S[1][1] + S[2][1] + S[3][1] + S[1][2] + S[2][2] + S[3][2];
        break;
    case Formula::Total_Holiday_Natsu_Sonota:
        k[1] = S[2][3] + S[1][3] + S[3][3];
        k[2] = S[2][1] + S[1][1] + S[3][1];
        k[3] = 0;
        k[4] = S[2][2] + S[1][2] + S[3][2] + S[1][4] + S[2][4] + S[3][4];
        break;
    case Formula::Total_Peek_Hiru_Yakan_Y:
        k[1] = S[3][3];
        k[2] = S[3][1] + S[2][1] + S[2][3];
        k[3] = 0;
        k[4] = S[2][2] + S[1][2] + S[3][2] + S[1][1] + S[1][3] + (S[2][4] + S[1][4] + S[3][4]);
        break;
    case Formula::Total_Kizibetu_1:
        k[1] = S[3][3];
        k[2] = S[2][3];
        k[3] = S[3][1] + S[2][1];
        k[4] = S[1][2] + S[1][1] + S[2][2] + S[3][2] + S[1][3] + S[1][4] + S[2][4] + S[3][4];
        break;
    case Formula::Total_kizibet_Yakan_2:
        k[1] = S[3][3];
        k[2] = S[2][3];
        k[3] = S[3][1] + S[2][1];
        k[4] = S[2][4] + S[1][4] + S[3][4] + S[1][3];
        k[5] = S[2][2] + S[1][2] + S[3][2] + S[1][1];
        break;
    case Formula::Total_Kizibetu_2:
        k[1] = S[2][4] + S[1][4] + S[3][4];
        k[2] = S[2][2] + S[1][2] + S[3][2];
        k[3] = S[2][3] + S[1][3] + S[3][3];
        k[4] = S[2][1] + S[1][1] + S[3][1];
        break;
    // The two 北海道電力 formulas read the other-season rows only: that utility's year table has no
    // summer rows and no peak band, so for its sites the lines still add up to the year.
    case Formula::Total_Hokuden_1:
        k[1] = S[4][2] + S[4][1];
        break;
    case Formula::Total_Hokuden_2:
        k[1] = S[2][1];
        k[2] = S[1][2] + S[1][1] + S[2][2] + S[3][2];
        break;
    }
    return k;
}

double formulaTotalKwh(Formula formula, const LineArray& k) {
    double sum = k[1] + k[2] + k[3] + k[4];
    if (formula == Formula::Total_kizibet_Yakan_2)
        sum += k[5];
    return sum;
}

Charges computeCharges(const LineArray& lineKwh, const RateValues& rates, double contract,
                       double powerFactor) {
    Charges c;
    c.lineCharge[0] = (contract * rates.demand) * ((185 - powerFactor) / 100);
    c.lineCharge[0] = std::floor(c.lineCharge[0] * 12);
    for (int k = 1; k <= 5; ++k)
        c.lineCharge[k] = rates.rate[k] * lineKwh[k];
    double total = 0;
    for (int k = 0; k <= 5; ++k)
        total += c.lineCharge[k];
    c.total = total;
    c.totalWithTax = total * kTaxFactor;
    return c;
}

namespace {

double rateValue(const tariffs::RateText& text) {
    return text ? val(*text) : 0.0;
}

RateValues parseRates(const tariffs::TariffMenu& menu) {
    RateValues r;
    r.demand = rateValue(menu.demandCharge);
    r.rate[1] = rateValue(menu.rate1);
    r.rate[2] = rateValue(menu.rate2);
    r.rate[3] = rateValue(menu.rate3);
    r.rate[4] = rateValue(menu.rate4);
    r.rate[5] = rateValue(menu.rate5);
    return r;
}

} // namespace

RateValues menuRates(const tariffs::TariffMenu& menu) {
    static const std::vector<RateValues> parsed = [] {
        std::vector<RateValues> all;
        for (const tariffs::TariffMenu& m : tariffs::allMenus())
            all.push_back(parseRates(m));
        return all;
    }();
    const std::span<const tariffs::TariffMenu> menus = tariffs::allMenus();
    const std::less<const tariffs::TariffMenu*> before;
    if (!menus.empty() && !before(&menu, menus.data()) && before(&menu, menus.data() + menus.size()) &&
        parsed.size() == menus.size())
        return parsed[static_cast<std::size_t>(&menu - menus.data())];
    return parseRates(menu);
}

MenuPrice priceMenu(const tariffs::TariffMenu& menu, const SeasonTable& season, double contract,
                    double powerFactor) {
    MenuPrice p;
    p.menu = &menu;
    p.lineKwh = formulaLines(menu.formula, season);
    p.charges = computeCharges(p.lineKwh, menuRates(menu), contract, powerFactor);
    return p;
}

} // namespace wattorio::calc
