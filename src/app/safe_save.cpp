#include "app/safe_save.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace wattorio {

namespace {
std::string reason() {
    return std::strerror(errno);
}
} // namespace

Status saveFileAtomically(const std::string& path, std::string_view bytes) {
    std::random_device rd;
    const std::string temp = path + ".tmp~" + std::to_string(rd() % 1000000);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return Error{"ファイルに書き込めません: " + path + "（" + reason() + "）"};
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const std::string why = reason();
            ::close(fd);
            ::unlink(temp.c_str());
            return Error{"ファイルに書き込めません: " + path + "（" + why + "）"};
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        const std::string why = reason();
        ::unlink(temp.c_str());
        return Error{"ファイルに書き込めません: " + path + "（" + why + "）"};
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        const std::string why = reason();
        ::unlink(temp.c_str());
        return Error{"ファイルに書き込めません: " + path + "（" + why + "）"};
    }
    return Status::success();
}

Result<std::string> readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return Error{"ファイルを開けません: " + path};
    std::ostringstream s;
    s << in.rdbuf();
    if (in.bad())
        return Error{"ファイルを読めません: " + path};
    return s.str();
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
        return fail(freeName + ": " + reason());
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
    const std::string why = reason();
    if (::close(fd) != 0 || !written) {
        ::unlink(freeName.c_str());
        return fail(freeName + ": " + why);
    }
    return freeName;
}

} // namespace wattorio
