#include "billing/monthly_bill_form.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace wattorio::billing {

Status MonthlyBillForm::load(int row) {
    Result<SiteBillData> site = loadSiteBillData(state_, row);
    if (!site)
        return site.error();
    site_ = std::move(*site);
    entries_ = loadTariffFolder(tariffFolderPath(state_.AppDir));
    choices_.clear();
    for (const TariffFolderEntry& entry : entries_) {
        TariffChoice choice{entry.file, {}, {}, {}, {}, {}};
        if (entry.tariff) {
            choice.name = entry.tariff->name;
            choice.provider = entry.tariff->provider;
            std::tie(choice.firstPrice, choice.lastPrice) = priceDateSpan(*entry.tariff);
        } else {
            choice.problem = entry.tariff.error().message;
        }
        choices_.push_back(std::move(choice));
    }
    const InvoiceFileRead invoices = readInvoiceFile(invoicePath());
    invoices_ = invoices.invoices;
    invoiceProblem_ = invoices.state == MeterFileState::Damaged ? invoices.message : std::string();
    typed_.clear();
    first_ = *defaultFirstMonth(site_.intervals);
    rank();
    // The cheapest the site can take, else the first file that reads.
    chosen_.clear();
    if (!ranking_.tariffs.empty())
        chosen_ = ranking_.tariffs.front().file;
    for (std::size_t k = 0; k < entries_.size() && chosen_.empty(); ++k)
        if (entries_[k].tariff)
            chosen_ = entries_[k].file;
    if (chosen_.empty())
        return Error{"料金表フォルダーに読める料金表がありません（" + tariffFolderPath(state_.AppDir) +
                     "）。"};
    return price();
}

std::vector<YearMonth> MonthlyBillForm::firstMonthChoices() const {
    std::vector<YearMonth> months;
    if (site_.intervals.empty())
        return months;
    const auto [low, high] =
        std::minmax_element(site_.intervals.begin(), site_.intervals.end(),
                            [](const MeterInterval& a, const MeterInterval& b) { return a.date < b.date; });
    for (YearMonth m = monthOfDay(low->date); m <= monthOfDay(high->date); m = addMonths(m, 1))
        months.push_back(m);
    return months;
}

Status MonthlyBillForm::setFirst(YearMonth first) {
    first_ = first;
    typed_.clear();
    rank();
    return price();
}

Status MonthlyBillForm::choose(const std::string& file) {
    chosen_ = file;
    typed_.clear();
    return price();
}

const Tariff* MonthlyBillForm::tariff() const {
    for (const TariffFolderEntry& entry : entries_)
        if (entry.file == chosen_ && entry.tariff)
            return &*entry.tariff;
    return nullptr;
}

BillRequest MonthlyBillForm::request() const {
    return siteBillRequest(site_, *tariff(), first_);
}

void MonthlyBillForm::rank() {
    ranking_ = rankTariffs(site_.rankingSite(), entries_, site_.tables, &site_.holidays, first_);
}

Status MonthlyBillForm::price() {
    bill_.reset();
    table_ = {};
    const Tariff* chosen = tariff();
    if (!chosen)
        return Error{"料金表を読めません: " + chosen_};
    Result<BillResult> bill = priceMonths(request());
    if (!bill)
        return bill.error();
    bill_ = std::move(*bill);
    table_ = billTable(*bill_, invoices_);
    return {};
}

std::string MonthlyBillForm::invoicePath() const {
    return siteInvoiceFilePath(state_.AppDir, site_.serial);
}

bool MonthlyBillForm::invoiceColumn(int column) const {
    return bill_ && column >= table_.firstInvoiceColumn &&
           column < table_.firstInvoiceColumn + kInvoiceFields;
}

std::string MonthlyBillForm::cellText(int row, int column) const {
    if (row < 0 || row >= static_cast<int>(table_.rows.size()) || column < 0 ||
        column >= static_cast<int>(table_.titles.size()))
        return {};
    if (invoiceColumn(column) && row < static_cast<int>(bill_->months.size())) {
        const auto typed = typed_.find(monthIndex(addMonths(first_, row)));
        if (typed != typed_.end()) {
            const auto field = typed->second.find(column - table_.firstInvoiceColumn);
            if (field != typed->second.end())
                return billCellText({field->second, {}}, table_.formats[static_cast<std::size_t>(column)]);
        }
    }
    return billCellText(table_.rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)],
                        table_.formats[static_cast<std::size_t>(column)]);
}

std::string MonthlyBillForm::setInvoiceField(int row, InvoiceField field, const std::string& text) {
    if (!bill_ || row < 0 || row >= static_cast<int>(bill_->months.size()))
        return "請求書は月の行に入力してください。";
    if (!invoiceProblem_.empty())
        return invoiceProblem_;
    const YearMonth month = addMonths(first_, row);
    const int key = monthIndex(month);
    std::map<int, double>& typed = typed_[key];
    const int f = static_cast<int>(field);
    if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
        typed.erase(f);
        return {};
    }
    const std::optional<double> value = invoiceNumber(text);
    if (!value)
        return yearMonthText(month) + ": 「" + text + "」は数値ではありません。";
    typed[f] = *value;

    Invoice invoice{month.year, month.month, 0, 0, 0, 0};
    const Invoice* recorded = findInvoice(invoices_, month.year, month.month);
    if (recorded)
        invoice = *recorded;
    else if (typed.size() < kInvoiceFields)
        return {}; // waits for the other fields
    for (const auto& [which, v] : typed) {
        switch (static_cast<InvoiceField>(which)) {
        case InvoiceField::Kwh:
            invoice.kwh = v;
            break;
        case InvoiceField::MaxDemand:
            invoice.maxDemandKw = v;
            break;
        case InvoiceField::PowerFactor:
            invoice.powerFactor = v;
            break;
        case InvoiceField::Amount:
            if (v != std::floor(v) || v < 0 || v > kMaxInvoiceAmount) {
                typed.erase(f);
                return yearMonthText(month) + ": 請求額は円の整数で入力してください。";
            }
            invoice.amount = static_cast<long long>(v);
            break;
        }
    }
    if (const std::string problem = invoiceProblem(invoice); !problem.empty()) {
        typed.erase(f);
        return yearMonthText(month) + ": " + problem;
    }
    if (Status saved = recordInvoice(invoicePath(), invoice); !saved)
        return saved.error().message;
    typed_.erase(key);
    const InvoiceFileRead reread = readInvoiceFile(invoicePath());
    invoices_ = reread.invoices;
    table_ = billTable(*bill_, invoices_);
    return {};
}

std::string MonthlyBillForm::pasteInvoices(int row, int column, const std::string& block) {
    if (!invoiceColumn(column))
        return "請求書の列に貼り付けてください。";
    std::string first;
    std::istringstream lines(block);
    std::string line;
    for (int r = row; std::getline(lines, line); ++r) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        std::istringstream values(line);
        std::string value;
        for (int c = column; std::getline(values, value, '\t'); ++c) {
            if (!invoiceColumn(c))
                break;
            const std::string problem =
                setInvoiceField(r, static_cast<InvoiceField>(c - table_.firstInvoiceColumn), value);
            if (first.empty())
                first = problem;
        }
    }
    return first;
}

std::vector<ChartPart> MonthlyBillForm::chartParts() const {
    static constexpr const char* kNames[] = {"基本料金", "電力量料金", "燃料費調整",   "市場価格調整",
                                             "値引き",   "容量拠出金", "消費税・端数", "再エネ賦課金"};
    std::vector<ChartPart> parts;
    for (const char* name : kNames)
        parts.push_back({name, {}});
    if (!bill_)
        return parts;
    const auto yen = [](std::int64_t microYen) { return static_cast<double>(microYen) / kMicroYen; };
    for (const MonthBill& m : bill_->months) {
        const BillParts& p = m.parts;
        const double values[] = {yen(p.basic),          yen(p.energy),
                                 yen(p.fuelAdjustment), yen(p.marketAdjustment),
                                 yen(p.discount),       yen(p.capacity)};
        double sum = 0;
        for (std::size_t k = 0; k < 6; ++k) {
            parts[k].yen.push_back(m.noData ? 0 : values[k]);
            sum += values[k];
        }
        // What the parts leave of the charge: the tax of prices without it, and the cut to yen.
        parts[6].yen.push_back(m.noData ? 0 : static_cast<double>(m.charge) - sum);
        parts[7].yen.push_back(m.noData ? 0 : static_cast<double>(m.levy));
    }
    return parts;
}

BillSheetHeading MonthlyBillForm::sheetHeading() const {
    const Tariff* t = tariff();
    return {site_.name, (t ? t->name : std::string()) + "（" + chosen_ + "）", first_,
            bill_ ? static_cast<int>(bill_->months.size()) : 12};
}

Result<std::string> MonthlyBillForm::exportWorkbook(std::time_t made) const {
    if (!bill_)
        return Error{"請求額が計算されていません。"};
    return saveBillWorkbook(state_.AppDir, sheetHeading(), table_, made);
}

} // namespace wattorio::billing
