#pragma once
// Writing a report as a spreadsheet file (.xlsx): one workbook, one worksheet named after the
// report, the cells of the layout as texts and numbers with their number formats. Reports go into the folder
// "エクセル出力" of the working folder under a name that tells the report, the site and the time;
// an earlier report is never written over.

#include "app/app_state.h"
#include "app/message.h"
#include "app/result.h"
#include "reports/report_layout.h"

#include <ctime>
#include <string>
#include <string_view>

namespace wattorio::reports {

inline constexpr const char* kReportFolderName = "エクセル出力";

// Writes the layout into `path`. The library builds the workbook in a temporary file, which then
// replaces `path` in one step (saveFileAtomically), so `path` is either the whole workbook or
// untouched. A number that is not finite is written as the text "#NUM!" (the file format has no
// such number); texts are cut to the 32,767 characters a cell holds, and bytes that are not
// UTF-8 or control characters other than tab and line feed become "?".
Status writeWorkbook(const ReportLayout& layout, const std::string& path);
// The same with a worksheet name of the caller's (a report that has no ExcelMode of its own).
Status writeWorkbook(const ReportLayout& layout, const std::string& path, std::string_view sheetName);

// AppDir + "エクセル出力/".
std::string reportFolder(const std::string& appDir);

// A text made fit for a file name: the characters \ / : * ? " < > | and control characters become
// "_", runs of "_" are joined, blanks, dots and "_" are taken off both ends, and at most
// `maxChars` characters are kept. May come back empty.
std::string fileNamePart(std::string_view text, std::size_t maxChars = 40);

// The site part of a report's name: the current site's name, or "物件" + its serial when the name
// leaves nothing, or "物件" without a site.
std::string siteNamePart(const AppState& state);

// "<report>_<site>_<YYYYMMDD-HHMMSS>.xlsx" in local time.
std::string reportFileName(Report report, const std::string& sitePart, std::time_t when);

// Creates the report folder when needed and writes the layout there under reportFileName (with
// "_2", "_3" ... before ".xlsx" when that name is taken). Returns the full path written.
Result<std::string> saveReport(const AppState& state, const ReportLayout& layout, std::time_t when);

// What a window says after writing a spreadsheet of its table: "エクセルに書き込みました。" and the
// path, or why it could not.
Message workbookWrittenMessage(const Result<std::string>& written);

} // namespace wattorio::reports
