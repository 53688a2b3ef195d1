// intervals, bill, invoice and compare --tariffs run as a user would: the demo office's year of
// half-hour data under the example tariffs, a year book billed by its year, real meter files
// imported into the meter file and priced.

#include "cli_run.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>

using Json = nlohmann::json;
namespace test = wattorio::test;

namespace {

// A flat menu of any area priced from 2010, so that any year's data can be billed.
const char* kLongTariff = R"({"name": "長期（試験）", "provider": "試験", "source": "試験用の架空の単価",
  "utility": 0, "bands": [{"name": "全日"}], "seasons": {"通年": [1,2,3,4,5,6,7,8,9,10,11,12]},
  "prices": [{"from": "2010-04-01", "demand": 1000, "energy": {"通年": {"全日": 10}}}], "discount": "none"})";

struct BillFolder : ::testing::Test {
    void SetUp() override {
        test::copyDemoFolder(dir);
        dir.write("料金表/long.json", kLongTariff);
    }
    // Standard output of a command that must succeed, as JSON.
    Json json(const std::string& args) {
        const test::CliRun r = test::cli(dir.path(), args + " --json");
        EXPECT_EQ(r.status, 0) << args << "\n" << r.out;
        return Json::parse(r.out, nullptr, false);
    }
    test::TempDir dir;
};

} // namespace

TEST_F(BillFolder, DemoOfficeUnderEachExampleTariff) {
    // The flat menu by hand: 2025-01 on the fiscal-2024 prices, 2025-06 on fiscal 2025's; the
    // contract stays at the registered 450 kW while the months before the data count.
    const struct {
        const char* file;
        const char* month;
        long long basic;
        double energy;
        long long charge, levy;
    } cases[] = {
        {"example_flat_high_voltage.json", "2025-01", 739935, 1976402.02, 2716337,
         353543}, // 1890×450×.87, 101302×19.51
        {"example_flat_high_voltage.json", "2025-06", 1186245, 1766769.84, 2953014,
         424622}, // 3030×450×.87, ×3.98
        {"example_market_adjustment.json", "2025-01", 645975, 1519530, 2575174,
         353543}, // (…+1.20×kWh+120×450)×1.1
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + c.month);
        const Json bill = json(std::string("bill --site 1 --tariff ") + c.file);
        ASSERT_TRUE(bill.is_object());
        EXPECT_EQ(bill["file"], c.file);
        EXPECT_EQ(bill["from"], "2025-01");
        EXPECT_EQ(bill["total"]["months_billed"], 12);
        long long sum = 0;
        for (const Json& m : bill["months"]) {
            sum += m["bill"].get<long long>();
            if (m["month"] != c.month)
                continue;
            EXPECT_EQ(m["basic"], c.basic);
            EXPECT_DOUBLE_EQ(m["energy"].get<double>(), c.energy);
            EXPECT_EQ(m["charge"], c.charge);
            EXPECT_EQ(m["levy"], c.levy);
            EXPECT_EQ(m["bill"], c.charge + c.levy);
        }
        EXPECT_EQ(bill["total"]["bill"], sum);
    }
    const Json listing = json("intervals --site 1");
    EXPECT_EQ(listing["first"], "2025-01-01 00:00");
    EXPECT_EQ(listing["last"], "2025-12-31 23:30");
    EXPECT_EQ(listing["minutes"], 30);
    ASSERT_EQ(listing["months"].size(), 12u);
    EXPECT_EQ(listing["months"][0]["intervals"], 1488);
    EXPECT_EQ(listing["months"][0]["missing_intervals"], 0);
    EXPECT_EQ(listing["months"][0]["max_demand_kw"], 344);
}

TEST_F(BillFolder, CompareRanksTheFilesTheSiteCanTakeAndListsBadOnes) {
    dir.write("料金表/broken.json", "{\"name\": ");
    dir.write("料金表/other_area.json",
              std::string(kLongTariff)
                  .replace(std::string(kLongTariff).find("\"utility\": 0"), 12, "\"utility\": 2"));
    const Json one = json("compare --site 1 --tariffs");
    ASSERT_EQ(one["tariffs"].size(), 4u) << one.dump();
    for (std::size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(one["tariffs"][k]["rank"], k + 1);
        EXPECT_EQ(one["tariffs"][k]["months_billed"], 12);
        if (k > 0) {
            EXPECT_LE(one["tariffs"][k - 1]["bill"].get<long long>(),
                      one["tariffs"][k]["bill"].get<long long>());
        }
    }
    ASSERT_EQ(one["problems"].size(), 1u);
    EXPECT_EQ(one["problems"][0]["file"], "broken.json");
    // Only the demo office has meter data.
    const Json all = json("compare-sites --tariffs");
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0]["row"], 1);
    EXPECT_EQ(all[0]["tariffs"], one["tariffs"]);
}

TEST_F(BillFolder, InvoicesStandBesideTheirMonths) {
    EXPECT_EQ(test::cli(dir.path(), "invoice --site 1 --month 2025-06 --kwh 106689 --max-demand 384 "
                                    "--power-factor 98 --amount 3377000")
                  .status,
              0);
    EXPECT_EQ(test::cli(dir.path(),
                        "invoice --site 1 --month 2025-07 --kwh 1 --max-demand 1 --power-factor 98 "
                        "--amount 3000000")
                  .status,
              0);
    for (const char* bad : {"--month 2025-13 --kwh 1 --max-demand 1 --power-factor 98 --amount 1",
                            "--month 2025-08 --kwh 1 --max-demand 1 --power-factor 0 --amount 1",
                            "--month 2025-08 --kwh x --max-demand 1 --power-factor 98 --amount 1"})
        EXPECT_NE(test::cli(dir.path(), std::string("invoice --site 1 ") + bad).status, 0) << bad;
    const Json bill = json("bill --site 1 --tariff example_flat_high_voltage.json --from 2025-06 --months 3");
    const Json& june = bill["months"][0];
    EXPECT_EQ(june["invoice"]["amount"], 3377000);
    EXPECT_EQ(june["difference"]["yen"], 636);
    EXPECT_EQ(june["difference"]["over_1_percent"], false);
    EXPECT_EQ(bill["months"][1]["difference"]["over_1_percent"], true);
    EXPECT_FALSE(bill["months"][2].contains("invoice"));
}

TEST_F(BillFolder, AYearBookIsBilledOnTheYearItsReadingsBelongTo) {
    // The factory has only a year book: its rows fall on 2024's dates, 29 February has none.
    const Json bill = json("bill --site 2 --tariff long.json --book-year 2024");
    ASSERT_EQ(bill["months"].size(), 12u);
    EXPECT_EQ(bill["from"], "2024-01");
    const Json& feb = bill["months"][1];
    EXPECT_EQ(feb["intervals"], 28 * 24);
    EXPECT_EQ(feb["missing_intervals"], 0);
    EXPECT_FALSE(feb["notes"].empty());
    EXPECT_NE(test::cli(dir.path(), "bill --site 2 --tariff long.json").status, 0); // no meter data
    EXPECT_NE(test::cli(dir.path(), "bill --site 1 --tariff nothing.json").status, 0);
}

TEST_F(BillFolder, RealMeterFilesImportIntoTheMeterFileAndAreBilled) {
    std::string files;
    for (int m = 1; m <= 12; ++m)
        files += " '" + std::string(WATTORIO_REALDATA_DIR) + "/camsl_140/2018" + (m < 10 ? "0" : "") +
                 std::to_string(m) + ".csv'";
    const test::CliRun first =
        test::cli(dir.path(), "import-interval --site 2 --unit wh --column 3" + files, true);
    ASSERT_EQ(first.status, 0) << first.out;
    ASSERT_TRUE(dir.exists("000002_Interval.csv"));
    const Json listing = json("intervals --site 2");
    EXPECT_EQ(listing["months"].size(), 12u);
    EXPECT_EQ(listing["months"][0]["month"], "2018-01");
    const Json bill = json("bill --site 2 --tariff long.json");
    EXPECT_EQ(bill["from"], "2018-01");
    EXPECT_EQ(bill["total"]["months_billed"], 12);
    EXPECT_GT(bill["total"]["bill"].get<long long>(), 0);
    // The same files again change nothing; the summary says so.
    const std::string before = dir.read("000002_Interval.csv");
    const test::CliRun again =
        test::cli(dir.path(), "import-interval --site 2 --unit wh --column 3" + files, true);
    EXPECT_EQ(again.status, 0);
    EXPECT_NE(again.out.find("異なる値 0 件"), std::string::npos) << again.out;
    EXPECT_EQ(dir.read("000002_Interval.csv"), before);
}
