// Asking for help: the program's usage, or one command's, on standard output with status 0; an
// unknown command or option is refused.

#include "cli/cli_run.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

using wattorio::test::cli;

TEST(Usage, HelpIsShownAndMistakesRefused) {
    wattorio::test::TempDir dir;
    const struct {
        const char* args;
        int status;
        const char* shown; // in the output (standard error included)
    } cases[] = {
        {"--help", 0, "compare-sites [--json]"},
        {"calendar --help", 0, "使い方: wattorio-cli [--dir FOLDER] calendar --site ROW"},
        {"price --site 1 --help", 0, "price --site ROW --menu"},
        {"nosuch", 1, "不明なコマンド: nosuch"},
        {"sites --site", 1, "オプション --site に値がありません。"},
    };
    for (const auto& c : cases) {
        const auto run = cli(dir.path(), c.args, true);
        EXPECT_EQ(run.status, c.status) << c.args;
        EXPECT_NE(run.out.find(c.shown), std::string::npos) << c.args << "\n" << run.out;
    }
}

} // namespace
