#include "reports/excel_output.h"

#include "reports/workbook_file.h"
#include "support/temp_dir.h"
#include "xlsx_readback.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace wattorio::reports {
namespace {

using test::TempDir;

struct Excell : ::testing::Test {
    TempDir dir;
    std::unique_ptr<AppState> state = std::make_unique<AppState>();
    AppState& s = *state;
    TextGrid yearGrid{366, 28, 1, 3};
    TextGrid tenDayGrid{49, 28, 1, 4};
    TextGrid resultsGrid{6, 7, 1, 2};

    void SetUp() override {
        s.AppDir = dir.path();
        s.SiteTable[1] = SiteRecord{" 1", "テストビル", "1", "100", "100", "1", "", "", ""};
        s.SiteRow = 1;
        s.UtilityNo = 1;
        yearGrid.setText(0, 1, "月");
        tenDayGrid.setText(0, 1, "月");
        resultsGrid.setText(5, 1, "  合 計");
    }
    ReportSources everything() {
        return {&tenDayGrid, &yearGrid, &resultsGrid,
                PanelView{[](std::string_view) { return std::string("x"); },
                          [](std::string_view) { return true; }},
                true};
    }
    bool folderMade() const { return fs::exists(dir.path() + "エクセル出力"); }
};

TEST_F(Excell, WritesTheReportOfExcelModeOnce) {
    s.ExcelMode = 4;
    ExcellForm form(s);
    ASSERT_EQ(form.Form_Load(everything(), 1709586428), std::nullopt);
    ASSERT_TRUE(form.written());
    EXPECT_EQ(fs::path(form.path()).parent_path().filename().string(), "エクセル出力");
    EXPECT_NE(form.path().find("365日データ_テストビル_"), std::string::npos);
    EXPECT_TRUE(fs::is_regular_file(form.path()));
    if (!test::readbackPython().empty()) {
        const test::ReadWorkbook book = test::readWorkbook(form.path(), dir.path());
        EXPECT_EQ(test::differences(book, yearBookReport(yearGrid)), "");
        // Beside the book's 27 columns: the site, the period, the day made and what the values are.
        const std::vector<std::string> stamp = test::stampLines(book.sheets.at(0), 29);
        const SheetStamp want = sheetStamp(s, 1709586428);
        EXPECT_EQ(stamp, (std::vector<std::string>{want.site, want.period, want.made,
                                                   "単位　計器の値（kWh ＝ 値 × 倍率 1）"}));
    }

    // While the window stays open another button only changes ExcelMode: nothing more is written.
    s.ExcelMode = 2;
    const std::string first = form.path();
    EXPECT_EQ(form.Form_Load(everything(), 1709586428), std::nullopt);
    EXPECT_EQ(form.path(), first);
    int files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path() + "エクセル出力"))
        ++files;
    EXPECT_EQ(files, 1);
}

TEST_F(Excell, EachModeTakesItsOwnSource) {
    const std::pair<float, const char*> modes[] = {
        {1, "10日集計表"}, {2, "月別電気使用量"},     {3, "季節別電気使用量"}, {4, "365日データ"},
        {5, "料金計算"},   {6, "月時間の最大使用量"}, {7, "時間帯別平均電力"}};
    std::time_t when = 1700000000;
    for (const auto& [mode, name] : modes) {
        s.ExcelMode = mode;
        ExcellForm form(s);
        ASSERT_EQ(form.Form_Load(everything(), ++when), std::nullopt) << mode;
        EXPECT_EQ(fs::path(form.path()).filename().string().rfind(std::string(name) + "_", 0), 0u)
            << form.path();
    }
}

TEST_F(Excell, AReportWithoutItsSourceIsRefusedAndNothingIsWritten) {
    struct Case {
        float mode;
        ReportSources sources;
        const char* text;
    };
    ReportSources none;
    ReportSources booksOnly{&tenDayGrid, &yearGrid, nullptr, {}, false};
    const Case cases[] = {
        {1, none, kNeedTenDayBook},         {4, none, kNeedYearBook},
        {2, booksOnly, kNeedCalculation},   {3, booksOnly, kNeedCalculation},
        {5, booksOnly, kNeedCalculation},   {6, booksOnly, kNeedCalculation},
        {7, booksOnly, kNeedCalculation},   {0, everything(), kNoReportChosen},
        {8, everything(), kNoReportChosen}, {2.5f, everything(), kNoReportChosen},
    };
    for (const Case& c : cases) {
        s.ExcelMode = c.mode;
        ExcellForm form(s);
        const std::optional<Message> m = form.Form_Load(c.sources, 0);
        ASSERT_TRUE(m) << c.mode;
        EXPECT_EQ(m->text, c.text) << c.mode;
        EXPECT_EQ(m->title, "選択エラー");
        EXPECT_FALSE(form.written());
        EXPECT_EQ(form.path(), "");
    }
    EXPECT_FALSE(folderMade());
}

TEST_F(Excell, AFolderThatCannotBeWrittenGivesAMessageNotAConfirmation) {
    dir.write("エクセル出力", "a file in the way");
    s.ExcelMode = 7;
    ExcellForm form(s);
    const std::optional<Message> m = form.Form_Load(everything(), 0);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->title, "書き込みエラー");
    EXPECT_EQ(m->text.rfind(kWriteFailed, 0), 0u);
    EXPECT_FALSE(form.written());
    EXPECT_EQ(dir.read("エクセル出力"), "a file in the way");
}

TEST_F(Excell, ASiteNameOfBadCharactersStillGivesAUsableFileName) {
    s.SiteTable[1][1] = "/:*?\"<>|";
    s.ExcelMode = 6;
    ExcellForm form(s);
    ASSERT_EQ(form.Form_Load(everything(), 0), std::nullopt);
    EXPECT_EQ(fs::path(form.path()).filename().string().rfind("月時間の最大使用量_物件1_", 0), 0u)
        << form.path();
    EXPECT_TRUE(fs::is_regular_file(form.path()));
}

} // namespace
} // namespace wattorio::reports
