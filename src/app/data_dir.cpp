#include "app/data_dir.h"

#include "app/text_escape.h"
#include "app/version.h"

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

Result<std::string> chooseWorkingFolder(const std::vector<std::string>& args, const std::string& home,
                                        const std::string& current, bool homeFolder) {
    std::error_code ec;
    for (const std::string& a : args) {
        if (a.rfind("--", 0) == 0)
            continue;
        if (a.empty() || !fs::is_directory(a, ec))
            return Error{"作業フォルダーが見つかりません: " + escapedForMessage(a)};
        const fs::path folder = fs::absolute(a, ec);
        if (ec)
            return Error{"作業フォルダーが見つかりません: " + escapedForMessage(a)};
        return folder.lexically_normal().string();
    }
    if (!homeFolder && !fs::equivalent(current, home, ec))
        return current;
    const fs::path folder = fs::path(home) / kAppTitle;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec))
        return Error{"作業フォルダー「" + escapedForMessage(folder.string()) + "」を作成できません。"};
    return folder.string();
}

} // namespace wattorio
