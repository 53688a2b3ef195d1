// report: one spreadsheet report written as the Excell window writes it, from the windows'
// cores loaded as the program loads them (the book form, and for the reports of the results
// window a fresh results form with the chosen menu applied).

#include "app/numtext.h"
#include "app/safe_save.h"
#include "app/text_escape.h"
#include "billing/monthly_bill_form.h"
#include "calc/aggregation.h"
#include "calc/total_form.h"
#include "cli/command_registry.h"
#include "registry/registry.h"
#include "reports/analysis.h"
#include "reports/excel_output.h"
#include "reports/workbook_file.h"
#include "tariffs/catalog.h"
#include "tenday/ten_day_file.h"
#include "tenday/ten_day_form.h"
#include "yearbook/year_book_file.h"
#include "yearbook/year_book_form.h"

#include <filesystem>
#include <iterator>
#include <memory>

using namespace wattorio;
using namespace wattorio::cli;
namespace fs = std::filesystem;

namespace {

bool needsCalculation(reports::Report r) {
    return r != reports::Report::TenDayBook && r != reports::Report::YearBook;
}

// Whether `inner` is `folder` or lies under it (both absolute and without "." or "..").
bool within(const fs::path& inner, const fs::path& folder) {
    auto i = inner.begin();
    for (auto f = folder.begin(); f != folder.end(); ++f, ++i) {
        if (f->empty() && std::next(f) == folder.end())
            break; // the closing slash
        if (i == inner.end() || *i != *f)
            return false;
    }
    return true;
}

// The report's file may replace an existing file only when asked to, never one of the program's
// own files, and inside the working folder only while holding the folder's lock. 0 when the
// report may be written, otherwise the exit status (the reason on standard error).
int checkReportTarget(CliContext& ctx, const std::string& out, bool overwrite) {
    std::error_code ec;
    const fs::path target = fs::absolute(out, ec);
    if (ec) {
        ctx.err << "現在のフォルダーを開けません（" << ec.message()
                << "）。--out を絶対パスで指定してください: " << escapedForMessage(out) << "\n";
        return 1;
    }
    if (target.filename().empty()) {
        ctx.err << "--out に書き込むファイルの名前を指定してください: " << escapedForMessage(out) << "\n";
        return 1;
    }
    if (isProgramDataFileName(target.filename().string())) {
        ctx.err << "このプログラムのデータファイルにはレポートを書き込めません: " << escapedForMessage(out)
                << "\n";
        return 2;
    }
    const fs::path folder = fs::weakly_canonical(target.parent_path(), ec);
    std::error_code workError;
    const fs::path work = fs::weakly_canonical(ctx.state.AppDir, workError);
    if (!ec && !workError && within(folder, work) && !lockWorkingFolder(ctx))
        return 1;
    if (fs::symlink_status(target, ec).type() != fs::file_type::not_found && !overwrite) {
        ctx.err << "ファイルがすでにあります: " << escapedForMessage(out)
                << "\n上書きするには --overwrite を付けてください。\n";
        return 2;
    }
    return 0;
}

// Report 8, 月別請求額: the site's dated bill under one tariff file of 料金表, as the window
// 月別請求額 writes it.
int billReport(CliContext& ctx, const Args& args) {
    const std::string tariffFile = args.get("tariff").value_or("");
    const std::string out = args.get("out").value_or("");
    if (tariffFile.empty() || out.empty()) {
        ctx.err << "--report 8（月別請求額）には --tariff FILE と --out FILE.xlsx が必要です。\n";
        return 1;
    }
    if (const int refused = checkReportTarget(ctx, out, args.has("overwrite")); refused != 0)
        return refused;
    if (!selectSite(ctx, args))
        return 1;
    billing::MonthlyBillForm form(ctx.state);
    Status loaded = form.load(static_cast<int>(ctx.state.SiteRow));
    if (loaded && args.has("from")) {
        const std::optional<billing::YearMonth> from = billing::parseYearMonth(*args.get("from"));
        loaded = from ? form.setFirst(*from) : Status(Error{"--from には YYYY-MM を指定してください。"});
    }
    if (loaded)
        loaded = form.choose(billing::tariffFileName(tariffFile));
    if (!loaded) {
        ctx.err << loaded.error().message << "\n";
        return 1;
    }
    if (Status written =
            billing::writeBillWorkbook(form.sheetHeading(), form.table(), out, std::time(nullptr));
        !written) {
        ctx.err << written.error().message << "\n";
        return 1;
    }
    ctx.out << billing::kBillReportName << " を書き込みました: " << out << "\n";
    return 0;
}

int report(CliContext& ctx, const Args& args) {
    AppState& state = ctx.state;
    const std::string reportText = args.get("report").value_or("");
    if (reportText == std::to_string(billing::kBillReportNumber))
        return billReport(ctx, args);
    reports::Report which{};
    if (reportText.empty() || reportText.find_first_not_of("0123456789") != std::string::npos ||
        !reports::reportOfMode(static_cast<float>(val(reportText)), &which)) {
        ctx.err << "--report N（1 から 8）を指定してください。\n";
        return 1;
    }
    const std::string out = args.get("out").value_or("");
    if (out.empty()) {
        ctx.err << "--out FILE.xlsx を指定してください。\n";
        return 1;
    }
    if (const int refused = checkReportTarget(ctx, out, args.has("overwrite")); refused != 0)
        return refused;
    // The ten-day grid is report 1, the year book's grid report 4; the analyses of reports 6 and
    // 7 exist only for a year book.
    const std::string defaultBook = which == reports::Report::TenDayBook ? "tenday" : "year";
    const std::string book = args.get("book").value_or(defaultBook);
    if (book != "year" && book != "tenday") {
        ctx.err << "--book には year か tenday を指定してください。\n";
        return 1;
    }
    const bool tenDay = book == "tenday";
    if (which == reports::Report::TenDayBook && !tenDay) {
        ctx.err << "レポート 1 は１０日集計用のデータです（--book tenday）。\n";
        return 2;
    }
    if (tenDay && (which == reports::Report::YearBook || which == reports::Report::MonthlyMaximum ||
                   which == reports::Report::HourAverages)) {
        ctx.err << "レポート " << static_cast<int>(which)
                << " は３６５日用のデータから作ります（--book year）。\n";
        return 2;
    }
    const tariffs::TariffMenu* menu = nullptr;
    std::vector<tariffs::UserMenu> userMenus;
    const tariffs::UserMenu* userMenu = nullptr;
    if (std::optional<std::string> menuText = args.get("menu");
        menuText && menuText->rfind("user:", 0) == 0) {
        userMenus = readUserMenus(ctx);
        if (!(userMenu = findUserMenu(ctx, userMenus, *menuText)))
            return 1;
    } else if (menuText) {
        if (!(menu = catalogMenuOption(*menuText))) {
            ctx.err << kMenuOptionRefusal << "\n";
            return 1;
        }
    } else if (which == reports::Report::ChargeSummary) {
        ctx.err << "レポート 5（料金計算）には --menu LIST:INDEX か --menu user:LINE が必要です。\n";
        return 1;
    }

    if (!selectSite(ctx, args))
        return 1;
    if (needsCalculation(which)) {
        if (std::optional<Message> refusal = calc::utilityRefusal(state)) {
            ctx.err << refusal->text << "\n";
            return 2;
        }
    }
    const std::string serial = state.SiteTable[static_cast<std::size_t>(state.SiteRow)][0];
    state.SiteDataPath = registry::Fail_Name_Set(state.AppDir, serial, tenDay ? 2 : 1);
    StreamPrompter prompter(ctx.err, false);

    // The book as its window opens it. A damaged file is refused here rather than set aside.
    std::unique_ptr<yearbook::YearBookForm> yearBook;
    std::unique_ptr<tenday::TenDayForm> tenDayBook;
    if (tenDay) {
        if (Status loaded = tenday::loadTenDayBook(state, state.SiteDataPath); !loaded) {
            ctx.err << loaded.error().message << "\n";
            return 1;
        }
        tenDayBook = std::make_unique<tenday::TenDayForm>(state);
        if (std::optional<Message> told = tenDayBook->Form_Load())
            ctx.err << told->text << "\n";
    } else {
        yearbook::BookFileState outcome = yearbook::BookFileState::Read;
        if (Status loaded = yearbook::loadYearBook(state, state.SiteDataPath, &outcome);
            !loaded && outcome != yearbook::BookFileState::Missing) {
            ctx.err << loaded.error().message << "\n";
            return 1;
        }
        if (outcome == yearbook::BookFileState::Missing)
            ctx.err << "年間データがありません。空の一年として扱います。\n";
        yearBook = std::make_unique<yearbook::YearBookForm>(state, prompter);
        yearBook->Form_Load();
    }

    // "電気代計算" and the results window.
    std::unique_ptr<calc::TotalForm> total;
    if (needsCalculation(which)) {
        if (tenDayBook) {
            if (std::optional<Message> refused = tenDayBook->calculate()) {
                ctx.err << refused->text << "\n";
                return 2;
            }
        } else {
            calc::runMonthTotals(state);
            reports::Demd(state);
            reports::Heikin(state);
        }
        total = std::make_unique<calc::TotalForm>(state);
        if (!total->Form_Load()) {
            ctx.err << "結果画面を開けません。\n";
            return 2;
        }
        if (userMenu) {
            total->setUserMenus({*userMenu});
            total->ApplyUserMenu(0);
        } else if (menu && !total->ApplyTariffMenu(menu->list, menu->index, prompter)) {
            ctx.err << "料金メニューを適用できません。\n";
            return 2;
        }
    }

    reports::ReportSources sources;
    if (tenDayBook)
        sources.tenDayGrid = &tenDayBook->grid();
    if (yearBook)
        sources.yearBookGrid = &yearBook->grid();
    if (total) {
        const calc::TotalForm* t = total.get();
        sources.resultsGrid = &t->MSFlexGrid1();
        sources.panel.text = [t](std::string_view name) { return t->text(name); };
        sources.panel.visible = [t](std::string_view name) { return t->visible(name); };
        sources.panel.userMenu = t->currentUserMenu().has_value();
        sources.calculated = true;
    }
    Result<reports::ReportLayout> layout = reports::buildReport(which, state, sources);
    if (!layout) {
        ctx.err << layout.error().message << "\n";
        return 2;
    }
    if (Status written = reports::writeWorkbook(*layout, out); !written) {
        ctx.err << written.error().message << "\n";
        return 1;
    }
    ctx.out << reports::reportName(which) << " を書き込みました: " << out << "（" << layout->cells.size()
            << " セル）\n";
    return 0;
}

CommandRegistrar reportCommand(
    "report",
    {"report --site ROW --report N [--book year|tenday] [--menu LIST:INDEX|user:LINE] --out FILE.xlsx "
     "[--overwrite]  "
     "表をエクセルファイルに書き込む（1 １０日集計表, 2 月別電気使用量, 3 季節別電気使用量, 4 "
     "３６５日データ, "
     "5 料金計算, 6 月時間の最大使用量, 7 時間帯別平均電力, 8 月別請求額: --tariff FILE [--from YYYY-MM]）",
     report,
     {"overwrite"}});

} // namespace
