// The tariff catalog: the shape of the 46 lists, their place on the utility tabs, the flags, and
// the exact texts that end up on screen and in the reports.

#include "app/sjis.h"
#include "tariffs/catalog.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>
#include <vector>

namespace wattorio::tariffs {
namespace {

using namespace std::string_view_literals;

constexpr std::array<int, kListCount> kExpectedSizes = {14, 6, 6, 13, 5, 4, 4, 2, 6, 4, 4, 2, 2, 4, 2, 2,
                                                        4,  3, 4, 6,  3, 4, 4, 2, 2, 4, 2, 2, 6, 5, 6, 4,
                                                        3,  3, 3, 5,  6, 3, 6, 3, 4, 2, 2, 6, 2, 2};

struct Place {
    int utility;
    Category category;
    int row;
};

// Combo1..Combo46 as the tabs show them.
const std::array<Place, kListCount> kExpectedPlaces = {{
    {2, Category::Office, 1},  {2, Category::Office, 2},  {2, Category::Office, 3},  // Combo1-3
    {2, Category::Factory, 1}, {2, Category::Factory, 2}, {2, Category::Factory, 3}, // Combo4-6
    {3, Category::Office, 1},  {3, Category::Office, 2},                             // Combo7-8
    {3, Category::Factory, 1}, {3, Category::Factory, 2},                            // Combo9-10
    {4, Category::Office, 1},  {4, Category::Office, 2},  {4, Category::Office, 3},  // Combo11-13
    {4, Category::Factory, 1}, {4, Category::Factory, 2}, {4, Category::Factory, 3}, // Combo14-16
    {5, Category::Office, 1},  {5, Category::Office, 2},  {5, Category::Office, 3},  // Combo17-19
    {5, Category::Factory, 1}, {5, Category::Factory, 2}, {5, Category::Factory, 3}, // Combo20-22
    {6, Category::Office, 1},  {6, Category::Office, 2},  {6, Category::Office, 3},  // Combo23-25
    {6, Category::Factory, 1}, {6, Category::Factory, 2}, {6, Category::Factory, 3}, // Combo26-28
    {7, Category::Office, 1},  {7, Category::Office, 2},                             // Combo29-30
    {7, Category::Factory, 1}, {7, Category::Factory, 2},                            // Combo31-32
    {8, Category::Office, 1},  {8, Category::Office, 2},                             // Combo33-34
    {8, Category::Factory, 1}, {8, Category::Factory, 2},                            // Combo35-36
    {9, Category::Office, 1},  {9, Category::Office, 2},                             // Combo37-38
    {9, Category::Factory, 1}, {9, Category::Factory, 2},                            // Combo39-40
    {1, Category::Office, 1},  {1, Category::Office, 2},  {1, Category::Office, 3},  // Combo41-43
    {1, Category::Factory, 1}, {1, Category::Factory, 2}, {1, Category::Factory, 3}, // Combo44-46
}};

const TariffMenu& menuAt(int list, int index) {
    static const TariffMenu missing{};
    const TariffMenu* m = findMenu(list, index);
    if (m == nullptr) {
        ADD_FAILURE() << "no menu Combo" << list << " " << index;
        return missing;
    }
    return *m;
}

std::vector<std::string_view> itemsOf(int list) {
    std::vector<std::string_view> items;
    for (const TariffMenu& m : findList(list)->menus)
        items.push_back(m.itemText);
    return items;
}

std::vector<int> listNumbersOf(int utility) {
    std::vector<int> numbers;
    for (const MenuList* list : listsOfUtility(utility))
        numbers.push_back(list->list);
    return numbers;
}

bool isChubuList(int list) {
    return list >= 1 && list <= 6;
}

// A rate as it must look in a box: digits, optionally a point and more digits.
bool isNumberText(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
    if (i == 0)
        return false;
    if (i == text.size())
        return true;
    if (text[i] != '.')
        return false;
    ++i;
    if (i == text.size())
        return false; // "10." reads as 10: a cut-off rate
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
    return i == text.size();
}

double valueOf(const RateText& rate) {
    return rate && !rate->empty() ? std::stod(std::string(*rate)) : 0.0;
}

bool isValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        int extra = 0;
        char32_t cp = 0;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (s.size() - i <= static_cast<std::size_t>(extra))
            return false; // the sequence is cut off
        for (int k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        const char32_t minimum[] = {0, 0x80, 0x800, 0x10000};
        if (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Shape

TEST(CatalogShape, FortySixListsOfTheExpectedSizes) {
    ASSERT_EQ(allLists().size(), 46u);
    int total = 0;
    for (std::size_t i = 0; i < allLists().size(); ++i) {
        const MenuList& list = allLists()[i];
        EXPECT_EQ(list.list, static_cast<int>(i) + 1);
        EXPECT_EQ(list.menus.size(), static_cast<std::size_t>(kExpectedSizes[i])) << "Combo" << list.list;
        total += static_cast<int>(list.menus.size());
    }
    EXPECT_EQ(total, 191);
    EXPECT_EQ(allMenus().size(), 191u);
    EXPECT_EQ(kMenuCount, 191);
    EXPECT_EQ(kListCount, 46);
}

TEST(CatalogShape, MenusAreKeyedByListAndPosition) {
    std::size_t n = 0;
    for (const MenuList& list : allLists()) {
        for (std::size_t i = 0; i < list.menus.size(); ++i, ++n) {
            const TariffMenu& m = list.menus[i];
            EXPECT_EQ(m.list, list.list);
            EXPECT_EQ(m.index, static_cast<int>(i));
            EXPECT_EQ(&allMenus()[n], &m) << "allMenus is not in list, then index order";
            EXPECT_EQ(findMenu(list.list, static_cast<int>(i)), &m);
        }
    }
    EXPECT_EQ(n, allMenus().size());
}

TEST(CatalogShape, LookupsOutsideTheCatalogFindNothing) {
    EXPECT_EQ(findList(0), nullptr);
    EXPECT_EQ(findList(47), nullptr);
    EXPECT_EQ(findList(-1), nullptr);
    EXPECT_NE(findList(1), nullptr);
    EXPECT_NE(findList(46), nullptr);
    EXPECT_EQ(findMenu(1, 14), nullptr); // Combo1 has 14 items: 0..13
    EXPECT_NE(findMenu(1, 13), nullptr);
    EXPECT_EQ(findMenu(1, -1), nullptr);
    EXPECT_EQ(findMenu(0, 0), nullptr);
    EXPECT_EQ(findMenu(47, 0), nullptr);
    EXPECT_TRUE(listsOfUtility(0).empty());
    EXPECT_TRUE(listsOfUtility(10).empty());
    EXPECT_TRUE(rowLegend(0).empty());
    EXPECT_TRUE(rowLegend(10).empty());
}

TEST(CatalogShape, EveryListSitsOnItsTabColumnAndRow) {
    for (const MenuList& list : allLists()) {
        const Place& want = kExpectedPlaces[static_cast<std::size_t>(list.list - 1)];
        EXPECT_EQ(list.utility, want.utility) << "Combo" << list.list;
        EXPECT_EQ(list.category, want.category) << "Combo" << list.list;
        EXPECT_EQ(list.voltageRow, want.row) << "Combo" << list.list;
        for (const TariffMenu& m : list.menus) {
            EXPECT_EQ(m.utility, list.utility) << "Combo" << m.list << " " << m.index;
            EXPECT_EQ(m.category, list.category) << "Combo" << m.list << " " << m.index;
            EXPECT_EQ(m.voltageRow, list.voltageRow) << "Combo" << m.list << " " << m.index;
        }
    }
}

TEST(CatalogShape, EachTabListsOfficeRowsThenFactoryRows) {
    EXPECT_EQ(listNumbersOf(1), (std::vector<int>{41, 42, 43, 44, 45, 46}));
    EXPECT_EQ(listNumbersOf(2), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(listNumbersOf(3), (std::vector<int>{7, 8, 9, 10}));
    EXPECT_EQ(listNumbersOf(4), (std::vector<int>{11, 12, 13, 14, 15, 16}));
    EXPECT_EQ(listNumbersOf(5), (std::vector<int>{17, 18, 19, 20, 21, 22}));
    EXPECT_EQ(listNumbersOf(6), (std::vector<int>{23, 24, 25, 26, 27, 28}));
    EXPECT_EQ(listNumbersOf(7), (std::vector<int>{29, 30, 31, 32}));
    EXPECT_EQ(listNumbersOf(8), (std::vector<int>{33, 34, 35, 36}));
    EXPECT_EQ(listNumbersOf(9), (std::vector<int>{37, 38, 39, 40}));

    // Every list is on exactly one tab.
    std::multiset<int> seen;
    for (int u = 1; u <= 9; ++u)
        for (const MenuList* list : listsOfUtility(u)) {
            EXPECT_EQ(list->utility, u);
            seen.insert(list->list);
        }
    EXPECT_EQ(seen.size(), 46u);
    for (int n = 1; n <= 46; ++n)
        EXPECT_EQ(seen.count(n), 1u) << "Combo" << n;

    // 98 menus on the first four tabs, 93 on the other five.
    std::size_t east = 0;
    std::size_t west = 0;
    for (const TariffMenu& m : allMenus())
        (m.utility <= 4 ? east : west) += 1;
    EXPECT_EQ(east, 98u);
    EXPECT_EQ(west, 93u);
}

TEST(CatalogShape, RowLegendsHeadingsAndMarks) {
    const std::vector<std::string_view> three = {"①　特別高圧電力", "②　高圧電力500ｋＷ以上",
                                                 "③　高圧電力500ｋＷ以下"};
    const std::vector<std::string_view> two = {"①　特別高圧電力", "②　高圧電力"};
    for (int u : {1, 2, 4, 5, 6}) {
        auto legend = rowLegend(u);
        EXPECT_EQ(std::vector<std::string_view>(legend.begin(), legend.end()), three) << u;
    }
    for (int u : {3, 7, 8, 9}) {
        auto legend = rowLegend(u);
        EXPECT_EQ(std::vector<std::string_view>(legend.begin(), legend.end()), two) << u;
    }
    EXPECT_EQ(categoryName(Category::Office), "事務所・ビル・店舗");
    EXPECT_EQ(categoryName(Category::Factory), "工場");
    EXPECT_EQ(voltageMark(1), "①");
    EXPECT_EQ(voltageMark(2), "②");
    EXPECT_EQ(voltageMark(3), "③");
    EXPECT_EQ(voltageMark(0), "");
    EXPECT_EQ(voltageMark(4), "");
}

// ---------------------------------------------------------------------------------------------
// Flags

TEST(CatalogFlags, OnlySixWeekendMenusAskAboutSaturdays) {
    std::vector<std::pair<int, int>> asking;
    for (const TariffMenu& m : allMenus())
        if (m.asksSaturday)
            asking.emplace_back(m.list, m.index);
    EXPECT_EQ(asking, (std::vector<std::pair<int, int>>{{2, 0}, {2, 1}, {2, 2}, {3, 3}, {3, 4}, {3, 5}}));
    // Combo2 item 3 (the seasonal plan) asks nothing.
    EXPECT_FALSE(menuAt(2, 3).asksSaturday);
}

TEST(CatalogFlags, TaxNoteBelongsToWholeListsOfFiveUtilities) {
    for (const TariffMenu& m : allMenus()) {
        const bool expected = (m.list >= 11 && m.list <= 28) || (m.list >= 33 && m.list <= 40);
        EXPECT_EQ(m.taxNote, expected) << "Combo" << m.list << " " << m.index;
        const bool utilityWithNote =
            m.utility == 4 || m.utility == 5 || m.utility == 6 || m.utility == 8 || m.utility == 9;
        EXPECT_EQ(m.taxNote, utilityWithNote) << "Combo" << m.list << " " << m.index;
    }
}

// ---------------------------------------------------------------------------------------------
// Mended entries: three typing errors that priced a menu plainly wrong.

TEST(CatalogMends, KansaiBLDemandChargeMatchesItsTimeOfUseTwin) {
    EXPECT_EQ(menuAt(15, 1).demandCharge, "1816.50"sv);
    EXPECT_EQ(menuAt(15, 0).demandCharge, menuAt(15, 1).demandCharge);
    EXPECT_EQ(menuAt(15, 1).caption, "高圧電力 BL 6kV供給");
    EXPECT_EQ(menuAt(15, 1).rate1, "9.81"sv);
    EXPECT_EQ(menuAt(15, 1).rate2, "8.91"sv);
}

TEST(CatalogMends, HokkaidoLastResortB30kVDemandCharge) {
    EXPECT_EQ(menuAt(39, 4).demandCharge, "2280.60"sv);
    EXPECT_EQ(menuAt(39, 4).caption, "最終保障電力B 30kV供給");
    EXPECT_EQ(menuAt(39, 4).rate1, "10.35"sv);
    // Its 60 kV sibling, for scale.
    EXPECT_EQ(menuAt(39, 5).demandCharge, "2268.00"sv);
}

TEST(CatalogMends, TokyoBusinessRateTwoIsNotCutOff) {
    EXPECT_EQ(menuAt(42, 0).rate2, "10.90"sv);
    EXPECT_EQ(menuAt(43, 0).rate2, "10.90"sv);
    EXPECT_EQ(menuAt(42, 0).caption, menuAt(43, 0).caption);
    EXPECT_EQ(menuAt(42, 0).demandCharge, "1638"sv);
    EXPECT_EQ(menuAt(42, 0).rate1, "12.00"sv);
}

TEST(CatalogMends, EveryRateIsAWholeNumberTextInAPlausibleRange) {
    // Demand charges of this generation lie between 1,000 and 2,500 yen per kW; energy rates between
    // 5 and 25 yen per kWh. A lost leading digit or a cut-off fraction shows up here.
    for (const TariffMenu& m : allMenus()) {
        for (int box : kRateWriteOrder) {
            const RateText rate = rateForBox(m, box);
            if (!rate || rate->empty())
                continue;
            EXPECT_TRUE(isNumberText(*rate)) << "Combo" << m.list << " " << m.index << " Text" << box;
            const double v = valueOf(rate);
            if (box == 5) {
                EXPECT_GE(v, 1000.0) << "Combo" << m.list << " " << m.index;
                EXPECT_LE(v, 2500.0) << "Combo" << m.list << " " << m.index;
            } else {
                EXPECT_GE(v, 5.0) << "Combo" << m.list << " " << m.index << " Text" << box;
                EXPECT_LE(v, 25.0) << "Combo" << m.list << " " << m.index << " Text" << box;
            }
        }
    }
}

TEST(CatalogMends, RatesFallFromDearBandsToCheapBands) {
    // Each formula prices its lines in a fixed order of bands; a swapped pair of columns would break
    // the natural order of the prices.
    for (const TariffMenu& m : allMenus()) {
        const double r1 = valueOf(m.rate1), r2 = valueOf(m.rate2), r3 = valueOf(m.rate3);
        const double r4 = valueOf(m.rate4), r5 = valueOf(m.rate5);
        SCOPED_TRACE("Combo" + std::to_string(m.list) + " " + std::to_string(m.index));
        switch (m.formula) {
        case Formula::Total_Natsu_Sonota: // summer, other season
        case Formula::Total_Hokuden_2:    // daytime, night
            EXPECT_GT(r1, r2);
            break;
        case Formula::Total_Peek_Hiru_Yakan_Y:    // heavy load, daytime, night
        case Formula::Total_Holiday_Natsu_Sonota: // summer, other season, days off
            EXPECT_GT(r1, r2);
            EXPECT_GT(r2, r4);
            break;
        case Formula::Total_Kizibetu_1: // summer peak, summer day, other day, night
            EXPECT_GE(r1, r2);
            EXPECT_GE(r2, r3);
            EXPECT_GT(r3, r4);
            break;
        case Formula::Total_kizibet_Yakan_2: // as above, the night split by season
            EXPECT_GE(r1, r2);
            EXPECT_GE(r2, r3);
            EXPECT_GE(r4, r5);
            break;
        case Formula::Total_Kizibetu_2: // summer days off, other days off, summer weekdays, other weekdays
            EXPECT_GT(r1, r2);
            EXPECT_GT(r3, r4);
            EXPECT_GT(r3, r1);
            break;
        case Formula::Total_Hokuden_1:
            EXPECT_GT(r1, 0.0);
            break;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Item texts and captions

TEST(CatalogTexts, ItemTextsOfSampleLists) {
    EXPECT_EQ(itemsOf(41),
              (std::vector<std::string_view>{"業務用特別高圧電力A 20kV供給", "業務用特別高圧電力A 60kV供給",
                                             "業務用特別高圧季節別時間帯別電力A 20kV供給",
                                             "業務用特別高圧季節別時間帯別電力A 60kV供給"}));
    EXPECT_EQ(itemsOf(3),
              (std::vector<std::string_view>{"業務用　プランＡ", "業務用　プランＢ", "業務用　プランＣ",
                                             "業務用ｳｲｰｸｴﾝﾄﾞ　プランＡ", "業務用ｳｲｰｸｴﾝﾄﾞ　プランＢ",
                                             "業務用ｳｲｰｸｴﾝﾄﾞ　プランＣ"}));
    EXPECT_EQ(itemsOf(6), (std::vector<std::string_view>{"高圧タイムプランＬ", "高圧タイムプランＨ",
                                                         "高圧プランＬ", "高圧プランＨ"}));
    EXPECT_EQ(itemsOf(10),
              (std::vector<std::string_view>{"高圧電力", "高圧電力Ｓ 500kW以下", "高圧季節別時間帯別電力",
                                             "高圧季節別時間帯別電力Ｓ 500kW以下"}));
    EXPECT_EQ(itemsOf(18),
              (std::vector<std::string_view>{"業務用 TOU", "業務用    ", "最終保障電力A（業務用）"}));
    EXPECT_EQ(itemsOf(21),
              (std::vector<std::string_view>{"高圧TOUB", "高圧電力B    ", "最終保障電力B（産業用）"}));
    EXPECT_EQ(itemsOf(30),
              (std::vector<std::string_view>{"業務用電力 A   6kV供給", "業務用電力 A-I 6kV供給",
                                             "業務用季時別電力 A   6kV供給", "業務用季時別電力 A-I 6kV供給",
                                             "業務用休日ｴｺﾉﾐｰ電力 A 6kV供給"}));
    EXPECT_EQ(itemsOf(38), (std::vector<std::string_view>{"業務用電力 6kV供給", "業務用時間帯別 6kV供給",
                                                          "最終保障電力A  6kV供給"}));
    EXPECT_EQ(menuAt(1, 0).itemText, "第１種20kV・30kVﾌﾟﾗﾝＡ");
    EXPECT_EQ(menuAt(1, 12).itemText, "最終保障電力 A 20kV・30kV");
    EXPECT_EQ(menuAt(2, 0).itemText, "高圧業務用電力ＷＥ（休日平日別）プランＡ");
    EXPECT_EQ(menuAt(4, 12).itemText, "最終保障電力 B 140kV");
    EXPECT_EQ(menuAt(11, 3).itemText, "特別高圧電力 A     70kVまたは30kV供給");
    EXPECT_EQ(menuAt(20, 0).itemText, "特別高圧電力 TOUB  20kV供給");
    EXPECT_EQ(menuAt(20, 5).itemText, "特別高圧電力 B    100kV供給");
    EXPECT_EQ(menuAt(37, 4).itemText, "最終保障電力A      30kV供給");
}

TEST(CatalogTexts, TrailingBlanksAreKept) {
    EXPECT_EQ(menuAt(18, 1).itemText.size(), "業務用"sv.size() + 4);
    EXPECT_EQ(menuAt(19, 2).itemText, "業務用    ");
    EXPECT_EQ(menuAt(21, 1).itemText, "高圧電力B    ");
    EXPECT_EQ(menuAt(21, 1).itemText.substr(menuAt(21, 1).itemText.size() - 4), "    ");
}

TEST(CatalogTexts, SameItemTextOnTwoListsOfOneTabIsTwoMenus) {
    EXPECT_EQ(itemsOf(42), itemsOf(43));
    EXPECT_EQ(itemsOf(24), itemsOf(25));
    EXPECT_NE(findList(42), findList(43));
    EXPECT_EQ(findList(42)->voltageRow, 2);
    EXPECT_EQ(findList(43)->voltageRow, 3);
    EXPECT_NE(&menuAt(24, 0), &menuAt(25, 0));
    // Combo18 item 1 and Combo19 item 2 are the same menu with the same values.
    const TariffMenu& a = menuAt(18, 1);
    const TariffMenu& b = menuAt(19, 2);
    EXPECT_EQ(a.caption, b.caption);
    for (int box : kRateWriteOrder)
        EXPECT_EQ(rateForBox(a, box), rateForBox(b, box)) << "Text" << box;
}

TEST(CatalogTexts, CaptionsOfSampleMenus) {
    EXPECT_EQ(menuAt(41, 0).caption, "業務用特別高圧電力A 20kV供給");
    EXPECT_EQ(menuAt(42, 0).caption, "業務用電力 6kV供給");
    EXPECT_EQ(menuAt(46, 1).caption, "高圧季節別時間帯別電力A 6kV供給");
    EXPECT_EQ(menuAt(1, 0).caption, "事務所　第１種20kV・30kVﾌﾟﾗﾝＡ");
    EXPECT_EQ(menuAt(1, 13).caption, "最終保障電力 A 70kV");
    EXPECT_EQ(menuAt(2, 0).caption, "事務所　高圧業務用電力ＷＥ（休日平日別）　プランＡ (2006/04)");
    EXPECT_EQ(menuAt(3, 3).caption, "事務所　業務用ｳｲｰｸｴﾝﾄﾞ　プランＡ (2006/04)");
    EXPECT_EQ(menuAt(5, 4).caption, "最終保障電力 B");
    EXPECT_EQ(menuAt(6, 0).caption, "工場　高圧タイムプランＬ (2006/04)");
    EXPECT_EQ(menuAt(7, 2).caption, "特別高圧季節別時間帯別電力A　30kV供給");
    EXPECT_EQ(menuAt(9, 5).caption, "特別高圧季節別時間帯別電力 B  140kV供給");
    EXPECT_EQ(menuAt(10, 1).caption, "高圧電力 Ｓ 500kW以下");
    EXPECT_EQ(menuAt(11, 3).caption, "特別高圧電力 A     70kV供給"); // not the item's "70kVまたは30kV"
    EXPECT_EQ(menuAt(12, 1).caption, "高圧電力 AL 6kV供給");
    EXPECT_EQ(menuAt(17, 2).caption, "特別高圧電力 A    20kV供給");
    EXPECT_EQ(menuAt(17, 3).caption, "特別高圧電力 A     60kV供給"); // five blanks, the item has four
    EXPECT_EQ(menuAt(18, 1).caption, "業務用電力");
    EXPECT_EQ(menuAt(19, 0).caption, "業務用電力 季節別　夜間別");
    EXPECT_EQ(menuAt(21, 0).caption, "高圧 TOUB");
    EXPECT_EQ(menuAt(28, 1).caption, "高圧 A 季節別時間帯別電力");
    EXPECT_EQ(menuAt(29, 4).caption, "業務用休日ｴｺﾉﾐｰ電力 A 20kV供給");
    EXPECT_EQ(menuAt(31, 0).caption, "産業用電力 A 20kV供給");
    EXPECT_EQ(menuAt(37, 4).caption, "最終保障電力A 30kV供給");
    EXPECT_EQ(menuAt(38, 2).caption, "最終保障電力A  6kV供給");
}

TEST(CatalogTexts, ChubuFactoryCaptionsNameTheirItem) {
    // The factory menus of the first list read "工場　" + item + " (2006/04)"; the last-resort
    // menus carry their item alone.
    for (int i = 0; i <= 9; ++i) {
        const TariffMenu& m = menuAt(4, i);
        EXPECT_EQ(m.caption, "工場　" + std::string(m.itemText) + " (2006/04)") << i;
    }
    EXPECT_EQ(menuAt(4, 4).caption, "工場　第１種(季時別)140kVﾌﾟﾗﾝＡ (2006/04)");
    EXPECT_EQ(menuAt(4, 5).caption, "工場　第１種(季時別)140kVﾌﾟﾗﾝＢ (2006/04)");
    EXPECT_EQ(menuAt(4, 8).caption, "工場　第２種(季時別)70kVﾌﾟﾗﾝＡ (2006/04)");
    for (int i = 10; i <= 12; ++i)
        EXPECT_EQ(menuAt(4, i).caption, menuAt(4, i).itemText) << i;
    for (int i = 0; i <= 11; ++i)
        EXPECT_EQ(menuAt(1, i).caption, "事務所　" + std::string(menuAt(1, i).itemText)) << i;
}

TEST(CatalogTexts, EveryTextIsStorableInAShiftJisFile) {
    auto check = [](std::string_view text, const std::string& what) {
        EXPECT_FALSE(text.empty()) << what;
        EXPECT_TRUE(isValidUtf8(text)) << what;
        EXPECT_TRUE(representableInCp932(text)) << what << ": " << text;
        for (char c : text)
            EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 || c == '"') << what;
    };
    for (const TariffMenu& m : allMenus()) {
        const std::string where = "Combo" + std::to_string(m.list) + " " + std::to_string(m.index);
        check(m.itemText, where + " item");
        check(m.caption, where + " caption");
    }
    for (int u = 1; u <= 9; ++u)
        for (std::string_view line : rowLegend(u))
            check(line, "legend");
    check(categoryName(Category::Office), "heading");
    check(categoryName(Category::Factory), "heading");
    for (int row = 1; row <= 3; ++row)
        check(voltageMark(row), "mark");
}

TEST(CatalogTexts, Utf8CheckerRejectsBrokenText) {
    EXPECT_TRUE(isValidUtf8("業務用ｳｲｰｸｴﾝﾄﾞ"));
    EXPECT_FALSE(isValidUtf8("\xE6\xA5"));     // cut-off sequence
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));     // overlong
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80")); // surrogate
    EXPECT_FALSE(isValidUtf8("\x82\xA0"));     // Shift_JIS bytes
}

// ---------------------------------------------------------------------------------------------
// Rate texts

TEST(CatalogRates, TrailingZerosAndShortFormsAreKept) {
    EXPECT_EQ(menuAt(41, 0).demandCharge, "1510.00"sv);
    EXPECT_EQ(menuAt(41, 0).rate2, "9.10"sv);
    EXPECT_EQ(menuAt(1, 12).rate1, "12.60"sv);
    EXPECT_EQ(menuAt(1, 0).demandCharge, "1564.5"sv);
    EXPECT_EQ(menuAt(1, 0).rate4, "7.4"sv);
    EXPECT_EQ(menuAt(4, 8).rate1, "10"sv);
    EXPECT_EQ(menuAt(6, 0).rate2, "13.4"sv);
    EXPECT_EQ(menuAt(5, 0).rate2, "10.70"sv);
    EXPECT_EQ(menuAt(6, 1).rate2, "10.7"sv);
    EXPECT_EQ(menuAt(26, 1).demandCharge, "1680.00"sv);
    EXPECT_EQ(menuAt(26, 3).demandCharge, "1680"sv);
    EXPECT_EQ(menuAt(34, 2).demandCharge, "1814.4"sv);
    EXPECT_EQ(menuAt(36, 4).demandCharge, "1814.40"sv);
    EXPECT_EQ(menuAt(36, 3).demandCharge, "1512.0"sv);
    EXPECT_EQ(menuAt(22, 0).demandCharge, "1186.5"sv);
    EXPECT_EQ(menuAt(22, 2).demandCharge, "1186.50"sv);
    EXPECT_EQ(menuAt(23, 0).demandCharge, "1669.12"sv);
    EXPECT_EQ(menuAt(45, 1).demandCharge, "1732.00"sv);
    EXPECT_EQ(menuAt(20, 2).demandCharge, "1585"sv);
    EXPECT_EQ(menuAt(20, 5).demandCharge, "1585.50"sv);
    EXPECT_EQ(menuAt(37, 1).demandCharge, "1827.00"sv);
    EXPECT_EQ(menuAt(29, 3).rate4, "5.30"sv);
    EXPECT_EQ(menuAt(1, 5).rate4, "7.29"sv);
}

TEST(CatalogRates, EmptyTextIsNotAnAbsentRate) {
    // 中部電力 menus write Text3 (always empty) and Text4 themselves.
    const TariffMenu& chubuTou = menuAt(1, 0);
    ASSERT_TRUE(chubuTou.rate3.has_value());
    EXPECT_EQ(*chubuTou.rate3, "");
    EXPECT_EQ(chubuTou.rate4, "7.4"sv);
    EXPECT_FALSE(chubuTou.rate5.has_value());
    const TariffMenu& chubuFlat = menuAt(1, 6);
    ASSERT_TRUE(chubuFlat.rate4.has_value());
    EXPECT_EQ(*chubuFlat.rate4, "");
    // Layout 0 writes neither Text3 nor Text4: the layout procedure has emptied them.
    const TariffMenu& tokyo = menuAt(41, 0);
    EXPECT_FALSE(tokyo.rate3.has_value());
    EXPECT_FALSE(tokyo.rate4.has_value());
    EXPECT_FALSE(tokyo.rate5.has_value());
    // Layout 4 skips Text3 but writes Text4.
    EXPECT_FALSE(menuAt(11, 0).rate3.has_value());
    EXPECT_EQ(menuAt(11, 0).rate4, "6.91"sv);
    // Layout 5 writes only Text5 and Text1; Text2 keeps whatever it held.
    for (const TariffMenu& m : allMenus()) {
        if (m.layout != Layout::L5)
            continue;
        EXPECT_EQ(m.utility, 9);
        EXPECT_TRUE(m.demandCharge.has_value());
        EXPECT_TRUE(m.rate1.has_value());
        EXPECT_FALSE(m.rate2 || m.rate3 || m.rate4 || m.rate5) << "Combo" << m.list << " " << m.index;
    }
}

TEST(CatalogRates, OnlyTheTwoSeasonalNightMenusWriteTheFifthRate) {
    std::vector<std::pair<int, int>> withFifth;
    for (const TariffMenu& m : allMenus())
        if (m.rate5)
            withFifth.emplace_back(m.list, m.index);
    EXPECT_EQ(withFifth, (std::vector<std::pair<int, int>>{{19, 0}, {22, 0}}));
    for (const auto& [list, index] : withFifth) {
        const TariffMenu& m = menuAt(list, index);
        EXPECT_EQ(m.layout, Layout::L3);
        EXPECT_EQ(m.formula, Formula::Total_kizibet_Yakan_2);
        EXPECT_EQ(m.rate1, m.rate2);
        EXPECT_EQ(m.rate1, m.rate4);
        EXPECT_EQ(m.rate3, m.rate5);
    }
    EXPECT_EQ(menuAt(19, 0).rate1, "12.27"sv);
    EXPECT_EQ(menuAt(19, 0).rate5, "11.16"sv);
    EXPECT_EQ(menuAt(22, 0).rate1, "12.73"sv);
    EXPECT_EQ(menuAt(22, 0).rate5, "11.64"sv);
}

TEST(CatalogRates, SampleMenusInFull) {
    struct Row {
        int list, index;
        RateText demand, r1, r2, r3, r4, r5;
        Layout layout;
        Formula formula;
    };
    const RateText no = std::nullopt;
    const Row rows[] = {
        {41, 3, "1460.00", "11.45", "10.90", "9.85", "6.75", no, Layout::L2, Formula::Total_Kizibetu_1},
        {45, 0, "1732.50", "10.69", "9.72", no, no, no, Layout::L0, Formula::Total_Natsu_Sonota},
        {2, 1, "1774.5", "11.19", "10.17", "", "8.76", no, Layout::V4, Formula::Total_Holiday_Natsu_Sonota},
        {5, 4, "1926.75", "12.88", "11.72", "", "", no, Layout::V2, Formula::Total_Natsu_Sonota},
        {9, 5, "1530", "11.33", "10.30", "9.27", "6.19", no, Layout::L2, Formula::Total_Kizibetu_1},
        {16, 0, "1323", "18.71", "12.90", no, "7.12", no, Layout::L4, Formula::Total_Peek_Hiru_Yakan_Y},
        {19, 0, "1653.75", "12.27", "12.27", "11.16", "12.27", "11.16", Layout::L3,
         Formula::Total_kizibet_Yakan_2},
        {27, 1, "1764", "13.76", "11.66", "10.51", "7.68", no, Layout::L2, Formula::Total_Kizibetu_1},
        {30, 4, "1860", "6.86", "6.24", "10.34", "9.40", no, Layout::L2, Formula::Total_Kizibetu_2},
        {32, 3, "1250", "19.21", "16.01", "14.85", "5.75", no, Layout::L2, Formula::Total_Kizibetu_1},
        {33, 1, "1496.25", "12.18", "11.60", "10.44", "6.90", no, Layout::L2, Formula::Total_Kizibetu_1},
        {37, 0, "1837.50", "9.53", no, no, no, no, Layout::L5, Formula::Total_Hokuden_1},
        {40, 1, "1963.50", "10.95", "7.55", no, no, no, Layout::L0, Formula::Total_Hokuden_2},
        {40, 2, "2356.20", "11.30", no, no, no, no, Layout::L5, Formula::Total_Hokuden_1},
    };
    for (const Row& r : rows) {
        const TariffMenu& m = menuAt(r.list, r.index);
        SCOPED_TRACE("Combo" + std::to_string(r.list) + " " + std::to_string(r.index));
        EXPECT_EQ(m.demandCharge, r.demand);
        EXPECT_EQ(m.rate1, r.r1);
        EXPECT_EQ(m.rate2, r.r2);
        EXPECT_EQ(m.rate3, r.r3);
        EXPECT_EQ(m.rate4, r.r4);
        EXPECT_EQ(m.rate5, r.r5);
        EXPECT_EQ(m.layout, r.layout);
        EXPECT_EQ(m.formula, r.formula);
    }
}

// ---------------------------------------------------------------------------------------------
// Layouts and formulas

TEST(CatalogLayouts, ChubuMenusFollowTheirPositionInTheList) {
    for (int list = 1; list <= 6; ++list) {
        for (const TariffMenu& m : findList(list)->menus) {
            bool tou = false;
            Formula touFormula = Formula::Total_Peek_Hiru_Yakan_Y;
            switch (list) {
            case 1:
            case 4:
                tou = m.index <= 5;
                break;
            case 5:
            case 6:
                tou = m.index <= 1;
                break;
            case 2:
                tou = m.index <= 2;
                touFormula = Formula::Total_Holiday_Natsu_Sonota;
                break;
            case 3:
                tou = m.index >= 3;
                touFormula = Formula::Total_Holiday_Natsu_Sonota;
                break;
            }
            SCOPED_TRACE("Combo" + std::to_string(list) + " " + std::to_string(m.index));
            EXPECT_EQ(m.layout, tou ? Layout::V4 : Layout::V2);
            EXPECT_EQ(m.formula, tou ? touFormula : Formula::Total_Natsu_Sonota);
            EXPECT_FALSE(layoutCode(m.layout).has_value());
            // The list writes Text3 (empty) and Text4 (a rate or empty) itself.
            EXPECT_EQ(m.rate3, ""sv);
            ASSERT_TRUE(m.rate4.has_value());
            EXPECT_EQ(m.rate4->empty(), !tou);
            EXPECT_FALSE(m.rate5.has_value());
        }
    }
}

TEST(CatalogLayouts, OnlyChubuListsGoWithoutALayoutProcedure) {
    for (const TariffMenu& m : allMenus()) {
        EXPECT_EQ(isChubuList(m.list), m.layout == Layout::V4 || m.layout == Layout::V2)
            << "Combo" << m.list << " " << m.index;
        EXPECT_EQ(layoutCode(m.layout).has_value(), !isChubuList(m.list));
    }
    EXPECT_EQ(layoutCode(Layout::L0), 0);
    EXPECT_EQ(layoutCode(Layout::L2), 2);
    EXPECT_EQ(layoutCode(Layout::L3), 3);
    EXPECT_EQ(layoutCode(Layout::L4), 4);
    EXPECT_EQ(layoutCode(Layout::L5), 5);
    EXPECT_EQ(layoutCode(Layout::V4), std::nullopt);
    EXPECT_EQ(layoutCode(Layout::V2), std::nullopt);
}

TEST(CatalogLayouts, EachLayoutGoesWithItsFormulas) {
    const std::set<std::pair<Layout, Formula>> allowed = {
        {Layout::L0, Formula::Total_Natsu_Sonota},
        {Layout::L0, Formula::Total_Hokuden_2},
        {Layout::L2, Formula::Total_Kizibetu_1},
        {Layout::L2, Formula::Total_Kizibetu_2},
        {Layout::L3, Formula::Total_kizibet_Yakan_2},
        {Layout::L4, Formula::Total_Peek_Hiru_Yakan_Y},
        {Layout::L5, Formula::Total_Hokuden_1},
        {Layout::V4, Formula::Total_Peek_Hiru_Yakan_Y},
        {Layout::V4, Formula::Total_Holiday_Natsu_Sonota},
        {Layout::V2, Formula::Total_Natsu_Sonota},
    };
    for (const TariffMenu& m : allMenus())
        EXPECT_TRUE(allowed.count({m.layout, m.formula}))
            << "Combo" << m.list << " " << m.index << ": " << layoutName(m.layout) << " / "
            << formulaName(m.formula);
    // The 北海道電力 formulas serve only its menus, which have no summer rows.
    for (const TariffMenu& m : allMenus()) {
        const bool hokuden = m.formula == Formula::Total_Hokuden_1 || m.formula == Formula::Total_Hokuden_2;
        EXPECT_EQ(hokuden, m.utility == 9) << "Combo" << m.list << " " << m.index;
    }
}

TEST(CatalogLayouts, BoxesShownByEachLayout) {
    // Text1..Text6 in box order.
    const std::vector<std::pair<Layout, std::array<bool, 6>>> table = {
        {Layout::L0, {true, true, false, false, true, false}},
        {Layout::L2, {true, true, true, true, true, false}},
        {Layout::L3, {true, true, true, true, true, true}},
        {Layout::L4, {true, true, false, true, true, false}},
        {Layout::L5, {true, false, false, false, true, false}},
        {Layout::V4, {true, true, false, true, true, false}},
        {Layout::V2, {true, true, false, false, true, false}},
    };
    for (const auto& [layout, shown] : table) {
        for (int box = 1; box <= 6; ++box)
            EXPECT_EQ(layoutShowsBox(layout, box), shown[static_cast<std::size_t>(box - 1)])
                << layoutName(layout) << " Text" << box;
        EXPECT_FALSE(layoutShowsBox(layout, 0));
        EXPECT_FALSE(layoutShowsBox(layout, 7));
    }
}

TEST(CatalogLayouts, EveryShownBoxGetsARateAndNoHiddenBoxGetsANumber) {
    for (const TariffMenu& m : allMenus()) {
        for (int box = 1; box <= 6; ++box) {
            const RateText rate = rateForBox(m, box);
            const std::string where = "Combo" + std::to_string(m.list) + " " + std::to_string(m.index) +
                                      " Text" + std::to_string(box);
            if (layoutShowsBox(m.layout, box)) {
                ASSERT_TRUE(rate.has_value()) << where;
                EXPECT_FALSE(rate->empty()) << where;
            } else {
                // A hidden box is left alone, or (on the 中部電力 tab) emptied.
                EXPECT_TRUE(!rate || rate->empty()) << where;
                if (rate) {
                    EXPECT_TRUE(isChubuList(m.list)) << where;
                }
            }
        }
    }
}

TEST(CatalogLayouts, NamesAndBoxAccess) {
    EXPECT_EQ(formulaName(Formula::Total_Natsu_Sonota), "Total_Natsu_Sonota");
    EXPECT_EQ(formulaName(Formula::Total_Holiday_Natsu_Sonota), "Total_Holiday_Natsu_Sonota");
    EXPECT_EQ(formulaName(Formula::Total_Peek_Hiru_Yakan_Y), "Total_Peek_Hiru_Yakan_Y");
    EXPECT_EQ(formulaName(Formula::Total_Kizibetu_1), "Total_Kizibetu_1");
    EXPECT_EQ(formulaName(Formula::Total_Kizibetu_2), "Total_Kizibetu_2");
    EXPECT_EQ(formulaName(Formula::Total_kizibet_Yakan_2), "Total_kizibet_Yakan_2");
    EXPECT_EQ(formulaName(Formula::Total_Hokuden_1), "Total_Hokuden_1");
    EXPECT_EQ(formulaName(Formula::Total_Hokuden_2), "Total_Hokuden_2");
    EXPECT_EQ(layoutName(Layout::L0), "0");
    EXPECT_EQ(layoutName(Layout::L5), "5");
    EXPECT_EQ(layoutName(Layout::V4), "V4");
    EXPECT_EQ(layoutName(Layout::V2), "V2");

    const TariffMenu& m = menuAt(19, 0);
    EXPECT_EQ(rateForBox(m, 5), m.demandCharge);
    EXPECT_EQ(rateForBox(m, 6), m.rate5);
    EXPECT_EQ(rateForBox(m, 3), m.rate3);
    EXPECT_EQ(rateForBox(m, 0), std::nullopt);
    EXPECT_EQ(rateForBox(m, 7), std::nullopt);
    EXPECT_EQ((std::vector<int>(std::begin(kRateWriteOrder), std::end(kRateWriteOrder))),
              (std::vector<int>{5, 1, 2, 3, 4, 6}));
}

} // namespace
} // namespace wattorio::tariffs
