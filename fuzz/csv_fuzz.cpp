// The CSV import on arbitrary files (the first four bytes choose the layout, lines to skip, the
// column and the days): never a crash or hang, and every value placed is within the book range.

#include "app/book_value.h"
#include "app/numtext.h"
#include "app/text_grid.h"
#include "csvimport/csv_import.h"
#include "fuzz_support.h"

using namespace wattorio;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4)
        return 0;
    csvimport::CsvImportOptions options;
    options.layout = data[0] & 1 ? csvimport::CsvLayout::Horizontal : csvimport::CsvLayout::Vertical;
    options.skipLines = data[1] % 4;
    options.column = data[2] % 30;
    options.days = 1 + data[3] % 8;
    options.month = 1 + data[0] / 2 % 12;
    options.day = data[0] >= 128 ? 31 : 1; // also a day the month may lack
    const std::string path = fuzz::freshFolder() + "in.csv";
    fuzz::put(path, std::string_view(reinterpret_cast<const char*>(data) + 4, size - 4));
    TextGrid grid(366, 28, 1, 4);
    Result<csvimport::CsvImportOutcome> outcome = csvimport::importCsv(path, options, grid);
    if (!outcome)
        return 0;
    fuzz::require(outcome->daysPlaced <= options.days, "no more days than asked for");
    for (int r = 1; r <= 365; ++r)
        for (int c = 4; c < 28; ++c)
            fuzz::require(isBookValue(val(grid.text(r, c))), "every placed value is within the book range");
    (void)csvimport::earlyEndNote(*outcome);
    return 0;
}
