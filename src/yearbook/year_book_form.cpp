#include "yearbook/year_book_form.h"

#include "app/clipboard_text.h"
#include "app/number_input.h"
#include "app/numtext.h"
#include "app/safe_save.h"
#include "app/version.h"
#include "registry/site_book_info.h"
#include "yearbook/calendar.h"
#include "yearbook/holiday_list.h"
#include "yearbook/year_book_file.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace wattorio::yearbook {

namespace {

constexpr int kLastDayRow = kYearRows;
constexpr const char* kEnergyCaption = "電　力　量";
constexpr const char* kGenerationCaption = "発　電　量";

std::string weekdayText(float mark) {
    if (mark == kWeekday)
        return " 平";
    if (mark == kHoliday)
        return "休日";
    if (mark == kSaturday)
        return "土曜";
    return {};
}

// Time band colour of the heading of hour h for the utility.
std::uint32_t bandColour(int utility, int h) {
    if (h <= 7 || h >= 22)
        return kNightColour;
    if (utility == 9)
        return kDayColour;
    if (utility == 2 || utility == 4)
        return h >= 10 && h <= 16 ? kPeakColour : kDayColour;
    return h >= 13 && h <= 15 ? kPeakColour : kDayColour;
}

std::string hourText(int h) {
    return std::to_string(h) + "時";
}

} // namespace

const std::array<const char*, 10> YearBookForm::kCombo1Items{" 平",  "休日", "土曜", "   1", "   2",
                                                             "   3", "   4", "   5", "   6", "   7"};

YearBookForm::YearBookForm(AppState& state, Prompter& prompter)
    : state_(state), prompter_(prompter), grid_(kGridRows, kGridCols, 1, kGridFixedCols) {}

std::string YearBookForm::combo1Text() const {
    return combo1Index >= 0 && combo1Index < static_cast<int>(kCombo1Items.size()) ? kCombo1Items[combo1Index]
                                                                                   : std::string();
}

std::string YearBookForm::combo2Text() const {
    return combo2Index >= 0 && combo2Index < static_cast<int>(combo2Items.size()) ? combo2Items[combo2Index]
                                                                                  : std::string();
}

FocusRequest YearBookForm::takeFocusRequest() {
    return std::exchange(focus_, FocusRequest::None);
}
int YearBookForm::takeScrollRequest() {
    return std::exchange(scroll_, -1);
}

// ---------------------------------------------------------------------------------------------
// Opening, loading, saving

void YearBookForm::Form_Load() {
    Form_Set();
    Data_Load();
    editFlag_ = 0;
    const SiteRecord* site = state_.currentSite();
    label11 = "ﾃﾞﾏﾝﾄﾞ " + (site ? (*site)[3] : std::string()) + "kW";
    const GeneratorSettingsLoad settings = openGeneratorSettings(state_.agPath());
    combo3Text = settings.settings.start;
    combo4Text = settings.settings.end;
    text2 = settings.settings.capacity;
    text3 = settings.settings.minOutput;
    text4 = settings.settings.minPurchase;
    settingsUnprotected_ = settings.keepUnwritten;
    if (!settings.note.empty())
        prompter_.show({settings.note, "読み込みエラー", Icon::Warning, Buttons::Ok});
}

void YearBookForm::Form_Set() {
    const SiteRecord* site = state_.currentSite();
    // Which site's book this is, where the task bar shows it too.
    const std::string siteName = site ? (*site)[1] : std::string();
    const std::string utility = state_.currentUtilityName();
    title = "  月別・時間帯別電力" + std::string(6, ' ') + siteName +
            (utility.empty() ? "" : "（" + utility + "）") + std::string(24, ' ') + state_.VersionText +
            "   Ver  " + versionDigits();
    label1 = " 日 別 年 間 電 力 量 ";
    label13 = utility;
    label6 = "名 称   " + (site ? (*site)[1] : std::string()) + "  ";
    label2.clear();
    label17.clear();
    label3 = "年１月　　　　　　　は日曜日";
    text1.clear();
    text2.clear();
    text3.clear();
    text4.clear();
    combo3Text.clear();
    combo4Text.clear();
    combo1Index = 3;
    // The years run to the last year the holiday list knows, or next year when that is later.
    const HolidayList holidays = findHolidayList(state_.AppDir, state_.DataDir).list;
    const int lastYear =
        std::max(holidays.empty() ? kComputedLastYear : holidays.lastYear(), state_.CurrentYear + 1);
    combo2Items.clear();
    for (int y = 2000; y <= lastYear; ++y)
        combo2Items.push_back(std::to_string(y));
    chooseYear(calendarYear().value_or(state_.CurrentYear));
    buildGrid();
    hourItems.clear();
    for (int h = 0; h < 24; ++h)
        hourItems.push_back(hourText(h));
}

void YearBookForm::buildGrid() {
    grid_.beginUpdate();
    grid_.resize(kGridRows, kGridCols);
    grid_.setFixed(1, kGridFixedCols);
    grid_.setColWidth(0, 400);
    grid_.setColWidth(1, 500);
    grid_.setColWidth(2, 500);
    grid_.setColWidth(3, 600);
    grid_.setText(0, 0, "No");
    grid_.setText(0, kMonthCol, "月");
    grid_.setText(0, kDayCol, "日付");
    grid_.setText(0, kWeekdayCol, "曜日");
    const int utility = static_cast<int>(state_.UtilityNo);
    for (int h = 0; h < 24; ++h) {
        grid_.setText(0, h + kFirstHourCol, hourText(h));
        grid_.setBackground(0, h + kFirstHourCol, bandColour(utility, h));
    }
    for (int r = 1; r <= kLastDayRow; ++r) {
        grid_.setText(r, 0, std::to_string(r));
        grid_.setBackground(r, kWeekdayCol, kWeekdayColour);
    }
    // Summer (1 July to 30 September) is coloured wherever the tariffs have a summer season.
    if (utility != 9)
        for (int r = 182; r <= 273; ++r)
            for (int c = kFirstHourCol; c <= kLastHourCol; ++c)
                grid_.setBackground(r, c, kSummerColour);
    grid_.endUpdate();
}

std::string YearBookForm::damagedMessage(const std::string& path, const std::string& why, bool repaired) {
    std::string text = repaired
                           ? "年間データファイルに Shift_JIS でない文字がありました。\n" + path +
                                 "\n読めない日付の表示を直して開きます。\n"
                           : "年間データファイルを読み込めませんでした。\n" + path + "\n（" + why + "）\n";
    Result<std::string> copy = keepDamagedCopy(path);
    if (copy) {
        text += "元のファイルは次の名前で残しました。\n" + *copy;
    } else {
        unprotectedDamagedFile_ = path;
        text += "元のファイルの控えを作れませんでした（" + copy.error().message +
                "）。\n控えを作れるまで、このファイルへは保存しません。";
    }
    if (!repaired)
        text += "\n新しいデータで開きます。";
    return text;
}

Status YearBookForm::Data_Load() {
    busy(true);
    resultsEdited_ = false;
    label17 = kEnergyCaption;
    const std::string path = state_.SiteDataPath;
    BookFileState outcome = BookFileState::Missing;
    const Status loaded = loadYearBook(state_, path, &outcome);
    std::optional<Message> tell;
    Status result;
    switch (outcome) {
    case BookFileState::Read:
    case BookFileState::Repaired:
        viewMode_ = kEnergyView;
        Grd1_Crt();
        if (outcome == BookFileState::Repaired)
            tell = Message{damagedMessage(path, "", true), "読み込みエラー", Icon::Warning, Buttons::Ok};
        break;
    case BookFileState::Damaged:
        tell = Message{damagedMessage(path, loaded.error().message, false), "読み込みエラー", Icon::Warning,
                       Buttons::Ok};
        result = loaded;
        [[fallthrough]];
    case BookFileState::Missing:
        newYearBook(state_);
        showNewBook();
        break;
    }
    undo_.reset(grid_);
    busy(false);
    if (tell)
        prompter_.show(*tell);
    return result;
}

void YearBookForm::showNewBook() {
    viewMode_ = kEnergyView;
    grid_.beginUpdate();
    grid_.clearFrom(kWeekdayCol, 1);
    for (int r = 1; r <= kLastDayRow; ++r) {
        grid_.setText(r, kMonthCol, state_.DayCode[r][0]);
        grid_.setText(r, kDayCol, state_.DayCode[r][1]);
    }
    grid_.endUpdate();
}

void YearBookForm::Data_set() {
    for (int r = 1; r <= kLastDayRow; ++r) {
        state_.DayCode[r][0] = grid_.text(r, kMonthCol);
        state_.DayCode[r][1] = grid_.text(r, kDayCol);
        if (viewMode_ != kEnergyView)
            continue;
        for (int h = 0; h < 24; ++h)
            state_.HourData[h][r] = val(grid_.text(r, h + kFirstHourCol));
    }
}

void YearBookForm::Grd1_Crt() {
    grid_.beginUpdate();
    for (int r = 1; r <= kLastDayRow; ++r) {
        grid_.setText(r, kMonthCol, state_.DayCode[r][0]);
        grid_.setText(r, kDayCol, state_.DayCode[r][1]);
        // A class other than 0, 1, 2 leaves the cell as it was.
        if (std::string w = weekdayText(state_.DayMark[r][0]); !w.empty())
            grid_.setText(r, kWeekdayCol, std::move(w));
        const auto& table = viewMode_ == kGenerationView ? state_.GenData : state_.HourData;
        for (int h = 0; h < 24; ++h)
            grid_.setText(r, h + kFirstHourCol, numberText(table[h][r]));
    }
    grid_.endUpdate();
}

void YearBookForm::placeImportedHours(const std::vector<HourCell>& cells) {
    // The step holds what this import changed, whatever reached the grid before it.
    if (viewMode_ == kEnergyView)
        undo_.rebase(grid_);
    grid_.beginUpdate();
    for (const HourCell& c : cells) {
        if (c.row < 1 || c.row > kLastDayRow || c.hour < 0 || c.hour > 23)
            continue;
        grid_.setText(c.row, c.hour + kFirstHourCol, c.text);
    }
    grid_.endUpdate();
    recordStep(kImportStep);
    Data_set();
    editFlag_ = 1;
}

void YearBookForm::undoImport() {
    if (canUndoImport())
        undo();
}

void YearBookForm::FWD_Kousin() {
    editFlag_ = 1;
    recordStep(kImportStep);
}

void YearBookForm::recordStep(int kind, std::function<void()> onUndo) {
    // An import is a step even when it found every value already there: the user took it for one.
    if (kind == kImportStep && !onUndo)
        onUndo = [] {};
    // The generation view's cells are no readings: nothing typed there is taken back.
    if (viewMode_ == kEnergyView)
        undo_.record(grid_, kind, std::move(onUndo));
}

void YearBookForm::undo() {
    if (!canUndo())
        return;
    undo_.undo(grid_);
    // The tables follow, as after an import: a later view or calculation sees the grid.
    Data_set();
    showCurrentCell();
    editFlag_ = 1;
}

std::string YearBookForm::copyBlock(int r0, int c0, int r1, int c1) const {
    return readingsBlockText(grid_, r0, c0, r1, c1, kLastDayRow, kFirstHourCol, kLastHourCol);
}

void YearBookForm::pasteText(const std::string& text) {
    if (viewMode_ == kGenerationView) {
        prompter_.show(notice("表示を電力量に変更ください。", "操作不具合メッセージ"));
        return;
    }
    if (!text1Active() || selCol_ > kLastHourCol) {
        prompter_.show(notice("貼り付ける位置の時間のセルを選択してください。", "選択エラー"));
        return;
    }
    Result<PastedBlock> block = parsePastedBlock(text);
    if (!block) {
        prompter_.show({block.error().message, "貼り付けエラー", Icon::Warning, Buttons::Ok});
        return;
    }
    if (placeBlock(grid_, *block, selRow_, selCol_, kLastDayRow, kLastHourCol) == 0)
        return;
    recordStep();
    showCurrentCell();
    editFlag_ = 1;
}

void YearBookForm::showEnergyView() {
    viewMode_ = kEnergyView;
    label17 = kEnergyCaption;
    Grd1_Crt();
    // The readings come back as the tables hold them: no step of their own.
    undo_.rebase(grid_);
}

Status YearBookForm::protectDamagedBook() {
    const std::string& path = state_.SiteDataPath;
    if (!unprotectedDamagedFile_.empty()) {
        // The damaged file this book replaced is copied aside before anything is written over it.
        if (unprotectedDamagedFile_ == path && fileExists(path)) {
            Result<std::string> copy = keepDamagedCopy(path);
            if (!copy)
                return Error{"読み込めなかった元のファイルの控えを作れないため、保存しません: " + path +
                             "\n（" + copy.error().message + "）"};
        }
        unprotectedDamagedFile_.clear();
    }
    return Status::success();
}

Status YearBookForm::Data_Save() {
    Data_set();
    if (Status protectedFirst = protectDamagedBook(); !protectedFirst)
        return protectedFirst;
    if (Status saved = saveYearBook(state_, state_.SiteDataPath); !saved)
        return saved;
    // An undone generator run took its amounts out of the totals: the results file follows.
    if (resultsEdited_) {
        if (Status results = Data_save_AG(state_, state_.agResultsPath()); !results)
            return results;
        resultsEdited_ = false;
    }
    return Status::success();
}

Status YearBookForm::saveGeneratorRun(const GeneratorSettings& settings) {
    Data_set();
    if (Status protectedFirst = protectDamagedBook(); !protectedFirst)
        return protectedFirst;
    if (settingsUnprotected_)
        return Error{"読み込めなかった発電設備の設定ファイルの控えを作れないため、保存しません: " +
                     state_.agPath()};
    Status saved = yearbook::saveGeneratorRun(state_, settings,
                                              {state_.SiteDataPath, state_.agResultsPath(), state_.agPath()});
    if (saved)
        resultsEdited_ = false;
    return saved;
}

bool YearBookForm::saveBook() {
    busy(true);
    const Status saved = Data_Save();
    busy(false);
    if (!saved) {
        editFlag_ = 1;
        prompter_.show({"データを保存できませんでした。\n" + saved.error().message +
                            "\n画面のデータは保存されないまま残っています。",
                        "書き込みエラー", Icon::Critical, Buttons::Ok});
        return false;
    }
    editFlag_ = 0;
    return true;
}

void YearBookForm::Command5_Click() {
    if (saveBook())
        prompter_.show(notice("データ書き込み完了", "書き込み完了メッセージ"));
}

bool YearBookForm::Command9_Click() {
    return editFlag_ != 1 || saveBook();
}

bool YearBookForm::saveIfEdited() {
    return editFlag_ != 1 || saveBook();
}

// ---------------------------------------------------------------------------------------------
// Grid and entry field

void YearBookForm::MSFlexGrid1_Click(int row, int col) {
    selCol_ = col;
    selRow_ = row;
    command13Enabled = false;
    if (row < 1 || row > kLastDayRow)
        return;
    if (col == kWeekdayCol) {
        const std::string& cell = grid_.text(row, col);
        combo1Index = -1;
        for (int i = 0; i <= 2; ++i)
            if (cell == kCombo1Items[i])
                combo1Index = i;
        label3 = grid_.text(row, kMonthCol) + grid_.text(row, kDayCol) + "日";
        focus_ = FocusRequest::Combo1;
        command13Enabled = true;
    } else if (col >= kFirstHourCol && col <= kLastHourCol) {
        text1 = grid_.text(row, col);
        focus_ = FocusRequest::Text1;
        selLabel_ =
            std::to_string(row) + " 行  " + grid_.text(row, kMonthCol) + grid_.text(row, kDayCol) + "日 ";
        updateLabel2();
    }
}

void YearBookForm::MSFlexGrid1_MouseUp(int endRow, int endCol) {
    selEndRow_ = endRow;
    selEndCol_ = endCol;
}

void YearBookForm::showCurrentCell() {
    // The entry field always shows the cell it writes to, so that Enter never writes back a
    // value the grid no longer holds.
    if (text1Active())
        text1 = grid_.text(selRow_, selCol_);
}

void YearBookForm::updateLabel2() {
    label2 = selLabel_ + std::to_string(selCol_ - kFirstHourCol) + " 時のkWh";
}

bool YearBookForm::Text1_KeyPress(int key) {
    if (!text1Active())
        return true;
    if (key == kKeyEnter) {
        if (entryIsReading()) {
            grid_.setText(selRow_, selCol_, text1);
            editFlag_ = 1;
            recordStep();
        }
        return false;
    }
    // Readings carry fractions (imports write them too): one decimal point is taken.
    if (key == '.')
        return text1.find('.') == std::string::npos;
    return key == kKeyBackspace || (key >= '0' && key <= '9');
}

bool YearBookForm::entryIsReading() {
    text1 = asciiNumberText(text1);
    if (isReadingText(text1) && text1 != ".")
        return true;
    prompter_.show(inputError("「" + text1 + "」は数値ではありません。数字と小数点で入力してください。"));
    return false;
}

bool YearBookForm::Text1_KeyDown(ArrowKey key) {
    if (!text1Active())
        return false;
    bool moved = false;
    if (key == ArrowKey::Right && selCol_ < kLastHourCol) {
        ++selCol_;
        text1 = grid_.text(selRow_, selCol_);
        if (selCol_ > 15)
            scroll_ = 15;
        moved = true;
    } else if (key == ArrowKey::Left && selCol_ > kFirstHourCol) {
        --selCol_;
        text1 = grid_.text(selRow_, selCol_);
        if (selCol_ <= 15)
            scroll_ = 3;
        moved = true;
    }
    updateLabel2();
    return moved;
}

void YearBookForm::Command4_Click() {
    if (!text1Active() || !entryIsReading())
        return;
    grid_.setText(selRow_, selCol_, text1);
    editFlag_ = 1;
    recordStep();
}

// ---------------------------------------------------------------------------------------------
// Marking, pasting, clearing

void YearBookForm::Command1_Click() {
    if (selCol_ >= kFirstHourCol) {
        copyArea_ = {selRow_, selCol_, check2 ? kLastHourCol : selEndCol_, selEndRow_};
        return;
    }
    prompter_.show(
        {"立て行の選択範囲が間違っています。（曜日以降を選択）", "選択エラー", Icon::Question, Buttons::Ok});
}

void YearBookForm::Command2_Click() {
    if (copyArea_[0] == 0 || copyArea_[2] == 0)
        return;
    // Readings are pasted into hour cells of day rows only: a target on a label, the weekday
    // column or the heading row would overwrite the dates.
    if (selRow_ < 1 || selRow_ > kLastDayRow || selCol_ < kFirstHourCol || selCol_ > kLastHourCol)
        return;
    int k = copyArea_[3] - copyArea_[0] + 1;
    if (selRow_ + k - 1 > kLastDayRow)
        k = kLastDayRow - selRow_ + 1;
    int m = copyArea_[2] - copyArea_[1] + 1;
    if (selCol_ + m - 1 > kLastHourCol)
        m = kLastHourCol - selCol_ + 1;
    grid_.beginUpdate();
    // One cell at a time, row by row: where source and target overlap, a cell is read after any
    // earlier write to it.
    for (int i = 0; i < k; ++i)
        for (int j = 0; j < m; ++j) {
            std::string text = grid_.text(copyArea_[0] + i, copyArea_[1] + j);
            grid_.setText(selRow_ + i, selCol_ + j, std::move(text));
        }
    grid_.endUpdate();
    recordStep();
    showCurrentCell();
    copyArea_ = {0, 0, 0, 0};
    editFlag_ = 1;
}

void YearBookForm::Command3_Click() {
    if (copyArea_[0] == 0 || copyArea_[2] == 0)
        return;
    grid_.beginUpdate();
    for (int i = 0; i <= copyArea_[3] - copyArea_[0]; ++i)
        for (int j = 0; j <= copyArea_[2] - copyArea_[1]; ++j)
            grid_.setText(copyArea_[0] + i, copyArea_[1] + j, std::string());
    grid_.endUpdate();
    recordStep();
    showCurrentCell();
    copyArea_ = {0, 0, 0, 0};
    editFlag_ = 1;
}

void YearBookForm::Dat_Cls_Click() {
    if (prompter_.show(confirm("全ての電力量データをクリアーします。")) != Answer::Ok)
        return;
    // What 元に戻す puts back besides the cells: the slots the grid does not show.
    const auto readings = state_.HourData;
    for (int r = 0; r <= kLastDayRow; ++r)
        for (int h = 0; h < kHourSlots; ++h)
            state_.HourData[h][r] = 0;
    Grd_Cls(grid_, kFirstHourCol, 1);
    recordStep(kEditStep, [this, readings] { state_.HourData = readings; });
    showCurrentCell();
    editFlag_ = 1;
    prompter_.show(notice("消去しました。", "確認メッセージ"));
}

// ---------------------------------------------------------------------------------------------
// Views

void YearBookForm::Denriyoku_Crt_Click() {
    // Unsaved edits are never thrown away: they are taken into the tables and shown again; only
    // a book without them is read again from its file.
    if (editFlag_ == 1) {
        busy(true);
        if (viewMode_ == kEnergyView)
            Data_set();
        showEnergyView();
        showCurrentCell();
        busy(false);
        return;
    }
    Data_Load();
    showCurrentCell();
}

void YearBookForm::Ag_Kw_Click() {
    busy(true);
    label17 = kGenerationCaption;
    // Readings typed since the last save are taken over first: the grid is about to show the
    // generation and a later save must still find them.
    if (viewMode_ == kEnergyView)
        Data_set();
    // The book's own labels and day classes stay: a save in this view writes them.
    Data_Lada_AG(state_, state_.agResultsPath(), false);
    viewMode_ = kGenerationView;
    Grd1_Crt();
    showCurrentCell();
    busy(false);
}

// ---------------------------------------------------------------------------------------------
// Calendar

void YearBookForm::Combo1_Click(int index) {
    combo1Index = index;
    if (index > 2)
        label3.clear();
}

void YearBookForm::Combo2_Click(int index) {
    combo2Index = index;
    const int year = static_cast<int>(val(combo2Text()));
    if (year >= 1)
        combo1Index = 3 + firstSundayOf(year) - 1;
}

void YearBookForm::chooseYear(int year) {
    const auto at = std::find(combo2Items.begin(), combo2Items.end(), std::to_string(year));
    if (at == combo2Items.end()) {
        combo2Index = -1;
        return;
    }
    Combo2_Click(static_cast<int>(at - combo2Items.begin()));
}

std::optional<int> YearBookForm::calendarYear() const {
    const SiteRecord* site = state_.currentSite();
    return site ? registry::siteBookInfo(*site).calendarYear : std::nullopt;
}

void YearBookForm::rememberCalendarYear() {
    const SiteRecord* site = state_.currentSite();
    const int year = static_cast<int>(val(combo2Text()));
    if (!site || year < 1)
        return;
    registry::SiteBookInfo info = registry::siteBookInfo(*site);
    info.kind = info.kind.value_or(registry::BookKind::Year);
    info.calendarYear = year;
    if (Status stored = registry::storeSiteBookInfo(state_, static_cast<int>(state_.SiteRow), info); !stored)
        prompter_.show({"カレンダーの年を物件の登録に保存できませんでした。\n" + stored.error().message,
                        "書き込みエラー", Icon::Warning, Buttons::Ok});
}

std::string YearBookForm::calendarYearNote(const std::string& firstDate, const std::string& lastDate) const {
    const std::optional<int> calendar = calendarYear();
    const int first = firstDate.size() >= 4 ? static_cast<int>(val(firstDate.substr(0, 4))) : 0;
    const int last = lastDate.size() >= 4 ? static_cast<int>(val(lastDate.substr(0, 4))) : first;
    if (!calendar || first < 1 || *calendar == first || *calendar == last)
        return {};
    return "データは " + std::to_string(first) + " 年、カレンダーは " + std::to_string(*calendar) +
           " 年です。年間休日設定をやり直してください。";
}

void YearBookForm::Command13_Click() {
    const int p = combo1Index;
    if (p >= 0 && p <= 2 && selRow_ >= 1 && selRow_ <= kLastDayRow) {
        state_.DayMark[selRow_][0] = static_cast<float>(p);
        grid_.setText(selRow_, kWeekdayCol, kCombo1Items[p]);
    }
    label3.clear();
    combo1Index = -1;
    editFlag_ = 1;
    rememberCalendarYear();
}

bool YearBookForm::officialCalendar() const {
    const SiteRecord* site = state_.currentSite();
    return site && state_.OfficialCalendarSites.count((*site)[0]) != 0;
}

void YearBookForm::setOfficialCalendar(bool on) {
    const SiteRecord* site = state_.currentSite();
    if (!site)
        return;
    if (on)
        state_.OfficialCalendarSites.insert((*site)[0]);
    else
        state_.OfficialCalendarSites.erase((*site)[0]);
}

void YearBookForm::Command6_Click() {
    const std::string yearText = combo2Text();
    const int year = static_cast<int>(val(yearText));
    const bool official = officialCalendar();
    // With the Cabinet Office's holidays the first Sunday comes from the year itself.
    const double s = official ? firstSundayOf(year) : val(combo1Text());
    if (s < 1 || s > 7 || s != static_cast<int>(s)) {
        prompter_.show(notice("１月の最初の日曜日の日付を入力してください。", "選択エラーメッセージ"));
        return;
    }
    if (prompter_.show(confirm(yearText + "年の休日(日曜・国民の休日・電力会社の休日)を設定します。")) !=
        Answer::Ok)
        return;
    busy(true);
    // The grid is refilled from the tables below: readings typed since the last save are taken
    // over first so that none is lost.
    Data_set();
    std::string note;
    if (official) {
        const HolidaySource source = findHolidayList(state_.AppDir, state_.DataDir);
        note = source.note;
        if (Status set = setOfficialHolidays(state_.DayMark, year, check1, source.list); !set) {
            note += (note.empty() ? "" : "\n") + set.error().message + "\n固定の祝日で設定しました。";
            setAnnualHolidays(state_.DayMark, year, static_cast<int>(s), check1);
        }
    } else {
        setAnnualHolidays(state_.DayMark, year, static_cast<int>(s), check1);
    }
    Grd1_Crt();
    if (viewMode_ == kEnergyView)
        undo_.rebase(grid_);
    showCurrentCell();
    editFlag_ = 1;
    busy(false);
    rememberCalendarYear();
    if (!note.empty())
        prompter_.show(notice(note, "確認メッセージ"));
    prompter_.show(notice("設定完了", "確認メッセージ"));
}

// ---------------------------------------------------------------------------------------------
// Generator

void YearBookForm::Command10_Click() {
    if (viewMode_ == kGenerationView) {
        prompter_.show(notice("表示を電力量に変更ください。", "操作不具合メッセージ"));
        return;
    }
    const std::string resultsPath = state_.agResultsPath();
    const GeneratorSettings settings = generatorSettings();
    const double multiplier = state_.currentSiteValue(2);
    if (Status ok = checkGenerator(settings, multiplier); !ok) {
        prompter_.show(inputError(ok.error().message));
        return;
    }
    // What キャンセル and 元に戻す put back: the totals in memory, and those of the results file
    // that this run adds to.
    const auto totalsShown = state_.GenData;
    const int editBefore = editFlag_;
    const bool resultsBefore = resultsEdited_;
    if (!Data_Lada_AG(state_, resultsPath, false))
        state_.GenData = totalsShown;
    const auto totalsSaved = state_.GenData;
    // Earlier saved runs are loaded first and the new run adds to them; the book keeps its own
    // labels and classes. A results file that cannot be read refuses the run.
    if (Status run = runGenerator(grid_, state_, settings, multiplier, resultsPath); !run) {
        state_.GenData = totalsShown;
        prompter_.show({"発電量のファイルを読み込めないため、計算しません。\n" + run.error().message,
                        "読み込みエラー", Icon::Warning, Buttons::Ok});
        return;
    }
    undo_.record(grid_, kEditStep, [this, totalsSaved] {
        state_.GenData = totalsSaved;
        resultsEdited_ = true;
    });
    editFlag_ = 1;
    showCurrentCell();
    if (prompter_.show(confirm("データの書き換えを完了しました。データを保存しますか？")) != Answer::Ok) {
        // Nothing of the run stays: the readings, the totals and the edit flag as before 計　算.
        undo_.undo(grid_);
        state_.GenData = totalsShown;
        resultsEdited_ = resultsBefore;
        editFlag_ = editBefore;
        showCurrentCell();
        return;
    }
    busy(true);
    const Status saved = saveGeneratorRun(settings);
    if (saved)
        editFlag_ = 0;
    busy(false);
    if (!saved) {
        prompter_.show({"データを保存できませんでした。\n" + saved.error().message, "書き込みエラー",
                        Icon::Critical, Buttons::Ok});
    }
}

} // namespace wattorio::yearbook
