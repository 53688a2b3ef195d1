#pragma once
// The year book window `Mainichi` without its widgets: the grid's cell texts, the edit flag, the
// view, the selected cell and marked range, the entry field, the labels and the choice boxes, and
// every operation of the window on them. The window binds its controls to this class and shows
// what it holds; tests drive it directly.

#include "app/app_state.h"
#include "app/grid_undo.h"
#include "app/message.h"
#include "app/result.h"
#include "app/text_grid.h"
#include "yearbook/generator.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace wattorio::yearbook {

// The grid: a heading row and 365 day rows; columns 0 No, 1 month, 2 day, 3 weekday, then hour h
// in column h + 4. Columns 0..2 are fixed.
constexpr int kGridRows = 366;
constexpr int kGridCols = 28;
constexpr int kGridFixedCols = 3;
constexpr int kMonthCol = 1;
constexpr int kDayCol = 2;
constexpr int kWeekdayCol = 3;
constexpr int kFirstHourCol = 4;
constexpr int kLastHourCol = 27;

constexpr int kEnergyView = 1;     // the hour cells show HourData
constexpr int kGenerationView = 2; // the hour cells show GenData

// Colours of the grid (0xRRGGBB).
constexpr std::uint32_t kWeekdayColour = 0xC0FFC0;
constexpr std::uint32_t kSummerColour = 0xFFFF80;
constexpr std::uint32_t kNightColour = 0xC0C0FF;
constexpr std::uint32_t kDayColour = 0x80FF80;
constexpr std::uint32_t kPeakColour = 0xFF0000;

// Where the window should put the keyboard focus after an operation.
enum class FocusRequest { None, Text1, Combo1 };
// Keys that the entry field handles on key down.
enum class ArrowKey { Left, Right, Other };

// Key codes of the entry field's key press.
constexpr int kKeyBackspace = 8;
constexpr int kKeyEnter = 13;

class YearBookForm {
public:
    YearBookForm(AppState& state, Prompter& prompter);
    YearBookForm(const YearBookForm&) = delete;
    YearBookForm& operator=(const YearBookForm&) = delete;

    // Switches the hourglass on (true) and off (false); the window installs it.
    void setBusyHook(std::function<void(bool)> hook) { busy_ = std::move(hook); }

    // Opening the book: Form_Set, Data_Load, Edit_Flg := 0, the demand label, Load_Ag.
    void Form_Load();
    // Builds the captions, the choice boxes and the grid's headings, widths and colours.
    void Form_Set();
    // File -> tables -> grid; a missing file gives a new book. A damaged file is copied aside
    // (the user is told, naming both files) and a new book is opened; the result is then an error.
    Status Data_Load();
    // Grid -> tables, rows 1..365: the date labels, and the hour cells while the energy view is
    // shown (the generation view's figures never reach HourData).
    void Data_set();
    // Tables -> grid, rows 1..365: labels, weekday, hour cells of the current view.
    void Grd1_Crt();
    // Data_set, then the tables to the book file (crash-safe). The result tells whether it was
    // written; the edit flag is not changed here.
    Status Data_Save();
    // An import placed by dates, as one undoable step: the hour cells (row 1..365, hour 0..23)
    // get the texts, the tables follow (Data_set) and Edit_Flg := 1; 元に戻す takes it back until
    // the book is read again from its file.
    struct HourCell {
        int row = 0;
        int hour = 0;
        std::string text;
    };
    void placeImportedHours(const std::vector<HourCell>& cells);
    // Whether the step 元に戻す would take back is an import.
    bool canUndoImport() const { return canUndo() && undo_.lastKind() == kImportStep; }
    // 元に戻す when the last step is an import.
    void undoImport();

    // The book was changed from outside (the CSV import): Edit_Flg := 1, and what the import
    // wrote becomes one step of 元に戻す.
    void FWD_Kousin();

    // --- 元に戻す: typed cells, pastes, clears, imports and generator runs, one step at a time
    // (the energy view only: the generation view shows no readings) ---
    bool canUndo() const { return viewMode_ == kEnergyView && undo_.canUndo(); }
    void undo();

    // --- the clipboard ---
    // The hour cells of day rows within rows r0..r1 and columns c0..c1 as tab-separated text; ""
    // when the block holds none.
    std::string copyBlock(int r0, int c0, int r1, int c1) const;
    // Text copied from a spreadsheet, pasted at the selected hour cell (rows downward, hours
    // rightward, cut at row 365 and hour 23) as one step. A refusal (no hour cell selected, the
    // generation view, a field that is no number: nothing is written) is told to the user.
    void pasteText(const std::string& text);

    // The line for the interval import's summary when the data (dates "YYYY-MM-DD") are of
    // another year than the one the calendar was set for; "" when they agree or either is unknown.
    std::string calendarYearNote(const std::string& firstDate, const std::string& lastDate) const;
    // The year the site's calendar was last set for, when known.
    std::optional<int> calendarYear() const;
    // The energy view from the tables as they are (no reload): what an import needs before it
    // writes readings into the grid while the generation view is shown.
    void showEnergyView();

    TextGrid& grid() { return grid_; }
    const TextGrid& grid() const { return grid_; }
    int viewMode() const { return viewMode_; }
    bool edited() const { return editFlag_ != 0; }
    int selRow() const { return selRow_; }
    int selCol() const { return selCol_; }
    const std::array<int, 4>& copyArea() const { return copyArea_; }
    const std::string& selLabel() const { return selLabel_; }

    // --- grid events ---
    void MSFlexGrid1_Click(int row, int col);
    // The mouse button was released over the grid: the selection's end cell.
    void MSFlexGrid1_MouseUp(int endRow, int endCol);

    // --- the entry field Text1 ---
    // Active only while an hour cell of a day row is selected.
    bool text1Active() const { return selRow_ >= 1 && selRow_ <= 365 && selCol_ >= kFirstHourCol; }
    // A typed character (Enter = 13, Backspace = 8); false when the field must drop it.
    bool Text1_KeyPress(int key);
    // An arrow key; true when the selection moved (the field then shows the new cell).
    bool Text1_KeyDown(ArrowKey key);
    void Command4_Click(); // 書き込み

    // --- marking, pasting, clearing ---
    void Command1_Click(); // 行選択
    void Command2_Click(); // 貼り付け
    void Command3_Click(); // クリア
    void Dat_Cls_Click();  // 全データクリアー

    // --- views ---
    void Denriyoku_Crt_Click(); // 電力量: reload from the file
    void Ag_Kw_Click();         // 発電量

    // --- calendar ---
    void Combo1_Click(int index);
    // A year chosen in Combo2: Combo1 shows the date of that year's first Sunday.
    void Combo2_Click(int index);
    void Command13_Click(); // 曜日設定
    void Command6_Click();  // 年間休日設定

    // --- saving and closing ---
    // Data_Save with the hourglass; a failure is told to the user and leaves Edit_Flg = 1.
    bool saveBook();
    void Command5_Click(); // データ書き込み
    // 終　了: saves a changed book without asking; false when it could not be saved (the window
    // must then stay open).
    bool Command9_Click();
    // The first step of the charge calculation: saves the book when it was changed.
    bool saveIfEdited();

    // --- generator ---
    GeneratorSettings generatorSettings() const { return {combo3Text, combo4Text, text2, text3, text4}; }
    void Command10_Click(); // 計　算
    // Data_set, then the book, the results and the settings as one step (saveGeneratorRun).
    // Refused while a damaged book or settings file could not be copied aside.
    Status saveGeneratorRun(const GeneratorSettings& settings);

    // The focus and scroll wishes of the last operation, taken once by the window.
    FocusRequest takeFocusRequest();
    // The column to make the first scrollable column shown, or -1.
    int takeScrollRequest();

    // --- texts of the window (read by the window after each operation) ---
    std::string title;
    std::string label1;  // heading
    std::string label2;  // the selected hour cell
    std::string label3;  // the day chosen for 曜日設定 / hint of the first Sunday
    std::string label6;  // site name
    std::string label11; // demand
    std::string label13; // utility
    std::string label17; // view
    std::string text1;   // entry field (the window writes what the user types)
    // Generator fields, as typed.
    std::string combo3Text, combo4Text, text2, text3, text4;
    std::vector<std::string> hourItems; // Combo3 / Combo4: 0時 .. 23時

    // Combo1: day class or first Sunday.
    static const std::array<const char*, 10> kCombo1Items;
    int combo1Index = -1; // -1: empty text
    std::string combo1Text() const;
    // Combo2: the years.
    std::vector<std::string> combo2Items;
    int combo2Index = -1;
    std::string combo2Text() const;

    bool check1 = false; // 土曜日を休日に選択
    // 内閣府の祝日を使う: remembered per site for the run (in AppState).
    bool officialCalendar() const;
    void setOfficialCalendar(bool on);
    bool check2 = false; // 一行
    bool command13Enabled = false;

private:
    void busy(bool on) {
        if (busy_)
            busy_(on);
    }
    void buildGrid();
    void showNewBook();
    void updateLabel2();
    void showCurrentCell();
    std::string cellText(int row, int col) const { return grid_.text(row, col); }
    std::string damagedMessage(const std::string& path, const std::string& why, bool repaired);

    AppState& state_;
    Prompter& prompter_;
    std::function<void(bool)> busy_;
    TextGrid grid_;

    int editFlag_ = 0;
    int viewMode_ = kEnergyView;
    int selRow_ = 0;
    int selCol_ = 0;
    int selEndRow_ = 0;
    int selEndCol_ = 0;
    std::array<int, 4> copyArea_{0, 0, 0, 0};
    std::string selLabel_;
    FocusRequest focus_ = FocusRequest::None;
    int scroll_ = -1;
    // A damaged book file whose copy could not be made: no save may replace it until one is made.
    std::string unprotectedDamagedFile_;
    // Kinds of undo steps.
    static constexpr int kEditStep = 0;
    static constexpr int kImportStep = 1;
    GridUndo undo_{1, 365, kFirstHourCol, kLastHourCol};
    // An edit of the energy view becomes one undo step.
    void recordStep(int kind = kEditStep, std::function<void()> onUndo = {});
    // The generation totals differ from the results file (a saved run was undone): the next save
    // writes them too.
    bool resultsEdited_ = false;
    // The year box and first Sunday from the site's stored year; the year kept with the site.
    void chooseYear(int year);
    void rememberCalendarYear();
    // Refuses an entry that is no reading (told to the user); true when the text may be written.
    bool entryIsReading();
    // The same for a damaged generator settings file.
    bool settingsUnprotected_ = false;
    Status protectDamagedBook();
};

} // namespace wattorio::yearbook
