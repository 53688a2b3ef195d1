#pragma once
// wattorio-cli subcommands. Each cmd_*.cpp registers its commands with a static CommandRegistrar.

#include "app/app_state.h"
#include "app/folder_lock.h"
#include "app/message.h"
#include "tariffs/catalog.h"
#include "tariffs/user_menus.h"

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace wattorio::cli {

// Parsed command line: "--name value" options, "--flag" switches, and plain arguments.
struct Args {
    std::string command;
    std::map<std::string, std::vector<std::string>> options; // every value of a repeated option
    std::vector<std::string> positional;

    bool has(const std::string& name) const { return options.count(name) != 0; }
    std::optional<std::string> get(const std::string& name) const;
    std::vector<std::string> all(const std::string& name) const;
};

// A command-line writer waits this long by default for the writer before it.
constexpr std::chrono::milliseconds kDefaultLockWait{10000};

struct CliContext {
    AppState& state;
    std::ostream& out;
    std::ostream& err;
    // The working folder's lock, once a writing command has taken it.
    FolderLock lock;
    // How long a writing command waits for another program to let go of the folder (--wait).
    std::chrono::milliseconds lockWait = kDefaultLockWait;
};

// Exit status: 0 success, 1 bad usage or failure, 2 refused by the program's own checks.
using CommandFn = std::function<int(CliContext&, const Args&)>;

struct CommandInfo {
    std::string usage;
    CommandFn run;
    // Options that take no value ("--json", "--saturdays", ...).
    std::vector<std::string> switches;
};

class CommandRegistrar {
public:
    CommandRegistrar(const char* name, CommandInfo info);
};

const std::map<std::string, CommandInfo>& commands();

// Every command that writes into the working folder calls this first, before it reads anything
// it will change: it takes the folder's lock for the rest of the run (and clears temporaries a
// crash left behind), waiting up to context.lockWait for another program to let go of it. False,
// with the message on standard error, when another program still holds it.
bool lockWorkingFolder(CliContext& context);

// Loads the registry of state.AppDir (start-up without windows); prints what it set aside.
bool loadWorkingFolder(CliContext& context);
// Selects registry row `row` as the main screen's list click would; false with a message when
// the row holds no site.
bool selectSite(CliContext& context, const Args& args);
// The user menus of the working folder; every line that cannot be read is named on standard error.
std::vector<tariffs::UserMenu> readUserMenus(CliContext& context);
// The user menu of `menuText` "user:LINE", or nullptr with a message on standard error.
const tariffs::UserMenu* findUserMenu(CliContext& context, const std::vector<tariffs::UserMenu>& menus,
                                      const std::string& menuText);

// The catalog menu "LIST:INDEX" named by a --menu text (digits and one colon), or nullptr.
const tariffs::TariffMenu* catalogMenuOption(const std::string& text);
// The refusal of a --menu text that names no menu.
inline constexpr const char* kMenuOptionRefusal =
    "--menu LIST:INDEX に料金メニューを指定してください（例 42:0、自由メニューは user:行番号）。";

// The program's messages on a stream, every question answered OK (the command was asked for
// explicitly). With showQuestions false only the messages that ask nothing are written.
class StreamPrompter : public Prompter {
public:
    explicit StreamPrompter(std::ostream& out, bool showQuestions = true)
        : out_(out), showQuestions_(showQuestions) {}
    Answer show(const Message& message) override {
        if (showQuestions_ || message.buttons == Buttons::Ok)
            out_ << message.text << "\n";
        return Answer::Ok;
    }

private:
    std::ostream& out_;
    bool showQuestions_;
};

// Loads the year book at state.SiteDataPath into the tables: a missing file gives a new book; a
// damaged one is refused (false, with the reason on standard error) so that no save can replace
// it; labels with stray bytes are repaired after the file is copied aside.
bool loadYearBookOrNew(CliContext& context);
// Loads the year book at state.SiteDataPath to be priced: a site without one yet is priced as an
// empty year, said on standard error. An exit status, or -1 when the book is in the tables.
int loadYearBookToPrice(CliContext& context);

// The number a numeric option gives: the whole text one decimal number (sign, digits, point,
// exponent), full-width digits and signs read as their half-width forms; nothing for any other
// text ("abc", "12kW", "") or a value that is not finite.
std::optional<double> optionNumber(const std::string& text);
// The half-width form of a typed number ("１２．５" -> "12.5"); other characters unchanged.
std::string halfWidthNumber(const std::string& text);
// Option `name` read by optionNumber; without a number, the message naming the option goes to
// standard error (the command then exits 2). `fallback` when the option is absent.
std::optional<double> numberOption(CliContext& context, const Args& args, const std::string& name,
                                   std::optional<double> fallback = std::nullopt);

// JSON helpers shared by the commands.
std::string jsonString(const std::string& text);
std::string jsonNumber(double value); // null for a non-finite number

} // namespace wattorio::cli
