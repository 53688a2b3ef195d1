#include "app/folder_lock.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

using namespace wattorio;

TEST(FolderLockTest, OneHolderAtATimeAndALockOfAKilledProgramIsTaken) {
    test::TempDir dir;
    {
        Result<FolderLock> first = FolderLock::take(dir.path());
        ASSERT_TRUE(first.ok());
        Result<FolderLock> second = FolderLock::take(dir.path());
        ASSERT_FALSE(second.ok());
        EXPECT_EQ(second.error().message, kFolderBusy);
    }
    EXPECT_TRUE(FolderLock::take(dir.path()).ok()); // released with its holder

    // A program killed while it holds the lock leaves the file, not the lock.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Result<FolderLock> held = FolderLock::take(dir.path());
        const char c = held.ok() ? 'y' : 'n';
        (void)!::write(ready[1], &c, 1);
        ::pause();
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    EXPECT_EQ(c, 'y');
    EXPECT_FALSE(FolderLock::take(dir.path()).ok());
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_TRUE(FolderLock::take(dir.path()).ok());
}

TEST(FolderLockTest, ALinkAtTheLockNameIsNotFollowed) {
    test::TempDir dir;
    std::filesystem::create_symlink(dir.file("elsewhere"), dir.file(kFolderLockFile));
    EXPECT_FALSE(FolderLock::take(dir.path()).ok());
    EXPECT_FALSE(dir.exists("elsewhere"));
}

TEST(FolderLockTest, TemporariesLeftByACrashGoWhenTheLockIsTaken) {
    test::TempDir dir;
    for (const char* name :
         {"000004_Y.dat.tmp~123456", "Mt_Menu.dat.tmp~aB3xYz", "keep.dat", "a.tmp", ".tmp~x"})
        dir.write(name, "x");
    std::filesystem::create_directory(dir.file("folder.tmp~1"));
    std::filesystem::create_symlink("/etc/hostname", dir.file("link.dat.tmp~2"));
    Result<FolderLock> lock = FolderLock::take(dir.path());
    ASSERT_TRUE(lock.ok());
    EXPECT_EQ(lock->removeStaleTemporaries(), 3);
    EXPECT_FALSE(dir.exists("000004_Y.dat.tmp~123456"));
    EXPECT_FALSE(dir.exists("Mt_Menu.dat.tmp~aB3xYz"));
    EXPECT_FALSE(std::filesystem::is_symlink(dir.file("link.dat.tmp~2")));
    EXPECT_TRUE(std::filesystem::exists("/etc/hostname"));
    for (const char* kept : {"keep.dat", "a.tmp", ".tmp~x", "folder.tmp~1"})
        EXPECT_TRUE(std::filesystem::exists(dir.file(kept))) << kept;
}
