// Asking for help: the program's usage, or one command's, on standard output with status 0; an
// unknown command or option is refused.

#include "app/folder_lock.h"
#include "cli/cli_run.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using wattorio::test::cli;

TEST(Usage, HelpIsShownAndMistakesRefused) {
    wattorio::test::TempDir dir;
    const struct {
        const char* args;
        int status;
        const char* shown; // in the output (standard error included)
    } cases[] = {
        {"--help", 0, "compare-sites ["},
        {"calendar --help", 0, "使い方: wattorio-cli [--dir FOLDER] calendar --site ROW"},
        {"price --site 1 --help", 0, "price --site ROW --menu"},
        {"nosuch", 1, "不明なコマンド: nosuch"},
        {"sites --site", 1, "オプション --site に値がありません。"},
        {"--wait -1 sites", 1, "--wait には待つ秒数"},
        {"sites --wait 1e3", 1, "--wait には待つ秒数"},
        {"--wait 0.5 sites", 0, ""},
    };
    for (const auto& c : cases) {
        const auto run = cli(dir.path(), c.args, true);
        EXPECT_EQ(run.status, c.status) << c.args;
        EXPECT_NE(run.out.find(c.shown), std::string::npos) << c.args << "\n" << run.out;
    }
}

// Writers started together take turns instead of failing; one told not to wait is refused at
// once while the folder is held.
TEST(Usage, WritersWaitForTheFolderUnlessToldNotTo) {
    wattorio::test::TempDir dir;
    const std::string add =
        std::string(WATTORIO_CLI_PATH) + " --dir '" + dir.path() +
        "' add-site --name N --multiplier 1 --contract 50 --power-factor 90 --utility 1 2>&1";
    std::vector<FILE*> runs;
    for (int i = 0; i < 8; ++i)
        runs.push_back(popen(add.c_str(), "r"));
    for (FILE* p : runs) {
        ASSERT_NE(p, nullptr);
        char buf[512];
        std::string out;
        while (std::size_t n = fread(buf, 1, sizeof buf, p))
            out.append(buf, n);
        EXPECT_EQ(pclose(p), 0) << out;
    }
    const std::string list = cli(dir.path(), "sites").out;
    EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 8);

    wattorio::Result<wattorio::FolderLock> held = wattorio::FolderLock::take(dir.path());
    ASSERT_TRUE(held.ok());
    const auto refused = cli(dir.path(),
                             "--wait 0 add-site --name M --multiplier 1 --contract 50 "
                             "--power-factor 90 --utility 1",
                             true);
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, std::string(wattorio::kFolderBusy) + "\n");
}

// --dir needs nothing of the current folder, which may be gone.
TEST(Usage, AGivenFolderWorksFromARemovedCurrentFolder) {
    wattorio::test::TempDir dir;
    const std::string gone = dir.path() + "gone";
    const std::string command = "mkdir '" + gone + "' && cd '" + gone + "' && rmdir '" + gone + "' && " +
                                WATTORIO_CLI_PATH + " --dir '" + dir.path() + "' sites 2>&1; echo \"[$?]\"";
    FILE* p = popen(command.c_str(), "r");
    ASSERT_NE(p, nullptr);
    char buf[512];
    std::string out;
    while (std::size_t n = fread(buf, 1, sizeof buf, p))
        out.append(buf, n);
    pclose(p);
    EXPECT_EQ(out, "[0]\n");
}

} // namespace
