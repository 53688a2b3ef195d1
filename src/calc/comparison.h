#pragma once
// The ranking of tariff menus: every menu of one utility (or of all nine) priced against the
// site's year exactly as choosing it in its list prices it (catalog rates on a fresh rate panel,
// the menu's formula, then Total_T; the Saturday question counts as answered OK), ranked cheapest
// first and re-sortable by any column. The comparison window, the spreadsheet and the command
// line all show this one table.

#include "app/app_state.h"
#include "app/message.h"
#include "calc/charges.h"
#include "tariffs/catalog.h"
#include "tariffs/user_menus.h"

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

// Why the current site's year cannot be priced: no utility, a figure of its record outside the
// bounds (registry::siteFiguresProblem), or a reading of the book in the tables that is negative
// or not a number. Nothing when it can be priced.
std::optional<Message> pricingRefusal(const AppState& state);
// The readings part of it: "" when every value of the book tables is a number of at least 0.
std::string readingsProblem(const AppState& state);
// The figures part of it for one record: "" when they can be priced.
std::string figuresRefusalText(const SiteRecord& record);

// Where a compared menu comes from: the catalog or the user's own menus (User_Menus.csv).
enum class MenuSource { Catalog, User };
std::string_view menuSourceName(MenuSource source); // "catalog", "user"

// A menu whose priced kWh falls short of the year's by more than this is a part-year price.
inline constexpr double kPartialMarginKwh = 0.5;
// The mark of such a menu in the table, the text ranking, the spreadsheet and the results window.
inline constexpr const char* kPartialNote = "一部の期間のみ";
inline constexpr const char* kUserMenuNote = "自由メニュー";

// Whether `pricedKwh` falls short of the year's `yearKwh` by more than kPartialMarginKwh.
bool isPartialYear(double pricedKwh, double yearKwh);
// The note that says so: "一部の期間のみ（年間 1,245,328 kWh のうち 899,165 kWh を計算）".
std::string partialNoteText(double pricedKwh, double yearKwh);

// How a menu's amount with tax is reached: its rates already include consumption tax (the lists
// that show "消費税含む"), or the tax is added to the total at the menu's percent.
enum class TaxBasis { Included, Added };
std::string_view taxBasisName(TaxBasis basis); // "included", "added"

// The one tax-inclusive amount every ranking compares.
struct TaxedAmount {
    TaxBasis basis = TaxBasis::Added;
    double percent = 0; // the tax rate included in the rates, or added to the total
    double amount = 0;
};
// A catalog menu: the total as it stands for a list whose rates include tax, else total x 1.05.
TaxedAmount taxedAmount(const tariffs::TariffMenu& menu, double total);
// A user menu: total x (1 + its 消費税率 / 100).
TaxedAmount taxedAmount(const tariffs::UserMenu& menu, double total);
// The 税 column: "税込単価" for rates with tax, else the percent added ("5%", "10%", "8.5%").
std::string taxBasisText(const TaxedAmount& tax);

// Which menus a ranking takes: one utility (1..9) or all nine (0), one category or both, one
// voltage row (1..3) or every row (0).
struct MenuFilter {
    int utility = 0;
    std::optional<tariffs::Category> category;
    int voltage = 0;

    bool takes(int menuUtility, tariffs::Category menuCategory, int menuVoltage) const;
    bool operator==(const MenuFilter&) const = default;
};

// The columns of the table, in the order shown.
enum class RankColumn {
    Rank,       // 順位
    Utility,    // 電力会社
    Category,   // 区分
    Voltage,    // 電圧 (①②③)
    Menu,       // メニュー (the list item)
    PricedKwh,  // 計算電力量: the kWh of the menu's rate lines
    Demand,     // 基本料金: the annual demand charge, LineCharge[0]
    Energy,     // 電力量料金: LineCharge[1] + ... + LineCharge[5]
    Total,      // 年間合計
    WithTax,    // 消費税込み: the one amount every ranking compares
    Tax,        // 税: how 消費税込み was reached ("税込単価", "5%")
    Difference, // 最安との差
    Note,       // 備考: "一部の期間のみ" for a part-year price
};
inline constexpr int kRankColumnCount = 13;
std::string_view rankColumnTitle(RankColumn column);
// Amount columns are right-aligned and formatted as yen; the others are texts.
bool isAmountColumn(RankColumn column);
// Columns shown right-aligned: the rank, the kWh and the amounts.
bool isRightAligned(RankColumn column);

struct RankedMenu {
    // The catalog entry (used to apply the menu on the results window); the fields below carry
    // everything the table shows, so a menu from another source needs no catalog entry.
    const tariffs::TariffMenu* menu = nullptr;
    MenuSource source = MenuSource::Catalog;
    // The user menu of a row from User_Menus.csv (nullptr for a catalog row) and its line there.
    const tariffs::UserMenu* user = nullptr;
    int line = 0;
    int utility = 0; // UtilityNo 1..9
    tariffs::Category category = tariffs::Category::Office;
    int voltageRow = 1;  // 1..3
    std::string item;    // the list item
    std::string caption; // the caption the results window shows for it

    // 1 for the cheapest; menus of the same whole-yen total with tax share a rank. Part-year
    // menus come after every whole-year one, and menus whose figures are not numbers (a contract
    // text too large for a double) after those of their kind.
    int rank = 0;
    // Place in the ranking (1 = first): the order the table returns to when sorted by 順位.
    int position = 0;
    LineArray lineKwh{};
    LineArray lineCharge{};
    double pricedKwh = 0; // LineKwh[1] + ... + LineKwh[5]
    double yearKwh = 0;   // the year's kWh: column 計 of the year table, rows 1..4
    // The priced kWh falls short of the year's by more than kPartialMarginKwh: the menu prices
    // only part of the year (another utility's formula that reads rows the site's year leaves).
    bool partial = false;
    double demandCharge = 0; // LineCharge[0]
    double energyCharge = 0; // LineCharge[1..5], added in line order
    double total = 0;
    // Total_T's total with tax (total x 1.05 for a catalog menu), as the results window computes it.
    double totalWithTax = 0;
    // The amount every ranking compares and shows in 消費税込み, and how it was reached.
    TaxedAmount tax;
    // The whole-yen amount with tax shown for this menu minus the one shown for the cheapest
    // whole-year menu, so that the table's own figures subtract to it. Not a number (an empty
    // cell) for a part-year menu.
    double difference = 0;
};

// The year's kWh of a year table: column 4 (計), rows 1..4.
double yearKwh(const SeasonTable& season);

// Every catalog menu the filter takes, priced against `input`, ranked: the whole-year menus
// cheapest first (by the amount with tax; equal totals keep the catalog order: utility, list,
// index), then the part-year ones the same way. A utility outside 0..9 gives an empty table.
std::vector<RankedMenu> rankMenus(const ComparisonInput& input, const MenuFilter& filter);
// The same ranking with the user menus the filter takes ranked among the catalog's (equal totals:
// catalog menus first, then user menus in file order). The rows point into `userMenus`.
std::vector<RankedMenu> rankMenus(const ComparisonInput& input, const MenuFilter& filter,
                                  const std::vector<tariffs::UserMenu>& userMenus);
// Every menu of utility `utility` (1..9), or of all nine when `utility` is 0.
std::vector<RankedMenu> rankMenus(const ComparisonInput& input, int utility);

// Re-sorts the table by a column (stable; equal values keep the ranking order). Amounts and kWh
// sort by value, 電力会社 by UtilityNo, 区分 office before factory, 電圧 by row, メニュー by its
// text, 備考 whole-year before part-year.
void sortRanking(std::vector<RankedMenu>& rows, RankColumn column, bool descending);

// The figure of an amount column or of 計算電力量 (0 for the other columns).
double rankAmount(const RankedMenu& row, RankColumn column);

// The text of one cell as the table shows it: amounts with "#,###,###,### 円" ("" for a figure
// that is not a number; the cheapest shows "0 円" as its difference), kWh with
// "#,###,###,### kWh", the rank as a number, utility name, category, ①②③, the list item and the
// note.
std::string rankCell(const RankedMenu& row, RankColumn column);

// The ranking as a readable text table for a terminal: a heading line and one line per menu, the
// columns aligned by their display width (full-width characters take two columns), amounts
// right-aligned; lines end in "\n".
std::string rankingTable(const std::vector<RankedMenu>& rows);
// Lines of cells (the heading first) aligned the same way; `right[c]` right-aligns column c.
std::string alignedTable(const std::vector<std::vector<std::string>>& lines, const std::vector<bool>& right);

// The choices of the category and voltage lists of the comparison window, in list order.
inline constexpr const char* kCategoryChoices[3] = {"すべて", "事務所・ビル・店舗", "工場"};
inline constexpr const char* kVoltageChoices[4] = {"すべて", "①", "②", "③"};

// The state of the comparison window without its widgets: which utility is shown, the check box
// "全電力会社", the category and voltage lists, the table in its current order and the captions
// above it.
class ComparisonForm {
public:
    static constexpr const char* kCaption = "全メニュー比較";
    static constexpr const char* kAllUtilities = "全電力会社";
    static constexpr const char* kAllUtilitiesHint =
        "他の電力会社のメニューは参考です。この物件の電力会社の時間帯で集計した電力量で計算するため、"
        "契約できるメニューではなく、一部の期間しか計算しないものもあります。";

    // Prices everything again when the input or the utility shown has changed; true when the
    // table was rebuilt (the sort column and order are kept).
    bool refresh(const ComparisonInput& input, int utility);
    // The same, ranking the user menus (User_Menus.csv, as the results window holds them) among
    // the catalog's; the table keeps pointers into `userMenus`, which must outlive it.
    bool refresh(const ComparisonInput& input, int utility, const std::vector<tariffs::UserMenu>* userMenus);
    void setAllUtilities(bool on);
    bool allUtilities() const { return choice_.allUtilities; }
    // 区分: 0 every category, 1 事務所・ビル・店舗, 2 工場 (other values are taken as 0).
    void setCategory(int category);
    int category() const { return choice_.category; }
    // 電圧: 0 every row, 1..3 (other values are taken as 0).
    void setVoltage(int voltage);
    int voltage() const { return choice_.voltage; }
    // All three at once (a site's remembered choices).
    void setChoice(const ComparisonChoice& choice);
    const ComparisonChoice& choice() const { return choice_; }
    // The filter the table is priced with.
    MenuFilter filter() const;
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
    // The whole row, or nullptr.
    const RankedMenu* rowAt(int row) const;
    // The caption above the table: "東京電力の全メニュー（18 件）", "全電力会社の全メニュー（191 件）",
    // with a filter "東京電力　工場　②のメニュー（2 件）".
    std::string heading() const;
    // The year's kWh beside it: "年間使用量　1,245,328 kWh", and the count of part-year menus when
    // there are any ("（一部の期間のみ 8 件）"), then the note of a site whose facts are not set.
    std::string yearLine() const;
    // The note shown after the year line ("" for none).
    void setNote(std::string note) { note_ = std::move(note); }
    // The site cannot be priced: the table empties and the heading gives the reason until the
    // next refresh that prices.
    void refuse(std::string reason);
    const std::string& refusal() const { return refusal_; }

private:
    void rebuild();

    ComparisonInput input_{};
    int utility_ = 0;
    ComparisonChoice choice_{};
    bool priced_ = false;
    const std::vector<tariffs::UserMenu>* userMenus_ = nullptr;
    const tariffs::UserMenu* userData_ = nullptr; // userMenus_->data() when priced
    std::size_t userCount_ = 0;
    RankColumn sortColumn_ = RankColumn::Rank;
    bool descending_ = false;
    std::vector<RankedMenu> rows_;
    std::string note_;
    std::string refusal_;
};

// The comparison choices remembered for the current site this run; without any, those of the
// site's facts (its category and voltage row) when they are set, else every menu of its utility.
ComparisonChoice rememberedChoice(const AppState& state);
// The choice the facts of the current site give (the defaults when they are not both set).
ComparisonChoice factsChoice(const AppState& state);
// The note for a site whose facts are not set (the comparisons rank every menu of its utility).
inline constexpr const char* kFactsUnsetNote = "受電・区分が未設定のため、すべてのメニューを比べています";
// That note for the current site, "" when its facts are set.
std::string factsNote(const AppState& state);
// Remembers them for the current site (nothing without a site).
void rememberChoice(AppState& state, const ComparisonChoice& choice);

} // namespace wattorio::calc
