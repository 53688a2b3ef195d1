// sites, add-site, change-site: the site registry.

#include "app/numtext.h"
#include "cli/command_registry.h"
#include "registry/menu_form.h"
#include "registry/site_facts.h"

#include <cmath>

using namespace wattorio;
using namespace wattorio::cli;

namespace {

std::string factText(std::optional<registry::Supply> supply) {
    return std::string(supply ? registry::supplyText(*supply) : registry::kUnsetText);
}
std::string factText(std::optional<tariffs::Category> category) {
    return std::string(category ? tariffs::categoryName(*category) : registry::kUnsetText);
}

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
                    << " ％\t" << (u >= 1 && u <= 9 ? kUtilityNames[u - 1] : "（電力会社なし）") << "\t"
                    << factText(registry::siteSupply(s)) << "\t" << factText(registry::siteCategory(s))
                    << "\n";
        }
        return 0;
    }
    ctx.out << "[";
    for (int r = 1; r < last; ++r) {
        const SiteRecord& s = ctx.state.SiteTable[r];
        ctx.out << (r > 1 ? ",\n " : "\n ") << "{\"row\": " << r << ", \"serial\": " << jsonString(s[0])
                << ", \"name\": " << jsonString(s[1]) << ", \"multiplier\": " << jsonString(s[2])
                << ", \"contract\": " << jsonString(s[3]) << ", \"power_factor\": " << jsonString(s[4])
                << ", \"utility\": " << jsonNumber(val(s[5]))
                << ", \"supply\": " << jsonString(registry::siteSupply(s) ? s[registry::kSupplyField] : "")
                << ", \"category\": "
                << jsonString(registry::siteCategory(s) ? s[registry::kCategoryField] : "") << "}";
    }
    ctx.out << (last > 1 ? "\n]\n" : "]\n");
    return 0;
}

// --supply / --category of add-site and change-site: false with a message for another value.
bool readFacts(CliContext& ctx, const Args& args, registry::MenuForm& form) {
    if (const std::optional<std::string> supply = args.get("supply")) {
        if (*supply == "high")
            form.supply = registry::Supply::High;
        else if (*supply == "extra-high")
            form.supply = registry::Supply::ExtraHigh;
        else {
            ctx.err << "--supply には high（高圧）か extra-high（特別高圧）を指定してください。\n";
            return false;
        }
    }
    if (const std::optional<std::string> category = args.get("category")) {
        if (*category == "office")
            form.category = tariffs::Category::Office;
        else if (*category == "factory")
            form.category = tariffs::Category::Factory;
        else {
            ctx.err << "--category には office（事務所・ビル・店舗）か factory（工場）を指定してください。\n";
            return false;
        }
    }
    return true;
}

// The figures and the utility given as options, each only a number (full-width digits read as
// half-width); false with the option named for any other text.
bool readFigures(CliContext& ctx, const Args& args, registry::MenuForm& form) {
    const std::pair<const char*, std::string*> fields[] = {
        {"multiplier", &form.multiplier}, {"contract", &form.contract}, {"power-factor", &form.powerFactor}};
    for (const auto& [option, field] : fields)
        if (const std::optional<std::string> text = args.get(option)) {
            if (!numberOption(ctx, args, option))
                return false;
            *field = halfWidthNumber(*text);
        }
    if (args.has("utility")) {
        const std::optional<double> u = numberOption(ctx, args, "utility");
        if (!u)
            return false;
        if (*u >= 1 && *u <= 9 && *u == std::floor(*u))
            form.chooseUtility(static_cast<int>(*u) - 1);
        else {
            ctx.err << "--utility には 1 から 9 を指定してください。\n";
            return false;
        }
    }
    return true;
}

int addSite(CliContext& ctx, const Args& args) {
    if (!lockWorkingFolder(ctx))
        return 1;
    registry::MenuForm form(ctx.state);
    if (std::optional<Message> problem = form.startUp(ctx.state.AppDir))
        ctx.err << problem->text << "\n";
    form.name = args.get("name").value_or("");
    form.multiplier.clear();
    form.contract.clear();
    form.powerFactor.clear();
    if (!readFigures(ctx, args, form) || !readFacts(ctx, args, form))
        return 2;
    const Message result = form.add();
    if (result.title != "登録確認メッセージ") {
        ctx.err << result.text << "\n";
        return result.title == "入力エラー" ? 2 : 1;
    }
    ctx.out << result.text << "\n";
    return 0;
}

// change-site: the registered site of --site changed as 変　更 changes it, only the options given.
int changeSite(CliContext& ctx, const Args& args) {
    if (!lockWorkingFolder(ctx))
        return 1;
    if (!selectSite(ctx, args))
        return 1;
    registry::MenuForm form(ctx.state);
    if (std::optional<Message> problem = form.startUp(ctx.state.AppDir))
        ctx.err << problem->text << "\n";
    const int row = static_cast<int>(ctx.state.SiteRow);
    form.listClick(row);
    if (const std::optional<std::string> name = args.get("name"))
        form.name = *name;
    if (!readFigures(ctx, args, form) || !readFacts(ctx, args, form))
        return 2;
    const std::optional<Message> result = form.change();
    if (!result || result->title != "確認メッセージ") {
        ctx.err << (result ? result->text : "行 " + std::to_string(row) + " に物件はありません。") << "\n";
        return result && result->title == "入力エラー" ? 2 : 1;
    }
    ctx.out << result->text << "\n";
    return 0;
}

CommandRegistrar sitesCommand("sites", {"sites [--json]            登録物件の一覧", sites, {"json"}});
CommandRegistrar addCommand("add-site",
                            {"add-site --name N --multiplier M --contract C --power-factor P --utility U "
                             "[--supply high|extra-high] [--category office|factory]",
                             addSite,
                             {}});
CommandRegistrar changeCommand("change-site",
                               {"change-site --site ROW [--name N] [--multiplier M] [--contract C] "
                                "[--power-factor P] [--utility U] [--supply high|extra-high] "
                                "[--category office|factory]  登録物件の変更",
                                changeSite,
                                {}});

} // namespace
