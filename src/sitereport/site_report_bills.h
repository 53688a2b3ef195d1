#pragma once
// The dated part of the site report: the site's metered intervals (or, without them, its year
// book on the calendar year it was set for) priced month by month under one tariff file, as
// 月別請求額 prices them, with the invoices recorded and their differences. The figures come from
// the bill engine (billing::priceMonths); this only lays them out as the report's table.

#include "app/app_state.h"
#include "app/result.h"
#include "billing/dates.h"
#include "sitereport/site_report.h"

#include <optional>
#include <string>
#include <vector>

namespace wattorio::sitereport {

struct DatedBills {
    BillTable table;
    MenuLine contract;                    // the tariff as the current contract: its bill over the months
    std::string period;                   // the months billed and the data they come from
    std::vector<std::string> assumptions; // tables and sources used, missing intervals, notes
    std::vector<std::string> warnings;    // files that could not be read (for the caller to tell)
};

// `tariffFile` is a path, or a file name in the working folder's 料金表; `from` the first month
// (default: the twelve months up to the last with data). An error names what stops the bill.
Result<DatedBills> datedBills(const AppState& state, const std::string& tariffFile,
                              std::optional<billing::YearMonth> from);

// Adds the dated part to a report: the table, the tariff as the current contract (the menu of
// the panel, if any, stays among the lines) and the assumptions.
void addDatedBills(SiteReport& report, DatedBills bills);

} // namespace wattorio::sitereport
