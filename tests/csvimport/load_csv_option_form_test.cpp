#include "csvimport/load_csv_option_form.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace wattorio;
using namespace wattorio::csvimport;

TEST(LoadCsvOptionForm, StartsWithJanuaryChosenAndNoLayout) {
    LoadCsvOptionForm f;
    ASSERT_EQ(f.combo1Items.size(), 12u);
    EXPECT_EQ(f.combo1Items.front(), "1月");
    EXPECT_EQ(f.combo1Items.back(), "12月");
    EXPECT_EQ(f.combo1Index, 0);
    EXPECT_EQ(f.monthOffset, 0);
    EXPECT_EQ(f.monthNo, 1);
    EXPECT_EQ(f.startDay, 0);
    EXPECT_EQ(f.combo2Items.size(), 31u);
    EXPECT_EQ(f.combo2Items.back(), "31日");
    EXPECT_EQ(f.combo2Index, -1);
    EXPECT_TRUE(f.combo2Visible);
    EXPECT_EQ(f.label1, "1月");
    EXPECT_EQ(f.text1, "");
    EXPECT_EQ(f.text2, "");
    EXPECT_EQ(f.text3, "");
    EXPECT_EQ(f.text4, "31");
    EXPECT_FALSE(f.text4Enabled);
    EXPECT_EQ(f.layout, 0);
    EXPECT_FALSE(f.option1 || f.option2 || f.check1 || f.check2 || f.check3);
    EXPECT_FALSE(f.check2Visible);
    EXPECT_TRUE(f.command4Visible);
    EXPECT_EQ(f.takeFocusRequest(), CsvFocus::None);
}

TEST(LoadCsvOptionForm, MonthAndDayChoices) {
    LoadCsvOptionForm f;
    f.Combo1_Click(1); // 2月
    EXPECT_EQ(f.combo2Items.size(), 28u);
    EXPECT_EQ(f.combo2Items.back(), "28日");
    EXPECT_EQ(f.text4, "28");
    EXPECT_EQ(f.label1, "2月");
    EXPECT_EQ(f.monthOffset, 31);

    f.Combo1_Click(3); // 4月
    EXPECT_FALSE(f.Combo2_Click(0));
    EXPECT_EQ(f.label1, "4月  1日");
    EXPECT_EQ(f.text4, "1");
    EXPECT_EQ(f.startDay, 1);
    EXPECT_EQ(f.takeFocusRequest(), CsvFocus::Text2);
    EXPECT_EQ(f.takeFocusRequest(), CsvFocus::None);

    // A new month empties the day list, and the import starts on its first day again.
    f.Combo2_Click(29);
    EXPECT_EQ(f.startDay, 30);
    f.Combo1_Click(4);
    EXPECT_EQ(f.startDay, 0);
    EXPECT_EQ(f.combo2Index, -1);
    EXPECT_EQ(f.importOptions().day, 0);
}

TEST(LoadCsvOptionForm, DayWithoutMonthIsRefused) {
    LoadCsvOptionForm f;
    f.monthOffset = -1; // as before the month list was first chosen
    const auto m = f.Combo2_Click(3);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->text, "月を選択してください。");
    EXPECT_EQ(m->title, "選択エラーメッセージ");
    EXPECT_EQ(f.startDay, 0);
}

TEST(LoadCsvOptionForm, ImportRefusals) {
    LoadCsvOptionForm f;
    auto m = f.importRefusal();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->text, "種別を選択してください。");
    EXPECT_EQ(m->title, "選択エラー");
    EXPECT_EQ(m->buttons, Buttons::Ok);
    f.Option1_Click();
    EXPECT_FALSE(f.importRefusal());
    f.monthOffset = -1;
    m = f.importRefusal();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->text, "月を選択してください。");
    EXPECT_EQ(m->title, "選択エラー");
}

TEST(LoadCsvOptionForm, MultipleDaysAndTheOwnFormatButton) {
    LoadCsvOptionForm f;
    f.Check3_Click(true);
    EXPECT_TRUE(f.text4Enabled);
    EXPECT_FALSE(f.command4Visible); // horizontal not chosen
    f.Check3_Click(false);
    EXPECT_EQ(f.text4, "1");
    EXPECT_FALSE(f.text4Enabled);

    f.Combo1_Click(5);
    f.Option2_Click();
    EXPECT_FALSE(f.command4Visible);
    f.Check3_Click(true);
    // Horizontal and several days: the button shows and the date goes back to 1月 1日.
    EXPECT_TRUE(f.command4Visible);
    EXPECT_EQ(f.combo1Index, 0);
    EXPECT_EQ(f.combo2Index, 0);
    EXPECT_EQ(f.label1, "1月  1日");
    EXPECT_EQ(f.text4, "1");
    f.Option1_Click(); // the vertical choice leaves the button as it is
    EXPECT_TRUE(f.command4Visible);
}

TEST(LoadCsvOptionForm, OwnFormatFillsTheFields) {
    LoadCsvOptionForm f;
    f.Combo1_Click(6);
    f.Combo2_Click(9);
    f.Command4_Click();
    EXPECT_TRUE(f.option2);
    EXPECT_FALSE(f.option1);
    EXPECT_TRUE(f.check3);
    EXPECT_TRUE(f.text4Enabled);
    EXPECT_TRUE(f.command4Visible);
    EXPECT_EQ(f.label1, "1月  1日");
    EXPECT_EQ(f.text1, "1");
    EXPECT_EQ(f.text3, "4");
    EXPECT_EQ(f.text4, "365");
    const CsvImportOptions o = f.importOptions();
    const CsvImportOptions own = ownSheetFormat();
    EXPECT_EQ(o.layout, own.layout);
    EXPECT_EQ(o.skipLines, own.skipLines);
    EXPECT_EQ(o.column, own.column);
    EXPECT_EQ(o.month, own.month);
    EXPECT_EQ(o.day, own.day);
    EXPECT_EQ(o.days, own.days);

    // Pressed again with everything already set: still 1月 1日.
    f.Combo1_Click(2);
    f.Command4_Click();
    EXPECT_EQ(f.label1, "1月  1日");
    EXPECT_EQ(f.importOptions().month, 1);
}

TEST(LoadCsvOptionForm, FileNameSwitches) {
    LoadCsvOptionForm f;
    // Without a name the tick does not hold.
    f.Check1_Click(true);
    EXPECT_FALSE(f.check1);
    EXPECT_FALSE(f.check2Visible);
    EXPECT_EQ(f.text2FocusCaret(), -1);

    f.text2 = "C:\\データ\\data0315.csv";
    f.Check1_Click(true);
    EXPECT_TRUE(f.check1);
    EXPECT_TRUE(f.check2Visible);
    EXPECT_TRUE(f.fileNameFromText2());
    EXPECT_EQ(f.text2FocusCaret(), 15); // before ".csv", counted in characters
    f.Check2_Click(true);
    f.Combo1_Click(3);
    f.Combo2_Click(1);
    EXPECT_EQ(f.text2, "C:\\データ\\data0402.csv");
    f.Combo1_Click(11);
    f.Combo2_Click(30);
    EXPECT_EQ(f.text2, "C:\\データ\\data1231.csv");

    f.Check1_Click(false);
    EXPECT_FALSE(f.check2);
    EXPECT_FALSE(f.check2Visible);
    EXPECT_FALSE(f.fileNameFromText2());
    // Without the automatic name the file name stays.
    f.Combo2_Click(0);
    EXPECT_EQ(f.text2, "C:\\データ\\data1231.csv");
}

TEST(LoadCsvOptionForm, AutomaticFileName) {
    EXPECT_EQ(autoFileName("/d/data0315.csv", 4, 2), "/d/data0402.csv");
    EXPECT_EQ(autoFileName("0315.csv", 12, 31), "1231.csv");
    EXPECT_EQ(autoFileName("電力０３１５.csv", 1, 9), "電力0109.csv");
    EXPECT_EQ(autoFileName("a.csv", 1, 1), "a.csv"); // too short to hold a date: kept
}

TEST(LoadCsvOptionForm, DigitKeys) {
    for (char32_t c = U'0'; c <= U'9'; ++c)
        EXPECT_TRUE(digitKeyAccepted(c));
    EXPECT_TRUE(digitKeyAccepted(8));
    for (char32_t c : {U'.', U'-', U'a', U' ', U'\r', U'１', char32_t{22}})
        EXPECT_FALSE(digitKeyAccepted(c));
}

TEST(LoadCsvOptionForm, ImportOptionsFromTheFields) {
    LoadCsvOptionForm f;
    f.Option1_Click();
    f.text1 = "3";
    f.text3 = "";
    f.text4 = "99999999999";
    f.Combo1_Click(11);
    f.Combo2_Click(24);
    CsvImportOptions o = f.importOptions();
    EXPECT_EQ(o.layout, CsvLayout::Vertical);
    EXPECT_EQ(o.skipLines, 3);
    EXPECT_EQ(o.column, 0);
    EXPECT_EQ(o.month, 12);
    EXPECT_EQ(o.day, 25);
    EXPECT_EQ(o.days, 1); // choosing the day set the count to 1
    f.text4 = "99999999999";
    EXPECT_GT(f.importOptions().days, 365);
    f.text4 = "";
    EXPECT_EQ(f.importOptions().days, 0);
    f.Text1_Enter();
    EXPECT_EQ(f.takeFocusRequest(), CsvFocus::Text3);
}

TEST(LoadCsvOptionForm, CompletionMessages) {
    LoadCsvOptionForm f;
    f.Combo1_Click(3);
    f.Combo2_Click(0);
    CsvImportOutcome done;
    Message m = f.completionMessage("/data/a.csv", done);
    EXPECT_EQ(m.text, "読み込み完了 4月  1日");
    EXPECT_EQ(m.title, "確認メッセージ    /data/a.csv");
    EXPECT_EQ(m.buttons, Buttons::Ok);

    f.Check3_Click(true);
    f.text4 = "30";
    m = f.completionMessage("/data/a.csv", done);
    EXPECT_EQ(m.text, "読み込み完了 4月  1日から30日読み込みました。");

    CsvImportOutcome shortFile;
    shortFile.endedEarly = true;
    shortFile.end = CsvEnd::EndOfFile;
    shortFile.daysPlaced = 12;
    m = f.completionMessage("/data/a.csv", shortFile);
    // One statement: what was placed and why it stopped, not the days asked for.
    EXPECT_EQ(m.text, "途中で読み込みを終えました（4月  1日から）。\n"
                      "ファイルの終わりに達したため、読み込んだのは 12 日分です。");

    const Message failed = LoadCsvOptionForm::openFailedMessage("ファイルを開けません: /x.csv");
    EXPECT_EQ(failed.title, "読み込みエラー");
    EXPECT_NE(failed.text.find("/x.csv"), std::string::npos);
}

// The line the settings read first: 上からのデータ位置 is the number of lines skipped.
TEST(LoadCsvOptionForm, FirstLinePreview) {
    test::TempDir dir;
    dir.write("v.csv", "日付,時刻,値\r\n,,\r\n\r\n2019/1/1,0:00,3017\r\n");
    dir.write("h.csv", "2019/1/1,火,平日,1,2,3,4,5\n");
    const std::string head = "この設定で最初に読む行: ";
    struct Case {
        const char* file;
        const char* skip;
        const char* column;
        std::string shown;
    } cases[] = {
        {"v.csv", "3", "3", "4 行目 2019/1/1,0:00,3017 → 3017"},
        {"v.csv", "", "", "1 行目 日付,時刻,値 → 日付"},
        {"v.csv", "2", "1", "3 行目  → "},
        {"v.csv", "3", "5", "4 行目 2019/1/1,0:00,3017 → （5 列目がありません）"},
        {"v.csv", "4", "3", "5 行目 （ファイルは 4 行で終わっています）"},
        {"v.csv", "9", "3", "10 行目 （ファイルは 4 行で終わっています）"},
        {"h.csv", "0", "4", "1 行目 2019/1/1,火,平日,1,2,3,… → 1"},
    };
    for (const Case& c : cases) {
        LoadCsvOptionForm f;
        f.text2 = dir.file(c.file);
        f.text1 = c.skip;
        f.text3 = c.column;
        EXPECT_EQ(f.firstLinePreview(), head + c.shown) << c.file << " " << c.skip << " " << c.column;
    }
    LoadCsvOptionForm f;
    EXPECT_EQ(f.firstLinePreview(), head + "（読み込むファイル名を入れると表示します）");
    f.text2 = dir.file("none.csv");
    EXPECT_EQ(f.firstLinePreview().rfind(head + "1 行目 （", 0), 0u);
}
