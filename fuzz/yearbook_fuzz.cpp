// The year book reader on arbitrary bytes: never a crash, and a book it accepts is written and
// read back table for table, and byte for byte on the second write.

#include "fuzz_support.h"
#include "yearbook/year_book_file.h"

#include <memory>

using namespace wattorio;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto first = std::make_unique<AppState>();
    if (!yearbook::readYearBookBytes(*first, bytes))
        return 0;
    Result<std::string> written = yearbook::yearBookBytes(*first);
    if (!written)
        return 0; // a label the file form cannot hold is refused, never written half
    auto second = std::make_unique<AppState>();
    fuzz::require(yearbook::readYearBookBytes(*second, *written).ok(), "a written book reads");
    // The numbers survive the first save exactly. The labels may not: a UTF-8 book's characters
    // are stored in their Shift_JIS form (U+301C becomes U+FF5E), so they are held to the second
    // save, which must give the same bytes.
    fuzz::require(first->DayMark == second->DayMark && first->HourData == second->HourData,
                  "read -> write -> read gives the same tables");
    fuzz::require(yearbook::yearBookBytes(*second).value() == *written, "the second write is byte-identical");
    return 0;
}
