#pragma once
// The CSV import window `Load_CSV_Option` without its widgets: the texts, ticks, visibility and
// enable switches of its controls, its form variables (layout, month, start day) and every event
// of the window. The window binds its controls to this class and shows what it holds after each
// event; the import itself runs through importCsv on the year book's grid.

#include "app/message.h"
#include "csvimport/csv_import.h"

#include <optional>
#include <string>
#include <vector>

namespace wattorio::csvimport {

// Where the window should put the keyboard focus after an event.
enum class CsvFocus { None, Text2, Text3 };

constexpr const char* kCsvFormCaption = "CSVファイル読み込み";
constexpr const char* kCsvFileFilter = "CSVファイル(*.csv)";
constexpr const char* kCsvCheck3Tip = "1ファイル中に複数日が入っている時に使用";
constexpr const char* kCsvCommand4Tip = "このﾌﾟﾛｸﾞﾗﾑで作成したデータの読み込みフォマット";

// Backspace and the digits are the keys the number fields (Text1, Text3, Text4) accept.
bool digitKeyAccepted(char32_t key);

// Automatic file name: the last 8 characters of the name (four digits and ".csv") replaced by
// the two-digit month, the two-digit day and ".csv". A name shorter than 8 characters is kept.
std::string autoFileName(const std::string& name, int month, int day);

class LoadCsvOptionForm {
public:
    // Form_Load: Form_Set, then month 1 chosen and the day list's text cleared.
    LoadCsvOptionForm();

    // Fills the lists and clears Label1 and Text1..Text4.
    void Form_Set();

    // --- events ---
    void Option1_Click(); // 立行を読む
    void Option2_Click(); // 横行を読む
    void Check3_Click(bool ticked);
    void Check1_Click(bool ticked);
    void Check2_Click(bool ticked) { check2 = ticked; }
    void Combo1_Click(int index);
    // A day chosen; a message when no month is chosen.
    std::optional<Message> Combo2_Click(int index);
    void Command4_Click(); // 基本シートフォマット
    // Enter in Text1 moves on to Text3.
    void Text1_Enter() { focus_ = CsvFocus::Text3; }

    // Caret position (in characters) for a field that gets the focus; -1 leaves it.
    int text2FocusCaret() const;

    // --- the import button (Command1 "CSV読み込み") ---
    // Steps 1-2: the refusal when no month or no layout is chosen.
    std::optional<Message> importRefusal() const;
    // Step 4: true when the file comes from Text2, false when the open-file dialog asks.
    bool fileNameFromText2() const { return check1; }
    // Step 5: the settings of the import (no day chosen: the first of the month).
    CsvImportOptions importOptions() const;
    // Step 7: Text2 takes the file name.
    void imported(const std::string& fileName) { text2 = fileName; }
    // Step 8: the completion message; when the reading stopped early, what was placed and why.
    Message completionMessage(const std::string& fileName, const CsvImportOutcome& outcome) const;
    // A file that could not be opened: nothing was placed.
    static Message openFailedMessage(const std::string& reason);

    // What the settings read first from the file named in Text2, shown under the settings so that
    // 上からのデータ位置 reads as the lines skipped: "この設定で最初に読む行: 4 行目
    // 2019/1/1,0:00,3017 → 3017", or why nothing can be shown.
    std::string firstLinePreview() const;

    // The focus wish of the last event, taken once by the window.
    CsvFocus takeFocusRequest();

    // --- what the controls show ---
    std::string label1; // the chosen date
    std::string text1, text2, text3, text4;
    bool text4Enabled = false;
    bool option1 = false, option2 = false;
    bool check1 = false, check2 = false, check3 = false;
    bool check2Visible = false;
    bool command4Visible = true;
    std::vector<std::string> combo1Items; // 1月 .. 12月
    std::vector<std::string> combo2Items; // 1日 .. length of the month
    int combo1Index = -1;
    int combo2Index = -1; // -1: the day list's text is empty
    bool combo2Visible = false;

    // --- form variables ---
    int layout = 0;       // 0 none, 1 vertical, 2 horizontal
    int monthOffset = -1; // days before the chosen month; -1 before a month is chosen
    int monthNo = 0;      // 1..12
    int startDay = 0;     // 0 until a day is chosen

private:
    void updateCommand4();
    CsvFocus focus_ = CsvFocus::None;
};

} // namespace wattorio::csvimport
