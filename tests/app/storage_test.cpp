#include "app/app_state.h"
#include "app/safe_save.h"
#include "app/text_grid.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <iterator>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace wattorio;

TEST(SafeSaveTest, ReplacesWholeFileAndLeavesNoTemporary) {
    test::TempDir dir;
    dir.write("a.dat", "old contents");
    ASSERT_TRUE(saveFileAtomically(dir.file("a.dat"), "new").ok());
    EXPECT_EQ(dir.read("a.dat"), "new");
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1);
}

// A folder the user may not write, or a disk that takes no more bytes (the one a superuser meets
// too): the save fails, says which file, and the old file stays.
TEST(SafeSaveTest, FailureKeepsTheOldFileAndSaysWhichFile) {
    for (const bool readOnlyFolder : {true, false}) {
        SCOPED_TRACE(readOnlyFolder ? "read-only folder" : "file size limit");
        if (readOnlyFolder && geteuid() == 0)
            continue; // the superuser writes into read-only folders
        test::TempDir dir;
        dir.write("a.dat", "old");
        rlimit before{};
        getrlimit(RLIMIT_FSIZE, &before);
        const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        if (readOnlyFolder) {
            chmod(dir.path().c_str(), 0555);
        } else {
            rlimit small = before;
            small.rlim_cur = 2;
            setrlimit(RLIMIT_FSIZE, &small);
        }
        Status s = saveFileAtomically(dir.file("a.dat"), "new");
        chmod(dir.path().c_str(), 0755);
        setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, oldSignal);
        ASSERT_FALSE(s.ok());
        EXPECT_NE(s.error().message.find("a.dat"), std::string::npos);
        EXPECT_EQ(dir.read("a.dat"), "old");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    }
}

TEST(SafeSaveTest, MissingFolderIsAnErrorNotACrash) {
    Status s = saveFileAtomically("/nonexistent-folder/x.dat", "x");
    EXPECT_FALSE(s.ok());
}

TEST(SafeSaveTest, DamagedCopiesNeverOverwriteEachOther) {
    test::TempDir dir;
    dir.write("m.dat", "one");
    ASSERT_EQ(*keepDamagedCopy(dir.file("m.dat")), dir.file("m.dat.bak"));
    dir.write("m.dat", "two");
    ASSERT_EQ(*keepDamagedCopy(dir.file("m.dat")), dir.file("m.dat.bak2"));
    EXPECT_EQ(dir.read("m.dat.bak"), "one");
    EXPECT_EQ(dir.read("m.dat.bak2"), "two");
}

TEST(TextGridTest, ClearFromBlanksToTheEndAndIgnoresOutOfRange) {
    TextGrid g(4, 5);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 5; ++c)
            g.setText(r, c, "x");
    int notifications = 0;
    g.setListener([&](int, int, int, int) { ++notifications; });
    Grd_Cls(g, 2, 1);
    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(g.text(0, 4), "x");
    EXPECT_EQ(g.text(1, 1), "x");
    EXPECT_EQ(g.text(1, 2), "");
    EXPECT_EQ(g.text(3, 4), "");
    g.setText(9, 9, "y");
    EXPECT_EQ(g.text(9, 9), "");
    EXPECT_EQ(g.text(-1, 0), "");
}

TEST(AppStateTest, CurrentSiteAndDerivedPaths) {
    AppState s;
    s.SiteTable[2] = {" 5", "工場", "10", "500", "95", "4", "", "", ""};
    s.SiteRow = 2;
    ASSERT_NE(s.currentSite(), nullptr);
    EXPECT_DOUBLE_EQ(s.currentSiteValue(2), 10);
    s.SiteRow = 0;
    EXPECT_EQ(s.currentSite(), nullptr);
    EXPECT_DOUBLE_EQ(s.currentSiteValue(2), 0);
    s.SiteRow = 300;
    EXPECT_EQ(s.currentSite(), nullptr);
    s.SiteDataPath = "/w/000005_Y.dat";
    EXPECT_EQ(s.agPath(), "/w/000005_Ag.dat");
    EXPECT_EQ(s.agResultsPath(), "/w/000005_Ag_G.dat");
    s.UtilityNo = 9;
    EXPECT_EQ(s.currentUtilityName(), "北海道電力");
    s.UtilityNo = 0;
    EXPECT_EQ(s.currentUtilityName(), "");
}
