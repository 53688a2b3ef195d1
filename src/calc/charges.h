#pragma once
// Pricing arithmetic without any screen: the year table by season, the rate lines of each
// formula, and the charges. The results form (total_form.h) and the command line both price
// through these functions, so the figures on screen and in the CLI are the same doubles.

#include "app/app_state.h"
#include "tariffs/catalog.h"

#include <array>

namespace wattorio::calc {

// SeasonTotal[c][r]: column c 0 day count, 1 night, 2 day, 3 peak, 4 total kWh (1 + 2 + 3);
// row r 1 other-season working days, 2 other-season days off, 3 summer working days,
// 4 summer days off; row 0 stays 0. Summer is July to September.
using SeasonTable = std::array<std::array<double, 5>, 5>;
// LineKwh / LineCharge: entries 1..5 are the rate lines; LineCharge[0] is the annual demand charge.
using LineArray = std::array<double, 7>;
using MonthTable = std::array<std::array<double, 13>, 4>;

// Consumption tax of this tariff generation.
inline constexpr double kTaxFactor = 1.05;

// Nen_Total: folds the monthly tables into the year table. UtilityNo 9 has no summer: every
// month goes into rows 1 and 2.
SeasonTable seasonTotals(const MonthTable& workingDays, const MonthTable& daysOff, int utility);
SeasonTable seasonTotals(const AppState& state);

// The rate lines of one formula procedure (terms added in the order the procedure adds them).
LineArray formulaLines(tariffs::Formula formula, const SeasonTable& s);
// Sum of the lines the procedure shows as the total kWh (lines 1..4, and 5 for Total_kizibet_Yakan_2).
double formulaTotalKwh(tariffs::Formula formula, const LineArray& lines);

// The numbers read from the rate boxes: demand = Text5, rate[1..4] = Text1..Text4, rate[5] = Text6.
struct RateValues {
    double demand = 0;
    std::array<double, 6> rate{}; // index 0 unused
};

struct Charges {
    LineArray lineCharge{};
    double total = 0;
    double totalWithTax = 0;
};

// Total_T's arithmetic: the monthly demand charge (contract x rate) x ((185 - power factor) / 100)
// is multiplied by 12 and only then rounded down to whole yen; the energy charges keep their
// fractions; the total adds entries 0..5 in order; the total with tax is total x 1.05.
Charges computeCharges(const LineArray& lineKwh, const RateValues& rates, double contract,
                       double powerFactor);

// The rates a menu leaves in the rate boxes of a freshly loaded panel (all boxes empty), read
// by the leading-number rule. Catalog texts are parsed once and cached.
RateValues menuRates(const tariffs::TariffMenu& menu);

struct MenuPrice {
    const tariffs::TariffMenu* menu = nullptr;
    LineArray lineKwh{};
    Charges charges;
};

// One menu priced on a fresh panel against a year table: formula, then charges.
MenuPrice priceMenu(const tariffs::TariffMenu& menu, const SeasonTable& season, double contract,
                    double powerFactor);

} // namespace wattorio::calc
