// User_Menus.csv: every good line loads, every bad one is named by line and field and kept byte
// for byte; the file is bounded and never followed through a link.

#include "app/sjis.h"
#include "tariffs/user_menus.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

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
const std::string kGood = "東京電力,事務所・ビル・店舗,2,今年の提案,季節別,1700,17.5,16.25,,,,10,-1.12,3.49";

TEST(UserMenus, GoodLinesLoadAndEveryBadLineIsNamed) {
    struct Bad {
        std::string line;
        std::string field;
    };
    const Bad bad[] = {
        {"10,工場,1,名,季節別,1,1,1,,,,10,0,0", "電力会社"},
        {"1,倉庫,1,名,季節別,1,1,1,,,,10,0,0", "区分"},
        {"1,工場,4,名,季節別,1,1,1,,,,10,0,0", "電圧"},
        {"1,工場,1,,季節別,1,1,1,,,,10,0,0", "メニュー名"},
        {"1,工場,1,名,季節,1,1,1,,,,10,0,0", "計算式"},
        {"1,工場,1,名,季節別,1e3,1,1,,,,10,0,0", "基本料金"},
        {"1,工場,1,名,季節別,1,1,,,,,10,0,0", "料金2"}, // the formula prices line 2
        {"1,工場,1,名,季時別夜間２,1,1,1,1,1,nan,10,0,0", "料金5"},
        {"1,工場,1,名,季節別,1,1,1,,,,101,0,0", "消費税率"},
        {"1,工場,1,名,季節別,1,1,1,,,,10,,0", "燃料費等調整単価"},
        {"1,工場,1,名,季節別,1,1,1,,,,10,0,1e400", "再エネ賦課金単価"},
        {"1,工場,1,名,季節別,1,0,1,,,,10,-1000,-1000", ""}, // a used line's unit price below 0
        {"1,工場,1,名,季節別,1,1,1,,,,10,0,0,9", ""},       // a fifteenth field
        {"1,工場,1,\"名,季節別,1,1,1,,,,10,0,0", ""},       // an open quote
    };
    std::string file = sjis(kHeading) + "\r\n" + sjis(kGood) + "\r\n";
    for (const Bad& b : bad)
        file += sjis(b.line) + "\r\n";
    file += "\x82\xA0\xFF,\r\n"; // not Shift_JIS
    file += sjis("9,工場,③,\" 名, \"\"引用\"\" \",Total_Hokuden_1,1500,12,,,,,8％,0,0,,") + "\r\n";
    file += ",,,,\r\n"; // a spreadsheet's blank row

    const UserMenuFile f = parseUserMenuFile(file);
    ASSERT_EQ(f.menus.size(), 2u);
    EXPECT_EQ(f.menus[0].line, 2);
    EXPECT_EQ(f.menus[0].utility, 1);
    EXPECT_EQ(f.menus[0].formula, Formula::Total_Natsu_Sonota);
    EXPECT_EQ(f.menus[0].rate[2], 16.25);
    EXPECT_EQ(f.menus[0].fuelAdjustment, -1.12);
    const UserMenu& last = f.menus[1];
    EXPECT_EQ(last.line, static_cast<int>(std::size(bad)) + 4);
    EXPECT_EQ(last.name, "名, \"引用\"");
    EXPECT_EQ(last.utility, 9);
    EXPECT_EQ(last.category, Category::Factory);
    EXPECT_EQ(last.voltageRow, 3);
    EXPECT_EQ(last.formula, Formula::Total_Hokuden_1);
    EXPECT_EQ(last.taxPercent, 8);

    ASSERT_EQ(f.problems.size(), std::size(bad) + 1);
    for (std::size_t i = 0; i < std::size(bad); ++i) {
        EXPECT_EQ(f.problems[i].line, static_cast<int>(i) + 3) << bad[i].line;
        EXPECT_EQ(f.problems[i].field, bad[i].field) << bad[i].line;
    }
    EXPECT_EQ(f.problems.back().line, static_cast<int>(std::size(bad)) + 3);
    EXPECT_NE(userMenuProblemsText(f.problems).find("3行目（電力会社）"), std::string::npos);

    // Written back without an edit, the file is the same bytes.
    std::vector<UserMenuRow> rows;
    for (const UserMenuLine& line : f.lines)
        rows.push_back({line.bytes, line.fields});
    Result<std::string> again = userMenuFileBytes(f.headingBytes, rows, false);
    ASSERT_TRUE(again);
    EXPECT_EQ(*again, file);
}

TEST(UserMenus, FormulaByShortOrProcedureName) {
    for (Formula formula :
         {Formula::Total_Natsu_Sonota, Formula::Total_Holiday_Natsu_Sonota, Formula::Total_Peek_Hiru_Yakan_Y,
          Formula::Total_Kizibetu_1, Formula::Total_kizibet_Yakan_2, Formula::Total_Kizibetu_2,
          Formula::Total_Hokuden_1, Formula::Total_Hokuden_2}) {
        EXPECT_EQ(formulaFromText(formulaShortName(formula)), formula);
        EXPECT_EQ(formulaFromText(formulaName(formula)), formula);
    }
    EXPECT_FALSE(formulaFromText("total_natsu_sonota"));
}

TEST(UserMenus, Utf8WithMarkAndEditedRowsWrittenFromFields) {
    const std::string file = "\xEF\xBB\xBF" + kHeading + "\n" + kGood + "\n";
    const UserMenuFile f = parseUserMenuFile(file);
    EXPECT_TRUE(f.utf8);
    ASSERT_EQ(f.menus.size(), 1u);
    EXPECT_TRUE(f.problems.empty());
    UserMenuFields changed = f.lines[0].fields;
    changed[kColName] = "名前, 変更";
    Result<std::string> bytes = userMenuFileBytes(std::nullopt, {{std::nullopt, changed}}, false);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, sjis(kHeading +
                           "\r\n東京電力,事務所・ビル・店舗,2,\"名前, 変更\",季節別,1700,17.5,16.25,,,,10,-"
                           "1.12,3.49\r\n"));
    changed[kColName] = "名前😀";
    EXPECT_FALSE(userMenuFileBytes(std::nullopt, {{std::nullopt, changed}}, false));
    EXPECT_TRUE(userMenuFileBytes(std::nullopt, {{std::nullopt, changed}}, true));
}

TEST(UserMenus, FileIsBoundedAndNotFollowedThroughLinks) {
    test::TempDir dir;
    EXPECT_TRUE(loadUserMenus(dir.path()).problems.empty()) << "no file: no menus, no message";
    test::TempDir other;
    other.write("User_Menus.csv", sjis(kHeading + "\r\n" + kGood + "\r\n"));
    std::filesystem::create_symlink(other.file("User_Menus.csv"), dir.file("User_Menus.csv"));
    EXPECT_FALSE(readUserMenuFile(dir.path()));
    std::filesystem::remove(dir.file("User_Menus.csv"));
    dir.write("User_Menus.csv", std::string(kUserMenuMaxFileBytes + 1, ','));
    EXPECT_FALSE(readUserMenuFile(dir.path()));
    ASSERT_TRUE(saveUserMenuFile(dir.path(), sjis(kHeading + "\r\n" + kGood + "\r\n")));
    const UserMenuSet set = loadUserMenus(dir.path());
    EXPECT_EQ(set.menus.size(), 1u);
    EXPECT_TRUE(set.problems.empty());
}

TEST(UserMenus, DemoFileHoldsTwoExamples) {
    const UserMenuSet set = loadUserMenus(std::string(WATTORIO_SOURCE_DIR) + "/examples/demo/");
    EXPECT_TRUE(set.problems.empty()) << userMenuProblemsText(set.problems);
    ASSERT_EQ(set.menus.size(), 2u);
    for (const UserMenu& m : set.menus)
        EXPECT_EQ(m.name.rfind("（例）", 0), 0u) << m.name;
}

} // namespace
} // namespace wattorio::tariffs
