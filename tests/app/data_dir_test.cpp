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
