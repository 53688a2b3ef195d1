#include "billing/tariff_file.h"

#include "app/safe_save.h"
#include "app/text_escape.h"
#include "billing/json_read.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <set>
#include <system_error>

namespace wattorio::billing {

using namespace jsonread;

const char* dayClassName(DayClass dayClass) {
    switch (dayClass) {
    case DayClass::Weekday:
        return "平日";
    case DayClass::Saturday:
        return "土曜";
    case DayClass::Holiday:
        return "休日";
    }
    return "";
}

bool TariffBand::matches(int month, DayClass day, int minute) const {
    if (!(monthMask & (1u << month)) || !(dayMask & (1u << static_cast<int>(day))))
        return false;
    if (hours.empty())
        return true;
    for (const MinuteRange& range : hours)
        if (range.contains(minute))
            return true;
    return false;
}

const TariffPrice* Tariff::pricesFor(YearMonth month) const {
    const std::int32_t first = firstDayOf(month);
    const TariffPrice* found = nullptr;
    for (const TariffPrice& entry : prices)
        if (entry.from <= first)
            found = &entry;
    return found;
}

int Tariff::bandAt(int month, DayClass day, int minute) const {
    for (const TariffBand& band : bands)
        if (band.matches(month, day, minute))
            return band.nameIndex;
    return -1;
}

namespace {

// "HH:MM" with HH 0..24 (24 only as "24:00"): minutes since midnight, or -1.
int clockMinutes(std::string_view text) {
    if (text.size() != 5 || text[2] != ':')
        return -1;
    for (std::size_t i : {0u, 1u, 3u, 4u})
        if (text[i] < '0' || text[i] > '9')
            return -1;
    const int hour = (text[0] - '0') * 10 + (text[1] - '0');
    const int minute = (text[3] - '0') * 10 + (text[4] - '0');
    if (minute > 59 || hour > 24 || (hour == 24 && minute != 0))
        return -1;
    return hour * 60 + minute;
}

std::uint16_t monthMaskAt(const json& value, const std::string& pointer) {
    std::uint16_t mask = 0;
    const json& list = listAt(value, pointer, 12);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const int month = integerAt(list[i], child(pointer, i), 1, 12);
        if (mask & (1u << month))
            fail(child(pointer, i), std::to_string(month) + "月が二度あります");
        mask |= static_cast<std::uint16_t>(1u << month);
    }
    return mask;
}

constexpr std::uint16_t kAllMonths = 0x1ffe;
constexpr std::uint8_t kAllDays = 0x7;

TariffBand readBand(const json& value, const std::string& pointer) {
    objectAt(value, pointer);
    onlyKeys(value, pointer, {"name", "months", "days", "hours"});
    TariffBand band;
    if (!value.contains("name"))
        fail(pointer, "時間帯の名前（name）がありません");
    band.name = textAt(value["name"], child(pointer, "name"));
    band.monthMask =
        value.contains("months") ? monthMaskAt(value["months"], child(pointer, "months")) : kAllMonths;
    band.dayMask = kAllDays;
    if (value.contains("days")) {
        const std::string where = child(pointer, "days");
        const json& list = listAt(value["days"], where, kDayClasses);
        band.dayMask = 0;
        for (std::size_t i = 0; i < list.size(); ++i) {
            const std::string name = textAt(list[i], child(where, i));
            int found = -1;
            for (int d = 0; d < kDayClasses; ++d)
                if (name == dayClassName(static_cast<DayClass>(d)))
                    found = d;
            if (found < 0)
                fail(child(where, i), "日の区分は「平日」「土曜」「休日」のどれかです");
            if (band.dayMask & (1u << found))
                fail(child(where, i), "「" + name + "」が二度あります");
            band.dayMask |= static_cast<std::uint8_t>(1u << found);
        }
    }
    if (value.contains("hours")) {
        const std::string where = child(pointer, "hours");
        const json& list = listAt(value["hours"], where, 48);
        for (std::size_t i = 0; i < list.size(); ++i) {
            const std::string text = textAt(list[i], child(where, i));
            const auto dash = text.find('-');
            const int from =
                dash == std::string::npos ? -1 : clockMinutes(std::string_view(text).substr(0, dash));
            const int to =
                dash == std::string::npos ? -1 : clockMinutes(std::string_view(text).substr(dash + 1));
            if (from < 0 || to < 0 || from == 1440)
                fail(child(where, i), "時間は \"08:00-22:00\" のように書いてください（24:00 は終わりだけ）");
            if (from == to)
                fail(child(where, i), "時間の始めと終わりが同じです");
            band.hours.push_back({from, to == 0 ? 1440 : to});
        }
    }
    return band;
}

MonthTable monthTableAt(const json& value, const std::string& pointer, double low, double high) {
    objectAt(value, pointer);
    if (value.size() > kMaxMonthEntries)
        fail(pointer, "項目が多すぎます（" + std::to_string(kMaxMonthEntries) + " か月まで）");
    MonthTable table;
    for (const auto& [key, entry] : value.items()) {
        if (isRemarkKey(key))
            continue;
        const auto month = parseYearMonth(key);
        if (!month)
            fail(child(pointer, key), "月は \"2025-04\" のように書いてください");
        table[*month] = numberAt(entry, child(pointer, key), low, high, kPriceDecimals);
    }
    return table;
}

void readSeasons(const json& value, const std::string& pointer, Tariff& tariff) {
    objectAt(value, pointer);
    if (value.empty())
        fail(pointer, "季節がありません");
    if (value.size() > 12)
        fail(pointer, "季節が多すぎます（12 まで）");
    for (const auto& [name, months] : value.items()) {
        const std::string where = child(pointer, name);
        if (name.empty() || name.size() > kMaxTextBytes)
            fail(where, "季節の名前が空か長すぎます");
        TariffSeason season;
        season.name = name;
        const json& list = listAt(months, where, 12);
        for (std::size_t i = 0; i < list.size(); ++i) {
            const int month = integerAt(list[i], child(where, i), 1, 12);
            if (tariff.seasonOfMonth[month] >= 0)
                fail(child(where, i), std::to_string(month) + "月はすでに「" +
                                          tariff.seasons[tariff.seasonOfMonth[month]].name + "」にあります");
            tariff.seasonOfMonth[month] = static_cast<int>(tariff.seasons.size());
            season.months.push_back(month);
        }
        tariff.seasons.push_back(std::move(season));
    }
    for (int month = 1; month <= 12; ++month)
        if (tariff.seasonOfMonth[month] < 0)
            fail(pointer, std::to_string(month) + "月がどの季節にもありません");
}

TariffPrice readPrice(const json& value, const std::string& pointer, const Tariff& tariff) {
    objectAt(value, pointer);
    onlyKeys(value, pointer, {"from", "demand", "energy"});
    TariffPrice price;
    for (const char* key : {"from", "demand", "energy"})
        if (!value.contains(key))
            fail(pointer, std::string("「") + key + "」がありません");
    const auto from = parseDate(textAt(value["from"], child(pointer, "from")));
    if (!from)
        fail(child(pointer, "from"), "日付は \"2025-04-01\" のように書いてください");
    price.from = *from;
    price.demand = numberAt(value["demand"], child(pointer, "demand"), 0, 100000, kPriceDecimals);

    // The months each band name can fall in: a price is needed where they meet a season.
    std::vector<std::uint16_t> nameMonths(tariff.bandNames.size(), 0);
    for (const TariffBand& band : tariff.bands)
        nameMonths[band.nameIndex] |= band.monthMask;

    const std::string where = child(pointer, "energy");
    const json& energy = objectAt(value["energy"], where);
    price.energy.assign(tariff.seasons.size(), std::vector<double>(tariff.bandNames.size(),
                                                                   std::numeric_limits<double>::quiet_NaN()));
    for (const auto& [seasonName, bands] : energy.items()) {
        if (isRemarkKey(seasonName))
            continue;
        const std::string& wanted = seasonName; // clang 14 cannot capture a structured binding
        const auto season = std::find_if(tariff.seasons.begin(), tariff.seasons.end(),
                                         [&](const TariffSeason& s) { return s.name == wanted; });
        if (season == tariff.seasons.end())
            fail(child(where, seasonName), "「seasons」にない季節です");
        const std::size_t s = static_cast<std::size_t>(season - tariff.seasons.begin());
        const std::string seasonWhere = child(where, seasonName);
        objectAt(bands, seasonWhere);
        for (const auto& [bandName, unitPrice] : bands.items()) {
            if (isRemarkKey(bandName))
                continue;
            const auto band = std::find(tariff.bandNames.begin(), tariff.bandNames.end(), bandName);
            if (band == tariff.bandNames.end())
                fail(child(seasonWhere, bandName), "「bands」にない時間帯です");
            price.energy[s][static_cast<std::size_t>(band - tariff.bandNames.begin())] =
                numberAt(unitPrice, child(seasonWhere, bandName), 0, 1000, kPriceDecimals);
        }
    }
    for (std::size_t s = 0; s < tariff.seasons.size(); ++s) {
        std::uint16_t seasonMonths = 0;
        for (int month : tariff.seasons[s].months)
            seasonMonths |= static_cast<std::uint16_t>(1u << month);
        for (std::size_t b = 0; b < tariff.bandNames.size(); ++b)
            if ((nameMonths[b] & seasonMonths) && std::isnan(price.energy[s][b]))
                fail(child(where, tariff.seasons[s].name),
                     "「" + tariff.bandNames[b] + "」の単価がありません");
    }
    return price;
}

Tariff readTariff(const json& root) {
    const std::string top;
    objectAt(root, top);
    onlyKeys(root, top,
             {"name", "provider", "source", "utility", "category", "supply", "prices_include_tax",
              "tax_percent", "contract", "extra_days_off", "bands", "seasons", "prices", "fuel_adjustment",
              "market_adjustment", "discount", "renewable_levy", "capacity_charge_per_kw"});
    for (const char* key : {"name", "bands", "seasons", "prices"})
        if (!root.contains(key))
            fail(top, std::string("「") + key + "」がありません");

    Tariff tariff;
    tariff.name = textAt(root["name"], "/name");
    if (root.contains("provider"))
        tariff.provider = textAt(root["provider"], "/provider", true);
    if (root.contains("source"))
        tariff.source = textAt(root["source"], "/source", true);
    if (root.contains("utility"))
        tariff.utility = integerAt(root["utility"], "/utility", 0, 9);
    if (root.contains("category")) {
        tariff.category = textAt(root["category"], "/category");
        if (tariff.category != "事務所・ビル・店舗" && tariff.category != "工場" && tariff.category != "共通")
            fail("/category", "「事務所・ビル・店舗」「工場」「共通」のどれかです");
    }
    if (root.contains("supply")) {
        tariff.supply = textAt(root["supply"], "/supply");
        if (tariff.supply != "高圧" && tariff.supply != "特別高圧")
            fail("/supply", "「高圧」か「特別高圧」です");
    }
    if (root.contains("prices_include_tax"))
        tariff.pricesIncludeTax = boolAt(root["prices_include_tax"], "/prices_include_tax");
    if (root.contains("tax_percent"))
        tariff.taxPercent = numberAt(root["tax_percent"], "/tax_percent", 0, 100, 2);
    if (root.contains("contract")) {
        const std::string contract = textAt(root["contract"], "/contract");
        if (contract == "measured")
            tariff.contract = ContractKind::Measured;
        else if (contract == "fixed")
            tariff.contract = ContractKind::Fixed;
        else
            fail("/contract", "\"measured\"（実量制）か \"fixed\"（登録の契約電力）です");
    }
    if (root.contains("extra_days_off")) {
        const json& list = listAt(root["extra_days_off"], "/extra_days_off", 366, true);
        for (std::size_t i = 0; i < list.size(); ++i) {
            const std::string where = child("/extra_days_off", i);
            const std::string text = textAt(list[i], where);
            // Any leap year checks 29 February as a real day.
            const auto day = text.size() == 5 ? parseDate("2000-" + text) : std::nullopt;
            if (!day)
                fail(where, "休日は \"12-31\" のように月と日で書いてください");
            const CivilDate date = civilDate(*day);
            const std::pair<int, int> monthDay{date.month, date.day};
            if (std::find(tariff.extraDaysOff.begin(), tariff.extraDaysOff.end(), monthDay) !=
                tariff.extraDaysOff.end())
                fail(where, "同じ日が二度あります");
            tariff.extraDaysOff.push_back(monthDay);
        }
    }

    const json& bands = listAt(root["bands"], "/bands", kMaxBands);
    for (std::size_t i = 0; i < bands.size(); ++i) {
        TariffBand band = readBand(bands[i], child("/bands", i));
        const auto known = std::find(tariff.bandNames.begin(), tariff.bandNames.end(), band.name);
        band.nameIndex = static_cast<int>(known - tariff.bandNames.begin());
        if (known == tariff.bandNames.end())
            tariff.bandNames.push_back(band.name);
        tariff.bands.push_back(std::move(band));
    }
    readSeasons(root["seasons"], "/seasons", tariff);

    const json& prices = listAt(root["prices"], "/prices", kMaxPriceEntries);
    for (std::size_t i = 0; i < prices.size(); ++i) {
        TariffPrice price = readPrice(prices[i], child("/prices", i), tariff);
        for (const TariffPrice& earlier : tariff.prices)
            if (earlier.from == price.from)
                fail(child(child("/prices", i), "from"), "同じ日付の単価がすでにあります");
        tariff.prices.push_back(std::move(price));
    }
    std::sort(tariff.prices.begin(), tariff.prices.end(),
              [](const TariffPrice& a, const TariffPrice& b) { return a.from < b.from; });

    if (root.contains("fuel_adjustment")) {
        tariff.hasFuelAdjustment = true;
        tariff.fuelAdjustment = monthTableAt(root["fuel_adjustment"], "/fuel_adjustment", -100, 100);
    }
    if (root.contains("market_adjustment")) {
        tariff.hasMarketAdjustment = true;
        tariff.marketAdjustment = monthTableAt(root["market_adjustment"], "/market_adjustment", -100, 100);
    }
    if (root.contains("discount")) {
        const json& discount = root["discount"];
        if (discount.is_string()) {
            const std::string kind = textAt(discount, "/discount");
            if (kind == "national")
                tariff.discount = DiscountKind::National;
            else if (kind == "none")
                tariff.discount = DiscountKind::None;
            else
                fail("/discount", "\"national\"、\"none\" か月ごとの値引きの表です");
        } else {
            tariff.discount = DiscountKind::Table;
            // A discount lowers the bill: written as a negative 円/kWh, as the national table has it.
            tariff.discountTable = monthTableAt(discount, "/discount", -100, 0);
        }
    }
    if (root.contains("renewable_levy")) {
        const json& levy = root["renewable_levy"];
        if (levy.is_string()) {
            if (textAt(levy, "/renewable_levy") != "national")
                fail("/renewable_levy", "\"national\" か年度ごとの単価の表です");
        } else {
            tariff.levy = LevyKind::Table;
            objectAt(levy, "/renewable_levy");
            if (levy.size() > 200)
                fail("/renewable_levy", "項目が多すぎます");
            for (const auto& [key, value] : levy.items()) {
                if (isRemarkKey(key))
                    continue;
                const auto month = parseYearMonth(key + "-04");
                if (key.size() != 4 || !month)
                    fail(child("/renewable_levy", key), "年度は \"2025\" のように書いてください");
                tariff.levyTable[month->year] =
                    numberAt(value, child("/renewable_levy", key), 0, 100, kPriceDecimals);
            }
        }
    }
    if (root.contains("capacity_charge_per_kw"))
        tariff.capacityChargePerKw =
            numberAt(root["capacity_charge_per_kw"], "/capacity_charge_per_kw", 0, 100000, kPriceDecimals);
    return tariff;
}

} // namespace

Result<Tariff> parseTariff(std::string_view bytes, const std::string& fileName) {
    const std::string shown = "料金表「" + escapedForMessage(fileName) + "」";
    auto root = parseDocument(bytes, kMaxTariffFileBytes, shown);
    if (!root)
        return root.error();
    try {
        return readTariff(*root);
    } catch (const JsonFault& fault) {
        return faultError(shown, fault);
    } catch (const json::exception&) {
        return Error{shown + ": 読み取れない項目があります"};
    }
}

Result<Tariff> readTariffFile(const std::string& path) {
    ReadOptions options;
    options.maxBytes = kMaxTariffFileBytes;
    auto bytes = readFileBytes(path, options);
    if (!bytes)
        return bytes.error();
    return parseTariff(*bytes, std::filesystem::path(path).filename().string());
}

std::vector<TariffFolderEntry> loadTariffFolder(const std::string& folder) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code error;
    if (fs::symlink_status(folder, error).type() == fs::file_type::symlink)
        return {TariffFolderEntry{
            fs::path(folder).filename().string(), folder,
            Error{"料金表のフォルダーがリンクのため読み込みません: " + escapedForMessage(folder)}}};
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() < 5 || name.compare(name.size() - 5, 5, ".json") != 0 || name[0] == '.')
            continue;
        std::error_code statError;
        if (it->symlink_status(statError).type() == fs::file_type::directory)
            continue;
        names.push_back(name);
        if (names.size() >= kMaxTariffFiles)
            break;
    }
    std::sort(names.begin(), names.end());
    std::vector<TariffFolderEntry> entries;
    entries.reserve(names.size());
    for (const std::string& name : names) {
        const std::string path = (fs::path(folder) / name).string();
        entries.push_back(TariffFolderEntry{name, path, readTariffFile(path)});
    }
    return entries;
}

std::string tariffFolderPath(const std::string& appDir) {
    return appDir + kTariffFolderName;
}

} // namespace wattorio::billing
