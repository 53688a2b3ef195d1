#include "app/safe_save.h"

#include "app/text_escape.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace fs = std::filesystem;

namespace wattorio {

namespace {

constexpr std::string_view kTempMark = ".tmp~";
constexpr std::size_t kTempRandomChars = 6;
constexpr std::string_view kTempAlphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

std::string reason(int error) {
    return std::strerror(error);
}

SaveCalls& saveCalls() {
    static SaveCalls calls = systemSaveCalls();
    return calls;
}

Error writeError(const std::string& path, int error) {
    return Error{"ファイルに書き込めません: " + escapedForMessage(path) + "（" + reason(error) + "）"};
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Flushes a folder's entries (the rename that just happened) to disk. Some file systems cannot
// flush a folder; the rename itself has then still taken place.
void syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// Creates a new temporary next to `path` that no one else has opened (O_EXCL: a name that exists,
// a link included, is never reused) and writes and flushes the bytes; the temporary's name, or an
// error with nothing left behind. `replaced` is the file the temporary will replace, if any: its
// permission bits and group are kept, so that a file the user shut to others stays shut.
Result<std::string> writeTemporary(const std::string& path, std::string_view bytes,
                                   const struct stat* replaced) {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = path;
        temp += kTempMark;
        for (std::size_t i = 0; i < kTempRandomChars; ++i)
            temp += kTempAlphabet[random() % kTempAlphabet.size()];
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST)
            return writeError(path, errno);
    }
    if (fd < 0)
        return writeError(path, EEXIST);
    if (replaced) {
        // The group first: changing it may clear bits that the mode then sets again.
        (void)!::fchown(fd, static_cast<uid_t>(-1), replaced->st_gid);
        if (::fchmod(fd, replaced->st_mode & 0777) != 0) {
            const int why = errno;
            ::close(fd);
            ::unlink(temp.c_str());
            return writeError(path, why);
        }
    }
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int why = errno;
            ::close(fd);
            ::unlink(temp.c_str());
            return writeError(path, why);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (saveCalls().fsyncFile(fd) != 0) {
        const int why = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        return writeError(path, why);
    }
    if (saveCalls().closeFile(fd) != 0) {
        const int why = errno;
        ::unlink(temp.c_str());
        return writeError(path, why);
    }
    return temp;
}

// The target must be a file or nothing: a folder (or anything else that is not a file or a
// link) is not replaced. A link at the target is replaced by the new file; rename never writes
// through it. `st` is the target's own status when it is a file.
Status checkTarget(const std::string& path, struct stat& st, bool& isFile) {
    isFile = false;
    if (::lstat(path.c_str(), &st) != 0)
        return errno == ENOENT ? Status::success() : Status(writeError(path, errno));
    isFile = S_ISREG(st.st_mode);
    if (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode))
        return Status::success();
    return Error{"ファイルに書き込めません: " + escapedForMessage(path) + "（通常のファイルではありません）"};
}

} // namespace

Status saveFileAtomically(const std::string& path, std::string_view bytes) {
    SaveSet set;
    if (Status s = set.add(path, bytes); !s)
        return s;
    return set.commit();
}

SaveSet::~SaveSet() {
    for (const Pending& p : pending_)
        ::unlink(p.temp.c_str());
}

Status SaveSet::add(const std::string& path, std::string_view bytes) {
    struct stat target {};
    bool isFile = false;
    if (Status s = checkTarget(path, target, isFile); !s)
        return s;
    Result<std::string> temp = writeTemporary(path, bytes, isFile ? &target : nullptr);
    if (!temp)
        return temp.error();
    pending_.push_back({path, std::move(*temp)});
    return Status::success();
}

Status SaveSet::commit() {
    std::vector<std::string> folders;
    while (!pending_.empty()) {
        const Pending& p = pending_.front();
        if (saveCalls().renameFile(p.temp.c_str(), p.path.c_str()) != 0)
            return writeError(p.path, errno); // the rest stays unrenamed and is removed
        const std::string folder = folderOf(p.path);
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
        pending_.erase(pending_.begin());
    }
    for (const std::string& folder : folders)
        syncFolder(folder);
    return Status::success();
}

Result<std::string> readFileBytes(const std::string& path, const ReadOptions& options) {
    const std::string shown = escapedForMessage(path);
    // Non-blocking, so that a pipe or a device put in a file's place cannot hang the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ELOOP)
            return Error{"通常のファイルではありません（リンクは読み込みません）: " + shown};
        return Error{"ファイルを開けません: " + shown + "（" + reason(errno) + "）"};
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return Error{"ファイルを読めません: " + shown + "（" + reason(errno) + "）"};
    if (!S_ISREG(st.st_mode))
        return Error{"通常のファイルではありません: " + shown};
    if (options.singleLink && st.st_nlink != 1)
        return Error{"ほかの場所にも名前があるファイル（ハードリンク）は読み込みません: " + shown};
    const std::string limit = options.maxBytes >= 1024 * 1024
                                  ? std::to_string(options.maxBytes / (1024 * 1024)) + " MB"
                                  : std::to_string(options.maxBytes / 1024) + " KB";
    const std::string tooLarge = "ファイルが大きすぎます（" + limit + " を超えています）: " + shown;
    if (st.st_size < 0 || static_cast<std::uintmax_t>(st.st_size) > options.maxBytes)
        return Error{tooLarge};
    const auto sizeText = [](std::size_t n) {
        return n >= 1024 * 1024 ? std::to_string(n / (1024 * 1024)) + " MB"
                                : std::to_string(n / 1024) + " KB";
    };
    ReadBudget* const budget = options.budget;
    const std::size_t budgetLeft =
        budget && budget->used < budget->maxBytes ? budget->maxBytes - budget->used : 0;
    const std::string setTooLarge = budget ? "読み込むファイルの合計が大きすぎます（全部で " +
                                                 sizeText(budget->maxBytes) + " まで）: " + shown
                                           : std::string();
    if (budget && static_cast<std::uintmax_t>(st.st_size) > budgetLeft)
        return Error{setTooLarge};
    std::string bytes;
    bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t got = 0;
    for (;;) {
        if (got == bytes.size()) {
            // The file grew while it was read.
            if (bytes.size() > options.maxBytes)
                return Error{tooLarge};
            bytes.resize(std::min(bytes.size() * 2, options.maxBytes + 1));
        }
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Error{"ファイルを読めません: " + shown + "（" + reason(errno) + "）"};
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    if (got > options.maxBytes)
        return Error{tooLarge};
    if (budget) {
        if (got > budgetLeft)
            return Error{setTooLarge};
        budget->used += got;
    }
    bytes.resize(got);
    return bytes;
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

Result<std::string> keepDamagedCopy(const std::string& path) {
    // At most this many copies of one file: beyond that the copy fails (and the caller keeps the
    // file as it is) rather than filling the disk.
    constexpr int kMaxCopies = 99;
    const auto fail = [&](const std::string& why) {
        return Error{"ファイルの控えを作れません: " + path + "（" + why + "）"};
    };
    Result<std::string> bytes = readFileBytes(path);
    if (!bytes)
        return fail(bytes.error().message);
    // Copies are path.bak, path.bak2, ...: the highest number is the newest. A name held by
    // anything else (a folder, a link, dangling or not) is passed over, never written through.
    std::string newest;
    std::string freeName;
    for (int i = 1; i <= kMaxCopies; ++i) {
        const std::string name = path + ".bak" + (i == 1 ? std::string() : std::to_string(i));
        std::error_code ec;
        const fs::file_type type = fs::symlink_status(name, ec).type();
        if (type == fs::file_type::not_found) {
            if (freeName.empty())
                freeName = name;
        } else if (type == fs::file_type::regular) {
            newest = name;
        }
    }
    // The same damage found again at the next start is already kept.
    if (!newest.empty()) {
        Result<std::string> kept = readFileBytes(newest);
        if (kept && *kept == *bytes)
            return newest;
    }
    if (freeName.empty())
        return fail("控えが多すぎます");
    const int fd = ::open(freeName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return fail(freeName + ": " + reason(errno));
    // The copy is no more open to others than the file it keeps.
    if (struct stat original{}; ::lstat(path.c_str(), &original) == 0 && S_ISREG(original.st_mode))
        (void)!::fchmod(fd, original.st_mode & 0777);
    const char* p = bytes->data();
    std::size_t left = bytes->size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    const bool written = left == 0 && ::fsync(fd) == 0;
    const std::string why = reason(errno);
    if (::close(fd) != 0 || !written) {
        ::unlink(freeName.c_str());
        return fail(freeName + ": " + why);
    }
    return freeName;
}

} // namespace wattorio

namespace wattorio {

namespace {

bool endsWith(std::string_view text, std::string_view tail) {
    return text.size() > tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// The names the program saves into a working folder.
bool isOwnFileName(std::string_view name) {
    // The reports (".xlsx", ".pdf", ".png"), besides the data files.
    for (std::string_view tail : {".csv", ".xlsx", ".pdf", ".png"})
        if (endsWith(name, tail))
            return true;
    return isProgramDataFileName(name);
}

} // namespace

bool isProgramDataFileName(std::string_view fileName) {
    // A damaged file's copy: "Mt_Menu.dat.bak", "000002_Y.dat.bak12".
    if (const std::size_t bak = fileName.rfind(".bak");
        bak != std::string_view::npos && bak > 0 &&
        fileName.find_first_not_of("0123456789", bak + 4) == std::string_view::npos)
        fileName = fileName.substr(0, bak);
    for (std::string_view fixed :
         {"W_Saihan.dat", "Mt_Menu.dat", "User_Menus.csv", "syukujitsu.csv", ".wattorio.lock"})
        if (fileName == fixed)
            return true;
    for (std::string_view tail :
         {"_Y.dat", "_W.dat", "_Ag.dat", "_Ag_G.dat", "_Interval.csv", "_Invoice.csv", "_Wattorio_M.dat"})
        if (endsWith(fileName, tail))
            return true;
    return false;
}

bool isSaveTemporary(std::string_view fileName) {
    const std::size_t mark = fileName.rfind(kTempMark);
    if (mark == std::string_view::npos)
        return false;
    const std::string_view tail = fileName.substr(mark + kTempMark.size());
    return tail.size() == kTempRandomChars &&
           tail.find_first_not_of(kTempAlphabet) == std::string_view::npos &&
           isOwnFileName(fileName.substr(0, mark));
}

int removeStaleTemporaries(const std::string& folder) {
    int removed = 0;
    std::error_code ec;
    for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!isSaveTemporary(name))
            continue;
        std::error_code typeError;
        const fs::file_type type = it->symlink_status(typeError).type();
        if (type != fs::file_type::regular && type != fs::file_type::symlink)
            continue;
        // A link is removed itself, never what it points to.
        if (::unlink(it->path().c_str()) == 0)
            ++removed;
    }
    return removed;
}

SaveCalls systemSaveCalls() {
    return {::fsync, ::close, ::rename};
}

SaveCalls replaceSaveCallsForTesting(const SaveCalls& calls) {
    return std::exchange(saveCalls(), calls);
}

} // namespace wattorio
