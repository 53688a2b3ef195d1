#include "sitereport/site_report_bills.h"

#include "app/numtext.h"
#include "app/safe_save.h"
#include "billing/book_intervals.h"
#include "billing/invoice_file.h"
#include "billing/meter_file.h"
#include "billing/monthly_bill.h"
#include "billing/national_tables.h"
#include "billing/tariff_file.h"
#include "billing/tariff_ranking.h"
#include "registry/site_book_info.h"
#include "yearbook/holiday_list.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <limits>
#include <set>

namespace wattorio::sitereport {

namespace {

using namespace billing;

std::string yen(long long value) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return (value < 0 ? "-" : "") + digits;
}

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

Result<DatedBills> datedBills(const AppState& state, const std::string& tariffFile,
                              std::optional<billing::YearMonth> from) {
    const SiteRecord* site = state.currentSite();
    if (!site)
        return Error{"物件が選ばれていません。"};
    const SiteRecord& record = *site;
    DatedBills out;

    // The data: the site's meter file, else its year book on the year its calendar was set for.
    std::vector<MeterInterval> intervals;
    std::vector<std::int32_t> daysWithoutReadings;
    std::string dataText;
    MeterFileRead read = readMeterFile(siteMeterFilePath(state.AppDir, record[0]));
    if (read.state == MeterFileState::Damaged)
        return Error{read.message};
    if (!read.intervals.empty()) {
        intervals = std::move(read.intervals);
        dataText = "メーターデータ（インターバルデータ）";
    } else if (const std::optional<int> year = registry::siteBookInfo(record).calendarYear) {
        BookIntervals book = bookIntervals(state.HourData, *year, val(record[2]));
        intervals = std::move(book.intervals);
        daysWithoutReadings = std::move(book.daysWithoutReadings);
        dataText = "年間データを " + std::to_string(*year) + " 年の日付に置いたもの";
    } else {
        return Error{
            "物件「" + record[1] +
            "」にはメーターデータがなく、年間データの年も設定されていないため、月別請求額を計算できません。"};
    }
    const std::optional<YearMonth> first = from ? from : defaultFirstMonth(intervals, 12);
    if (!first)
        return Error{"メーターデータに日付のある値がありません。"};

    const std::string path = tariffFile.find('/') != std::string::npos
                                 ? tariffFile
                                 : tariffFolderPath(state.AppDir) + "/" + tariffFile;
    Result<Tariff> tariff = readTariffFile(path);
    if (!tariff)
        return tariff.error();
    yearbook::HolidaySource holidays = yearbook::findHolidayList(state.AppDir, state.DataDir);
    if (!holidays.note.empty())
        out.warnings.push_back(holidays.note);
    Result<NationalTables> tables = loadNationalTables(state.AppDir, state.DataDir);
    if (!tables)
        return tables.error();
    for (const std::string& note : tables->notes)
        out.warnings.push_back(note);

    BillRequest request;
    request.intervals = intervals;
    request.daysWithoutReadings = daysWithoutReadings;
    request.contractKw = val(record[3]);
    request.powerFactor = val(record[4]);
    request.holidays = &holidays.list;
    request.tariff = &*tariff;
    request.tables = &*tables;
    request.first = *first;
    request.months = 12;
    Result<BillResult> bill = priceMonths(request);
    if (!bill)
        return bill.error();
    InvoiceFileRead invoices = readInvoiceFile(siteInvoiceFilePath(state.AppDir, record[0]));
    if (invoices.state == MeterFileState::Damaged)
        out.warnings.push_back(invoices.message);

    // The table of 月別請求額: the bill's own whole figures, the invoice and its difference.
    BillTable& table = out.table;
    table.caption = "月別請求額（" + tariff->name + "）";
    table.headings = {"月", "kWh", "最大需要 kW", "契約 kW", "電気料金", "賦課金", "請求額", "請求書", "差"};
    std::set<std::string> months, fiscalYears;
    int missing = 0;
    for (const MonthBill& m : bill->months) {
        std::vector<std::string> row{yearMonthText(m.month)};
        if (m.noData) {
            row.push_back("データなし");
            table.rows.push_back(std::move(row));
            continue;
        }
        months.insert(yearMonthText(m.month));
        fiscalYears.insert(std::to_string(fiscalYear(m.month)));
        missing += m.missingIntervals;
        row.insert(row.end(), {yen(m.kwh), yen(m.maxDemandKw), yen(m.contractKw), yen(m.charge) + " 円",
                               yen(m.levy) + " 円", yen(m.bill) + " 円"});
        if (const Invoice* invoice = findInvoice(invoices.invoices, m.month.year, m.month.month)) {
            const InvoiceCheck check = checkAgainstInvoice(m.bill, *invoice);
            row.push_back(yen(invoice->amount) + " 円");
            row.push_back(yen(check.differenceYen) + " 円" + (check.off ? " ※" : ""));
        }
        table.rows.push_back(std::move(row));
    }
    const BillTotal& t = bill->total;
    table.rows.push_back({"合計", yen(t.kwh), yen(t.maxDemandKw), yen(t.contractKw), yen(t.charge) + " 円",
                          yen(t.levy) + " 円", yen(t.bill) + " 円"});

    const YearMonth last = addMonths(*first, 11);
    out.period = std::to_string(first->year) + "年" + std::to_string(first->month) + "月〜" +
                 std::to_string(last.year) + "年" + std::to_string(last.month) + "月（" + dataText + "）";
    out.contract.role = "現在の契約";
    out.contract.name = tariff->name + "（料金表）";
    out.contract.total = static_cast<double>(t.bill);
    out.contract.withTax = static_cast<double>(t.bill);
    out.contract.taxText = "税込";
    out.contract.difference = std::numeric_limits<double>::quiet_NaN();

    out.assumptions.push_back("月別請求額：" + dataText + "を、料金表「" + tariff->name + "」（" +
                              (tariff->source.empty() ? std::string("出典の記載なし") : tariff->source) +
                              "）で " + yearMonthText(*first) + " から " + std::to_string(t.monthsBilled) +
                              " か月分計算しました。請求額は燃料費等調整額・再エネ賦課金・国の補助を含み、"
                              "料金メニューの年間合計とは前提が違うため、最安との差は出していません。");
    const std::vector<std::string> levy = tableSources(tables->levyPath, fiscalYears, "fiscal_year");
    const std::vector<std::string> discount = tableSources(tables->discountPath, months, "month");
    out.assumptions.push_back(
        "国の表：再エネ賦課金（" + fileNameOf(tables->levyPath) + "、出典 " +
        (levy.empty() ? std::string("—") : joined(levy)) + "）、高圧の補助（" +
        fileNameOf(tables->discountPath) + "、出典 " +
        (discount.empty() ? std::string("該当月なし") : joined(discount)) + "）。祝日は " +
        (holidays.path.empty() ? std::string("法律の規則で計算したもの") : fileNameOf(holidays.path)) + "。");
    if (missing > 0)
        out.assumptions.push_back("欠測：値のない区間が " + std::to_string(missing) +
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

} // namespace wattorio::sitereport
