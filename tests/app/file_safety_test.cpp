// Saving and reading under hostile folders: links, pipes, huge files, hard links, and a writer
// killed at random moments.
#include "app/safe_save.h"
#include "app/text_escape.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace wattorio;
namespace fs = std::filesystem;

namespace {

int entries(const test::TempDir& dir) {
    int n = 0;
    for (const auto& e : fs::directory_iterator(dir.path())) {
        (void)e;
        ++n;
    }
    return n;
}

} // namespace

TEST(FileSafetyTest, SaveNeverWritesThroughALinkOrOverAFolder) {
    test::TempDir dir;
    test::TempDir outside;
    outside.write("victim.dat", "outside");
    fs::create_symlink(outside.file("victim.dat"), dir.file("book.dat"));
    ASSERT_TRUE(saveFileAtomically(dir.file("book.dat"), "new").ok());
    EXPECT_EQ(outside.read("victim.dat"), "outside");
    EXPECT_FALSE(fs::is_symlink(dir.file("book.dat")));
    EXPECT_EQ(dir.read("book.dat"), "new");

    fs::create_directory(dir.file("folder.dat"));
    EXPECT_FALSE(saveFileAtomically(dir.file("folder.dat"), "x").ok());
    EXPECT_TRUE(fs::is_directory(dir.file("folder.dat")));
    EXPECT_EQ(entries(dir), 2);
}

TEST(FileSafetyTest, ReadRefusesWhatIsNotAPlainFileOfSaneSize) {
    test::TempDir dir;
    dir.write("plain.dat", "bytes");
    fs::create_symlink(dir.file("plain.dat"), dir.file("link.dat"));
    dir.write("hard.dat", "bytes");
    fs::create_hard_link(dir.file("hard.dat"), dir.file("elsewhere.dat"));
    ASSERT_EQ(::mkfifo(dir.file("pipe.dat").c_str(), 0600), 0);
    fs::create_directory(dir.file("folder.dat"));
    {
        // Sparse: takes no room, but is larger than any sound file.
        std::FILE* f = std::fopen(dir.file("huge.dat").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(::ftruncate(::fileno(f), static_cast<off_t>(kMaxFileBytes) + 1), 0);
        std::fclose(f);
    }
    const struct {
        const char* name;
        bool singleLink;
        const char* expectedError; // nullptr: the bytes are read
    } cases[] = {
        {"plain.dat", true, nullptr},
        {"hard.dat", false, nullptr},
        {"hard.dat", true, "ハードリンク"},
        {"link.dat", false, "リンク"},
        {"pipe.dat", false, "通常のファイルではありません"},
        {"folder.dat", false, "通常のファイルではありません"},
        {"huge.dat", false, "大きすぎます"},
        {"missing.dat", false, "開けません"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReadOptions options;
        options.singleLink = c.singleLink;
        Result<std::string> r = readFileBytes(dir.file(c.name), options);
        if (!c.expectedError) {
            ASSERT_TRUE(r.ok()) << r.error().message;
            EXPECT_EQ(*r, "bytes");
        } else {
            ASSERT_FALSE(r.ok());
            EXPECT_NE(r.error().message.find(c.expectedError), std::string::npos) << r.error().message;
        }
    }
}

TEST(FileSafetyTest, SaveSetReplacesAllOrNothingAndStaleTemporariesGo) {
    test::TempDir dir;
    dir.write("a.dat", "old a");
    dir.write("b.dat", "old b");
    {
        SaveSet set;
        ASSERT_TRUE(set.add(dir.file("a.dat"), "new a").ok());
        ASSERT_TRUE(set.add(dir.file("b.dat"), "new b").ok());
        // Abandoned before the commit (a later step failed).
    }
    EXPECT_EQ(dir.read("a.dat"), "old a");
    EXPECT_EQ(entries(dir), 2);
    {
        SaveSet set;
        ASSERT_TRUE(set.add(dir.file("a.dat"), "new a").ok());
        ASSERT_TRUE(set.add(dir.file("b.dat"), "new b").ok());
        ASSERT_TRUE(set.commit().ok());
    }
    EXPECT_EQ(dir.read("a.dat"), "new a");
    EXPECT_EQ(dir.read("b.dat"), "new b");

    // Only the temporaries of the program's own files go; names a user gave stay.
    for (const char* stale :
         {"Mt_Menu.dat.tmp~Ab3dE9", "000012_Ag_G.dat.tmp~000042", "User_Menus.csv.tmp~zzzzzz",
          "本社_Wattorio_M.dat.tmp~a1b2c3", "月報.xlsx.tmp~ABCDEF"})
        dir.write(stale, "half");
    for (const char* kept : {"c.tmp~", "Mt_Menu.dat.tmp~toolong", "Mt_Menu.dat.tmp~a-b", "Mt_Menu.dat.tmp~42",
                             "f.dat", "見積.tmp~v2", "budget.xls.tmp~old", "a.tmp~1", "notes.txt.tmp~Ab3dE9",
                             "W_Saihan.dat.bak", ".csv.tmp~abcdef"})
        dir.write(kept, "keep");
    fs::create_symlink(dir.file("f.dat"), dir.file("000001_Y.dat.tmp~zzzzzz"));
    EXPECT_EQ(removeStaleTemporaries(dir.path()), 6);
    EXPECT_EQ(dir.read("f.dat"), "keep");
    EXPECT_EQ(entries(dir), 13);
}

TEST(FileSafetyTest, MessagesShowControlBytesEscaped) {
    EXPECT_EQ(escapedForMessage(std::string("a\0b\r\n\x1B[2J\x7F名", 13)),
              "a\\x00b\\x0D\\x0A\\x1B[2J\\x7F名");
}

// A writer killed at any moment leaves each of its files whole: old or new, never torn.
TEST(FileSafetyTest, KilledWriterLeavesEveryFileOldOrNew) {
    test::TempDir dir;
    const auto content = [](int generation, char file) {
        return std::string(1, file) + std::to_string(generation) + ":" +
               std::string(20000 + generation % 7 * 1000, static_cast<char>('a' + generation % 26));
    };
    const auto whole = [&](const std::string& bytes, char file) {
        const std::size_t colon = bytes.find(':');
        if (bytes.empty() || bytes[0] != file || colon == std::string::npos)
            return false;
        return bytes == content(std::stoi(bytes.substr(1, colon - 1)), file);
    };
    ASSERT_TRUE(saveFileAtomically(dir.file("W_Saihan.dat"), content(0, 'W')).ok());
    ASSERT_TRUE(saveFileAtomically(dir.file("Mt_Menu.dat"), content(0, 'M')).ok());
    ASSERT_TRUE(saveFileAtomically(dir.file("000001_Y.dat"), content(0, '0')).ok());
    std::mt19937 random(13);
    for (int round = 0; round < 100; ++round) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int g = round * 100000 + 1;; ++g) {
                saveFileAtomically(dir.file("W_Saihan.dat"), content(g, 'W'));
                SaveSet set;
                set.add(dir.file("Mt_Menu.dat"), content(g, 'M'));
                set.add(dir.file("000001_Y.dat"), content(g, '0'));
                set.commit();
                if (g == round * 100000 + 1)
                    (void)!::write(ready[1], "r", 1);
            }
        }
        // Killed somewhere in its saves once it is under way (a cycle of three saves takes some 25 ms or
        // more).
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        ::close(ready[0]);
        ::close(ready[1]);
        ::usleep(random() % 25000);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        for (const char* name : {"W_Saihan.dat", "Mt_Menu.dat", "000001_Y.dat"})
            ASSERT_TRUE(whole(dir.read(name), name[0])) << name << " torn in round " << round;
        removeStaleTemporaries(dir.path());
    }
    EXPECT_EQ(entries(dir), 3);
}

// A save whose flush, close or rename fails reports it, and leaves the old file whole and no
// temporary behind, whether it saves one file or a set.
TEST(FileSafetyTest, AFailedFlushCloseOrRenameIsAnErrorAndChangesNothing) {
    using Call = int (*)(int);
    static int failures = 0;
    const Call failingFsync = [](int) {
        ++failures;
        errno = EIO;
        return -1;
    };
    const Call failingClose = [](int fd) {
        ++failures;
        ::close(fd);
        errno = EIO;
        return -1;
    };
    const auto failingRename = [](const char*, const char*) {
        ++failures;
        errno = EXDEV;
        return -1;
    };
    const SaveCalls real = systemSaveCalls();
    const struct {
        const char* what;
        SaveCalls calls;
    } faults[] = {
        {"fsync", {failingFsync, real.closeFile, real.renameFile}},
        {"close", {real.fsyncFile, failingClose, real.renameFile}},
        {"rename", {real.fsyncFile, real.closeFile, failingRename}},
    };
    for (const auto& f : faults) {
        for (bool asSet : {false, true}) {
            SCOPED_TRACE(std::string(f.what) + (asSet ? " in a set" : ""));
            test::TempDir dir;
            dir.write("Mt_Menu.dat", "old");
            dir.write("W_Saihan.dat", "7");
            failures = 0;
            replaceSaveCallsForTesting(f.calls);
            Status saved;
            if (asSet) {
                SaveSet set;
                saved = set.add(dir.file("W_Saihan.dat"), "8");
                if (saved)
                    saved = set.add(dir.file("Mt_Menu.dat"), "new");
                if (saved)
                    saved = set.commit();
            } else {
                saved = saveFileAtomically(dir.file("Mt_Menu.dat"), "new");
            }
            replaceSaveCallsForTesting(real);
            EXPECT_GT(failures, 0);
            ASSERT_FALSE(saved.ok());
            EXPECT_NE(saved.error().message.find(".dat"), std::string::npos);
            EXPECT_EQ(dir.read("Mt_Menu.dat"), "old");
            EXPECT_EQ(dir.read("W_Saihan.dat"), "7");
            EXPECT_EQ(entries(dir), 2);
        }
    }
}

// A file the user shut to others stays shut when it is replaced, and so does a damaged file's copy.
TEST(FileSafetyTest, AReplacedFileKeepsItsPermissions) {
    test::TempDir dir;
    for (const mode_t mode : {0600, 0640, 0444, 0664}) {
        SCOPED_TRACE(mode);
        dir.write("000001_Y.dat", "old");
        ASSERT_EQ(::chmod(dir.file("000001_Y.dat").c_str(), mode), 0);
        ASSERT_TRUE(saveFileAtomically(dir.file("000001_Y.dat"), "new").ok());
        struct stat st {};
        ASSERT_EQ(::stat(dir.file("000001_Y.dat").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode);
        Result<std::string> copy = keepDamagedCopy(dir.file("000001_Y.dat"));
        ASSERT_TRUE(copy.ok());
        ASSERT_EQ(::stat(copy->c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, mode);
        fs::remove(*copy);
    }
    // The group stays where the user may give it (the superuser may give any).
    if (geteuid() == 0) {
        ASSERT_EQ(::chown(dir.file("000001_Y.dat").c_str(), static_cast<uid_t>(-1), 1), 0);
        ASSERT_TRUE(saveFileAtomically(dir.file("000001_Y.dat"), "newer").ok());
        struct stat st {};
        ASSERT_EQ(::stat(dir.file("000001_Y.dat").c_str(), &st), 0);
        EXPECT_EQ(st.st_gid, 1u);
    }
}
