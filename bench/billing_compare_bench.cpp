// Every site with meter data ranked under every tariff file, as compare-sites --tariffs does it:
// 200 sites with a year of half-hour data each (the demo office's, 17,520 intervals) and 50
// tariff files of 料金表 (the demo's three kinds at other prices, all of them open to every
// site). Target: at most 1 s for the whole run.
//
// With WATTORIO_BENCH_FOLDER set, the folder is made there and kept, so that the command itself
// can be timed on it (wattorio-cli --dir FOLDER compare-sites --tariffs --json).

#include "billing/meter_file.h"
#include "billing/tariff_ranking.h"
#include "registry/registry.h"
#include "registry/site_files.h"
#include "yearbook/holiday_list.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace wattorio;
using namespace wattorio::billing;

namespace {

namespace fs = std::filesystem;

const std::string kDemo = std::string(WATTORIO_SOURCE_DIR) + "/examples/demo/";
const std::string kDataDir = std::string(WATTORIO_SOURCE_DIR) + "/data";

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The example's text with its prices scaled by (100 + k) %: one more file of the same kind.
std::string variant(std::string text, int k) {
    const std::string key = "\"demand\": ";
    for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
        const std::size_t from = at + key.size();
        const std::size_t end = text.find_first_of(",}", from);
        const double demand = std::stod(text.substr(from, end - from)) * (100 + k) / 100;
        text.replace(from, end - from, std::to_string(static_cast<int>(demand)));
    }
    const std::size_t utility = text.find("\"utility\": 1");
    if (utility != std::string::npos)
        text.replace(utility, 12, "\"utility\": 0");
    return text;
}

struct Folder {
    std::string dir;
    bool keep = false;
    AppState state;

    Folder() {
        if (const char* kept = std::getenv("WATTORIO_BENCH_FOLDER")) {
            dir = std::string(kept) + "/";
            keep = true;
        } else {
            dir = (fs::temp_directory_path() / "wattorio_billing_bench").string() + "/";
        }
        fs::remove_all(dir);
        fs::create_directories(dir + kTariffFolderName);
        const char* kinds[] = {"example_flat_high_voltage.json", "example_seasonal_time_of_use.json",
                               "example_market_adjustment.json"};
        for (int k = 0; k < 50; ++k) {
            const std::string text = slurp(kDemo + kTariffFolderName + "/" + kinds[k % 3]);
            std::ofstream(dir + kTariffFolderName + "/tariff" + std::to_string(k) + ".json", std::ios::binary)
                << variant(text, k);
        }
        state.AppDir = dir;
        for (int row = 1; row <= 200; ++row) {
            const std::string serial = registry::serialText(row);
            fs::copy_file(kDemo + "000001_Interval.csv", dir + registry::siteStem(serial) + kMeterFileSuffix);
            state.SiteTable[static_cast<std::size_t>(row)] = {
                serial, "物件" + std::to_string(row), "1", std::to_string(300 + row), "98", "1", "", "", ""};
        }
        state.SaihanValue = 201;
        if (!registry::saveRegistry(state, 201))
            std::abort();
    }
    ~Folder() {
        if (!keep)
            fs::remove_all(dir);
    }
};

// The whole run after start-up: tariff files, national tables, holidays, then each site's meter
// file read and its ranking, the sites spread over the cores as the command spreads them.
void BM_CompareSitesTariffs200x50(benchmark::State& bench) {
    const Folder folder;
    for (auto _ : bench) {
        const std::vector<TariffFolderEntry> entries = loadTariffFolder(tariffFolderPath(folder.dir));
        const Result<NationalTables> tables = loadNationalTables(folder.dir, kDataDir);
        const yearbook::HolidaySource holidays = yearbook::findHolidayList(folder.dir, kDataDir);
        std::vector<std::size_t> ranked(200, 0);
        forEachInParallel(200, [&](std::size_t k) {
            const SiteRecord& record = folder.state.SiteTable[k + 1];
            const MeterFileRead read =
                readMeterFile(folder.dir + registry::siteStem(record[0]) + kMeterFileSuffix);
            RankingSite site;
            site.intervals = read.intervals;
            site.contractKw = 301 + static_cast<double>(k);
            site.powerFactor = 98;
            site.utility = 1;
            ranked[k] =
                rankTariffs(site, entries, *tables, &holidays.list, *defaultFirstMonth(read.intervals))
                    .tariffs.size();
        });
        if (std::count(ranked.begin(), ranked.end(), 50u) != 200)
            bench.SkipWithError("not every tariff was priced");
        benchmark::DoNotOptimize(ranked.data());
    }
}
BENCHMARK(BM_CompareSitesTariffs200x50)->Unit(benchmark::kMillisecond)->UseRealTime();

// One site's meter file read (17,520 lines).
void BM_ReadMeterFile(benchmark::State& bench) {
    for (auto _ : bench) {
        const MeterFileRead read = readMeterFile(kDemo + "000001_Interval.csv");
        benchmark::DoNotOptimize(read.intervals.data());
    }
}
BENCHMARK(BM_ReadMeterFile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
