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

int loadYearBookToPrice(CliContext& ctx) {
    yearbook::BookFileState outcome = yearbook::BookFileState::Read;
    if (Status loaded = yearbook::loadYearBook(ctx.state, ctx.state.SiteDataPath, &outcome); !loaded) {
        if (outcome != yearbook::BookFileState::Missing) {
            ctx.err << loaded.error().message << "\n";
            return 1;
        }
        yearbook::newYearBook(ctx.state);
        ctx.err << "年間データがありません。空の一年として計算します。\n";
    }
    return -1;
}

std::string halfWidthNumber(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        // Full-width "＋", "－", "．" and "０".."９" are EF BC 8B, 8D, 8E and 90..99; "Ｅ" / "ｅ" are
        // EF BC A5 / EF BD 85.
        if (i + 2 < text.size() && static_cast<unsigned char>(text[i]) == 0xEF) {
            const auto b1 = static_cast<unsigned char>(text[i + 1]);
            const auto b2 = static_cast<unsigned char>(text[i + 2]);
            if (b1 == 0xBC && ((b2 >= 0x90 && b2 <= 0x99) || b2 == 0x8B || b2 == 0x8D || b2 == 0x8E)) {
                out += static_cast<char>(b2 - 0x90 + '0');
                i += 3;
                continue;
            }
            if ((b1 == 0xBC && b2 == 0xA5) || (b1 == 0xBD && b2 == 0x85)) {
                out += 'e';
                i += 3;
                continue;
            }
        }
        out += text[i++];
    }
    return out;
}

std::optional<double> optionNumber(const std::string& text) {
    const std::string t = halfWidthNumber(text);
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9')
        ++i, ++digits;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9')
            ++i, ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < t.size() && (t[j] == '+' || t[j] == '-'))
            ++j;
        const std::size_t start = j;
        while (j < t.size() && t[j] >= '0' && t[j] <= '9')
            ++j;
        if (j == start)
            return std::nullopt;
        i = j;
    }
    if (i != t.size())
        return std::nullopt;
    const double value = val(t);
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> numberOption(CliContext& context, const Args& args, const std::string& name,
                                   std::optional<double> fallback) {
    const std::optional<std::string> text = args.get(name);
    if (!text)
        return fallback;
    const std::optional<double> value = optionNumber(*text);
    if (!value)
        context.err << "--" << name << " には数値を指定してください: " << *text << "\n";
    return value;
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

const tariffs::TariffMenu* catalogMenuOption(const std::string& text) {
    const auto colon = text.find(':');
    if (colon == std::string::npos || text.find_first_not_of("0123456789:") != std::string::npos)
        return nullptr;
    return tariffs::findMenu(static_cast<int>(val(text.substr(0, colon))),
                             static_cast<int>(val(text.substr(colon + 1))));
}

} // namespace wattorio::cli
