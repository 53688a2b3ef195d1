#include "tariffs/catalog.h"

#include <array>
#include <cstddef>

namespace wattorio::tariffs {
namespace {

using enum Category;
using enum Layout;
using enum Formula;

// A rate the menu does not write: the box keeps its text.
constexpr RateText kAbsent = std::nullopt;
constexpr bool kAsksSaturday = true;

// Where a list sits on the tabs, and whether its menus add "消費税含む" under the totals.
struct ListPlace {
    int utility = 0;
    Category category = Office;
    int voltageRow = 1;
    bool taxNote = false;
};

// clang-format off
constexpr ListPlace kPlaces[kListCount + 1] = {
    {}, // there is no list 0
    {2, Office, 1, false}, // Combo1 中部電力
    {2, Office, 2, false}, // Combo2 中部電力
    {2, Office, 3, false}, // Combo3 中部電力
    {2, Factory, 1, false}, // Combo4 中部電力
    {2, Factory, 2, false}, // Combo5 中部電力
    {2, Factory, 3, false}, // Combo6 中部電力
    {3, Office, 1, false}, // Combo7 東北電力
    {3, Office, 2, false}, // Combo8 東北電力
    {3, Factory, 1, false}, // Combo9 東北電力
    {3, Factory, 2, false}, // Combo10 東北電力
    {4, Office, 1, true}, // Combo11 関西電力
    {4, Office, 2, true}, // Combo12 関西電力
    {4, Office, 3, true}, // Combo13 関西電力
    {4, Factory, 1, true}, // Combo14 関西電力
    {4, Factory, 2, true}, // Combo15 関西電力
    {4, Factory, 3, true}, // Combo16 関西電力
    {5, Office, 1, true}, // Combo17 中国電力
    {5, Office, 2, true}, // Combo18 中国電力
    {5, Office, 3, true}, // Combo19 中国電力
    {5, Factory, 1, true}, // Combo20 中国電力
    {5, Factory, 2, true}, // Combo21 中国電力
    {5, Factory, 3, true}, // Combo22 中国電力
    {6, Office, 1, true}, // Combo23 四国電力
    {6, Office, 2, true}, // Combo24 四国電力
    {6, Office, 3, true}, // Combo25 四国電力
    {6, Factory, 1, true}, // Combo26 四国電力
    {6, Factory, 2, true}, // Combo27 四国電力
    {6, Factory, 3, true}, // Combo28 四国電力
    {7, Office, 1, false}, // Combo29 九州電力
    {7, Office, 2, false}, // Combo30 九州電力
    {7, Factory, 1, false}, // Combo31 九州電力
    {7, Factory, 2, false}, // Combo32 九州電力
    {8, Office, 1, true}, // Combo33 北陸電力
    {8, Office, 2, true}, // Combo34 北陸電力
    {8, Factory, 1, true}, // Combo35 北陸電力
    {8, Factory, 2, true}, // Combo36 北陸電力
    {9, Office, 1, true}, // Combo37 北海道電力
    {9, Office, 2, true}, // Combo38 北海道電力
    {9, Factory, 1, true}, // Combo39 北海道電力
    {9, Factory, 2, true}, // Combo40 北海道電力
    {1, Office, 1, false}, // Combo41 東京電力
    {1, Office, 2, false}, // Combo42 東京電力
    {1, Office, 3, false}, // Combo43 東京電力
    {1, Factory, 1, false}, // Combo44 東京電力
    {1, Factory, 2, false}, // Combo45 東京電力
    {1, Factory, 3, false}, // Combo46 東京電力
};
// clang-format on

constexpr TariffMenu menu(int list, int index, std::string_view itemText, std::string_view caption,
                          RateText demand, RateText rate1, RateText rate2, RateText rate3, RateText rate4,
                          RateText rate5, Layout layout, Formula formula, bool asksSaturday = false) {
    const ListPlace& place = kPlaces[list];
    return TariffMenu{list,         index,        place.utility, place.category, place.voltageRow,
                      itemText,     caption,      demand,        rate1,          rate2,
                      rate3,        rate4,        rate5,         layout,         formula,
                      asksSaturday, place.taxNote};
}

// Every menu in list order, then index order. Columns: list, index, item text, caption (Label21),
// Text5 (demand charge, yen per kW and month), Text1 .. Text4, Text6 (yen per kWh), layout, formula.
// A rate of "" empties its box; kAbsent leaves the box as it is.
// clang-format off
constexpr TariffMenu kMenus[] = {
    // Combo1: 中部電力 事務所・ビル・店舗 ①
    menu(1, 0, "第１種20kV・30kVﾌﾟﾗﾝＡ", "事務所　第１種20kV・30kVﾌﾟﾗﾝＡ", "1564.5", "13.57", "10.86", "", "7.4", kAbsent, V4, Total_Peek_Hiru_Yakan_Y),
    menu(1, 1, "第１種20kV・30kVﾌﾟﾗﾝＢ", "事務所　第１種20kV・30kVﾌﾟﾗﾝＢ", "1680", "12.36", "9.89", "", "7.4", kAbsent, V4, Total_Peek_Hiru_Yakan_Y),
    menu(1, 2, "第１種20kV・30kVﾌﾟﾗﾝＣ", "事務所　第１種20kV・30kVﾌﾟﾗﾝＣ", "1827", "11.6", "9.28", "", "7.4", kAbsent, V4, Total_Peek_Hiru_Yakan_Y),
    menu(1, 3, "第１種70kVﾌﾟﾗﾝＡ", "事務所　第１種70kVﾌﾟﾗﾝＡ", "1522.5", "13.41", "10.72", "", "7.26", kAbsent, V4, Total_Peek_Hiru_Yakan_Y),
    menu(1, 4, "第１種70kVﾌﾟﾗﾝＢ", "事務所　第１種70kVﾌﾟﾗﾝＢ", "1638", "12.2", "9.77", "", "7.26", kAbsent, V4, Total_Peek_Hiru_Yakan_Y),
    menu(1, 5, "第１種70kVﾌﾟﾗﾝＣ", "事務所　第１種70kVﾌﾟﾗﾝＣ", "1785", "11.43", "9.16", "", "7.29", kAbsent, V4, Total_Peek_Hiru_Yakan_Y),
    menu(1, 6, "第２種20kV・30kVﾌﾟﾗﾝＡ", "事務所　第２種20kV・30kVﾌﾟﾗﾝＡ", "1564.5", "10.5", "9.54", "", "", kAbsent, V2, Total_Natsu_Sonota),
    menu(1, 7, "第２種20kV・30kVﾌﾟﾗﾝＢ", "事務所　第２種20kV・30kVﾌﾟﾗﾝＢ", "1680", "9.84", "8.95", "", "", kAbsent, V2, Total_Natsu_Sonota),
    menu(1, 8, "第２種20kV・30kVﾌﾟﾗﾝＣ", "事務所　第２種20kV・30kVﾌﾟﾗﾝＣ", "1827", "9.42", "8.57", "", "", kAbsent, V2, Total_Natsu_Sonota),
    menu(1, 9, "第２種70kVﾌﾟﾗﾝＡ", "事務所　第２種70kVﾌﾟﾗﾝＡ", "1522.5", "10.34", "9.41", "", "", kAbsent, V2, Total_Natsu_Sonota),
    menu(1, 10, "第２種70kVﾌﾟﾗﾝＢ", "事務所　第２種70kVﾌﾟﾗﾝＢ", "1638", "9.69", "8.81", "", "", kAbsent, V2, Total_Natsu_Sonota),
    menu(1, 11, "第２種70kVﾌﾟﾗﾝＣ", "事務所　第２種70kVﾌﾟﾗﾝＣ", "1785", "9.27", "8.43", "", "", kAbsent, V2, Total_Natsu_Sonota),
    menu(1, 12, "最終保障電力 A 20kV・30kV", "最終保障電力 A 20kV・30kV", "1874.25", "12.60", "11.45", "", "", kAbsent, V2, Total_Natsu_Sonota),
    menu(1, 13, "最終保障電力 A 70kV", "最終保障電力 A 70kV", "1827", "12.41", "11.29", "", "", kAbsent, V2, Total_Natsu_Sonota),
    // Combo2: 中部電力 事務所・ビル・店舗 ②
    menu(2, 0, "高圧業務用電力ＷＥ（休日平日別）プランＡ", "事務所　高圧業務用電力ＷＥ（休日平日別）　プランＡ (2006/04)", "1585.5", "12.72", "11.56", "", "8.76", kAbsent, V4, Total_Holiday_Natsu_Sonota, kAsksSaturday),
    menu(2, 1, "高圧業務用電力ＷＥ（休日平日別）プランＢ", "事務所　高圧業務用電力ＷＥ（休日平日別）　プランＢ (2006/04)", "1774.5", "11.19", "10.17", "", "8.76", kAbsent, V4, Total_Holiday_Natsu_Sonota, kAsksSaturday),
    menu(2, 2, "高圧業務用電力ＷＥ（休日平日別）プランＣ", "事務所　高圧業務用電力ＷＥ（休日平日別）　プランＣ (2006/04)", "1858.5", "10.9", "9.91", "", "8.76", kAbsent, V4, Total_Holiday_Natsu_Sonota, kAsksSaturday),
    menu(2, 3, "高圧業務用電力ＦＲ（季節別）プランＡ", "事務所　高圧業務用電力ＦＲ（季節別）　プランＡ (2006/04)", "1585.5", "11.71", "10.65", "", "", kAbsent, V2, Total_Natsu_Sonota),
    menu(2, 4, "高圧業務用電力ＦＲ（季節別）プランＢ", "事務所　高圧業務用電力ＦＲ（季節別）　プランＢ (2006/04)", "1774.5", "10.64", "9.67", "", "", kAbsent, V2, Total_Natsu_Sonota),
    menu(2, 5, "高圧業務用電力ＦＲ（季節別）プランＣ", "事務所　高圧業務用電力ＦＲ（季節別）　プランＣ (2006/04)", "1858.5", "10.44", "9.49", "", "", kAbsent, V2, Total_Natsu_Sonota),
    // Combo3: 中部電力 事務所・ビル・店舗 ③
    menu(3, 0, "業務用　プランＡ", "事務所　業務用　プランＡ (2006/04)", "1585.5", "11.71", "10.65", "", "", kAbsent, V2, Total_Natsu_Sonota),
    menu(3, 1, "業務用　プランＢ", "事務所　業務用　プランＢ (2006/04)", "1774.5", "10.64", "9.67", "", "", kAbsent, V2, Total_Natsu_Sonota),
    menu(3, 2, "業務用　プランＣ", "事務所　業務用　プランＣ (2006/04)", "1858.5", "10.44", "9.49", "", "", kAbsent, V2, Total_Natsu_Sonota),
    menu(3, 3, "業務用ｳｲｰｸｴﾝﾄﾞ　プランＡ", "事務所　業務用ｳｲｰｸｴﾝﾄﾞ　プランＡ (2006/04)", "1585.5", "12.72", "11.56", "", "8.76", kAbsent, V4, Total_Holiday_Natsu_Sonota, kAsksSaturday),
    menu(3, 4, "業務用ｳｲｰｸｴﾝﾄﾞ　プランＢ", "事務所　業務用ｳｲｰｸｴﾝﾄﾞ　プランＢ (2006/04)", "1774.5", "11.19", "10.17", "", "8.76", kAbsent, V4, Total_Holiday_Natsu_Sonota, kAsksSaturday),
    menu(3, 5, "業務用ｳｲｰｸｴﾝﾄﾞ　プランＣ", "事務所　業務用ｳｲｰｸｴﾝﾄﾞ　プランＣ (2006/04)", "1858.5", "10.90", "9.91", "", "8.76", kAbsent, V4, Total_Holiday_Natsu_Sonota, kAsksSaturday),
    // Combo4: 中部電力 工場 ①
    menu(4, 0, "第１種(季時別)20kV・30kVﾌﾟﾗﾝＡ", "工場　第１種(季時別)20kV・30kVﾌﾟﾗﾝＡ (2006/04)", "1575", "13.28", "10.63", "", "7.4", kAbsent, V4, Total_Peek_Hiru_Yakan_Y),
    menu(4, 1, "第１種(季時別)20kV・30kVﾌﾟﾗﾝＢ", "工場　第１種(季時別)20kV・30kVﾌﾟﾗﾝＢ (2006/04)", "1764", "11.55", "9.24", "", "7.4", kAbsent, V4, Total_Peek_Hiru_Yakan_Y),
    menu(4, 2, "第１種(季時別)70kVﾌﾟﾗﾝＡ", "工場　第１種(季時別)70kVﾌﾟﾗﾝＡ (2006/04)", "1533", "13.01", "10.41", "", "7.26", kAbsent, V4, Total_Peek_Hiru_Yakan_Y),
    menu(4, 3, "第１種(季時別)70kVﾌﾟﾗﾝＢ", "工場　第１種(季時別)70kVﾌﾟﾗﾝＢ (2006/04)", "1722", "11.27", "9.02", "", "7.26", kAbsent, V4, Total_Peek_Hiru_Yakan_Y),
    menu(4, 4, "第１種(季時別)140kVﾌﾟﾗﾝＡ", "工場　第１種(季時別)140kVﾌﾟﾗﾝＡ (2006/04)", "1491", "12.82", "10.26", "", "6.98", kAbsent, V4, Total_Peek_Hiru_Yakan_Y),
    menu(4, 5, "第１種(季時別)140kVﾌﾟﾗﾝＢ", "工場　第１種(季時別)140kVﾌﾟﾗﾝＢ (2006/04)", "1680", "10.86", "8.68", "", "6.98", kAbsent, V4, Total_Peek_Hiru_Yakan_Y),
    menu(4, 6, "第２種(季時別)20kV・30kVﾌﾟﾗﾝＡ", "工場　第２種(季時別)20kV・30kVﾌﾟﾗﾝＡ (2006/04)", "1575", "10.24", "9.28", "", "", kAbsent, V2, Total_Natsu_Sonota),
    menu(4, 7, "第２種(季時別)20kV・30kVﾌﾟﾗﾝＢ", "工場　第２種(季時別)20kV・30kVﾌﾟﾗﾝＢ (2006/04)", "1764", "9.30", "8.45", "", "", kAbsent, V2, Total_Natsu_Sonota),
    menu(4, 8, "第２種(季時別)70kVﾌﾟﾗﾝＡ", "工場　第２種(季時別)70kVﾌﾟﾗﾝＡ (2006/04)", "1533", "10", "9.09", "", "", kAbsent, V2, Total_Natsu_Sonota),
    menu(4, 9, "第２種(季時別)70kVﾌﾟﾗﾝＢ", "工場　第２種(季時別)70kVﾌﾟﾗﾝＢ (2006/04)", "1722", "9.09", "8.26", "", "", kAbsent, V2, Total_Natsu_Sonota),
    menu(4, 10, "最終保障電力 B 20kV・30kV", "最終保障電力 B 20kV・30kV", "1890", "12.24", "11.13", "", "", kAbsent, V2, Total_Natsu_Sonota),
    menu(4, 11, "最終保障電力 B 70kV", "最終保障電力 B 70kV", "1837.5", "11.99", "10.91", "", "", kAbsent, V2, Total_Natsu_Sonota),
    menu(4, 12, "最終保障電力 B 140kV", "最終保障電力 B 140kV", "1785", "11.74", "10.67", "", "", kAbsent, V2, Total_Natsu_Sonota),
    // Combo5: 中部電力 工場 ②
    menu(5, 0, "高圧電力第１種(季時別)　プランＡ", "工場　高圧電力第１種(季時別)　プランＡ (2006/04)", "1606.5", "13.38", "10.70", "", "8.23", kAbsent, V4, Total_Peek_Hiru_Yakan_Y),
    menu(5, 1, "高圧電力第１種(季時別)　プランＢ", "工場　高圧電力第１種(季時別)　プランＢ (2006/04)", "1795.5", "11.84", "9.47", "", "8.23", kAbsent, V4, Total_Peek_Hiru_Yakan_Y),
    menu(5, 2, "高圧電力第２種(季時別)　プランＡ", "工場　高圧電力第２種(季時別)　プランＡ (2006/04)", "1606.5", "10.74", "9.77", "", "", kAbsent, V2, Total_Natsu_Sonota),
    menu(5, 3, "高圧電力第２種(季時別)　プランＢ", "工場　高圧電力第２種(季時別)　プランＢ (2006/04)", "1795.5", "9.89", "8.99", "", "", kAbsent, V2, Total_Natsu_Sonota),
    menu(5, 4, "最終保障電力 B", "最終保障電力 B", "1926.75", "12.88", "11.72", "", "", kAbsent, V2, Total_Natsu_Sonota),
    // Combo6: 中部電力 工場 ③
    menu(6, 0, "高圧タイムプランＬ", "工場　高圧タイムプランＬ (2006/04)", "1228.5", "16.54", "13.4", "", "8.23", kAbsent, V4, Total_Peek_Hiru_Yakan_Y),
    menu(6, 1, "高圧タイムプランＨ", "工場　高圧タイムプランＨ (2006/04)", "1606.5", "13.38", "10.7", "", "8.23", kAbsent, V4, Total_Peek_Hiru_Yakan_Y),
    menu(6, 2, "高圧プランＬ", "工場　高圧プランＬ (2006/04)", "1228.5", "12.58", "11.43", "", "", kAbsent, V2, Total_Natsu_Sonota),
    menu(6, 3, "高圧プランＨ", "工場　高圧プランＨ (2006/04)", "1606.5", "10.74", "9.77", "", "", kAbsent, V2, Total_Natsu_Sonota),
    // Combo7: 東北電力 事務所・ビル・店舗 ①
    menu(7, 0, "特別高圧電力A 30kV", "特別高圧電力 A 30kV供給", "1490", "10.21", "9.28", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(7, 1, "特別高圧電力A 60kV", "特別高圧電力 A 60kV供給", "1470", "9.88", "8.98", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(7, 2, "特別高圧季節別時間帯別電力A　30kV", "特別高圧季節別時間帯別電力A　30kV供給", "1490", "13.12", "11.93", "11.04", "6.65", kAbsent, L2, Total_Kizibetu_1),
    menu(7, 3, "特別高圧季節別時間帯別電力A　60kV", "特別高圧季節別時間帯別電力A　60kV供給", "1470", "12.72", "11.56", "10.69", "6.42", kAbsent, L2, Total_Kizibetu_1),
    // Combo8: 東北電力 事務所・ビル・店舗 ②
    menu(8, 0, "業務用電力", "業務用電力 6kV供給", "1510", "11.86", "10.78", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(8, 1, "業務用季節別時間帯別電力", "業務用季節別時間帯別電力 6kV供給", "1510", "15.42", "14.02", "13.06", "6.87", kAbsent, L2, Total_Kizibetu_1),
    // Combo9: 東北電力 工場 ①
    menu(9, 0, "特別高圧電力B 30kV", "特別高圧電力 B 30kV供給", "1650", "9.38", "8.53", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(9, 1, "特別高圧電力B 60kV", "特別高圧電力 B 60kV供給", "1590", "9.05", "8.23", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(9, 2, "特別高圧電力B 140kV", "特別高圧電力 B 140kV供給", "1530", "8.72", "7.93", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(9, 3, "特別高圧季節別時間帯別電力B 30kV", "特別高圧季節別時間帯別電力 B　30kV供給", "1650", "12.19", "11.08", "9.97", "6.65", kAbsent, L2, Total_Kizibetu_1),
    menu(9, 4, "特別高圧季節別時間帯別電力B 60kV", "特別高圧季節別時間帯別電力 B　60kV供給", "1590", "11.76", "10.69", "9.62", "6.42", kAbsent, L2, Total_Kizibetu_1),
    menu(9, 5, "特別高圧季節別時間帯別電力B 140kV", "特別高圧季節別時間帯別電力 B  140kV供給", "1530", "11.33", "10.30", "9.27", "6.19", kAbsent, L2, Total_Kizibetu_1),
    // Combo10: 東北電力 工場 ②
    menu(10, 0, "高圧電力", "高圧電力 6kV供給", "1800", "9.98", "9.07", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(10, 1, "高圧電力Ｓ 500kW以下", "高圧電力 Ｓ 500kW以下", "1200", "11.46", "10.42", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(10, 2, "高圧季節別時間帯別電力", "高圧季節別時間帯別電力 6kV供給", "1800", "13.04", "11.85", "10.69", "6.87", kAbsent, L2, Total_Kizibetu_1),
    menu(10, 3, "高圧季節別時間帯別電力Ｓ 500kW以下", "高圧季節別時間帯別電力Ｓ 500kW以下", "1200", "15.47", "14.06", "12.82", "6.87", kAbsent, L2, Total_Kizibetu_1),
    // Combo11: 関西電力 事務所・ビル・店舗 ①
    menu(11, 0, "特別高圧電力 A-TOU 20kVまたは30kV供給", "特別高圧電力 A-TOU 20kVまたは30kV供給", "1648.5", "14.54", "10.03", kAbsent, "6.91", kAbsent, L4, Total_Peek_Hiru_Yakan_Y),
    menu(11, 1, "特別高圧電力 A-TOU 70kV供給", "特別高圧電力 A-TOU 70kV供給", "1606.50", "14.24", "9.82", kAbsent, "6.69", kAbsent, L4, Total_Peek_Hiru_Yakan_Y),
    menu(11, 2, "特別高圧電力 A     20kVまたは30kV供給", "特別高圧電力 A     20kVまたは30kV供給", "1648.50", "10.02", "9.10", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(11, 3, "特別高圧電力 A     70kVまたは30kV供給", "特別高圧電力 A     70kV供給", "1606.50", "9.78", "8.88", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    // Combo12: 関西電力 事務所・ビル・店舗 ②
    menu(12, 0, "高圧電力 AL-TOU 6kV供給", "高圧電力 AL-TOU 6kV供給", "1690.50", "16.36", "11.28", kAbsent, "7.12", kAbsent, L4, Total_Peek_Hiru_Yakan_Y),
    menu(12, 1, "高圧電力 AL     6kV供給", "高圧電力 AL 6kV供給", "1690.50", "11.15", "10.13", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    // Combo13: 関西電力 事務所・ビル・店舗 ③
    menu(13, 0, "高圧電力 AS-TOU 6kV供給", "高圧電力 AS-TOU 6kV供給", "1690.50", "16.36", "11.28", kAbsent, "7.12", kAbsent, L4, Total_Peek_Hiru_Yakan_Y),
    menu(13, 1, "高圧電力 AS     6kV供給", "高圧電力 AS 6kV供給", "1690.50", "11.15", "10.13", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    // Combo14: 関西電力 工場 ①
    menu(14, 0, "特別高圧電力 B-TOU 20kVまたは30kV供給", "特別高圧電力 B-TOU 20kVまたは30kV供給", "1774.50", "13.22", "9.11", kAbsent, "6.91", kAbsent, L4, Total_Peek_Hiru_Yakan_Y),
    menu(14, 1, "特別高圧電力 B-TOU 70kV供給", "特別高圧電力 B-TOU 70kV供給", "1732.50", "12.77", "8.81", kAbsent, "6.69", kAbsent, L4, Total_Peek_Hiru_Yakan_Y),
    menu(14, 2, "特別高圧電力 B     20kVまたは30kV供給", "特別高圧電力 B     20kVまたは30kV供給", "1774.50", "9.17", "8.34", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(14, 3, "特別高圧電力 B     70kVまたは30kV供給", "特別高圧電力 B     70kV供給", "1732.50", "8.86", "8.05", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    // Combo15: 関西電力 工場 ②
    menu(15, 0, "高圧電力 BL-TOU 6kV供給", "高圧電力 BL-TOU 6kV供給", "1816.50", "14.56", "10.04", kAbsent, "7.12", kAbsent, L4, Total_Peek_Hiru_Yakan_Y),
    // The same demand charge as the time-of-use menu above it: 1816.50, not 816.50.
    menu(15, 1, "高圧電力 BL     6kV供給", "高圧電力 BL 6kV供給", "1816.50", "9.81", "8.91", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    // Combo16: 関西電力 工場 ③
    menu(16, 0, "高圧電力 BS-TOU 6kV供給", "高圧電力 BS-TOU 6kV供給", "1323", "18.71", "12.90", kAbsent, "7.12", kAbsent, L4, Total_Peek_Hiru_Yakan_Y),
    menu(16, 1, "高圧電力 BS     6kV供給", "高圧電力 BS 6kV供給", "1323", "11.67", "10.61", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    // Combo17: 中国電力 事務所・ビル・店舗 ①
    menu(17, 0, "特別高圧電力 TOUA 20kV供給", "特別高圧電力 TOUA 20kV供給", "1632.75", "12.63", "10.35", "9.69", "7.43", kAbsent, L2, Total_Kizibetu_1),
    menu(17, 1, "特別高圧電力 TOUA 60kV供給", "特別高圧電力 TOUA 60kV供給", "1617", "12.50", "10.24", "9.58", "7.34", kAbsent, L2, Total_Kizibetu_1),
    menu(17, 2, "特別高圧電力 A    20kV供給", "特別高圧電力 A    20kV供給", "1632.75", "9.74", "8.86", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(17, 3, "特別高圧電力 A    60kV供給", "特別高圧電力 A     60kV供給", "1617", "9.63", "8.76", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    // Combo18: 中国電力 事務所・ビル・店舗 ②
    menu(18, 0, "業務用 TOU", "業務用 TOU", "1653.75", "16.81", "13.78", "13.08", "7.89", kAbsent, L2, Total_Kizibetu_1),
    menu(18, 1, "業務用    ", "業務用電力", "1653.75", "12.27", "11.16", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(18, 2, "最終保障電力A（業務用）", "最終保障電力A（業務用）", "1984.50", "14.72", "13.39", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    // Combo19: 中国電力 事務所・ビル・店舗 ③
    menu(19, 0, "業務用電力 季節別 夜間別", "業務用電力 季節別　夜間別", "1653.75", "12.27", "12.27", "11.16", "12.27", "11.16", L3, Total_kizibet_Yakan_2),
    menu(19, 1, "業務用 TOU 季節別", "業務用 TOU 季節別", "1653.75", "16.81", "13.78", "13.08", "7.89", kAbsent, L2, Total_Kizibetu_1),
    menu(19, 2, "業務用    ", "業務用電力", "1653.75", "12.27", "11.16", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(19, 3, "最終保障電力A（業務用）", "最終保障電力A（業務用）", "1984.50", "14.72", "13.39", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    // Combo20: 中国電力 工場 ①
    menu(20, 0, "特別高圧電力 TOUB  20kV供給", "特別高圧電力 TOUB 20kV供給", "1632.75", "11.76", "9.64", "8.82", "7.43", kAbsent, L2, Total_Kizibetu_1),
    menu(20, 1, "特別高圧電力 TOUB  60kV供給", "特別高圧電力 TOUB 60kV供給", "1617", "11.57", "9.48", "8.69", "7.34", kAbsent, L2, Total_Kizibetu_1),
    menu(20, 2, "特別高圧電力 TOUB 100kV供給", "特別高圧電力 TOUB 100kV供給", "1585", "11.35", "9.30", "8.52", "7.20", kAbsent, L2, Total_Kizibetu_1),
    menu(20, 3, "特別高圧電力 B     20kV供給", "特別高圧電力 B 20kV供給", "1632.75", "9.07", "8.24", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(20, 4, "特別高圧電力 B     60kV供給", "特別高圧電力 B 60kV供給", "1617", "8.94", "8.13", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(20, 5, "特別高圧電力 B    100kV供給", "特別高圧電力 B 100kV供給", "1585.50", "8.77", "7.97", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    // Combo21: 中国電力 工場 ②
    menu(21, 0, "高圧TOUB", "高圧 TOUB", "1653.75", "14.64", "12.00", "11.10", "7.89", kAbsent, L2, Total_Kizibetu_1),
    menu(21, 1, "高圧電力B    ", "高圧電力 B", "1653.75", "10.74", "9.77", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(21, 2, "最終保障電力B（産業用）", "最終保障電力B（産業用）", "1984.50", "12.88", "11.72", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    // Combo22: 中国電力 工場 ③
    menu(22, 0, "高圧電力 A 季節別 夜間別", "高圧電力 A 季節別 夜間別", "1186.5", "12.73", "12.73", "11.64", "12.73", "11.64", L3, Total_kizibet_Yakan_2),
    menu(22, 1, "高圧TOUA 季節別", "高圧 TOUA 季節別", "1186.5", "18.59", "15.24", "14.27", "7.89", kAbsent, L2, Total_Kizibetu_1),
    menu(22, 2, "高圧電力A", "高圧電力 A", "1186.50", "12.73", "11.64", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(22, 3, "最終保障電力B（産業用）", "最終保障電力B（産業用）", "1984.50", "12.88", "11.72", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    // Combo23: 四国電力 事務所・ビル・店舗 ①
    menu(23, 0, "特別高圧電力 A 20kV供給", "特別高圧電力 A 20kV供給", "1669.12", "9.79", "8.90", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(23, 1, "特別高圧電力 A 60kV供給", "特別高圧電力 A 60kV供給", "1638", "9.61", "8.74", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(23, 2, "特別高圧 季節別時間帯別電力 A 20kV供給", "特別高圧 季節別時間帯別電力 A 20kV供給", "1669.12", "11.80", "10.73", "9.85", "6.99", kAbsent, L2, Total_Kizibetu_1),
    menu(23, 3, "特別高圧 季節別時間帯別電力 A 60kV供給", "特別高圧 季節別時間帯別電力 A 60kV供給", "1638", "11.58", "10.53", "9.67", "6.87", kAbsent, L2, Total_Kizibetu_1),
    // Combo24: 四国電力 事務所・ビル・店舗 ②
    menu(24, 0, "業務用電力", "業務用電力", "1506.75", "11.85", "10.77", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(24, 1, "業務用 季節別時間帯別電力", "業務用 季節別時間帯別電力", "1506.75", "19.72", "17.92", "17.07", "7.68", kAbsent, L2, Total_Kizibetu_1),
    // Combo25: 四国電力 事務所・ビル・店舗 ③
    menu(25, 0, "業務用電力", "業務用電力", "1506.75", "11.85", "10.77", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(25, 1, "業務用 季節別時間帯別電力", "業務用 季節別時間帯別電力", "1506.75", "19.72", "17.92", "17.07", "7.68", kAbsent, L2, Total_Kizibetu_1),
    // Combo26: 四国電力 工場 ①
    menu(26, 0, "特別高圧電力 B 20kV供給", "特別高圧電力 B 20kV供給", "1711.92", "9.10", "8.28", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(26, 1, "特別高圧電力 B 60kV供給", "特別高圧電力 B 60kV供給", "1680.00", "8.94", "8.13", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(26, 2, "特別高圧 季節別時間帯別電力 B 20kV供給", "特別高圧 季節別時間帯別電力 B 20kV供給", "1711.92", "11.29", "10.35", "9.35", "6.99", kAbsent, L2, Total_Kizibetu_1),
    menu(26, 3, "特別高圧 季節別時間帯別電力 B 60kV供給", "特別高圧 季節別時間帯別電力 B 60kV供給", "1680", "11.08", "10.16", "9.17", "6.87", kAbsent, L2, Total_Kizibetu_1),
    // Combo27: 四国電力 工場 ②
    menu(27, 0, "高圧電力 B", "高圧電力 B", "1764", "10.04", "9.12", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(27, 1, "高圧電力 B 季節別時間帯別電力", "高圧電力 B 季節別時間帯別電力", "1764", "13.76", "11.66", "10.51", "7.68", kAbsent, L2, Total_Kizibetu_1),
    // Combo28: 四国電力 工場 ③
    menu(28, 0, "高圧電力 A", "高圧電力 A", "1249.50", "12.85", "11.69", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(28, 1, "高圧電力 A 季節別時間帯別電力", "高圧 A 季節別時間帯別電力", "1249.50", "18.41", "15.60", "14.94", "7.68", kAbsent, L2, Total_Kizibetu_1),
    // Combo29: 九州電力 事務所・ビル・店舗 ①
    menu(29, 0, "業務用電力 A 20kV供給", "業務用電力 A 20kV供給", "1760", "8.38", "7.62", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(29, 1, "業務用電力 A 60kV供給", "業務用電力 A 60kV供給", "1700", "8.28", "7.53", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(29, 2, "業務用季時別電力 A 20kV供給", "業務用季時別電力 A 20kV供給", "1760", "11.48", "9.49", "8.73", "5.37", kAbsent, L2, Total_Kizibetu_1),
    menu(29, 3, "業務用季時別電力 A 60kV供給", "業務用季時別電力 A 60kV供給", "1700", "11.35", "9.38", "8.63", "5.30", kAbsent, L2, Total_Kizibetu_1),
    menu(29, 4, "業務用休日ｴｺﾉﾐｰ電力 A 20kV供給", "業務用休日ｴｺﾉﾐｰ電力 A 20kV供給", "1760", "6.19", "5.63", "9.31", "8.46", kAbsent, L2, Total_Kizibetu_2),
    menu(29, 5, "業務用休日ｴｺﾉﾐｰ電力 A 60kV供給", "業務用休日ｴｺﾉﾐｰ電力 A 60kV供給", "1700", "6.09", "5.54", "9.21", "8.37", kAbsent, L2, Total_Kizibetu_2),
    // Combo30: 九州電力 事務所・ビル・店舗 ②
    menu(30, 0, "業務用電力 A   6kV供給", "業務用電力 A   6kV供給", "1860", "9.32", "8.47", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(30, 1, "業務用電力 A-I 6kV供給", "業務用電力 A-I 6kV供給", "1200", "14.41", "13.10", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(30, 2, "業務用季時別電力 A   6kV供給", "業務用季時別電力 A   6kV供給", "1860", "12.92", "10.68", "9.80", "5.75", kAbsent, L2, Total_Kizibetu_1),
    menu(30, 3, "業務用季時別電力 A-I 6kV供給", "業務用季時別電力 A-I 6kV供給", "1200", "21.57", "17.83", "16.90", "5.75", kAbsent, L2, Total_Kizibetu_1),
    menu(30, 4, "業務用休日ｴｺﾉﾐｰ電力 A 6kV供給", "業務用休日ｴｺﾉﾐｰ電力 A 6kV供給", "1860", "6.86", "6.24", "10.34", "9.40", kAbsent, L2, Total_Kizibetu_2),
    // Combo31: 九州電力 工場 ①
    menu(31, 0, "産業用電力 A  20kV供給", "産業用電力 A 20kV供給", "1760", "8.02", "7.29", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(31, 1, "産業用電力 A  60kV供給", "産業用電力 A 60kV供給", "1700", "7.92", "7.20", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(31, 2, "産業用電力 A 100kV供給", "産業用電力 A 100kV供給", "1640", "7.82", "7.11", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(31, 3, "産業用季時別電力 A  20kV供給", "産業用季時別電力 A 20kV供給", "1760", "11.48", "9.49", "8.73", "5.37", kAbsent, L2, Total_Kizibetu_1),
    menu(31, 4, "産業用季時別電力 A  60kV供給", "産業用季時別電力 A 60kV供給", "1700", "11.35", "9.38", "8.63", "5.30", kAbsent, L2, Total_Kizibetu_1),
    menu(31, 5, "産業用季時別電力 A 100kV供給", "産業用季時別電力 A 100kV供給", "1640", "11.22", "9.27", "8.53", "5.23", kAbsent, L2, Total_Kizibetu_1),
    // Combo32: 九州電力 工場 ②
    menu(32, 0, "産業用電力 A   6kV供給", "産業用電力 A   6kV供給", "1860", "8.88", "8.07", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(32, 1, "産業用電力 A-I 6kV供給", "産業用電力 A-I 6kV供給", "1250", "12.05", "10.95", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(32, 2, "産業用季時別電力 A   6kV供給", "産業用季時別電力 A   6kV供給", "1860", "12.92", "10.68", "9.80", "5.75", kAbsent, L2, Total_Kizibetu_1),
    menu(32, 3, "産業用季時別電力 A-I 6kV供給", "産業用季時別電力 A-I 6kV供給", "1250", "19.21", "16.01", "14.85", "5.75", kAbsent, L2, Total_Kizibetu_1),
    // Combo33: 北陸電力 事務所・ビル・店舗 ①
    menu(33, 0, "業務用特別高圧電力 20kV供給", "業務用特別高圧電力 20kV供給", "1496.25", "9.98", "9.07", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(33, 1, "業務用特別高圧季節別時間帯別 20kV供給", "業務用特別高圧季節別時間帯別 20kV供給", "1496.25", "12.18", "11.60", "10.44", "6.90", kAbsent, L2, Total_Kizibetu_1),
    menu(33, 2, "最終保障電力A 20kV供給", "最終保障電力A 20kV供給", "1795.50", "11.97", "10.89", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    // Combo34: 北陸電力 事務所・ビル・店舗 ②
    menu(34, 0, "業務用電力 6kV供給", "業務用電力 6kV供給", "1512", "10.76", "9.79", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(34, 1, "業務用季節別時間帯別電力 6kV供給", "業務用季節別時間帯別電力 6kV供給", "1512", "13.38", "12.74", "11.52", "7.05", kAbsent, L2, Total_Kizibetu_1),
    menu(34, 2, "最終保障電力A 6kV供給", "最終保障電力A 6kV供給", "1814.4", "12.92", "11.74", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    // Combo35: 北陸電力 工場 ①
    menu(35, 0, "特別高圧電力 60kV供給", "特別高圧電力 60kV供給", "1470", "9.08", "8.25", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(35, 1, "特別高圧季節別時間帯別 60kV供給", "特別高圧季節別時間帯別 60kV供給", "1470", "11.20", "10.67", "9.40", "6.75", kAbsent, L2, Total_Kizibetu_1),
    menu(35, 2, "最終保障電力B 60kV供給", "最終保障電力B 60kV供給", "1764", "10.90", "9.90", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    // Combo36: 北陸電力 工場 ②
    menu(36, 0, "高圧電力A 6kV供給", "高圧電力A 6kV供給", "1249.50", "11.06", "10.05", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(36, 1, "高圧電力B 6kV供給", "高圧電力B 6kV供給", "1512", "9.83", "8.94", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(36, 2, "季節別時間帯別電力A 6kV供給", "季節別時間帯別電力A 6kV供給", "1249.50", "14.47", "13.78", "12.34", "7.05", kAbsent, L2, Total_Kizibetu_1),
    menu(36, 3, "季節別時間帯別電力B 6kV供給", "季節別時間帯別電力B 6kV供給", "1512.0", "12.33", "11.74", "10.37", "7.05", kAbsent, L2, Total_Kizibetu_1),
    menu(36, 4, "最終保障電力B 6kV供給", "最終保障電力B 6kV供給", "1814.40", "11.79", "10.72", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    // Combo37: 北海道電力 事務所・ビル・店舗 ①
    menu(37, 0, "業務用特別高圧電力 30kV供給", "業務用特別高圧電力 30kV供給", "1837.50", "9.53", kAbsent, kAbsent, kAbsent, kAbsent, L5, Total_Hokuden_1),
    menu(37, 1, "業務用特別高圧電力 60kV供給", "業務用特別高圧電力 60kV供給", "1827.00", "9.48", kAbsent, kAbsent, kAbsent, kAbsent, L5, Total_Hokuden_1),
    menu(37, 2, "業務用特別高圧時間帯別 30kV供給", "業務用特別高圧時間帯別 30kV供給", "1837.50", "11.10", "7.18", kAbsent, kAbsent, kAbsent, L0, Total_Hokuden_2),
    menu(37, 3, "業務用特別高圧時間帯別 60kV供給", "業務用特別高圧時間帯別 60kV供給", "1827.00", "11.04", "7.15", kAbsent, kAbsent, kAbsent, L0, Total_Hokuden_2),
    menu(37, 4, "最終保障電力A      30kV供給", "最終保障電力A 30kV供給", "2205.00", "11.45", kAbsent, kAbsent, kAbsent, kAbsent, L5, Total_Hokuden_1),
    menu(37, 5, "最終保障電力A      60kV供給", "最終保障電力A 60kV供給", "2192.40", "11.38", kAbsent, kAbsent, kAbsent, kAbsent, L5, Total_Hokuden_1),
    // Combo38: 北海道電力 事務所・ビル・店舗 ②
    menu(38, 0, "業務用電力 6kV供給", "業務用電力 6kV供給", "1785.00", "11.12", kAbsent, kAbsent, kAbsent, kAbsent, L5, Total_Hokuden_1),
    menu(38, 1, "業務用時間帯別 6kV供給", "業務用時間帯別 6kV供給", "1785.00", "13.50", "7.55", kAbsent, kAbsent, kAbsent, L0, Total_Hokuden_2),
    menu(38, 2, "最終保障電力A  6kV供給", "最終保障電力A  6kV供給", "2142.00", "13.35", kAbsent, kAbsent, kAbsent, kAbsent, L5, Total_Hokuden_1),
    // Combo39: 北海道電力 工場 ①
    menu(39, 0, "特別高圧電力 30kV供給", "特別高圧電力 30kV供給", "1900.50", "8.63", kAbsent, kAbsent, kAbsent, kAbsent, L5, Total_Hokuden_1),
    menu(39, 1, "特別高圧電力 60kV供給", "特別高圧電力 60kV供給", "1890.00", "8.59", kAbsent, kAbsent, kAbsent, kAbsent, L5, Total_Hokuden_1),
    menu(39, 2, "特別高圧時間帯別 30kV供給", "特別高圧時間帯別 30kV供給", "1900.50", "9.82", "7.18", kAbsent, kAbsent, kAbsent, L0, Total_Hokuden_2),
    menu(39, 3, "特別高圧時間帯別 60kV供給", "特別高圧時間帯別 60kV供給", "1890.00", "9.77", "7.15", kAbsent, kAbsent, kAbsent, L0, Total_Hokuden_2),
    // 2280.60 yen per kW (the 60 kV menu below has 2268.00), not 280.60.
    menu(39, 4, "最終保障電力B 30kV供給", "最終保障電力B 30kV供給", "2280.60", "10.35", kAbsent, kAbsent, kAbsent, kAbsent, L5, Total_Hokuden_1),
    menu(39, 5, "最終保障電力B 60kV供給", "最終保障電力B 60kV供給", "2268.00", "10.31", kAbsent, kAbsent, kAbsent, kAbsent, L5, Total_Hokuden_1),
    // Combo40: 北海道電力 工場 ②
    menu(40, 0, "高圧電力 6kV供給", "高圧電力 6kV供給", "1963.50", "9.42", kAbsent, kAbsent, kAbsent, kAbsent, L5, Total_Hokuden_1),
    menu(40, 1, "高圧電力時間帯別 6kV供給", "高圧電力時間帯別 6kV供給", "1963.50", "10.95", "7.55", kAbsent, kAbsent, kAbsent, L0, Total_Hokuden_2),
    menu(40, 2, "最終保障電力B 6kV供給", "最終保障電力B 6kV供給", "2356.20", "11.30", kAbsent, kAbsent, kAbsent, kAbsent, L5, Total_Hokuden_1),
    // Combo41: 東京電力 事務所・ビル・店舗 ①
    menu(41, 0, "業務用特別高圧電力A 20kV供給", "業務用特別高圧電力A 20kV供給", "1510.00", "10.01", "9.10", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(41, 1, "業務用特別高圧電力A 60kV供給", "業務用特別高圧電力A 60kV供給", "1460.00", "9.79", "8.90", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(41, 2, "業務用特別高圧季節別時間帯別電力A 20kV供給", "業務用特別高圧季節別時間帯別電力A 20kV供給", "1510.00", "11.65", "11.10", "10.05", "6.95", kAbsent, L2, Total_Kizibetu_1),
    menu(41, 3, "業務用特別高圧季節別時間帯別電力A 60kV供給", "業務用特別高圧季節別時間帯別電力A 60kV供給", "1460.00", "11.45", "10.90", "9.85", "6.75", kAbsent, L2, Total_Kizibetu_1),
    // Combo42: 東京電力 事務所・ビル・店舗 ②
    // Rate2 10.90 as on Combo43, not the cut-off "10.".
    menu(42, 0, "業務用電力", "業務用電力 6kV供給", "1638", "12.00", "10.90", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(42, 1, "業務用季節別時間帯別電力", "業務用季節別時間帯別電力 6kV供給", "1638.00", "14.85", "14.17", "12.81", "7.45", kAbsent, L2, Total_Kizibetu_1),
    // Combo43: 東京電力 事務所・ビル・店舗 ③
    menu(43, 0, "業務用電力", "業務用電力 6kV供給", "1638", "12.00", "10.90", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(43, 1, "業務用季節別時間帯別電力", "業務用季節別時間帯別電力 6kV供給", "1638.00", "14.85", "14.17", "12.81", "7.45", kAbsent, L2, Total_Kizibetu_1),
    // Combo44: 東京電力 工場 ①
    menu(44, 0, "特別高圧電力B 20kV供給", "特別高圧電力B 20kV供給", "1510.00", "9.50", "8.64", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(44, 1, "特別高圧電力B 60kV供給", "特別高圧電力B 60kV供給", "1460.00", "9.28", "8.44", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(44, 2, "特別高圧電力B 140kV供給", "特別高圧電力B 140kV供給", "1410.00", "9.06", "8.24", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(44, 3, "特別高圧季節別時間帯別電力B 20kV供給", "特別高圧季節別時間帯別電力B 20kV供給", "1510.00", "11.65", "11.10", "10.05", "6.95", kAbsent, L2, Total_Kizibetu_1),
    menu(44, 4, "特別高圧季節別時間帯別電力B 60kV供給", "特別高圧季節別時間帯別電力B 60kV供給", "1460.00", "11.45", "10.90", "9.85", "6.75", kAbsent, L2, Total_Kizibetu_1),
    menu(44, 5, "特別高圧季節別時間帯別電力B 140kV供給", "特別高圧季節別時間帯別電力B 140kV供給", "1410.00", "11.25", "10.70", "9.60", "6.60", kAbsent, L2, Total_Kizibetu_1),
    // Combo45: 東京電力 工場 ②
    menu(45, 0, "高圧電力", "高圧電力 6kV供給", "1732.50", "10.69", "9.72", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(45, 1, "高圧季節別時間帯別電力", "高圧季節別時間帯別電力 6kV供給", "1732.00", "13.59", "12.96", "11.55", "7.45", kAbsent, L2, Total_Kizibetu_1),
    // Combo46: 東京電力 工場 ③
    menu(46, 0, "高圧電力A", "高圧電力A 6kV供給", "1233.75", "11.84", "10.76", kAbsent, kAbsent, kAbsent, L0, Total_Natsu_Sonota),
    menu(46, 1, "高圧季節別時間帯別電力A", "高圧季節別時間帯別電力A 6kV供給", "1175.00", "14.75", "14.10", "12.80", "7.10", kAbsent, L2, Total_Kizibetu_1),
};
// clang-format on

static_assert(std::size(kMenus) == kMenuCount);

// Menus sorted by list, each list numbered 0, 1, 2, ... without gaps, every list present.
consteval bool menusAreInOrder() {
    int list = 1;
    int index = 0;
    for (const TariffMenu& m : kMenus) {
        if (m.list == list + 1 && index > 0) {
            ++list;
            index = 0;
        }
        if (m.list != list || m.index != index)
            return false;
        ++index;
    }
    return list == kListCount;
}
static_assert(menusAreInOrder());

consteval std::array<MenuList, kListCount> buildLists() {
    std::array<MenuList, kListCount> lists{};
    std::size_t first = 0;
    for (int n = 1; n <= kListCount; ++n) {
        std::size_t end = first;
        while (end < std::size(kMenus) && kMenus[end].list == n)
            ++end;
        const ListPlace& place = kPlaces[n];
        lists[n - 1] = MenuList{n, place.utility, place.category, place.voltageRow,
                                std::span<const TariffMenu>(kMenus + first, end - first)};
        first = end;
    }
    return lists;
}

constexpr std::array<MenuList, kListCount> kLists = buildLists();

// The lists of one tab: 事務所・ビル・店舗 ①②③, then 工場 ①②③.
struct Tab {
    std::array<const MenuList*, 6> lists{};
    std::size_t count = 0;
};

consteval std::array<Tab, 10> buildTabs() {
    std::array<Tab, 10> tabs{};
    for (Category category : {Office, Factory})
        for (int row = 1; row <= 3; ++row)
            for (const MenuList& list : kLists)
                if (list.category == category && list.voltageRow == row) {
                    Tab& tab = tabs[static_cast<std::size_t>(list.utility)];
                    tab.lists[tab.count++] = &list;
                }
    return tabs;
}

constexpr std::array<Tab, 10> kTabs = buildTabs();

constexpr std::string_view kThreeRowLegend[] = {"①　特別高圧電力", "②　高圧電力500ｋＷ以上",
                                                "③　高圧電力500ｋＷ以下"};
constexpr std::string_view kTwoRowLegend[] = {"①　特別高圧電力", "②　高圧電力"};

} // namespace

std::span<const MenuList> allLists() {
    return kLists;
}

const MenuList* findList(int list) {
    if (list < 1 || list > kListCount)
        return nullptr;
    return &kLists[static_cast<std::size_t>(list - 1)];
}

const TariffMenu* findMenu(int list, int index) {
    const MenuList* found = findList(list);
    if (found == nullptr || index < 0 || static_cast<std::size_t>(index) >= found->menus.size())
        return nullptr;
    return &found->menus[static_cast<std::size_t>(index)];
}

std::span<const MenuList* const> listsOfUtility(int utility) {
    if (utility < 1 || utility > 9)
        return {};
    const Tab& tab = kTabs[static_cast<std::size_t>(utility)];
    return std::span<const MenuList* const>(tab.lists.data(), tab.count);
}

std::span<const TariffMenu> allMenus() {
    return kMenus;
}

std::string_view formulaName(Formula formula) {
    switch (formula) {
    case Total_Natsu_Sonota:
        return "Total_Natsu_Sonota";
    case Total_Holiday_Natsu_Sonota:
        return "Total_Holiday_Natsu_Sonota";
    case Total_Peek_Hiru_Yakan_Y:
        return "Total_Peek_Hiru_Yakan_Y";
    case Total_Kizibetu_1:
        return "Total_Kizibetu_1";
    case Total_Kizibetu_2:
        return "Total_Kizibetu_2";
    case Total_kizibet_Yakan_2:
        return "Total_kizibet_Yakan_2";
    case Total_Hokuden_1:
        return "Total_Hokuden_1";
    case Total_Hokuden_2:
        return "Total_Hokuden_2";
    }
    return "";
}

std::string_view layoutName(Layout layout) {
    switch (layout) {
    case L0:
        return "0";
    case L2:
        return "2";
    case L3:
        return "3";
    case L4:
        return "4";
    case L5:
        return "5";
    case V4:
        return "V4";
    case V2:
        return "V2";
    }
    return "";
}

std::optional<int> layoutCode(Layout layout) {
    switch (layout) {
    case L0:
        return 0;
    case L2:
        return 2;
    case L3:
        return 3;
    case L4:
        return 4;
    case L5:
        return 5;
    case V4:
    case V2:
        return std::nullopt;
    }
    return std::nullopt;
}

bool layoutShowsBox(Layout layout, int box) {
    switch (box) {
    case 5: // demand charge
    case 1:
        return true;
    case 2:
        return layout != L5;
    case 3:
        return layout == L2 || layout == L3;
    case 4:
        return layout == L2 || layout == L3 || layout == L4 || layout == V4;
    case 6:
        return layout == L3;
    default:
        return false;
    }
}

RateText rateForBox(const TariffMenu& menu, int box) {
    switch (box) {
    case 1:
        return menu.rate1;
    case 2:
        return menu.rate2;
    case 3:
        return menu.rate3;
    case 4:
        return menu.rate4;
    case 5:
        return menu.demandCharge;
    case 6:
        return menu.rate5;
    default:
        return kAbsent;
    }
}

std::string_view categoryName(Category category) {
    return category == Office ? "事務所・ビル・店舗" : "工場";
}

std::string_view voltageMark(int voltageRow) {
    switch (voltageRow) {
    case 1:
        return "①";
    case 2:
        return "②";
    case 3:
        return "③";
    default:
        return "";
    }
}

std::span<const std::string_view> rowLegend(int utility) {
    if (utility < 1 || utility > 9)
        return {};
    if (kTabs[static_cast<std::size_t>(utility)].count == 6)
        return kThreeRowLegend;
    return kTwoRowLegend;
}

} // namespace wattorio::tariffs
