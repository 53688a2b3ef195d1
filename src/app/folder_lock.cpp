#include "app/folder_lock.h"
#include "app/safe_save.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace wattorio {

FolderLock::~FolderLock() {
    if (fd_ >= 0)
        ::close(fd_);
}

FolderLock::FolderLock(FolderLock&& other) noexcept : fd_(other.fd_), folder_(std::move(other.folder_)) {
    other.fd_ = -1;
}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = other.fd_;
        folder_ = std::move(other.folder_);
        other.fd_ = -1;
    }
    return *this;
}

Result<FolderLock> FolderLock::take(const std::string& folder, std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    std::string dir = folder;
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    const std::string path = dir + kFolderLockFile;
    // The lock file is never removed (removing it would let two programs lock two different
    // files of one name), and never followed when something else was put at its name.
    constexpr int kFlags = O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | kFlags, 0644);
    // A folder this user may only read: a lock file put there by a writer still works read-only,
    // and on a read-only volume nobody writes, so there is nothing to wait for.
    if (fd < 0 && errno == EACCES)
        fd = ::open(path.c_str(), O_RDONLY | kFlags);
    if (fd < 0 && errno == EROFS)
        return FolderLock();
    if (fd < 0)
        return Error{"作業フォルダーのロックファイルを開けません: " + path + "（" + std::strerror(errno) +
                     "）"};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Error{"作業フォルダーのロックファイルが通常のファイルではありません: " + path};
    }
    // flock belongs to this open file: a second lock, even in the same process, is refused.
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        const int why = errno;
        // The holder is most often another command that ends in a moment: try again shortly.
        if (why == EWOULDBLOCK && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            continue;
        }
        ::close(fd);
        if (why == EWOULDBLOCK)
            return Error{kFolderBusy};
        return Error{"作業フォルダーをロックできません: " + path + "（" + std::strerror(why) + "）"};
    }
    return FolderLock(fd, dir);
}

int FolderLock::removeStaleTemporaries() const {
    // Only the holder of the lock may: no other program is saving into the folder.
    if (fd_ < 0)
        return 0;
    return ::wattorio::removeStaleTemporaries(folder_);
}

} // namespace wattorio
