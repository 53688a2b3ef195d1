#include "calc/user_pricing.h"

#include <cmath>

namespace wattorio::calc {

RateValues userMenuRates(const tariffs::UserMenu& menu) {
    RateValues r;
    r.demand = menu.demandCharge;
    for (std::size_t k = 1; k <= 5; ++k)
        r.rate[k] = menu.rate[k];
    return r;
}

Charges computeUserCharges(const LineArray& lineKwh, const RateValues& rates, const tariffs::UserMenu& menu,
                           double contract, double powerFactor) {
    Charges c;
    c.lineCharge[0] = (contract * rates.demand) * ((185 - powerFactor) / 100);
    c.lineCharge[0] = std::floor(c.lineCharge[0] * 12);
    for (std::size_t k = 1; k <= 5; ++k)
        c.lineCharge[k] = lineKwh[k] * (rates.rate[k] + menu.fuelAdjustment + menu.renewableLevy);
    double total = 0;
    for (std::size_t k = 0; k <= 5; ++k)
        total += c.lineCharge[k];
    c.total = total;
    c.totalWithTax = total * (1 + menu.taxPercent / 100);
    return c;
}

UserMenuPrice priceUserMenu(const tariffs::UserMenu& menu, const SeasonTable& season, double contract,
                            double powerFactor) {
    UserMenuPrice p;
    p.menu = &menu;
    p.lineKwh = formulaLines(menu.formula, season);
    p.charges = computeUserCharges(p.lineKwh, userMenuRates(menu), menu, contract, powerFactor);
    return p;
}

} // namespace wattorio::calc
