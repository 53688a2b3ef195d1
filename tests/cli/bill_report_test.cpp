// report --report 8 (月別請求額) on the demo folder: each month's bill in the workbook is the one
// `bill --json` prints, and the file is written only when asked rightly.

#include "cli_run.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>

namespace {

using namespace wattorio;

constexpr const char* kTariff = " --tariff example_market_adjustment.json";

TEST(BillReport, HoldsTheMonthsOfTheBill) {
    test::TempDir dir;
    test::copyDemoFolder(dir);
    const std::string out = dir.file("r8.xlsx");
    ASSERT_EQ(test::cli(dir.path(), std::string("report --site 1 --report 8 --from 2025-01") + kTariff +
                                        " --out '" + out + "'")
                  .status,
              0);
    const test::CliRun bill =
        test::cli(dir.path(), std::string("bill --site 1 --from 2025-01 --json") + kTariff);
    ASSERT_EQ(bill.status, 0);
    const nlohmann::json months = nlohmann::json::parse(bill.out)["months"];
    // The sheet as written: the rows of the months under the headings of row 4.
    FILE* pipe = popen(("unzip -p '" + out + "' xl/worksheets/sheet1.xml").c_str(), "r");
    ASSERT_TRUE(pipe);
    std::string xml;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        xml.append(buffer, n);
    pclose(pipe);
    for (std::size_t k = 0; k < months.size(); ++k) {
        const std::size_t row = xml.find("<row r=\"" + std::to_string(5 + k) + "\"");
        ASSERT_NE(row, std::string::npos);
        const std::string cells = xml.substr(row, xml.find("</row>", row) - row);
        EXPECT_NE(cells.find(months[k]["month"].get<std::string>()), std::string::npos);
        EXPECT_NE(cells.find("<v>" + std::to_string(months[k]["bill"].get<long long>()) + "</v>"),
                  std::string::npos)
            << months[k]["month"];
    }
}

TEST(BillReport, RefusesWhatItCannotWrite) {
    test::TempDir dir;
    test::copyDemoFolder(dir);
    dir.write("kept.xlsx", "the user's");
    const struct {
        std::string args;
        int status;
    } cases[] = {
        {"--out '" + dir.file("a.xlsx") + "'", 1},                                        // no --tariff
        {std::string(kTariff) + " --out '" + dir.file("kept.xlsx") + "'", 2},             // no --overwrite
        {" --tariff nosuch.json --out '" + dir.file("b.xlsx") + "'", 1},                  // no such file
        {std::string(kTariff) + " --from 2025-13 --out '" + dir.file("c.xlsx") + "'", 1}, // no month
    };
    for (const auto& c : cases)
        EXPECT_EQ(test::cli(dir.path(), "report --site 1 --report 8 " + c.args).status, c.status) << c.args;
    EXPECT_EQ(dir.read("kept.xlsx"), "the user's");
    for (const char* name : {"a.xlsx", "b.xlsx", "c.xlsx"})
        EXPECT_FALSE(dir.exists(name)) << name;
}

} // namespace
