// The editor of User_Menus.csv: entries checked as they are made, lines it cannot read written
// back as they were, and the save through the crash-safe writer.

#include "app/sjis.h"
#include "tariffs/user_menu_editor.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

namespace wattorio::tariffs {
namespace {

std::string sjis(const std::string& utf8) {
    std::string out;
    EXPECT_TRUE(toCp932(utf8, out));
    return out;
}

class Answers : public Prompter {
public:
    Answer show(const Message& m) override {
        asked.push_back(m.text);
        const Answer a = queue.empty() ? Answer::Cancel : queue.front();
        if (!queue.empty())
            queue.pop_front();
        return a;
    }
    std::deque<Answer> queue;
    std::vector<std::string> asked;
};

const std::string kHeading =
    "電力会社,区分,電圧,メニュー名,計算式,基本料金,料金1,料金2,料金3,料金4,料金5,消費税率,"
    "燃料費等調整単価,再エネ賦課金単価";

TEST(UserMenuEditor, ChecksEntriesAndKeepsUnreadableLines) {
    test::TempDir dir;
    const std::string broken = sjis("1,工場,2,壊れた行,季節,1638,12,10.9,,,,10,0,0") + "\x81";
    dir.write("User_Menus.csv", sjis(kHeading) + "\r\n" +
                                    sjis("1,工場,2,今年,季節別,1638,12,10.9,,,,10,0,0") + "\r\n" + broken +
                                    "\r\n");
    UserMenuEditor e;
    const std::optional<Message> told = e.load(dir.path(), 4);
    ASSERT_TRUE(told);
    EXPECT_NE(told->text.find("3行目"), std::string::npos) << told->text;
    ASSERT_EQ(e.rowCount(), 2);
    EXPECT_EQ(e.rowProblem(0), "");
    EXPECT_NE(e.rowProblem(1), "");

    // Refused entries keep the cell; accepted ones are taken.
    const std::pair<int, std::string> refused[] = {
        {kColUtility, "0"}, {kColVoltage, "5"}, {kColDemand, "abc"}, {kColTax, "-1"},
        {kColName, ""},     {kColRate1, "x"},   {kColName, "😀"},
    };
    for (const auto& [column, text] : refused) {
        const std::optional<Message> m = e.setField(0, column, text);
        ASSERT_TRUE(m) << column << " " << text;
        EXPECT_EQ(m->title, "入力エラー");
        EXPECT_EQ(
            m->text.rfind("2行目の「" + std::string(userMenuHeadings()[static_cast<std::size_t>(column)]), 0),
            0u)
            << m->text;
    }
    EXPECT_EQ(e.field(0, kColDemand), "1638");
    EXPECT_FALSE(e.changed());
    EXPECT_FALSE(e.setField(0, kColFormula, "季時別")); // now rates 3 and 4 are needed
    EXPECT_NE(e.rowProblem(0).find("料金3"), std::string::npos);
    EXPECT_FALSE(e.setField(0, kColRate1 + 2, "9.5"));
    EXPECT_FALSE(e.setField(0, kColRate1 + 3, "8"));
    EXPECT_EQ(e.rowProblem(0), "");

    const int added = e.addRow();
    EXPECT_EQ(e.field(added, kColUtility), "関西電力");
    EXPECT_NE(e.rowProblem(added), ""); // no name, no rates yet
    e.removeRow(added);
    EXPECT_EQ(e.copyRow(0), 1);
    EXPECT_FALSE(e.setField(1, kColName, "写し"));

    Answers none;
    const Message saved = e.save(none);
    EXPECT_TRUE(none.asked.empty());
    EXPECT_EQ(saved.text.rfind("保存しました。", 0), 0u) << saved.text;
    EXPECT_NE(saved.text.find("4行目"), std::string::npos) << "the broken line, now line 4, is named";
    EXPECT_EQ(dir.read("User_Menus.csv"),
              sjis(kHeading +
                   "\r\n1,工場,2,今年,季時別,1638,12,10.9,9.5,8,,10,0,0\r\n1,工場,2,写し,季時別,1638,12,"
                   "10.9,9.5,8,,10,0,0\r\n") +
                  broken + "\r\n");
    EXPECT_FALSE(e.changed());
}

TEST(UserMenuEditor, NewFileAndFileThatMayNotBeRead) {
    test::TempDir dir;
    UserMenuEditor e;
    EXPECT_FALSE(e.load(dir.path(), 1));
    const int row = e.addRow();
    const std::pair<int, std::string> fields[] = {
        {kColName, "新メニュー"}, {kColDemand, "1500"}, {kColRate1, "12"}, {kColRate1 + 1, "11"}};
    for (const auto& [column, text] : fields)
        EXPECT_FALSE(e.setField(row, column, text));
    Answers none;
    EXPECT_EQ(e.save(none).text, "保存しました。");
    const UserMenuSet set = loadUserMenus(dir.path());
    ASSERT_EQ(set.menus.size(), 1u);
    EXPECT_EQ(set.menus[0].taxPercent, 10);
    EXPECT_EQ(set.menus[0].utility, 1);

    dir.write("User_Menus.csv", std::string(kUserMenuMaxFileBytes + 10, 'a'));
    UserMenuEditor big;
    EXPECT_TRUE(big.load(dir.path(), 1));
    EXPECT_FALSE(big.writable());
    big.save(none);
    EXPECT_EQ(dir.read("User_Menus.csv").size(), kUserMenuMaxFileBytes + 10);
}

// A file changed by another program after it was read is never written over without the user's
// word: reading it again, writing over it, or keeping both as they are.
TEST(UserMenuEditor, AFileChangedMeanwhileIsReadAgainOrOverwrittenOnlyWhenSaid) {
    const std::string mine = sjis(kHeading + "\r\n1,工場,2,今年,季節別,1638,12,10.9,,,,10,0,0\r\n");
    const std::string theirs = mine + sjis("1,工場,2,表計算で追加,季節別,1500,11,10,,,,10,0,0\r\n");
    const struct {
        std::deque<Answer> answers;
        std::size_t asked;
        const char* result;
        bool written; // this window's row is in the file afterwards
        int rows;     // rows in the editor afterwards
    } cases[] = {
        {{Answer::Ok}, 1, "読み込み直しました", false, 2},
        {{Answer::Cancel, Answer::Ok}, 2, "保存しました", true, 2},
        {{Answer::Cancel, Answer::Cancel}, 2, "保存しませんでした", false, 2},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        dir.write("User_Menus.csv", mine);
        UserMenuEditor e;
        e.load(dir.path(), 1);
        EXPECT_FALSE(e.setField(e.copyRow(0), kColName, "この画面で追加"));
        dir.write("User_Menus.csv", theirs);
        Answers answers;
        answers.queue = c.answers;
        const Message m = e.save(answers);
        EXPECT_EQ(answers.asked.size(), c.asked);
        EXPECT_NE(m.text.find(c.result), std::string::npos) << m.text;
        const std::string after = dir.read("User_Menus.csv");
        EXPECT_EQ(after.find(sjis("この画面で追加")) != std::string::npos, c.written) << c.result;
        EXPECT_EQ(after == theirs, !c.written);
        EXPECT_EQ(e.rowCount(), c.rows);
        // Once saved or read again, the next save asks nothing.
        Answers quiet;
        if (c.written || c.asked == 1) {
            e.save(quiet);
            EXPECT_TRUE(quiet.asked.empty());
        }
    }
    // A file removed meanwhile counts as changed too.
    test::TempDir dir;
    dir.write("User_Menus.csv", mine);
    UserMenuEditor e;
    e.load(dir.path(), 1);
    std::filesystem::remove(dir.file("User_Menus.csv"));
    Answers cancel;
    EXPECT_EQ(e.save(cancel).text, "保存しませんでした。");
    EXPECT_FALSE(dir.exists("User_Menus.csv"));
}

// Rows are written in the file's own encoding; a file in another one is shown and never saved.
TEST(UserMenuEditor, WritesInTheFilesOwnEncodingAndOnlyShowsOthers) {
    const std::string line = "1,工場,2,今年,季節別,1638,12,10.9,,,,10,0,0";
    const std::string added = "1,工場,2,新しい行,季節別,1638,12,10.9,,,,10,0,0";
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("h\r\na,b\r\n"))
        utf16 += std::string{c, '\0'};
    const struct {
        const char* what;
        std::string bytes;
        std::string expected; // "" for a file that is not saved
    } cases[] = {
        {"Shift_JIS", sjis(kHeading + "\r\n" + line + "\r\n"),
         sjis(kHeading + "\r\n" + line + "\r\n" + added + "\r\n")},
        {"UTF-8", kHeading + "\r\n" + line + "\r\n", kHeading + "\r\n" + line + "\r\n" + added + "\r\n"},
        {"UTF-8 with a mark", "\xEF\xBB\xBF" + kHeading + "\r\n" + line + "\r\n",
         "\xEF\xBB\xBF" + kHeading + "\r\n" + line + "\r\n" + added + "\r\n"},
        {"UTF-16", utf16, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        dir.write("User_Menus.csv", c.bytes);
        UserMenuEditor e;
        const std::optional<Message> told = e.load(dir.path(), 1);
        Answers none;
        if (c.expected.empty()) {
            ASSERT_TRUE(told);
            EXPECT_NE(told->text.find("UTF-16"), std::string::npos);
            EXPECT_FALSE(e.writable());
            EXPECT_EQ(e.field(0, 0), "a"); // shown as it reads
            e.save(none);
            EXPECT_EQ(dir.read("User_Menus.csv"), c.bytes);
            continue;
        }
        EXPECT_FALSE(told);
        ASSERT_EQ(e.rowCount(), 1);
        EXPECT_EQ(e.field(0, kColName), "今年");
        EXPECT_FALSE(e.setField(e.copyRow(0), kColName, "新しい行"));
        EXPECT_EQ(e.save(none).text, "保存しました。");
        EXPECT_EQ(dir.read("User_Menus.csv"), c.expected);
        // And the pricing reads what was written.
        const UserMenuSet read = loadUserMenus(dir.path());
        EXPECT_TRUE(read.problems.empty());
        ASSERT_EQ(read.menus.size(), 2u);
        EXPECT_EQ(read.menus[1].name, "新しい行");
    }
}

// The reader's limits at the limit: a name of 60 characters (not bytes) is taken and one of 61
// refused; the 2,000th menu line is read and the next one is not.
TEST(UserMenuEditor, LimitsHoldAtTheLimitItself) {
    std::string name60;
    for (int i = 0; i < 60; ++i)
        name60 += "電";
    EXPECT_EQ(checkUserMenuField(kColName, name60, std::nullopt), "");
    EXPECT_NE(checkUserMenuField(kColName, name60 + "力", std::nullopt), "");

    std::string file = kHeading + "\r\n";
    for (int i = 1; i <= kUserMenuMaxLines + 1; ++i)
        file += "1,工場,2,M" + std::to_string(i) + ",季節別,1638,12,10.9,,,,10,0,0\r\n";
    const UserMenuFile parsed = parseUserMenuFile("\xEF\xBB\xBF" + file);
    ASSERT_EQ(parsed.menus.size(), static_cast<std::size_t>(kUserMenuMaxLines));
    EXPECT_EQ(parsed.menus.back().name, "M2000");
    ASSERT_EQ(parsed.problems.size(), 1u);
    EXPECT_EQ(parsed.problems[0].line, kUserMenuMaxLines + 2);
}

} // namespace
} // namespace wattorio::tariffs
