#include "csvimport/load_csv_option_form.h"

#include "app/numtext.h"
#include "app/sjis.h"
#include "csvimport/csv_reader.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

namespace wattorio::csvimport {

namespace {

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::size_t characterCount(const std::string& utf8) {
    return static_cast<std::size_t>(
        std::count_if(utf8.begin(), utf8.end(), [](char c) { return !isContinuationByte(c); }));
}

// Byte position where the last `n` characters of the text begin.
std::size_t startOfLastCharacters(const std::string& utf8, std::size_t n) {
    std::size_t pos = utf8.size();
    while (n > 0 && pos > 0) {
        --pos;
        if (!isContinuationByte(utf8[pos]))
            --n;
    }
    return pos;
}

// "00" + number, last two characters.
std::string twoDigits(int n) {
    const std::string s = "00" + std::to_string(n);
    return s.substr(s.size() - 2);
}

// The number in a field, as the form holds it (single precision), as a count.
int countOf(const std::string& text) {
    const float v = static_cast<float>(val(text));
    if (!(v >= 1))
        return 0;
    if (v >= 2147483520.0f)
        return INT_MAX;
    return static_cast<int>(v);
}

// The preview reads no further than this into a file; a field shows at most this many bytes.
constexpr int kPreviewMaxSkip = 100000;
constexpr std::size_t kPreviewFieldBytes = 40;
// Fields shown after the one taken (the next hours of a one-day-a-line file).
constexpr long long kPreviewFieldsAfter = 2;

// A field as the user wrote it: a UTF-8 file's text as it stands (Shift_JIS text is hardly ever
// valid UTF-8), anything else as the import decodes it.
std::string shownField(const std::string& bytes) {
    return validUtf8(bytes) ? bytes : decodeField(bytes);
}

} // namespace

bool digitKeyAccepted(char32_t key) {
    return key == 8 || (key >= U'0' && key <= U'9');
}

std::string autoFileName(const std::string& name, int month, int day) {
    if (characterCount(name) < 8)
        return name;
    return name.substr(0, startOfLastCharacters(name, 8)) + twoDigits(month) + twoDigits(day) + ".csv";
}

LoadCsvOptionForm::LoadCsvOptionForm() {
    Form_Set();
    Combo1_Click(0);
    combo2Index = -1;
    focus_ = CsvFocus::None;
}

void LoadCsvOptionForm::Form_Set() {
    label1.clear();
    text1.clear();
    text2.clear();
    text3.clear();
    text4.clear();
    combo1Items.clear();
    for (int m = 1; m <= 12; ++m)
        combo1Items.push_back(std::to_string(m) + "月");
    combo2Items.clear();
    for (int d = 1; d <= 31; ++d)
        combo2Items.push_back(std::to_string(d) + "日");
}

void LoadCsvOptionForm::Option1_Click() {
    option1 = true;
    option2 = false;
    layout = 1;
}

void LoadCsvOptionForm::Option2_Click() {
    option2 = true;
    option1 = false;
    layout = 2;
    updateCommand4();
}

void LoadCsvOptionForm::Check3_Click(bool ticked) {
    check3 = ticked;
    if (ticked) {
        text4Enabled = true;
    } else {
        text4 = "1";
        text4Enabled = false;
    }
    updateCommand4();
}

void LoadCsvOptionForm::updateCommand4() {
    if (option2 && check3) {
        command4Visible = true;
        Combo1_Click(0);
        Combo2_Click(0);
    } else {
        command4Visible = false;
    }
}

void LoadCsvOptionForm::Check1_Click(bool ticked) {
    check1 = ticked;
    if (!check1)
        check2 = false;
    if (text2.empty()) {
        check1 = false;
        check2 = false;
        return;
    }
    if (check1) {
        check2Visible = true;
    } else {
        check2 = false;
        check2Visible = false;
    }
}

void LoadCsvOptionForm::Combo1_Click(int index) {
    if (index < 0 || index >= static_cast<int>(combo1Items.size()))
        return;
    combo1Index = index;
    monthNo = index + 1;
    monthOffset = kMonthOffset[static_cast<std::size_t>(index)];
    const int length = kMonthDays[static_cast<std::size_t>(index)];
    combo2Visible = true;
    combo2Items.clear();
    for (int d = 1; d <= length; ++d)
        combo2Items.push_back(std::to_string(d) + "日");
    combo2Index = -1;
    // The day list is empty again: until a day is chosen the import starts on the first.
    startDay = 0;
    label1 = combo1Items[static_cast<std::size_t>(index)];
    text4 = std::to_string(length);
}

std::optional<Message> LoadCsvOptionForm::Combo2_Click(int index) {
    if (monthOffset < 0)
        return notice("月を選択してください。", "選択エラーメッセージ");
    if (index < 0 || index >= static_cast<int>(combo2Items.size()))
        return std::nullopt;
    combo2Index = index;
    startDay = index + 1;
    label1 = combo1Items[static_cast<std::size_t>(combo1Index)] + "  " +
             combo2Items[static_cast<std::size_t>(index)];
    text4 = "1";
    if (check2)
        text2 = autoFileName(text2, monthNo, startDay);
    focus_ = CsvFocus::Text2;
    return std::nullopt;
}

void LoadCsvOptionForm::Command4_Click() {
    Option2_Click();
    if (!check3)
        Check3_Click(true);
    text1 = "1";
    text3 = "4";
    text4 = "365";
}

int LoadCsvOptionForm::text2FocusCaret() const {
    if (!check1)
        return -1;
    const std::size_t n = characterCount(text2);
    return n >= 4 ? static_cast<int>(n - 4) : 0;
}

std::optional<Message> LoadCsvOptionForm::importRefusal() const {
    if (monthOffset < 0)
        return notice("月を選択してください。", "選択エラー");
    if (layout == 0)
        return notice("種別を選択してください。", "選択エラー");
    return std::nullopt;
}

CsvImportOptions LoadCsvOptionForm::importOptions() const {
    CsvImportOptions o;
    o.layout = layout == 2 ? CsvLayout::Horizontal : CsvLayout::Vertical;
    o.skipLines = countOf(text1);
    o.column = countOf(text3);
    o.days = countOf(text4);
    o.month = monthNo;
    o.day = startDay;
    return o;
}

Message LoadCsvOptionForm::completionMessage(const std::string& fileName,
                                             const CsvImportOutcome& outcome) const {
    // One statement: the requested days when all were placed, else what was placed and why the
    // reading stopped.
    if (outcome.endedEarly)
        return notice("途中で読み込みを終えました（" + label1 + "から）。\n" + earlyEndNote(outcome),
                      "確認メッセージ    " + fileName);
    std::string text = "読み込み完了 " + label1;
    if (check3)
        text += "から" + text4 + "日読み込みました。";
    return notice(std::move(text), "確認メッセージ    " + fileName);
}

Message LoadCsvOptionForm::openFailedMessage(const std::string& reason) {
    return {reason + "\n読み込みを中止しました。", "読み込みエラー", Icon::Warning, Buttons::Ok};
}

std::string LoadCsvOptionForm::firstLinePreview() const {
    std::string text = "この設定で最初に読む行: ";
    if (text2.empty())
        return text + "（読み込むファイル名を入れると表示します）";
    const CsvImportOptions o = importOptions();
    const long long lineNo = static_cast<long long>(o.skipLines) + 1;
    text += std::to_string(lineNo) + " 行目 ";
    if (o.skipLines > kPreviewMaxSkip)
        return text + "（ファイルの先頭から遠いため表示しません）";
    Result<CsvLineReader> opened = CsvLineReader::open(text2);
    if (!opened)
        return text + "（" + opened.error().message + "）";
    CsvLineReader& reader = *opened;
    for (int i = 0; i < o.skipLines; ++i)
        if (!reader.skipLine())
            return text + "（ファイルは " + std::to_string(reader.lineNumber()) + " 行で終わっています）";
    const long long column = std::max(o.column, 1);
    const long long last = std::max<long long>(column + kPreviewFieldsAfter, 3);
    std::vector<std::string> fields;
    long long count = 0;
    if (!reader.readLine(1, last, fields, count, kPreviewFieldBytes))
        return text + "（ファイルは " + std::to_string(reader.lineNumber()) + " 行で終わっています）";
    for (std::size_t i = 0; i < fields.size(); ++i)
        text += (i ? "," : "") + shownField(fields[i]);
    if (count > last)
        text += ",…";
    if (count < column)
        return text + " → （" + std::to_string(column) + " 列目がありません）";
    return text + " → " + shownField(fields[static_cast<std::size_t>(column - 1)]);
}

CsvFocus LoadCsvOptionForm::takeFocusRequest() {
    const CsvFocus f = focus_;
    focus_ = CsvFocus::None;
    return f;
}

} // namespace wattorio::csvimport
