#include "billing/bill_workbook.h"

#include "reports/workbook_file.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace wattorio::billing {

namespace {

constexpr const char* kYen = "#,##0";
constexpr const char* kPartYen = "#,##0.00";
constexpr const char* kWhole = "#,##0";
constexpr const char* kPercent = "0.00";

BillCell number(double value) {
    return {value, {}};
}
BillCell text(std::string value) {
    return {std::nullopt, std::move(value)};
}
double yen(std::int64_t microYen) {
    return static_cast<double>(microYen) / static_cast<double>(kMicroYen);
}

std::int64_t bandKwh(const std::vector<std::pair<std::string, std::int64_t>>& bands,
                     const std::string& name) {
    for (const auto& [band, kwh] : bands)
        if (band == name)
            return kwh;
    return 0;
}

// The parts and sums shared by a month and the total, from 基本料金 to うち消費税.
template <class Sums> void addParts(std::vector<BillCell>& row, const Sums& s) {
    for (std::int64_t part : {s.parts.basic, s.parts.energy, s.parts.fuelAdjustment, s.parts.marketAdjustment,
                              s.parts.discount, s.parts.capacity})
        row.push_back(number(yen(part)));
    for (std::int64_t whole : {s.charge, s.levy, s.bill, s.taxInBill})
        row.push_back(number(static_cast<double>(whole)));
}

std::string percentText(double percent) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%+.2f", percent);
    return buffer;
}

} // namespace

BillTable billTable(const BillResult& bill, const std::vector<Invoice>& invoices) {
    BillTable table;
    std::vector<std::string> bands;
    for (const auto& [band, kwh] : bill.total.kwhByBand)
        bands.push_back(band);
    const auto column = [&](std::string title, const char* format) {
        table.titles.push_back(std::move(title));
        table.formats.emplace_back(format);
    };
    column("月", "");
    for (const std::string& band : bands)
        column(band + " kWh", kWhole);
    column("使用量 kWh", kWhole);
    column("最大需要電力 kW", kWhole);
    column("契約電力 kW", kWhole);
    column("力率 ％", "0");
    for (const char* part :
         {"基本料金", "電力量料金", "燃料費調整額", "市場価格調整額", "値引き", "容量拠出金"})
        column(part, kPartYen);
    for (const char* sum : {"電気料金", "再エネ賦課金", "請求額", "うち消費税"})
        column(sum, kYen);
    table.firstInvoiceColumn = static_cast<int>(table.titles.size());
    column("請求書 kWh", "#,##0.##");
    column("請求書 最大需要電力 kW", "#,##0.##");
    column("請求書 力率 ％", "0.##");
    column("請求書 請求額", kYen);
    column("差額 円", kYen);
    column("差 ％", kPercent);
    table.notesColumn = static_cast<int>(table.titles.size());
    column("備考", "");

    std::string offMonths;
    for (const MonthBill& m : bill.months) {
        std::vector<BillCell> row{text(yearMonthText(m.month))};
        const Invoice* invoice = findInvoice(invoices, m.month.year, m.month.month);
        if (m.noData) {
            row.resize(static_cast<std::size_t>(table.firstInvoiceColumn));
            row[1] = text("データなし");
        } else {
            for (const std::string& band : bands)
                row.push_back(number(static_cast<double>(bandKwh(m.kwhByBand, band))));
            for (std::int64_t v :
                 {m.kwh, m.maxDemandKw, m.contractKw, static_cast<std::int64_t>(m.powerFactor)})
                row.push_back(number(static_cast<double>(v)));
            addParts(row, m);
        }
        if (invoice) {
            row.push_back(number(invoice->kwh));
            row.push_back(number(invoice->maxDemandKw));
            row.push_back(number(invoice->powerFactor));
            row.push_back(number(static_cast<double>(invoice->amount)));
        } else {
            row.resize(row.size() + kInvoiceFields);
        }
        if (invoice && !m.noData) {
            const InvoiceCheck check = checkAgainstInvoice(m.bill, *invoice);
            row.push_back(number(static_cast<double>(check.differenceYen)));
            // + 0.0: a difference that rounds to nothing is 0.00, never -0.00.
            row.push_back(check.differencePercent
                              ? number(std::round(*check.differencePercent * 100) / 100 + 0.0)
                              : BillCell{});
            if (check.off) {
                table.offRows.push_back(static_cast<int>(table.rows.size()));
                offMonths += (offMonths.empty() ? "" : "、") + yearMonthText(m.month);
                if (check.differencePercent)
                    offMonths += "（" + percentText(*check.differencePercent) + " ％）";
            }
        } else {
            row.resize(row.size() + 2);
        }
        std::string notes;
        for (const std::string& note : m.notes)
            notes += (notes.empty() ? "" : "　") + note;
        row.push_back(text(notes));
        table.rows.push_back(std::move(row));
    }

    const BillTotal& t = bill.total;
    std::vector<BillCell> total{text("合計")};
    for (const std::string& band : bands)
        total.push_back(number(static_cast<double>(bandKwh(t.kwhByBand, band))));
    total.push_back(number(static_cast<double>(t.kwh)));
    total.push_back(number(static_cast<double>(t.maxDemandKw)));
    total.push_back(number(static_cast<double>(t.contractKw)));
    total.push_back({});
    addParts(total, t);
    total.resize(table.titles.size());
    total.back() = text(std::to_string(t.monthsBilled) + " か月");
    table.rows.push_back(std::move(total));
    if (!offMonths.empty())
        table.offNote = "請求書と 1 ％を超えて違う月: " + offMonths;
    return table;
}

std::string billCellText(const BillCell& cell, const std::string& format) {
    if (!cell.number)
        return cell.text;
    const std::size_t dot = format.find('.');
    const bool grouped = format.find(',') != std::string::npos;
    const bool optional =
        format.find('#', dot == std::string::npos ? format.size() : dot) != std::string::npos;
    const int decimals = dot == std::string::npos ? 0 : static_cast<int>(format.size() - dot - 1);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, *cell.number);
    std::string out = buffer;
    if (optional && out.find('.') != std::string::npos) {
        while (out.back() == '0')
            out.pop_back();
        if (out.back() == '.')
            out.pop_back();
    }
    if (grouped) {
        const std::size_t start = out[0] == '-' || out[0] == '+' ? 1 : 0;
        std::size_t end = out.find('.');
        if (end == std::string::npos)
            end = out.size();
        for (std::size_t at = end; at > start + 3; at -= 3)
            out.insert(at - 3, ",");
    }
    return out;
}

std::optional<double> invoiceNumber(const std::string& text) {
    std::string plain;
    for (char c : text)
        if (c != ',' && c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '%')
            plain += c;
    double value = 0;
    const char* end = plain.data() + plain.size();
    const auto [at, ec] = std::from_chars(plain.data(), end, value, std::chars_format::fixed);
    if (plain.empty() || ec != std::errc() || at != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

reports::ReportLayout billReport(const BillSheetHeading& heading, const BillTable& table, std::time_t made) {
    reports::ReportLayout layout;
    layout.cells.emplace_back(1, 1, std::string(kBillReportName));
    layout.cells.emplace_back(2, 1, "料金表　" + heading.tariff);
    constexpr int kHeadingRow = 4;
    for (std::size_t c = 0; c < table.titles.size(); ++c)
        layout.cells.emplace_back(kHeadingRow, static_cast<int>(c) + 1, table.titles[c]);
    for (std::size_t r = 0; r < table.rows.size(); ++r)
        for (std::size_t c = 0; c < table.rows[r].size(); ++c) {
            const BillCell& cell = table.rows[r][c];
            const int row = kHeadingRow + 1 + static_cast<int>(r);
            if (cell.number)
                layout.cells.emplace_back(row, static_cast<int>(c) + 1, *cell.number, table.formats[c]);
            else if (!cell.text.empty())
                layout.cells.emplace_back(row, static_cast<int>(c) + 1, cell.text);
        }
    if (!table.offNote.empty())
        layout.cells.emplace_back(kHeadingRow + 2 + static_cast<int>(table.rows.size()), 1, table.offNote);
    layout.lastColumn = static_cast<int>(table.titles.size());
    const YearMonth last = addMonths(heading.first, heading.months - 1);
    reports::addStamp(layout, {"物件　" + heading.site,
                               "期間　" + std::to_string(heading.first.year) + "年" +
                                   std::to_string(heading.first.month) + "月〜" + std::to_string(last.year) +
                                   "年" + std::to_string(last.month) + "月",
                               "作成日　" + reports::madeDate(made)});
    return layout;
}

Status writeBillWorkbook(const BillSheetHeading& heading, const BillTable& table, const std::string& path,
                         std::time_t made) {
    return reports::writeWorkbook(billReport(heading, table, made), path, kBillReportName);
}

Result<std::string> saveBillWorkbook(const std::string& appDir, const BillSheetHeading& heading,
                                     const BillTable& table, std::time_t made) {
    std::error_code ec;
    if (!fs::is_directory(fs::path(appDir), ec))
        return Error{"作業フォルダーがありません: " + appDir};
    const std::string folder = reports::reportFolder(appDir);
    fs::create_directory(fs::path(folder), ec);
    if (!fs::is_directory(fs::path(folder), ec))
        return Error{"エクセル出力のフォルダーを作れません: " + folder};
    std::tm local{};
    localtime_r(&made, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::string site = reports::fileNamePart(heading.site);
    const std::string stem =
        std::string(kBillReportName) + "_" + (site.empty() ? "物件" : site) + "_" + stamp;
    std::string path = folder + stem + ".xlsx";
    for (int n = 2; fs::exists(fs::path(path), ec) || fs::is_symlink(fs::path(path), ec); ++n) {
        if (n > 999)
            return Error{"同じ名前のファイルが多すぎます: " + path};
        path = folder + stem + "_" + std::to_string(n) + ".xlsx";
    }
    if (Status written = writeBillWorkbook(heading, table, path, made); !written)
        return written.error();
    return path;
}

} // namespace wattorio::billing
