#include "billing/tariff_ranking.h"

#include <algorithm>
#include <atomic>
#include <thread>

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

void forEachInParallel(std::size_t count, const std::function<void(std::size_t)>& job) {
    const std::size_t threads =
        std::min<std::size_t>({std::max(1u, std::thread::hardware_concurrency()), count, 16});
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t k = next++; k < count; k = next++)
            job(k);
    };
    std::vector<std::thread> helpers;
    for (std::size_t t = 1; t < threads; ++t)
        helpers.emplace_back(work);
    work();
    for (std::thread& t : helpers)
        t.join();
}

std::optional<YearMonth> defaultFirstMonth(std::span<const MeterInterval> intervals, int months) {
    const std::optional<YearMonth> last = lastMonthWithData(intervals);
    if (!last)
        return std::nullopt;
    return addMonths(*last, -(months - 1));
}

} // namespace wattorio::billing
