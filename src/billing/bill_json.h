#pragma once
// A bill as the command line's `bill --json` writes it; the windows' tests compare the same text.

#include "billing/monthly_bill.h"

#include <nlohmann/json.hpp>

#include <string>

namespace wattorio::billing {

// An amount in millionths of a yen as a JSON number of yen (exact to the 銭 and below).
nlohmann::ordered_json yenJson(std::int64_t microYen);

// {"month", "intervals", "missing_intervals", "no_data", "kwh_by_band", "kwh", "max_demand_kw",
//  "contract_kw", "power_factor", "basic", "energy", "fuel_adjustment", "market_adjustment",
//  "discount", "capacity", "charge", "levy", "bill", "tax_in_bill", "notes"}
nlohmann::ordered_json monthBillJson(const MonthBill& month);
// The same sums with "months_billed".
nlohmann::ordered_json billTotalJson(const BillTotal& total);

struct BillHeading {
    std::string site;   // the site's name
    std::string tariff; // the tariff's name
    std::string file;   // the tariff file
};

// {"site", "tariff", "file", "from", "months": [...], "total": {...}}
nlohmann::ordered_json billJson(const BillHeading& heading, const BillRequest& request,
                                const BillResult& result);

} // namespace wattorio::billing
