#include "app/folder_lock.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <optional>
#include <sys/wait.h>
#include <thread>
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
    for (const char* name : {"000004_Y.dat.tmp~123456", "Mt_Menu.dat.tmp~aB3xYz", "keep.dat", "a.tmp",
                             ".tmp~x", "見積.tmp~v2", "budget.xls.tmp~old", "a.tmp~1"})
        dir.write(name, "x");
    std::filesystem::create_directory(dir.file("000001_W.dat.tmp~abcdef"));
    std::filesystem::create_symlink("/etc/hostname", dir.file("000002_W.dat.tmp~Zz9Zz9"));
    Result<FolderLock> lock = FolderLock::take(dir.path());
    ASSERT_TRUE(lock.ok());
    EXPECT_EQ(lock->removeStaleTemporaries(), 3);
    EXPECT_FALSE(dir.exists("000004_Y.dat.tmp~123456"));
    EXPECT_FALSE(dir.exists("Mt_Menu.dat.tmp~aB3xYz"));
    EXPECT_FALSE(std::filesystem::is_symlink(dir.file("000002_W.dat.tmp~Zz9Zz9")));
    EXPECT_TRUE(std::filesystem::exists("/etc/hostname"));
    for (const char* kept : {"keep.dat", "a.tmp", ".tmp~x", "000001_W.dat.tmp~abcdef", "見積.tmp~v2",
                             "budget.xls.tmp~old", "a.tmp~1"})
        EXPECT_TRUE(std::filesystem::exists(dir.file(kept))) << kept;
}

TEST(FolderLockTest, AWaitingTakerGetsTheLockWhenTheHolderLetsGo) {
    test::TempDir dir;
    std::optional<Result<FolderLock>> held(FolderLock::take(dir.path()));
    ASSERT_TRUE(held->ok());
    EXPECT_EQ(FolderLock::take(dir.path(), std::chrono::milliseconds(0)).error().message, kFolderBusy);
    EXPECT_EQ(FolderLock::take(dir.path(), std::chrono::milliseconds(120)).error().message, kFolderBusy);
    std::thread holder([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        held.reset();
    });
    EXPECT_TRUE(FolderLock::take(dir.path(), std::chrono::seconds(30)).ok());
    holder.join();
}
