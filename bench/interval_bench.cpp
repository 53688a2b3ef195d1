// Interval import speed and memory: twelve monthly files of 30-minute values (17,520 rows) read
// from disk, checked and turned into the book's 8,760 hours (target: at most 50 ms and at most
// 50 MB at the peak); a 60 MB file of empty lines, refused at its line bound (target: well under
// a second); a file of 1.6 million rows within every bound, for the memory it takes.
//
// Memory is counted two ways: every allocation of the import through this program's operator new
// (peak_heap_MB: the most held at once during one import, above what was held before it), and the
// process's peak resident size (VmHWM_MB, reset before the runs where the kernel allows).

#include "csvimport/interval_import.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <vector>

namespace {

std::atomic<std::size_t> heldBytes{0};
std::atomic<std::size_t> peakBytes{0};

void* counted(std::size_t n) {
    void* p = std::malloc(n ? n : 1);
    if (!p)
        throw std::bad_alloc();
    const std::size_t now = heldBytes += malloc_usable_size(p);
    for (std::size_t peak = peakBytes; now > peak && !peakBytes.compare_exchange_weak(peak, now);) {
    }
    return p;
}

void uncounted(void* p) {
    if (!p)
        return;
    heldBytes -= malloc_usable_size(p);
    std::free(p);
}

} // namespace

void* operator new(std::size_t n) {
    return counted(n);
}
void* operator new[](std::size_t n) {
    return counted(n);
}
void operator delete(void* p) noexcept {
    uncounted(p);
}
void operator delete[](void* p) noexcept {
    uncounted(p);
}
void operator delete(void* p, std::size_t) noexcept {
    uncounted(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    uncounted(p);
}

namespace {

using namespace wattorio::csvimport;

double megabytes(std::size_t bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

// The process's peak resident size in MB (VmHWM), and its reset.
double peakResidentMb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atof(line.c_str() + 6) / 1024.0;
    return 0;
}
void resetPeakResident() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Runs one import per iteration and reports the most heap it held at once.
template <class Check>
void measure(benchmark::State& state, const std::vector<std::string>& paths, const IntervalImportOptions& o,
             Check check) {
    resetPeakResident();
    std::size_t peak = 0;
    for (auto _ : state) {
        const std::size_t before = heldBytes;
        peakBytes = before;
        auto r = readIntervalImport(paths, o);
        peak = std::max(peak, peakBytes - before);
        if (!check(r))
            state.SkipWithError("unexpected result");
        benchmark::DoNotOptimize(r);
    }
    state.counters["peak_heap_MB"] = megabytes(peak);
    state.counters["VmHWM_MB"] = peakResidentMb();
}

std::string tempFile(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("wattorio-interval-bench-" + name)).string();
}

void writeMonth(std::FILE* f, int year, int month, int days) {
    for (int d = 1; d <= days; ++d)
        for (int k = 0; k < 48; ++k)
            std::fprintf(f, "%04d-%02d-%02d %02d:%02d:00,%.1f,%d.0\r\n", year, month, d, k / 2, k % 2 * 30,
                         k / 2.0, 100 + (k * 37 + d) % 400);
}

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
    for (int m = 1; m <= 12; ++m) {
        paths.push_back(tempFile(std::to_string(m) + ".csv"));
        std::FILE* f = std::fopen(paths.back().c_str(), "wb");
        writeMonth(f, 2018, m, kDays[m - 1]);
        std::fclose(f);
    }
    return paths;
}

IntervalImportOptions camslOptions() {
    IntervalImportOptions o;
    o.read.unit = EnergyUnit::Wh;
    o.read.column = 3;
    return o;
}

void BM_TwelveMonthlyFiles(benchmark::State& state) {
    measure(state, monthlyFiles(), camslOptions(),
            [](const auto& r) { return r && r->hours.size() == 8760 && r->intervals.size() == 17520; });
}
BENCHMARK(BM_TwelveMonthlyFiles)->Unit(benchmark::kMillisecond);

void BM_SixtyMegabytesOfEmptyLines(benchmark::State& state) {
    const std::string path = tempFile("empty-lines.csv");
    std::ofstream(path, std::ios::binary) << std::string(60u << 20, '\n');
    measure(state, {path}, camslOptions(), [](const auto& r) { return !r; });
    std::filesystem::remove(path);
}
BENCHMARK(BM_SixtyMegabytesOfEmptyLines)->Unit(benchmark::kMillisecond);

// A century of 30-minute values (1.6 million rows, 48 MB; one year of them is placed).
void BM_SixtyMegabyteFile(benchmark::State& state) {
    const std::string path = tempFile("large.csv");
    std::FILE* f = std::fopen(path.c_str(), "wb");
    for (int year = 2000; year < 2100; ++year)
        for (int m = 1; m <= 12; ++m)
            writeMonth(f, year, m, 28);
    std::fclose(f);
    measure(state, {path}, camslOptions(), [](const auto& r) { return r && !r->hours.empty(); });
    std::filesystem::remove(path);
}
BENCHMARK(BM_SixtyMegabyteFile)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
