// Monthly bill speed: one site, one tariff, twelve months of 30-minute data (17,520 intervals)
// priced month by month, the schedule resolved each time. Target: at most 100 µs.

#include "billing/monthly_bill.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace wattorio::billing;

// A seasonal time-of-use menu with a measured contract and monthly adjustments (illustrative prices).
const char* kTariff = R"({"name": "ベンチ", "contract": "measured",
  "extra_days_off": ["01-02", "01-03", "12-30", "12-31"],
  "bands": [{"name": "ピーク", "months": [7, 8, 9], "days": ["平日"], "hours": ["13:00-16:00"]},
            {"name": "昼間", "days": ["平日", "土曜"], "hours": ["08:00-22:00"]},
            {"name": "夜間"}],
  "seasons": {"夏季": [7, 8, 9], "その他季": [1, 2, 3, 4, 5, 6, 10, 11, 12]},
  "prices": [{"from": "2025-04-01", "demand": 1800,
              "energy": {"夏季": {"ピーク": 22.5, "昼間": 19.1, "夜間": 14.2},
                         "その他季": {"昼間": 18.1, "夜間": 14.2}}}],
  "fuel_adjustment": {"2025-04": -1.2, "2025-05": -1.1, "2025-06": -0.9, "2025-07": -0.8, "2025-08": -0.7,
                      "2025-09": -0.9, "2025-10": -1.0, "2025-11": -1.1, "2025-12": -1.2, "2026-01": -1.3,
                      "2026-02": -1.2, "2026-03": -1.1},
  "market_adjustment": {"2025-04": 0.1, "2025-05": 0.2}})";

void BM_PriceTwelveMonths(benchmark::State& state) {
    auto tariff = parseTariff(kTariff, "bench.json");
    if (!tariff) {
        state.SkipWithError(tariff.error().message.c_str());
        return;
    }
    NationalTables tables;
    tables.levyByFiscalYear = {{2024, 3.49}, {2025, 3.98}};
    tables.highVoltageDiscount = {{{2026, 1}, -2.3}, {{2026, 2}, -2.3}, {{2026, 3}, -0.8}};
    std::vector<wattorio::yearbook::Holiday> holidays = wattorio::yearbook::computedHolidays(2025);
    for (auto& h : wattorio::yearbook::computedHolidays(2026))
        holidays.push_back(h);
    const wattorio::yearbook::HolidayList holidayList(holidays);

    std::vector<MeterInterval> intervals;
    const std::int32_t first = dayNumber(2025, 4, 1);
    for (std::int32_t day = first; day < dayNumber(2026, 4, 1); ++day)
        for (int k = 0; k < 48; ++k)
            intervals.push_back(
                {day, static_cast<std::int16_t>(k * 30), 30, 100 + (k * 37 + day) % 400 / 10.0});

    BillRequest request;
    request.intervals = intervals;
    request.contractKw = 500;
    request.powerFactor = 95;
    request.holidays = &holidayList;
    request.tariff = &*tariff;
    request.tables = &tables;
    request.first = {2025, 4};
    request.months = 12;
    for (auto _ : state) {
        auto result = priceMonths(request);
        if (!result) {
            state.SkipWithError(result.error().message.c_str());
            return;
        }
        benchmark::DoNotOptimize(result->total.bill);
    }
    state.counters["intervals"] = static_cast<double>(intervals.size());
}
BENCHMARK(BM_PriceTwelveMonths)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
