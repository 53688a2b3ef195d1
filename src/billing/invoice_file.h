#pragma once
// The invoices a user records beside the monthly bill: stem + "_Invoice.csv", one line per month
// of use with the invoice's kWh, maximum demand, power factor and amount.
//
//   月,kWh,最大需要電力,力率,請求額
//   2025-04,41230,212,98,1023456
//
// Sorted by month, one line a month; Shift_JIS with CR LF. Read with the same distrust as the
// meter file: bounded, every field checked, a damaged file kept as it is and never written over.

#include "app/result.h"
#include "billing/meter_file.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wattorio::billing {

constexpr const char* kInvoiceFileSuffix = "_Invoice.csv";
constexpr const char* kInvoiceFileHeading = "月,kWh,最大需要電力,力率,請求額";
// A hundred years of months.
constexpr std::size_t kMaxInvoices = 1200;
constexpr double kMaxInvoiceKwh = 1e10;
constexpr double kMaxInvoiceAmount = 1e12;
constexpr double kMaxInvoiceDemandKw = 1e7;
// A bill that differs from its invoice by more than this share is marked.
constexpr double kInvoiceTolerancePercent = 1;

struct Invoice {
    int year = 0;
    int month = 0;
    double kwh = 0;
    double maxDemandKw = 0;
    double powerFactor = 0; // %
    long long amount = 0;   // yen, tax included

    bool operator==(const Invoice&) const = default;
};

// The invoice file of the site with registry serial `serial` ("" when the serial names no site).
std::string siteInvoiceFilePath(const std::string& appDir, const std::string& serial);

// "YYYY-MM" of an invoice's month.
std::string invoiceMonthText(const Invoice& invoice);
// Reads "YYYY-MM" (kFirstYear..kLastYear); false when it is not one.
bool parseMonthText(std::string_view text, int& year, int& month);

// Why an invoice cannot be recorded ("" when it can): the month, kWh (0 .. 1e10), maximum demand
// (0 .. 1e7 kW), power factor (1 .. 100 %), amount (0 .. 1e12 yen).
std::string invoiceProblem(const Invoice& invoice);

std::string invoiceFileBytes(const std::vector<Invoice>& invoices);
Result<std::vector<Invoice>> parseInvoiceFile(std::string_view bytes);

struct InvoiceFileRead {
    MeterFileState state = MeterFileState::Missing;
    std::vector<Invoice> invoices;
    std::string message;
};
InvoiceFileRead readInvoiceFile(const std::string& path);

// Records `invoice` in the file at `path`, replacing the same month's. The caller holds the
// folder lock; a damaged file is an error and stays as it is.
Status recordInvoice(const std::string& path, const Invoice& invoice);

const Invoice* findInvoice(const std::vector<Invoice>& invoices, int year, int month);

// A month's bill against its invoice: bill − amount in yen and as a share of the amount.
struct InvoiceCheck {
    long long differenceYen = 0;
    std::optional<double> differencePercent; // none when the invoice's amount is 0
    bool off = false;                        // more than kInvoiceTolerancePercent apart
};
InvoiceCheck checkAgainstInvoice(long long bill, const Invoice& invoice);

} // namespace wattorio::billing
