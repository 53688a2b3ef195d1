// The tariff file and national table readers on arbitrary bytes: never a crash; a tariff they
// accept prices a week of half-hour data or refuses it with a message, and its total is the sum
// of its months.

#include "billing/monthly_bill.h"
#include "fuzz_support.h"

using namespace wattorio;
using namespace wattorio::billing;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    (void)parseLevyTable(bytes, "fuzz.json");
    (void)parseDiscountTable(bytes, "fuzz.json");
    Result<Tariff> tariff = parseTariff(bytes, "fuzz.json");
    if (!tariff) {
        fuzz::require(!tariff.error().message.empty(), "a refused tariff says why");
        return 0;
    }
    static const std::vector<MeterInterval> intervals = [] {
        std::vector<MeterInterval> out;
        for (std::int32_t day = dayNumber(2025, 12, 28); day < dayNumber(2026, 1, 4); ++day)
            for (int k = 0; k < 48; ++k)
                out.push_back({day, static_cast<std::int16_t>(k * 30), 30, 10.0 + k % 7 * 0.3});
        return out;
    }();
    NationalTables tables;
    tables.levyByFiscalYear = {{2025, 3.98}};
    tables.highVoltageDiscount = {{{2026, 1}, -2.3}};
    BillRequest request;
    request.intervals = intervals;
    request.contractKw = 100;
    request.tariff = &*tariff;
    request.tables = &tables;
    request.first = {2025, 12};
    request.months = 2;
    Result<BillResult> bill = priceMonths(request);
    if (!bill) {
        fuzz::require(!bill.error().message.empty(), "a bill that cannot be priced says why");
        return 0;
    }
    std::int64_t sum = 0;
    for (const MonthBill& month : bill->months)
        sum += month.bill;
    fuzz::require(sum == bill->total.bill, "the total is the sum of the months");
    return 0;
}
