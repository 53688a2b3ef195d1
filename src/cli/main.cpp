// wattorio-cli: the program's core from the command line, for scripting and batch comparison.

#include "app/app_state.h"
#include "app/data_dir.h"
#include "cli/command_registry.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <iostream>

using namespace wattorio;
using namespace wattorio::cli;

namespace {

void usage(std::ostream& out) {
    out << "使い方: wattorio-cli [--dir FOLDER] COMMAND [OPTIONS]\n"
           "FOLDER は作業フォルダー（既定: 現在のフォルダー）。\n\nCOMMAND:\n";
    for (const auto& [name, info] : commands())
        out << "  " << info.usage << "\n";
}

int currentYear() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_year + 1900;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    std::string dir = std::filesystem::current_path().string();
    Args args;
    std::size_t i = 0;
    // Global options before the command.
    while (i < words.size() && words[i].rfind("--", 0) == 0) {
        if (words[i] == "--dir" && i + 1 < words.size()) {
            dir = words[i + 1];
            i += 2;
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
            if (name == "dir" && i + 1 < words.size()) {
                dir = words[i + 1];
                i += 2;
                continue;
            }
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

    AppState state;
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::absolute(dir, ec);
    if (!std::filesystem::is_directory(folder, ec)) {
        std::cerr << "作業フォルダーがありません: " << dir << "\n";
        return 1;
    }
    state.AppDir = folder.string();
    if (state.AppDir.back() != '/')
        state.AppDir += '/';
    state.CurrentYear = currentYear();
    state.DataDir =
        programDataDir(std::filesystem::read_symlink("/proc/self/exe", ec).parent_path().string());
    CliContext context{state, std::cout, std::cerr, {}};
    return info.run(context, args);
}
