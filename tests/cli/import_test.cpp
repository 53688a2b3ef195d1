// import-csv and generator run as a user would, on a temporary working folder with one site.

#include "app/app_state.h"
#include "app/sjis.h"
#include "registry/registry.h"
#include "support/temp_dir.h"
#include "yearbook/generator.h"
#include "yearbook/year_book_file.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <sys/wait.h>

using namespace wattorio;

namespace {

struct CliOutput {
    int status = -1;
    std::string out; // standard output and error together
};

CliOutput cli(const std::string& dir, const std::string& args) {
    const std::string command = std::string(WATTORIO_CLI_PATH) + " --dir '" + dir + "' " + args + " 2>&1";
    CliOutput run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    std::array<char, 4096> buf{};
    std::size_t n = 0;
    while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0)
        run.out.append(buf.data(), n);
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

class CliImport : public ::testing::Test {
protected:
    void SetUp() override { registerSite("10"); }
    // One site in row 1 with the given multiplier.
    void registerSite(const std::string& multiplier) {
        AppState s;
        s.AppDir = dir.path();
        s.SaihanValue = 2;
        s.SiteTable[1] = {" 1", "工場", multiplier, "500", "100", "1", "", "", ""};
        ASSERT_TRUE(registry::saveRegistry(s, 2));
    }
    std::unique_ptr<AppState> book() {
        auto s = std::make_unique<AppState>();
        EXPECT_TRUE(yearbook::loadYearBook(*s, dir.file("000001_Y.dat")));
        return s;
    }
    std::string realFile(const std::string& name) const {
        return "'" + std::string(WATTORIO_REALDATA_DIR) + "/" + name + "'";
    }
    test::TempDir dir;
};

} // namespace

TEST_F(CliImport, VerticalRealFileIntoANewBook) {
    const CliOutput r =
        cli(dir.path(), "import-csv --site 1 --layout vertical --skip 3 --column 3 --month 1 --days 365 " +
                            realFile("tepco_juyo-2019.csv"));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("読み込み完了 1月1日から365日分"), std::string::npos) << r.out;
    auto s = book();
    EXPECT_EQ(s->HourData[0][1], 3017);
    EXPECT_EQ(s->HourData[23][365], 3029);
    EXPECT_EQ(s->DayCode[60][0], "3月");
    EXPECT_EQ(s->DayCode[60][1], "1");
}

TEST_F(CliImport, HorizontalImportKeepsTheRestOfTheBookAndReportsAnEarlyEnd) {
    ASSERT_EQ(
        cli(dir.path(), "import-csv --site 1 --layout vertical --skip 1 --column 2 --month 1 --days 365 " +
                            realFile("ucam_building_b21_electricity_2019.csv"))
            .status,
        0);
    const CliOutput r =
        cli(dir.path(), "import-csv --site 1 --layout horizontal --skip 1 --column 6 --month 12 --day 25 "
                        "--days 10 --json " +
                            realFile("gefcom2012_Load_solution.csv"));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("\"firstRow\": 359"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"daysPlaced\": 7"), std::string::npos);
    EXPECT_NE(r.out.find("\"end\": \"past-year-end\""), std::string::npos);
    auto s = book();
    EXPECT_EQ(s->HourData[0][1], 108.1); // from the first import
    EXPECT_EQ(s->HourData[0][359], 19964);
    EXPECT_EQ(s->HourData[23][358], 224.5); // 24 December: before the second import's start
    EXPECT_EQ(s->HourData[0][365], 174901);
}

TEST_F(CliImport, OwnSheetFormat) {
    std::string file = "No,月,日,0時\r\n";
    for (int r = 1; r <= 365; ++r) {
        file += std::to_string(r) + ",m,d";
        for (int h = 0; h < 24; ++h)
            file += "," + std::to_string(r * 100 + h);
        file += "\r\n";
    }
    dir.write("sheet.csv", file);
    const CliOutput r = cli(dir.path(), "import-csv --site 1 --own-format '" + dir.file("sheet.csv") + "'");
    ASSERT_EQ(r.status, 0) << r.out;
    auto s = book();
    EXPECT_EQ(s->HourData[0][1], 100);
    EXPECT_EQ(s->HourData[23][365], 36523);
}

TEST_F(CliImport, RefusalsLeaveNoBook) {
    dir.write("a.csv", "1\r\n");
    CliOutput r = cli(dir.path(), "import-csv --site 1 '" + dir.file("a.csv") + "'");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("種別を選択してください。"), std::string::npos);
    r = cli(dir.path(),
            "import-csv --site 1 --layout vertical --month 2 --day 30 '" + dir.file("a.csv") + "'");
    EXPECT_EQ(r.status, 2);
    r = cli(dir.path(), "import-csv --site 1 --layout vertical '" + dir.file("none.csv") + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("none.csv"), std::string::npos);
    r = cli(dir.path(), "import-csv --site 2 --layout vertical '" + dir.file("a.csv") + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(dir.exists("000001_Y.dat"));
}

TEST_F(CliImport, GeneratorRunsSavesAndAccumulates) {
    // Multiplier 10: 1000 kW, 200 kW and 300 kW are 100, 20 and 30 meter units.
    std::string file;
    for (int i = 0; i < 24; ++i)
        file += "200\r\n";
    dir.write("day.csv", file);
    ASSERT_EQ(cli(dir.path(),
                  "import-csv --site 1 --layout vertical --month 1 --day 1 '" + dir.file("day.csv") + "'")
                  .status,
              0);
    CliOutput r = cli(
        dir.path(),
        "generator --site 1 --start 9 --end 17 --capacity 1000 --min-output 200 --min-purchase 300 --json");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("\"generatedKWh\": 9000"), std::string::npos) << r.out;
    auto s = book();
    EXPECT_EQ(s->HourData[9][1], 100);
    EXPECT_EQ(s->HourData[8][1], 200);
    EXPECT_EQ(s->HourData[9][2], 0);
    Result<yearbook::GeneratorSettings> stored = yearbook::Load_Ag(dir.file("000001_Ag.dat"));
    ASSERT_TRUE(stored);
    EXPECT_EQ(*stored, (yearbook::GeneratorSettings{"9時", "17時", "1000", "200", "300"}));

    // The second run takes the stored settings and adds to the stored amounts.
    r = cli(dir.path(), "generator --site 1");
    ASSERT_EQ(r.status, 0) << r.out;
    s = book();
    EXPECT_EQ(s->HourData[9][1], 30);
    AppState results;
    ASSERT_TRUE(yearbook::Data_Lada_AG(results, dir.file("000001_Ag_G.dat"), true));
    EXPECT_EQ(results.GenData[9][1], 170);
    EXPECT_EQ(results.GenData[8][1], 0);
    EXPECT_EQ(results.DayCode[1][0], "1月");
}

TEST_F(CliImport, GeneratorRefusesAZeroMultiplier) {
    registerSite("");
    const CliOutput r =
        cli(dir.path(), "generator --site 1 --start 9 --end 17 --capacity 1000 --min-output 200 "
                        "--min-purchase 300");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("乗率"), std::string::npos) << r.out;
    EXPECT_FALSE(dir.exists("000001_Y.dat"));
    EXPECT_FALSE(dir.exists("000001_Ag.dat"));
    EXPECT_FALSE(dir.exists("000001_Ag_G.dat"));
}
