#pragma once
// The monthly bill as a table: twelve months (or as many as were priced) and the total, every
// part of the bill beside the invoice the user recorded for the month. The window 月別請求額 shows
// these cells and the spreadsheet 月別請求額 holds the same ones, so both show one figure.

#include "app/result.h"
#include "billing/invoice_file.h"
#include "billing/monthly_bill.h"
#include "reports/report_layout.h"

#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace wattorio::billing {

constexpr const char* kBillReportName = "月別請求額";
// The number the command line's `report --report` gives this workbook.
constexpr int kBillReportNumber = 8;

// The invoice's fields as columns of the table, in order.
enum class InvoiceField { Kwh = 0, MaxDemand = 1, PowerFactor = 2, Amount = 3 };
constexpr int kInvoiceFields = 4;

struct BillCell {
    std::optional<double> number; // none: the text
    std::string text;
};

struct BillTable {
    std::vector<std::string> titles;
    std::vector<std::string> formats;        // the spreadsheet's number format of each column
    std::vector<std::vector<BillCell>> rows; // one a month, then 合計
    int firstInvoiceColumn = 0;              // kInvoiceFields columns from here
    int notesColumn = 0;
    std::vector<int> offRows; // months more than 1 % off their invoice
    std::string offNote;      // "" when none is
};

BillTable billTable(const BillResult& bill, const std::vector<Invoice>& invoices);

// A cell as the window shows it: its number with the grouping and decimals of its column's
// format, or its text.
std::string billCellText(const BillCell& cell, const std::string& format);

// A text typed or pasted into an invoice column as a number ("1,234", " 98 ", "98%"); none when it
// is not one.
std::optional<double> invoiceNumber(const std::string& text);

struct BillSheetHeading {
    std::string site;
    std::string tariff; // the tariff's name and file
    YearMonth first;
    int months = 12;
};

// The sheet: the title and tariff over the table's headings, the table's numbers as numbers,
// the site, the period and the day made to the right, the note of months off under the table.
reports::ReportLayout billReport(const BillSheetHeading& heading, const BillTable& table, std::time_t made);
Status writeBillWorkbook(const BillSheetHeading& heading, const BillTable& table, const std::string& path,
                         std::time_t made);
// Into the working folder's エクセル出力 under "月別請求額_<site>_<time>.xlsx", never over another
// file; the path written.
Result<std::string> saveBillWorkbook(const std::string& appDir, const BillSheetHeading& heading,
                                     const BillTable& table, std::time_t made);

} // namespace wattorio::billing
