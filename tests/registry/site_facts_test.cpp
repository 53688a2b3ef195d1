#include "registry/site_facts.h"

#include <gtest/gtest.h>

using namespace wattorio;
using namespace wattorio::registry;

namespace {

SiteRecord site(std::string mult, std::string kw, std::string pf) {
    return {" 1", "本社ビル", std::move(mult), std::move(kw), std::move(pf), "1", "", "", ""};
}

TEST(SiteFacts, FiguresOutsideTheBoundsAreNamed) {
    struct Case {
        const char* mult;
        const char* kw;
        const char* pf;
        const char* named; // "" = can be priced
    };
    const Case cases[] = {
        {"1", "450", "85", ""},
        {"100000", "10000000", "100", ""},
        {"0.5", "80kW", "1", ""}, // the leading number counts
        {"0", "450", "85", "電力データ倍率"},
        {"-1", "450", "85", "電力データ倍率"},
        {"abc", "450", "85", "電力データ倍率"},
        {"1e39", "450", "85", "電力データ倍率"},
        {"1", "-450", "85", "契約電力"},
        {"1", "1e300", "85", "契約電力"},
        {"1", "", "85", "契約電力"},
        {"1", "450", "0", "年間力率"},
        {"1", "450", "250", "年間力率"},
        {"1", "450", "0.5", "年間力率"},
    };
    for (const Case& c : cases) {
        const std::string problem = siteFiguresProblem(site(c.mult, c.kw, c.pf));
        SCOPED_TRACE(std::string(c.mult) + " / " + c.kw + " / " + c.pf);
        if (*c.named == '\0')
            EXPECT_EQ(problem, "");
        else
            EXPECT_EQ(problem.rfind(c.named, 0), 0u) << problem;
    }
}

TEST(SiteFacts, FactsRoundTripThroughTheReservedFieldsAndUnknownTextReadsUnset) {
    SiteRecord r = site("1", "450", "85");
    EXPECT_FALSE(siteSupply(r));
    EXPECT_FALSE(siteCategory(r));
    setSiteFacts(r, Supply::ExtraHigh, tariffs::Category::Factory);
    EXPECT_EQ(r[kSupplyField], "特別高圧");
    EXPECT_EQ(r[kCategoryField], "工場");
    EXPECT_EQ(siteSupply(r), Supply::ExtraHigh);
    EXPECT_EQ(siteCategory(r), tariffs::Category::Factory);
    setSiteFacts(r, Supply::High, std::nullopt);
    EXPECT_EQ(siteSupply(r), Supply::High);
    EXPECT_EQ(r[kCategoryField], "");
    r[kSupplyField] = "低圧";
    EXPECT_FALSE(siteSupply(r));
}

TEST(SiteFacts, VoltageRowFollowsSupplyContractAndTheTabsRows) {
    // 中部電力 (2) has three rows, 北陸電力 (8) two.
    EXPECT_EQ(tariffs::rowLegend(2).size(), 3u);
    EXPECT_EQ(tariffs::rowLegend(8).size(), 2u);
    struct Case {
        int utility;
        Supply supply;
        double kw;
        int row;
    };
    const Case cases[] = {
        {2, Supply::ExtraHigh, 450, 1}, {2, Supply::High, 500, 2},       {2, Supply::High, 499.9, 3},
        {8, Supply::High, 300, 2},      {8, Supply::ExtraHigh, 9000, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(voltageRowFor(c.utility, c.supply, c.kw), c.row) << c.utility << " " << c.kw;
}

} // namespace
