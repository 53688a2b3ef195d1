// compare-sites on a copy of the demo folder: every site's ranking is the one compare gives it,
// menu for menu, user menus included; a site without a book is listed with its reason.

#include "cli/cli_run.h"
#include "registry/registry.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <vector>

namespace {

using wattorio::test::cli;

// The menu lines of a JSON listing (each menu is one line starting with {"rank"), comma removed.
std::vector<std::string> menuLines(std::istringstream& in, bool stopAtSite) {
    std::vector<std::string> menus;
    std::string line;
    while (in.peek() != EOF) {
        const auto mark = in.tellg();
        std::getline(in, line);
        const auto start = line.find_first_not_of(' ');
        if (start == std::string::npos)
            continue;
        if (stopAtSite && line.compare(start, 7, "{\"row\":") == 0) {
            in.seekg(mark);
            break;
        }
        if (line.compare(start, 8, "{\"rank\":") != 0)
            continue;
        std::string menu = line.substr(start);
        if (menu.back() == ',')
            menu.pop_back();
        menus.push_back(menu);
    }
    return menus;
}

struct Agreement {
    int sites = 0;
    int checked = 0;
    bool userSeen = false;
};

// Reads compare-sites --json of `dir` and checks each site's ranking against compare --json of
// that site alone, menu for menu, and its best against the first of the ranking. With
// `onePerKind`, only the first site of each utility and book file is checked that way.
Agreement checkAgreement(const std::string& dir, bool onePerKind) {
    Agreement result;
    const auto all = cli(dir, "compare-sites --json");
    EXPECT_EQ(all.status, 0);
    std::istringstream in(all.out);
    std::set<std::string> kinds;
    std::string line;
    while (std::getline(in, line)) {
        if (line.find("{\"row\": ") == std::string::npos)
            continue;
        ++result.sites;
        const std::string row = std::to_string(std::stoi(line.substr(line.find("{\"row\": ") + 8)));
        const bool tenDay = line.find("\"book\": \"tenday\"") != std::string::npos;
        std::vector<std::string> listed = menuLines(in, true);
        const std::string kind = line.substr(line.find("\"utility\": "), 14) + (tenDay ? "W" : "Y") +
                                 std::to_string(listed.size());
        if (onePerKind && !kinds.insert(kind).second)
            continue;
        ++result.checked;
        std::istringstream single(
            cli(dir, "compare --site " + row + (tenDay ? " --book tenday" : "") + " --json").out);
        EXPECT_EQ(listed, menuLines(single, false)) << "site " << row;
        if (listed.empty()) {
            ADD_FAILURE() << "site " << row << " has no menus";
            continue;
        }
        const std::string best = line.substr(line.find("\"best\": ") + 8);
        const std::string item = listed[0].substr(listed[0].find("\"item\": "));
        EXPECT_NE(best.find(item.substr(0, item.find(", \"caption\""))), std::string::npos) << row;
        for (const std::string& m : listed)
            result.userSeen = result.userSeen || m.find("\"source\": \"user\"") != std::string::npos;
    }
    return result;
}

TEST(CompareSites, AgreesWithCompareForEveryDemoSite) {
    wattorio::test::TempDir dir;
    wattorio::test::copyDemoFolder(dir);
    const Agreement agreed = checkAgreement(dir.path(), false);
    EXPECT_EQ(agreed.sites, 3);
    EXPECT_EQ(agreed.checked, 3);
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
    EXPECT_GE(agreed.checked, 18);
}

} // namespace
