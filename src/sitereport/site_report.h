#pragma once
// The site report 「物件レポート」 as plain data: what a manager is handed about one site's year —
// who and what the site is, what its current contract costs against the three cheapest menus it
// can sign, the year's consumption and demand as pictures, and what the figures assume. Every
// amount is taken from the cores the windows show (the results form's panel and the menu
// ranking), so the report and the screens agree to the yen. Laid out and drawn by site_report_pdf.h.

#include "app/app_state.h"
#include "calc/comparison.h"
#include "calc/result_charts.h"
#include "calc/total_form.h"
#include "tariffs/user_menus.h"

#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace wattorio::sitereport {

inline constexpr const char* kReportTitle = "物件レポート";

// One menu of the decision table.
struct MenuLine {
    std::string role;    // "現在の契約", "1 位", "2 位", "3 位"
    std::string name;    // the menu as the results window names it (utility, list item)
    double total = 0;    // 年間合計 (円)
    double withTax = 0;  // 消費税込み: the amount every ranking compares (円)
    std::string taxText; // how the tax was counted: "税込単価", "5%", "10%"
    // 最安との差 as the menu ranking shows it (whole yen of the tax-inclusive amounts); not a
    // number when the menu is not priced for the whole year.
    double difference = 0;
    bool partial = false; // 一部の期間のみ
};

// The monthly bill table of a dated tariff, as 月別請求額 shows it: headings and rows of texts.
struct BillTable {
    std::string caption;
    std::vector<std::string> headings;
    std::vector<std::vector<std::string>> rows;
    std::vector<double> widths; // in points, one a heading (empty: equal widths)
    std::string note;           // under the table ("" for none)
};

struct SiteReport {
    std::string made; // "2026年12月9日"
    std::string siteName;
    // The heading block: label and value ("電力会社", "東京電力"), in print order.
    std::vector<std::pair<std::string, std::string>> heading;
    std::optional<MenuLine> current; // nothing before a menu is chosen
    std::vector<MenuLine> cheapest;  // at most three, whole-year menus only
    std::string rankingCondition; // which menus were ranked ("東京電力　工場　②のメニュー（2 件）")
    std::optional<BillTable> bills; // with a dated tariff only
    calc::ResultChartData charts;
    std::vector<std::string> assumptions;
};

struct SiteReportInput {
    const AppState* state = nullptr;
    // The results form of the site's calculation: its year table and the menu on its panel.
    const calc::TotalForm* form = nullptr;
    bool hourlyBook = true; // the year book (false: the ten-day book, no hourly figures)
    std::time_t made = 0;
};

// The report of the current site from the results form. Assumes the form has been loaded
// (Form_Load succeeded).
SiteReport buildSiteReport(const SiteReportInput& input);

// The period of the data: the calendar year the site's calendar was set for, or
// "年間データ（年の指定なし）".
std::string periodText(const AppState& state);

// "1,234,567 円" for the amounts of the report ("" for a value that is not a number).
std::string yenText(double value);

} // namespace wattorio::sitereport
