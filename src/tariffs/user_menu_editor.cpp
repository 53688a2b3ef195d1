#include "tariffs/user_menu_editor.h"

#include "app/app_state.h"
#include "app/sjis.h"

namespace wattorio::tariffs {

namespace {
const std::string kNone;
constexpr const char* kTitle = "自由メニューの編集";
} // namespace

std::optional<Message> UserMenuEditor::load(const std::string& appDir, int defaultUtility) {
    appDir_ = appDir;
    defaultUtility_ = defaultUtility >= 1 && defaultUtility <= 9 ? defaultUtility : 1;
    rows_.clear();
    heading_.reset();
    utf8_ = false;
    changed_ = false;
    Result<UserMenuFile> file = readUserMenuFile(appDir);
    if (!file) {
        writable_ = false;
        return notice(file.error().message + "\n編集も保存もできません。", kTitle);
    }
    writable_ = true;
    if (file->exists)
        heading_ = file->headingBytes;
    utf8_ = file->utf8;
    for (UserMenuLine& line : file->lines)
        rows_.push_back({std::move(line.fields), std::move(line.bytes)});
    if (file->problems.empty())
        return std::nullopt;
    return notice(userMenuProblemsText(file->problems) +
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
    if (reason.empty() && !utf8_ && !representableInCp932(text))
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

Message UserMenuEditor::save() {
    if (!writable_)
        return notice(std::string(kUserMenuFileName) + " を読めなかったので保存しません。", kTitle);
    std::vector<UserMenuRow> rows;
    std::string unused;
    for (int i = 0; i < rowCount(); ++i) {
        const Row& r = rows_[static_cast<std::size_t>(i)];
        rows.push_back({r.keptBytes, r.fields});
        const std::string problem = rowProblem(i);
        if (!problem.empty() && problem != "空の行（使いません）")
            unused += "\n" + std::to_string(lineOf(i)) + "行目: " + problem;
    }
    Result<std::string> bytes = userMenuFileBytes(heading_, rows, utf8_);
    if (!bytes)
        return notice(bytes.error().message + "\n保存しませんでした。", kTitle);
    if (Status saved = saveUserMenuFile(appDir_, *bytes); !saved)
        return notice(saved.error().message + "\n保存しませんでした。", kTitle);
    if (!heading_) {
        // The file now starts with the standard heading.
        const UserMenuFile written = parseUserMenuFile(*bytes);
        heading_ = written.headingBytes;
    }
    changed_ = false;
    std::string text = "保存しました。";
    if (!unused.empty())
        text += "\n\n次の行は読めないので、料金計算では使われません。" + unused;
    return notice(text, kTitle);
}

} // namespace wattorio::tariffs
