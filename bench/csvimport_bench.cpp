// CSV import speed: a full year vertical (8,760 lines) and horizontal (365 lines), the real
// area-demand file, and the memory held while reading a file of one huge line.

#include "csvimport/csv_import.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using namespace wattorio;
using namespace wattorio::csvimport;

// A file in the system's temporary folder, removed at the end of the benchmark.
class TempFile {
public:
    explicit TempFile(const std::string& bytes)
        : path_((std::filesystem::temp_directory_path() /
                 ("wattorio-bench-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++) + ".csv"))
                    .string()) {
        std::FILE* f = std::fopen(path_.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    ~TempFile() { std::remove(path_.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& path() const { return path_; }

private:
    static inline int counter_ = 0;
    std::string path_;
};

std::string verticalYear() {
    std::string s = "DATE,TIME,kWh\r\n";
    for (int d = 0; d < 365; ++d)
        for (int h = 0; h < 24; ++h)
            s += "2019/1/1," + std::to_string(h) + ":00," + std::to_string(1000 + (d * 24 + h) % 977) +
                 ".5\r\n";
    return s;
}

std::string horizontalYear() {
    std::string s = "No,月,日";
    for (int h = 0; h < 24; ++h)
        s += "," + std::to_string(h) + "時";
    s += "\r\n";
    for (int d = 1; d <= 365; ++d) {
        s += std::to_string(d) + ",1月," + std::to_string(d);
        for (int h = 0; h < 24; ++h)
            s += "," + std::to_string(1000 + (d * 24 + h) % 977) + ".25";
        s += "\r\n";
    }
    return s;
}

void importOnce(benchmark::State& state, const std::string& path, const CsvImportOptions& options) {
    for (auto _ : state) {
        TextGrid grid(366, 28, 1, 3);
        auto r = importCsv(path, options, grid);
        if (!r || r->valuesPlaced != 8760)
            state.SkipWithError("import failed");
        benchmark::DoNotOptimize(grid);
    }
}

void BM_VerticalYear(benchmark::State& state) {
    TempFile file(verticalYear());
    importOnce(state, file.path(), {CsvLayout::Vertical, 1, 3, 1, 1, 365});
}
BENCHMARK(BM_VerticalYear)->Unit(benchmark::kMillisecond);

void BM_HorizontalYear(benchmark::State& state) {
    TempFile file(horizontalYear());
    importOnce(state, file.path(), ownSheetFormat());
}
BENCHMARK(BM_HorizontalYear)->Unit(benchmark::kMillisecond);

void BM_RealAreaDemandFile(benchmark::State& state) {
    importOnce(state, std::string(WATTORIO_REALDATA_DIR) + "/tepco_juyo-2019.csv",
               {CsvLayout::Vertical, 3, 3, 1, 1, 365});
}
BENCHMARK(BM_RealAreaDemandFile)->Unit(benchmark::kMillisecond);

// One line of 100 MB without a line end: the reading ends, and the peak memory of the process
// (reported as a counter) stays far below the file's size.
void BM_OneHundredMegabyteLine(benchmark::State& state) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("wattorio-bench-" + std::to_string(::getpid()) + "-big.csv"))
                                 .string();
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        const std::string block(1 << 20, '7');
        for (int i = 0; i < 100; ++i)
            std::fwrite(block.data(), 1, block.size(), f);
        std::fclose(f);
    }
    for (auto _ : state) {
        TextGrid grid(366, 28, 1, 3);
        auto r = importCsv(path, {CsvLayout::Horizontal, 0, 1, 1, 1, 365}, grid);
        benchmark::DoNotOptimize(r);
    }
    std::remove(path.c_str());
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_OneHundredMegabyteLine)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

BENCHMARK_MAIN();
