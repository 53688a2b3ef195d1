// Reading and writing a file of the year book's size (10,980 list-write lines) through the shared
// helpers, and the start-up read of a full registry.

#include "app/listwrite.h"
#include "registry/menu_form.h"

#include <benchmark/benchmark.h>

#include <filesystem>

using namespace wattorio;

namespace {

std::string bookSizedFile() {
    ListWriter w;
    for (int r = 0; r <= 365; ++r) {
        w.writeString(std::to_string(r % 12 + 1) + "月");
        w.writeString(std::to_string(r % 31 + 1));
    }
    for (int i = 0; i < 732; ++i)
        w.writeNumber(static_cast<float>(i % 3));
    for (int i = 0; i < 9516; ++i)
        w.writeNumber(100.0 + (i % 97) * 1.5);
    return *w.bytes();
}

void BM_WriteBookSizedFile(benchmark::State& state) {
    for (auto _ : state) {
        std::string bytes = bookSizedFile();
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_WriteBookSizedFile)->Unit(benchmark::kMillisecond);

void BM_ReadBookSizedFile(benchmark::State& state) {
    const std::string bytes = bookSizedFile();
    for (auto _ : state) {
        ListReader r = ListReader::fromBytes(bytes);
        double sum = 0;
        for (int i = 0; i < 732; ++i)
            benchmark::DoNotOptimize(r.nextString());
        for (int i = 0; i < 732 + 9516; ++i)
            sum += *r.nextNumber();
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_ReadBookSizedFile)->Unit(benchmark::kMillisecond);

void BM_StartUpWithTwoHundredSites(benchmark::State& state) {
    const std::string dir = (std::filesystem::temp_directory_path() / "wattorio-bench-registry/").string();
    std::filesystem::create_directories(dir);
    {
        AppState s;
        registry::MenuForm f(s);
        f.startUp(dir);
        for (int i = 0; i < 200 && f.nextSiteRow() <= 200; ++i) {
            f.name = "物件" + std::to_string(i);
            f.multiplier = "1";
            f.contract = "100";
            f.powerFactor = "90";
            f.chooseUtility(i % 9);
            f.add();
        }
    }
    for (auto _ : state) {
        AppState s;
        registry::MenuForm f(s);
        benchmark::DoNotOptimize(f.startUp(dir));
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_StartUpWithTwoHundredSites)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
