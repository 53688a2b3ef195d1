#include "billing/tariff_ranking.h"

#include <algorithm>

namespace wattorio::billing {

bool tariffFits(const Tariff& tariff, const RankingSite& site) {
    if (tariff.utility != 0 && tariff.utility != site.utility)
        return false;
    if (!site.category.empty() && tariff.category != "共通" && tariff.category != site.category)
        return false;
    return site.supply.empty() || tariff.supply == site.supply;
}

TariffRanking rankTariffs(const RankingSite& site, const std::vector<TariffFolderEntry>& entries,
                          const NationalTables& tables, const yearbook::HolidayList* holidays, YearMonth from,
                          int months) {
    TariffRanking ranking;
    ranking.from = from;
    ranking.months = months;
    BillRequest request;
    request.intervals = site.intervals;
    request.daysWithoutReadings = site.daysWithoutReadings;
    request.contractKw = site.contractKw;
    request.powerFactor = site.powerFactor;
    request.holidays = holidays;
    request.tables = &tables;
    request.first = from;
    request.months = months;
    for (const TariffFolderEntry& entry : entries) {
        if (!entry.tariff) {
            ranking.problems.push_back({entry.file, entry.tariff.error().message});
            continue;
        }
        const Tariff& tariff = *entry.tariff;
        if (!tariffFits(tariff, site))
            continue;
        request.tariff = &tariff;
        Result<BillResult> bill = priceMonths(request);
        if (!bill) {
            ranking.problems.push_back({entry.file, bill.error().message});
            continue;
        }
        ranking.tariffs.push_back(
            {0, entry.file, tariff.name, tariff.provider, bill->total.bill, bill->total.monthsBilled});
    }
    std::stable_sort(ranking.tariffs.begin(), ranking.tariffs.end(),
                     [](const RankedTariff& a, const RankedTariff& b) {
                         return a.bill != b.bill ? a.bill < b.bill : a.file < b.file;
                     });
    for (std::size_t k = 0; k < ranking.tariffs.size(); ++k)
        ranking.tariffs[k].rank = static_cast<int>(k) + 1;
    return ranking;
}

std::optional<YearMonth> defaultFirstMonth(std::span<const MeterInterval> intervals, int months) {
    const std::optional<YearMonth> last = lastMonthWithData(intervals);
    if (!last)
        return std::nullopt;
    return addMonths(*last, -(months - 1));
}

} // namespace wattorio::billing
