#pragma once
// Pricing of the user's own menus: the catalog's formula procedures split the year into rate
// lines, the demand charge is that of Total_T, every line's rate is raised by the menu's two
// per-kWh adders, and the tax is the menu's own rate instead of the catalog's 5 %.

#include "calc/charges.h"
#include "tariffs/user_menus.h"

namespace wattorio::calc {

// The menu's rates as the rate boxes hold them once it is chosen.
RateValues userMenuRates(const tariffs::UserMenu& menu);

// Total_T with the menu's adders and tax: LineCharge[0] as computeCharges; LineCharge[k] =
// LineKwh[k] x (rate[k] + fuel adjustment + renewable levy); total as computeCharges; total with
// tax = total x (1 + tax percent / 100).
Charges computeUserCharges(const LineArray& lineKwh, const RateValues& rates, const tariffs::UserMenu& menu,
                           double contract, double powerFactor);

struct UserMenuPrice {
    const tariffs::UserMenu* menu = nullptr;
    LineArray lineKwh{};
    Charges charges;
};

UserMenuPrice priceUserMenu(const tariffs::UserMenu& menu, const SeasonTable& season, double contract,
                            double powerFactor);

} // namespace wattorio::calc
