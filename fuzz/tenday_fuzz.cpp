// The ten-day book reader on arbitrary bytes: never a crash; a book it accepts round-trips.

#include "fuzz_support.h"
#include "tenday/ten_day_file.h"

#include <memory>

using namespace wattorio;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::freshFolder() + "000001_W.dat";
    fuzz::put(path, std::string_view(reinterpret_cast<const char*>(data), size));
    auto first = std::make_unique<AppState>();
    if (tenday::readTenDayBook(*first, path).file != tenday::BookFile::Loaded)
        return 0;
    Result<std::string> written = tenday::tenDayBookBytes(*first);
    if (!written)
        return 0;
    fuzz::put(path, *written);
    auto second = std::make_unique<AppState>();
    fuzz::require(tenday::readTenDayBook(*second, path).file == tenday::BookFile::Loaded,
                  "a written book reads");
    // The numbers survive the first save exactly; the labels (stored in their Shift_JIS form) are
    // held to the second save, which must give the same bytes.
    fuzz::require(first->DayMark == second->DayMark && first->HourData == second->HourData,
                  "read -> write -> read gives the same tables");
    fuzz::require(tenday::tenDayBookBytes(*second).value() == *written, "the second write is byte-identical");
    return 0;
}
