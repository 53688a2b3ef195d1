#pragma once
// The ranking of tariff menus: every menu of one utility (or of all nine) priced against the
// site's year exactly as choosing it in its list prices it (catalog rates on a fresh rate panel,
// the menu's formula, then Total_T; the Saturday question counts as answered OK), ranked cheapest
// first and re-sortable by any column. The comparison window, the spreadsheet and the command
// line all show this one table.

#include "app/app_state.h"
#include "calc/charges.h"
#include "tariffs/catalog.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wattorio::calc {

class TotalForm;

// What every menu is priced against: the year table, the contract power (kW) and the annual power
// factor (%).
struct ComparisonInput {
    SeasonTable season{};
    double contract = 0;
    double powerFactor = 0;

    bool operator==(const ComparisonInput&) const = default;
};

// The year of the monthly totals now in the shared state (Nen_Total of the site's utility) and
// the current site's contract.
ComparisonInput comparisonInput(const AppState& state);
// The year table an open results form holds (built when it was loaded, which is what a choice in
// its lists prices) and the current site's contract, as its Total_T reads it.
ComparisonInput comparisonInput(const TotalForm& form, const AppState& state);

// The columns of the table, in the order shown.
enum class RankColumn {
    Rank,       // 順位
    Utility,    // 電力会社
    Category,   // 区分
    Voltage,    // 電圧 (①②③)
    Menu,       // メニュー (the list item)
    Demand,     // 基本料金: the annual demand charge, LineCharge[0]
    Energy,     // 電力量料金: LineCharge[1] + ... + LineCharge[5]
    Total,      // 年間合計
    WithTax,    // 消費税込み
    Difference, // 最安との差
};
inline constexpr int kRankColumnCount = 10;
std::string_view rankColumnTitle(RankColumn column);
// Amount columns are right-aligned and formatted as yen; the others are texts.
bool isAmountColumn(RankColumn column);

struct RankedMenu {
    const tariffs::TariffMenu* menu = nullptr;
    // 1 for the cheapest; menus of the same whole-yen total with tax share a rank. Menus whose
    // figures are not numbers (a contract text too large for a double) come last.
    int rank = 0;
    // Place in the ranking (1 = first): the order the table returns to when sorted by 順位.
    int position = 0;
    LineArray lineKwh{};
    LineArray lineCharge{};
    double demandCharge = 0; // LineCharge[0]
    double energyCharge = 0; // LineCharge[1..5], added in line order
    double total = 0;
    double totalWithTax = 0;
    // The whole-yen total with tax shown for this menu minus the one shown for the cheapest, so
    // that the table's own figures subtract to it.
    double difference = 0;
};

// Every menu of utility `utility` (1..9), or of all nine when `utility` is 0, priced against
// `input`, sorted cheapest first (by the total with tax; equal totals keep the catalog order:
// utility, list, index). Any other `utility` gives an empty table.
std::vector<RankedMenu> rankMenus(const ComparisonInput& input, int utility);

// Re-sorts the table by a column (stable; equal values keep the ranking order). Amounts sort by
// value, 電力会社 by UtilityNo, 区分 office before factory, 電圧 by row, メニュー by its text.
void sortRanking(std::vector<RankedMenu>& rows, RankColumn column, bool descending);

// The figure of an amount column (0 for the other columns).
double rankAmount(const RankedMenu& row, RankColumn column);

// The text of one cell as the table shows it: amounts with "#,###,###,### 円" ("" for a figure
// that is not a number), the rank as a number, utility name, category, ①②③ and the list item.
std::string rankCell(const RankedMenu& row, RankColumn column);

// The ranking as a readable text table for a terminal: a heading line and one line per menu, the
// columns aligned by their display width (full-width characters take two columns), amounts
// right-aligned; lines end in "\n".
std::string rankingTable(const std::vector<RankedMenu>& rows);

// The state of the comparison window without its widgets: which utility is shown, the check box
// "全電力会社", the table in its current order and the caption above it.
class ComparisonForm {
public:
    static constexpr const char* kCaption = "全メニュー比較";
    static constexpr const char* kAllUtilities = "全電力会社";

    // Prices everything again when the input or the utility shown has changed; true when the
    // table was rebuilt (the sort column and order are kept).
    bool refresh(const ComparisonInput& input, int utility);
    void setAllUtilities(bool on);
    bool allUtilities() const { return all_; }
    // The utility of the tab shown (1..9), 0 before the first refresh.
    int utility() const { return utility_; }

    // A click on a column heading: sorts by it; a second click on the same column reverses it.
    void sortBy(RankColumn column);
    void sortBy(RankColumn column, bool descending);
    RankColumn sortColumn() const { return sortColumn_; }
    bool descending() const { return descending_; }

    const std::vector<RankedMenu>& rows() const { return rows_; }
    int rowCount() const { return static_cast<int>(rows_.size()); }
    std::string cell(int row, int column) const;
    // The menu of a table row, or nullptr.
    const tariffs::TariffMenu* menuAt(int row) const;
    // The caption above the table: "東京電力の全メニュー（18 件）", "全電力会社の全メニュー（191 件）".
    std::string heading() const;

private:
    void rebuild();

    ComparisonInput input_{};
    int utility_ = 0;
    bool all_ = false;
    bool priced_ = false;
    RankColumn sortColumn_ = RankColumn::Rank;
    bool descending_ = false;
    std::vector<RankedMenu> rows_;
};

} // namespace wattorio::calc
