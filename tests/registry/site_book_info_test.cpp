#include "registry/registry.h"
#include "registry/site_book_info.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace wattorio;
using namespace wattorio::registry;

TEST(SiteBookInfoTest, ReadsWhatItWritesAndNothingElse) {
    struct Case {
        const char* stored;
        SiteBookInfo info;
    };
    const Case cases[] = {
        {"", {}},
        {"Y", {BookKind::Year, std::nullopt}},
        {"W", {BookKind::TenDay, std::nullopt}},
        {"Y2024", {BookKind::Year, 2024}},
        {"2019", {std::nullopt, 2019}},
    };
    for (const Case& c : cases) {
        SiteRecord r{};
        setSiteBookInfo(r, c.info);
        EXPECT_EQ(r[kBookInfoField], c.stored);
        EXPECT_EQ(siteBookInfo(r), c.info) << c.stored;
        EXPECT_EQ(storedFieldProblem(r[kBookInfoField]), "");
    }
    // Texts from elsewhere (an older program's leftovers, a hand edit) read as not known.
    for (const char* other : {"Y24", "X2024", "Y2024 ", "y2024", "YW", "Y0000", "Y１２３４", "W-2024"}) {
        SiteRecord r{};
        r[kBookInfoField] = other;
        EXPECT_EQ(siteBookInfo(r), SiteBookInfo{}) << other;
    }
}

TEST(SiteBookInfoTest, StoringSavesTheRegistryOfEverySite) {
    test::TempDir dir;
    AppState state;
    state.AppDir = dir.path();
    for (int r = 1; r <= 3; ++r)
        state.SiteTable[r] = {" " + std::to_string(r), "物件", "1", "100", "90", "1", "", "", ""};
    EXPECT_FALSE(storeSiteBookInfo(state, 4, {BookKind::Year, 2024})); // no site there
    ASSERT_TRUE(storeSiteBookInfo(state, 2, {BookKind::Year, 2024}));
    AppState read;
    read.AppDir = dir.path();
    EXPECT_EQ(loadRegistry(read).nextSiteRow, 4);
    EXPECT_EQ(read.SiteTable[2][kBookInfoField], "Y2024");
    EXPECT_EQ(read.SiteTable[3][1], "物件");
}
