#pragma once
// A dated tariff menu: one JSON file per menu in the working folder's folder 料金表. The files are
// UTF-8, the encoding JSON itself prescribes (not the Shift_JIS of the program's other files).
//
// The file is not trusted: its size, nesting and every list are bounded, every number is finite
// and within a range no real menu leaves, and every text is UTF-8. An error names the file, the
// place in it as a JSON pointer ("/prices/1/energy/夏季") and the reason.

#include "app/result.h"
#include "billing/dates.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace wattorio::billing {

constexpr const char* kTariffFolderName = "料金表";
constexpr std::size_t kMaxTariffFileBytes = 1 << 20;
constexpr std::size_t kMaxTariffFiles = 2000;
constexpr std::size_t kMaxBands = 64;
constexpr std::size_t kMaxPriceEntries = 200;
constexpr std::size_t kMaxMonthEntries = 1200;
// Unit prices are taken to 1/10000 円 (a tenth of a 厘); a finer figure is refused, not rounded.
constexpr int kPriceDecimals = 4;

// Day classes of a band: 休日 is a Sunday, a national holiday or a day off of the tariff; 土曜 is
// any other Saturday; 平日 the rest.
enum class DayClass : std::uint8_t { Weekday = 0, Saturday = 1, Holiday = 2 };
constexpr int kDayClasses = 3;
const char* dayClassName(DayClass dayClass); // "平日", "土曜", "休日"

// Minutes since midnight, start inclusive, end exclusive; end may be 1440 ("24:00") and a range
// may run past midnight (end <= start, "22:00-08:00").
struct MinuteRange {
    int from = 0;
    int to = 1440;
    bool contains(int minute) const {
        return from < to ? minute >= from && minute < to : minute >= from || minute < to;
    }
    bool operator==(const MinuteRange&) const = default;
};

// One entry of "bands": the first entry that matches an interval's start takes it. Several entries
// may share a name (昼間 in summer and in the other months); prices are per name.
struct TariffBand {
    std::string name;
    int nameIndex = 0;              // index into Tariff::bandNames
    std::uint16_t monthMask = 0;    // bit m (1..12) set: the band applies in month m
    std::uint8_t dayMask = 0;       // bit DayClass set: applies on that class of day
    std::vector<MinuteRange> hours; // empty: the whole day
    bool matches(int month, DayClass day, int minute) const;
};

struct TariffSeason {
    std::string name;
    std::vector<int> months;
};

// Prices in effect from a date until the next entry's date.
struct TariffPrice {
    std::int32_t from = 0; // day number
    double demand = 0;     // 円/kW per month
    // energy[season][band name] in 円/kWh; NaN where the file gives none, which it may only where
    // the band never falls in a month of that season.
    std::vector<std::vector<double>> energy;
};

enum class ContractKind { Measured, Fixed };
enum class DiscountKind { National, None, Table };
enum class LevyKind { National, Table };

using MonthTable = std::map<YearMonth, double>;

struct Tariff {
    std::string name;
    std::string provider;
    std::string source;
    int utility = 0;               // 1..9 as in the catalog, 0: any area
    std::string category = "共通"; // 事務所・ビル・店舗, 工場 or 共通
    std::string supply = "高圧";   // 高圧 or 特別高圧
    bool pricesIncludeTax = true;
    double taxPercent = 10;
    ContractKind contract = ContractKind::Measured;
    std::vector<std::pair<int, int>> extraDaysOff; // (month, day)
    std::vector<TariffBand> bands;
    std::vector<std::string> bandNames; // distinct names, in order of first appearance
    std::vector<TariffSeason> seasons;
    std::vector<int> seasonOfMonth = std::vector<int>(13, -1); // [1..12] -> index into seasons
    std::vector<TariffPrice> prices;                           // by "from", oldest first
    bool hasFuelAdjustment = false;
    MonthTable fuelAdjustment;
    bool hasMarketAdjustment = false;
    MonthTable marketAdjustment;
    DiscountKind discount = DiscountKind::National;
    MonthTable discountTable; // 円/kWh, 0 or negative
    LevyKind levy = LevyKind::National;
    std::map<int, double> levyTable; // fiscal year -> 円/kWh
    double capacityChargePerKw = 0;

    bool extraHighVoltage() const { return supply == "特別高圧"; }
    // The price entry of a month (the latest "from" on or before its first day), or nullptr.
    const TariffPrice* pricesFor(YearMonth month) const;
    // The band name index of an interval start, or -1 when no band takes it.
    int bandAt(int month, DayClass day, int minute) const;
};

// `fileName` is the name errors give (the file name, not a path).
Result<Tariff> parseTariff(std::string_view bytes, const std::string& fileName);
// A regular file of at most kMaxTariffFileBytes, no link.
Result<Tariff> readTariffFile(const std::string& path);

struct TariffFolderEntry {
    std::string file; // the file name inside the folder
    std::string path;
    Result<Tariff> tariff;
};

// Every *.json file of a folder, by file name; a bad file is an entry with its error and never
// stops the others. A folder that does not exist has no entries; a folder that is a link is one
// entry with its error (a link is never followed).
std::vector<TariffFolderEntry> loadTariffFolder(const std::string& folder);

// The working folder's 料金表 (appDir ends in a separator).
std::string tariffFolderPath(const std::string& appDir);

} // namespace wattorio::billing
