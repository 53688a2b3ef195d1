#pragma once
// The window 料金表の編集 without its widgets: what changes often in a tariff file (a new price
// period, the monthly 燃料費調整単価, 市場価格調整単価 and discounts) edited in the file's own
// document, every other key kept as it was and in its place. After each value the whole document
// is read again by the tariff reader, whose message (with the place in the file) is shown until
// the file reads; only a file that reads is saved.

#include "app/result.h"
#include "billing/dates.h"

#include <nlohmann/json.hpp>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace wattorio::billing {

enum class MonthTableKind { Fuel = 0, Market = 1, Discount = 2 };
constexpr int kMonthTableKinds = 3;
const char* monthTableKey(MonthTableKind kind);   // "fuel_adjustment" ...
const char* monthTableTitle(MonthTableKind kind); // "燃料費調整単価" ...

class TariffEditor {
public:
    static constexpr const char* kCaption = "料金表の編集";

    // Reads the file (bounded, no link). A file that is no JSON object cannot be edited; a file
    // the tariff reader refuses can, and problem() says why.
    Status open(const std::string& path);
    const std::string& path() const { return path_; }
    bool modified() const { return modified_; }
    // The tariff reader's message for the document as it stands, "" when it reads.
    const std::string& problem() const { return problem_; }
    std::string name() const;

    // The "from" dates of "prices", as written.
    std::vector<std::string> priceDates() const;
    // A new entry of "prices" from `dateText` ("YYYY-MM-DD"), a copy of the latest one; the reason
    // when the date is no date or not after the latest.
    std::string addPricePeriod(const std::string& dateText);

    // The years a month table shows: those it has, and the year after the last (or the year of the
    // latest price entry when it has none).
    std::vector<int> tableYears(MonthTableKind kind) const;
    std::optional<double> value(MonthTableKind kind, YearMonth month) const;
    // Sets one month ("" removes it); the reason when the text is no number. A number the reader
    // refuses is kept and named by problem().
    std::string setValue(MonthTableKind kind, YearMonth month, const std::string& text);
    // A row pasted from a spreadsheet: tab-separated values filling the months from `first` on
    // (twelve values fill twelve months); the first reason a value was refused.
    std::string pasteRow(MonthTableKind kind, YearMonth first, const std::string& row);

    // Saves through the safe save (the caller holds the folder lock); refused while problem() is set.
    Status save();

private:
    void check();

    std::string path_;
    std::string fileName_;
    nlohmann::ordered_json document_;
    std::string problem_;
    bool modified_ = false;
};

} // namespace wattorio::billing
