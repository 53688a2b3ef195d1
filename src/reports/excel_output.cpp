#include "reports/excel_output.h"

#include "reports/workbook_file.h"

namespace wattorio::reports {

namespace {

Result<ReportLayout> unstampedReport(Report report, const AppState& state, const ReportSources& sources) {
    switch (report) {
    case Report::TenDayBook:
        if (!sources.tenDayGrid)
            return Error{kNeedTenDayBook};
        return tenDayBookReport(*sources.tenDayGrid);
    case Report::YearBook:
        if (!sources.yearBookGrid)
            return Error{kNeedYearBook};
        return yearBookReport(*sources.yearBookGrid);
    case Report::ResultsGrid:
        if (!sources.calculated || !sources.resultsGrid)
            return Error{kNeedCalculation};
        return resultsGridReport(*sources.resultsGrid);
    case Report::ChargeSummary:
        if (!sources.calculated || !sources.panel.text)
            return Error{kNeedCalculation};
        return chargeSummaryReport(sources.panel);
    case Report::MonthlyTotals:
        if (!sources.calculated)
            return Error{kNeedCalculation};
        return monthlyTotalsReport(state);
    case Report::MonthlyMaximum:
        if (!sources.calculated)
            return Error{kNeedCalculation};
        return monthlyMaximumReport(state);
    case Report::HourAverages:
        if (!sources.calculated)
            return Error{kNeedCalculation};
        return hourAveragesReport(state);
    }
    return Error{kNoReportChosen};
}

// The books hold the meter's readings; kWh are those times the site's multiplier.
std::string readingUnit(const AppState& state) {
    const SiteRecord* site = state.currentSite();
    return "単位　計器の値（kWh ＝ 値 × 倍率 " + (site ? trimBlanks((*site)[2]) : std::string("1")) + "）";
}

} // namespace

Result<ReportLayout> buildReport(Report report, const AppState& state, const ReportSources& sources,
                                 std::time_t made) {
    Result<ReportLayout> layout = unstampedReport(report, state, sources);
    if (layout) {
        const bool book = report == Report::TenDayBook || report == Report::YearBook;
        addStamp(*layout, sheetStamp(state, made), book ? readingUnit(state) : std::string());
    }
    return layout;
}

Result<ReportLayout> buildReport(Report report, const AppState& state, const ReportSources& sources) {
    return buildReport(report, state, sources, std::time(nullptr));
}

std::optional<Message> ExcellForm::Form_Load(const ReportSources& sources, std::time_t now) {
    if (written())
        return std::nullopt;
    Report report{};
    if (!reportOfMode(state_.ExcelMode, &report))
        return Message{kNoReportChosen, "選択エラー", Icon::Warning, Buttons::Ok};
    Result<ReportLayout> layout = buildReport(report, state_, sources, now);
    if (!layout)
        return Message{layout.error().message, "選択エラー", Icon::Warning, Buttons::Ok};
    Result<std::string> saved = saveReport(state_, *layout, now);
    if (!saved)
        return Message{std::string(kWriteFailed) + "\n" + saved.error().message, "書き込みエラー",
                       Icon::Warning, Buttons::Ok};
    path_ = *saved;
    return std::nullopt;
}

} // namespace wattorio::reports
