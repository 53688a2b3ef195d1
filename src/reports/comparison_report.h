#pragma once
// The menu ranking written to a spreadsheet file (.xlsx): one worksheet "全メニュー比較" with the
// site's heading lines, the column headings and one row per menu in the order the table shows
// them. Amounts are numbers of whole yen, exactly the yen the table shows, so that the sheet's
// own arithmetic agrees with the screen (the difference column is the difference of the shown
// totals with tax).

#include "app/app_state.h"
#include "app/result.h"
#include "calc/comparison.h"

#include <ctime>
#include <string>
#include <vector>

namespace wattorio::reports {

inline constexpr const char* kComparisonSheetName = "全メニュー比較";

// Sheet rows of the table: the headings in row 4, the first menu in row 5.
inline constexpr int kComparisonHeadingRow = 4;
inline constexpr int kComparisonFirstRow = 5;

// The sheet column (1 = A) of a table column: the columns the sheet has always had stay where
// they were, and 税 follows 備考.
int comparisonSheetColumn(calc::RankColumn column);

// The lines above the table: "全メニュー比較　<site name>", the site's utility, contract power and
// power factor as stored, and the table's own caption (e.g. "東京電力の全メニュー（18 件）").
std::vector<std::string> comparisonHeading(const AppState& state, const std::string& tableCaption);

// The lines beside the heading (column F of rows 1 and 2, cells the layout leaves empty): the
// date made and the period of the book priced.
std::vector<std::string> comparisonSideLines(const AppState& state, std::time_t when);

// Writes the sheet into `path` (whole or not at all: the library's file replaces `path` in one
// step). A figure that is not a number leaves its cell empty, as the table shows it.
Status writeComparisonWorkbook(const std::vector<std::string>& headingLines,
                               const std::vector<calc::RankedMenu>& rows, const std::string& path,
                               const std::vector<std::string>& sideLines = {});

// Writes into the report folder of the working folder ("エクセル出力", made when missing) under
// "全メニュー比較_<site>_<YYYYMMDD-HHMMSS>.xlsx", never over an earlier file ("_2", "_3" ... are
// added). Returns the path written.
Result<std::string> saveComparisonReport(const AppState& state, const std::string& tableCaption,
                                         const std::vector<calc::RankedMenu>& rows, std::time_t when);

} // namespace wattorio::reports
