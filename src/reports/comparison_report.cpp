#include "reports/comparison_report.h"

#include "app/display_format.h"
#include "app/safe_save.h"
#include "registry/site_book_info.h"
#include "reports/workbook_file.h"

#include <xlsxwriter.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace wattorio::reports {

namespace {

// Control characters other than tab and line feed cannot stand in a cell.
std::string cellText(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && b != '\t' && b != '\n') || b == 0x7F)
            c = '?';
    }
    return out;
}

std::string libraryError(lxw_error error) {
    const char* text = lxw_strerror(error);
    return text ? text : "error " + std::to_string(static_cast<int>(error));
}

// Column widths of the sheet in characters, in sheet order: 順位 .. 備考, then 税.
constexpr double kColumnWidths[calc::kRankColumnCount] = {6, 12, 18, 6, 44, 16, 16, 16, 16, 16, 16, 16, 10};

lxw_col_t sheetColumn(calc::RankColumn column) {
    return static_cast<lxw_col_t>(comparisonSheetColumn(column) - 1);
}

} // namespace

int comparisonSheetColumn(calc::RankColumn column) {
    const int c = static_cast<int>(column);
    const int tax = static_cast<int>(calc::RankColumn::Tax);
    return 1 + (c < tax ? c : c == tax ? calc::kRankColumnCount - 1 : c - 1);
}

std::vector<std::string> comparisonHeading(const AppState& state, const std::string& tableCaption) {
    std::vector<std::string> lines;
    const SiteRecord* site = state.currentSite();
    lines.push_back(std::string(kComparisonSheetName) + (site ? "　" + (*site)[1] : std::string()));
    if (site)
        lines.push_back(state.currentUtilityName() + "　契約電力 " + (*site)[3] + " kW　力率 " + (*site)[4] +
                        " ％");
    lines.push_back(tableCaption);
    return lines;
}

std::vector<std::string> comparisonSideLines(const AppState& state, std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char stamp[40];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M", &local);
    const std::string& path = state.SiteDataPath;
    const bool tenDay = path.size() >= 6 && path.compare(path.size() - 6, 6, "_W.dat") == 0;
    std::string period = "期間　";
    if (const SiteRecord* site = state.currentSite())
        if (const std::optional<int> year = registry::siteBookInfo(*site).calendarYear)
            period += std::to_string(*year) + " 年の";
    period += tenDay ? "１０日集計データ" : "年間データ（365 日）";
    return {std::string("作成　") + stamp, period};
}

Status writeComparisonWorkbook(const std::vector<std::string>& headingLines,
                               const std::vector<calc::RankedMenu>& rows, const std::string& path,
                               const std::vector<std::string>& sideLines) {
    std::error_code ec;
    fs::path dir = fs::temp_directory_path(ec);
    if (ec)
        dir = "/tmp";
    std::string scratch = (dir / "wattorio-compare-XXXXXX").string();
    const int fd = ::mkstemp(scratch.data());
    if (fd < 0)
        return Error{"一時ファイルを作れません: " + dir.string()};
    ::close(fd);
    struct Remove {
        std::string path;
        ~Remove() {
            std::error_code e;
            fs::remove(path, e);
        }
    } removeScratch{scratch};

    lxw_workbook_options options{};
    lxw_workbook* book = workbook_new_opt(scratch.c_str(), &options);
    if (!book)
        return Error{"ワークブックを作れません: " + path};
    lxw_worksheet* sheet = workbook_add_worksheet(book, kComparisonSheetName);
    if (!sheet) {
        workbook_close(book);
        return Error{"ワークシートを作れません: " + path};
    }
    lxw_format* bold = workbook_add_format(book);
    format_set_bold(bold);
    lxw_format* heading = workbook_add_format(book);
    format_set_bold(heading);
    format_set_align(heading, LXW_ALIGN_CENTER);
    format_set_bottom(heading, LXW_BORDER_THIN);
    lxw_format* yen = workbook_add_format(book);
    format_set_num_format(yen, "#,##0\" 円\"");
    lxw_format* kwh = workbook_add_format(book);
    format_set_num_format(kwh, "#,##0\" kWh\"");
    lxw_format* centred = workbook_add_format(book);
    format_set_align(centred, LXW_ALIGN_CENTER);

    std::string failure;
    const auto check = [&](lxw_error e) {
        if (e != LXW_NO_ERROR && failure.empty())
            failure = libraryError(e);
    };
    for (int c = 0; c < calc::kRankColumnCount; ++c)
        check(worksheet_set_column(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                                   kColumnWidths[c], nullptr));
    lxw_row_t r = 0;
    for (const std::string& line : headingLines) {
        if (r + 1 >= kComparisonHeadingRow)
            break;
        check(worksheet_write_string(sheet, r, 0, cellText(line).c_str(), r == 0 ? bold : nullptr));
        ++r;
    }
    for (std::size_t i = 0; i < sideLines.size() && i + 1 < kComparisonHeadingRow; ++i)
        check(worksheet_write_string(sheet, static_cast<lxw_row_t>(i), 5, cellText(sideLines[i]).c_str(),
                                     nullptr));
    r = kComparisonHeadingRow - 1;
    for (int c = 0; c < calc::kRankColumnCount; ++c)
        check(worksheet_write_string(
            sheet, r, sheetColumn(static_cast<calc::RankColumn>(c)),
            std::string(calc::rankColumnTitle(static_cast<calc::RankColumn>(c))).c_str(), heading));
    r = kComparisonFirstRow - 1;
    for (const calc::RankedMenu& row : rows) {
        for (int c = 0; c < calc::kRankColumnCount; ++c) {
            const auto column = static_cast<calc::RankColumn>(c);
            const lxw_col_t col = sheetColumn(column);
            if (column == calc::RankColumn::Rank) {
                check(worksheet_write_number(sheet, r, col, row.rank, centred));
            } else if (calc::isAmountColumn(column) || column == calc::RankColumn::PricedKwh) {
                const double shown = std::round(calc::rankAmount(row, column));
                if (std::isfinite(shown))
                    check(worksheet_write_number(sheet, r, col, shown,
                                                 column == calc::RankColumn::PricedKwh ? kwh : yen));
            } else {
                const std::string text = cellText(calc::rankCell(row, column));
                check(worksheet_write_string(sheet, r, col, text.c_str(),
                                             column == calc::RankColumn::Voltage ? centred : nullptr));
            }
        }
        ++r;
    }
    const lxw_error closed = workbook_close(book);
    if (closed != LXW_NO_ERROR)
        return Error{"ワークブックを書き込めません: " + path + "（" + libraryError(closed) + "）"};
    if (!failure.empty())
        return Error{"セルを書き込めません: " + path + "（" + failure + "）"};
    Result<std::string> bytes = readFileBytes(scratch);
    if (!bytes)
        return bytes.error();
    return saveFileAtomically(path, *bytes);
}

Result<std::string> saveComparisonReport(const AppState& state, const std::string& tableCaption,
                                         const std::vector<calc::RankedMenu>& rows, std::time_t when) {
    std::error_code ec;
    if (state.AppDir.empty() || !fs::is_directory(fs::path(state.AppDir), ec))
        return Error{"作業フォルダーがありません: " + state.AppDir};
    const std::string folder = reportFolder(state.AppDir);
    // Only the report folder itself is made, never the working folder.
    fs::create_directory(fs::path(folder), ec);
    if (ec || !fs::is_directory(fs::path(folder), ec))
        return Error{"エクセル出力のフォルダーを作れません: " + folder +
                     (ec ? "（" + ec.message() + "）" : "")};

    std::tm local{};
    localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string stem = std::string(kComparisonSheetName) + "_" + siteNamePart(state) + "_" + stamp;
    std::string path = folder + stem + ".xlsx";
    for (int n = 2; fs::exists(fs::path(path), ec) || fs::is_symlink(fs::path(path), ec); ++n) {
        if (n > 999)
            return Error{"同じ名前のファイルが多すぎます: " + folder + stem + ".xlsx"};
        path = folder + stem + "_" + std::to_string(n) + ".xlsx";
    }
    Status written = writeComparisonWorkbook(comparisonHeading(state, tableCaption), rows, path,
                                             comparisonSideLines(state, when));
    if (!written)
        return written.error();
    return path;
}

} // namespace wattorio::reports
