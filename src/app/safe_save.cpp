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
    std::string copy = path + ".bak";
    for (int i = 2; fs::exists(copy); ++i)
        copy = path + ".bak" + std::to_string(i);
    std::error_code ec;
    fs::copy_file(path, copy, fs::copy_options::none, ec);
    if (ec)
        return Error{"ファイルの控えを作れません: " + copy + "（" + ec.message() + "）"};
    return copy;
}

} // namespace wattorio
