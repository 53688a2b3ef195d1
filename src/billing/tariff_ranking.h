#pragma once
// The tariff files a site can take, ranked by the total bill of the same months; and a month's
// bill beside the invoice the user recorded for it.

#include "billing/invoice_file.h"
#include "billing/monthly_bill.h"
#include "billing/national_tables.h"
#include "billing/tariff_file.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace wattorio::billing {

// What the ranking needs of a site.
struct RankingSite {
    std::span<const MeterInterval> intervals;
    std::span<const std::int32_t> daysWithoutReadings;
    double contractKw = 0;
    double powerFactor = 85;
    int utility = 0;      // 1..9
    std::string category; // "事務所・ビル・店舗" / "工場"; "" when not set
    std::string supply;   // "高圧" / "特別高圧"; "" when not set
};

// Whether the site can sign the tariff: its utility or any area (0); its category (or 共通) and
// its supply when the site has them set.
bool tariffFits(const Tariff& tariff, const RankingSite& site);

struct RankedTariff {
    int rank = 0; // 1 = cheapest
    std::string file;
    std::string name;
    std::string provider;
    std::int64_t bill = 0; // yen, the total of the months billed
    int monthsBilled = 0;
};

struct TariffProblem {
    std::string file;
    std::string message;
};

struct TariffRanking {
    YearMonth from;
    int months = 12;
    std::vector<RankedTariff> tariffs; // cheapest first; equal bills by file name
    std::vector<TariffProblem> problems;
};

// Every entry the site can take priced over from .. from + months − 1 and ranked. A file that
// does not read, and a tariff that cannot price these months, is a problem and never stops the
// others.
TariffRanking rankTariffs(const RankingSite& site, const std::vector<TariffFolderEntry>& entries,
                          const NationalTables& tables, const yearbook::HolidayList* holidays, YearMonth from,
                          int months = 12);

// Runs job(0) .. job(count − 1), each once and in any order, on as many threads as the machine
// has cores: ranking many sites is independent work on data shared read-only.
void forEachInParallel(std::size_t count, const std::function<void(std::size_t)>& job);

// The first month of the default span: the `months` months up to the last one with data.
std::optional<YearMonth> defaultFirstMonth(std::span<const MeterInterval> intervals, int months = 12);

} // namespace wattorio::billing
