// copy-site, export, import: copying a site and exchanging transfer sets with other installations.

#include "app/numtext.h"
#include "cli/command_registry.h"
#include "registry/menu_form.h"
#include "registry/site_files.h"

#include <cmath>
#include <filesystem>

using namespace wattorio;
using namespace wattorio::cli;

namespace {

// The questions of a command line run: reading in was asked for explicitly; replacing an
// existing transfer set needs --overwrite.
class CliAnswers : public Prompter {
public:
    explicit CliAnswers(bool yes) : yes_(yes) {}
    Answer show(const Message& message) override {
        asked = message.text;
        return yes_ ? Answer::Ok : Answer::Cancel;
    }
    std::string asked;

private:
    bool yes_;
};

// Start-up in the working folder (reporting what it set aside), then the list click on --site.
bool startAndSelect(CliContext& ctx, const Args& args, registry::MenuForm& form) {
    if (std::optional<Message> problem = form.startUp(ctx.state.AppDir))
        ctx.err << problem->text << "\n";
    std::optional<std::string> rowText = args.get("site");
    if (!rowText) {
        ctx.err << "--site ROW を指定してください。\n";
        return false;
    }
    const double row = val(*rowText);
    if (!form.hasSite(static_cast<float>(row)) || row != std::floor(row)) {
        ctx.err << "行 " << *rowText << " に物件はありません。\n";
        return false;
    }
    form.listClick(static_cast<int>(row));
    return true;
}

// Exit status and output of one operation: 0 done, 1 a file could not be read or written,
// 2 refused or cancelled.
int finish(CliContext& ctx, const registry::FileOpResult& r, const std::string& done) {
    switch (r.outcome) {
    case registry::Outcome::Done:
        ctx.out << (r.message ? r.message->text : done) << "\n";
        return 0;
    case registry::Outcome::Failed:
        if (r.message)
            ctx.err << r.message->text << "\n";
        return 1;
    default:
        if (r.message)
            ctx.err << r.message->text << "\n";
        return 2;
    }
}

int copySite(CliContext& ctx, const Args& args) {
    if (!lockWorkingFolder(ctx))
        return 1;
    registry::MenuForm form(ctx.state);
    if (!startAndSelect(ctx, args, form))
        return 1;
    const int row = static_cast<int>(form.nextSiteRow());
    registry::FileOpResult r = registry::copySite(form);
    const int status = finish(ctx, r, "");
    if (status == 0)
        ctx.out << row << "\t" << ctx.state.SiteTable[row][1] << "\n";
    return status;
}

// Whether `folder` is the working folder or lies below it; where either cannot be resolved it
// is taken to be, so that the lock is never skipped by doubt.
bool inWorkingFolder(const CliContext& ctx, const std::filesystem::path& folder) {
    std::error_code ec;
    std::error_code workError;
    const std::filesystem::path inner = std::filesystem::weakly_canonical(folder, ec);
    const std::filesystem::path work = std::filesystem::weakly_canonical(ctx.state.AppDir, workError);
    if (ec || workError)
        return true;
    const std::filesystem::path relative = inner.lexically_relative(work);
    return !relative.empty() && *relative.begin() != "..";
}

int exportSite(CliContext& ctx, const Args& args) {
    std::optional<std::string> to = args.get("to");
    if (!to) {
        ctx.err << "--to FOLDER を指定してください。\n";
        return 1;
    }
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::absolute(*to, ec);
    // A transfer set written into the working folder is a write there like any other.
    if (inWorkingFolder(ctx, folder) && !lockWorkingFolder(ctx))
        return 1;
    registry::MenuForm form(ctx.state);
    if (!startAndSelect(ctx, args, form))
        return 1;
    CliAnswers answers(args.has("overwrite"));
    registry::FileOpResult r = registry::writeOut(form, folder.string(), answers);
    if (r.outcome == registry::Outcome::Cancelled) {
        ctx.err << answers.asked << "\n上書きするには --overwrite を付けてください。\n";
        return 2;
    }
    return finish(ctx, r, "");
}

int importSite(CliContext& ctx, const Args& args) {
    if (!lockWorkingFolder(ctx))
        return 1;
    std::optional<std::string> from = args.get("from");
    if (!from) {
        ctx.err << "--from FILE_Wattorio_M.dat を指定してください。\n";
        return 1;
    }
    registry::MenuForm form(ctx.state);
    if (std::optional<Message> problem = form.startUp(ctx.state.AppDir))
        ctx.err << problem->text << "\n";
    std::error_code ec;
    const std::filesystem::path file = std::filesystem::absolute(*from, ec);
    const int row = static_cast<int>(form.nextSiteRow());
    CliAnswers answers(true);
    registry::FileOpResult r =
        registry::readIn(form, file.parent_path().string(), file.filename().string(), answers);
    const int status = finish(ctx, r, "読み込みました。");
    if (status == 0)
        ctx.out << row << "\t" << ctx.state.SiteTable[row][1] << "\n";
    return status;
}

CommandRegistrar copyCommand("copy-site", {"copy-site --site ROW        物件のコピーを作成", copySite, {}});
CommandRegistrar exportCommand("export", {"export --site ROW --to FOLDER [--overwrite]  物件データの書き出し",
                                          exportSite,
                                          {"overwrite"}});
CommandRegistrar importCommand("import",
                               {"import --from FILE_Wattorio_M.dat  物件データの読み込み", importSite, {}});

} // namespace
