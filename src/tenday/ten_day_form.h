#pragma once
// The ten-day book window "Nenkan" without its widgets: the grid's texts and colours, the entry
// fields and labels, the current cell and the marked area, the edit flag, and every operation of
// the window's buttons. The window binds widgets named like the controls to this object.

#include "app/app_state.h"
#include "app/grid_undo.h"
#include "app/message.h"
#include "app/result.h"
#include "app/text_grid.h"
#include "tenday/ten_day_file.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace wattorio::tenday {

// MSFlexGrid1: a heading row and the 48 book rows; "No", "月", "日付", "日数" fixed, then hour h in
// column h + 4.
constexpr int kGridRows = kTenDayRows + 1;
constexpr int kGridCols = 28;
constexpr int kFixedCols = 4;
constexpr int kFirstHourCol = 4;
constexpr int kLastCol = kGridCols - 1;

constexpr std::uint32_t kNightColour = 0xC0C0FF;  // light blue
constexpr std::uint32_t kDayColour = 0x80FF80;    // light green
constexpr std::uint32_t kPeakColour = 0xFF0000;   // red
constexpr std::uint32_t kSummerColour = 0xFFFF80; // light yellow: July to September
constexpr int kFirstSummerRow = 25;
constexpr int kLastSummerRow = 36;

class TenDayForm {
public:
    explicit TenDayForm(AppState& state);

    // ---- Opening and the tables ---------------------------------------------------------------
    // Form_Load: Set_Data, Form_Set, Data_Load, Edit_Flg = 0. The book file is the state's
    // SiteDataPath at this moment. A message comes back when the file existed but could not be
    // read: it was copied aside and the book opens new.
    std::optional<Message> Form_Load();
    // Headings, widths, row numbers, labels and day counts from the tables, empty hour cells,
    // band colours of the hour headings and the summer rows.
    void Form_Set();
    // Hour headings coloured by band: 東京電力 / 東北電力, and 中部電力.
    void Form_Grd_1();
    void Form_Grd_2();
    // Tables -> grid, rows 1..48.
    void Grd1_Crt();
    // Grid -> tables, rows 1..48 (labels, day count and hours; numbers by the leading-number rule).
    // The parts of the book the grid does not show (row 0, the row markers, hour slots 24 and 25)
    // are put back as the book was opened, so the tables hold this book even after the other
    // book window has used them.
    void Data_set();
    // Data_set, then the tables into the book file.
    Status Data_Save();

    const std::string& bookPath() const { return bookPath_; }
    std::string caption() const;
    // The open site: "名 称   <name>  " and its utility.
    std::string siteLabel() const;
    std::string utilityLabel() const;
    TextGrid& grid() { return grid_; }
    const TextGrid& grid() const { return grid_; }

    // ---- Controls -----------------------------------------------------------------------------
    std::string Text1;  // month label of the current row
    std::string Text2;  // period label
    std::string Text3;  // day count
    std::string Text5;  // value of the current hour cell
    std::string Label1; // row number
    std::string Label2; // row and hour of the current cell

    // Form-level state.
    int Edit_Flg = 0;
    int Sel_Row = 0;
    int Sel_Col = 0;
    int SelEnd_Row = 0; // the grid's RowSel / ColSel when the mouse button was released
    int SelEnd_Col = 0;
    std::array<int, 4> Copy_Area{}; // top row, left column, right column, bottom row

    // ---- Operations ---------------------------------------------------------------------------
    // A click on a book cell (the heading row is not a cell). True when the click was on an hour
    // cell, so the focus moves to Text5.
    bool MSFlexGrid1_Click(int row, int col);
    void MSFlexGrid1_MouseUp(int endRow, int endCol);
    // Text5 takes Backspace, the digits and one decimal point (`current`: the field's text
    // without the part the key replaces).
    static bool Text5_Accepts(char32_t key, std::string_view current = {});
    // Enter in Text5 or "書き込み" (Command4): Text5 into the current hour cell. False (nothing
    // written) while no hour cell is current or Text5 holds no reading (digits, one point).
    bool writeValue();
    // "書き込み" (Command3): Text1..Text3 into columns 1..3 of the current row; false without one.
    bool writeLabels();
    // "行選択" (Command6): remembers the block from the current cell to the selection end.
    void markArea();
    // "貼り付け" (Command7): copies the remembered block to the current cell, cut at row 48 and
    // column 27, cell by cell in row order; the row-number column is never written.
    void paste();
    // "クリア" (Command2): blanks the remembered block.
    void clearArea();
    // "データ書込" (Command1): saves; the completion message, or the error (Edit_Flg unchanged).
    Message save();
    // "終　了" (Command5): saves a changed book. No message: the window closes; a message: the
    // save failed and the window stays open.
    std::optional<Message> finish();
    // "電気代計算" (Command8): takes the grid over (without saving) and computes the yearly
    // totals. No message: open the results window; a message: the site has no utility.
    std::optional<Message> calculate();
    // "エクセル起動" (Command9): selects the ten-day report for the spreadsheet window.
    void openExcel();
    // "ＣＳＶ読込" (Command10), after the file was chosen: the completion or error message.
    Message importCsv(const std::string& path);

    // 元に戻す: typed values and labels, pastes, clears and CSV imports, one step at a time.
    bool canUndo() const { return undo_.canUndo(); }
    void undo();
    // The hour cells within rows r0..r1 and columns c0..c1 as tab-separated text ("" for none).
    std::string copyBlock(int r0, int c0, int r1, int c1) const;
    // Text copied from a spreadsheet, pasted at the current hour cell (cut at row 48 and hour 23)
    // as one step; the refusal when nothing was written (no hour cell current, a field that is
    // no number).
    std::optional<Message> pasteText(const std::string& text);

private:
    bool hourCellCurrent() const { return Sel_Row >= 1 && Sel_Col >= kFirstHourCol; }
    void showCurrentCell();

    AppState& state_;
    TextGrid grid_;
    std::string bookPath_;
    std::unique_ptr<TenDayTables> opened_; // the book as it was opened
    GridUndo undo_{1, kTenDayRows, 1, kLastCol};
    // A damaged book file that could not be copied aside is never written over.
    bool keepFile_ = false;
};

} // namespace wattorio::tenday
