// The carpet view of a full year: the demo office's readings coloured and the widget painted at
// its natural size (target: at most 100 ms). Offscreen unless a platform is given.

#include "yearbook/heatmap_window.h"
#include "yearbook/year_book_file.h"

#include <QApplication>

#include <benchmark/benchmark.h>

using namespace wattorio;

namespace {

AppState demoYear() {
    AppState state;
    yearbook::loadYearBook(state, std::string(WATTORIO_SOURCE_DIR) + "/examples/demo/000001_Y.dat");
    return state;
}

// Opening the view: the widget made, the year coloured, shown and painted.
void BM_OpenHeatmap(benchmark::State& bench) {
    const AppState state = demoYear();
    for (auto _ : bench) {
        auto* w = new yearbook::YearHeatmap;
        w->resize(w->sizeHint());
        w->refresh(state);
        w->show();
        QApplication::processEvents();
        w->repaint();
        bench.PauseTiming();
        delete w;
        QApplication::processEvents();
        bench.ResumeTiming();
    }
}
BENCHMARK(BM_OpenHeatmap)->Unit(benchmark::kMillisecond);

// Drawing the year again after an edit (from the grid texts) on an open view.
void BM_RedrawHeatmapFromGrid(benchmark::State& bench) {
    const AppState state = demoYear();
    TextGrid grid(366, 28, 1, 3);
    for (int r = 1; r <= 365; ++r)
        for (int h = 0; h < 24; ++h)
            grid.setText(
                r, h + 4,
                std::to_string(state.HourData[static_cast<std::size_t>(h)][static_cast<std::size_t>(r)]));
    yearbook::YearHeatmap w;
    w.resize(w.sizeHint());
    w.show();
    QApplication::processEvents();
    for (auto _ : bench) {
        w.refreshFromGrid(grid, state);
        w.repaint();
    }
}
BENCHMARK(BM_RedrawHeatmapFromGrid)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
