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
