#pragma once
// The monthly bill of a site under a dated tariff, month by month as the utility bills it.
//
// The schedule is resolved once: each day gets its class (平日, 土曜, 休日 from the national
// holidays and the tariff's days off), each interval its band, each month its season and price
// entry; pricing a month is then a few sums. Money is kept in whole millionths of a yen, so that
// every product of a whole kWh or kW and a unit price is exact and a cut to whole yen never falls
// on the wrong side.

#include "app/result.h"
#include "billing/dates.h"
#include "billing/interval.h"
#include "billing/national_tables.h"
#include "billing/tariff_file.h"
#include "yearbook/holiday_list.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace wattorio::billing {

// One named function per rounding of the supply terms; the command line, the windows and the
// spreadsheets use these and nothing else.
std::int64_t roundKwh(double kwh);            // whole kWh, half up
std::int64_t roundKw(double kw);              // whole kW, half up
int roundPowerFactor(double percent);         // whole %, half up
std::int64_t cutToYen(std::int64_t microYen); // whole yen, cut down (toward zero)
// The levy is cut to whole yen on its own: kWh × 円/kWh.
std::int64_t levyYen(std::int64_t kwh, double levyPerKwh);
// Tax contained in a tax-included amount, cut down: amount × tax/(100 + tax).
std::int64_t taxInAmount(std::int64_t yen, double taxPercent);
// A charge whose parts exclude tax: (sum × (1 + tax/100)), cut down.
std::int64_t chargeWithTax(std::int64_t microYen, double taxPercent);
// Maximum demand of one interval in whole kW: kWh × 60 / minutes, half up.
std::int64_t demandKw(double kwh, int minutes);

constexpr std::int64_t kMicroYen = 1000000;

// The parts of one month, in millionths of a yen (before tax when the prices exclude it).
struct BillParts {
    std::int64_t basic = 0;
    std::int64_t energy = 0;
    std::int64_t fuelAdjustment = 0;
    std::int64_t marketAdjustment = 0;
    std::int64_t discount = 0;
    std::int64_t capacity = 0;
};

struct MonthBill {
    YearMonth month;
    int intervals = 0;                                           // intervals with a reading
    int missingIntervals = 0;                                    // intervals of the month without one
    bool noData = false;                                         // no interval at all: not billed
    std::vector<std::pair<std::string, std::int64_t>> kwhByBand; // band name -> whole kWh
    std::int64_t kwh = 0;
    std::int64_t maxDemandKw = 0;
    std::int64_t contractKw = 0;
    int powerFactor = 0;
    BillParts parts;
    std::int64_t charge = 0; // whole yen, tax included
    std::int64_t levy = 0;
    std::int64_t bill = 0;
    std::int64_t taxInBill = 0;
    std::vector<std::string> notes;
};

// The sums over the billed months; maxDemandKw and contractKw are the largest month's.
struct BillTotal {
    int monthsBilled = 0;
    int intervals = 0;
    int missingIntervals = 0;
    std::vector<std::pair<std::string, std::int64_t>> kwhByBand;
    std::int64_t kwh = 0;
    std::int64_t maxDemandKw = 0;
    std::int64_t contractKw = 0;
    BillParts parts;
    std::int64_t charge = 0;
    std::int64_t levy = 0;
    std::int64_t bill = 0;
    std::int64_t taxInBill = 0;
};

struct BillResult {
    std::vector<MonthBill> months;
    BillTotal total;
};

struct BillRequest {
    // The site's intervals in any order, one per start (the meter file or a year book's rows).
    std::span<const MeterInterval> intervals;
    // Days that have no readings by the nature of the data (29 February of a year book): not
    // counted as missing, and said in their month's notes.
    std::span<const std::int32_t> daysWithoutReadings;
    double contractKw = 0;                           // the site's registered contract power
    double powerFactor = 85;                         // the site's annual power factor, %
    const yearbook::HolidayList* holidays = nullptr; // national holidays; none: Sundays only
    const Tariff* tariff = nullptr;
    const NationalTables* tables = nullptr;
    YearMonth first;
    int months = 12; // 1 .. kMaxBillMonths
};

constexpr int kMaxBillMonths = 120;

// The bill of each month first .. first + months - 1 and their total. An error (stopping the
// whole bill) names what cannot be priced: a month before every price entry, an interval no band
// takes, a fiscal year the levy table lacks, band edges finer than the data's intervals.
Result<BillResult> priceMonths(const BillRequest& request);

// The month of the latest interval, if any; the default bill covers the months up to it.
std::optional<YearMonth> lastMonthWithData(std::span<const MeterInterval> intervals);

} // namespace wattorio::billing
