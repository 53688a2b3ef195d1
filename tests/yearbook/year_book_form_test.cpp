// The year book window's state and operations, without a display.

#include "support/temp_dir.h"
#include "yearbook/calendar.h"
#include "yearbook/generator.h"
#include "yearbook/year_book_file.h"
#include "yearbook/year_book_form.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <memory>

using namespace wattorio;
using namespace wattorio::yearbook;
using wattorio::test::TempDir;

namespace {

class RecordingPrompter : public Prompter {
public:
    Answer show(const Message& m) override {
        shown.push_back(m);
        if (answers.empty())
            return Answer::Ok;
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::deque<Answer> answers;
    std::vector<Message> shown;
};

class BookTest : public ::testing::Test {
protected:
    void SetUp() override {
        state = std::make_unique<AppState>();
        fillUtilityNames(*state);
        state->AppDir = dir.path();
        state->SiteTable[1] = {" 1", "本社ビル", "1", "450", "98", "1", "", "", ""};
        state->SiteRow = 1;
        state->UtilityNo = 1;
        state->CurrentYear = 2025;
        state->SiteDataPath = dir.file("000001_Y.dat");
    }
    // Opens the book window's form as the window does.
    YearBookForm& open() {
        form = std::make_unique<YearBookForm>(*state, prompter);
        form->setBusyHook([this](bool on) { busyDepth += on ? 1 : -1; });
        form->Form_Load();
        return *form;
    }
    // Writes a book file with a reading in every hour cell: (h + 1) * 10 + r.
    void writeBook() {
        auto s = std::make_unique<AppState>();
        newYearBook(*s);
        for (int r = 1; r <= 365; ++r)
            for (int h = 0; h < 24; ++h)
                s->HourData[h][r] = (h + 1) * 10 + r;
        s->HourData[24][0] = 77;
        setAnnualHolidays(s->DayMark, 2025, 5, true);
        ASSERT_TRUE(saveYearBook(*s, state->SiteDataPath));
    }
    // Types keys into the entry field as the window passes them.
    void type(const std::string& keys) {
        for (char c : keys)
            if (form->Text1_KeyPress(static_cast<unsigned char>(c)))
                form->text1 += c;
    }
    void clickAndRelease(int row, int col, int endRow, int endCol) {
        form->MSFlexGrid1_Click(row, col);
        form->MSFlexGrid1_MouseUp(endRow, endCol);
    }
    const std::string& cell(int row, int col) { return form->grid().text(row, col); }

    TempDir dir;
    std::unique_ptr<AppState> state;
    RecordingPrompter prompter;
    std::unique_ptr<YearBookForm> form;
    int busyDepth = 0;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Opening

TEST_F(BookTest, NewSiteOpensAnEmptyBookWithoutAMessage) {
    YearBookForm& f = open();
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_FALSE(f.edited());
    EXPECT_EQ(f.viewMode(), kEnergyView);
    EXPECT_EQ(f.label17, "電　力　量");
    EXPECT_EQ(cell(1, 1), "1月");
    EXPECT_EQ(cell(1, 2), "1");
    EXPECT_EQ(cell(59, 1), "2月");
    EXPECT_EQ(cell(59, 2), "28");
    EXPECT_EQ(cell(60, 2), "1");
    EXPECT_EQ(cell(365, 1), "12月");
    EXPECT_EQ(cell(100, 0), "100");
    EXPECT_EQ(cell(100, kWeekdayCol), "");
    EXPECT_EQ(cell(100, 10), "");
    EXPECT_EQ(busyDepth, 0);
    // Closing an unchanged new book writes nothing.
    EXPECT_TRUE(f.Command9_Click());
    EXPECT_FALSE(dir.exists("000001_Y.dat"));
}

TEST_F(BookTest, CaptionsChoicesAndGridLayout) {
    state->VersionText = "BANNER";
    YearBookForm& f = open();
    EXPECT_EQ(f.title,
              "  月別・時間帯別電力      本社ビル（東京電力）" + std::string(24, ' ') + "BANNER   Ver  1.02");
    EXPECT_EQ(f.label1, " 日 別 年 間 電 力 量 ");
    EXPECT_EQ(f.label13, "東京電力");
    EXPECT_EQ(f.label6, "名 称   本社ビル  ");
    EXPECT_EQ(f.label11, "ﾃﾞﾏﾝﾄﾞ 450kW");
    EXPECT_EQ(f.label3, "年１月　　　　　　　は日曜日");
    EXPECT_EQ(f.combo1Text(), "   5");    // 5 January 2025 is a Sunday
    ASSERT_EQ(f.combo2Items.size(), 28u); // to 2027, the holiday list's last year
    EXPECT_EQ(f.combo2Items.front(), "2000");
    EXPECT_EQ(f.combo2Text(), "2025");
    ASSERT_EQ(f.hourItems.size(), 24u);
    EXPECT_EQ(f.hourItems[9], "9時");

    const TextGrid& g = f.grid();
    EXPECT_EQ(g.rows(), 366);
    EXPECT_EQ(g.cols(), 28);
    EXPECT_EQ(g.fixedCols(), 3);
    EXPECT_EQ(g.text(0, 0), "No");
    EXPECT_EQ(g.text(0, 3), "曜日");
    EXPECT_EQ(g.text(0, 4), "0時");
    EXPECT_EQ(g.text(0, 27), "23時");
    EXPECT_EQ(g.colWidth(0), 400);
    EXPECT_EQ(g.colWidth(3), 600);
    EXPECT_EQ(g.colWidth(4), 0);
    EXPECT_EQ(g.background(1, 3), kWeekdayColour);
    EXPECT_EQ(g.background(182, 4), kSummerColour);
    EXPECT_EQ(g.background(273, 27), kSummerColour);
    EXPECT_EQ(g.background(181, 4), kNoColour);
    EXPECT_EQ(g.background(274, 4), kNoColour);
    EXPECT_EQ(g.background(0, 4 + 7), kNightColour);
    EXPECT_EQ(g.background(0, 4 + 8), kDayColour);
    EXPECT_EQ(g.background(0, 4 + 13), kPeakColour);
    EXPECT_EQ(g.background(0, 4 + 16), kDayColour);
    EXPECT_EQ(g.background(0, 4 + 22), kNightColour);
}

TEST_F(BookTest, HeadingColoursFollowTheUtility) {
    state->UtilityNo = 2;
    open();
    for (int h = 10; h <= 16; ++h)
        EXPECT_EQ(form->grid().background(0, h + 4), kPeakColour) << h;
    EXPECT_EQ(form->grid().background(0, 4 + 9), kDayColour);
    EXPECT_EQ(form->grid().background(0, 4 + 17), kDayColour);

    state->UtilityNo = 9;
    open();
    for (int h = 8; h <= 21; ++h)
        EXPECT_EQ(form->grid().background(0, h + 4), kDayColour) << h;
    EXPECT_EQ(form->grid().background(200, 10), kNoColour); // no summer colouring
    EXPECT_EQ(form->label13, "北海道電力");
}

TEST_F(BookTest, ExistingBookFillsTheGrid) {
    writeBook();
    auto s = std::make_unique<AppState>();
    ASSERT_TRUE(loadYearBook(*s, state->SiteDataPath));
    s->HourData[0][2] = 12.5;
    s->DayMark[10][0] = 5; // not a class: the cell is left as it is
    ASSERT_TRUE(saveYearBook(*s, state->SiteDataPath));
    open();
    EXPECT_EQ(cell(2, 4), "12.5");
    EXPECT_EQ(cell(1, 27), "241");
    EXPECT_EQ(cell(5, kWeekdayCol), "休日"); // Sunday 5 January 2025
    EXPECT_EQ(cell(4, kWeekdayCol), "土曜");
    EXPECT_EQ(cell(6, kWeekdayCol), " 平");
    EXPECT_EQ(cell(10, kWeekdayCol), "");
    EXPECT_FALSE(form->edited());
}

TEST_F(BookTest, DamagedBookIsCopiedAsideAndANewBookOpens) {
    dir.write("000001_Y.dat", "\"1月\"\r\nnot a book\r\n");
    YearBookForm& f = open();
    ASSERT_EQ(prompter.shown.size(), 1u);
    const Message& m = prompter.shown[0];
    EXPECT_EQ(m.title, "読み込みエラー");
    EXPECT_NE(m.text.find(state->SiteDataPath), std::string::npos);
    EXPECT_NE(m.text.find(state->SiteDataPath + ".bak"), std::string::npos);
    EXPECT_EQ(dir.read("000001_Y.dat.bak"), "\"1月\"\r\nnot a book\r\n");
    EXPECT_EQ(cell(365, 1), "12月");
    EXPECT_EQ(cell(1, 4), "");
    EXPECT_EQ(f.viewMode(), kEnergyView);
    EXPECT_EQ(busyDepth, 0);
    // The new book may now be saved over the damaged file.
    f.FWD_Kousin();
    EXPECT_TRUE(f.Command9_Click());
    AppState reread;
    EXPECT_TRUE(loadYearBook(reread, state->SiteDataPath));
    EXPECT_EQ(dir.read("000001_Y.dat.bak"), "\"1月\"\r\nnot a book\r\n");
}

TEST_F(BookTest, LabelsWithStrayBytesAreRepairedAndTheReadingsKept) {
    writeBook();
    std::string bytes = dir.read("000001_Y.dat");
    const std::string feb = std::string("\"2") + "\x8C\x8E" + "\"\r\n"; // "2月" in Shift_JIS
    const std::size_t at = bytes.find(feb);
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at + 2, 2, "\x85\x86");
    dir.write("000001_Y.dat", bytes);
    open();
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_NE(prompter.shown[0].text.find(".bak"), std::string::npos);
    EXPECT_EQ(cell(32, 1), "2月");
    EXPECT_EQ(cell(32, 4), "42");
}

// ---------------------------------------------------------------------------------------------
// Saving and closing

TEST_F(BookTest, SaveWritesTheGridAndReportsCompletion) {
    YearBookForm& f = open();
    f.MSFlexGrid1_Click(35, 13);
    type("125\r");
    EXPECT_TRUE(f.edited());
    f.Command5_Click();
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0], notice("データ書き込み完了", "書き込み完了メッセージ"));
    EXPECT_FALSE(f.edited());
    auto s = std::make_unique<AppState>();
    ASSERT_TRUE(loadYearBook(*s, state->SiteDataPath));
    EXPECT_EQ(s->HourData[9][35], 125);
    EXPECT_EQ(s->DayCode[35][0], "2月");
    EXPECT_EQ(busyDepth, 0);
}

TEST_F(BookTest, ClosingAChangedBookSavesWithoutAsking) {
    writeBook();
    YearBookForm& f = open();
    f.MSFlexGrid1_Click(3, 4);
    f.text1 = "999";
    f.Command4_Click();
    EXPECT_TRUE(f.Command9_Click());
    EXPECT_TRUE(prompter.shown.empty());
    auto s = std::make_unique<AppState>();
    ASSERT_TRUE(loadYearBook(*s, state->SiteDataPath));
    EXPECT_EQ(s->HourData[0][3], 999);
    EXPECT_EQ(s->HourData[24][0], 77); // hidden slots survive the window
}

TEST_F(BookTest, SaveThatFailsKeepsTheBookOpenAndChanged) {
    // The book's path is taken by a folder: nothing can be written there.
    std::filesystem::create_directory(state->SiteDataPath);
    YearBookForm& f = open();
    f.MSFlexGrid1_Click(3, 4);
    f.text1 = "5";
    f.Command4_Click();
    f.Command5_Click();
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].title, "書き込みエラー");
    EXPECT_NE(prompter.shown[0].text.find(state->SiteDataPath), std::string::npos);
    EXPECT_TRUE(f.edited());
    EXPECT_EQ(cell(3, 4), "5");
    EXPECT_FALSE(f.Command9_Click()); // the window must stay open
    EXPECT_FALSE(f.saveIfEdited());
    EXPECT_TRUE(f.edited());
    EXPECT_EQ(busyDepth, 0);
}

TEST_F(BookTest, SaveInTheGenerationViewKeepsTheReadings) {
    writeBook();
    YearBookForm& f = open();
    f.MSFlexGrid1_Click(1, 4);
    f.text1 = "555";
    f.Command4_Click(); // typed before switching: kept
    f.Ag_Kw_Click();
    EXPECT_EQ(f.viewMode(), kGenerationView);
    EXPECT_EQ(f.label17, "発　電　量");
    EXPECT_EQ(cell(1, 4), "0");
    EXPECT_EQ(cell(5, kWeekdayCol), "休日");
    f.MSFlexGrid1_Click(2, 4);
    f.text1 = "1";
    f.Command4_Click(); // typed over a generation figure: never a reading
    EXPECT_TRUE(f.Command9_Click());
    auto s = std::make_unique<AppState>();
    ASSERT_TRUE(loadYearBook(*s, state->SiteDataPath));
    EXPECT_EQ(s->HourData[0][1], 555);
    EXPECT_EQ(s->HourData[0][2], 12);
    EXPECT_EQ(s->HourData[5][100], 160);
}

// ---------------------------------------------------------------------------------------------
// Entry field

TEST_F(BookTest, ClickingAnHourCellPreparesTheEntryField) {
    writeBook();
    YearBookForm& f = open();
    EXPECT_FALSE(f.text1Active());
    f.MSFlexGrid1_Click(35, 13);
    EXPECT_TRUE(f.text1Active());
    EXPECT_EQ(f.text1, "135");
    EXPECT_EQ(f.label2, "35 行  2月4日 9 時のkWh");
    EXPECT_EQ(f.takeFocusRequest(), FocusRequest::Text1);
    EXPECT_EQ(f.takeFocusRequest(), FocusRequest::None);
    f.MSFlexGrid1_Click(35, 2);
    EXPECT_FALSE(f.text1Active());
    f.MSFlexGrid1_Click(0, 10); // the heading row
    EXPECT_FALSE(f.text1Active());
}

TEST_F(BookTest, EntryFieldTakesDigitsOnlyAndEnterWrites) {
    YearBookForm& f = open();
    f.MSFlexGrid1_Click(10, 5);
    f.text1.clear();
    type("12.5.-x");
    EXPECT_EQ(f.text1, "12.5");
    EXPECT_TRUE(f.Text1_KeyPress(kKeyBackspace));
    EXPECT_FALSE(f.edited());
    EXPECT_FALSE(f.Text1_KeyPress(kKeyEnter));
    EXPECT_EQ(cell(10, 5), "12.5");
    EXPECT_TRUE(f.edited());
    // A text that is no reading (pasted into the field) is never written as another number.
    f.text1 = "１２a";
    EXPECT_FALSE(f.Text1_KeyPress(kKeyEnter));
    EXPECT_EQ(cell(10, 5), "12.5");
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].title, "入力エラー");
}

TEST_F(BookTest, InactiveEntryFieldPassesKeysAndWritesNothing) {
    YearBookForm& f = open();
    f.MSFlexGrid1_Click(10, 2);
    EXPECT_TRUE(f.Text1_KeyPress('x'));
    f.text1 = "7";
    EXPECT_TRUE(f.Text1_KeyPress(kKeyEnter));
    f.Command4_Click();
    EXPECT_FALSE(f.edited());
    EXPECT_EQ(cell(10, 2), "10");
}

TEST_F(BookTest, ArrowsMoveWithinTheHoursWithoutWriting) {
    writeBook();
    YearBookForm& f = open();
    f.MSFlexGrid1_Click(1, 26);
    f.text1 = "typed";
    EXPECT_TRUE(f.Text1_KeyDown(ArrowKey::Right));
    EXPECT_EQ(f.selCol(), 27);
    EXPECT_EQ(f.text1, "241");
    EXPECT_EQ(cell(1, 26), "231"); // the field was not written into the cell it left
    EXPECT_EQ(f.takeScrollRequest(), 15);
    EXPECT_EQ(f.label2, "1 行  1月1日 23 時のkWh");
    EXPECT_FALSE(f.Text1_KeyDown(ArrowKey::Right)); // hour 23 is the last
    EXPECT_EQ(f.selCol(), 27);
    EXPECT_FALSE(f.edited());

    f.MSFlexGrid1_Click(1, 16);
    EXPECT_TRUE(f.Text1_KeyDown(ArrowKey::Left));
    EXPECT_EQ(f.selCol(), 15);
    EXPECT_EQ(f.takeScrollRequest(), 3);
    f.MSFlexGrid1_Click(1, 4);
    EXPECT_FALSE(f.Text1_KeyDown(ArrowKey::Left)); // hour 0 is the first
    EXPECT_EQ(f.selCol(), 4);
    EXPECT_EQ(f.label2, "1 行  1月1日 0 時のkWh");
    f.MSFlexGrid1_Click(1, 2);
    EXPECT_FALSE(f.Text1_KeyDown(ArrowKey::Right));
    EXPECT_EQ(f.selCol(), 2);
}

// ---------------------------------------------------------------------------------------------
// Marking, pasting, clearing

TEST_F(BookTest, PasteIsClippedAtTheLastDay) {
    writeBook();
    YearBookForm& f = open();
    clickAndRelease(10, 4, 12, 27);
    f.Command1_Click();
    EXPECT_EQ(f.copyArea(), (std::array<int, 4>{10, 4, 27, 12}));
    f.MSFlexGrid1_Click(364, 4);
    f.Command2_Click();
    EXPECT_EQ(cell(364, 4), cell(10, 4));
    EXPECT_EQ(cell(365, 27), cell(11, 27));
    EXPECT_EQ(cell(363, 4), "373"); // untouched
    EXPECT_EQ(f.copyArea(), (std::array<int, 4>{0, 0, 0, 0}));
    EXPECT_TRUE(f.edited());
}

TEST_F(BookTest, PasteIsClippedAtTheLastHour) {
    writeBook();
    YearBookForm& f = open();
    clickAndRelease(5, 20, 5, 27);
    f.Command1_Click();
    f.MSFlexGrid1_Click(6, 25);
    f.Command2_Click();
    EXPECT_EQ(cell(6, 25), "175"); // hour 16 of row 5
    EXPECT_EQ(cell(6, 26), "185");
    EXPECT_EQ(cell(6, 27), "195");
    EXPECT_EQ(cell(6, 24), "216"); // untouched
    EXPECT_EQ(cell(7, 25), "227");
}

TEST_F(BookTest, OneRowTakesTheHoursToTheEnd) {
    YearBookForm& f = open();
    clickAndRelease(3, 8, 4, 10);
    f.check2 = true;
    f.Command1_Click();
    EXPECT_EQ(f.copyArea(), (std::array<int, 4>{3, 8, 27, 4}));
}

TEST_F(BookTest, EachMarkServesOnePaste) {
    writeBook();
    YearBookForm& f = open();
    clickAndRelease(1, 4, 1, 4);
    f.Command1_Click();
    f.MSFlexGrid1_Click(2, 4);
    f.Command2_Click();
    EXPECT_EQ(cell(2, 4), "11");
    f.MSFlexGrid1_Click(3, 4);
    f.Command2_Click();
    EXPECT_EQ(cell(3, 4), "13");
    f.Command3_Click();
    EXPECT_EQ(cell(1, 4), "11");
}

TEST_F(BookTest, OverlappingPasteReadsCellsAfterEarlierWrites) {
    writeBook();
    YearBookForm& f = open();
    clickAndRelease(1, 4, 1, 6);
    f.Command1_Click();
    f.MSFlexGrid1_Click(1, 5);
    f.Command2_Click();
    EXPECT_EQ(cell(1, 4), "11");
    EXPECT_EQ(cell(1, 5), "11");
    EXPECT_EQ(cell(1, 6), "11");
    EXPECT_EQ(cell(1, 7), "11");
    EXPECT_EQ(cell(1, 8), "51");
}

TEST_F(BookTest, MarkingOutsideTheHoursIsRefused) {
    YearBookForm& f = open();
    clickAndRelease(3, 3, 4, 10);
    f.Command1_Click();
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0], (Message{"立て行の選択範囲が間違っています。（曜日以降を選択）",
                                          "選択エラー", Icon::Question, Buttons::Ok}));
    EXPECT_EQ(f.copyArea(), (std::array<int, 4>{0, 0, 0, 0}));
}

TEST_F(BookTest, PasteNeverWritesOverLabelsOrHeadings) {
    writeBook();
    YearBookForm& f = open();
    clickAndRelease(1, 4, 2, 6);
    f.Command1_Click();
    const std::string weekday = cell(40, 3);
    f.MSFlexGrid1_Click(40, 1);
    f.Command2_Click();
    EXPECT_EQ(cell(40, 1), "2月");
    EXPECT_EQ(cell(40, 2), "9");
    EXPECT_EQ(cell(40, 3), weekday);
    f.MSFlexGrid1_Click(0, 5);
    f.Command2_Click();
    EXPECT_EQ(cell(0, 5), "1時");
    // The mark is still there for a proper target.
    f.MSFlexGrid1_Click(40, 4);
    f.Command2_Click();
    EXPECT_EQ(cell(40, 4), "11");
    EXPECT_EQ(cell(41, 6), "32");
}

TEST_F(BookTest, ClearBlanksTheMarkedRange) {
    writeBook();
    YearBookForm& f = open();
    clickAndRelease(100, 10, 102, 12);
    f.Command3_Click(); // nothing marked yet
    EXPECT_FALSE(f.edited());
    f.Command1_Click();
    f.Command3_Click();
    for (int r = 100; r <= 102; ++r)
        for (int c = 10; c <= 12; ++c)
            EXPECT_EQ(cell(r, c), "") << r << "," << c;
    EXPECT_EQ(cell(99, 10), "169");
    EXPECT_EQ(cell(100, 13), "200");
    EXPECT_TRUE(f.edited());
    EXPECT_EQ(f.copyArea(), (std::array<int, 4>{0, 0, 0, 0}));
    f.Data_set();
    EXPECT_EQ(state->HourData[6][101], 0);
}

TEST_F(BookTest, ClearAllDataAndReloadBringsTheSavedReadingsBack) {
    writeBook();
    YearBookForm& f = open();
    prompter.answers = {Answer::Cancel};
    f.Dat_Cls_Click();
    EXPECT_EQ(cell(1, 4), "11");
    EXPECT_FALSE(f.edited());

    f.Dat_Cls_Click();
    ASSERT_EQ(prompter.shown.size(), 3u);
    EXPECT_EQ(prompter.shown[1], confirm("全ての電力量データをクリアーします。"));
    EXPECT_EQ(prompter.shown[2], notice("消去しました。", "確認メッセージ"));
    EXPECT_EQ(cell(1, 4), "");
    EXPECT_EQ(cell(365, 27), "");
    EXPECT_EQ(cell(5, kWeekdayCol), "休日");
    EXPECT_EQ(cell(5, 1), "1月");
    EXPECT_EQ(state->HourData[24][0], 0);
    EXPECT_TRUE(f.edited());

    // 電力量 keeps what was not saved; 元に戻す brings the readings back.
    f.Denriyoku_Crt_Click();
    EXPECT_EQ(cell(1, 4), "0");
    f.undo();
    EXPECT_EQ(cell(1, 4), "11");
    EXPECT_EQ(state->HourData[24][0], 77);
}

TEST_F(BookTest, ViewsKeepUnsavedEditsAndUndoGoesStepByStep) {
    writeBook();
    YearBookForm& f = open();
    f.MSFlexGrid1_Click(1, 4);
    for (const char* keys : {"9\r", "8\r"})
        type(keys);
    EXPECT_EQ(cell(1, 4), "1198");
    f.Ag_Kw_Click();
    EXPECT_FALSE(f.canUndo()); // the generation view shows no readings
    f.Denriyoku_Crt_Click();
    EXPECT_EQ(cell(1, 4), "1198");
    EXPECT_EQ(f.label17, "電　力　量");
    EXPECT_EQ(busyDepth, 0);
    f.undo();
    EXPECT_EQ(cell(1, 4), "119");
    f.undo();
    EXPECT_EQ(cell(1, 4), "11");
    EXPECT_FALSE(f.canUndo());
    // Without unsaved edits, 電力量 reads the file again.
    ASSERT_TRUE(f.saveBook());
    f.grid().setText(1, 4, "5");
    f.Denriyoku_Crt_Click();
    EXPECT_EQ(cell(1, 4), "11");
}

// ---------------------------------------------------------------------------------------------
// Calendar on the form

TEST_F(BookTest, AnnualSettingAsksAndMarksTheYear) {
    YearBookForm& f = open();
    f.combo2Index = 25;
    f.Combo1_Click(3 + 4); // "   5"
    f.check1 = true;
    f.MSFlexGrid1_Click(6, 10);
    type("42\r"); // typed, not saved: survives the refill
    prompter.answers = {Answer::Cancel};
    f.Command6_Click();
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0], confirm("2025年の休日(日曜・国民の休日・電力会社の休日)を設定します。"));
    EXPECT_EQ(cell(5, kWeekdayCol), "");

    f.Command6_Click();
    ASSERT_EQ(prompter.shown.size(), 3u);
    EXPECT_EQ(prompter.shown[2], notice("設定完了", "確認メッセージ"));
    EXPECT_EQ(cell(5, kWeekdayCol), "休日");
    EXPECT_EQ(cell(4, kWeekdayCol), "土曜");
    EXPECT_EQ(cell(6, kWeekdayCol), " 平");
    EXPECT_EQ(cell(13, kWeekdayCol), "休日"); // 成人の日, 13 January 2025
    EXPECT_EQ(state->DayMark[0][0], 2);
    EXPECT_EQ(cell(6, 10), "42");
    EXPECT_EQ(cell(7, 10), "0");
    EXPECT_TRUE(f.edited());
    EXPECT_EQ(busyDepth, 0);
}

TEST_F(BookTest, AnnualSettingNeedsTheFirstSunday) {
    YearBookForm& f = open();
    for (int index : {0, 1, 2, -1}) {
        prompter.shown.clear();
        f.combo1Index = index;
        f.Command6_Click();
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0],
                  notice("１月の最初の日曜日の日付を入力してください。", "選択エラーメッセージ"));
    }
    EXPECT_FALSE(f.edited());
    EXPECT_EQ(cell(5, kWeekdayCol), "");
}

TEST_F(BookTest, SingleDaySetting) {
    writeBook();
    YearBookForm& f = open();
    f.MSFlexGrid1_Click(35, kWeekdayCol);
    EXPECT_TRUE(f.command13Enabled);
    EXPECT_EQ(f.combo1Text(), " 平");
    EXPECT_EQ(f.label3, "2月4日");
    EXPECT_EQ(f.takeFocusRequest(), FocusRequest::Combo1);
    f.Combo1_Click(1);
    EXPECT_EQ(f.label3, "2月4日");
    f.Command13_Click();
    EXPECT_EQ(state->DayMark[35][0], 1);
    EXPECT_EQ(cell(35, kWeekdayCol), "休日");
    EXPECT_EQ(f.label3, "");
    EXPECT_EQ(f.combo1Text(), "");
    EXPECT_TRUE(f.edited());

    // A number item changes no class.
    f.MSFlexGrid1_Click(36, kWeekdayCol);
    f.Combo1_Click(5);
    EXPECT_EQ(f.label3, "");
    f.Command13_Click();
    EXPECT_EQ(state->DayMark[36][0], 0);
    EXPECT_EQ(cell(36, kWeekdayCol), " 平");

    // Any other cell disables the button.
    f.MSFlexGrid1_Click(36, 5);
    EXPECT_FALSE(f.command13Enabled);

    // The class is saved with the book.
    EXPECT_TRUE(f.Command9_Click());
    auto s = std::make_unique<AppState>();
    ASSERT_TRUE(loadYearBook(*s, state->SiteDataPath));
    EXPECT_EQ(s->DayMark[35][0], 1);
}

// ---------------------------------------------------------------------------------------------
// Generator

TEST_F(BookTest, GeneratorIsRefusedInTheGenerationView) {
    writeBook();
    YearBookForm& f = open();
    f.Ag_Kw_Click();
    f.Command10_Click();
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0], notice("表示を電力量に変更ください。", "操作不具合メッセージ"));
}

TEST_F(BookTest, GeneratorRunSavedOnOkAndKeptOnCancel) {
    writeBook();
    YearBookForm& f = open();
    f.combo3Text = "9時";
    f.combo4Text = "9時";
    f.text2 = "100";
    f.text3 = "20";
    f.text4 = "30";
    prompter.answers = {Answer::Cancel};
    f.Command10_Click();
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0], confirm("データの書き換えを完了しました。データを保存しますか？"));
    // キャンセル: the readings as before 計　算, nothing written.
    EXPECT_EQ(cell(100, 13), "200");
    EXPECT_FALSE(f.edited());
    EXPECT_FALSE(dir.exists("000001_Ag.dat"));
    EXPECT_FALSE(dir.exists("000001_Ag_G.dat"));

    prompter.shown.clear();
    f.Command10_Click();             // saved
    EXPECT_EQ(cell(100, 13), "100"); // 200 less the full 100
    EXPECT_EQ(cell(1, 13), "30");    // 101: down to the minimum purchase
    EXPECT_EQ(cell(1, 12), "91");    // outside the window
    EXPECT_FALSE(f.edited());
    EXPECT_TRUE(dir.exists("000001_Ag.dat"));
    EXPECT_TRUE(dir.exists("000001_Ag_G.dat"));
    auto s = std::make_unique<AppState>();
    ASSERT_TRUE(loadYearBook(*s, state->SiteDataPath));
    EXPECT_EQ(s->HourData[9][100], 100);

    // A day class changed after the run survives the generation view and the next run.
    f.MSFlexGrid1_Click(35, kWeekdayCol);
    f.Combo1_Click(1);
    f.Command13_Click();
    f.Ag_Kw_Click();
    EXPECT_EQ(cell(35, kWeekdayCol), "休日");
    // The totals are those saved: the cancelled run left nothing.
    EXPECT_EQ(cell(100, 13), "100");

    // 元に戻す takes a saved run back, its totals in the results file too once saved.
    f.Denriyoku_Crt_Click();
    f.undo();
    EXPECT_EQ(cell(100, 13), "200");
    ASSERT_TRUE(f.saveBook());
    ASSERT_TRUE(Data_Lada_AG(*s, state->agResultsPath(), true));
    EXPECT_EQ(s->GenData[9][100], 0);
}

TEST_F(BookTest, GeneratorSettingsAreLoadedWhenTheBookOpens) {
    ASSERT_TRUE(saveGeneratorSettings(state->agPath(), {"8時", "18時", "500", "50", "100"}));
    YearBookForm& f = open();
    EXPECT_EQ(f.combo3Text, "8時");
    EXPECT_EQ(f.combo4Text, "18時");
    EXPECT_EQ(f.text2, "500");
    EXPECT_EQ(f.text3, "50");
    EXPECT_EQ(f.text4, "100");
}
