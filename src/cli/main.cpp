// wattorio-cli: the program's core from the command line, for scripting and batch comparison.

#include "app/app_state.h"
#include "app/data_dir.h"
#include "app/text_escape.h"
#include "cli/command_registry.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <optional>

using namespace wattorio;
using namespace wattorio::cli;

namespace {

void usage(std::ostream& out) {
    out << "使い方: wattorio-cli [--dir FOLDER] [--wait SECONDS] COMMAND [OPTIONS]\n"
           "FOLDER は作業フォルダー（既定: 現在のフォルダー）。\n"
           "SECONDS は書き込むコマンドがほかのプログラムの使用中に待つ秒数（既定: 10、0 で待たない）。\n"
           "\nCOMMAND:\n";
    for (const auto& [name, info] : commands())
        out << "  " << info.usage << "\n";
}

int currentYear() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_year + 1900;
}

// --wait SECONDS: a whole or decimal number of seconds up to a day.
std::optional<std::chrono::milliseconds> waitOption(const std::string& text) {
    const std::size_t dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    const std::string part = dot == std::string::npos ? "" : text.substr(dot + 1);
    if (whole.empty() || whole.size() > 5 || whole.find_first_not_of("0123456789") != std::string::npos ||
        (dot != std::string::npos &&
         (part.empty() || part.find_first_not_of("0123456789") != std::string::npos)))
        return std::nullopt;
    const long seconds = std::stol(whole);
    if (seconds > 86400)
        return std::nullopt;
    long millis = seconds * 1000;
    for (std::size_t k = 0, scale = 100; k < part.size() && k < 3; ++k, scale /= 10)
        millis += (part[k] - '0') * static_cast<long>(scale);
    return std::chrono::milliseconds(millis);
}

// The working folder as an absolute path with a closing slash. A --dir that is absolute never
// touches the current folder, which may have been removed under the command.
std::optional<std::string> workingFolder(const std::optional<std::string>& dir) {
    std::error_code ec;
    std::filesystem::path folder;
    if (!dir) {
        folder = std::filesystem::current_path(ec);
        if (ec) {
            std::cerr << "現在のフォルダーを開けません（" << ec.message()
                      << "）。--dir で作業フォルダーを指定してください。\n";
            return std::nullopt;
        }
    } else if (!dir->empty() && (*dir)[0] == '/') {
        folder = *dir;
    } else if (!dir->empty()) {
        folder = std::filesystem::absolute(*dir, ec);
    }
    if (ec || folder.empty() || !std::filesystem::is_directory(folder, ec)) {
        std::cerr << "作業フォルダーがありません: " << escapedForMessage(dir.value_or(folder.string()))
                  << "\n";
        return std::nullopt;
    }
    std::string text = folder.string();
    if (text.back() != '/')
        text += '/';
    return text;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    std::optional<std::string> dir;
    std::chrono::milliseconds lockWait = kDefaultLockWait;
    bool badWait = false;
    // The global options, before the command or among its options.
    auto globalOption = [&](std::size_t& at) {
        if (at + 1 >= words.size())
            return false;
        if (words[at] == "--dir") {
            dir = words[at + 1];
        } else if (words[at] == "--wait") {
            std::optional<std::chrono::milliseconds> w = waitOption(words[at + 1]);
            if (!w) {
                std::cerr << "--wait には待つ秒数（0 から 86400）を指定してください: "
                          << escapedForMessage(words[at + 1]) << "\n";
                badWait = true;
            }
            lockWait = w.value_or(lockWait);
        } else {
            return false;
        }
        at += 2;
        return true;
    };
    Args args;
    std::size_t i = 0;
    while (i < words.size() && words[i].rfind("--", 0) == 0) {
        if (globalOption(i)) {
            continue;
        } else if (words[i] == "--help" || words[i] == "-h") {
            usage(std::cout);
            return 0;
        } else {
            std::cerr << "不明なオプション: " << words[i] << "\n";
            usage(std::cerr);
            return 1;
        }
    }
    if (i >= words.size()) {
        usage(std::cerr);
        return 1;
    }
    args.command = words[i++];
    auto it = commands().find(args.command);
    if (it == commands().end()) {
        std::cerr << "不明なコマンド: " << args.command << "\n";
        usage(std::cerr);
        return 1;
    }
    const CommandInfo& info = it->second;
    while (i < words.size()) {
        const std::string& w = words[i];
        if (w == "--help" || w == "-h") {
            // COMMAND --help: that command's usage, whatever else was given.
            std::cout << "使い方: wattorio-cli [--dir FOLDER] " << info.usage << "\n";
            return 0;
        }
        if (w.rfind("--", 0) == 0 && w.size() > 2) {
            std::string name = w.substr(2);
            if (globalOption(i))
                continue;
            if (std::find(info.switches.begin(), info.switches.end(), name) != info.switches.end()) {
                args.options[name].push_back("");
                ++i;
            } else if (i + 1 < words.size()) {
                args.options[name].push_back(words[i + 1]);
                i += 2;
            } else {
                std::cerr << "オプション --" << name << " に値がありません。\n";
                return 1;
            }
        } else {
            args.positional.push_back(w);
            ++i;
        }
    }

    if (badWait)
        return 1;
    std::optional<std::string> folder = workingFolder(dir);
    if (!folder)
        return 1;
    AppState state;
    std::error_code ec;
    state.AppDir = *folder;
    state.CurrentYear = currentYear();
    state.DataDir =
        programDataDir(std::filesystem::read_symlink("/proc/self/exe", ec).parent_path().string());
    CliContext context{state, std::cout, std::cerr, {}, lockWait};
    return info.run(context, args);
}
