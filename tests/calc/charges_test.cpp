#include "calc/charges.h"

#include <gtest/gtest.h>

#include <cmath>

namespace wattorio::calc {
namespace {

using tariffs::Formula;

// Monthly tables with a distinct value in every cell: working days b * 1000 + m, days off
// b * 1000 + 500 + m (b = bucket, m = month).
struct YearTable : ::testing::Test {
    MonthTable a{};
    MonthTable b{};
    void SetUp() override {
        for (int k = 0; k < 4; ++k)
            for (int m = 1; m <= 12; ++m) {
                a[k][m] = k * 1000 + m;
                b[k][m] = k * 1000 + 500 + m;
            }
    }
};

TEST_F(YearTable, SeasonsFoldJulyToSeptemberApart) {
    const SeasonTable s = seasonTotals(a, b, 1);
    // Other season: months 1..6 and 10..12 (nine months, month numbers adding to 54).
    EXPECT_EQ(s[0][1], 54);
    EXPECT_EQ(s[1][1], 9054);
    EXPECT_EQ(s[2][1], 18054);
    EXPECT_EQ(s[3][1], 27054);
    EXPECT_EQ(s[4][1], 54162);
    EXPECT_EQ(s[0][2], 4554);
    EXPECT_EQ(s[1][2], 13554);
    EXPECT_EQ(s[3][2], 31554);
    EXPECT_EQ(s[4][2], 67662);
    // Summer: months 7..9 (adding to 24).
    EXPECT_EQ(s[0][3], 24);
    EXPECT_EQ(s[2][3], 6024);
    EXPECT_EQ(s[4][3], 18072);
    EXPECT_EQ(s[0][4], 1524);
    EXPECT_EQ(s[3][4], 10524);
    EXPECT_EQ(s[4][4], 22572);
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(s[c][0], 0);
}

TEST_F(YearTable, NorthernUtilityHasNoSummer) {
    const SeasonTable s = seasonTotals(a, b, 9);
    EXPECT_EQ(s[0][1], 78);
    EXPECT_EQ(s[1][1], 12078);
    EXPECT_EQ(s[3][1], 36078);
    EXPECT_EQ(s[0][2], 6078);
    EXPECT_EQ(s[2][2], 30078);
    EXPECT_EQ(s[4][2], 90234);
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(s[c][3], 0);
        EXPECT_EQ(s[c][4], 0);
    }
}

// Hand-computed lines of every formula over the table of SeasonsFoldJulyToSeptemberApart.
TEST_F(YearTable, FormulaLines) {
    const SeasonTable s = seasonTotals(a, b, 1);
    struct Case {
        Formula formula;
        LineArray lines;
    } cases[] = {
        {Formula::Total_Natsu_Sonota, {0, 40644, 121824, 0, 0, 0, 0}},
        {Formula::Total_Holiday_Natsu_Sonota, {0, 18072, 54162, 0, 90234, 0, 0}},
        {Formula::Total_Peek_Hiru_Yakan_Y, {0, 9024, 51132, 0, 102312, 0, 0}},
        {Formula::Total_Kizibetu_1, {0, 9024, 6024, 45108, 102312, 0, 0}},
        {Formula::Total_kizibet_Yakan_2, {0, 9024, 6024, 45108, 25596, 76716, 0}},
        {Formula::Total_Kizibetu_2, {0, 22572, 67662, 18072, 54162, 0, 0}},
        // The northern formulas read rows 1 and 2 only; Total_Hokuden_2 also leaves out the
        // working-day peak of the other season.
        {Formula::Total_Hokuden_1, {0, 121824, 0, 0, 0, 0, 0}},
        {Formula::Total_Hokuden_2, {0, 18054, 76716, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(tariffs::formulaName(c.formula)));
        const LineArray lines = formulaLines(c.formula, s);
        EXPECT_EQ(lines, c.lines);
        const bool northern = c.formula == Formula::Total_Hokuden_1 || c.formula == Formula::Total_Hokuden_2;
        if (!northern) {
            EXPECT_EQ(formulaTotalKwh(c.formula, lines), 162468); // every line adds up to the year
        }
    }
}

TEST_F(YearTable, NorthernFormulasOnTheirOwnTable) {
    for (int m = 1; m <= 12; ++m) {
        a[3][m] = 0; // no peak band
        b[3][m] = 0;
    }
    const SeasonTable s = seasonTotals(a, b, 9);
    // Working days: night 12078, day 24078; days off: night 18078, day 30078.
    EXPECT_EQ(formulaLines(Formula::Total_Hokuden_1, s), (LineArray{0, 48156 + 36156, 0, 0, 0, 0, 0}));
    EXPECT_EQ(formulaLines(Formula::Total_Hokuden_2, s),
              (LineArray{0, 24078, 12078 + 18078 + 30078, 0, 0, 0, 0}));
    // Seasonal formulas on a year without summer price everything as the other season.
    const LineArray k = formulaLines(Formula::Total_Kizibetu_1, s);
    EXPECT_EQ(k[1], 0);
    EXPECT_EQ(k[2], 0);
    EXPECT_EQ(k[3], 24078);
    EXPECT_EQ(formulaTotalKwh(Formula::Total_Kizibetu_1, k), 84312);
}

TEST(Charges, WorkedExample) {
    LineArray kwh{};
    kwh[1] = 10000;
    RateValues r;
    r.demand = 1638;
    r.rate[1] = 12.00;
    const Charges c = computeCharges(kwh, r, 100, 100);
    EXPECT_EQ(c.lineCharge[0], 1670760);
    EXPECT_EQ(c.lineCharge[1], 120000);
    EXPECT_EQ(c.total, 1790760);
    EXPECT_DOUBLE_EQ(c.totalWithTax, 1880298);
}

TEST(Charges, PowerFactorCorrectionWithoutLimits) {
    const LineArray none{};
    RateValues r;
    r.demand = 1000;
    EXPECT_EQ(computeCharges(none, r, 100, 85).lineCharge[0], 1200000);
    EXPECT_EQ(computeCharges(none, r, 100, 100).lineCharge[0], 1020000);
    EXPECT_EQ(computeCharges(none, r, 100, 80).lineCharge[0], 1260000);
    EXPECT_EQ(computeCharges(none, r, 100, 185).lineCharge[0], 0);
    EXPECT_EQ(computeCharges(none, r, 100, 0).lineCharge[0], 2220000);
    EXPECT_EQ(computeCharges(none, r, 100, 200).lineCharge[0], -180000);
}

TEST(Charges, DemandChargeRoundedDownOnceAfterTwelveMonths) {
    const LineArray none{};
    RateValues r;
    r.demand = 1.5;
    // 4.5 yen a month: 54 a year (rounding each month first would give 48).
    EXPECT_EQ(computeCharges(none, r, 3, 85).lineCharge[0], 54);
    r.demand = 1.01;
    EXPECT_EQ(computeCharges(none, r, 7, 85).lineCharge[0], 84); // 84.84
    r.demand = -1.01;
    EXPECT_EQ(computeCharges(none, r, 7, 85).lineCharge[0], -85); // down, not toward zero
}

TEST(Charges, EnergyChargesKeepFractionsAndAddInOrder) {
    LineArray kwh{0, 1, 2, 3, 4, 5, 99};
    RateValues r;
    r.rate = {0, 0.5, 0.25, 0.125, 1, 2};
    const Charges c = computeCharges(kwh, r, 0, 100);
    EXPECT_EQ(c.lineCharge, (LineArray{0, 0.5, 0.5, 0.375, 4, 10, 0}));
    EXPECT_EQ(c.total, 15.375);
    EXPECT_EQ(c.totalWithTax, 15.375 * 1.05);
}

TEST(Charges, HugeFiguresStayNumbers) {
    LineArray kwh{};
    kwh[1] = 1e300;
    RateValues r;
    r.rate[1] = 1e10;
    const Charges c = computeCharges(kwh, r, 1e300, 100);
    EXPECT_TRUE(std::isinf(c.total));
}

} // namespace
} // namespace wattorio::calc
