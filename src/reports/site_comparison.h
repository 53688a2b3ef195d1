#pragma once
// Every registered site compared at once: each site's own book (the year book, or the ten-day book
// when it has only that) priced under every whole-year menu of its own utility, the catalog's and
// the user's own ranked together, as the single-site comparison ranks them.

#include "app/app_state.h"
#include "app/result.h"
#include "calc/comparison.h"
#include "reports/report_layout.h"
#include "tariffs/user_menus.h"

#include <atomic>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace wattorio::reports {

enum class SiteBook { None, Year, TenDay };
std::string_view siteBookName(SiteBook book); // "year", "tenday", ""

struct SiteComparison {
    int row = 0;
    std::string serial;
    std::string name;
    int utility = 0; // 1..9, 0 when the site has none
    SiteBook book = SiteBook::None;
    double yearKwh = 0;
    // The ranking of the site's utility, as the single-site comparison gives it (part-year menus,
    // if any, last); empty when the site was not priced.
    std::vector<calc::RankedMenu> menus;
    // Why the site was not priced ("電力会社が設定されていません。" …); "" when it was.
    std::string reason;
    // Whether the record says how the site is supplied and what kind of site it is: then only
    // the menus of its utility, category and voltage row are ranked, else every menu of its utility.
    bool factsSet = false;
    calc::MenuFilter filter;

    // The cheapest and second cheapest whole-year menus, or nullptr.
    const calc::RankedMenu* best() const { return wholeYear(0); }
    const calc::RankedMenu* second() const { return wholeYear(1); }
    // The second's amount with tax minus the best's, in shown yen; not a number without a second.
    double difference() const;

private:
    const calc::RankedMenu* wholeYear(std::size_t i) const {
        return i < menus.size() && !menus[i].partial ? &menus[i] : nullptr;
    }
};

// Called after each site with (sites done, sites in all); return false to stop.
using SiteProgress = std::function<bool(int done, int count)>;
// Called for each priced site while `work` holds its aggregated book (what a results form of the
// site would be built on).
using SiteVisitor = std::function<void(AppState& work, const SiteComparison& site)>;

// Compares the sites of registry rows 1..lastRow of `state` (the registry as loaded, AppDir the
// working folder), with the user menus `userMenus` (those of each site's utility are taken). Stops
// early, returning the sites done, when `cancel` is set or `progress` returns false. The rows of
// the result point into `userMenus`.
std::vector<SiteComparison> compareSites(const AppState& state, int lastRow,
                                         const std::vector<tariffs::UserMenu>& userMenus,
                                         const SiteProgress& progress = {},
                                         const std::atomic<bool>* cancel = nullptr,
                                         const SiteVisitor& visit = {});

// Makes `state` hold `site` as its results window is built on: the site chosen (SiteRow,
// UtilityNo), its book loaded and aggregated, with the peak and average tables of a year book.
// Only while no book window is open. The reason when it cannot, "" when done.
std::string loadSiteForResults(AppState& state, const SiteComparison& site);

// The menus a site signs: its utility, and when its facts are set its category and voltage row.
calc::MenuFilter siteMenuFilter(const SiteRecord& record, int utility, bool* factsSet = nullptr);

// The columns of the table of all sites, in the order shown.
inline constexpr int kSiteColumnCount = 11;
std::string_view siteColumnTitle(int column);
bool siteColumnRightAligned(int column);
// The text of one cell: "No", 物件名, 電力会社, 年間使用量 kWh, 最安メニュー, 年間料金, 税込,
// 次に安いメニュー, 差額, 備考 (the reason, or "自由メニュー" marks), 税 (how 税込 was reached).
std::string siteCell(const SiteComparison& site, int column);
// The table as aligned text lines for a terminal, heading first.
std::string siteComparisonTable(const std::vector<SiteComparison>& sites);

// The last registry row holding a site (rows 1..200 are filled from the top), 0 for none.
int lastSiteRow(const AppState& state);

inline constexpr const char* kSiteComparisonCaption = "全物件の比較";
// The table as a sheet "全物件の比較": the caption in row 1, the conditions of the comparison in
// row 2 (which menus, the tax basis and, with `when`, the date made), the headings in row 3, one
// site a row from row 4; kWh and yen as numbers of the shown whole units, texts as shown.
ReportLayout siteComparisonLayout(const std::vector<SiteComparison>& sites, std::time_t when = 0);
// The conditions line of row 2.
std::string siteComparisonConditions(std::time_t when);
// Writes such a layout as the one sheet "全物件の比較" of `path` (whole or not at all).
Status writeSiteComparisonWorkbook(const ReportLayout& layout, const std::string& path);
// Writes it into the report folder as "全物件の比較_<YYYYMMDD-HHMMSS>.xlsx" (never over an
// earlier file); the path written.
Result<std::string> saveSiteComparisonReport(const AppState& state, const std::vector<SiteComparison>& sites,
                                             std::time_t when);

} // namespace wattorio::reports
