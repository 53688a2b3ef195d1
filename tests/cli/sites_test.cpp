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
    CliRun added = cli(dir.path(), "add-site --name 工場 --multiplier ２０ --contract 600 --power-factor 95 "
                                   "--utility 4 --supply high --category factory");
    EXPECT_EQ(added.status, 0);
    EXPECT_EQ(cli(dir.path(), "sites --json").out, "[\n {\"row\": 1, \"serial\": \" 1\", \"name\": \"工場\", "
                                                   "\"multiplier\": \"20\", \"contract\": \"600\", "
                                                   "\"power_factor\": \"95\", \"utility\": 4, "
                                                   "\"supply\": \"高圧\", \"category\": \"工場\"}\n]\n");
}

// add-site and change-site take the same figures and facts; what no site can have is refused
// with exit 2 and the registry stays as it was.
TEST(CliSitesTest, ChangeSiteTakesTheSameOptionsAndBounds) {
    wattorio::test::TempDir dir;
    ASSERT_EQ(
        cli(dir.path(), "add-site --name 本社 --multiplier 1 --contract 450 --power-factor 98 --utility 1")
            .status,
        0);
    struct Case {
        const char* options;
        int status;
        const char* listed; // part of the `sites` line afterwards
    };
    const Case cases[] = {
        {"--supply extra-high --category office", 0, "特別高圧\t事務所・ビル・店舗"},
        {"--contract 80.5 --multiplier 0.5", 0, "倍率 0.5\t契約電力 80.5 kW"},
        {"--contract -100", 2, "契約電力 80.5 kW"},
        {"--contract 1e300", 2, "契約電力 80.5 kW"},
        {"--power-factor 999", 2, "力率 98 ％"},
        {"--multiplier 0", 2, "倍率 0.5"},
        {"--multiplier abc", 2, "倍率 0.5"},
        {"--supply low", 2, "特別高圧"},
        {"--utility 10", 2, "東京電力"},
        {"--name 第一ビル --power-factor ９５", 0, "第一ビル\t倍率 0.5\t契約電力 80.5 kW\t力率 95 ％"},
    };
    for (const Case& c : cases) {
        const CliRun run = cli(dir.path(), std::string("change-site --site 1 ") + c.options);
        EXPECT_EQ(run.status, c.status) << c.options;
        EXPECT_NE(cli(dir.path(), "sites").out.find(c.listed), std::string::npos) << c.options;
    }
    EXPECT_EQ(cli(dir.path(), "change-site --site 2 --contract 100").status, 1);
    EXPECT_EQ(
        cli(dir.path(), "add-site --name X --multiplier 1e39 --contract 100 --power-factor 90 --utility 1")
            .status,
        2);
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
    EXPECT_EQ(cli(dir.path(),
                  "--wait 0 add-site --name M --multiplier 1 --contract 50 --power-factor 90 --utility 1")
                  .status,
              1);
    EXPECT_EQ(cli(dir.path(), "--wait 0 copy-site --site 1").status, 1);
    EXPECT_EQ(cli(dir.path(), "--wait 0 export --site 1 --to '" + dir.path() + "'").status, 1);
    EXPECT_EQ(cli(dir.path(), "sites").out, list);
}
