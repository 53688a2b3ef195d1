#include "tariffs/user_menu_editor.h"

#include "app/app_state.h"
#include "app/safe_save.h"
#include "app/sjis.h"

#include <algorithm>
#include <filesystem>

namespace wattorio::tariffs {

namespace {

namespace fs = std::filesystem;

const std::string kNone;
constexpr const char* kTitle = "自由メニューの編集";
constexpr std::string_view kBom = "\xEF\xBB\xBF";

// UTF-16 with its byte-order mark as UTF-8, for showing such a file (never for writing it).
std::string utf16ToUtf8(std::string_view bytes) {
    const bool little = static_cast<unsigned char>(bytes[0]) == 0xFF;
    auto unit = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return little ? static_cast<char32_t>(a | b << 8) : static_cast<char32_t>(b | a << 8);
    };
    std::string out;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 &&
            unit(i + 2) < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// The encoding of the file's bytes. Without a byte-order mark, a file that is UTF-8 through and
// through and holds some non-ASCII text is UTF-8 (Shift_JIS kanji are never valid UTF-8); a
// NUL byte or a UTF-16 or UTF-32 mark is an encoding the program does not write.
UserMenuEditor::Encoding encodingOf(std::string_view bytes) {
    using Encoding = UserMenuEditor::Encoding;
    if (bytes.substr(0, kBom.size()) == kBom)
        return Encoding::Utf8WithBom;
    if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF" ||
        bytes.find('\0') != std::string_view::npos)
        return Encoding::Other;
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
    return !ascii && validUtf8(bytes) ? Encoding::Utf8 : Encoding::ShiftJis;
}

Result<std::string> readMenuFileBytes(const std::string& path) {
    ReadOptions options;
    options.maxBytes = kUserMenuMaxFileBytes;
    options.singleLink = true;
    return readFileBytes(path, options);
}

bool fileMissing(const std::string& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() == fs::file_type::not_found;
}

} // namespace

std::optional<Message> UserMenuEditor::load(const std::string& appDir, int defaultUtility) {
    appDir_ = appDir;
    defaultUtility_ = defaultUtility >= 1 && defaultUtility <= 9 ? defaultUtility : 1;
    rows_.clear();
    heading_.reset();
    encoding_ = Encoding::ShiftJis;
    bytesOnDisk_.reset();
    changed_ = false;
    writable_ = false;
    const std::string path = userMenuFilePath(appDir);
    if (fileMissing(path)) {
        writable_ = true;
        return std::nullopt;
    }
    Result<std::string> bytes = readMenuFileBytes(path);
    if (!bytes)
        return notice(bytes.error().message + "\n編集も保存もできません。", kTitle);
    encoding_ = encodingOf(*bytes);
    // The reader takes UTF-8 by its byte-order mark: a file without one is given it here.
    std::string readable = *bytes;
    if (encoding_ == Encoding::Utf8)
        readable.insert(0, kBom);
    else if (encoding_ == Encoding::Other && bytes->size() >= 2 &&
             (bytes->substr(0, 2) == "\xFF\xFE" || bytes->substr(0, 2) == "\xFE\xFF"))
        readable = std::string(kBom) + utf16ToUtf8(*bytes);
    UserMenuFile file = parseUserMenuFile(readable);
    heading_ = file.headingBytes;
    for (UserMenuLine& line : file.lines)
        rows_.push_back({std::move(line.fields), std::move(line.bytes)});
    bytesOnDisk_ = std::move(*bytes);
    if (encoding_ == Encoding::Other)
        return notice(
            std::string(kUserMenuFileName) +
                " は Shift_JIS でも UTF-8 でもない文字コード（UTF-16 など）で書かれています。\n"
                "保存するとほかのプログラムで読めなくなるため、表示するだけで編集も保存もできません。\n"
                "表計算ソフトで「CSV UTF-8」か Shift_JIS の CSV として保存し直してください。",
            kTitle);
    writable_ = true;
    if (file.problems.empty())
        return std::nullopt;
    return notice(userMenuProblemsText(file.problems) +
                      "\n\nこれらの行は、変更しなければ書いたとおりに残ります。",
                  kTitle);
}

const std::string& UserMenuEditor::field(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= kUserMenuColumns)
        return kNone;
    return rows_[static_cast<std::size_t>(row)].fields[static_cast<std::size_t>(column)];
}

std::optional<Formula> UserMenuEditor::formulaOf(int row) const {
    return formulaFromText(field(row, kColFormula));
}

std::string UserMenuEditor::rowProblem(int row) const {
    if (row < 0 || row >= rowCount())
        return "";
    const Row& r = rows_[static_cast<std::size_t>(row)];
    bool blank = true;
    for (const std::string& f : r.fields)
        blank = blank && f.find_first_not_of(" \t") == std::string::npos;
    if (blank)
        return r.keptBytes && r.keptBytes->find_first_not_of(", \t") != std::string::npos
                   ? "この行は読めません。"
                   : "空の行（使いません）";
    UserMenuProblem problem;
    if (parseUserMenu(r.fields, lineOf(row), &problem))
        return "";
    return problem.reason;
}

std::optional<Message> UserMenuEditor::setField(int row, int column, const std::string& text) {
    if (!writable_ || row < 0 || row >= rowCount() || column < 0 || column >= kUserMenuColumns)
        return std::nullopt;
    Row& r = rows_[static_cast<std::size_t>(row)];
    if (r.fields[static_cast<std::size_t>(column)] == text)
        return std::nullopt;
    const std::optional<Formula> formula = column == kColFormula ? formulaFromText(text) : formulaOf(row);
    std::string reason = checkUserMenuField(column, text, formula);
    // A rate left empty is taken here; the row then tells which rate its formula still needs.
    if (column >= kColRate1 && column < kColRate1 + 5 && text.find_first_not_of(" \t") == std::string::npos)
        reason.clear();
    if (reason.empty() && encoding_ == Encoding::ShiftJis && !representableInCp932(text))
        reason = "Shift_JIS で書けない文字があります。";
    const std::string heading(userMenuHeadings()[static_cast<std::size_t>(column)]);
    if (!reason.empty())
        return inputError(std::to_string(lineOf(row)) + "行目の「" + heading + "」: " + reason);
    r.fields[static_cast<std::size_t>(column)] = text;
    r.keptBytes.reset();
    changed_ = true;
    return std::nullopt;
}

int UserMenuEditor::addRow() {
    Row r;
    r.fields[kColUtility] = kUtilityNames[static_cast<std::size_t>(defaultUtility_ - 1)];
    r.fields[kColCategory] = std::string(categoryName(Category::Office));
    r.fields[kColVoltage] = std::string(voltageMark(2));
    r.fields[kColFormula] = std::string(formulaShortName(Formula::Total_Natsu_Sonota));
    r.fields[kColTax] = "10";
    r.fields[kColFuel] = "0";
    r.fields[kColLevy] = "0";
    rows_.push_back(std::move(r));
    changed_ = true;
    return rowCount() - 1;
}

int UserMenuEditor::copyRow(int row) {
    if (row < 0 || row >= rowCount())
        return -1;
    Row copy = rows_[static_cast<std::size_t>(row)];
    rows_.insert(rows_.begin() + row + 1, std::move(copy));
    changed_ = true;
    return row + 1;
}

void UserMenuEditor::removeRow(int row) {
    if (row < 0 || row >= rowCount())
        return;
    rows_.erase(rows_.begin() + row);
    changed_ = true;
}

bool UserMenuEditor::changedOnDisk() const {
    const std::string path = userMenuFilePath(appDir_);
    if (fileMissing(path))
        return bytesOnDisk_.has_value();
    if (!bytesOnDisk_)
        return true;
    Result<std::string> now = readMenuFileBytes(path);
    return !now || *now != *bytesOnDisk_;
}

Message UserMenuEditor::save(Prompter& prompter) {
    if (!writable_)
        return notice(std::string(kUserMenuFileName) + " を読めなかったので保存しません。", kTitle);
    if (changedOnDisk()) {
        const std::string changed = std::string(kUserMenuFileName) +
                                    " は、この画面で読み込んだ後にほかのプログラムで変更されています。";
        if (prompter.show(
                {changed + "\n\nOK: 変更されたファイルを読み込み直します（この画面での変更は保存しません）。"
                           "\nキャンセル: 読み込み直しません。",
                 kTitle, Icon::Warning, Buttons::OkCancel}) == Answer::Ok) {
            const std::optional<Message> told = load(appDir_, defaultUtility_);
            return notice("読み込み直しました。この画面での変更は保存していません。" +
                              (told ? "\n\n" + told->text : std::string()),
                          kTitle);
        }
        if (prompter.show(
                {changed + "\n\nこの画面の内容で上書きしますか。ほかのプログラムで加えた変更は失われます。",
                 kTitle, Icon::Warning, Buttons::OkCancel}) != Answer::Ok)
            return notice("保存しませんでした。", kTitle);
    }
    std::vector<UserMenuRow> rows;
    std::string unused;
    for (int i = 0; i < rowCount(); ++i) {
        const Row& r = rows_[static_cast<std::size_t>(i)];
        rows.push_back({r.keptBytes, r.fields});
        const std::string problem = rowProblem(i);
        if (!problem.empty() && problem != "空の行（使いません）")
            unused += "\n" + std::to_string(lineOf(i)) + "行目: " + problem;
    }
    const bool utf8 = encoding_ != Encoding::ShiftJis;
    Result<std::string> bytes = userMenuFileBytes(heading_, rows, utf8);
    if (!bytes)
        return notice(bytes.error().message + "\n保存しませんでした。", kTitle);
    if (encoding_ == Encoding::Utf8)
        bytes->erase(0, kBom.size()); // written as it came: without the mark
    if (Status saved = saveUserMenuFile(appDir_, *bytes); !saved)
        return notice(saved.error().message + "\n保存しませんでした。", kTitle);
    if (!heading_) {
        // The file now starts with the standard heading.
        const UserMenuFile written =
            parseUserMenuFile(encoding_ == Encoding::Utf8 ? std::string(kBom) + *bytes : *bytes);
        heading_ = written.headingBytes;
    }
    bytesOnDisk_ = std::move(*bytes);
    changed_ = false;
    std::string text = "保存しました。";
    if (!unused.empty())
        text += "\n\n次の行は読めないので、料金計算では使われません。" + unused;
    return notice(text, kTitle);
}

} // namespace wattorio::tariffs
