// Every site compared at once: 200 generated sites of the nine utilities (year books and every
// tenth a ten-day book, copies of the demo's) priced under their utilities' menus and the demo's
// user menus. Target: at most 1 s for the 200 sites.

#include "registry/registry.h"
#include "reports/site_comparison.h"

#include <benchmark/benchmark.h>

#include <filesystem>

using namespace wattorio;

namespace {

struct Folder {
    std::string dir;
    AppState state;
    std::vector<tariffs::UserMenu> userMenus;

    Folder() {
        namespace fs = std::filesystem;
        dir = (fs::temp_directory_path() / "wattorio_site_bench").string() + "/";
        fs::remove_all(dir);
        fs::create_directories(dir);
        const std::string demo = std::string(WATTORIO_SOURCE_DIR) + "/examples/demo/";
        fs::copy_file(demo + "User_Menus.csv", dir + "User_Menus.csv");
        fillUtilityNames(state);
        state.AppDir = dir;
        for (int row = 1; row <= 200; ++row) {
            const std::string serial = registry::serialText(row);
            const bool tenDay = row % 10 == 0;
            const std::string source = tenDay ? "000003_W.dat" : row % 2 ? "000001_Y.dat" : "000002_Y.dat";
            fs::copy_file(demo + source, registry::Fail_Name_Set(dir, serial, tenDay ? 2 : 1));
            state.SiteTable[static_cast<std::size_t>(row)] = {
                serial, "物件" + std::to_string(row),      "1", "450",
                "98",   std::to_string((row - 1) % 9 + 1), "",  "",
                ""};
        }
        userMenus = tariffs::loadUserMenus(dir).menus;
    }
    ~Folder() { std::filesystem::remove_all(dir); }
};

void BM_CompareSites200(benchmark::State& bench) {
    const Folder folder;
    for (auto _ : bench) {
        std::vector<reports::SiteComparison> sites =
            reports::compareSites(folder.state, 200, folder.userMenus);
        benchmark::DoNotOptimize(sites.data());
    }
}
BENCHMARK(BM_CompareSites200)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
