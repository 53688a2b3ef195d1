// sites, add-site: the site registry.

#include "app/numtext.h"
#include "cli/command_registry.h"
#include "registry/menu_form.h"

using namespace wattorio;
using namespace wattorio::cli;

namespace {

int sites(CliContext& ctx, const Args& args) {
    registry::MenuForm form(ctx.state);
    if (std::optional<Message> problem = form.startUp(ctx.state.AppDir))
        ctx.err << problem->text << "\n";
    const int last = static_cast<int>(form.nextSiteRow());
    if (!args.has("json")) {
        for (int r = 1; r < last; ++r) {
            const SiteRecord& s = ctx.state.SiteTable[r];
            const int u = static_cast<int>(val(s[5]));
            ctx.out << r << "\t" << s[1] << "\t倍率 " << s[2] << "\t契約電力 " << s[3] << " kW\t力率 " << s[4]
                    << " ％\t" << (u >= 1 && u <= 9 ? kUtilityNames[u - 1] : "（電力会社なし）") << "\n";
        }
        return 0;
    }
    ctx.out << "[";
    for (int r = 1; r < last; ++r) {
        const SiteRecord& s = ctx.state.SiteTable[r];
        ctx.out << (r > 1 ? ",\n " : "\n ") << "{\"row\": " << r << ", \"serial\": " << jsonString(s[0])
                << ", \"name\": " << jsonString(s[1]) << ", \"multiplier\": " << jsonString(s[2])
                << ", \"contract\": " << jsonString(s[3]) << ", \"power_factor\": " << jsonString(s[4])
                << ", \"utility\": " << jsonNumber(val(s[5])) << "}";
    }
    ctx.out << (last > 1 ? "\n]\n" : "]\n");
    return 0;
}

int addSite(CliContext& ctx, const Args& args) {
    if (!lockWorkingFolder(ctx))
        return 1;
    registry::MenuForm form(ctx.state);
    if (std::optional<Message> problem = form.startUp(ctx.state.AppDir))
        ctx.err << problem->text << "\n";
    form.name = args.get("name").value_or("");
    form.multiplier = args.get("multiplier").value_or("");
    form.contract = args.get("contract").value_or("");
    form.powerFactor = args.get("power-factor").value_or("");
    const int utility = static_cast<int>(val(args.get("utility").value_or("0")));
    if (utility >= 1 && utility <= 9)
        form.chooseUtility(utility - 1);
    const Message result = form.add();
    if (result.title != "登録確認メッセージ") {
        ctx.err << result.text << "\n";
        return result.title == "入力エラー" ? 2 : 1;
    }
    ctx.out << result.text << "\n";
    return 0;
}

CommandRegistrar sitesCommand("sites", {"sites [--json]            登録物件の一覧", sites, {"json"}});
CommandRegistrar
    addCommand("add-site",
               {"add-site --name N --multiplier M --contract C --power-factor P --utility U", addSite, {}});

} // namespace
