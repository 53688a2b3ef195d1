// Hand-worked bills: each case's figures are worked out by hand in its comment.
#include "billing/bill_json.h"
#include "billing/monthly_bill.h"

#include <gtest/gtest.h>

namespace wattorio::billing {
namespace {

struct Reading {
    const char* date; // YYYY-MM-DD
    int start;        // minutes
    double kwh;
    int minutes = 30;
};

struct Expected {
    const char* month;
    std::vector<std::pair<std::string, std::int64_t>> bands;
    std::int64_t maxDemand, contract;
    double basic, energy, fuel, market, discount, capacity;
    std::int64_t charge, levy, bill, tax;
};

struct BillCase {
    const char* name;
    std::string tariff; // the JSON body after "name" and the one-band defaults it overrides
    std::vector<Reading> readings;
    const char* first;
    double contractKw, powerFactor;
    std::vector<Expected> months;
};

std::string tariffJson(const std::string& body) {
    return R"({"name": "試験", )" + body + "}";
}

const char* kFlat = R"("bands": [{"name": "全日"}], "seasons": {"通年": [1,2,3,4,5,6,7,8,9,10,11,12]},)";

NationalTables nationalTables() {
    NationalTables tables;
    tables.levyByFiscalYear = {{2024, 3.49}, {2025, 3.98}};
    tables.highVoltageDiscount = {{{2026, 1}, -2.3}};
    return tables;
}

std::vector<MeterInterval> intervalsOf(const std::vector<Reading>& readings) {
    std::vector<MeterInterval> out;
    for (const Reading& r : readings)
        out.push_back({*parseDate(r.date), static_cast<std::int16_t>(r.start),
                       static_cast<std::int16_t>(r.minutes), r.kwh});
    return out;
}

Result<BillResult> price(const std::string& tariffBody, const std::vector<MeterInterval>& intervals,
                         const char* first, int months, double contractKw = 10, double powerFactor = 85) {
    static const NationalTables tables = nationalTables();
    static const yearbook::HolidayList holidays([] {
        auto list = yearbook::computedHolidays(2024);
        for (int year = 2025; year <= 2026; ++year)
            for (auto& h : yearbook::computedHolidays(year))
                list.push_back(h);
        return list;
    }());
    auto tariff = parseTariff(tariffJson(tariffBody), "試験.json");
    if (!tariff)
        return tariff.error();
    static Tariff kept;
    kept = *tariff;
    BillRequest request;
    request.intervals = intervals;
    request.contractKw = contractKw;
    request.powerFactor = powerFactor;
    request.holidays = &holidays;
    request.tariff = &kept;
    request.tables = &tables;
    request.first = *parseYearMonth(first);
    request.months = months;
    return priceMonths(request);
}

std::int64_t micro(double yen) {
    return std::llround(yen * 1e6);
}

const std::vector<BillCase> kCases = {
    {// Contract = max(80 this month, 100 in 2024-12, 60 registered for the months without data);
     // 2024-01's 200 kW is twelve months back and no longer counts. Basic 1000 × 100 × (185−85)/100,
     // energy 40 × 20; levy of January 2025 is fiscal 2024: 40 × 3.49 = 139.6 → 139; tax 100939 × 10/110.
     "measured contract over a year boundary",
     std::string(kFlat) + R"("discount": "none",
        "prices": [{"from": "2024-01-01", "demand": 1000, "energy": {"通年": {"全日": 20}}}])",
     {{"2024-01-10", 600, 100}, {"2024-12-02", 600, 50}, {"2025-01-06", 600, 40}},
     "2025-01",
     60,
     85,
     {{"2025-01", {{"全日", 40}}, 80, 100, 100000, 800, 0, 0, 0, 0, 100800, 139, 100939, 9176}}},
    {// 夜間 22:00-08:00: 10.2 + 10.3 (the next day's 00:00) + 5.0 + 1.0 = 26.5 → 27; 昼間 4.4 + 4.0 = 8.4
     // → 8. Demand 10.3 × 2 = 20.6 → 21 kW; fixed 10 kW at power factor 100: 1000 × 10 × 0.85 = 8500. Energy
     // 27 × 10 + 8 × 20 = 430; levy 35 × 3.98 = 139.3 → 139; tax 9069 × 10/110 = 824.4.
     "band past midnight",
     R"("contract": "fixed", "discount": "none", "seasons": {"通年": [1,2,3,4,5,6,7,8,9,10,11,12]},
        "bands": [{"name": "夜間", "hours": ["22:00-08:00"]}, {"name": "昼間"}],
        "prices": [{"from": "2025-04-01", "demand": 1000, "energy": {"通年": {"夜間": 10, "昼間": 20}}}])",
     {{"2025-06-02", 1410, 10.2},
      {"2025-06-03", 0, 10.3},
      {"2025-06-03", 450, 5.0},
      {"2025-06-03", 480, 4.4},
      {"2025-06-03", 1290, 4.0},
      {"2025-06-03", 1320, 1.0}},
     "2025-06",
     10,
     100,
     {{"2025-06", {{"夜間", 27}, {"昼間", 8}}, 21, 10, 8500, 430, 0, 0, 0, 0, 8930, 139, 9069, 824}}},
    {// 2025-05-03 is a Saturday and 憲法記念日: 休日. 05-01 (Thursday) is a day off of the tariff, 05-04 a
     // Sunday; 05-10 a plain Saturday, 05-07 a weekday. 休日 1 + 8 + 16 = 25 × 1, 土曜 2 × 2, 平日 4 × 3.
     "holiday on a Saturday",
     R"("contract": "fixed", "discount": "none", "extra_days_off": ["05-01"],
        "seasons": {"通年": [1,2,3,4,5,6,7,8,9,10,11,12]},
        "bands": [{"name": "休日", "days": ["休日"]}, {"name": "土曜", "days": ["土曜"]}, {"name": "平日"}],
        "prices": [{"from": "2025-04-01", "demand": 0, "energy": {"通年": {"休日": 1, "土曜": 2, "平日": 3}}}])",
     {{"2025-05-03", 600, 1},
      {"2025-05-10", 600, 2},
      {"2025-05-07", 600, 4},
      {"2025-05-01", 600, 8},
      {"2025-05-04", 600, 16}},
     "2025-05",
     10,
     85,
     {{"2025-05", {{"休日", 25}, {"土曜", 2}, {"平日", 4}}, 32, 10, 0, 41, 0, 0, 0, 0, 41, 123, 164, 14}}},
    {// Prices change on 1 April (1000/20 → 1200/25); the levy on 1 May (fiscal 2024 3.49 covers April
     // 2025, fiscal 2025 3.98 from May). 100 kWh a month on 10 kW fixed at power factor 85.
     "price change on 1 April and levy change in May",
     std::string(kFlat) + R"("contract": "fixed",
        "prices": [{"from": "2024-04-01", "demand": 1000, "energy": {"通年": {"全日": 20}}},
                   {"from": "2025-04-01", "demand": 1200, "energy": {"通年": {"全日": 25}}}])",
     {{"2025-03-14", 600, 100}, {"2025-04-15", 600, 100}, {"2025-05-15", 600, 100}},
     "2025-03",
     10,
     85,
     {{"2025-03", {{"全日", 100}}, 200, 10, 10000, 2000, 0, 0, 0, 0, 12000, 349, 12349, 1122},
      {"2025-04", {{"全日", 100}}, 200, 10, 12000, 2500, 0, 0, 0, 0, 14500, 349, 14849, 1349},
      {"2025-05", {{"全日", 100}}, 200, 10, 12000, 2500, 0, 0, 0, 0, 14500, 398, 14898, 1354}}},
    {// Prices before tax: 10000 + 101 × 15.55 − 101 × 1.23 + 101 × 0.5 − 101 × 2 + 136 × 10 = 12654.82;
     // × 1.1 = 13920.302 → 13920. The levy (tax included) 101 × 3.98 = 401.98 → 401 is not taxed again.
     "prices without tax, adjustments, own discount and capacity",
     std::string(kFlat) + R"("contract": "fixed", "prices_include_tax": false, "tax_percent": 10,
        "fuel_adjustment": {"2025-06": -1.23}, "market_adjustment": {"2025-06": 0.5},
        "discount": {"2025-06": -2.0}, "capacity_charge_per_kw": 136,
        "prices": [{"from": "2025-04-01", "demand": 1000, "energy": {"通年": {"全日": 15.55}}}])",
     {{"2025-06-02", 600, 101}},
     "2025-06",
     10,
     85,
     {{"2025-06",
       {{"全日", 101}},
       202,
       10,
       10000,
       1570.55,
       -124.23,
       50.5,
       -202,
       1360,
       13920,
       401,
       14321,
       1301}}},
    {// The national discount of January 2026 (−2.3) on high voltage: 100 × −2.3 = −230; basic 0.
     "national discount",
     std::string(kFlat) + R"("contract": "fixed", "renewable_levy": {"2025": 3.98},
        "prices": [{"from": "2025-04-01", "demand": 0, "energy": {"通年": {"全日": 10}}}])",
     {{"2026-01-05", 600, 100}},
     "2026-01",
     10,
     85,
     {{"2026-01", {{"全日", 100}}, 200, 10, 0, 1000, 0, 0, -230, 0, 770, 398, 1168, 106}}},
    {// 特別高圧 has no national discount: 1000 + levy 398.
     "no national discount for extra-high voltage",
     std::string(kFlat) + R"("contract": "fixed", "supply": "特別高圧",
        "prices": [{"from": "2025-04-01", "demand": 0, "energy": {"通年": {"全日": 10}}}])",
     {{"2026-01-05", 600, 100}},
     "2026-01",
     10,
     85,
     {{"2026-01", {{"全日", 100}}, 200, 10, 0, 1000, 0, 0, 0, 0, 1000, 398, 1398, 127}}},
};

TEST(MonthlyBill, HandWorkedCases) {
    for (const BillCase& c : kCases) {
        SCOPED_TRACE(c.name);
        const auto intervals = intervalsOf(c.readings);
        auto result = price(c.tariff, intervals, c.first, static_cast<int>(c.months.size()), c.contractKw,
                            c.powerFactor);
        ASSERT_TRUE(result) << result.error().message;
        ASSERT_EQ(result->months.size(), c.months.size());
        for (std::size_t i = 0; i < c.months.size(); ++i) {
            const Expected& e = c.months[i];
            const MonthBill& m = result->months[i];
            SCOPED_TRACE(e.month);
            EXPECT_EQ(yearMonthText(m.month), e.month);
            EXPECT_EQ(m.kwhByBand, e.bands);
            EXPECT_EQ(m.maxDemandKw, e.maxDemand);
            EXPECT_EQ(m.contractKw, e.contract);
            EXPECT_EQ(m.parts.basic, micro(e.basic));
            EXPECT_EQ(m.parts.energy, micro(e.energy));
            EXPECT_EQ(m.parts.fuelAdjustment, micro(e.fuel));
            EXPECT_EQ(m.parts.marketAdjustment, micro(e.market));
            EXPECT_EQ(m.parts.discount, micro(e.discount));
            EXPECT_EQ(m.parts.capacity, micro(e.capacity));
            EXPECT_EQ(m.charge, e.charge);
            EXPECT_EQ(m.levy, e.levy);
            EXPECT_EQ(m.bill, e.bill);
            EXPECT_EQ(m.taxInBill, e.tax);
        }
    }
}

TEST(MonthlyBill, RoundingRules) {
    EXPECT_EQ(roundKwh(2.5), 3);
    EXPECT_EQ(roundKwh(2.4999), 2);
    EXPECT_EQ(roundKwh(0.1 + 0.2 + 0.2), 1); // 0.5 despite the binary sum
    EXPECT_EQ(demandKw(10.25, 30), 21);
    EXPECT_EQ(demandKw(10.2, 30), 20);
    EXPECT_EQ(demandKw(5.1, 15), 20);
    EXPECT_EQ(cutToYen(1999999), 1);
    EXPECT_EQ(levyYen(101, 3.98), 401);
    EXPECT_EQ(taxInAmount(110, 10), 10);
    EXPECT_EQ(chargeWithTax(micro(12654.82), 10), 13920);
    EXPECT_EQ(roundPowerFactor(95.5), 96);
}

TEST(MonthlyBill, MissingDataAndNotes) {
    // July has no fuel price (0, noted), August no data at all, and June misses all but two intervals.
    const auto intervals = intervalsOf({{"2025-06-02", 0, 1}, {"2025-06-02", 30, 1}, {"2025-07-01", 0, 1}});
    auto result = price(std::string(kFlat) + R"("fuel_adjustment": {"2025-06": 1.0},
        "prices": [{"from": "2025-04-01", "demand": 0, "energy": {"通年": {"全日": 1}}}])",
                        intervals, "2025-06", 3);
    ASSERT_TRUE(result) << result.error().message;
    const auto& m = result->months;
    EXPECT_EQ(m[0].missingIntervals, 30 * 48 - 2);
    EXPECT_EQ(m[1].parts.fuelAdjustment, 0);
    EXPECT_NE(m[1].notes.back().find("燃料費調整単価に 2025-07 がない"), std::string::npos);
    EXPECT_TRUE(m[2].noData);
    EXPECT_EQ(result->total.monthsBilled, 2);
    EXPECT_EQ(result->total.kwh, 3);
}

TEST(MonthlyBill, RefusesWhatCannotBePriced) {
    const std::string flat = std::string(kFlat) + R"("prices": [{"from": "2025-04-01", "demand": 0,
        "energy": {"通年": {"全日": 1}}}])";
    const std::string halfHour = R"("seasons": {"通年": [1,2,3,4,5,6,7,8,9,10,11,12]},
        "bands": [{"name": "昼間", "hours": ["08:30-22:00"]}, {"name": "夜間"}],
        "prices": [{"from": "2025-04-01", "demand": 0, "energy": {"通年": {"昼間": 2, "夜間": 1}}}])";
    const std::string gap = R"("seasons": {"通年": [1,2,3,4,5,6,7,8,9,10,11,12]},
        "bands": [{"name": "昼間", "hours": ["08:00-22:00"]}],
        "prices": [{"from": "2025-04-01", "demand": 0, "energy": {"通年": {"昼間": 2}}}])";
    const struct {
        std::string tariff;
        std::vector<Reading> readings;
        const char* first;
        const char* message;
    } cases[] = {
        {flat, {{"2025-03-03", 0, 1}}, "2025-03", "2025-03 の単価がありません"},
        {std::string(kFlat) +
             R"("prices": [{"from": "2023-04-01", "demand": 0, "energy": {"通年": {"全日": 1}}}])",
         {{"2023-06-01", 0, 1}},
         "2023-06",
         "2023 年度がありません"},
        {halfHour, {{"2025-06-02", 480, 1, 60}}, "2025-06", "30分値のデータが必要です"},
        {gap, {{"2025-06-02", 1380, 1}}, "2025-06", "2025-06-02 23:00（平日）"},
        {flat, {{"2025-06-02", 0, -1}}, "2025-06", "2025-06-02 00:00 の区間が正しくありません"},
        {flat, {{"2025-06-02", 0, 1e8}}, "2025-06", "2025-06 の使用量か契約電力が大きすぎます"},
    };
    for (const auto& c : cases) {
        const auto intervals = intervalsOf(c.readings);
        auto result = price(c.tariff, intervals, c.first, 1);
        ASSERT_FALSE(result) << c.message;
        EXPECT_NE(result.error().message.find(c.message), std::string::npos) << result.error().message;
    }
}

TEST(BillJson, KeysAndAmounts) {
    const auto intervals = intervalsOf({{"2025-06-02", 600, 101}});
    auto result = price(kCases[4].tariff, intervals, "2025-06", 1);
    ASSERT_TRUE(result);
    BillRequest request;
    request.first = {2025, 6};
    const auto json = billJson({"本社", "試験", "試験.json"}, request, *result);
    std::string keys;
    for (const auto& [key, value] : json["months"][0].items())
        keys += key + " ";
    EXPECT_EQ(keys,
              "month intervals missing_intervals no_data kwh_by_band kwh max_demand_kw contract_kw "
              "power_factor basic energy fuel_adjustment market_adjustment discount capacity charge levy "
              "bill tax_in_bill notes ");
    EXPECT_EQ(json["months"][0]["energy"].dump(), "1570.55");
    EXPECT_EQ(json["months"][0]["basic"].dump(), "10000");
    EXPECT_EQ(json["total"]["months_billed"], 1);
    EXPECT_EQ(json["from"], "2025-06");
}

} // namespace
} // namespace wattorio::billing
