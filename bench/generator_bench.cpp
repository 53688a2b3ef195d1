// Generator speed: one run over a whole year of the book grid (9 hours a day, 365 days) and one
// over all 24 hours.

#include "app/numtext.h"
#include "yearbook/generator.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace {

using namespace wattorio;
using namespace wattorio::yearbook;

TextGrid yearGrid() {
    TextGrid grid(366, 28, 1, 3);
    for (int r = 1; r <= 365; ++r)
        for (int h = 0; h < 24; ++h)
            grid.setText(r, h + 4, numberText(40.0 + std::fmod(r * 7.0 + h * 13.0, 180.0) + 0.5));
    return grid;
}

void runYear(benchmark::State& state, const GeneratorSettings& settings) {
    const TextGrid original = yearGrid();
    auto app = std::make_unique<AppState>();
    for (auto _ : state) {
        state.PauseTiming();
        TextGrid grid = original;
        state.ResumeTiming();
        if (!simulateGenerator(grid, *app, settings, 1))
            state.SkipWithError("refused");
        benchmark::DoNotOptimize(grid);
    }
}

void BM_GeneratorWorkingDayWindow(benchmark::State& state) {
    runYear(state, {"9時", "17時", "100", "20", "30"});
}
BENCHMARK(BM_GeneratorWorkingDayWindow)->Unit(benchmark::kMillisecond);

void BM_GeneratorWholeDay(benchmark::State& state) {
    runYear(state, {"0時", "23時", "100", "20", "30"});
}
BENCHMARK(BM_GeneratorWholeDay)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
