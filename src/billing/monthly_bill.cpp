#include "billing/monthly_bill.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>

namespace wattorio::billing {

namespace {

constexpr std::int64_t kMicro = 1000000;          // millionths of a kWh, of a yen
constexpr std::int64_t kPriceScale = 10000;       // unit prices in 1/10000 円
constexpr double kMaxIntervalKwh = 1e8;           // far beyond any meter, exact in millionths
constexpr std::int64_t kMaxMonthKwh = 1000000000; // 1 TWh
constexpr std::int64_t kMaxContractKw = 10000000; // 10 GW
// The years computedHolidays() knows the law for.
constexpr int kComputedHolidayFirstYear = 2000;
constexpr int kComputedHolidayLastYear = 2099;

// A reading in millionths of a kWh; the readings carry few decimals, so that the sums of a month
// are exact and the half-up rounding of a band's kWh is decided on the true figure.
std::int64_t microKwh(double kwh) {
    return static_cast<std::int64_t>(kwh * 1e6 + 0.5);
}

std::int64_t roundMicro(std::int64_t micro) {
    return micro >= 0 ? (micro + kMicro / 2) / kMicro : -((-micro + kMicro / 2) / kMicro);
}

std::int64_t priceUnits(double price) {
    return std::llround(price * kPriceScale);
}

std::int64_t taxHundredths(double taxPercent) {
    return std::llround(taxPercent * 100);
}

std::string clockText(int minute) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", minute / 60, minute % 60);
    return text;
}

// A band edge inside the data's intervals: the bill cannot split an interval between two bands.
std::optional<Error> edgeFault(const Tariff& tariff, int minutes) {
    for (const TariffBand& band : tariff.bands)
        for (const MinuteRange& range : band.hours)
            for (int edge : {range.from, range.to % 1440})
                if (edge % minutes != 0) {
                    const int needed = edge % 30 == 0 ? 30 : edge % 15 == 0 ? 15 : 0;
                    std::string what = needed ? std::to_string(needed) + "分値のデータが必要です"
                                              : "境目に合う区間のデータが必要です";
                    return Error{"料金表「" + tariff.name + "」は時間帯「" + band.name + "」の境目が " +
                                 clockText(edge) + " にあるため、" + std::to_string(minutes) +
                                 "分ごとのデータでは計算できません。" + what + "。"};
                }
    return std::nullopt;
}

// The band of every start minute, per month and day class; the first band that matches a start
// takes it, so the bands are painted from the last to the first.
struct BandGrid {
    std::array<std::array<std::array<std::int8_t, 1440>, kDayClasses>, 13> band;

    explicit BandGrid(const Tariff& tariff) {
        for (int month = 1; month <= 12; ++month)
            for (int day = 0; day < kDayClasses; ++day) {
                auto& minutes = band[month][day];
                minutes.fill(-1);
                for (auto it = tariff.bands.rbegin(); it != tariff.bands.rend(); ++it) {
                    if (!(it->monthMask & (1u << month)) || !(it->dayMask & (1u << day)))
                        continue;
                    const auto paint = [&](int from, int to) {
                        std::fill(minutes.begin() + from, minutes.begin() + to,
                                  static_cast<std::int8_t>(it->nameIndex));
                    };
                    if (it->hours.empty())
                        paint(0, 1440);
                    for (const MinuteRange& range : it->hours) {
                        if (range.from < range.to) {
                            paint(range.from, range.to);
                        } else {
                            paint(range.from, 1440);
                            paint(0, range.to);
                        }
                    }
                }
            }
    }
};

// What a month gathers from its intervals.
struct MonthSums {
    int intervals = 0;
    std::int64_t maxDemandMicro = 0; // the largest interval's kWh × 60 / minutes, in millionths
};

} // namespace

std::int64_t roundKwh(double kwh) {
    if (!(std::fabs(kwh) < 1e12)) // beyond the exact millionths (or no number): rounded as a double
        return std::isnan(kwh) ? 0
                               : static_cast<std::int64_t>(std::clamp(std::floor(kwh + 0.5), -9e18, 9e18));
    return roundMicro(microKwh(std::fabs(kwh))) * (kwh < 0 ? -1 : 1);
}

std::int64_t roundKw(double kw) {
    return roundKwh(kw);
}

int roundPowerFactor(double percent) {
    return static_cast<int>(std::floor(percent + 0.5));
}

std::int64_t cutToYen(std::int64_t microYen) {
    return microYen / kMicro;
}

std::int64_t levyYen(std::int64_t kwh, double levyPerKwh) {
    return static_cast<std::int64_t>(static_cast<__int128>(kwh) * priceUnits(levyPerKwh) / kPriceScale);
}

std::int64_t taxInAmount(std::int64_t yen, double taxPercent) {
    const std::int64_t tax = taxHundredths(taxPercent);
    return static_cast<std::int64_t>(static_cast<__int128>(yen) * tax / (10000 + tax));
}

std::int64_t chargeWithTax(std::int64_t microYen, double taxPercent) {
    const __int128 total = static_cast<__int128>(microYen) * (10000 + taxHundredths(taxPercent));
    return static_cast<std::int64_t>(total / (static_cast<__int128>(10000) * kMicro));
}

std::int64_t demandKw(double kwh, int minutes) {
    if (minutes <= 0 || !(kwh >= 0 && kwh < 1e12))
        return minutes <= 0 ? 0 : roundKwh(kwh * 60 / minutes);
    const __int128 scaled =
        static_cast<__int128>(microKwh(kwh)) * 60 * 2 + static_cast<__int128>(minutes) * kMicro;
    return static_cast<std::int64_t>(scaled / (static_cast<__int128>(2) * minutes * kMicro));
}

std::optional<YearMonth> lastMonthWithData(std::span<const MeterInterval> intervals) {
    if (intervals.empty())
        return std::nullopt;
    std::int32_t last = intervals.front().date;
    for (const MeterInterval& interval : intervals)
        last = std::max(last, interval.date);
    return monthOfDay(last);
}

Result<BillResult> priceMonths(const BillRequest& request) {
    if (!request.tariff)
        return Error{"料金表がありません。"};
    const Tariff& tariff = *request.tariff;
    if (request.months < 1 || request.months > kMaxBillMonths)
        return Error{"計算する月数は 1 から " + std::to_string(kMaxBillMonths) + " までです。"};
    const YearMonth lastMonth = addMonths(request.first, request.months - 1);
    if (request.first.year < kFirstYear || lastMonth.year > kLastYear || request.first.month < 1 ||
        request.first.month > 12)
        return Error{"計算する月は " + std::to_string(kFirstYear) + " 年から " + std::to_string(kLastYear) +
                     " 年までです。"};
    if (!std::isfinite(request.contractKw) || request.contractKw < 0 || request.contractKw > 1e7)
        return Error{"契約電力が正しくありません。"};
    if (!std::isfinite(request.powerFactor) || request.powerFactor < 0 || request.powerFactor > 100)
        return Error{"力率は 0 から 100 までです。"};
    const std::int64_t registeredKw = roundKw(request.contractKw);
    if (tariff.contract == ContractKind::Fixed && registeredKw <= 0)
        return Error{"料金表「" + tariff.name +
                     "」は登録の契約電力で計算しますが、物件に契約電力がありません。"};
    const bool nationalDiscount = tariff.discount == DiscountKind::National && !tariff.extraHighVoltage();
    if ((tariff.levy == LevyKind::National || nationalDiscount) && !request.tables)
        return Error{"再エネ賦課金と値引きの表がありません。"};

    // The months priced and, before them, the eleven a measured contract looks back on.
    constexpr int kHistory = 11;
    const YearMonth historyFirst = addMonths(request.first, -kHistory);
    const int monthCount = request.months + kHistory;
    const std::int32_t firstDay = firstDayOf(historyFirst);
    const std::int32_t endDay = firstDayOf(addMonths(lastMonth, 1));
    const std::size_t dayCount = static_cast<std::size_t>(endDay - firstDay);

    // Each day's month (counted from historyFirst) and, in the months priced, its row of the band
    // grid: the calendar month and the day's class resolved once.
    struct Day {
        int month = 0;
        DayClass dayClass = DayClass::Weekday;
        const std::int8_t* bands = nullptr; // nullptr in the months looked back on
    };
    const std::size_t bandCount = tariff.bandNames.size();
    const auto grid = std::make_unique<BandGrid>(tariff);
    std::vector<Day> days(dayCount);
    {
        // Only the months priced need their days' classes. A year the holiday list does not hold
        // takes the holidays the law gives (the list's own rule when the calendar has no list).
        std::vector<std::uint8_t> holiday(dayCount, 0);
        const auto mark = [&](const yearbook::Holiday& h) {
            const std::int32_t d = dayNumber(h.year, h.month, h.day) - firstDay;
            if (d >= 0 && static_cast<std::size_t>(d) < dayCount)
                holiday[static_cast<std::size_t>(d)] = 1;
        };
        for (int year = request.first.year; year <= lastMonth.year; ++year) {
            if (request.holidays && request.holidays->covers(year)) {
                for (const yearbook::Holiday& h : request.holidays->holidays())
                    if (h.year == year)
                        mark(h);
            } else if (year >= kComputedHolidayFirstYear && year <= kComputedHolidayLastYear) {
                for (const yearbook::Holiday& h : yearbook::computedHolidays(year))
                    mark(h);
            }
        }
        std::size_t d = 0;
        int w = weekday(firstDay);
        for (int m = 0; m < monthCount; ++m) {
            const YearMonth ym = addMonths(historyFirst, m);
            const int length = daysInMonth(ym.year, ym.month);
            for (int day = 1; day <= length; ++day, ++d, w = (w + 1) % 7) {
                bool off = w == 0 || holiday[d];
                for (const auto& [offMonth, offDay] : tariff.extraDaysOff)
                    off = off || (offMonth == ym.month && offDay == day);
                const DayClass cls = off      ? DayClass::Holiday
                                     : w == 6 ? DayClass::Saturday
                                              : DayClass::Weekday;
                days[d] = {m, cls,
                           m < kHistory ? nullptr : grid->band[ym.month][static_cast<int>(cls)].data()};
            }
        }
    }

    // One pass over the intervals: each is checked and its kWh added to its band. The intervals
    // come in runs of one day and one length (a day's readings together): what depends on the day
    // or the length is worked out once per run, and a run's count and largest reading go to its
    // month when it ends.
    std::vector<MonthSums> sums(static_cast<std::size_t>(monthCount));
    std::vector<std::int64_t> bandMicro(static_cast<std::size_t>(request.months) * bandCount, 0);
    std::array<int, 4> lengthCount{}; // 15, 30, 60, other
    std::vector<bool> lengthChecked(1441, false);
    const MeterInterval* const begin = request.intervals.data();
    const MeterInterval* const end = begin + request.intervals.size();
    const MeterInterval* runStart = begin;
    int runMinutes = -1; // no interval has it: the first one starts a run
    std::int32_t runDate = 0;
    std::int64_t runMax = 0; // the run's largest reading, in millionths of a kWh
    const Day* day = nullptr;
    MonthSums* month = nullptr;
    std::int64_t* dayBands = nullptr;
    const auto closeRun = [&](const MeterInterval* at) {
        const int count = static_cast<int>(at - runStart);
        if (count == 0)
            return;
        lengthCount[runMinutes == 15 ? 0 : runMinutes == 30 ? 1 : runMinutes == 60 ? 2 : 3] += count;
        if (month) {
            month->intervals += count;
            month->maxDemandMicro = std::max(month->maxDemandMicro, runMax * 60 / runMinutes);
        }
        runMax = 0;
        runStart = at;
    };
    for (const MeterInterval* it = begin; it != end; ++it) {
        if (it->date != runDate || it->minutes != runMinutes) {
            closeRun(it);
            if (it->minutes <= 0 || it->minutes > 1440)
                return Error{startText(it->date, std::clamp<int>(it->start, 0, 1439)) +
                             " の区間が正しくありません（長さ " + std::to_string(it->minutes) + " 分）。"};
            if (!lengthChecked[it->minutes]) {
                lengthChecked[it->minutes] = true;
                if (auto fault = edgeFault(tariff, it->minutes))
                    return *fault;
            }
            runMinutes = it->minutes;
            runDate = it->date;
            const std::int64_t d = static_cast<std::int64_t>(it->date) - firstDay;
            if (d < 0 || d >= static_cast<std::int64_t>(dayCount)) {
                day = nullptr;
                month = nullptr;
                dayBands = nullptr;
            } else {
                day = &days[static_cast<std::size_t>(d)];
                month = &sums[static_cast<std::size_t>(day->month)];
                dayBands = day->bands
                               ? &bandMicro[static_cast<std::size_t>(day->month - kHistory) * bandCount]
                               : nullptr;
            }
        }
        const unsigned start = static_cast<unsigned>(it->start);
        const double kwh = it->kwh;
        if (start >= 1440u || !(kwh >= 0 && kwh <= kMaxIntervalKwh))
            return Error{startText(it->date, std::clamp<int>(it->start, 0, 1439)) +
                         " の区間が正しくありません（kWh が負か、数値でないか、大きすぎます）。"};
        const std::int64_t micro = microKwh(kwh);
        runMax = std::max(runMax, micro);
        if (!dayBands)
            continue;
        const int band = day->bands[start];
        if (band < 0)
            return Error{"料金表「" + tariff.name + "」のどの時間帯（bands）にも当たらない区間があります: " +
                         startText(it->date, it->start) + "（" + dayClassName(day->dayClass) + "）"};
        dayBands[band] += micro;
    }
    closeRun(end);
    // The data's interval length: the length most intervals have.
    int dataMinutes = 30;
    if (lengthCount[0] > lengthCount[1] && lengthCount[0] >= lengthCount[2])
        dataMinutes = 15;
    else if (lengthCount[2] > lengthCount[1] && lengthCount[2] > lengthCount[0])
        dataMinutes = 60;

    // A month's largest demand in whole kW; 0 without data.
    const auto monthDemand = [&](int m) -> std::int64_t {
        const MonthSums& month = sums[static_cast<std::size_t>(m)];
        if (month.intervals == 0)
            return 0;
        return (month.maxDemandMicro + kMicro / 2) / kMicro;
    };

    BillResult result;
    BillTotal& total = result.total;
    for (const std::string& name : tariff.bandNames)
        total.kwhByBand.emplace_back(name, 0);
    const int pf = roundPowerFactor(request.powerFactor);
    for (int i = 0; i < request.months; ++i) {
        const int m = i + kHistory;
        const YearMonth ym = addMonths(request.first, i);
        MonthBill bill;
        bill.month = ym;
        bill.intervals = sums[m].intervals;
        bill.powerFactor = pf;
        int daysWithReadings = daysInMonth(ym.year, ym.month);
        bool readingless = false;
        for (std::int32_t day : request.daysWithoutReadings)
            if (monthOfDay(day) == ym) {
                --daysWithReadings;
                readingless = true;
            }
        const int expected = daysWithReadings * (1440 / dataMinutes);
        bill.missingIntervals = std::max(0, expected - bill.intervals);
        if (bill.intervals == 0) {
            bill.noData = true;
            bill.missingIntervals = expected;
            for (const std::string& name : tariff.bandNames)
                bill.kwhByBand.emplace_back(name, 0);
            bill.notes.push_back("データがないため請求額を計算しません");
            result.months.push_back(std::move(bill));
            continue;
        }
        if (readingless)
            bill.notes.push_back("2月29日は年報に行がないため読み値がありません（欠測には数えません）");
        if (bill.missingIntervals > 0)
            bill.notes.push_back("欠測 " + std::to_string(bill.missingIntervals) +
                                 " 区間（ある区間だけで計算しました）");
        if (!request.holidays || !request.holidays->covers(ym.year))
            bill.notes.push_back("祝日の一覧に " + std::to_string(ym.year) + " 年がないため、" +
                                 (ym.year >= kComputedHolidayFirstYear && ym.year <= kComputedHolidayLastYear
                                      ? "祝日は法律の規則で求めました"
                                      : "日曜日と料金表の休日だけを休日としました"));

        const TariffPrice* price = tariff.pricesFor(ym);
        if (!price)
            return Error{"料金表「" + tariff.name + "」に " + yearMonthText(ym) +
                         " の単価がありません（単価は " + dateText(tariff.prices.front().from) +
                         " からです）。"};
        const int season = tariff.seasonOfMonth[ym.month];

        bill.maxDemandKw = monthDemand(m);
        if (tariff.contract == ContractKind::Fixed) {
            bill.contractKw = registeredKw;
        } else {
            bill.contractKw = bill.maxDemandKw;
            for (int back = 1; back <= kHistory; ++back)
                bill.contractKw = std::max(bill.contractKw,
                                           sums[m - back].intervals ? monthDemand(m - back) : registeredKw);
        }

        for (std::size_t b = 0; b < bandCount; ++b) {
            const std::int64_t kwh = roundMicro(bandMicro[static_cast<std::size_t>(i) * bandCount + b]);
            bill.kwhByBand.emplace_back(tariff.bandNames[b], kwh);
            bill.kwh += kwh;
        }
        // Far beyond any site, and small enough that no amount of the bill or its total overflows.
        if (bill.kwh > kMaxMonthKwh || bill.contractKw > kMaxContractKw)
            return Error{yearMonthText(ym) + " の使用量か契約電力が大きすぎます（" +
                         std::to_string(bill.kwh) + " kWh、" + std::to_string(bill.contractKw) + " kW）。"};

        BillParts& parts = bill.parts;
        std::int64_t energyUnits = 0; // kWh × 1/10000 円
        for (std::size_t b = 0; b < bandCount; ++b) {
            const std::int64_t kwh = bill.kwhByBand[b].second;
            if (kwh == 0)
                continue;
            const double unitPrice = price->energy[season][b];
            if (std::isnan(unitPrice))
                return Error{"料金表「" + tariff.name + "」に " + yearMonthText(ym) + " の「" +
                             tariff.bandNames[b] + "」の単価がありません。"};
            energyUnits += kwh * priceUnits(unitPrice);
        }
        parts.basic = priceUnits(price->demand) * bill.contractKw * (185 - pf);
        parts.energy = energyUnits * 100;

        const auto monthRate = [&](const MonthTable& table, bool noteMissing,
                                   const char* what) -> std::int64_t {
            const auto found = table.find(ym);
            if (found != table.end())
                return priceUnits(found->second);
            if (noteMissing)
                bill.notes.push_back(std::string(what) + "に " + yearMonthText(ym) +
                                     " がないため 0 としました");
            return 0;
        };
        if (tariff.hasFuelAdjustment)
            parts.fuelAdjustment = bill.kwh * monthRate(tariff.fuelAdjustment, true, "燃料費調整単価") * 100;
        if (tariff.hasMarketAdjustment)
            parts.marketAdjustment =
                bill.kwh * monthRate(tariff.marketAdjustment, true, "市場価格調整単価") * 100;
        if (tariff.discount == DiscountKind::Table)
            parts.discount = bill.kwh * monthRate(tariff.discountTable, true, "値引き単価") * 100;
        else if (nationalDiscount)
            parts.discount = bill.kwh * monthRate(request.tables->highVoltageDiscount, false, "") * 100;
        parts.capacity = priceUnits(tariff.capacityChargePerKw) * bill.contractKw * 100;

        const std::int64_t sum = parts.basic + parts.energy + parts.fuelAdjustment + parts.marketAdjustment +
                                 parts.discount + parts.capacity;
        bill.charge = tariff.pricesIncludeTax ? cutToYen(sum) : chargeWithTax(sum, tariff.taxPercent);

        const int fy = fiscalYear(ym);
        const auto& levyTable =
            tariff.levy == LevyKind::National ? request.tables->levyByFiscalYear : tariff.levyTable;
        const auto levy = levyTable.find(fy);
        if (levy == levyTable.end())
            return Error{"再エネ賦課金の単価に " + std::to_string(fy) + " 年度がありません（" +
                         yearMonthText(ym) + " の使用分）。" +
                         (tariff.levy == LevyKind::National
                              ? ""
                              : "料金表「" + tariff.name + "」の renewable_levy です。")};
        bill.levy = levyYen(bill.kwh, levy->second);
        bill.bill = bill.charge + bill.levy;
        bill.taxInBill = taxInAmount(bill.bill, tariff.taxPercent);

        ++total.monthsBilled;
        total.intervals += bill.intervals;
        total.missingIntervals += bill.missingIntervals;
        total.maxDemandKw = std::max(total.maxDemandKw, bill.maxDemandKw);
        total.contractKw = std::max(total.contractKw, bill.contractKw);
        bool overflow = false;
        const auto add = [&overflow](std::int64_t& to, std::int64_t value) {
            overflow = __builtin_add_overflow(to, value, &to) || overflow;
        };
        for (std::size_t b = 0; b < bandCount; ++b)
            add(total.kwhByBand[b].second, bill.kwhByBand[b].second);
        add(total.kwh, bill.kwh);
        add(total.parts.basic, parts.basic);
        add(total.parts.energy, parts.energy);
        add(total.parts.fuelAdjustment, parts.fuelAdjustment);
        add(total.parts.marketAdjustment, parts.marketAdjustment);
        add(total.parts.discount, parts.discount);
        add(total.parts.capacity, parts.capacity);
        add(total.charge, bill.charge);
        add(total.levy, bill.levy);
        add(total.bill, bill.bill);
        add(total.taxInBill, bill.taxInBill);
        if (overflow)
            return Error{"合計の金額が大きすぎます（" + yearMonthText(ym) + " まで）。"};
        result.months.push_back(std::move(bill));
    }
    return result;
}

} // namespace wattorio::billing
