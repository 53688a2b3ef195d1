// The largest report, the year book grid (366 rows x 27 columns), built and written as a
// workbook. Target: at most 50 ms from the grid to the finished file.

#include "reports/report_layout.h"
#include "reports/workbook_file.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using namespace wattorio;

// A full year book grid: headings, labels, weekday column and a reading in every hour cell.
TextGrid fullYearGrid() {
    TextGrid g(366, 28, 1, 3);
    g.setText(0, 0, "No");
    g.setText(0, 1, "月");
    g.setText(0, 2, "日付");
    g.setText(0, 3, "曜日");
    for (int h = 0; h < 24; ++h)
        g.setText(0, h + 4, std::to_string(h) + "時");
    unsigned seed = 12345;
    for (int r = 1; r <= 365; ++r) {
        g.setText(r, 0, std::to_string(r));
        g.setText(r, 1, std::to_string((r - 1) / 31 + 1) + "月");
        g.setText(r, 2, std::to_string((r - 1) % 31 + 1));
        g.setText(r, 3, r % 7 == 0 ? "休日" : " 平");
        for (int h = 0; h < 24; ++h) {
            seed = seed * 1103515245u + 12345u;
            g.setText(r, h + 4, std::to_string(100 + seed % 900) + "." + std::to_string(seed % 10));
        }
    }
    return g;
}

struct Folder {
    std::string path;
    Folder() {
        std::string t = (std::filesystem::temp_directory_path() / "wattorio-bench-XXXXXX").string();
        path = ::mkdtemp(t.data()) ? t + "/" : std::string();
    }
    ~Folder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

void BM_YearBookReportToFile(benchmark::State& state) {
    const TextGrid grid = fullYearGrid();
    Folder folder;
    const std::string path = folder.path + "year.xlsx";
    for (auto _ : state) {
        const reports::ReportLayout layout = reports::yearBookReport(grid);
        const Status written = reports::writeWorkbook(layout, path);
        if (!written)
            state.SkipWithError(written.error().message.c_str());
        benchmark::DoNotOptimize(layout.cells.data());
    }
}
BENCHMARK(BM_YearBookReportToFile)->Unit(benchmark::kMillisecond);

void BM_YearBookLayoutOnly(benchmark::State& state) {
    const TextGrid grid = fullYearGrid();
    for (auto _ : state) {
        const reports::ReportLayout layout = reports::yearBookReport(grid);
        benchmark::DoNotOptimize(layout.cells.data());
    }
}
BENCHMARK(BM_YearBookLayoutOnly)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
