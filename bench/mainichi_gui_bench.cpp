// Opening the year book window on a full year: the file read, the tables, the grid built and the
// window shown and painted (target: at most 100 ms). Offscreen unless a platform is given.

#include "ui/gui_context.h"
#include "ui/prompt.h"
#include "yearbook/mainichi_window.h"

#include <QApplication>

#include <benchmark/benchmark.h>

using namespace wattorio;

namespace {

const std::string kOffice = std::string(WATTORIO_SOURCE_DIR) + "/examples/demo/000001_Y.dat";

void BM_OpenYearBookWindow(benchmark::State& bench) {
    AppState state;
    fillUtilityNames(state);
    state.SiteTable[1] = {" 1", "本社ビル", "1", "450", "98", "1", "", "", ""};
    state.SiteRow = 1;
    state.UtilityNo = 1;
    state.CurrentYear = 2025;
    state.SiteDataPath = kOffice;
    ui::QueuedPrompter prompter;
    ui::GuiContext context{state, prompter, {}};
    for (auto _ : bench) {
        QWidget* w = ui::showWindow(context, "Mainichi");
        if (!w) {
            bench.SkipWithError("no year book window");
            return;
        }
        QApplication::processEvents();
        w->repaint();
        bench.PauseTiming();
        delete w;
        QApplication::processEvents();
        bench.ResumeTiming();
    }
}
BENCHMARK(BM_OpenYearBookWindow)->Unit(benchmark::kMillisecond);

// Refilling every cell of the shown grid (the annual holiday setting, the energy view).
void BM_RefillShownGrid(benchmark::State& bench) {
    AppState state;
    fillUtilityNames(state);
    state.SiteTable[1] = {" 1", "本社ビル", "1", "450", "98", "1", "", "", ""};
    state.SiteRow = 1;
    state.UtilityNo = 1;
    state.CurrentYear = 2025;
    state.SiteDataPath = kOffice;
    ui::QueuedPrompter prompter;
    ui::GuiContext context{state, prompter, {}};
    auto* w = qobject_cast<yearbook::MainichiWindow*>(ui::showWindow(context, "Mainichi"));
    if (!w) {
        bench.SkipWithError("no year book window");
        return;
    }
    QApplication::processEvents();
    for (auto _ : bench) {
        w->form().Denriyoku_Crt_Click();
        QApplication::processEvents();
        w->repaint();
    }
    delete w;
}
BENCHMARK(BM_RefillShownGrid)->Unit(benchmark::kMillisecond);

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
