#include "sitereport/site_report_bills.h"

#include "app/numtext.h"
#include "app/safe_save.h"
#include "billing/monthly_bill_form.h"
#include "billing/site_bill.h"
#include "calc/total_form.h"
#include "registry/registry.h"
#include "registry/site_book_info.h"
#include "reports/site_comparison.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <set>

namespace wattorio::sitereport {

namespace {

using namespace billing;

// The distinct sources a national table names for the entries the billed months use ("" keys
// of the other table kind are skipped).
std::vector<std::string> tableSources(const std::string& path, const std::set<std::string>& keys,
                                      const char* keyName) {
    std::vector<std::string> sources;
    Result<std::string> bytes = readFileBytes(path, {kMaxNationalTableBytes});
    if (!bytes)
        return sources;
    const nlohmann::json table = nlohmann::json::parse(*bytes, nullptr, false);
    if (!table.is_object() || !table.contains("entries") || !table["entries"].is_array())
        return sources;
    for (const nlohmann::json& entry : table["entries"]) {
        if (!entry.is_object() || !entry.contains(keyName) || !entry.contains("source") ||
            !entry["source"].is_string())
            continue;
        const nlohmann::json& key = entry[keyName];
        const std::string k = key.is_string()           ? key.get<std::string>()
                              : key.is_number_integer() ? std::to_string(key.get<int>())
                                                        : "";
        if (!keys.count(k))
            continue;
        std::string source = entry["source"].get<std::string>();
        if (entry.contains("seen") && entry["seen"].is_string())
            source += "（" + entry["seen"].get<std::string>() + " 確認）";
        if (std::find(sources.begin(), sources.end(), source) == sources.end())
            sources.push_back(source);
    }
    return sources;
}

std::string fileNameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string joined(const std::vector<std::string>& parts) {
    std::string out;
    for (const std::string& p : parts)
        out += (out.empty() ? "" : "、") + p;
    return out;
}

} // namespace

Result<DatedBills> datedBills(AppState& state, const std::string& tariffFile,
                              std::optional<billing::YearMonth> from) {
    // The window 月別請求額 without its widgets: the same loading, months and table.
    MonthlyBillForm form(state);
    Status loaded = form.load(static_cast<int>(state.SiteRow));
    if (loaded && from)
        loaded = form.setFirst(*from);
    if (loaded)
        loaded = form.choose(tariffFileName(tariffFile));
    if (!loaded)
        return loaded.error();
    const BillResult* bill = form.bill();
    const Tariff* tariff = form.tariff();
    if (!bill || !tariff)
        return Error{"月別請求額を計算できません。"};
    DatedBills out;
    out.warnings = form.site().notes;
    if (!form.invoiceFileProblem().empty())
        out.warnings.push_back(form.invoiceFileProblem());

    const billing::BillTable& shown = form.table();
    BillTable& table = out.table;
    table.caption = "月別請求額（" + tariff->name + "）";
    // The columns a page holds, under shorter headings; the figures as the window shows them.
    struct Column {
        const char* title;
        const char* heading;
        double width;
    };
    constexpr Column kColumns[] = {
        {"月", "月", 42},
        {"使用量 kWh", "使用量 kWh", 56},
        {"最大需要電力 kW", "最大需要 kW", 46},
        {"契約電力 kW", "契約 kW", 40},
        {"電気料金", "電気料金", 62},
        {"再エネ賦課金", "再エネ賦課金", 54},
        {"請求額", "請求額", 62},
        {"請求書 請求額", "請求書", 62},
        {"差額 円", "差額", 54},
        {"差 ％", "差 ％", 33},
    };
    std::vector<std::size_t> picked;
    for (const Column& c : kColumns) {
        const auto at = std::find(shown.titles.begin(), shown.titles.end(), c.title);
        if (at == shown.titles.end())
            continue;
        picked.push_back(static_cast<std::size_t>(at - shown.titles.begin()));
        table.headings.emplace_back(c.heading);
        table.widths.push_back(c.width);
    }
    for (const std::vector<BillCell>& row : shown.rows) {
        std::vector<std::string> cells;
        for (std::size_t c : picked)
            cells.push_back(c < row.size() ? billCellText(row[c], c < shown.formats.size() ? shown.formats[c]
                                                                                           : std::string())
                                           : std::string());
        table.rows.push_back(std::move(cells));
    }
    if (!shown.offNote.empty())
        table.note = shown.offNote;

    std::set<std::string> months, fiscalYears;
    for (const MonthBill& m : bill->months)
        if (!m.noData) {
            months.insert(yearMonthText(m.month));
            fiscalYears.insert(std::to_string(fiscalYear(m.month)));
        }
    const BillTotal& t = bill->total;
    const YearMonth first = form.first();
    const YearMonth last = addMonths(first, static_cast<int>(bill->months.size()) - 1);
    out.period = std::to_string(first.year) + "年" + std::to_string(first.month) + "月〜" +
                 std::to_string(last.year) + "年" + std::to_string(last.month) + "月（メーターデータ）";
    out.contract.role = "現在の契約";
    out.contract.name = tariff->name + "（料金表）";
    out.contract.total = static_cast<double>(t.bill);
    out.contract.withTax = static_cast<double>(t.bill);
    out.contract.taxText = "税込";
    out.contract.difference = std::numeric_limits<double>::quiet_NaN();

    out.assumptions.push_back("月別請求額：メーターデータを料金表「" + tariff->name + "」（" +
                              (tariff->source.empty() ? std::string("出典の記載なし") : tariff->source) +
                              "）で " + yearMonthText(first) + " から " + std::to_string(t.monthsBilled) +
                              " か月分計算しました。請求額は燃料費等調整額・再エネ賦課金・国の補助を含み、"
                              "料金メニューの年間合計とは前提が違うため、最安との差は出していません。");
    const NationalTables& tables = form.site().tables;
    const std::vector<std::string> levy = tableSources(tables.levyPath, fiscalYears, "fiscal_year");
    const std::vector<std::string> discount = tableSources(tables.discountPath, months, "month");
    out.assumptions.push_back("国の表：再エネ賦課金（" + fileNameOf(tables.levyPath) + "、出典 " +
                              (levy.empty() ? std::string("—") : joined(levy)) + "）、高圧の補助（" +
                              fileNameOf(tables.discountPath) + "、出典 " +
                              (discount.empty() ? std::string("該当月なし") : joined(discount)) + "）。");
    if (t.missingIntervals > 0)
        out.assumptions.push_back("欠測：値のない区間が " + std::to_string(t.missingIntervals) +
                                  " あり、その区間は使用量 0 として計算しています。");
    return out;
}

void addDatedBills(SiteReport& report, DatedBills bills) {
    report.bills = std::move(bills.table);
    for (auto& [label, value] : report.heading)
        if (label == "データの期間")
            value = bills.period;
    if (report.current) {
        // The panel's menu stays in the table under its own name.
        report.current->role = "選んだメニュー";
        report.cheapest.insert(report.cheapest.begin(), *report.current);
    }
    report.current = std::move(bills.contract);
    report.assumptions.insert(report.assumptions.end(), bills.assumptions.begin(), bills.assumptions.end());
    std::erase_if(report.assumptions, [](const std::string& a) { return a.rfind("現在の契約：", 0) == 0; });
}

Result<SiteReport> siteReportWithBills(const AppState& state, int row, const std::string& tariffFile,
                                       std::optional<billing::YearMonth> from, std::time_t made,
                                       std::vector<std::string>& warnings) {
    if (row < 1 || row > kMaxSites || state.SiteTable[static_cast<std::size_t>(row)][0].empty())
        return Error{"物件が選ばれていません。"};
    auto work = std::make_unique<AppState>(state);
    const SiteRecord& record = work->SiteTable[static_cast<std::size_t>(row)];
    reports::SiteComparison site;
    site.row = row;
    site.serial = record[0];
    site.name = record[1];
    const double utility = val(record[5]);
    site.utility =
        utility >= 1 && utility <= 9 && utility == std::floor(utility) ? static_cast<int>(utility) : 0;
    if (site.utility == 0)
        return Error{"電力会社が設定されていません。"};
    // The book the site keeps: its recorded kind, else the book whose file is there.
    std::optional<registry::BookKind> kind = registry::siteBookInfo(record).kind;
    if (!kind)
        kind = !fileExists(registry::Fail_Name_Set(work->AppDir, record[0], 1)) &&
                       fileExists(registry::Fail_Name_Set(work->AppDir, record[0], 2))
                   ? registry::BookKind::TenDay
                   : registry::BookKind::Year;
    site.book = *kind == registry::BookKind::TenDay ? reports::SiteBook::TenDay : reports::SiteBook::Year;
    if (std::string reason = reports::loadSiteForResults(*work, site); !reason.empty())
        return Error{reason};
    calc::TotalForm form(*work);
    form.setTenDayBook(site.book == reports::SiteBook::TenDay);
    if (!form.Form_Load())
        return Error{form.loadRefusal() ? form.loadRefusal()->text : std::string("結果画面を開けません。")};
    SiteReport report = buildSiteReport({work.get(), &form, site.book == reports::SiteBook::Year, made});
    Result<DatedBills> bills = datedBills(*work, tariffFile, from);
    if (!bills)
        return bills.error();
    warnings.insert(warnings.end(), bills->warnings.begin(), bills->warnings.end());
    addDatedBills(report, std::move(*bills));
    return report;
}

} // namespace wattorio::sitereport
