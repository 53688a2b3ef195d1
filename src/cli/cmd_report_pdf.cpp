// report-pdf: the site report 「物件レポート」 of one site as a PDF file, priced as the results
// window prices it (the book loaded and aggregated, a fresh results form, the chosen menu applied).
// The report is drawn with Qt's painting classes, which only the build with the windows has.

#include "cli/command_registry.h"

#ifdef WATTORIO_SITE_REPORT

#include "app/numtext.h"
#include "billing/dates.h"
#include "calc/aggregation.h"
#include "calc/comparison.h"
#include "calc/total_form.h"
#include "registry/registry.h"
#include "registry/site_book_info.h"
#include "reports/analysis.h"
#include "sitereport/site_report.h"
#include "sitereport/site_report_bills.h"
#include "sitereport/site_report_pdf.h"
#include "tariffs/catalog.h"
#include "tenday/ten_day_file.h"
#include "tenday/ten_day_form.h"
#include "yearbook/year_book_file.h"

#include <QGuiApplication>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>

#endif

using namespace wattorio;
using namespace wattorio::cli;

namespace {

#ifdef WATTORIO_SITE_REPORT

namespace fs = std::filesystem;

// Qt's fonts need an application object; without a display the offscreen platform serves.
std::unique_ptr<QGuiApplication> guiApplication() {
    if (QGuiApplication::instance())
        return nullptr;
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "wattorio-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

// The book of the site as its window loads it, aggregated as "電気代計算" does. Returns an exit
// status, or -1 when the site is ready to be priced.
int loadAndAggregate(CliContext& ctx, bool tenDay) {
    AppState& state = ctx.state;
    const std::string serial = state.SiteTable[static_cast<std::size_t>(state.SiteRow)][0];
    state.SiteDataPath = registry::Fail_Name_Set(state.AppDir, serial, tenDay ? 2 : 1);
    if (tenDay) {
        if (Status loaded = tenday::loadTenDayBook(state, state.SiteDataPath); !loaded) {
            ctx.err << loaded.error().message << "\n";
            return 1;
        }
        tenday::TenDayForm book(state);
        if (std::optional<Message> told = book.Form_Load())
            ctx.err << told->text << "\n";
        if (std::optional<Message> refused = book.calculate()) {
            ctx.err << refused->text << "\n";
            return 2;
        }
        return -1;
    }
    if (const int status = loadYearBookToPrice(ctx); status >= 0)
        return status;
    calc::runMonthTotals(state);
    reports::Demd(state);
    reports::Heikin(state);
    return -1;
}

int reportPdf(CliContext& ctx, const Args& args) {
    AppState& state = ctx.state;
    const std::string out = args.get("out").value_or("");
    if (out.empty()) {
        ctx.err << "--out FILE.pdf を指定してください。\n";
        return 1;
    }
    // A PDF name only, so that no data file of the program can be written over; an existing file
    // only when asked to; inside the working folder only while holding its lock.
    std::error_code ec;
    const fs::path target = fs::absolute(out, ec);
    std::string extension = target.extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ec || extension != ".pdf") {
        ctx.err << "--out には .pdf で終わるファイル名を指定してください。\n";
        return 1;
    }
    if (fs::symlink_status(target, ec).type() != fs::file_type::not_found && !args.has("overwrite")) {
        ctx.err << "ファイルがすでにあります: " << out << "\n上書きするには --overwrite を付けてください。\n";
        return 2;
    }
    const fs::path folder = fs::weakly_canonical(target.parent_path(), ec);
    const fs::path work = fs::weakly_canonical(fs::path(state.AppDir), ec);
    const auto [w, f] = std::mismatch(work.begin(), work.end(), folder.begin(), folder.end());
    if (w == work.end() && !lockWorkingFolder(ctx))
        return 1;
    if (args.has("from") && !args.has("tariff")) {
        ctx.err << "--from は --tariff（月別請求額）と一緒に指定してください。\n";
        return 1;
    }
    std::optional<billing::YearMonth> from;
    if (const std::optional<std::string> fromText = args.get("from");
        fromText && !(from = billing::parseYearMonth(*fromText))) {
        ctx.err << "--from には YYYY-MM を指定してください。\n";
        return 1;
    }
    if (!selectSite(ctx, args))
        return 1;
    if (std::optional<Message> refusal = calc::utilityRefusal(state)) {
        ctx.err << refusal->text << "\n";
        return 2;
    }
    // The book the site keeps, unless asked for the other one: its recorded kind, else the book
    // whose file is there (the year book when both or neither are).
    const SiteRecord& record = state.SiteTable[static_cast<std::size_t>(state.SiteRow)];
    std::optional<registry::BookKind> kind = registry::siteBookInfo(record).kind;
    if (!kind) {
        std::error_code ec;
        const bool year = fs::exists(registry::Fail_Name_Set(state.AppDir, record[0], 1), ec);
        const bool tenDayFile = fs::exists(registry::Fail_Name_Set(state.AppDir, record[0], 2), ec);
        kind = tenDayFile && !year ? registry::BookKind::TenDay : registry::BookKind::Year;
    }
    const std::string book = args.get("book").value_or(
        *kind == registry::BookKind::TenDay ? std::string("tenday") : std::string("year"));
    if (book != "year" && book != "tenday") {
        ctx.err << "--book には year か tenday を指定してください。\n";
        return 1;
    }
    const bool tenDay = book == "tenday";

    const std::vector<tariffs::UserMenu> userMenus = readUserMenus(ctx);
    const tariffs::TariffMenu* menu = nullptr;
    const tariffs::UserMenu* userMenu = nullptr;
    if (std::optional<std::string> menuText = args.get("menu");
        menuText && menuText->rfind("user:", 0) == 0) {
        if (!(userMenu = findUserMenu(ctx, userMenus, *menuText)))
            return 1;
    } else if (menuText) {
        if (!(menu = catalogMenuOption(*menuText))) {
            ctx.err << kMenuOptionRefusal << "\n";
            return 1;
        }
    }

    if (const int status = loadAndAggregate(ctx, tenDay); status >= 0)
        return status;
    calc::TotalForm form(state);
    form.setTenDayBook(tenDay);
    if (!form.Form_Load()) {
        ctx.err << (form.loadRefusal() ? form.loadRefusal()->text : std::string("結果画面を開けません。"))
                << "\n";
        return 2;
    }
    form.setUserMenus(userMenus);
    StreamPrompter prompter(ctx.err, false);
    if (userMenu) {
        for (std::size_t i = 0; i < form.userMenus().size(); ++i)
            if (form.userMenus()[i].line == userMenu->line)
                form.ApplyUserMenu(static_cast<int>(i));
    } else if (menu && !form.ApplyTariffMenu(menu->list, menu->index, prompter)) {
        ctx.err << "料金メニューを適用できません。\n";
        return 2;
    }

    sitereport::SiteReport report = sitereport::buildSiteReport({&state, &form, !tenDay, std::time(nullptr)});
    // With a tariff file, its monthly bills (月別請求額) and the tariff as the current contract.
    if (const std::optional<std::string> tariff = args.get("tariff")) {
        Result<sitereport::DatedBills> bills = sitereport::datedBills(state, *tariff, from);
        if (!bills) {
            ctx.err << bills.error().message << "\n";
            return 1;
        }
        for (const std::string& warning : bills->warnings)
            ctx.err << warning << "\n";
        sitereport::addDatedBills(report, std::move(*bills));
    }
    const std::unique_ptr<QGuiApplication> app = guiApplication();
    if (Status written = sitereport::writeSiteReportPdf(report, out); !written) {
        ctx.err << written.error().message << "\n";
        return 1;
    }
    ctx.out << sitereport::kReportTitle << " を書き込みました: " << out << "\n";
    return 0;
}

#else

// The core-only build has no painting classes to draw the report with.
int reportPdf(CliContext& ctx, const Args&) {
    ctx.err << "report-pdf（物件レポート）は画面つきのビルド（WATTORIO_GUI=ON）でだけ使えます。\n";
    return 2;
}

#endif

CommandRegistrar reportPdfCommand("report-pdf",
                                  {"report-pdf --site ROW [--book year|tenday] [--menu LIST:INDEX|user:LINE] "
                                   "[--tariff FILE] [--from YYYY-MM] "
                                   "--out FILE.pdf [--overwrite]  物件レポート（PDF）を書き込む",
                                   reportPdf,
                                   {"overwrite"}});

} // namespace
