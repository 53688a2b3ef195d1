#pragma once
// The spreadsheet output window `Excell` without its widgets: where each report takes its cells
// from, and the one writing that happens when the window opens. The report is chosen by
// ExcelMode, which the launching button sets just before it opens the window.

#include "app/app_state.h"
#include "app/message.h"
#include "app/result.h"
#include "app/text_grid.h"
#include "reports/report_layout.h"

#include <ctime>
#include <optional>
#include <string>

namespace wattorio::reports {

// What the open windows show, as far as they are open.
struct ReportSources {
    const TextGrid* tenDayGrid = nullptr;   // the ten-day book's grid (report 1)
    const TextGrid* yearBookGrid = nullptr; // the year book's grid (report 4)
    const TextGrid* resultsGrid = nullptr;  // the results window's MSFlexGrid1 (report 3)
    PanelView panel;                        // the results window's rate panel (report 5)
    // The results window is open, so the monthly totals and the analysis tables are those of its
    // calculation (reports 2, 6, 7).
    bool calculated = false;
};

inline constexpr const char* kNeedTenDayBook =
    "１０日集計用の画面を開いてから「エクセル起動」を押してください。";
inline constexpr const char* kNeedYearBook = "３６５日用の画面を開いてから「エクセル起動」を押してください。";
inline constexpr const char* kNeedCalculation = "先に「電気代計算」を行ってください。";
inline constexpr const char* kNoReportChosen = "エクセルに書き込む表が選ばれていません。";
inline constexpr const char* kWriteFailed = "エクセルに書き込めませんでした。";

// The layout of one report from the sources, stamped with the site, the period and `made` (see
// addStamp); an error naming what is missing when its source is not there (no book open, no
// calculation yet).
Result<ReportLayout> buildReport(Report report, const AppState& state, const ReportSources& sources,
                                 std::time_t made);
// The same, made now.
Result<ReportLayout> buildReport(Report report, const AppState& state, const ReportSources& sources);

class ExcellForm {
public:
    static constexpr const char* kCaption = "Excell";
    static constexpr const char* kCommand1Caption = "エクセルに書き込みました。";

    explicit ExcellForm(AppState& state) : state_(state) {}

    // Form_Load / Ecell_sav: builds the report of ExcelMode and writes it into a new workbook in
    // the report folder, once. Nothing comes back when it was written (path() names the file);
    // otherwise the message for the user ("選択エラー" when the report has no source,
    // "書き込みエラー" when the file could not be written) and nothing was written.
    std::optional<Message> Form_Load(const ReportSources& sources, std::time_t now);

    bool written() const { return !path_.empty(); }
    // The file written, "" before or after a failure (the small text under the button).
    const std::string& path() const { return path_; }

private:
    AppState& state_;
    std::string path_;
};

} // namespace wattorio::reports
