#pragma once
// The dated part of the site report: the site's metered intervals priced month by month under
// one tariff file by the core of the window 月別請求額 (billing::MonthlyBillForm), with the
// invoices recorded and their differences: the report's table is that window's table.

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

// The current site's bills. `tariffFile` names a file of the working folder's 料金表 (a path is
// taken by its file name); `from` the first month (default: the twelve months up to the last with
// data). An error names what stops the bill.
Result<DatedBills> datedBills(AppState& state, const std::string& tariffFile,
                              std::optional<billing::YearMonth> from);

// Adds the dated part to a report: the table, the tariff as the current contract (the menu of
// the panel, if any, stays among the lines) and the assumptions.
void addDatedBills(SiteReport& report, DatedBills bills);

// The whole report of registry row `row` under `tariffFile`, as 月別請求額 writes it: the site's
// book is loaded into a copy of `state` (as 全物件の比較 loads it), so that an open book and the
// tables it works on are never touched. The files that could not be read go to `warnings`.
Result<SiteReport> siteReportWithBills(const AppState& state, int row, const std::string& tariffFile,
                                       std::optional<billing::YearMonth> from, std::time_t made,
                                       std::vector<std::string>& warnings);

} // namespace wattorio::sitereport
