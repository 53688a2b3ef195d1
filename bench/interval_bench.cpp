// Interval import speed: twelve monthly files of 30-minute values (17,520 rows) read from disk,
// checked and turned into the book's 8,760 hours. Target: at most 50 ms.

#include "csvimport/interval_import.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace wattorio::csvimport;

// The real files when they are there, else twelve files of the same layout written here.
std::vector<std::string> monthlyFiles() {
    std::vector<std::string> paths;
    for (int m = 1; m <= 12; ++m) {
        char name[64];
        std::snprintf(name, sizeof name, "/camsl_140/2018%02d.csv", m);
        paths.push_back(std::string(WATTORIO_REALDATA_DIR) + name);
    }
    std::error_code ec;
    if (std::filesystem::exists(paths.front(), ec))
        return paths;
    paths.clear();
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const auto dir = std::filesystem::temp_directory_path();
    for (int m = 1; m <= 12; ++m) {
        const std::string path = (dir / ("wattorio-interval-bench-" + std::to_string(m) + ".csv")).string();
        std::FILE* f = std::fopen(path.c_str(), "wb");
        for (int d = 1; d <= kDays[m - 1]; ++d)
            for (int k = 0; k < 48; ++k)
                std::fprintf(f, "2018-%02d-%02d %02d:%02d:00,%.1f,%d.0\r\n", m, d, k / 2, k % 2 * 30, k / 2.0,
                             100 + (k * 37 + d) % 400);
        std::fclose(f);
        paths.push_back(path);
    }
    return paths;
}

void BM_TwelveMonthlyFiles(benchmark::State& state) {
    const std::vector<std::string> paths = monthlyFiles();
    IntervalImportOptions o;
    o.read.unit = EnergyUnit::Wh;
    o.read.column = 3;
    for (auto _ : state) {
        auto r = readIntervalImport(paths, o);
        if (!r || r->hours.size() != 8760)
            state.SkipWithError("import failed");
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_TwelveMonthlyFiles)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
