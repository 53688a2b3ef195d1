#include "calc/total_form.h"

#include "app/numtext.h"
#include "calc_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace wattorio::calc {
namespace {

using test::ScriptedPrompter;

// A site of 100 kW at power factor 100 with a year of monthly totals that puts a distinct figure
// into every cell of the year table (see the formula tests).
struct Form : ::testing::Test {
    std::unique_ptr<AppState> state = std::make_unique<AppState>();
    AppState& s = *state;
    ScriptedPrompter prompter;

    void SetUp() override {
        test::setSite(s, 1);
        s.VersionText = "高圧・特別高圧電力　料金メニュー比較";
        for (int k = 0; k < 4; ++k)
            for (int m = 1; m <= 12; ++m) {
                s.MonthTotalA[k][m] = k * 1000 + m;
                s.MonthTotalB[k][m] = k * 1000 + 500 + m;
            }
    }
    std::unique_ptr<TotalForm> loaded() {
        auto form = std::make_unique<TotalForm>(s);
        EXPECT_TRUE(form->Form_Load());
        return form;
    }
};

TEST_F(Form, LoadSetsTitleLabelsGridAndTab) {
    s.UtilityNo = 4;
    s.SiteTable[1][3] = "1234.6";
    s.SiteTable[1][4] = "95.5";
    auto f = loaded();
    EXPECT_EQ(f->title(),
              "  年間の電力金" + std::string(90, ' ') + "高圧・特別高圧電力　料金メニュー比較   Ver  1.02");
    EXPECT_EQ(f->text("Label33"), "関西電力の集計");
    EXPECT_EQ(f->text("Label10"), "  名 称   テストビル  ");
    EXPECT_EQ(f->text("Label17"), "契約電力　　（力率　95.5％）");
    EXPECT_EQ(f->text("Label18"), "1,235 kW ");
    EXPECT_EQ(f->text("Label45"), "関西電力");
    EXPECT_EQ(f->currentTab(), 3);
    for (const char* blank :
         {"Text1", "Text5", "Label21", "Label1", "Label9", "Label11", "Label19", "Label20", "Label22"})
        EXPECT_EQ(f->text(blank), "") << blank;
    // Captions that no procedure has replaced yet.
    EXPECT_EQ(f->text("Label5"), "ピーク時間");
    EXPECT_EQ(f->text("Label8"), "夜間");
    for (int list = 1; list <= 46; ++list) {
        EXPECT_EQ(f->comboIndex(list), -1);
        EXPECT_EQ(f->text("Combo" + std::to_string(list)), "");
    }
}

TEST_F(Form, YearTableGrid) {
    auto f = loaded();
    const TextGrid& g = f->MSFlexGrid1();
    ASSERT_EQ(g.rows(), 6);
    ASSERT_EQ(g.cols(), 7);
    EXPECT_EQ(g.fixedCols(), 1);
    EXPECT_EQ(g.text(0, 1), "種別");
    EXPECT_EQ(g.text(2, 1), "その他季休日");
    EXPECT_EQ(g.text(5, 1), "  合 計");
    EXPECT_EQ(g.text(0, 5), "ピーク");
    EXPECT_EQ(g.text(3, 0), "3");
    EXPECT_EQ(g.text(5, 0), "");
    EXPECT_EQ(g.colWidth(0), 350);
    EXPECT_EQ(g.colWidth(1), 1400);
    EXPECT_EQ(g.colWidth(2), 600);
    EXPECT_EQ(g.colWidth(6), 1200);
    EXPECT_EQ(g.rowHeight(0), 400);
    EXPECT_EQ(g.rowHeight(5), 350);
    EXPECT_EQ(g.background(1, 0), 0xC0FFFFu);
    EXPECT_EQ(g.background(4, 6), 0xC0FFFFu);
    EXPECT_EQ(g.background(5, 3), 0xFFFFC0u);
    EXPECT_EQ(g.text(1, 2), "54");
    EXPECT_EQ(g.text(1, 3), "9,054");
    EXPECT_EQ(g.text(4, 6), "22,572");
    EXPECT_EQ(g.text(5, 2), "6,156"); // 54 + 4554 + 24 + 1524
    EXPECT_EQ(g.text(5, 6), "162,468");
}

TEST_F(Form, NorthernSiteLeavesSummerRowsAndZerosEmpty) {
    s.UtilityNo = 9;
    for (int m = 1; m <= 12; ++m)
        s.MonthTotalA[3][m] = s.MonthTotalB[3][m] = 0;
    auto f = loaded();
    const TextGrid& g = f->MSFlexGrid1();
    for (int c = 2; c <= 6; ++c) {
        EXPECT_EQ(g.text(3, c), "");
        EXPECT_EQ(g.text(4, c), "");
    }
    EXPECT_EQ(g.text(1, 5), "");
    EXPECT_EQ(g.text(1, 2), "78");
    EXPECT_EQ(f->text("Label45"), "北海道電力");
}

TEST_F(Form, LoadRefusedWithoutUtilityOrSite) {
    for (float u : {0.0f, 10.0f, -1.0f}) {
        s.UtilityNo = u;
        TotalForm f(s);
        EXPECT_FALSE(f.Form_Load());
        EXPECT_EQ(f.title(), "");
    }
    s.UtilityNo = 1;
    s.SiteRow = 202;
    TotalForm f(s);
    EXPECT_FALSE(f.Form_Load());
}

TEST_F(Form, PanelLayouts) {
    auto f = loaded();
    auto shown = [&](std::initializer_list<const char*> names) {
        std::string out;
        for (const char* n : names)
            out += f->visible(n) ? "1" : "0";
        return out;
    };
    const auto line3 = {"Label7", "Label3", "Label15", "Text3"};
    const auto line4 = {"Label8", "Label4", "Label16", "Text4"};
    const auto line5 = {"Label58", "Label59", "Label60", "Text6"};
    const auto line2 = {"Label6", "Label2", "Label14", "Text2"};
    f->setText("Text3", "9");
    f->setText("Text2", "8");
    f->Total_CRT_set(0);
    EXPECT_EQ(shown(line2) + shown(line3) + shown(line4) + shown(line5), "1111"
                                                                         "0000"
                                                                         "0000"
                                                                         "0000");
    EXPECT_EQ(f->text("Text3"), "");
    EXPECT_EQ(f->text("Label5"), "");
    f->Total_CRT_set(2);
    EXPECT_EQ(shown(line3) + shown(line4) + shown(line5), "1111"
                                                          "1111"
                                                          "0000");
    f->Total_CRT_set(3);
    EXPECT_EQ(shown(line3) + shown(line4) + shown(line5), "1111"
                                                          "1111"
                                                          "1111");
    f->Total_CRT_set(4);
    EXPECT_EQ(shown(line3) + shown(line4) + shown(line5), "0000"
                                                          "1111"
                                                          "0000");
    f->Total_CRT_set(5);
    EXPECT_EQ(shown(line2) + shown(line3) + shown(line4), "0000"
                                                          "0000"
                                                          "0000");
    EXPECT_EQ(f->text("Text2"), "8"); // hidden, text kept
    f->Total_CRT_set(7);
    EXPECT_EQ(shown(line2) + shown(line3), "1111"
                                           "0000");
    EXPECT_TRUE(f->visible("Label18"));
    EXPECT_TRUE(f->visible("Text5"));
}

TEST_F(Form, WorkedExampleOnThePanel) {
    auto f = loaded();
    f->Total_CRT_set(0);
    f->setText("Text5", "1638");
    f->setText("Text1", "12.00");
    f->setText("Text2", "");
    // Line 1 = 10000 kWh: a year table with only summer working-day night kWh of 10000.
    for (auto& row : s.MonthTotalA)
        row.fill(0);
    for (auto& row : s.MonthTotalB)
        row.fill(0);
    s.MonthTotalA[1][7] = 10000;
    f->Nen_Total();
    f->Total_Natsu_Sonota();
    EXPECT_EQ(f->LineKwh()[1], 10000);
    EXPECT_EQ(f->text("Label1"), "10,000 kWh");
    EXPECT_EQ(f->text("Label2"), " kWh");
    f->Command10_Click();
    EXPECT_EQ(f->LineCharge()[0], 1670760);
    EXPECT_EQ(f->text("Label19"), "1,670,760 円");
    EXPECT_EQ(f->text("Label13"), "120,000 円");
    EXPECT_EQ(f->text("Label14"), " 円"); // lines 1 and 2 show the unit even for 0
    EXPECT_EQ(f->text("Label15"), "");    // lines 3 to 5 are left empty for 0
    EXPECT_EQ(f->text("Label60"), "");
    EXPECT_EQ(f->total(), 1790760);
    EXPECT_EQ(f->text("Label20"), "1,790,760 円");
    EXPECT_EQ(f->text("Label11"), "消費税含む    　1,880,298 円");
}

TEST_F(Form, RecalculateBeforeAnyMenuPricesEmptyBoxes) {
    auto f = loaded();
    f->Command10_Click();
    EXPECT_EQ(f->total(), 0);
    EXPECT_EQ(f->text("Label19"), " 円");
    EXPECT_EQ(f->text("Label20"), " 円");
    EXPECT_EQ(f->text("Label11"), "消費税含む    　 円");
}

TEST_F(Form, TokyoMenuWithTheTypingErrorOfItsSibling) {
    auto f = loaded();
    ASSERT_TRUE(f->ApplyTariffMenu(42, 0, prompter));
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(f->text("Label21"), "業務用電力 6kV供給");
    EXPECT_EQ(f->text("Text5"), "1638");
    EXPECT_EQ(f->text("Text1"), "12.00");
    EXPECT_EQ(f->text("Text2"), "10.90");
    EXPECT_EQ(f->text("Label5"), "夏季");
    EXPECT_EQ(f->text("Label6"), "その他季");
    EXPECT_EQ(f->text("Label1"), "40,644 kWh");
    EXPECT_EQ(f->text("Label2"), "121,824 kWh");
    EXPECT_EQ(f->text("Label9"), "162,468 kWh");
    EXPECT_FALSE(f->visible("Text3"));
    EXPECT_FALSE(f->visible("Label16"));
    // 1638 x 100 x 0.85 x 12 + 12 x 40644 + 10.90 x 121824
    EXPECT_EQ(f->LineCharge()[0], 1670760);
    EXPECT_DOUBLE_EQ(f->LineCharge()[1], 487728);
    EXPECT_DOUBLE_EQ(f->LineCharge()[2], 1327881.6);
    EXPECT_EQ(f->text("Label14"), "1,327,882 円");
    EXPECT_EQ(f->text("Label20"), "3,486,370 円");
    EXPECT_EQ(f->text("Label11"), "消費税含む    　3,660,688 円"); // 3,486,369.6 x 1.05 = 3,660,688.08
    EXPECT_EQ(f->text("Combo42"), "業務用電力");
    EXPECT_EQ(f->comboIndex(42), 0);
    EXPECT_EQ(f->currentMenu(), tariffs::findMenu(42, 0));
}

TEST_F(Form, NewTotalsRepriceTheChosenMenuOnTheTypedRates) {
    auto f = loaded();
    ASSERT_TRUE(f->ApplyTariffMenu(42, 0, prompter));
    f->setText("Text1", "20.00");
    f->Command7_Click();
    const std::string yearTotal = f->MSFlexGrid1().text(5, 2);
    for (int k = 0; k < 4; ++k)
        for (int m = 1; m <= 12; ++m)
            s.MonthTotalA[k][m] *= 2;
    f->refreshFromTotals();
    EXPECT_NE(f->MSFlexGrid1().text(5, 2), yearTotal);
    EXPECT_EQ(f->text("Text1"), "20.00");
    EXPECT_EQ(f->currentMenu(), tariffs::findMenu(42, 0));
    EXPECT_EQ(f->text("Label21"), "業務用電力 6kV供給（単価変更）");
    // The same menu, rates and totals priced from scratch give the same charge.
    auto fresh = loaded();
    ASSERT_TRUE(fresh->ApplyTariffMenu(42, 0, prompter));
    fresh->setText("Text1", "20.00");
    fresh->Command10_Click();
    EXPECT_EQ(f->text("Label20"), fresh->text("Label20"));
    EXPECT_EQ(f->text("Label11"), fresh->text("Label11"));
    fresh->Command7_Click();
    EXPECT_EQ(f->MSFlexGrid2().text(1, 2), fresh->MSFlexGrid2().text(1, 2));
}

TEST_F(Form, ChoosingBlanksTheOtherListsOfTheTabOnly) {
    auto f = loaded();
    f->ApplyTariffMenu(37, 0, prompter);
    f->ApplyTariffMenu(41, 2, prompter);
    f->ApplyTariffMenu(44, 1, prompter);
    EXPECT_EQ(f->text("Combo41"), "");
    EXPECT_EQ(f->comboIndex(41), -1);
    EXPECT_EQ(f->text("Combo44"), "特別高圧電力B 60kV供給");
    EXPECT_EQ(f->text("Combo37"), "業務用特別高圧電力 30kV供給"); // another tab keeps its text
    EXPECT_FALSE(f->ApplyTariffMenu(44, 6, prompter));
    EXPECT_FALSE(f->ApplyTariffMenu(47, 0, prompter));
    EXPECT_EQ(f->text("Combo44"), "特別高圧電力B 60kV供給");
}

TEST_F(Form, SaturdayQuestionCancelKeepsTheFormerMenu) {
    s.UtilityNo = 2;
    auto f = loaded();
    ASSERT_TRUE(f->ApplyTariffMenu(3, 0, prompter));
    const double before = f->total();
    const std::string captionBefore = f->text("Label21");
    f->ApplyTariffMenu(2, 1, prompter); // asks
    ASSERT_EQ(prompter.shown.size(), 1u);
    prompter.answers = {Answer::Cancel};
    prompter.shown.clear();
    f->ApplyTariffMenu(3, 0, prompter);
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_FALSE(f->ApplyTariffMenu(3, 3, prompter));
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "土曜日を休日に設定していますか。");
    EXPECT_EQ(prompter.shown[0].title, "確認メッセージ");
    EXPECT_EQ(prompter.shown[0].buttons, Buttons::OkCancel);
    EXPECT_EQ(f->total(), before);
    EXPECT_EQ(f->text("Label21"), captionBefore);
    EXPECT_EQ(f->text("Text1"), "11.71");
    EXPECT_EQ(f->text("Combo3"), "業務用ｳｲｰｸｴﾝﾄﾞ　プランＡ");
    for (int list : {1, 2, 4, 5, 6})
        EXPECT_EQ(f->comboIndex(list), -1);

    ASSERT_TRUE(f->ApplyTariffMenu(3, 3, prompter)); // OK
    EXPECT_EQ(f->text("Label21"), "事務所　業務用ｳｲｰｸｴﾝﾄﾞ　プランＡ (2006/04)");
    EXPECT_EQ(f->text("Label8"), "休  日 (土曜+日曜+国民の休日)");
    EXPECT_EQ(f->text("Text3"), "");
    EXPECT_EQ(f->text("Text4"), "8.76");
    EXPECT_FALSE(f->visible("Text3"));
    EXPECT_TRUE(f->visible("Text4"));
    EXPECT_EQ(f->LineKwh()[4], 90234);
    prompter.shown.clear();
    f->ApplyTariffMenu(2, 3, prompter);
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(Form, ChubuMenusLayTheirBoxesOut) {
    s.UtilityNo = 2;
    auto f = loaded();
    ASSERT_TRUE(f->ApplyTariffMenu(1, 0, prompter));
    EXPECT_EQ(f->text("Label5"), "重負荷時間");
    EXPECT_EQ(f->text("Text3"), "");
    EXPECT_EQ(f->text("Text4"), "7.4");
    EXPECT_TRUE(f->visible("Text4"));
    EXPECT_TRUE(f->visible("Label8"));
    EXPECT_EQ(f->text("Label11").rfind("消費税含む    　", 0), 0u); // no tax note on this tab
    ASSERT_TRUE(f->ApplyTariffMenu(1, 6, prompter));
    EXPECT_FALSE(f->visible("Text4"));
    EXPECT_EQ(f->text("Text4"), "");
    EXPECT_EQ(f->text("Label16"), "");
}

// A fifth rate line left from a menu of another tab must not stay on the panel with its kWh.
TEST_F(Form, ChubuMenuAfterTheFiveLineLayoutClearsTheFifthLine) {
    s.UtilityNo = 2;
    auto f = loaded();
    ASSERT_TRUE(f->ApplyTariffMenu(19, 0, prompter));
    EXPECT_TRUE(f->visible("Label59"));
    EXPECT_EQ(f->text("Text6"), "11.16");
    EXPECT_EQ(f->text("Label58"), "夜間時間  (その他夜間＋休日終日)");
    EXPECT_EQ(f->text("Label59"), "76,716 kWh");
    EXPECT_EQ(f->text("Label9"), "162,468 kWh");
    ASSERT_TRUE(f->ApplyTariffMenu(1, 0, prompter));
    for (const char* n : {"Label58", "Label59", "Label60", "Text6"}) {
        EXPECT_FALSE(f->visible(n)) << n;
        EXPECT_EQ(f->text(n), "") << n;
    }
    EXPECT_EQ(f->LineCharge()[5], 0);
}

TEST_F(Form, TaxNoteListsAndRecalculation) {
    auto f = loaded();
    ASSERT_TRUE(f->ApplyTariffMenu(15, 1, prompter));
    EXPECT_EQ(f->text("Text5"), "1816.50"); // the sound value, as its twin
    EXPECT_EQ(f->text("Label11"), "消費税含む");
    const std::string kwh1 = f->text("Label1");
    f->setText("Text1", "0");
    f->setText("Text2", "abc");
    f->setText("Text5", "1000円");
    f->Command10_Click();
    EXPECT_EQ(f->text("Label1"), kwh1); // kWh split unchanged
    EXPECT_EQ(f->LineCharge()[0], 1020000);
    EXPECT_EQ(f->total(), 1020000);
    // The rates of this list include the tax: nothing is added on recalculation either.
    EXPECT_EQ(f->text("Label11"), "消費税含む");
    EXPECT_EQ(f->text("Label13"), " 円");
}

// A rate typed after the last pricing makes the panel stale until 再 計 算; the caption says the
// menu's rates were edited, and goes back when they are the menu's own again.
TEST_F(Form, EditedRatesAreMarkedAndStaleUntilPriced) {
    auto f = loaded();
    ASSERT_TRUE(f->ApplyTariffMenu(42, 0, prompter));
    const std::string own = f->text("Text1");
    EXPECT_FALSE(f->ratesStale());
    f->setText("Text1", "10.00");
    EXPECT_TRUE(f->ratesStale());
    EXPECT_EQ(f->text("Label21"), "業務用電力 6kV供給");
    f->Command10_Click();
    EXPECT_FALSE(f->ratesStale());
    EXPECT_EQ(f->text("Label21"), "業務用電力 6kV供給（単価変更）");
    f->setText("Text1", own);
    f->Command10_Click();
    EXPECT_EQ(f->text("Label21"), "業務用電力 6kV供給");
}

TEST_F(Form, NorthernOneRateMenu) {
    s.UtilityNo = 9;
    auto f = loaded();
    f->setText("Text2", "5");
    ASSERT_TRUE(f->ApplyTariffMenu(39, 4, prompter));
    EXPECT_EQ(f->text("Text5"), "2280.60");
    EXPECT_EQ(f->text("Text1"), "10.35");
    EXPECT_EQ(f->text("Text2"), "5");
    EXPECT_FALSE(f->visible("Text2"));
    EXPECT_FALSE(f->visible("Label2"));
    EXPECT_EQ(f->text("Label5"), "電力量");
    EXPECT_EQ(f->text("Label6"), "");
    EXPECT_EQ(f->LineKwh()[2], 0);
    EXPECT_EQ(f->LineCharge()[2], 0);
    EXPECT_EQ(f->text("Label11"), "消費税含む");
}

TEST_F(Form, ThreeKindsOfRateTexts) {
    auto f = loaded();
    f->setText("Text6", "typed");
    ASSERT_TRUE(f->ApplyTariffMenu(41, 2, prompter));
    EXPECT_EQ(f->text("Text4"), "6.95");
    f->setText("Text3", "typed");
    ASSERT_TRUE(f->ApplyTariffMenu(41, 0, prompter)); // layout 0 empties Text3 and Text4
    EXPECT_EQ(f->text("Text3"), "");
    EXPECT_EQ(f->text("Text4"), "");
    EXPECT_EQ(f->text("Text5"), "1510.00");
    EXPECT_EQ(f->text("Text6"), ""); // the layout procedure empties it
    // The 中部電力 menus write "" into Text3 themselves.
    f->setText("Text3", "typed");
    ASSERT_TRUE(f->ApplyTariffMenu(1, 6, prompter));
    EXPECT_EQ(f->text("Text3"), "");
    EXPECT_EQ(f->text("Text2"), "9.54");
}

TEST_F(Form, TabChangeNamesTheUtilityOnly) {
    auto f = loaded();
    f->ApplyTariffMenu(42, 1, prompter);
    const double total = f->total();
    f->SSTab1_Click(8);
    // Label45 names the utility of the menu being priced, not the tab browsed.
    EXPECT_EQ(f->text("Label45"), "東京電力");
    EXPECT_EQ(f->currentTab(), 8);
    EXPECT_EQ(f->total(), total);
    EXPECT_EQ(f->text("Label33"), "東京電力の集計");
    f->SSTab1_Click(9); // the 自由メニュー tab
    EXPECT_EQ(f->text("Label45"), "東京電力");
    EXPECT_EQ(f->total(), total);
    f->SSTab1_Click(10);
    EXPECT_EQ(f->currentTab(), 9);
}

TEST_F(Form, ListenerFiresOncePerOperation) {
    auto f = loaded();
    int calls = 0;
    f->setListener([&] { ++calls; });
    f->ApplyTariffMenu(42, 1, prompter);
    EXPECT_EQ(calls, 1);
    f->setText("Text1", "1");
    f->Command10_Click();
    EXPECT_EQ(calls, 3);
}

// The form and the command line's pricing give the same doubles for every menu of the catalog.
TEST_F(Form, EveryMenuPricedAsTheFastPath) {
    auto base = loaded();
    const SeasonTable season = seasonTotals(s);
    ASSERT_EQ(tariffs::allMenus().size(), 191u);
    for (const tariffs::TariffMenu& m : tariffs::allMenus()) {
        TotalForm f = *base;
        ASSERT_TRUE(f.ApplyTariffMenu(m.list, m.index, prompter));
        const MenuPrice p = priceMenu(m, season, 100, 100);
        EXPECT_EQ(f.LineKwh(), p.lineKwh) << m.list << ":" << m.index;
        EXPECT_EQ(f.LineCharge(), p.charges.lineCharge) << m.list << ":" << m.index;
        EXPECT_EQ(f.total(), p.charges.total);
        EXPECT_EQ(f.totalWithTax(), p.charges.totalWithTax);
        EXPECT_EQ(f.text("Label21"), m.caption);
        EXPECT_EQ(f.visible("Text6"), m.layout == tariffs::Layout::L3);
    }
}

TEST_F(Form, AnalysisDisplaysAndSpreadsheetModes) {
    auto f = loaded();
    s.PeakDemand[1] = 1234.5;
    s.PeakDemandDay[1] = 5;
    s.PeakDemandHour[1] = 13;
    EXPECT_FALSE(f->Command18_Click());
    EXPECT_EQ(f->text("Label22"), "月時間の最大使用量");
    EXPECT_EQ(f->MSFlexGrid2().text(1, 1), "5 日");
    EXPECT_EQ(s.ExcelMode, 0);
    f->setChecked(2, true);
    EXPECT_TRUE(f->Command18_Click());
    EXPECT_EQ(s.ExcelMode, 6);
    EXPECT_FALSE(f->Command19_Click());
    EXPECT_EQ(f->text("Label22"), "時間帯別平均電力");
    f->setChecked(3, true);
    EXPECT_TRUE(f->Command19_Click());
    EXPECT_EQ(s.ExcelMode, 7);
    EXPECT_FALSE(f->Command7_Click());
    EXPECT_EQ(f->text("Label22"), "月別電気使用量");
    EXPECT_EQ(f->MSFlexGrid2().rows(), 41);
    f->setChecked(1, true);
    EXPECT_TRUE(f->Command7_Click());
    EXPECT_EQ(s.ExcelMode, 2);
    f->Command8_Click();
    EXPECT_EQ(s.ExcelMode, 3);
    f->Command2_Click();
    EXPECT_EQ(s.ExcelMode, 5);
}

TEST_F(Form, TenDayBookLeavesTheHourlyTablesEmptyAndRefusesTheirReport) {
    auto f = loaded();
    s.PeakDemand[1] = 322;
    s.PeakDemandDay[1] = 14;
    s.HourAverage[9] = 50;
    f->setTenDayBook(true);
    f->setChecked(2, true);
    f->setChecked(3, true);
    for (bool hours : {false, true}) {
        s.ExcelMode = 0;
        EXPECT_FALSE(hours ? f->Command19_Click() : f->Command18_Click());
        EXPECT_NE(f->text("Label22").find("１０日集計用の物件では計算しません。"), std::string::npos);
        EXPECT_EQ(f->MSFlexGrid2().text(1, 0), hours ? "0時" : "1 月");
        for (int r = 1; r < f->MSFlexGrid2().rows(); ++r)
            EXPECT_EQ(f->MSFlexGrid2().text(r, 1), "");
        ASSERT_TRUE(f->reportRefusal());
        EXPECT_EQ(s.ExcelMode, 0);
    }
    f->setTenDayBook(false);
    EXPECT_TRUE(f->Command18_Click());
    EXPECT_FALSE(f->reportRefusal());
    EXPECT_EQ(f->MSFlexGrid2().text(1, 1), "14 日");
}

TEST_F(Form, HugeFiguresShowWithoutCrashing) {
    for (int m = 1; m <= 12; ++m)
        s.MonthTotalA[1][m] = 1e308;
    auto f = loaded();
    ASSERT_TRUE(f->ApplyTariffMenu(41, 2, prompter));
    EXPECT_FALSE(std::isfinite(f->total()));
    EXPECT_EQ(f->MSFlexGrid1().text(1, 3), "********");
    EXPECT_NE(f->text("Label20"), "");
}

} // namespace
} // namespace wattorio::calc
