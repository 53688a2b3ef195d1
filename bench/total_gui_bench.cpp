// Choosing a menu in the results window: the form prices the year, the window refreshes every
// control and repaints. Target: at most 10 ms a choice.

#include "calc/total_window.h"
#include "ui/prompt.h"

#include <QApplication>
#include <QComboBox>

#include <benchmark/benchmark.h>

using namespace wattorio;

namespace {

void setUpSite(AppState& state) {
    fillUtilityNames(state);
    state.SiteTable[1] = {"1", "本社ビル", "1", "500", "98", "1", "", "", ""};
    state.SiteRow = 1;
    state.UtilityNo = 1;
    for (int m = 1; m <= 12; ++m)
        for (int b = 0; b <= 3; ++b) {
            state.MonthTotalA[b][m] = 1000.5 * (b + 1) + m;
            state.MonthTotalB[b][m] = 300.25 * (b + 1) + m;
        }
}

// Alternates between two menus of different layouts, so that every choice changes the panel.
void BM_ChooseMenu(benchmark::State& bench) {
    AppState state;
    setUpSite(state);
    ui::QueuedPrompter prompter;
    ui::GuiContext context{state, prompter, {}};
    calc::TotalWindow window(context);
    window.show();
    QApplication::processEvents();
    auto* combo41 = window.findChild<QComboBox*>(QStringLiteral("Combo41"));
    auto* combo45 = window.findChild<QComboBox*>(QStringLiteral("Combo45"));
    int turn = 0;
    for (auto _ : bench) {
        QComboBox* combo = (turn % 2) ? combo45 : combo41;
        const int index = (turn / 2) % 2;
        combo->setCurrentIndex(index);
        emit combo->activated(index);
        QApplication::processEvents();
        window.repaint();
        ++turn;
    }
}
BENCHMARK(BM_ChooseMenu)->Unit(benchmark::kMillisecond);

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
