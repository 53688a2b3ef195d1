#pragma once
// The national figures every dated bill uses unless its tariff names its own: the renewable
// energy levy per fiscal year and the government's discounts per month of use for high voltage.
// Each ships in the program's data folder as a UTF-8 JSON file whose every entry names its source
// and the date it was seen; a copy in the working folder takes precedence, so a newer table needs
// no new program.
//
//   {"name": "...", "unit": "円/kWh",
//    "entries": [{"fiscal_year": 2025, "value": 3.98, "source": "...", "seen": "2026-03-20",
//                 "sureness": "high"}, ...]}             (the levy; "month": "2026-01" for discounts)

#include "app/result.h"
#include "billing/dates.h"
#include "billing/tariff_file.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace wattorio::billing {

constexpr const char* kLevyTableName = "renewable_levy.json";
constexpr const char* kDiscountTableName = "high_voltage_discount.json";
constexpr std::size_t kMaxNationalTableBytes = 256 * 1024;

struct NationalTables {
    std::map<int, double> levyByFiscalYear; // 円/kWh, tax included
    MonthTable highVoltageDiscount;         // 円/kWh of use, 0 or negative
    std::string levyPath;                   // the files read
    std::string discountPath;
    std::vector<std::string> notes; // a working-folder copy that could not be read, and why
};

Result<std::map<int, double>> parseLevyTable(std::string_view bytes, const std::string& fileName);
Result<MonthTable> parseDiscountTable(std::string_view bytes, const std::string& fileName);

// Each table from the working folder (appDir, ending in a separator) when it has a readable
// copy, else from the data folder; an error when neither can be read.
Result<NationalTables> loadNationalTables(const std::string& appDir, const std::string& dataDir);

} // namespace wattorio::billing
