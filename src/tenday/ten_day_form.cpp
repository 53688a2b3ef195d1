#include "tenday/ten_day_form.h"

#include "app/clipboard_text.h"
#include "app/number_input.h"
#include "app/numtext.h"
#include "app/safe_save.h"
#include "app/version.h"
#include "calc/aggregation.h"
#include "tenday/ten_day_csv.h"
#include "tenday/ten_day_totals.h"

#include <algorithm>
#include <utility>

namespace wattorio::tenday {

namespace {

constexpr std::array<int, kFixedCols> kFixedWidths = {350, 800, 1200, 600};

Message writeError(const std::string& detail) {
    return {"データを書き込めませんでした。\n" + detail, "書き込みエラー", Icon::Warning, Buttons::Ok};
}

} // namespace

TenDayForm::TenDayForm(AppState& state) : state_(state), grid_(kGridRows, kGridCols, 1, kFixedCols) {}

std::string TenDayForm::caption() const {
    const SiteRecord* site = state_.currentSite();
    const std::string utility = state_.currentUtilityName();
    return "  月別・時間帯別電力" + std::string(6, ' ') + (site ? (*site)[1] : std::string()) +
           (utility.empty() ? "" : "（" + utility + "）") + std::string(24, ' ') + state_.VersionText +
           "   Ver  " + versionDigits();
}

std::string TenDayForm::siteLabel() const {
    const SiteRecord* site = state_.currentSite();
    return "名 称   " + (site ? (*site)[1] : std::string()) + "  ";
}

std::string TenDayForm::utilityLabel() const {
    return state_.currentUtilityName();
}

std::optional<Message> TenDayForm::Form_Load() {
    bookPath_ = state_.SiteDataPath;
    Set_Data(state_);
    Form_Set();
    // Data_Load: a book that reads goes on the grid; a missing one stays new (defaults, empty
    // hour cells); a damaged one is kept as a copy before it can be written over.
    const TenDayLoad load = readTenDayBook(state_, bookPath_);
    std::optional<Message> told;
    opened_ = std::make_unique<TenDayTables>(takeTables(state_));
    if (load.file == BookFile::Loaded) {
        Grd1_Crt();
    } else if (load.file == BookFile::Damaged) {
        std::string text = "１０日集計データのファイルを読み込めませんでした。\n" + bookPath_ + "\n（" +
                           load.detail + "）\n";
        if (Result<std::string> copy = keepDamagedCopy(bookPath_)) {
            text += "元のファイルは " + *copy + " に控えました。新しいデータで開きます。";
        } else {
            keepFile_ = true;
            text += "元のファイルの控えを作れなかったため（" + copy.error().message +
                    "）、このファイルには書き込みません。";
        }
        told = Message{text, "読み込みエラー", Icon::Warning, Buttons::Ok};
    }
    undo_.reset(grid_);
    Edit_Flg = 0;
    return told;
}

void TenDayForm::Form_Set() {
    grid_.beginUpdate();
    grid_.resize(kGridRows, kGridCols);
    grid_.setFixed(1, kFixedCols);
    for (int c = 0; c < kFixedCols; ++c)
        grid_.setColWidth(c, kFixedWidths[c]);
    grid_.setText(0, 0, "No");
    grid_.setText(0, 1, "月");
    grid_.setText(0, 2, "日付");
    grid_.setText(0, 3, "日数");
    for (int h = 0; h < 24; ++h)
        grid_.setText(0, h + kFirstHourCol, std::to_string(h) + "時");
    for (int r = 1; r <= kTenDayRows; ++r) {
        grid_.setText(r, 0, std::to_string(r));
        grid_.setText(r, 1, state_.DayCode[r][0]);
        grid_.setText(r, 2, state_.DayCode[r][1]);
        grid_.setText(r, 3, numberText(state_.DayMark[r][0]));
    }
    if (state_.UtilityNo == 1 || state_.UtilityNo == 3)
        Form_Grd_1();
    else if (state_.UtilityNo == 2)
        Form_Grd_2();
    for (int r = kFirstSummerRow; r <= kLastSummerRow; ++r)
        for (int c = 1; c < kGridCols; ++c)
            grid_.setBackground(r, c, kSummerColour);
    grid_.endUpdate();
    Label1.clear();
    Label2 = " Ver  " + versionDigits();
}

void TenDayForm::Form_Grd_1() {
    for (int h = 0; h < 24; ++h) {
        const std::uint32_t colour = (h <= 7 || h >= 22)    ? kNightColour
                                     : (h >= 13 && h <= 15) ? kPeakColour
                                                            : kDayColour;
        grid_.setBackground(0, h + kFirstHourCol, colour);
    }
}

void TenDayForm::Form_Grd_2() {
    for (int h = 0; h < 24; ++h) {
        const std::uint32_t colour = (h <= 7 || h >= 22)    ? kNightColour
                                     : (h >= 10 && h <= 16) ? kPeakColour
                                                            : kDayColour;
        grid_.setBackground(0, h + kFirstHourCol, colour);
    }
}

void TenDayForm::Grd1_Crt() {
    grid_.beginUpdate();
    for (int r = 1; r <= kTenDayRows; ++r) {
        grid_.setText(r, 1, state_.DayCode[r][0]);
        grid_.setText(r, 2, state_.DayCode[r][1]);
        grid_.setText(r, 3, numberText(state_.DayMark[r][0]));
        for (int h = 0; h < 24; ++h)
            grid_.setText(r, h + kFirstHourCol, numberText(state_.HourData[h][r]));
    }
    grid_.endUpdate();
}

void TenDayForm::Data_set() {
    if (opened_)
        putTables(*opened_, state_);
    for (int r = 1; r <= kTenDayRows; ++r) {
        state_.DayCode[r][0] = grid_.text(r, 1);
        state_.DayCode[r][1] = grid_.text(r, 2);
        state_.DayMark[r][0] = static_cast<float>(val(grid_.text(r, 3)));
        for (int h = 0; h < 24; ++h)
            state_.HourData[h][r] = val(grid_.text(r, h + kFirstHourCol));
    }
}

Status TenDayForm::Data_Save() {
    Data_set();
    if (keepFile_)
        return Error{"読み込めなかったファイルの控えがないため、上書きしません: " + bookPath_};
    return saveTenDayBook(state_, bookPath_);
}

void TenDayForm::showCurrentCell() {
    // The fields always show the cells they write to.
    if (Sel_Row < 1 || Sel_Row > kTenDayRows)
        return;
    Text1 = grid_.text(Sel_Row, 1);
    Text2 = grid_.text(Sel_Row, 2);
    Text3 = grid_.text(Sel_Row, 3);
    if (hourCellCurrent())
        Text5 = grid_.text(Sel_Row, Sel_Col);
}

bool TenDayForm::MSFlexGrid1_Click(int row, int col) {
    if (row < 1 || row > kTenDayRows || col < 0 || col > kLastCol)
        return false;
    Sel_Col = col;
    Sel_Row = row;
    Label2.clear();
    Label1 = grid_.text(row, 0);
    Text1 = grid_.text(row, 1);
    Text2 = grid_.text(row, 2);
    Text3 = grid_.text(row, 3);
    if (col < kFirstHourCol)
        return false;
    Text5 = grid_.text(row, col);
    Label2 = std::to_string(row) + " 行  " + std::to_string(col - kFirstHourCol) + " 時のkWh";
    return true;
}

void TenDayForm::MSFlexGrid1_MouseUp(int endRow, int endCol) {
    SelEnd_Row = endRow;
    SelEnd_Col = endCol;
}

bool TenDayForm::Text5_Accepts(char32_t key, std::string_view current) {
    // Readings carry fractions (imports write them too): one decimal point is taken.
    if (key == U'.')
        return current.find('.') == std::string_view::npos;
    return key == U'\b' || (key >= U'0' && key <= U'9');
}

bool TenDayForm::writeValue() {
    if (!hourCellCurrent())
        return false;
    const std::string value = asciiNumberText(Text5);
    if (!isReadingText(value) || value == ".")
        return false;
    grid_.setText(Sel_Row, Sel_Col, value);
    Edit_Flg = 1;
    undo_.record(grid_);
    return true;
}

bool TenDayForm::writeLabels() {
    if (Sel_Row < 1)
        return false;
    grid_.beginUpdate();
    grid_.setText(Sel_Row, 1, Text1);
    grid_.setText(Sel_Row, 2, Text2);
    grid_.setText(Sel_Row, 3, Text3);
    grid_.endUpdate();
    undo_.record(grid_);
    Edit_Flg = 1;
    return true;
}

void TenDayForm::markArea() {
    Copy_Area = {Sel_Row, Sel_Col, SelEnd_Col, SelEnd_Row};
}

void TenDayForm::paste() {
    auto [a, b, c, d] = Copy_Area;
    if (a == 0 || c == 0)
        return;
    const int t = Sel_Row;
    const int u = Sel_Col;
    if (t + (d - a) > kTenDayRows)
        d = kTenDayRows - t + a;
    if (u + (c - b) > kLastCol)
        c -= u + (c - b) - kLastCol;
    grid_.beginUpdate();
    // One cell at a time in row order: where source and target overlap, a cell is read after any
    // earlier write to it.
    for (int i = 0; i <= d - a; ++i)
        for (int j = 0; j <= c - b; ++j)
            if (u + j >= 1)
                grid_.setText(t + i, u + j, grid_.text(a + i, b + j));
    grid_.endUpdate();
    undo_.record(grid_);
    Copy_Area = {};
    Edit_Flg = 1;
    showCurrentCell();
}

void TenDayForm::clearArea() {
    const auto [a, b, c, d] = Copy_Area;
    if (a == 0 || c == 0)
        return;
    grid_.beginUpdate();
    for (int r = a; r <= d; ++r)
        for (int k = std::max(b, 1); k <= c; ++k)
            grid_.setText(r, k, "");
    grid_.endUpdate();
    undo_.record(grid_);
    Copy_Area = {};
    Edit_Flg = 1;
    showCurrentCell();
}

Message TenDayForm::save() {
    if (Status saved = Data_Save(); !saved)
        return writeError(saved.error().message);
    Edit_Flg = 0;
    return notice("データ書き込み完了", "書き込み完了メッセージ");
}

std::optional<Message> TenDayForm::finish() {
    if (Edit_Flg == 1) {
        if (Status saved = Data_Save(); !saved)
            return writeError(saved.error().message);
        Edit_Flg = 0;
    }
    return std::nullopt;
}

std::optional<Message> TenDayForm::calculate() {
    // The values on screen are priced; the file is not written and Edit_Flg stays as it is.
    // An unchanged book is taken over as well: the grid then equals the tables as loaded, and
    // the year book may have filled the shared tables with its own readings meanwhile.
    Data_set();
    if (std::optional<Message> refusal = calc::utilityRefusal(state_))
        return refusal;
    Yer_Total(state_);
    // The hourly analysis belongs to a year book: none of another site's is left for the results.
    state_.PeakDemand.fill(0);
    state_.PeakDemandDay.fill(0);
    state_.PeakDemandHour.fill(0);
    state_.HourAverage.fill(0);
    return std::nullopt;
}

void TenDayForm::openExcel() {
    state_.ExcelMode = 1;
}

Message TenDayForm::importCsv(const std::string& path) {
    Result<TenDayCsvOutcome> read = importTenDayCsv(path, grid_);
    if (!read)
        return {"ＣＳＶファイルを読み込めませんでした。\n" + read.error().message, "読み込みエラー",
                Icon::Warning, Buttons::Ok};
    if (read->rowsPlaced > 0) {
        undo_.record(grid_);
        Data_set();
        Edit_Flg = 1;
    }
    return notice("読み込み完了 " + std::to_string(read->rowsPlaced) + "行読み込みました。",
                  "確認メッセージ    " + path);
}

void TenDayForm::undo() {
    if (!undo_.undo(grid_))
        return;
    Edit_Flg = 1;
    showCurrentCell();
}

std::string TenDayForm::copyBlock(int r0, int c0, int r1, int c1) const {
    return readingsBlockText(grid_, r0, c0, r1, c1, kTenDayRows, kFirstHourCol, kLastCol);
}

std::optional<Message> TenDayForm::pasteText(const std::string& text) {
    if (!hourCellCurrent() || Sel_Row > kTenDayRows)
        return notice("貼り付ける位置の時間のセルを選択してください。", "選択エラー");
    Result<PastedBlock> block = parsePastedBlock(text);
    if (!block)
        return Message{block.error().message, "貼り付けエラー", Icon::Warning, Buttons::Ok};
    if (placeBlock(grid_, *block, Sel_Row, Sel_Col, kTenDayRows, kLastCol) == 0)
        return std::nullopt;
    undo_.record(grid_);
    Edit_Flg = 1;
    showCurrentCell();
    return std::nullopt;
}

} // namespace wattorio::tenday
