#pragma once
// One program at a time writes a working folder: the window program holds the folder's lock for
// its whole run, each command-line command that writes holds it while it runs. The lock is a
// system lock on a file in the folder, so it goes with the process that held it, however that
// process ended: a lock left by a killed program is simply taken.

#include "app/result.h"

#include <chrono>
#include <string>

namespace wattorio {

// The lock file; a dot name keeps it out of the file panel's list.
constexpr const char* kFolderLockFile = ".wattorio.lock";
constexpr const char* kFolderBusy = "ほかのプログラムがこの作業フォルダーを使用中です。";

class FolderLock {
public:
    FolderLock() = default;
    ~FolderLock();
    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&& other) noexcept;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Takes the lock of `folder`, waiting up to `wait` while another program holds it (a
    // command-line writer waits for the one before it; the window program does not wait). The
    // error is kFolderBusy when it is still held then (another lock in this program included),
    // otherwise it says why the lock file cannot be used. On a read-only volume the result is a
    // lock that is not held: nobody can write there.
    static Result<FolderLock> take(const std::string& folder,
                                   std::chrono::milliseconds wait = std::chrono::milliseconds(0));
    bool held() const { return fd_ >= 0; }

    // Removes what a save cut short left in the folder: the temporaries of the crash-safe save
    // (a name with ".tmp~" after the target's name). Only the holder of the lock may do this, as
    // nobody else can be saving then. Returns how many were removed.
    int removeStaleTemporaries() const;

private:
    FolderLock(int fd, std::string folder) : fd_(fd), folder_(std::move(folder)) {}
    int fd_ = -1;
    std::string folder_;
};

} // namespace wattorio
