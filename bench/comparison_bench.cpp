// Ranking every menu against the demo office's year: all 191 menus priced, ranked, re-sorted and
// written as the text table (the window's target is 50 ms; the core should take a small part).

#include "calc/aggregation.h"
#include "calc/comparison.h"
#include "yearbook/year_book_file.h"

#include <benchmark/benchmark.h>

using namespace wattorio;

namespace {

AppState demoSite() {
    AppState state;
    fillUtilityNames(state);
    state.SiteTable[1] = {" 1", "本社ビル", "1", "450", "98", "1", "", "", ""};
    state.SiteRow = 1;
    state.UtilityNo = 1;
    yearbook::loadYearBook(state, std::string(WATTORIO_SOURCE_DIR) + "/examples/demo/000001_Y.dat");
    calc::runMonthTotals(state);
    return state;
}

void BM_RankAllMenus(benchmark::State& bench) {
    const AppState state = demoSite();
    const calc::ComparisonInput input = calc::comparisonInput(state);
    for (auto _ : bench) {
        std::vector<calc::RankedMenu> rows = calc::rankMenus(input, 0);
        benchmark::DoNotOptimize(rows.data());
    }
}
BENCHMARK(BM_RankAllMenus)->Unit(benchmark::kMicrosecond);

void BM_ResortAllMenus(benchmark::State& bench) {
    const AppState state = demoSite();
    const std::vector<calc::RankedMenu> ranked = calc::rankMenus(calc::comparisonInput(state), 0);
    int column = 0;
    for (auto _ : bench) {
        std::vector<calc::RankedMenu> rows = ranked;
        calc::sortRanking(rows, static_cast<calc::RankColumn>(column), column % 2 == 1);
        column = (column + 1) % calc::kRankColumnCount;
        benchmark::DoNotOptimize(rows.data());
    }
}
BENCHMARK(BM_ResortAllMenus)->Unit(benchmark::kMicrosecond);

void BM_RankingTextTable(benchmark::State& bench) {
    const AppState state = demoSite();
    const std::vector<calc::RankedMenu> ranked = calc::rankMenus(calc::comparisonInput(state), 0);
    for (auto _ : bench) {
        std::string text = calc::rankingTable(ranked);
        benchmark::DoNotOptimize(text.data());
    }
}
BENCHMARK(BM_RankingTextTable)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
