// The comparison window from the button to the painted table of all 191 menus (target: at most
// 50 ms), over a results form loaded for the demo office. Offscreen unless a platform is given.

#include "calc/aggregation.h"
#include "calc/comparison_window.h"
#include "calc/total_form.h"
#include "ui/gui_context.h"
#include "ui/prompt.h"
#include "yearbook/year_book_file.h"

#include <QApplication>
#include <QCheckBox>

#include <benchmark/benchmark.h>

using namespace wattorio;

namespace {

void setUp(AppState& state) {
    fillUtilityNames(state);
    state.SiteTable[1] = {" 1", "本社ビル", "1", "450", "98", "1", "", "", ""};
    state.SiteRow = 1;
    state.UtilityNo = 1;
    yearbook::loadYearBook(state, std::string(WATTORIO_SOURCE_DIR) + "/examples/demo/000001_Y.dat");
    calc::runMonthTotals(state);
}

void openComparison(benchmark::State& bench, bool allUtilities) {
    AppState state;
    setUp(state);
    ui::QueuedPrompter prompter;
    ui::GuiContext context{state, prompter, {}};
    calc::TotalForm total(state);
    total.Form_Load();
    context.total = &total;
    for (auto _ : bench) {
        auto* w = qobject_cast<calc::ComparisonWindow*>(ui::showWindow(context, "Comparison"));
        if (!w) {
            bench.SkipWithError("no comparison window");
            return;
        }
        if (allUtilities)
            w->findChild<QCheckBox*>(QStringLiteral("AllUtilities"))->setChecked(true);
        QApplication::processEvents();
        w->repaint();
        bench.PauseTiming();
        delete w;
        QApplication::processEvents();
        bench.ResumeTiming();
    }
}

void BM_OpenComparisonOneUtility(benchmark::State& bench) {
    openComparison(bench, false);
}
BENCHMARK(BM_OpenComparisonOneUtility)->Unit(benchmark::kMillisecond);

void BM_OpenComparisonAllUtilities(benchmark::State& bench) {
    openComparison(bench, true);
}
BENCHMARK(BM_OpenComparisonAllUtilities)->Unit(benchmark::kMillisecond);

// A click on a heading: all 191 menus re-sorted and the table painted again.
void BM_SortAllUtilitiesByHeading(benchmark::State& bench) {
    AppState state;
    setUp(state);
    ui::QueuedPrompter prompter;
    ui::GuiContext context{state, prompter, {}};
    auto* w = qobject_cast<calc::ComparisonWindow*>(ui::showWindow(context, "Comparison"));
    if (!w) {
        bench.SkipWithError("no comparison window");
        return;
    }
    w->findChild<QCheckBox*>(QStringLiteral("AllUtilities"))->setChecked(true);
    QApplication::processEvents();
    int column = 0;
    for (auto _ : bench) {
        w->form().sortBy(static_cast<calc::RankColumn>(column));
        w->model()->reload(nullptr);
        w->repaint();
        column = (column + 1) % calc::kRankColumnCount;
    }
    delete w;
}
BENCHMARK(BM_SortAllUtilitiesByHeading)->Unit(benchmark::kMillisecond);

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
