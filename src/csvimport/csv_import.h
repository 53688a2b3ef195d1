#pragma once
// Importing hourly readings from a CSV file into the year book grid (rows 1..365, hour h in
// column h + 4). The import writes field texts into the grid cells only; the book window then
// takes the grid over into HourData and marks itself changed.

#include "app/result.h"
#include "app/text_grid.h"

#include <functional>
#include <string>

namespace wattorio::csvimport {

enum class CsvLayout { Vertical, Horizontal }; // 立行を読む (one hour a line), 横行を読む (one day a line)

struct CsvImportOptions {
    CsvLayout layout = CsvLayout::Vertical;
    int skipLines = 0;   // lines before the first data line
    int column = 1;      // field number (from 1) of the first value
    int month = 1;       // 1..12
    int day = 1;         // 1..31; 0 = no day chosen (day 1 of the month)
    int days = 365;      // number of days to place
};

// The own sheet format "基本シートフォマット": horizontal, skip 1, column 4, 365 days from 1 January.
CsvImportOptions ownSheetFormat();

struct CsvImportOutcome {
    int daysPlaced = 0;
    int valuesPlaced = 0;
    bool endedEarly = false;  // the file ended or a line failed before `days` days were placed
};

// Progress: (days done, days wanted); called now and then during the import.
using CsvProgress = std::function<void(int, int)>;

Result<CsvImportOutcome> importCsv(const std::string& path, const CsvImportOptions& options, TextGrid& grid,
                                   const CsvProgress& progress = {});

} // namespace wattorio::csvimport
