// compare-sites on a copy of the demo folder: every site's ranking is the one compare gives it
// under the site's own category and voltage row, menu for menu, user menus included; a site
// without a book is listed with its reason.

#include "cli/cli_run.h"
#include "registry/registry.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <set>

namespace {

using wattorio::test::cli;
using Json = nlohmann::json;

struct Agreement {
    int sites = 0;
    int checked = 0;
    bool userSeen = false;
    int unset = 0; // sites compared over every menu of their utility
};

// Reads compare-sites --json of `dir` and checks each site's ranking against compare --json of
// that site alone under the same filter, menu for menu, and its best against the first of the
// ranking. With `onePerKind`, only the first site of each utility and book file is checked that way.
Agreement checkAgreement(const std::string& dir, bool onePerKind) {
    Agreement result;
    const auto all = cli(dir, "compare-sites --json");
    EXPECT_EQ(all.status, 0);
    std::set<std::string> kinds;
    for (const Json& site : Json::parse(all.out)) {
        ++result.sites;
        const std::string row = std::to_string(site["row"].get<int>());
        const bool tenDay = site["book"] == "tenday";
        const Json& listed = site["menus"];
        std::string filter;
        if (site["facts"] == "set") {
            filter = std::string(" --category ") + (site["category"] == "工場" ? "factory" : "office") +
                     " --voltage " + std::to_string(site["voltage"].get<int>());
            // Only what the site can sign.
            for (const Json& m : listed)
                EXPECT_TRUE(m["category"] == site["category"] && m["voltage"] == site["voltage"])
                    << m["item"];
        } else {
            ++result.unset;
            EXPECT_EQ(site["note"], "受電・区分が未設定のため、すべてのメニューを比べています");
        }
        const std::string kind =
            site["utility"].dump() + (tenDay ? "W" : "Y") + filter + std::to_string(listed.size());
        if (onePerKind && !kinds.insert(kind).second)
            continue;
        ++result.checked;
        const Json single = Json::parse(
            cli(dir, "compare --site " + row + (tenDay ? " --book tenday" : "") + filter + " --json").out);
        EXPECT_EQ(listed, single["menus"]) << "site " << row;
        if (listed.empty()) {
            ADD_FAILURE() << "site " << row << " has no menus";
            continue;
        }
        EXPECT_EQ(site["best"]["item"], listed[0]["item"]) << row;
        EXPECT_EQ(site["best"]["AmountWithTax"], listed[0]["AmountWithTax"]) << row;
        for (const Json& m : listed)
            result.userSeen = result.userSeen || m["source"] == "user";
    }
    return result;
}

TEST(CompareSites, AgreesWithCompareForEveryDemoSite) {
    wattorio::test::TempDir dir;
    wattorio::test::copyDemoFolder(dir);
    const Agreement agreed = checkAgreement(dir.path(), false);
    EXPECT_EQ(agreed.sites, 3);
    EXPECT_EQ(agreed.checked, 3);
    EXPECT_EQ(agreed.unset, 0);
    EXPECT_TRUE(agreed.userSeen);

    // Without its book a site keeps its place with the reason.
    std::filesystem::remove(dir.file("000002_Y.dat"));
    const auto table = cli(dir.path(), "compare-sites");
    EXPECT_EQ(table.status, 0);
    EXPECT_NE(table.out.find("データがありません"), std::string::npos) << table.out;
}

// 200 sites of the nine utilities, each with its own contract, every tenth on a ten-day book:
// the listing holds every site, and each utility and book kind ranks as compare ranks it.
TEST(CompareSites, AgreesWithCompareOnTwoHundredSites) {
    namespace fs = std::filesystem;
    wattorio::test::TempDir dir;
    const std::string demo = std::string(WATTORIO_SOURCE_DIR) + "/examples/demo/";
    fs::copy_file(demo + "User_Menus.csv", dir.file("User_Menus.csv"));
    wattorio::AppState state;
    state.AppDir = dir.path();
    for (int row = 1; row <= 200; ++row) {
        const std::string serial = wattorio::registry::serialText(row);
        const bool tenDay = row % 10 == 0;
        const std::string source = tenDay ? "000003_W.dat" : row % 2 ? "000001_Y.dat" : "000002_Y.dat";
        fs::copy_file(demo + source, wattorio::registry::Fail_Name_Set(dir.path(), serial, tenDay ? 2 : 1));
        state.SiteTable[static_cast<std::size_t>(row)] = {
            serial, "物件" + std::to_string(row),      "1", std::to_string(450 + row),
            "98",   std::to_string((row - 1) % 9 + 1), "",  "",
            ""};
    }
    ASSERT_TRUE(wattorio::registry::saveRegistry(state, 201));
    const Agreement agreed = checkAgreement(dir.path(), true);
    EXPECT_EQ(agreed.sites, 200);
    EXPECT_EQ(agreed.unset, 200);
    EXPECT_GE(agreed.checked, 18);
}

} // namespace
