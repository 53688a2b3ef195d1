#include "app/data_dir.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace wattorio;

TEST(DataDirTest, InstalledFolderFirstThenTheBuildFolder) {
    test::TempDir prefix;
    fs::create_directories(prefix.file("bin"));
    fs::create_directories(prefix.file("build/share/wattorio"));
    EXPECT_EQ(programDataDir(prefix.file("bin"), prefix.file("build/share/wattorio")),
              prefix.file("build/share/wattorio"));
    EXPECT_EQ(programDataDir(prefix.file("bin"), prefix.file("none")), "");
    EXPECT_EQ(programDataDir("", ""), "");

    fs::create_directories(prefix.file("share/wattorio"));
    EXPECT_EQ(programDataDir(prefix.file("bin"), prefix.file("build/share/wattorio")),
              fs::weakly_canonical(prefix.file("share/wattorio")).string());
}

TEST(DataDirTest, TheBuildFolderHoldsTheShippedFiles) {
    const std::string dir = programDataDir("");
    ASSERT_NE(dir, "");
    EXPECT_TRUE(fs::is_regular_file(fs::path(dir) / "help" / "index.html"));
    EXPECT_TRUE(fs::is_directory(fs::path(dir) / "demo"));
}

TEST(DataDirTest, AWorkingFolderThatIsNotThereEndsTheStart) {
    test::TempDir home;
    test::TempDir current;
    home.write("a-file", "x");
    const std::string made = home.file("ワットリオ");
    const struct {
        std::vector<std::string> args;
        std::string current;
        bool homeFolder;
        std::string folder; // "" for a refusal
    } cases[] = {
        {{current.path()}, home.path(), false, current.path()},
        {{"--smoke-test", current.path()}, current.path(), false, current.path()},
        {{home.file("typo")}, current.path(), false, ""},
        {{home.file("a-file")}, current.path(), false, ""},
        {{"", current.path()}, current.path(), false, ""},
        {{}, current.path(), false, current.path()},
        {{"--home-folder"}, current.path(), true, made},
        {{}, home.path(), false, made},
    };
    for (const auto& c : cases) {
        const Result<std::string> chosen = chooseWorkingFolder(c.args, home.path(), c.current, c.homeFolder);
        SCOPED_TRACE(c.args.empty() ? "(none)" : c.args.back());
        if (c.folder.empty()) {
            ASSERT_FALSE(chosen.ok());
            EXPECT_EQ(chosen.error().message.rfind("作業フォルダーが見つかりません: ", 0), 0u);
        } else {
            ASSERT_TRUE(chosen.ok()) << chosen.error().message;
            EXPECT_TRUE(fs::equivalent(*chosen, c.folder));
        }
    }
    EXPECT_FALSE(fs::exists(home.file("typo")));
}
