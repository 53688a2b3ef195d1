#include "tenday/ten_day_form.h"

#include "app/sjis.h"
#include "support/temp_dir.h"
#include "tenday/ten_day_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <unistd.h>

namespace wattorio::tenday {
namespace {

using test::TempDir;

class TenDayFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        state = std::make_unique<AppState>();
        state->AppDir = dir.path();
        state->VersionText = "高圧・特別高圧電力　料金メニュー比較";
        state->SiteTable[1] = {" 3", "ビル", "20", "300", "100", "1", "", "", ""};
        state->SiteRow = 1;
        state->UtilityNo = 1;
        state->SiteDataPath = dir.file("000003_W.dat");
    }

    std::unique_ptr<TenDayForm> open() {
        auto form = std::make_unique<TenDayForm>(*state);
        told = form->Form_Load();
        return form;
    }

    // Clicks a cell and releases the button on `end`, as a drag over a block would.
    static void drag(TenDayForm& f, int row, int col, int endRow, int endCol) {
        f.MSFlexGrid1_Click(row, col);
        f.MSFlexGrid1_MouseUp(endRow, endCol);
    }

    TempDir dir;
    std::unique_ptr<AppState> state;
    std::optional<Message> told;
};

TEST_F(TenDayFormTest, NewSiteOpensWithDefaultsAndEmptyHours) {
    for (int h = 0; h < kHourSlots; ++h)
        state->HourData[h][2] = 55; // the previous book's readings
    auto f = open();
    EXPECT_FALSE(told);
    EXPECT_EQ(f->Edit_Flg, 0);
    const TextGrid& g = f->grid();
    EXPECT_EQ(g.rows(), 49);
    EXPECT_EQ(g.cols(), 28);
    EXPECT_EQ(g.fixedCols(), 4);
    EXPECT_EQ(g.colWidth(0), 350);
    EXPECT_EQ(g.colWidth(1), 800);
    EXPECT_EQ(g.colWidth(2), 1200);
    EXPECT_EQ(g.colWidth(3), 600);
    EXPECT_EQ(g.text(0, 0), "No");
    EXPECT_EQ(g.text(0, 1), "月");
    EXPECT_EQ(g.text(0, 2), "日付");
    EXPECT_EQ(g.text(0, 3), "日数");
    EXPECT_EQ(g.text(0, 4), "0時");
    EXPECT_EQ(g.text(0, 27), "23時");
    EXPECT_EQ(g.text(48, 0), "48");
    EXPECT_EQ(g.text(1, 1), "１月");
    EXPECT_EQ(g.text(8, 2), "休日");
    EXPECT_EQ(g.text(31, 3), "10");
    for (int r = 1; r <= 48; ++r)
        for (int c = 4; c < 28; ++c)
            ASSERT_EQ(g.text(r, c), "") << r << "," << c;
    EXPECT_EQ(state->HourData[5][2], 0);
    EXPECT_EQ(f->Label1, "");
    EXPECT_EQ(f->Label2, " Ver  1.02");
    EXPECT_EQ(f->caption(), "  月別・時間帯別電力      ビル（東京電力）" + std::string(24, ' ') +
                                state->VersionText + "   Ver  1.02");
    EXPECT_EQ(f->siteLabel(), "名 称   ビル  ");
    EXPECT_FALSE(dir.exists("000003_W.dat"));
}

TEST_F(TenDayFormTest, HeadingAndSummerColours) {
    struct Case {
        float utility;
        std::uint32_t hour10, hour13, hour16, hour22, hour8;
    };
    for (const Case c : {Case{1, kDayColour, kPeakColour, kDayColour, kNightColour, kDayColour},
                         Case{3, kDayColour, kPeakColour, kDayColour, kNightColour, kDayColour},
                         Case{2, kPeakColour, kPeakColour, kPeakColour, kNightColour, kDayColour},
                         Case{4, kNoColour, kNoColour, kNoColour, kNoColour, kNoColour},
                         Case{9, kNoColour, kNoColour, kNoColour, kNoColour, kNoColour}}) {
        state->UtilityNo = c.utility;
        auto f = open();
        const TextGrid& g = f->grid();
        EXPECT_EQ(g.background(0, 4 + 10), c.hour10) << c.utility;
        EXPECT_EQ(g.background(0, 4 + 13), c.hour13) << c.utility;
        EXPECT_EQ(g.background(0, 4 + 16), c.hour16) << c.utility;
        EXPECT_EQ(g.background(0, 4 + 22), c.hour22) << c.utility;
        EXPECT_EQ(g.background(0, 4 + 8), c.hour8) << c.utility;
        EXPECT_EQ(g.background(0, 3), kNoColour);
        EXPECT_EQ(g.background(24, 5), kNoColour);
        EXPECT_EQ(g.background(25, 1), kSummerColour);
        EXPECT_EQ(g.background(36, 27), kSummerColour);
        EXPECT_EQ(g.background(36, 0), kNoColour);
        EXPECT_EQ(g.background(37, 10), kNoColour);
    }
    state->UtilityNo = 2;
    auto f = open();
    EXPECT_EQ(f->grid().background(0, 4 + 9), kDayColour);
    EXPECT_EQ(f->grid().background(0, 4 + 17), kDayColour);
    EXPECT_EQ(f->grid().background(0, 4 + 7), kNightColour);
}

TEST_F(TenDayFormTest, ClicksFillTheFieldsAndLabels) {
    newTenDayBook(*state);
    state->HourData[13][7] = 12.5;
    ASSERT_TRUE(saveTenDayBook(*state, state->SiteDataPath));
    auto f = open();
    EXPECT_EQ(f->grid().text(7, 17), "12.5");
    EXPECT_EQ(f->grid().text(7, 4), "0");

    EXPECT_TRUE(f->MSFlexGrid1_Click(7, 17));
    EXPECT_EQ(f->Label2, "7 行  13 時のkWh");
    EXPECT_EQ(f->Label1, "7");
    EXPECT_EQ(f->Text1, "2月");
    EXPECT_EQ(f->Text2, "21日から28日");
    EXPECT_EQ(f->Text3, "7");
    EXPECT_EQ(f->Text5, "12.5");

    EXPECT_TRUE(f->MSFlexGrid1_Click(2, 4));
    EXPECT_EQ(f->Label2, "2 行  0 時のkWh");
    EXPECT_EQ(f->Text5, "0");

    // A label column: the row's labels, Label2 emptied, Text5 left as it was.
    EXPECT_FALSE(f->MSFlexGrid1_Click(4, 2));
    EXPECT_EQ(f->Label2, "");
    EXPECT_EQ(f->Text2, "休日");
    EXPECT_EQ(f->Text5, "0");
    EXPECT_EQ(f->Sel_Col, 2);

    // The heading row is not a cell.
    EXPECT_FALSE(f->MSFlexGrid1_Click(0, 10));
    EXPECT_EQ(f->Sel_Row, 4);
    EXPECT_EQ(f->Sel_Col, 2);
}

TEST_F(TenDayFormTest, ValueAndLabelWriting) {
    auto f = open();
    EXPECT_TRUE(TenDayForm::Text5_Accepts(U'7'));
    EXPECT_TRUE(TenDayForm::Text5_Accepts(U'\b'));
    EXPECT_TRUE(TenDayForm::Text5_Accepts(U'.', "400"));
    EXPECT_FALSE(TenDayForm::Text5_Accepts(U'.', "400.5"));
    EXPECT_FALSE(TenDayForm::Text5_Accepts(U'-'));
    EXPECT_FALSE(TenDayForm::Text5_Accepts(U'a'));
    EXPECT_FALSE(TenDayForm::Text5_Accepts(U'５'));

    // Before the first click there is no cell to write into: the headings stay intact.
    f->Text5 = "9";
    EXPECT_FALSE(f->writeValue());
    f->Text1 = "x";
    EXPECT_FALSE(f->writeLabels());
    EXPECT_EQ(f->grid().text(0, 1), "月");
    EXPECT_EQ(f->Edit_Flg, 0);

    // A label cell is current: the value field writes nothing there.
    f->MSFlexGrid1_Click(3, 1);
    f->Text5 = "9";
    EXPECT_FALSE(f->writeValue());
    EXPECT_EQ(f->grid().text(3, 1), "１月");

    f->MSFlexGrid1_Click(3, 10);
    f->Text5 = "1.2.5";
    EXPECT_FALSE(f->writeValue());
    f->Text5 = "250";
    EXPECT_TRUE(f->writeValue());
    EXPECT_EQ(f->grid().text(3, 10), "250");
    EXPECT_EQ(f->Edit_Flg, 1);

    f->Text1 = "1月";
    f->Text2 = "21日から31日(補正)";
    f->Text3 = "8";
    EXPECT_TRUE(f->writeLabels());
    EXPECT_EQ(f->grid().text(3, 1), "1月");
    EXPECT_EQ(f->grid().text(3, 2), "21日から31日(補正)");
    EXPECT_EQ(f->grid().text(3, 3), "8");
    EXPECT_EQ(state->DayMark[3][0], 9); // the tables change only with Data_set
    f->Data_set();
    EXPECT_EQ(state->DayMark[3][0], 8);
    EXPECT_EQ(state->HourData[6][3], 250);
    EXPECT_EQ(state->DayCode[3][1], "21日から31日(補正)");
}

TEST_F(TenDayFormTest, DataSetUsesTheLeadingNumber) {
    auto f = open();
    TextGrid& g = f->grid();
    g.setText(1, 3, "6日");
    g.setText(1, 4, "12.5kW");
    g.setText(1, 5, "abc");
    g.setText(1, 27, " 3");
    f->Data_set();
    EXPECT_EQ(state->DayMark[1][0], 6);
    EXPECT_EQ(state->HourData[0][1], 12.5);
    EXPECT_EQ(state->HourData[1][1], 0);
    EXPECT_EQ(state->HourData[23][1], 3);
}

TEST_F(TenDayFormTest, PasteIsClippedAtTheGridEdges) {
    auto f = open();
    TextGrid& g = f->grid();
    for (int c = 4; c < 28; ++c) {
        g.setText(10, c, "a" + std::to_string(c));
        g.setText(11, c, "b" + std::to_string(c));
    }
    // A two-row block pasted onto row 48 copies its first row only.
    drag(*f, 10, 4, 11, 27);
    f->markArea();
    EXPECT_EQ(f->Copy_Area, (std::array<int, 4>{10, 4, 27, 11}));
    f->MSFlexGrid1_Click(48, 4);
    f->paste();
    EXPECT_EQ(g.text(48, 4), "a4");
    EXPECT_EQ(g.text(48, 27), "a27");
    EXPECT_EQ(g.text(47, 4), "");
    EXPECT_EQ(f->Copy_Area, (std::array<int, 4>{}));
    EXPECT_EQ(f->Edit_Flg, 1);

    // A second paste does nothing until a new block is marked.
    f->MSFlexGrid1_Click(40, 4);
    f->paste();
    EXPECT_EQ(g.text(40, 4), "");

    // Columns 20..27 pasted at column 25 write columns 25..27 only.
    drag(*f, 10, 20, 10, 27);
    f->markArea();
    f->MSFlexGrid1_Click(5, 25);
    f->paste();
    EXPECT_EQ(g.text(5, 25), "a20");
    EXPECT_EQ(g.text(5, 27), "a22");
    EXPECT_EQ(g.text(5, 24), "");
    EXPECT_EQ(g.text(6, 25), "");
}

TEST_F(TenDayFormTest, OverlappingPasteReadsEarlierWrites) {
    auto f = open();
    TextGrid& g = f->grid();
    g.setText(1, 4, "1");
    g.setText(1, 5, "2");
    g.setText(1, 6, "3");
    drag(*f, 1, 4, 1, 6);
    f->markArea();
    f->MSFlexGrid1_Click(1, 5);
    f->paste();
    // (1,5) := (1,4); (1,6) := (1,5), already overwritten; (1,7) := (1,6), likewise.
    EXPECT_EQ(g.text(1, 4), "1");
    EXPECT_EQ(g.text(1, 5), "1");
    EXPECT_EQ(g.text(1, 6), "1");
    EXPECT_EQ(g.text(1, 7), "1");
}

TEST_F(TenDayFormTest, WholeRowsWithLabelsPasteButRowNumbersStay) {
    auto f = open();
    TextGrid& g = f->grid();
    g.setText(2, 10, "70");
    drag(*f, 2, 0, 2, 27);
    f->markArea();
    f->MSFlexGrid1_Click(8, 0);
    f->paste();
    EXPECT_EQ(g.text(8, 0), "8");
    EXPECT_EQ(g.text(8, 1), "１月");
    EXPECT_EQ(g.text(8, 2), "11日から20日");
    EXPECT_EQ(g.text(8, 3), "9");
    EXPECT_EQ(g.text(8, 10), "70");
}

TEST_F(TenDayFormTest, Clearing) {
    auto f = open();
    TextGrid& g = f->grid();
    for (int r = 1; r <= 3; ++r)
        for (int c = 4; c < 28; ++c)
            g.setText(r, c, "5");
    // Nothing remembered: nothing happens.
    f->clearArea();
    EXPECT_EQ(g.text(1, 4), "5");
    EXPECT_EQ(f->Edit_Flg, 0);

    drag(*f, 1, 5, 2, 6);
    f->markArea();
    f->clearArea();
    EXPECT_EQ(g.text(1, 5), "");
    EXPECT_EQ(g.text(2, 6), "");
    EXPECT_EQ(g.text(1, 4), "5");
    EXPECT_EQ(g.text(3, 5), "5");
    EXPECT_EQ(g.text(1, 7), "5");
    EXPECT_EQ(f->Copy_Area, (std::array<int, 4>{}));
    EXPECT_EQ(f->Edit_Flg, 1);

    // A block dragged upwards (bottom above top) clears nothing.
    drag(*f, 3, 8, 1, 8);
    f->markArea();
    f->clearArea();
    EXPECT_EQ(g.text(2, 8), "5");
    EXPECT_EQ(g.text(3, 8), "5");
    EXPECT_EQ(f->Copy_Area, (std::array<int, 4>{}));
}

TEST_F(TenDayFormTest, SavingAndClosing) {
    auto f = open();
    // Closing an unchanged book writes nothing.
    EXPECT_FALSE(f->finish());
    EXPECT_FALSE(dir.exists("000003_W.dat"));

    f->MSFlexGrid1_Click(1, 4);
    f->Text5 = "120";
    f->writeValue();
    const Message done = f->save();
    EXPECT_EQ(done, notice("データ書き込み完了", "書き込み完了メッセージ"));
    EXPECT_EQ(f->Edit_Flg, 0);
    auto reread = std::make_unique<AppState>();
    ASSERT_EQ(readTenDayBook(*reread, state->SiteDataPath).file, BookFile::Loaded);
    EXPECT_EQ(reread->HourData[0][1], 120);

    // Closing a changed book saves it first.
    f->MSFlexGrid1_Click(2, 5);
    f->Text5 = "33";
    f->writeValue();
    EXPECT_FALSE(f->finish());
    EXPECT_EQ(f->Edit_Flg, 0);
    readTenDayBook(*reread, state->SiteDataPath);
    EXPECT_EQ(reread->HourData[1][2], 33);
}

TEST_F(TenDayFormTest, AFailedSaveKeepsTheBookChangedAndTheOldFile) {
    auto f = open();
    ASSERT_TRUE(f->finish() == std::nullopt);
    f->MSFlexGrid1_Click(1, 4);
    f->Text5 = "1";
    f->writeValue();
    f->save();
    const std::string before = dir.read("000003_W.dat");

    // A label the file cannot hold.
    f->Text1 = "1\"月";
    f->writeLabels();
    Message m = f->save();
    EXPECT_EQ(m.title, "書き込みエラー");
    EXPECT_EQ(m.icon, Icon::Warning);
    EXPECT_NE(m.text.find(state->SiteDataPath), std::string::npos);
    EXPECT_EQ(f->Edit_Flg, 1);
    EXPECT_EQ(dir.read("000003_W.dat"), before);
    std::optional<Message> closing = f->finish();
    ASSERT_TRUE(closing);
    EXPECT_EQ(closing->title, "書き込みエラー");
    EXPECT_EQ(f->Edit_Flg, 1);

    // A folder that cannot be written.
    f->Text1 = "1月";
    f->writeLabels();
    std::filesystem::permissions(dir.path(),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const bool writable = std::filesystem::exists(dir.path()) && ::access(dir.path().c_str(), W_OK) == 0;
    if (!writable) { // root ignores the permission bits
        m = f->save();
        EXPECT_EQ(m.title, "書き込みエラー");
        EXPECT_NE(m.text.find(state->SiteDataPath), std::string::npos);
        EXPECT_EQ(f->Edit_Flg, 1);
    }
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
    EXPECT_EQ(dir.read("000003_W.dat"), before);
}

TEST_F(TenDayFormTest, SavesToTheBookItOpened) {
    auto f = open();
    state->SiteDataPath = dir.file("000009_W.dat"); // another site addressed on the main screen
    f->MSFlexGrid1_Click(1, 4);
    f->Text5 = "1";
    f->writeValue();
    f->save();
    EXPECT_TRUE(dir.exists("000003_W.dat"));
    EXPECT_FALSE(dir.exists("000009_W.dat"));
}

TEST_F(TenDayFormTest, ADamagedBookIsKeptAsACopy) {
    dir.write("000003_W.dat", "\"1月\"\r\n\"x\"\r\n");
    auto f = open();
    ASSERT_TRUE(told);
    EXPECT_EQ(told->title, "読み込みエラー");
    EXPECT_NE(told->text.find(state->SiteDataPath), std::string::npos);
    EXPECT_NE(told->text.find("000003_W.dat.bak"), std::string::npos);
    EXPECT_EQ(dir.read("000003_W.dat.bak"), "\"1月\"\r\n\"x\"\r\n");
    EXPECT_EQ(f->grid().text(1, 1), "１月");
    EXPECT_EQ(f->grid().text(1, 4), "");
    EXPECT_EQ(f->Edit_Flg, 0);
    // The new book can be saved; the copy stays.
    f->finish();
    EXPECT_EQ(f->save().title, "書き込み完了メッセージ");
    EXPECT_TRUE(dir.exists("000003_W.dat.bak"));
}

TEST_F(TenDayFormTest, CalculationPricesTheScreen) {
    newTenDayBook(*state);
    state->HourData[13][1] = 100;
    ASSERT_TRUE(saveTenDayBook(*state, state->SiteDataPath));
    auto f = open();
    const std::string saved = dir.read("000003_W.dat");

    EXPECT_FALSE(f->calculate());
    EXPECT_EQ(state->MonthTotalA[3][1], 2000);

    // Unsaved values on screen are priced; the file stays as it was, the book stays changed.
    f->MSFlexGrid1_Click(1, 17);
    f->Text5 = "300";
    f->writeValue();
    EXPECT_FALSE(f->calculate());
    EXPECT_EQ(state->MonthTotalA[3][1], 6000);
    EXPECT_EQ(f->Edit_Flg, 1);
    EXPECT_EQ(dir.read("000003_W.dat"), saved);

    // 関西電力: the value of hour 10 lands in the peak bucket of its own bands.
    f->MSFlexGrid1_Click(2, 14);
    f->Text5 = "10";
    f->writeValue();
    state->UtilityNo = 4;
    EXPECT_FALSE(f->calculate());
    EXPECT_EQ(state->MonthTotalA[3][1], 6200);

    // No utility: refused, the totals stay.
    state->UtilityNo = 0;
    const std::optional<Message> refused = f->calculate();
    ASSERT_TRUE(refused);
    EXPECT_EQ(*refused, inputError("電力会社を選択してください。"));
    EXPECT_EQ(refused->title, "入力エラー");
    EXPECT_EQ(refused->icon, Icon::Question);
    EXPECT_EQ(state->MonthTotalA[3][1], 6200);
}

TEST_F(TenDayFormTest, TheBookSurvivesTheOtherBookUsingTheTables) {
    newTenDayBook(*state);
    state->HourData[13][1] = 100;
    state->HourData[25][7] = 4.5; // parts of the file the grid does not show
    state->DayMark[9][1] = 97;
    state->DayCode[0] = {"控", "え"};
    ASSERT_TRUE(saveTenDayBook(*state, state->SiteDataPath));
    const std::string saved = dir.read("000003_W.dat");
    auto f = open();

    // The year book opened meanwhile fills the shared tables with its own days.
    for (int r = 0; r <= 365; ++r) {
        state->DayCode[r] = {"1月", std::to_string(r)};
        state->DayMark[r] = {0, 0};
        for (int h = 0; h < kHourSlots; ++h)
            state->HourData[h][r] = 9;
    }
    EXPECT_FALSE(f->calculate());
    EXPECT_EQ(state->MonthTotalA[3][1], 2000);
    EXPECT_EQ(state->MonthTotalA[1][1], 0);
    EXPECT_EQ(f->Edit_Flg, 0);
    f->Edit_Flg = 1;
    ASSERT_FALSE(f->finish());
    EXPECT_EQ(dir.read("000003_W.dat"), saved);
}

std::string sheetCsv(const std::vector<std::string>& rows) {
    std::string text = "月,日付,日数";
    for (int h = 0; h < 24; ++h)
        text += "," + std::to_string(h) + "時";
    text += "\r\n";
    for (const auto& r : rows)
        text += r + "\r\n";
    return text;
}

std::string sheetRow(const std::string& month, const std::string& period, int days, int base) {
    std::string line = month + "," + period + "," + std::to_string(days);
    for (int h = 0; h < 24; ++h)
        line += "," + std::to_string(base + h);
    return line;
}

TEST_F(TenDayFormTest, CsvImportFillsLabelsCountsAndHours) {
    std::vector<std::string> rows;
    for (int r = 1; r <= 48; ++r)
        rows.push_back(sheetRow(std::to_string((r + 3) / 4) + "月", "期間" + std::to_string(r), 7, r * 100));
    rows[0] = sheetRow("１月", "1日から10日", 6, 100) + ",extra,fields";
    // Row 2 with a quoted value: the quotes stay in the cell and the value reads as 0.
    rows[1] = sheetRow("１月", "11日から20日", 9, 200);
    rows[1].replace(rows[1].find(",200,"), 5, ",\"200\",");
    std::string bytes;
    ASSERT_TRUE(toCp932(sheetCsv(rows), bytes));
    dir.write("book.csv", bytes);

    auto f = open();
    const Message m = f->importCsv(dir.file("book.csv"));
    EXPECT_EQ(m.text, "読み込み完了 48行読み込みました。");
    EXPECT_EQ(m.title, "確認メッセージ    " + dir.file("book.csv"));
    EXPECT_EQ(m.buttons, Buttons::Ok);
    EXPECT_EQ(f->Edit_Flg, 1);
    const TextGrid& g = f->grid();
    EXPECT_EQ(g.text(1, 1), "１月");
    EXPECT_EQ(g.text(1, 27), "123");
    EXPECT_EQ(g.text(2, 4), "\"200\"");
    EXPECT_EQ(state->HourData[0][2], 0);
    EXPECT_EQ(state->HourData[1][2], 201);
    EXPECT_EQ(g.text(48, 2), "期間48");
    EXPECT_EQ(state->DayMark[48][0], 7);
    EXPECT_EQ(state->HourData[23][48], 4823);
    EXPECT_EQ(g.text(48, 0), "48");
    EXPECT_FALSE(dir.exists("000003_W.dat")); // nothing is saved
}

TEST_F(TenDayFormTest, CsvImportStopsAtAShortLine) {
    std::vector<std::string> rows = {sheetRow("1月", "a", 6, 1), sheetRow("1月", "b", 9, 2), "1月,c,9,1,2,3"};
    dir.write("short.csv", sheetCsv(rows));
    auto f = open();
    const Message m = f->importCsv(dir.file("short.csv"));
    EXPECT_EQ(m.text, "読み込み完了 2行読み込みました。");
    EXPECT_EQ(f->grid().text(2, 2), "b");
    EXPECT_EQ(f->grid().text(3, 2), "21日から31日");
    EXPECT_EQ(f->grid().text(3, 4), "");
}

TEST_F(TenDayFormTest, CsvImportReadsUtf8AndReportsAMissingFile) {
    dir.write("utf8.csv", "\xEF\xBB\xBF" + sheetCsv({sheetRow("１月", "上旬", 6, 1)}));
    auto f = open();
    f->importCsv(dir.file("utf8.csv"));
    EXPECT_EQ(f->grid().text(1, 1), "１月");
    EXPECT_EQ(f->grid().text(1, 2), "上旬");

    dir.write("plain.csv", sheetCsv({sheetRow("2月", "中旬", 6, 1)}));
    f->importCsv(dir.file("plain.csv"));
    EXPECT_EQ(f->grid().text(1, 2), "中旬");

    auto g = open();
    const Message m = g->importCsv(dir.file("none.csv"));
    EXPECT_EQ(m.title, "読み込みエラー");
    EXPECT_NE(m.text.find(dir.file("none.csv")), std::string::npos);
    EXPECT_EQ(g->Edit_Flg, 0);
}

TEST_F(TenDayFormTest, PasteAndUndoStepByStep) {
    auto f = open();
    EXPECT_TRUE(f->pasteText("1\t2\r\n").has_value()); // no hour cell current
    f->MSFlexGrid1_Click(47, 26);
    f->Text5 = "7";
    f->writeValue();
    EXPECT_TRUE(f->pasteText("1,2,3\n4,5,6\n7,8,9\n") == std::nullopt);
    EXPECT_EQ(f->grid().text(47, 26) + f->grid().text(47, 27) + f->grid().text(48, 27), "125");
    EXPECT_EQ(f->Text5, "1");
    EXPECT_EQ(f->copyBlock(48, 0, 47, 27), "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t1\t2\r\n"
                                           "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t4\t5\r\n");
    const std::optional<Message> refused = f->pasteText("9\t9\n9\t-1\n");
    ASSERT_TRUE(refused);
    EXPECT_NE(refused->text.find("2 行目 2 列目「-1」"), std::string::npos);
    f->undo();
    EXPECT_EQ(f->grid().text(47, 26) + f->grid().text(48, 27), "7");
    f->undo();
    EXPECT_EQ(f->grid().text(47, 26), "");
    EXPECT_FALSE(f->canUndo());
}

} // namespace
} // namespace wattorio::tenday
