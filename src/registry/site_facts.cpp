#include "registry/site_facts.h"

#include "app/numtext.h"

#include <cmath>

namespace wattorio::registry {

namespace {

constexpr std::string_view kOfficeText = "事務所・ビル・店舗";
constexpr std::string_view kFactoryText = "工場";

// Whether the text starts with a number the leading-number rule reads ("80kW", " -1", ".5").
bool startsWithNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    if (i < text.size() && text[i] == '.')
        ++i;
    return i < text.size() && text[i] >= '0' && text[i] <= '9';
}

struct Bound {
    int field;
    std::string_view name;
    double low; // exclusive when lowOpen
    bool lowOpen;
    double high;            // inclusive
    std::string_view range; // the bounds as the user reads them
};

constexpr Bound kBounds[] = {
    {2, "電力データ倍率", 0, true, kMaxMultiplier, "0 より大きく 100000 以下"},
    {3, "契約電力", 0, true, kMaxContractKw, "0 より大きく 10000000 kW 以下"},
    {4, "年間力率", kMinPowerFactor, false, kMaxPowerFactor, "1 ～ 100 ％"},
};

} // namespace

std::optional<Supply> siteSupply(const SiteRecord& record) {
    const std::string& text = record[kSupplyField];
    if (text == supplyText(Supply::High))
        return Supply::High;
    if (text == supplyText(Supply::ExtraHigh))
        return Supply::ExtraHigh;
    return std::nullopt;
}

std::optional<tariffs::Category> siteCategory(const SiteRecord& record) {
    const std::string& text = record[kCategoryField];
    if (text == kOfficeText)
        return tariffs::Category::Office;
    if (text == kFactoryText)
        return tariffs::Category::Factory;
    return std::nullopt;
}

void setSiteFacts(SiteRecord& record, std::optional<Supply> supply,
                  std::optional<tariffs::Category> category) {
    record[kSupplyField] = supply ? std::string(supplyText(*supply)) : std::string();
    record[kCategoryField] = category ? std::string(tariffs::categoryName(*category)) : std::string();
}

int voltageRowFor(int utility, Supply supply, double contractKw) {
    if (supply == Supply::ExtraHigh)
        return 1;
    if (tariffs::rowLegend(utility).size() == 3)
        return contractKw >= 500 ? 2 : 3;
    return 2;
}

std::string siteFiguresProblem(const SiteRecord& record) {
    for (const Bound& b : kBounds) {
        const std::string& text = record[static_cast<std::size_t>(b.field)];
        if (!startsWithNumber(text))
            return std::string(b.name) + "「" + text + "」が数値ではありません。";
        const double v = val(text);
        const bool low = b.lowOpen ? v > b.low : v >= b.low;
        if (!std::isfinite(v) || !low || v > b.high)
            return std::string(b.name) + "「" + text + "」は " + std::string(b.range) +
                   "の範囲にありません。";
    }
    return {};
}

} // namespace wattorio::registry
