#include "cli/command_registry.h"

#include "app/numtext.h"
#include "app/safe_save.h"
#include "registry/menu_form.h"
#include "yearbook/year_book_file.h"

#include <cmath>
#include <cstdio>

namespace wattorio::cli {

namespace {
std::map<std::string, CommandInfo>& table() {
    static std::map<std::string, CommandInfo> commands;
    return commands;
}
} // namespace

std::optional<std::string> Args::get(const std::string& name) const {
    auto it = options.find(name);
    if (it == options.end() || it->second.empty())
        return std::nullopt;
    return it->second.back();
}

std::vector<std::string> Args::all(const std::string& name) const {
    auto it = options.find(name);
    return it == options.end() ? std::vector<std::string>{} : it->second;
}

CommandRegistrar::CommandRegistrar(const char* name, CommandInfo info) {
    table()[name] = std::move(info);
}

const std::map<std::string, CommandInfo>& commands() {
    return table();
}

bool lockWorkingFolder(CliContext& context) {
    Result<FolderLock> lock = FolderLock::take(context.state.AppDir, context.lockWait);
    if (!lock) {
        context.err << lock.error().message << "\n";
        return false;
    }
    context.lock = std::move(*lock);
    context.lock.removeStaleTemporaries();
    return true;
}

bool loadWorkingFolder(CliContext& context) {
    registry::MenuForm form(context.state);
    std::optional<Message> problem = form.startUp(context.state.AppDir);
    if (problem)
        context.err << problem->text << "\n";
    return true;
}

std::vector<tariffs::UserMenu> readUserMenus(CliContext& context) {
    tariffs::UserMenuSet set = tariffs::loadUserMenus(context.state.AppDir);
    if (!set.problems.empty())
        context.err << tariffs::userMenuProblemsText(set.problems) << "\n";
    return std::move(set.menus);
}

const tariffs::UserMenu* findUserMenu(CliContext& context, const std::vector<tariffs::UserMenu>& menus,
                                      const std::string& menuText) {
    const std::string line = menuText.rfind("user:", 0) == 0 ? menuText.substr(5) : std::string();
    if (line.empty() || line.size() > 6 || line.find_first_not_of("0123456789") != std::string::npos) {
        context.err << "--menu user:LINE に User_Menus.csv の行番号を指定してください（例 user:2）。\n";
        return nullptr;
    }
    const int number = std::stoi(line);
    for (const tariffs::UserMenu& m : menus)
        if (m.line == number)
            return &m;
    context.err << "User_Menus.csv の " << number << " 行目に使える自由メニューがありません。\n";
    return nullptr;
}

bool selectSite(CliContext& context, const Args& args) {
    std::optional<std::string> rowText = args.get("site");
    if (!rowText) {
        context.err << "--site ROW を指定してください。\n";
        return false;
    }
    const double row = val(*rowText);
    registry::MenuForm form(context.state);
    form.startUp(context.state.AppDir);
    if (!form.hasSite(static_cast<float>(row)) || row != std::floor(row)) {
        context.err << "行 " << *rowText << " に物件はありません。\n";
        return false;
    }
    form.listClick(static_cast<int>(row));
    return true;
}

bool loadYearBookOrNew(CliContext& ctx) {
    const std::string& path = ctx.state.SiteDataPath;
    yearbook::BookFileState outcome = yearbook::BookFileState::Missing;
    const Status loaded = yearbook::loadYearBook(ctx.state, path, &outcome);
    switch (outcome) {
    case yearbook::BookFileState::Read:
        return true;
    case yearbook::BookFileState::Missing:
        yearbook::newYearBook(ctx.state);
        return true;
    case yearbook::BookFileState::Repaired: {
        Result<std::string> copy = keepDamagedCopy(path);
        if (!copy) {
            ctx.err << "年間データファイルに Shift_JIS でない文字があり、控えも作れません: " << path << "\n"
                    << copy.error().message << "\n";
            return false;
        }
        ctx.err << "年間データファイルの読めない日付の表示を直しました: " << path
                << "\n元のファイル: " << *copy << "\n";
        return true;
    }
    case yearbook::BookFileState::Damaged:
        break;
    }
    ctx.err << "年間データファイルを読み込めません: " << path << "\n（" << loaded.error().message << "）\n";
    return false;
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    out += '"';
    return out;
}

std::string jsonNumber(double value) {
    if (!std::isfinite(value))
        return "null";
    std::string t = numberText(value);
    // JSON wants "1e+300", and never a bare ".5".
    for (char& c : t)
        if (c == 'E')
            c = 'e';
    return t;
}

} // namespace wattorio::cli
