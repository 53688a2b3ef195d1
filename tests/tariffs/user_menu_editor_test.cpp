// The editor of User_Menus.csv: entries checked as they are made, lines it cannot read written
// back as they were, and the save through the crash-safe writer.

#include "app/sjis.h"
#include "tariffs/user_menu_editor.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace wattorio::tariffs {
namespace {

std::string sjis(const std::string& utf8) {
    std::string out;
    EXPECT_TRUE(toCp932(utf8, out));
    return out;
}

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

    const Message saved = e.save();
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
    EXPECT_EQ(e.save().text, "保存しました。");
    const UserMenuSet set = loadUserMenus(dir.path());
    ASSERT_EQ(set.menus.size(), 1u);
    EXPECT_EQ(set.menus[0].taxPercent, 10);
    EXPECT_EQ(set.menus[0].utility, 1);

    dir.write("User_Menus.csv", std::string(kUserMenuMaxFileBytes + 10, 'a'));
    UserMenuEditor big;
    EXPECT_TRUE(big.load(dir.path(), 1));
    EXPECT_FALSE(big.writable());
    big.save();
    EXPECT_EQ(dir.read("User_Menus.csv").size(), kUserMenuMaxFileBytes + 10);
}

} // namespace
} // namespace wattorio::tariffs
