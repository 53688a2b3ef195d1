#include "reports/site_comparison.h"

#include "app/display_format.h"
#include "app/numtext.h"
#include "calc/aggregation.h"
#include "registry/registry.h"
#include "registry/site_facts.h"
#include "reports/analysis.h"
#include "reports/workbook_file.h"
#include "tenday/ten_day_file.h"
#include "tenday/ten_day_totals.h"
#include "yearbook/year_book_file.h"

#include <cmath>
#include <filesystem>
#include <memory>

namespace wattorio::reports {

namespace {

constexpr std::string_view kTitles[kSiteColumnCount] = {
    "No",   "物件名",           "電力会社", "年間使用量 kWh", "最安メニュー", "年間料金",
    "税込", "次に安いメニュー", "差額",     "備考",           "税",
};

bool isFile(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ec));
}

// Loads the site's book into `work` (the year book, else the ten-day book) and aggregates it;
// the reason it cannot when it cannot.
std::string loadBook(AppState& work, SiteComparison& site) {
    const std::string yearPath = registry::Fail_Name_Set(work.AppDir, site.serial, 1);
    const std::string tenDayPath = registry::Fail_Name_Set(work.AppDir, site.serial, 2);
    if (isFile(yearPath)) {
        site.book = SiteBook::Year;
        work.SiteDataPath = yearPath;
        if (Status loaded = yearbook::loadYearBook(work, yearPath); !loaded)
            return "年間データを読めません: " + loaded.error().message;
        calc::runMonthTotals(work);
        return {};
    }
    if (isFile(tenDayPath)) {
        site.book = SiteBook::TenDay;
        work.SiteDataPath = tenDayPath;
        if (Status loaded = tenday::loadTenDayBook(work, tenDayPath); !loaded)
            return "１０日データを読めません: " + loaded.error().message;
        tenday::Yer_Total(work);
        return {};
    }
    return "データがありません（年間データも１０日データもありません）。";
}

} // namespace

std::string_view siteBookName(SiteBook book) {
    switch (book) {
    case SiteBook::Year:
        return "year";
    case SiteBook::TenDay:
        return "tenday";
    case SiteBook::None:
        break;
    }
    return {};
}

double SiteComparison::difference() const {
    const calc::RankedMenu* a = best();
    const calc::RankedMenu* b = second();
    return a && b ? std::round(b->tax.amount) - std::round(a->tax.amount) : std::nan("");
}

calc::MenuFilter siteMenuFilter(const SiteRecord& record, int utility, bool* factsSet) {
    calc::MenuFilter filter;
    filter.utility = utility;
    const std::optional<registry::Supply> supply = registry::siteSupply(record);
    const std::optional<tariffs::Category> category = registry::siteCategory(record);
    // Both are needed: the note says the site is compared over every menu of its utility.
    const bool set = supply && category;
    if (set) {
        filter.category = category;
        filter.voltage = registry::voltageRowFor(utility, *supply, val(record[3]));
    }
    if (factsSet)
        *factsSet = set;
    return filter;
}

std::vector<SiteComparison> compareSites(const AppState& state, int lastRow,
                                         const std::vector<tariffs::UserMenu>& userMenus,
                                         const SiteProgress& progress, const std::atomic<bool>* cancel,
                                         const SiteVisitor& visit) {
    std::vector<SiteComparison> sites;
    if (lastRow > kMaxSites)
        lastRow = kMaxSites;
    const int count = lastRow > 0 ? lastRow : 0;
    sites.reserve(static_cast<std::size_t>(count));
    // One scratch state for every book, so that nothing of the caller's is touched.
    auto work = std::make_unique<AppState>(state);
    for (int row = 1; row <= count; ++row) {
        if (cancel && cancel->load())
            break;
        const SiteRecord& record = state.SiteTable[static_cast<std::size_t>(row)];
        SiteComparison site;
        site.row = row;
        site.serial = record[0];
        site.name = record[1];
        const double u = val(record[5]);
        site.utility = u >= 1 && u <= 9 && u == std::floor(u) ? static_cast<int>(u) : 0;
        work->SiteRow = static_cast<float>(row);
        work->UtilityNo = static_cast<float>(u);
        if (site.utility == 0) {
            site.reason = "電力会社が設定されていません。";
        } else if (std::string figures = calc::figuresRefusalText(record); !figures.empty()) {
            site.reason = std::move(figures);
        } else if (std::string reason = loadBook(*work, site); !reason.empty()) {
            site.reason = std::move(reason);
        } else if (std::string readings = calc::readingsProblem(*work); !readings.empty()) {
            site.reason = std::move(readings);
        } else {
            site.filter = siteMenuFilter(record, site.utility, &site.factsSet);
            const calc::ComparisonInput input = calc::comparisonInput(*work);
            site.yearKwh = calc::yearKwh(input.season);
            site.menus = calc::rankMenus(input, site.filter, userMenus);
            if (!site.best())
                site.reason = "比較できるメニューがありません。";
            else if (visit)
                visit(*work, site);
        }
        sites.push_back(std::move(site));
        if (progress && !progress(row, count))
            break;
    }
    return sites;
}

std::string loadSiteForResults(AppState& state, const SiteComparison& site) {
    if (site.row < 1 || site.row > kMaxSites || site.book == SiteBook::None || !site.reason.empty())
        return site.reason.empty() ? "データがありません。" : site.reason;
    const SiteRecord& record = state.SiteTable[static_cast<std::size_t>(site.row)];
    if (record[0] != site.serial || val(record[5]) != site.utility)
        return "比較したあとで物件の登録が変わりました。もう一度比較してください。";
    // The site chosen before stays chosen when the book cannot be taken.
    const float chosenRow = state.SiteRow;
    const float chosenUtility = state.UtilityNo;
    state.SiteRow = static_cast<float>(site.row);
    state.UtilityNo = static_cast<float>(site.utility);
    SiteComparison loaded = site;
    std::string reason = loadBook(state, loaded);
    if (reason.empty() && loaded.book != site.book)
        reason = "比較したあとで物件のデータが変わりました。もう一度比較してください。";
    if (!reason.empty()) {
        state.SiteRow = chosenRow;
        state.UtilityNo = chosenUtility;
        return reason;
    }
    if (loaded.book == SiteBook::Year) {
        Demd(state);
        Heikin(state);
    }
    return {};
}

std::string_view siteColumnTitle(int column) {
    return column >= 0 && column < kSiteColumnCount ? kTitles[column] : std::string_view{};
}

bool siteColumnRightAligned(int column) {
    return column == 0 || column == 3 || column == 5 || column == 6 || column == 8;
}

std::string siteCell(const SiteComparison& site, int column) {
    const calc::RankedMenu* best = site.best();
    const calc::RankedMenu* second = site.second();
    const auto yen = [](double v) { return std::isfinite(v) ? formatPattern(v, kFmtYen) : std::string(); };
    switch (column) {
    case 0:
        return std::to_string(site.row);
    case 1:
        return site.name;
    case 2:
        return site.utility ? kUtilityNames[static_cast<std::size_t>(site.utility - 1)] : "";
    case 3: {
        const std::string digits = groupedDigits(site.yearKwh);
        return site.reason.empty() ? (digits.empty() ? "0" : digits) : std::string();
    }
    case 4:
        return best ? best->item : "";
    case 5:
        return best ? yen(best->total) : "";
    case 6:
        return best ? yen(best->tax.amount) : "";
    case 7:
        return second ? second->item : "";
    case 8: {
        const double d = site.difference();
        return !std::isfinite(d) ? "" : d == 0 ? "0 円" : yen(d);
    }
    case 9: {
        if (!site.reason.empty())
            return site.reason;
        std::string note;
        if (best && best->source == calc::MenuSource::User)
            note = "最安は自由メニュー";
        if (site.book == SiteBook::TenDay)
            note += std::string(note.empty() ? "" : "・") + "１０日データで計算";
        if (!site.factsSet)
            note += std::string(note.empty() ? "" : "・") + calc::kFactsUnsetNote;
        return note;
    }
    case 10:
        return best ? calc::taxBasisText(best->tax) : "";
    default:
        return {};
    }
}

std::string siteComparisonTable(const std::vector<SiteComparison>& sites) {
    std::vector<std::vector<std::string>> lines;
    std::vector<bool> right;
    std::vector<std::string> heading;
    for (int c = 0; c < kSiteColumnCount; ++c) {
        heading.emplace_back(siteColumnTitle(c));
        right.push_back(siteColumnRightAligned(c));
    }
    lines.push_back(std::move(heading));
    for (const SiteComparison& site : sites) {
        std::vector<std::string> line;
        for (int c = 0; c < kSiteColumnCount; ++c)
            line.push_back(siteCell(site, c));
        lines.push_back(std::move(line));
    }
    return calc::alignedTable(lines, right);
}

int lastSiteRow(const AppState& state) {
    int last = 0;
    for (int row = 1; row <= kMaxSites; ++row)
        if (!state.SiteTable[static_cast<std::size_t>(row)][0].empty())
            last = row;
    return last;
}

std::string siteComparisonConditions(std::time_t when) {
    std::string line =
        "条件：各物件の電力会社の、受電・区分に合う区分・電圧のメニュー（未設定の物件はその電力会社の"
        "すべてのメニュー）　税込：税込単価の表は合計のまま、ほかは合計に消費税を加算";
    if (when != 0) {
        std::tm local{};
        localtime_r(&when, &local);
        char stamp[40];
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M", &local);
        line += std::string("　作成 ") + stamp;
    }
    return line;
}

ReportLayout siteComparisonLayout(const std::vector<SiteComparison>& sites, std::time_t when) {
    ReportLayout layout;
    layout.cells.emplace_back(1, 1, kSiteComparisonCaption);
    layout.cells.emplace_back(2, 1, siteComparisonConditions(when));
    for (int c = 0; c < kSiteColumnCount; ++c)
        layout.cells.emplace_back(3, c + 1, std::string(siteColumnTitle(c)));
    int row = 4;
    for (const SiteComparison& site : sites) {
        const calc::RankedMenu* best = site.best();
        for (int c = 0; c < kSiteColumnCount; ++c) {
            double number = std::nan("");
            if (c == 0)
                number = site.row;
            else if (c == 3 && site.reason.empty())
                number = std::round(site.yearKwh);
            else if ((c == 5 || c == 6) && best)
                number = std::round(c == 5 ? best->total : best->tax.amount);
            else if (c == 8)
                number = site.difference();
            // kWh and yen keep their units as number formats, so that the sheet can add them up.
            static const std::string kKwhFormat = "#,##0\" kWh\"", kYenFormat = "#,##0\" 円\"";
            if (std::isfinite(number))
                layout.cells.emplace_back(row, c + 1, number,
                                          c == 3   ? kKwhFormat
                                          : c == 0 ? std::string()
                                                   : kYenFormat);
            else if (c != 0 && c != 3 && c != 5 && c != 6 && c != 8) {
                if (std::string text = siteCell(site, c); !text.empty())
                    layout.cells.emplace_back(row, c + 1, std::move(text));
            }
        }
        ++row;
    }
    return layout;
}

Result<std::string> saveSiteComparisonReport(const AppState& state, const std::vector<SiteComparison>& sites,
                                             std::time_t when) {
    std::error_code ec;
    if (state.AppDir.empty() || !std::filesystem::is_directory(state.AppDir, ec))
        return Error{"作業フォルダーがありません: " + state.AppDir};
    const std::string folder = reportFolder(state.AppDir);
    std::filesystem::create_directory(folder, ec);
    if (!std::filesystem::is_directory(folder, ec))
        return Error{"エクセル出力のフォルダーを作れません: " + folder};
    std::tm local{};
    localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string stem = folder + kSiteComparisonCaption + "_" + stamp;
    std::string path = stem + ".xlsx";
    for (int n = 2; std::filesystem::exists(path, ec) || std::filesystem::is_symlink(path, ec); ++n) {
        if (n > 999)
            return Error{"同じ名前のファイルが多すぎます: " + stem + ".xlsx"};
        path = stem + "_" + std::to_string(n) + ".xlsx";
    }
    if (Status written = writeSiteComparisonWorkbook(siteComparisonLayout(sites, when), path); !written)
        return written.error();
    return path;
}

Status writeSiteComparisonWorkbook(const ReportLayout& layout, const std::string& path) {
    return writeWorkbook(layout, path, kSiteComparisonCaption);
}

} // namespace wattorio::reports
