#include "billing/bill_json.h"

namespace wattorio::billing {

using nlohmann::ordered_json;

ordered_json yenJson(std::int64_t microYen) {
    if (microYen % kMicroYen == 0)
        return microYen / kMicroYen;
    return static_cast<double>(microYen) / static_cast<double>(kMicroYen);
}

namespace {

ordered_json bandsJson(const std::vector<std::pair<std::string, std::int64_t>>& bands) {
    ordered_json out = ordered_json::object();
    for (const auto& [name, kwh] : bands)
        out[name] = kwh;
    return out;
}

void putParts(ordered_json& out, const BillParts& parts) {
    out["basic"] = yenJson(parts.basic);
    out["energy"] = yenJson(parts.energy);
    out["fuel_adjustment"] = yenJson(parts.fuelAdjustment);
    out["market_adjustment"] = yenJson(parts.marketAdjustment);
    out["discount"] = yenJson(parts.discount);
    out["capacity"] = yenJson(parts.capacity);
}

} // namespace

ordered_json monthBillJson(const MonthBill& month) {
    ordered_json out;
    out["month"] = yearMonthText(month.month);
    out["intervals"] = month.intervals;
    out["missing_intervals"] = month.missingIntervals;
    out["no_data"] = month.noData;
    out["kwh_by_band"] = bandsJson(month.kwhByBand);
    out["kwh"] = month.kwh;
    out["max_demand_kw"] = month.maxDemandKw;
    out["contract_kw"] = month.contractKw;
    out["power_factor"] = month.powerFactor;
    putParts(out, month.parts);
    out["charge"] = month.charge;
    out["levy"] = month.levy;
    out["bill"] = month.bill;
    out["tax_in_bill"] = month.taxInBill;
    out["notes"] = month.notes;
    return out;
}

ordered_json billTotalJson(const BillTotal& total) {
    ordered_json out;
    out["intervals"] = total.intervals;
    out["missing_intervals"] = total.missingIntervals;
    out["kwh_by_band"] = bandsJson(total.kwhByBand);
    out["kwh"] = total.kwh;
    out["max_demand_kw"] = total.maxDemandKw;
    out["contract_kw"] = total.contractKw;
    putParts(out, total.parts);
    out["charge"] = total.charge;
    out["levy"] = total.levy;
    out["bill"] = total.bill;
    out["tax_in_bill"] = total.taxInBill;
    out["months_billed"] = total.monthsBilled;
    return out;
}

ordered_json billJson(const BillHeading& heading, const BillRequest& request, const BillResult& result) {
    ordered_json out;
    out["site"] = heading.site;
    out["tariff"] = heading.tariff;
    out["file"] = heading.file;
    out["from"] = yearMonthText(request.first);
    out["months"] = ordered_json::array();
    for (const MonthBill& month : result.months)
        out["months"].push_back(monthBillJson(month));
    out["total"] = billTotalJson(result.total);
    return out;
}

} // namespace wattorio::billing
