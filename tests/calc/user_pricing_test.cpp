// User menus priced through the results form: a copy of a catalog menu gives that menu's yen, and
// the adders and the tax rate follow Total_T's arithmetic.

#include "calc/total_form.h"
#include "calc/user_pricing.h"

#include "calc_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>

namespace wattorio::calc {
namespace {

using tariffs::TariffMenu;
using tariffs::UserMenu;

struct UserPricing : ::testing::Test {
    std::unique_ptr<AppState> state = std::make_unique<AppState>();
    AppState& s = *state;
    test::ScriptedPrompter prompter;

    void SetUp() override {
        test::setSite(s, 1, "1", "250", "97");
        for (int k = 0; k < 4; ++k)
            for (int m = 1; m <= 12; ++m) {
                s.MonthTotalA[k][m] = k * 1000.25 + m;
                s.MonthTotalB[k][m] = k * 1000.5 + 500 + m;
            }
    }
};

// The fields a user would type to copy a catalog menu, with the catalog's tax and no adders.
UserMenu copyOf(const TariffMenu& m) {
    tariffs::UserMenuFields f;
    f[tariffs::kColUtility] = std::to_string(m.utility);
    f[tariffs::kColCategory] = std::string(tariffs::categoryName(m.category));
    f[tariffs::kColVoltage] = std::to_string(m.voltageRow);
    f[tariffs::kColName] = "写し";
    f[tariffs::kColFormula] = std::string(tariffs::formulaShortName(m.formula));
    f[tariffs::kColDemand] = std::string(m.demandCharge.value_or(""));
    const tariffs::RateText rates[] = {m.rate1, m.rate2, m.rate3, m.rate4, m.rate5};
    for (int k = 0; k < 5; ++k)
        f[static_cast<std::size_t>(tariffs::kColRate1 + k)] = std::string(rates[k].value_or(""));
    f[tariffs::kColTax] = "5";
    f[tariffs::kColFuel] = "0";
    f[tariffs::kColLevy] = "0";
    Result<UserMenu> menu = tariffs::parseUserMenu(f, 2, nullptr);
    EXPECT_TRUE(menu) << (menu ? "" : menu.error().message);
    return menu ? *menu : UserMenu{};
}

// One menu of every formula, of several utilities and layouts.
TEST_F(UserPricing, CopyOfCatalogMenuPricesToTheSameYen) {
    const std::pair<int, int> menus[] = {{1, 0},  {1, 6},  {2, 0},  {7, 2},  {19, 0},
                                         {29, 4}, {37, 0}, {37, 2}, {42, 0}, {11, 0}};
    std::set<tariffs::Formula> formulas;
    for (const auto& [list, index] : menus) {
        const TariffMenu* m = tariffs::findMenu(list, index);
        ASSERT_NE(m, nullptr) << list << ":" << index;
        formulas.insert(m->formula);
        s.UtilityNo = static_cast<float>(m->utility);
        TotalForm catalog(s);
        ASSERT_TRUE(catalog.Form_Load());
        catalog.ApplyTariffMenu(list, index, prompter);
        TotalForm user(s);
        ASSERT_TRUE(user.Form_Load());
        user.setUserMenus({copyOf(*m)});
        ASSERT_TRUE(user.ApplyUserMenu(0));
        EXPECT_EQ(user.LineKwh(), catalog.LineKwh()) << list << ":" << index;
        EXPECT_EQ(user.LineCharge(), catalog.LineCharge()) << list << ":" << index;
        EXPECT_EQ(user.total(), catalog.total()) << list << ":" << index;
        EXPECT_EQ(user.totalWithTax(), catalog.totalWithTax()) << list << ":" << index;
        EXPECT_EQ(user.text("Label20"), catalog.text("Label20"));
        for (const char* shown : {"Label1", "Label2", "Label4", "Label9", "Label13", "Label14", "Label19"})
            EXPECT_EQ(user.text(shown), catalog.text(shown)) << list << ":" << index << " " << shown;
    }
    EXPECT_EQ(formulas.size(), 8u) << "every formula procedure is covered";
}

TEST_F(UserPricing, AddersAndTaxToTheYen) {
    // 100 kW at power factor 100: demand 100 x 1700 x 0.85 x 12 = 1,734,000 yen.
    test::setSite(s, 1, "1", "100", "100");
    tariffs::UserMenuFields f = {"東京電力", "工場", "2",     "今年の提案", "Total_Natsu_Sonota",
                                 "1700",     "17.5", "16.25", "",           "",
                                 "",         "10",   "-1.12", "3.49"};
    Result<UserMenu> menu = tariffs::parseUserMenu(f, 3, nullptr);
    ASSERT_TRUE(menu);
    TotalForm form(s);
    ASSERT_TRUE(form.Form_Load());
    form.setUserMenus({*menu});
    ASSERT_TRUE(form.ApplyUserMenu(0));
    const LineArray& k = form.LineKwh();
    const double line1 = k[1] * (17.5 + -1.12 + 3.49);
    const double line2 = k[2] * (16.25 + -1.12 + 3.49);
    EXPECT_EQ(form.LineCharge()[0], 1734000);
    EXPECT_EQ(form.LineCharge()[1], line1);
    EXPECT_EQ(form.LineCharge()[2], line2);
    EXPECT_EQ(form.total(), 1734000 + line1 + line2);
    EXPECT_EQ(form.totalWithTax(), (1734000 + line1 + line2) * 1.1);
    EXPECT_EQ(form.text("Text1"), "17.5");
    EXPECT_EQ(form.text("Text3"), "");
    EXPECT_EQ(form.text("Label21"), "今年の提案　（燃料費等調整 -1.12 円/kWh・再エネ賦課金 3.49 円/kWh）");
    EXPECT_EQ(form.text("Label11").rfind("消費税10％含む　", 0), 0u) << form.text("Label11");

    // 再 計 算 keeps the menu's adders and tax; a catalog menu ends them.
    form.setText("Text1", "20");
    form.Command10_Click();
    EXPECT_EQ(form.LineCharge()[1], k[1] * (20 + -1.12 + 3.49));
    form.ApplyTariffMenu(42, 0, prompter);
    EXPECT_FALSE(form.currentUserMenu());
    EXPECT_EQ(form.totalWithTax(), form.total() * kTaxFactor);
    EXPECT_FALSE(form.ApplyUserMenu(1));
}

// Reading the file again without the menu on the panel (its line dropped or changed) clears the
// panel; the same menu read again keeps it.
TEST_F(UserPricing, ADroppedMenuLeavesNoFiguresOnThePanel) {
    test::setSite(s, 1, "1", "100", "100");
    tariffs::UserMenuFields f = {"東京電力", "工場", "2",     "提案", "Total_Natsu_Sonota",
                                 "1700",     "17.5", "16.25", "",     "",
                                 "",         "10",   "0",     "0"};
    Result<UserMenu> menu = tariffs::parseUserMenu(f, 3, nullptr);
    ASSERT_TRUE(menu);
    TotalForm form(s);
    ASSERT_TRUE(form.Form_Load());
    form.setUserMenus({*menu});
    ASSERT_TRUE(form.ApplyUserMenu(0));
    form.setUserMenus({*menu});
    EXPECT_TRUE(form.currentUserMenu());
    UserMenu changed = *menu;
    changed.rate[1] = 18;
    form.setUserMenus({changed});
    EXPECT_FALSE(form.currentUserMenu());
    for (const char* control : {"Label21", "Text1", "Text5", "Label20", "Label11"})
        EXPECT_EQ(form.text(control), "") << control;
    EXPECT_EQ(form.total(), 0);
}

} // namespace
} // namespace wattorio::calc
