#pragma once
// The window 月別請求額 without its widgets: one site's months priced under a tariff file of
// 料金表, the ranking of every file the site can take, and the invoices recorded beside the bill.

#include "app/app_state.h"
#include "billing/bill_workbook.h"
#include "billing/invoice_file.h"
#include "billing/site_bill.h"
#include "billing/tariff_ranking.h"

#include <ctime>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace wattorio::billing {

struct TariffChoice {
    std::string file;
    std::string name; // "" for a file that does not read
    std::string provider;
    std::string firstPrice; // "2024-04-01"
    std::string lastPrice;
    std::string problem; // why the file does not read
};

// One part of a month's bill as the chart stacks it, in yen; the parts of a month add up to its
// bill.
struct ChartPart {
    std::string name;
    std::vector<double> yen; // a value per month
};

class MonthlyBillForm {
public:
    static constexpr const char* kCaption = "月別請求額";

    explicit MonthlyBillForm(AppState& state) : state_(state) {}

    // Loads the site of registry row `row`, the tariff files and the invoices; the reason when
    // the site cannot be billed. The first month is the default one (the twelve months up to the
    // last with data) and the tariff the cheapest of the ranking.
    Status load(int row);

    const SiteBillData& site() const { return site_; }
    const std::vector<TariffChoice>& choices() const { return choices_; }
    const TariffRanking& ranking() const { return ranking_; }
    // The months the data covers, as the first month may be chosen.
    std::vector<YearMonth> firstMonthChoices() const;
    YearMonth first() const { return first_; }
    // The months from `first` priced again, and the ranking with them.
    Status setFirst(YearMonth first);
    // Prices the bill under the tariff file `file` (a file of choices()).
    Status choose(const std::string& file);
    const std::string& chosenFile() const { return chosen_; }
    const Tariff* tariff() const;
    const BillResult* bill() const { return bill_ ? &*bill_ : nullptr; }
    BillRequest request() const;

    const BillTable& table() const { return table_; }
    // The text of a table cell: an invoice field typed but not yet recorded shows as typed.
    std::string cellText(int row, int column) const;
    bool invoiceColumn(int column) const;

    // An invoice field of the month of table row `row`. The month's invoice is recorded (safe
    // save; the caller holds the folder lock) once its four fields are filled and right; the
    // reason when the text is no number, the invoice cannot be recorded or the file not written.
    std::string setInvoiceField(int row, InvoiceField field, const std::string& text);
    // A block of tab-separated rows pasted at (row, column of an invoice field): each line one
    // month down, each value one field right. The first reason a value was refused, "" when none.
    std::string pasteInvoices(int row, int column, const std::string& block);
    const std::string& invoiceFileProblem() const { return invoiceProblem_; }

    std::vector<ChartPart> chartParts() const;

    BillSheetHeading sheetHeading() const;
    // Excel出力: the workbook into the report folder, its path or why not.
    Result<std::string> exportWorkbook(std::time_t made) const;

private:
    Status price();
    void rank();
    std::string invoicePath() const;

    AppState& state_;
    SiteBillData site_;
    std::vector<TariffFolderEntry> entries_;
    std::vector<TariffChoice> choices_;
    TariffRanking ranking_;
    YearMonth first_;
    std::string chosen_;
    std::optional<BillResult> bill_;
    std::vector<Invoice> invoices_;
    std::string invoiceProblem_;
    // Fields typed for a month whose invoice is not complete yet, by month index.
    std::map<int, std::map<int, double>> typed_;
    BillTable table_;
};

} // namespace wattorio::billing
