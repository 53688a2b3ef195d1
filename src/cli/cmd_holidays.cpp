// holiday-list: the national holidays computed from the law, in the Cabinet Office's list layout
// (Shift_JIS, CR LF). The list shipped with the program (data/syukujitsu.csv) is written by it.

#include "app/numtext.h"
#include "app/safe_save.h"
#include "cli/command_registry.h"
#include "yearbook/holiday_list.h"

#include <cmath>

using namespace wattorio;
using namespace wattorio::cli;

namespace {

int holidayListCommand(CliContext& ctx, const Args& args) {
    int years[2] = {yearbook::kComputedFirstYear, yearbook::kComputedLastYear};
    const char* names[2] = {"from", "to"};
    for (int i = 0; i < 2; ++i) {
        if (std::optional<std::string> text = args.get(names[i])) {
            const double y = val(*text);
            if (y < 2000 || y > 2099 || y != std::floor(y)) {
                ctx.err << "--" << names[i] << " には 2000 から 2099 までの年を指定してください。\n";
                return 1;
            }
            years[i] = static_cast<int>(y);
        }
    }
    if (years[0] > years[1]) {
        ctx.err << "--from の年が --to の年より後です。\n";
        return 1;
    }
    const std::string bytes = yearbook::computedListBytes(years[0], years[1]);
    if (std::optional<std::string> output = args.get("output")) {
        if (Status saved = saveFileAtomically(*output, bytes); !saved) {
            ctx.err << saved.error().message << "\n";
            return 1;
        }
        ctx.out << years[0] << "〜" << years[1] << " 年の祝日の一覧を書きました: " << *output << "\n";
        return 0;
    }
    ctx.out << bytes;
    return 0;
}

CommandRegistrar holidayListEntry("holiday-list",
                                  {"holiday-list [--from Y] [--to Y] [--output FILE]   "
                                   "法律の規則による国民の祝日の一覧（syukujitsu.csv の形式）",
                                   holidayListCommand,
                                   {}});

} // namespace
