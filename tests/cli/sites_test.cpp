// wattorio-cli run as a user would, on a temporary working folder.

#include "app/folder_lock.h"
#include "cli/cli_run.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>

using wattorio::test::cli;
using wattorio::test::CliRun;

TEST(CliSitesTest, AddThenListAsJson) {
    wattorio::test::TempDir dir;
    EXPECT_EQ(cli(dir.path(), "sites --json").out, "[]\n");
    CliRun refused =
        cli(dir.path(), "add-site --name 'a.b' --multiplier 1 --contract 50 --power-factor 90 --utility 1");
    EXPECT_EQ(refused.status, 2);
    EXPECT_FALSE(dir.exists("Mt_Menu.dat"));
    CliRun added =
        cli(dir.path(), "add-site --name 工場 --multiplier 20 --contract 600 --power-factor 95 --utility 4");
    EXPECT_EQ(added.status, 0);
    EXPECT_EQ(cli(dir.path(), "sites --json").out, "[\n {\"row\": 1, \"serial\": \" 1\", \"name\": \"工場\", "
                                                   "\"multiplier\": \"20\", \"contract\": \"600\", "
                                                   "\"power_factor\": \"95\", \"utility\": 4}\n]\n");
}

TEST(CliSitesTest, UnknownCommandAndMissingFolderFail) {
    wattorio::test::TempDir dir;
    EXPECT_EQ(cli(dir.path(), "no-such-command").status, 1);
    EXPECT_EQ(cli(dir.path() + "missing", "sites").status, 1);
}

TEST(CliSitesTest, AFieldThatWouldForgeARecordIsRefused) {
    wattorio::test::TempDir dir;
    CliRun forged =
        cli(dir.path(), "add-site --name X --multiplier '1\",\"100\",\"90\",\"1\",\"\",\"\",\"\",\"../../"
                        "outside/escaped\",\"EVIL\",\"1' --contract 100 --power-factor 90 --utility 1");
    EXPECT_EQ(forged.status, 2);
    EXPECT_FALSE(dir.exists("Mt_Menu.dat"));
}

// Writers of one folder take turns: a writer refused because the folder is busy says so and
// writes nothing, and every site reported as registered is there afterwards under its own serial.
TEST(CliSitesTest, WritersOfOneFolderNeverLoseASite) {
    wattorio::test::TempDir dir;
    const std::string add =
        std::string(WATTORIO_CLI_PATH) + " --dir '" + dir.path() +
        "' add-site --name N --multiplier 1 --contract 50 --power-factor 90 --utility 1 2>&1";
    int registered = 0;
    for (int round = 0; round < 5; ++round) {
        FILE* a = popen(add.c_str(), "r");
        FILE* b = popen(add.c_str(), "r");
        ASSERT_TRUE(a && b);
        for (FILE* p : {a, b}) {
            std::string out;
            char buf[512];
            while (std::size_t n = fread(buf, 1, sizeof buf, p))
                out.append(buf, n);
            const int raw = pclose(p);
            if (WIFEXITED(raw) && WEXITSTATUS(raw) == 0) {
                EXPECT_EQ(out, "登録しました。\n");
                ++registered;
            } else {
                EXPECT_EQ(out, "ほかのプログラムがこの作業フォルダーを使用中です。\n");
            }
        }
    }
    EXPECT_GE(registered, 5);
    const std::string list = cli(dir.path(), "sites").out;
    EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), registered);

    // While a program holds the folder, writers are refused and readers still read.
    wattorio::Result<wattorio::FolderLock> held = wattorio::FolderLock::take(dir.path());
    ASSERT_TRUE(held.ok());
    EXPECT_EQ(cli(dir.path(), "--wait 0 add-site --name M --multiplier 1 --contract 50 --power-factor 90 --utility 1")
                  .status,
              1);
    EXPECT_EQ(cli(dir.path(), "--wait 0 copy-site --site 1").status, 1);
    EXPECT_EQ(cli(dir.path(), "sites").out, list);
}
