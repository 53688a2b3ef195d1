#include "billing/tariff_editor.h"

#include "app/safe_save.h"
#include "billing/json_read.h"
#include "billing/site_bill.h"
#include "billing/tariff_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <sstream>

namespace wattorio::billing {

namespace {

using json = nlohmann::ordered_json;

std::optional<double> numberText(const std::string& text) {
    std::string plain;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            plain += c;
    if (!plain.empty() && plain[0] == '+')
        plain.erase(0, 1);
    double value = 0;
    const char* end = plain.data() + plain.size();
    const auto [at, ec] = std::from_chars(plain.data(), end, value, std::chars_format::fixed);
    if (plain.empty() || ec != std::errc() || at != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

const char* monthTableKey(MonthTableKind kind) {
    switch (kind) {
    case MonthTableKind::Fuel:
        return "fuel_adjustment";
    case MonthTableKind::Market:
        return "market_adjustment";
    case MonthTableKind::Discount:
        return "discount";
    }
    return "";
}

const char* monthTableTitle(MonthTableKind kind) {
    switch (kind) {
    case MonthTableKind::Fuel:
        return "燃料費調整単価";
    case MonthTableKind::Market:
        return "市場価格調整単価";
    case MonthTableKind::Discount:
        return "値引き単価";
    }
    return "";
}

Status TariffEditor::open(const std::string& path) {
    ReadOptions options;
    options.maxBytes = kMaxTariffFileBytes;
    Result<std::string> bytes = readFileBytes(path, options);
    if (!bytes)
        return bytes.error();
    fileName_ = tariffFileName(path);
    Result<json> document = jsonread::parseDocument(*bytes, kMaxTariffFileBytes, fileName_);
    if (!document)
        return document.error();
    if (!document->is_object())
        return Error{fileName_ + ": 料金表は JSON のオブジェクトです。"};
    path_ = path;
    document_ = std::move(*document);
    modified_ = false;
    check();
    return {};
}

void TariffEditor::check() {
    const Result<Tariff> read = parseTariff(document_.dump(), fileName_);
    problem_ = read ? std::string() : read.error().message;
}

std::string TariffEditor::name() const {
    const auto it = document_.find("name");
    return it != document_.end() && it->is_string() ? it->get<std::string>() : std::string();
}

std::vector<std::string> TariffEditor::priceDates() const {
    std::vector<std::string> dates;
    const auto prices = document_.find("prices");
    if (prices == document_.end() || !prices->is_array())
        return dates;
    for (const json& entry : *prices)
        if (entry.is_object() && entry.contains("from") && entry["from"].is_string())
            dates.push_back(entry["from"].get<std::string>());
    return dates;
}

std::string TariffEditor::addPricePeriod(const std::string& dateText) {
    const std::optional<std::int32_t> day = parseDate(dateText);
    if (!day)
        return "日付は 2026-04-01 のように入力してください。";
    auto prices = document_.find("prices");
    if (prices == document_.end() || !prices->is_array() || prices->empty())
        return "「prices」に単価がありません。ファイルで最初の単価を書いてください。";
    // The latest entry by date, whatever its place in the list.
    const json* latest = nullptr;
    std::int32_t latestDay = 0;
    for (const json& entry : *prices) {
        const std::optional<std::int32_t> from =
            entry.is_object() && entry.contains("from") && entry["from"].is_string()
                ? parseDate(entry["from"].get<std::string>())
                : std::nullopt;
        if (from && (!latest || *from > latestDay)) {
            latest = &entry;
            latestDay = *from;
        }
    }
    if (!latest)
        return "「prices」に日付の読める単価がありません。";
    if (*day <= latestDay)
        return "新しい単価の日付は最後の単価（" + billing::dateText(latestDay) + "）より後にしてください。";
    json copy = *latest;
    copy["from"] = dateText;
    prices->push_back(std::move(copy));
    modified_ = true;
    check();
    return {};
}

std::vector<int> TariffEditor::tableYears(MonthTableKind kind) const {
    std::vector<int> years;
    const auto table = document_.find(monthTableKey(kind));
    if (table != document_.end() && table->is_object())
        for (const auto& [key, v] : table->items())
            if (const std::optional<YearMonth> m = parseYearMonth(key))
                years.push_back(m->year);
    if (years.empty()) {
        int year = 0;
        for (const std::string& date : priceDates())
            if (const std::optional<std::int32_t> d = parseDate(date))
                year = std::max(year, civilDate(*d).year);
        years.push_back(year ? year : kFirstYear);
    } else {
        years.push_back(*std::max_element(years.begin(), years.end()) + 1);
    }
    std::sort(years.begin(), years.end());
    years.erase(std::unique(years.begin(), years.end()), years.end());
    return years;
}

std::optional<double> TariffEditor::value(MonthTableKind kind, YearMonth month) const {
    const auto table = document_.find(monthTableKey(kind));
    if (table == document_.end() || !table->is_object())
        return std::nullopt;
    const auto entry = table->find(yearMonthText(month));
    if (entry == table->end() || !entry->is_number())
        return std::nullopt;
    return entry->get<double>();
}

std::string TariffEditor::setValue(MonthTableKind kind, YearMonth month, const std::string& text) {
    const bool empty = text.find_first_not_of(" \t\r\n") == std::string::npos;
    const std::optional<double> number = empty ? std::nullopt : numberText(text);
    if (!empty && !number)
        return monthTableTitle(kind) + std::string(" ") + yearMonthText(month) + ": 「" + text +
               "」は数値ではありません。";
    const auto present = document_.find(monthTableKey(kind));
    if (empty && (present == document_.end() || !present->is_object()))
        return {};
    json& table = document_[monthTableKey(kind)];
    if (!table.is_object())
        table = json::object(); // "national" or "none" becomes a table of the months entered
    const std::string key = yearMonthText(month);
    if (empty)
        table.erase(key);
    else
        table[key] = *number;
    // Month keys in order, remarks ("note", "_…") first as they were.
    json sorted = json::object();
    std::vector<std::pair<YearMonth, json>> months;
    for (auto& [k, v] : table.items()) {
        if (const std::optional<YearMonth> m = parseYearMonth(k); m && k.size() == 7)
            months.emplace_back(*m, v);
        else
            sorted[k] = v;
    }
    std::stable_sort(months.begin(), months.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [m, v] : months)
        sorted[yearMonthText(m)] = std::move(v);
    table = std::move(sorted);
    modified_ = true;
    check();
    return {};
}

std::string TariffEditor::pasteRow(MonthTableKind kind, YearMonth first, const std::string& row) {
    std::string line = row.substr(0, row.find_first_of("\r\n"));
    std::istringstream values(line);
    std::string value;
    std::string firstProblem;
    // A table never holds more months than the reader takes; a larger paste stops there.
    std::size_t count = 0;
    for (YearMonth month = first; count < kMaxMonthEntries && std::getline(values, value, '\t');
         month = addMonths(month, 1), ++count) {
        const std::string problem = setValue(kind, month, value);
        if (firstProblem.empty())
            firstProblem = problem;
    }
    return firstProblem;
}

Status TariffEditor::save() {
    if (path_.empty())
        return Error{"料金表が開かれていません。"};
    if (!problem_.empty())
        return Error{"料金表に誤りがあるため保存しません。\n" + problem_};
    if (Status saved = saveFileAtomically(path_, document_.dump(2, ' ', false) + "\n"); !saved)
        return saved;
    modified_ = false;
    return {};
}

} // namespace wattorio::billing
