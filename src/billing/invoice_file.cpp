#include "billing/invoice_file.h"

#include "app/safe_save.h"
#include "app/sjis.h"
#include "billing/dates.h"
#include "billing/site_csv.h"
#include "registry/site_files.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace wattorio::billing {

namespace {

constexpr std::size_t kMaxInvoiceLineBytes = 128;
constexpr std::size_t kMaxInvoiceFileBytes = (kMaxInvoices + 2) * kMaxInvoiceLineBytes;

std::string numberText(double value) {
    char text[64];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    return std::string(text, ec == std::errc() ? end : text);
}

std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t from = 0;
    for (;;) {
        const std::size_t comma = line.find(',', from);
        out.push_back(
            line.substr(from, comma == std::string_view::npos ? std::string_view::npos : comma - from));
        if (comma == std::string_view::npos || out.size() > 5)
            return out;
        from = comma + 1;
    }
}

} // namespace

std::string siteInvoiceFilePath(const std::string& appDir, const std::string& serial) {
    const std::string stem = registry::siteStem(serial);
    return stem.empty() ? stem : appDir + stem + kInvoiceFileSuffix;
}

std::string invoiceMonthText(const Invoice& invoice) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d", invoice.year, invoice.month);
    return text;
}

bool parseMonthText(std::string_view text, int& year, int& month) {
    const std::optional<YearMonth> parsed = parseYearMonth(text);
    if (!parsed)
        return false;
    year = parsed->year;
    month = parsed->month;
    return true;
}

std::string invoiceProblem(const Invoice& i) {
    if (i.year < kFirstYear || i.year > kLastYear || i.month < 1 || i.month > 12)
        return "月が正しくありません";
    if (!std::isfinite(i.kwh) || i.kwh < 0 || i.kwh > kMaxInvoiceKwh)
        return "kWh が範囲外です";
    if (!std::isfinite(i.maxDemandKw) || i.maxDemandKw < 0 || i.maxDemandKw > kMaxInvoiceDemandKw)
        return "最大需要電力が範囲外です";
    if (!std::isfinite(i.powerFactor) || i.powerFactor < 1 || i.powerFactor > 100)
        return "力率が範囲外です（1～100）";
    if (i.amount < 0 || static_cast<double>(i.amount) > kMaxInvoiceAmount)
        return "請求額が範囲外です";
    return "";
}

std::string invoiceFileBytes(const std::vector<Invoice>& invoices) {
    std::string out = csvHeadingBytes(kInvoiceFileHeading) + "\r\n";
    for (const Invoice& i : invoices)
        out += invoiceMonthText(i) + "," + numberText(i.kwh) + "," + numberText(i.maxDemandKw) + "," +
               numberText(i.powerFactor) + "," + std::to_string(i.amount) + "\r\n";
    return out;
}

Result<std::vector<Invoice>> parseInvoiceFile(std::string_view bytes) {
    if (bytes.size() > kMaxInvoiceFileBytes)
        return Error{"ファイルが大きすぎます"};
    std::vector<Invoice> invoices;
    const std::optional<Error> refused =
        forEachCsvRecord(bytes, kInvoiceFileHeading, kMaxInvoiceLineBytes,
                         [&](std::string_view line, std::size_t lineNo) -> std::optional<Error> {
                             if (invoices.size() >= kMaxInvoices)
                                 return csvLineError(lineNo, "行が多すぎます");
                             const std::vector<std::string_view> f = fields(line);
                             if (f.size() != 5)
                                 return csvLineError(lineNo, "項目が 5 つではありません");
                             Invoice i;
                             if (!parseMonthText(f[0], i.year, i.month))
                                 return csvLineError(lineNo, "月が正しくありません");
                             double amount = 0;
                             if (!parsePlainNumber(f[1], i.kwh) || !parsePlainNumber(f[2], i.maxDemandKw) ||
                                 !parsePlainNumber(f[3], i.powerFactor) || !parsePlainNumber(f[4], amount) ||
                                 amount != std::floor(amount) || amount > kMaxInvoiceAmount)
                                 return csvLineError(lineNo, "数値が正しくありません");
                             i.amount = static_cast<long long>(amount);
                             if (std::string why = invoiceProblem(i); !why.empty())
                                 return csvLineError(lineNo, why);
                             if (!invoices.empty() &&
                                 (invoices.back().year * 12 + invoices.back().month >= i.year * 12 + i.month))
                                 return csvLineError(lineNo, "月の順が正しくないか、同じ月が 2 行あります");
                             invoices.push_back(i);
                             return std::nullopt;
                         });
    if (refused)
        return *refused;
    return invoices;
}

InvoiceFileRead readInvoiceFile(const std::string& path) {
    InvoiceFileRead read;
    std::error_code ec;
    if (std::filesystem::symlink_status(path, ec).type() == std::filesystem::file_type::not_found)
        return read;
    ReadOptions options;
    options.maxBytes = kMaxInvoiceFileBytes;
    Result<std::string> bytes = readFileBytes(path, options);
    Result<std::vector<Invoice>> parsed =
        bytes ? parseInvoiceFile(*bytes) : Result<std::vector<Invoice>>(bytes.error());
    if (!parsed) {
        read.state = MeterFileState::Damaged;
        read.message = "請求書データを読み込めません: " + path + "（" + parsed.error().message + "）";
        return read;
    }
    read.state = MeterFileState::Loaded;
    read.invoices = std::move(*parsed);
    return read;
}

Status recordInvoice(const std::string& path, const Invoice& invoice) {
    if (std::string why = invoiceProblem(invoice); !why.empty())
        return Error{why};
    InvoiceFileRead read = readInvoiceFile(path);
    if (read.state == MeterFileState::Damaged)
        return Error{read.message + "\n請求書データのファイルはそのまま残し、保存しませんでした。"};
    std::vector<Invoice>& list = read.invoices;
    const auto at =
        std::lower_bound(list.begin(), list.end(), invoice, [](const Invoice& a, const Invoice& b) {
            return a.year * 12 + a.month < b.year * 12 + b.month;
        });
    if (at != list.end() && at->year == invoice.year && at->month == invoice.month)
        *at = invoice;
    else if (list.size() >= kMaxInvoices)
        return Error{"請求書データが多すぎます"};
    else
        list.insert(at, invoice);
    return saveFileAtomically(path, invoiceFileBytes(list));
}

const Invoice* findInvoice(const std::vector<Invoice>& invoices, int year, int month) {
    for (const Invoice& i : invoices)
        if (i.year == year && i.month == month)
            return &i;
    return nullptr;
}

InvoiceCheck checkAgainstInvoice(long long bill, const Invoice& invoice) {
    InvoiceCheck check;
    check.differenceYen = bill - invoice.amount;
    if (invoice.amount > 0) {
        check.differencePercent =
            100.0 * static_cast<double>(check.differenceYen) / static_cast<double>(invoice.amount);
        check.off = std::abs(*check.differencePercent) > kInvoiceTolerancePercent;
    } else {
        check.off = check.differenceYen != 0;
    }
    return check;
}

} // namespace wattorio::billing
