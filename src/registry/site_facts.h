#pragma once
// What the registry knows of a site beyond its figures: how it is supplied (受電) and what kind of
// site it is (区分), kept in two of the record's formerly unused fields so that older registries
// read as 未設定 and older programs carry them through; and the bounds every figure of a site must
// keep to be priced at all.

#include "app/app_state.h"
#include "tariffs/catalog.h"

#include <optional>
#include <string>
#include <string_view>

namespace wattorio::registry {

// Record fields (SiteRecord columns).
constexpr int kSupplyField = 6;   // "高圧" / "特別高圧" / "" (未設定)
constexpr int kCategoryField = 7; // "事務所・ビル・店舗" / "工場" / "" (未設定)

enum class Supply { High, ExtraHigh };

constexpr std::string_view kUnsetText = "未設定";
constexpr std::string_view supplyText(Supply s) { return s == Supply::High ? "高圧" : "特別高圧"; }

// The stored facts of a record; nothing when the field is empty or holds an unknown text.
std::optional<Supply> siteSupply(const SiteRecord& record);
std::optional<tariffs::Category> siteCategory(const SiteRecord& record);
// Writes the facts into the record's fields (nullopt writes "" = 未設定).
void setSiteFacts(SiteRecord& record, std::optional<Supply> supply, std::optional<tariffs::Category> category);

// The catalog's voltage row (1 = ①, 2 = ②, 3 = ③) a site of this supply and contract power signs
// on utility `utility`'s tab: 特別高圧 is ①; 高圧 is ② on the two-row tabs, and on the three-row
// tabs ② from 500 kW and ③ below.
int voltageRowFor(int utility, Supply supply, double contractKw);

// Bounds of a site's figures, the same for every way a site is entered or read.
constexpr double kMaxMultiplier = 100000;
constexpr double kMaxContractKw = 10000000;
constexpr double kMinPowerFactor = 1;
constexpr double kMaxPowerFactor = 100;

// Why the figures of a record (multiplier, contract power, power factor: fields 2..4, read with
// the leading-number rule, "80kW" is 80) cannot be priced; "" when they can. The message names
// the field in Japanese ("電力データ倍率", "契約電力", "年間力率").
std::string siteFiguresProblem(const SiteRecord& record);

} // namespace wattorio::registry
