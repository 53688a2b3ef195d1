// wattorio-cli run as a user would, on a temporary working folder.

#include "cli/cli_run.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

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
