// compare-sites on a copy of the demo folder: every site's ranking is the one compare gives it,
// menu for menu, user menus included; a site without a book is listed with its reason.

#include "cli/cli_run.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
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

TEST(CompareSites, AgreesWithCompareForEveryDemoSite) {
    wattorio::test::TempDir dir;
    std::filesystem::copy(std::string(WATTORIO_SOURCE_DIR) + "/examples/demo", dir.path());
    const auto all = cli(dir.path(), "compare-sites --json");
    ASSERT_EQ(all.status, 0);
    std::istringstream in(all.out);
    std::string line;
    int sites = 0;
    bool userSeen = false;
    while (std::getline(in, line)) {
        if (line.find("{\"row\": ") == std::string::npos)
            continue;
        ++sites;
        const std::string row = std::to_string(std::stoi(line.substr(line.find("{\"row\": ") + 8)));
        const bool tenDay = line.find("\"book\": \"tenday\"") != std::string::npos;
        std::vector<std::string> listed = menuLines(in, true);
        std::istringstream single(
            cli(dir.path(), "compare --site " + row + (tenDay ? " --book tenday" : "") + " --json").out);
        EXPECT_EQ(listed, menuLines(single, false)) << "site " << row;
        ASSERT_FALSE(listed.empty());
        // The best is the first of the ranking.
        const std::string best = line.substr(line.find("\"best\": ") + 8);
        const std::string item = listed[0].substr(listed[0].find("\"item\": "));
        EXPECT_EQ(best.find(item.substr(0, item.find(", \"caption\""))) != std::string::npos, true) << row;
        for (const std::string& m : listed)
            userSeen = userSeen || m.find("\"source\": \"user\"") != std::string::npos;
    }
    EXPECT_EQ(sites, 3);
    EXPECT_TRUE(userSeen);

    // Without its book a site keeps its place with the reason.
    std::filesystem::remove(dir.file("000002_Y.dat"));
    const auto table = cli(dir.path(), "compare-sites");
    EXPECT_EQ(table.status, 0);
    EXPECT_NE(table.out.find("データがありません"), std::string::npos) << table.out;
}

} // namespace
