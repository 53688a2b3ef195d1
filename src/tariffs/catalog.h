#pragma once
// The tariff catalog: nine utilities, 46 menu lists (Combo1..Combo46), 191 menus. Constant data
// compiled into the program. A menu is identified by its list number and its zero-based index.

#include <optional>
#include <span>
#include <string_view>

namespace wattorio::tariffs {

enum class Category { Office, Factory }; // "事務所・ビル・店舗" (left column), "工場" (right column)

// The formula procedures that split the year into rate lines.
enum class Formula {
    Total_Natsu_Sonota,
    Total_Holiday_Natsu_Sonota,
    Total_Peek_Hiru_Yakan_Y,
    Total_Kizibetu_1,
    Total_Kizibetu_2,
    Total_kizibet_Yakan_2,
    Total_Hokuden_1,
    Total_Hokuden_2,
};

// Rate-box layouts: the numeric codes passed to Total_CRT_set, and V4 / V2 of the 中部電力 lists,
// which call no layout procedure.
enum class Layout { L0, L2, L3, L4, L5, V4, V2 };

// A rate text: std::nullopt = absent (the box keeps its text); "" = the box is emptied;
// otherwise the exact text shown ("1510.00" keeps its zeros).
using RateText = std::optional<std::string_view>;

struct TariffMenu {
    int list = 0;    // 1..46 (Combo1..Combo46)
    int index = 0;   // position in the list
    int utility = 0; // UtilityNo 1..9
    Category category = Category::Office;
    int voltageRow = 1; // 1..3: ①, ②, ③
    std::string_view itemText;
    std::string_view caption;
    RateText demandCharge; // Text5
    RateText rate1;        // Text1
    RateText rate2;        // Text2
    RateText rate3;        // Text3
    RateText rate4;        // Text4
    RateText rate5;        // Text6
    Layout layout = Layout::L0;
    Formula formula = Formula::Total_Natsu_Sonota;
    bool asksSaturday = false;
    bool taxNote = false;
};

struct MenuList {
    int list = 0;    // 1..46
    int utility = 0; // 1..9
    Category category = Category::Office;
    int voltageRow = 1;
    std::span<const TariffMenu> menus;
};

constexpr int kListCount = 46;
constexpr int kMenuCount = 191;

// All 46 lists in list-number order (Combo1 first).
std::span<const MenuList> allLists();
// List `list` (1..46), or nullptr.
const MenuList* findList(int list);
// Menu (list, index), or nullptr.
const TariffMenu* findMenu(int list, int index);
// The lists on the tab of utility `utility` (1..9): 事務所・ビル・店舗 ①②③ then 工場 ①②③.
std::span<const MenuList* const> listsOfUtility(int utility);
// Every menu in list order, then index order.
std::span<const TariffMenu> allMenus();

std::string_view formulaName(Formula formula);    // "Total_Natsu_Sonota", ...
std::string_view categoryName(Category category); // "事務所・ビル・店舗" / "工場"
std::string_view voltageMark(int voltageRow);     // "①" / "②" / "③"
// Row legend of a tab: three rows ("①　特別高圧電力", "②　高圧電力500ｋＷ以上", "③　高圧電力500ｋＷ以下")
// or two rows ("①　特別高圧電力", "②　高圧電力").
std::span<const std::string_view> rowLegend(int utility);

std::string_view layoutName(Layout layout); // "0", "2", "3", "4", "5", "V4", "V2"
// The number passed to Total_CRT_set for a layout; std::nullopt for V4 / V2 (the 中部電力 lists set
// the boxes' visibility themselves and call no layout procedure).
std::optional<int> layoutCode(Layout layout);
// Whether rate box TextN (N = 1..6) is shown once a menu of this layout is applied; false for any
// other N.
bool layoutShowsBox(Layout layout, int box);
// The rate a menu gives for box TextN (N = 1..6: Text5 = DemandCharge, Text6 = Rate5); absent for
// any other N.
RateText rateForBox(const TariffMenu& menu, int box);
// The order in which a menu's rates are written into the boxes.
inline constexpr int kRateWriteOrder[6] = {5, 1, 2, 3, 4, 6};

} // namespace wattorio::tariffs
