#include "app/data_dir.h"

#include <filesystem>

#ifndef WATTORIO_BUILD_DATA_DIR
#define WATTORIO_BUILD_DATA_DIR ""
#endif

namespace fs = std::filesystem;

namespace wattorio {

std::string programDataDir(const std::string& exeDir, const std::string& buildDataDir) {
    std::error_code ec;
    if (!exeDir.empty()) {
        const fs::path installed = fs::path(exeDir) / ".." / "share" / "wattorio";
        if (fs::is_directory(installed, ec))
            return fs::weakly_canonical(installed, ec).string();
    }
    if (!buildDataDir.empty() && fs::is_directory(buildDataDir, ec))
        return fs::path(buildDataDir).lexically_normal().string();
    return "";
}

std::string programDataDir(const std::string& exeDir) {
    return programDataDir(exeDir, WATTORIO_BUILD_DATA_DIR);
}

} // namespace wattorio
