#pragma once
// Shared by the fuzz targets: a scratch folder of this process for the readers that take a path
// (emptied before each input), and a check that stops the fuzzer on a broken property.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace wattorio::fuzz {

inline const std::string& scratch() {
    static const std::string folder = [] {
        std::string t = std::filesystem::is_directory("/dev/shm") ? "/dev/shm/wattorio-fuzz-XXXXXX"
                                                                  : "/tmp/wattorio-fuzz-XXXXXX";
        if (!::mkdtemp(t.data()))
            std::abort();
        return t + "/";
    }();
    return folder;
}

// A fresh, empty scratch folder (or the named folder inside it).
inline std::string freshFolder(const std::string& sub = "") {
    const std::string folder = scratch() + sub;
    std::error_code ec;
    if (sub.empty()) {
        for (const auto& e : std::filesystem::directory_iterator(folder, ec))
            std::filesystem::remove_all(e.path(), ec);
    } else {
        std::filesystem::remove_all(folder, ec);
        std::filesystem::create_directories(folder, ec);
    }
    return sub.empty() ? folder : folder + "/";
}

inline void put(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline void require(bool property, const char* what) {
    if (!property) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

// Splits the input after the first `mark` (the first line feed by default): two files from one input.
inline std::pair<std::string_view, std::string_view> splitAtFirstLine(std::string_view bytes,
                                                                      std::string_view mark = "\n") {
    const std::size_t at = bytes.find(mark);
    if (at == std::string_view::npos)
        return {bytes, {}};
    return {bytes.substr(0, at + mark.size()), bytes.substr(at + mark.size())};
}

} // namespace wattorio::fuzz
