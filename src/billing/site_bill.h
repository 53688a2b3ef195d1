#pragma once
// Everything one site's dated bill is priced from, loaded once: the meter data, the national
// holidays, the national tables and the tariff files of 料金表. The monthly-bill window and the
// command line's report both start here, so both price the same figures.

#include "app/app_state.h"
#include "app/result.h"
#include "billing/monthly_bill.h"
#include "billing/national_tables.h"
#include "billing/tariff_file.h"
#include "billing/tariff_ranking.h"
#include "yearbook/holiday_list.h"

#include <optional>
#include <string>
#include <vector>

namespace wattorio::billing {

struct SiteBillData {
    std::string serial;
    std::string name;
    double contractKw = 0;
    double powerFactor = 85;
    std::vector<MeterInterval> intervals;
    yearbook::HolidayList holidays;
    NationalTables tables;
    std::vector<std::string> notes; // what the user should know but did not stop the loading
    RankingSite rankingSite() const;

private:
    friend Result<SiteBillData> loadSiteBillData(const AppState& state, int row);
    int utility_ = 0;
    std::string category_;
    std::string supply_;
};

// The site of registry row `row` with its meter data: an error when the row holds no site, its
// figures are out of bounds, its meter file is damaged or empty, or the national tables cannot
// be read.
Result<SiteBillData> loadSiteBillData(const AppState& state, int row);

// The request pricing `months` months from `first` under `tariff` (which must outlive it).
BillRequest siteBillRequest(const SiteBillData& site, const Tariff& tariff, YearMonth first, int months = 12);

// The file name a path ends in.
std::string tariffFileName(const std::string& path);

// "2024-04-01" and "2025-04-01": the first and last dates of the tariff's price entries.
std::pair<std::string, std::string> priceDateSpan(const Tariff& tariff);

} // namespace wattorio::billing
