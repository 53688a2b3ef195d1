#include "reports/workbook_file.h"

#include "app/safe_save.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace wattorio::reports {

namespace {

constexpr std::size_t kMaxCellChars = 32767;
constexpr int kMaxSheetRows = 1048576;
constexpr int kMaxSheetCols = 16384;

// Length of the UTF-8 sequence starting at text[i], or 0 when the bytes there are not one.
std::size_t utf8Length(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char c = byte(i);
    std::size_t n = c < 0x80             ? 1
                    : (c & 0xE0) == 0xC0 ? 2
                    : (c & 0xF0) == 0xE0 ? 3
                    : (c & 0xF8) == 0xF0 ? 4
                                         : 0;
    if (n == 0 || i + n > text.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k)
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
    char32_t cp = n == 1 ? c : n == 2 ? c & 0x1F : n == 3 ? c & 0x0F : c & 0x07;
    for (std::size_t k = 1; k < n; ++k)
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    // Overlong forms, surrogates and values past U+10FFFF are not characters.
    static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[n] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
        return 0;
    return n;
}

// A cell text the file can hold.
std::string cellText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size() && chars < kMaxCellChars; ++chars) {
        const std::size_t n = utf8Length(text, i);
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (n == 0 || (n == 1 && ((c < 0x20 && c != '\t' && c != '\n') || c == 0x7F))) {
            out += '?';
            i += n == 0 ? 1 : n;
            continue;
        }
        out.append(text.substr(i, n));
        i += n;
    }
    return out;
}

bool badInFileName(unsigned char c) {
    switch (c) {
    case '\\':
    case '/':
    case ':':
    case '*':
    case '?':
    case '"':
    case '<':
    case '>':
    case '|':
        return true;
    default:
        return c < 0x20 || c == 0x7F;
    }
}

std::string libraryError(lxw_error error) {
    const char* text = lxw_strerror(error);
    return text ? text : "error " + std::to_string(static_cast<int>(error));
}

// A fresh, empty file in the system's temporary folder for the library to write.
Result<std::string> scratchFile() {
    std::error_code ec;
    fs::path dir = fs::temp_directory_path(ec);
    if (ec)
        dir = "/tmp";
    std::string name = (dir / "wattorio-report-XXXXXX").string();
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return Error{"一時ファイルを作れません: " + dir.string()};
    ::close(fd);
    return name;
}

} // namespace

Status writeWorkbook(const ReportLayout& layout, const std::string& path) {
    return writeWorkbook(layout, path, reportName(layout.report));
}

Status writeWorkbook(const ReportLayout& layout, const std::string& path, std::string_view sheetNameText) {
    Result<std::string> scratch = scratchFile();
    if (!scratch)
        return scratch.error();
    struct Remove {
        std::string path;
        ~Remove() {
            std::error_code ec;
            fs::remove(path, ec);
        }
    } removeScratch{*scratch};

    // Rows go straight to the file in order, texts inline: less memory and time than a shared
    // string table for a sheet of mostly distinct readings.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* book = workbook_new_opt(scratch->c_str(), &options);
    if (!book)
        return Error{"ワークブックを作れません: " + path};
    const std::string sheetName(sheetNameText);
    lxw_worksheet* sheet = workbook_add_worksheet(book, sheetName.empty() ? nullptr : sheetName.c_str());
    if (!sheet) {
        workbook_close(book);
        return Error{"ワークシートを作れません: " + path};
    }
    // Written row by row, left to right (a cell before one already written would be lost).
    std::vector<const ReportCell*> order;
    order.reserve(layout.cells.size());
    for (const ReportCell& cell : layout.cells)
        order.push_back(&cell);
    const auto before = [](const ReportCell* a, const ReportCell* b) {
        return a->row != b->row ? a->row < b->row : a->col < b->col;
    };
    if (!std::is_sorted(order.begin(), order.end(), before))
        std::stable_sort(order.begin(), order.end(), before);
    // One format per number format the layout uses (the library keeps them with the workbook).
    std::map<std::string, lxw_format*, std::less<>> formats;
    const auto formatOf = [&](const std::string& numberFormat) -> lxw_format* {
        if (numberFormat.empty())
            return nullptr;
        auto [it, added] = formats.try_emplace(numberFormat, nullptr);
        if (added && (it->second = workbook_add_format(book)))
            format_set_num_format(it->second, cellText(numberFormat).c_str());
        return it->second;
    };
    std::string failure;
    for (const ReportCell* next : order) {
        const ReportCell& cell = *next;
        if (cell.row < 1 || cell.col < 1 || cell.row > kMaxSheetRows || cell.col > kMaxSheetCols)
            continue;
        const auto row = static_cast<lxw_row_t>(cell.row - 1);
        const auto col = static_cast<lxw_col_t>(cell.col - 1);
        lxw_error e = LXW_NO_ERROR;
        if (cell.isText())
            e = worksheet_write_string(sheet, row, col, cellText(cell.text()).c_str(), nullptr);
        else if (std::isfinite(cell.number()))
            e = worksheet_write_number(sheet, row, col, cell.number(), formatOf(cell.format()));
        else
            e = worksheet_write_string(sheet, row, col, "#NUM!", nullptr);
        if (e != LXW_NO_ERROR && failure.empty())
            failure = libraryError(e);
    }
    const lxw_error closed = workbook_close(book);
    if (closed != LXW_NO_ERROR)
        return Error{"ワークブックを書き込めません: " + path + "（" + libraryError(closed) + "）"};
    if (!failure.empty())
        return Error{"セルを書き込めません: " + path + "（" + failure + "）"};

    Result<std::string> bytes = readFileBytes(*scratch);
    if (!bytes)
        return bytes.error();
    return saveFileAtomically(path, *bytes);
}

std::string reportFolder(const std::string& appDir) {
    std::string folder = appDir;
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder + kReportFolderName + "/";
}

std::string fileNamePart(std::string_view text, std::size_t maxChars) {
    std::string out;
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size() && chars < maxChars;) {
        const std::size_t n = utf8Length(text, i);
        if (n == 0 || (n == 1 && badInFileName(static_cast<unsigned char>(text[i])))) {
            if (out.empty() || out.back() != '_') {
                out += '_';
                ++chars;
            }
            i += n == 0 ? 1 : n;
            continue;
        }
        out.append(text.substr(i, n));
        ++chars;
        i += n;
    }
    const auto edge = [](char c) { return c == ' ' || c == '.' || c == '_'; };
    std::size_t first = 0;
    while (first < out.size() && edge(out[first]))
        ++first;
    std::size_t last = out.size();
    while (last > first && edge(out[last - 1]))
        --last;
    return out.substr(first, last - first);
}

std::string siteNamePart(const AppState& state) {
    const SiteRecord* site = state.currentSite();
    if (!site)
        return "物件";
    std::string name = fileNamePart((*site)[1]);
    if (!name.empty())
        return name;
    std::string serial = fileNamePart((*site)[0], 12);
    return "物件" + serial;
}

std::string reportFileName(Report report, const std::string& sitePart, std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    return std::string(reportName(report)) + "_" + sitePart + "_" + stamp + ".xlsx";
}

Result<std::string> saveReport(const AppState& state, const ReportLayout& layout, std::time_t when) {
    const std::string folder = reportFolder(state.AppDir);
    std::error_code ec;
    if (!fs::is_directory(fs::path(state.AppDir), ec))
        return Error{"作業フォルダーがありません: " + state.AppDir};
    // Only the report folder itself is made, never the working folder.
    fs::create_directory(fs::path(folder), ec);
    if (ec || !fs::is_directory(fs::path(folder), ec))
        return Error{"エクセル出力のフォルダーを作れません: " + folder +
                     (ec ? "（" + ec.message() + "）" : "")};

    const std::string name = reportFileName(layout.report, siteNamePart(state), when);
    const std::string stem = name.substr(0, name.size() - 5); // without ".xlsx"
    std::string path = folder + name;
    for (int n = 2; fs::exists(fs::path(path), ec) || fs::is_symlink(fs::path(path), ec); ++n) {
        if (n > 999)
            return Error{"同じ名前のファイルが多すぎます: " + folder + name};
        path = folder + stem + "_" + std::to_string(n) + ".xlsx";
    }
    Status written = writeWorkbook(layout, path);
    if (!written)
        return written.error();
    return path;
}

Message workbookWrittenMessage(const Result<std::string>& written) {
    if (!written)
        return {written.error().message, "書き込みエラー", Icon::Critical, Buttons::Ok};
    return notice("エクセルに書き込みました。\n" + *written, "確認メッセージ");
}

} // namespace wattorio::reports
