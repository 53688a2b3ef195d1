// Which tariff files a site can take.

#include "billing/tariff_ranking.h"

#include <gtest/gtest.h>

using namespace wattorio::billing;

TEST(TariffRanking, ATariffFitsTheSitesAreaCategoryAndSupply) {
    const struct {
        int tariffUtility;
        const char* tariffCategory;
        const char* tariffSupply;
        const char* siteCategory;
        const char* siteSupply;
        bool fits;
    } cases[] = {
        {1, "共通", "高圧", "", "", true},                    // facts not set: area only
        {0, "工場", "特別高圧", "", "", true},                // any area
        {2, "共通", "高圧", "", "", false},                   // another area
        {1, "工場", "高圧", "事務所・ビル・店舗", "", false}, // another category
        {1, "共通", "高圧", "工場", "高圧", true},            // 共通 suits every category
        {1, "共通", "高圧", "工場", "特別高圧", false},       // another supply
    };
    for (const auto& c : cases) {
        Tariff t;
        t.utility = c.tariffUtility;
        t.category = c.tariffCategory;
        t.supply = c.tariffSupply;
        RankingSite site;
        site.utility = 1;
        site.category = c.siteCategory;
        site.supply = c.siteSupply;
        EXPECT_EQ(tariffFits(t, site), c.fits)
            << c.tariffUtility << c.tariffCategory << c.siteCategory << c.siteSupply;
    }
}
