// report run as a user would: every report of a hand-made year book and ten-day book, read back
// with an independent reader and compared with the layout built from the same books.

#include "app/app_state.h"
#include "app/folder_lock.h"
#include "app/numtext.h"
#include "calc/aggregation.h"
#include "calc/total_form.h"
#include "registry/registry.h"
#include "reports/analysis.h"
#include "reports/report_layout.h"
#include "reports/xlsx_readback.h"
#include "support/temp_dir.h"
#include "tenday/ten_day_file.h"
#include "tenday/ten_day_totals.h"
#include "yearbook/year_book_file.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sys/wait.h>

namespace {

using namespace wattorio;
namespace fs = std::filesystem;

struct CliResult {
    int status = -1;
    std::string out;
};

CliResult cli(const std::string& dir, const std::string& args) {
    const std::string command = std::string(WATTORIO_CLI_PATH) + " --dir '" + dir + "' " + args + " 2>&1";
    CliResult run;
    FILE* pipe = popen(command.c_str(), "r");
    std::array<char, 4096> buf{};
    std::size_t n = 0;
    while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0)
        run.out.append(buf.data(), n);
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

class OkPrompter : public Prompter {
public:
    Answer show(const Message&) override { return Answer::Ok; }
};

struct ReportCli : ::testing::Test {
    test::TempDir dir;
    std::unique_ptr<AppState> books = std::make_unique<AppState>();

    void SetUp() override {
        AppState& s = *books;
        s.AppDir = dir.path();
        fillUtilityNames(s);
        s.SiteTable[1] = {" 1", "本社/第1", "0.5", "300", "95", "1", "", "", ""};
        s.SiteTable[2] = {" 2", "無所属", "1", "100", "100", "0", "", "", ""};
        s.SaihanValue = 3;
        ASSERT_TRUE(registry::saveRegistry(s, 3));
        s.SiteRow = 1;
        s.UtilityNo = 1;
        yearbook::newYearBook(s);
        for (int r = 1; r <= 365; ++r) {
            s.DayMark[r][0] = r % 7 == 3 ? 1.0f : 0.0f;
            for (int h = 0; h < 24; ++h)
                s.HourData[h][r] = (r * 37 + h * 11) % 400 + 0.25 * (h % 4);
        }
        ASSERT_TRUE(yearbook::saveYearBook(s, dir.file("000001_Y.dat")));
    }

    std::string out(int n) const { return dir.file("r" + std::to_string(n) + ".xlsx"); }
};

#define REQUIRE_READER()                                                                                     \
    if (test::readbackPython().empty())                                                                      \
    GTEST_SKIP() << "python3 with openpyxl is not installed: the written workbooks cannot be read back"

TEST_F(ReportCli, EveryReportOfAYearBookRoundTrips) {
    REQUIRE_READER();
    for (int n = 2; n <= 7; ++n) {
        const CliResult run = cli(dir.path(), "report --site 1 --report " + std::to_string(n) +
                                                  " --menu 19:0 --out '" + out(n) + "'");
        EXPECT_EQ(run.status, 0) << n << run.out;
        EXPECT_NE(run.out.find("を書き込みました"), std::string::npos) << run.out;
    }
    // The same calculation done here: the totals, the analyses and the results form with the menu.
    AppState& s = *books;
    ASSERT_TRUE(calc::runMonthTotals(s));
    reports::Demd(s);
    reports::Heikin(s);
    calc::TotalForm total(s);
    ASSERT_TRUE(total.Form_Load());
    OkPrompter ok;
    ASSERT_TRUE(total.ApplyTariffMenu(19, 0, ok));
    const reports::PanelView panel{[&](std::string_view n) { return total.text(n); },
                                   [&](std::string_view n) { return total.visible(n); }};
    const std::vector<reports::ReportLayout> expected{
        reports::monthlyTotalsReport(s),     reports::resultsGridReport(total.MSFlexGrid1()),
        reports::yearBookReport(TextGrid()), // placeholder for report 4, checked below
        reports::chargeSummaryReport(panel), reports::monthlyMaximumReport(s),
        reports::hourAveragesReport(s)};
    std::vector<std::string> paths;
    for (int n = 2; n <= 7; ++n)
        paths.push_back(out(n));
    const std::vector<test::ReadWorkbook> read = test::readWorkbooks(paths, dir.path());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (i == 2)
            continue;
        EXPECT_EQ(test::differences(read[i], expected[i]), "") << paths[i];
    }
    // Report 4: the year book's grid as the window shows it: headings, labels, weekdays and the
    // readings in their shortest decimal form.
    const test::ReadSheet& year = read[2].sheets.at(0);
    EXPECT_EQ(year.name, "365日データ");
    EXPECT_EQ(std::get<std::string>(year.find(1, 1)->value), "月");
    EXPECT_EQ(std::get<std::string>(year.find(1, 27)->value), "23時");
    EXPECT_EQ(std::get<std::string>(year.find(2, 1)->value), "1月");
    EXPECT_EQ(std::get<double>(year.find(366, 2)->value), 31.0);
    EXPECT_EQ(std::get<std::string>(year.find(4, 3)->value), "休日");
    EXPECT_EQ(std::get<std::string>(year.find(2, 3)->value), "平"); // " 平" trimmed
    EXPECT_EQ(std::get<double>(year.find(2, 7)->value), s.HourData[3][1]);
    EXPECT_EQ(std::get<double>(year.find(366, 27)->value), s.HourData[23][365]);
    // The charge summary has the fifth rate line of this menu before its total.
    EXPECT_EQ(std::get<std::string>(read[3].sheets.at(0).find(9, 1)->value), "合　計");
}

TEST_F(ReportCli, TenDayBookAndItsTotals) {
    REQUIRE_READER();
    AppState& s = *books;
    tenday::newTenDayBook(s);
    s.HourData[13][1] = 100;
    s.HourData[10][48] = 70;
    ASSERT_TRUE(tenday::saveTenDayBook(s, dir.file("000001_W.dat")));
    CliResult run = cli(dir.path(), "report --site 1 --report 1 --out '" + out(1) + "'");
    ASSERT_EQ(run.status, 0) << run.out;
    run = cli(dir.path(), "report --site 1 --report 2 --book tenday --out '" + out(2) + "'");
    ASSERT_EQ(run.status, 0) << run.out;

    const std::vector<test::ReadWorkbook> read = test::readWorkbooks({out(1), out(2)}, dir.path());
    const test::ReadSheet& grid = read[0].sheets.at(0);
    EXPECT_EQ(grid.name, "10日集計表");
    EXPECT_EQ(std::get<std::string>(grid.find(1, 3)->value), "日数");
    EXPECT_EQ(std::get<std::string>(grid.find(2, 1)->value), "１月");
    EXPECT_EQ(std::get<std::string>(grid.find(2, 2)->value), "1日から10日");
    EXPECT_EQ(std::get<double>(grid.find(2, 17)->value), 100.0); // hour 13 in column 17
    EXPECT_EQ(std::get<double>(grid.find(49, 14)->value), 70.0);
    EXPECT_EQ(grid.find(1, 28), nullptr);

    tenday::Yer_Total(s);
    EXPECT_EQ(test::differences(read[1], reports::monthlyTotalsReport(s)), "");
    EXPECT_EQ(std::get<double>(read[1].sheets.at(0).find(3, 5)->value), 50.0); // 100 x multiplier 0.5, peak
}

TEST_F(ReportCli, BadRequestsAreRefusedAndWriteNothing) {
    struct Case {
        std::string args;
        int status;
        const char* says;
    };
    const Case cases[] = {
        {"report --site 1 --report 5 --out X", 1, "--menu"},
        {"report --site 1 --report 8 --menu 19:0 --out X", 1, "--report"},
        {"report --site 1 --report 2.5 --out X", 1, "--report"},
        {"report --site 1 --report 2", 1, "--out"},
        {"report --site 1 --report 3 --menu 99:0 --out X", 1, "--menu"},
        {"report --site 1 --report 1 --book year --out X", 2, "tenday"},
        {"report --site 1 --report 6 --book tenday --out X", 2, "--book year"},
        {"report --site 2 --report 2 --out X", 2, "電力会社を選択してください。"},
        {"report --site 9 --report 2 --out X", 1, "物件はありません"},
        {"report --site 1 --report 4 --out '" + dir.path() + "missing/x.xlsx'", 1, ""},
    };
    for (const Case& c : cases) {
        std::string args = c.args;
        if (const auto x = args.find(" --out X"); x != std::string::npos)
            args.replace(x, 8, " --out '" + dir.file("x.xlsx") + "'");
        const CliResult run = cli(dir.path(), args);
        EXPECT_EQ(run.status, c.status) << c.args << "\n" << run.out;
        EXPECT_NE(run.out.find(c.says), std::string::npos) << c.args << "\n" << run.out;
    }
    EXPECT_FALSE(fs::exists(dir.file("x.xlsx")));
    EXPECT_FALSE(fs::exists(dir.path() + "missing"));
}

TEST_F(ReportCli, ADamagedBookIsRefusedAndLeftAsItIs) {
    dir.write("000001_Y.dat", "\"1月\"\r\nnot a book\r\n");
    const CliResult run = cli(dir.path(), "report --site 1 --report 4 --out '" + dir.file("x.xlsx") + "'");
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_FALSE(fs::exists(dir.file("x.xlsx")));
    EXPECT_EQ(dir.read("000001_Y.dat"), "\"1月\"\r\nnot a book\r\n");
    int files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path()))
        ++files;
    EXPECT_EQ(files, 4); // the registry's two files, the book and the folder's lock; no copy set aside
}

} // namespace

namespace {

// report --out replaces a file only when asked to, never one of the program's own, and waits for
// the working folder's lock when it writes inside it.
TEST_F(ReportCli, AnExistingFileIsReplacedOnlyWhenAskedAndNeverAProgramFile) {
    dir.write("kept.xlsx", "the user's");
    dir.write("replaced.xlsx", "old");
    const std::string book = dir.read("000001_Y.dat");
    const struct {
        std::string out;
        const char* options;
        int status;
        const char* says;
    } cases[] = {
        {"kept.xlsx", "", 2, "--overwrite"},
        {"000001_Y.dat", "--overwrite", 2, "データファイル"},
        {"Mt_Menu.dat", "--overwrite", 2, "データファイル"},
        {"000002_Y.dat", "", 2, "データファイル"},
        {"replaced.xlsx", "--overwrite", 0, "を書き込みました"},
    };
    for (const auto& c : cases) {
        const CliResult run =
            cli(dir.path(), "report --site 1 --report 2 --out '" + dir.file(c.out) + "' " + c.options);
        EXPECT_EQ(run.status, c.status) << c.out << "\n" << run.out;
        EXPECT_NE(run.out.find(c.says), std::string::npos) << c.out << "\n" << run.out;
    }
    EXPECT_EQ(dir.read("kept.xlsx"), "the user's");
    EXPECT_EQ(dir.read("000001_Y.dat"), book);
    EXPECT_FALSE(fs::exists(dir.file("000002_Y.dat")));
    EXPECT_NE(dir.read("replaced.xlsx"), "old");

    const Result<FolderLock> held = FolderLock::take(dir.path());
    ASSERT_TRUE(held.ok());
    const CliResult busy =
        cli(dir.path(), "--wait 0 report --site 1 --report 2 --out '" + dir.file("new.xlsx") + "'");
    EXPECT_EQ(busy.status, 1) << busy.out;
    EXPECT_FALSE(fs::exists(dir.file("new.xlsx")));
    test::TempDir elsewhere;
    EXPECT_EQ(
        cli(dir.path(), "--wait 0 report --site 1 --report 2 --out '" + elsewhere.file("new.xlsx") + "'")
            .status,
        0);
}

} // namespace
