// import-interval and calendar --official run as a user would, on a working folder with one site.

#include "app/app_state.h"
#include "cli_run.h"
#include "registry/registry.h"
#include "support/temp_dir.h"
#include "yearbook/calendar.h"
#include "yearbook/year_book_file.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace wattorio;

namespace {

test::CliRun cli(const std::string& dir, const std::string& args) {
    return test::cli(dir, args, true);
}

class CliInterval : public ::testing::Test {
protected:
    void SetUp() override {
        AppState s;
        s.AppDir = dir.path();
        s.SaihanValue = 2;
        s.SiteTable[1] = {" 1", "工場", "2", "500", "100", "1", "", "", ""};
        ASSERT_TRUE(registry::saveRegistry(s, 2));
    }
    std::unique_ptr<AppState> book() {
        auto s = std::make_unique<AppState>();
        EXPECT_TRUE(yearbook::loadYearBook(*s, dir.file("000001_Y.dat")));
        return s;
    }
    test::TempDir dir;
};

} // namespace

TEST_F(CliInterval, TwelveMonthlyFilesDividedByTheMultiplier) {
    std::string files;
    for (int m = 1; m <= 12; ++m)
        files += " '" + std::string(WATTORIO_REALDATA_DIR) + "/camsl_140/2018" + (m < 10 ? "0" : "") +
                 std::to_string(m) + ".csv'";
    const test::CliRun r = cli(dir.path(), "import-interval --site 1 --unit wh --column 3 --json" + files);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("\"hours_placed\": 8760, \"hours_missing\": 0"), std::string::npos) << r.out;
    auto s = book();
    EXPECT_DOUBLE_EQ(s->HourData[0][1], 0.15); // (100 + 200) Wh / 2
}

TEST_F(CliInterval, ABadFileOrOptionWritesNoBook) {
    dir.write("bad.csv", "nothing dated\n");
    EXPECT_EQ(cli(dir.path(), "import-interval --site 1 '" + dir.file("bad.csv") + "'").status, 1);
    EXPECT_EQ(cli(dir.path(), "import-interval --site 1 --unit mwh '" + dir.file("bad.csv") + "'").status, 1);
    EXPECT_FALSE(dir.exists("000001_Y.dat"));
}

TEST_F(CliInterval, OfficialCalendarAndItsFallback) {
    test::CliRun r = cli(dir.path(), "calendar --site 1 --year 2020 --official");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("内閣府の祝日"), std::string::npos) << r.out;
    auto s = book();
    EXPECT_EQ(s->DayMark[yearbook::bookRowOf(7, 24)][0], yearbook::kHoliday);
    EXPECT_EQ(s->DayMark[yearbook::bookRowOf(10, 12)][0], yearbook::kWeekday);
    // A list in the working folder takes precedence; a year outside it falls back to the fixed rules.
    dir.write("syukujitsu.csv", "h\r\n2021/1/1,x\r\n");
    r = cli(dir.path(), "calendar --site 1 --year 2020 --official");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("2020 年がありません"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("固定の祝日"), std::string::npos) << r.out;
    s = book();
    EXPECT_EQ(s->DayMark[yearbook::bookRowOf(7, 24)][0], yearbook::kWeekday);
    EXPECT_EQ(s->DayMark[yearbook::bookRowOf(7, 20)][0], yearbook::kHoliday);
}

// A file that leaves its value column open stops the command with the candidates and the option
// that chooses; a hostile file name reaches the terminal escaped.
TEST_F(CliInterval, AnOpenColumnStopsAndNamesTheOptions) {
    std::string twoColumns;
    for (int k = 0; k < 48; ++k)
        twoColumns += "2018/1/1 " + std::to_string(k / 2) + (k % 2 ? ":30" : ":00") + ",1,2\n";
    dir.write("two.csv", twoColumns);
    dir.write("x\x1b[2Jy.csv", "nothing dated\n");
    struct Run {
        std::string args;
        int status;
        std::vector<const char*> shown;
    };
    const std::vector<Run> runs = {
        {"'" + dir.file("two.csv") + "'",
         1,
         {"2列目　最初の値 1, 1, 1", "3列目　最初の値 2, 2, 2", "--column", "--unit"}},
        {"--column 3 '" + dir.file("two.csv") + "'", 0, {"値の列 3列目", "書き込んだ時間 24、"}},
        {"'" + dir.file("x\x1b[2Jy.csv") + "'", 1, {"x\\x1B[2Jy.csv"}},
    };
    for (const Run& run : runs) {
        const test::CliRun r = cli(dir.path(), "import-interval --site 1 " + run.args);
        EXPECT_EQ(r.status, run.status) << run.args << "\n" << r.out;
        for (const char* text : run.shown)
            EXPECT_NE(r.out.find(text), std::string::npos) << text << "\n" << r.out;
        EXPECT_EQ(r.out.find('\x1b'), std::string::npos) << r.out;
    }
}
