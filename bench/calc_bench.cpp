// Pricing speed: a year aggregated and priced under every menu, and one menu chosen on the
// results form.

#include "calc/aggregation.h"
#include "calc/charges.h"
#include "calc/total_form.h"
#include "registry/registry.h"
#include "reports/analysis.h"
#include "yearbook/year_book_file.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using namespace wattorio;

class NoQuestions : public Prompter {
public:
    Answer show(const Message&) override { return Answer::Ok; }
};

// An office year: weekday daytime plateau, a summer cooling peak, Sundays and Saturdays off.
std::unique_ptr<AppState> officeYear(float utility) {
    auto s = std::make_unique<AppState>();
    fillUtilityNames(*s);
    s->SiteTable[1] = SiteRecord{" 1", "本社", "20", "450", "98", "1", "", "", ""};
    s->SiteRow = 1;
    s->UtilityNo = utility;
    for (int d = 1; d <= 365; ++d) {
        const bool off = d % 7 == 5 || d % 7 == 4;
        s->DayMark[d][0] = off ? 1 : 0;
        const double summer = d >= 182 && d <= 273 ? 1.4 : 1.0;
        for (int h = 0; h < 24; ++h) {
            const double base = (h >= 8 && h <= 19 && !off) ? 20 : 6;
            s->HourData[h][d] = base * summer + std::fmod(d * 7 + h * 3, 5) * 0.25;
        }
    }
    return s;
}

void BM_AggregateAndPriceAllMenus(benchmark::State& bench) {
    auto s = officeYear(1);
    const double contract = s->currentSiteValue(3);
    const double pf = s->currentSiteValue(4);
    for (auto _ : bench) {
        calc::runMonthTotals(*s);
        const calc::SeasonTable season = calc::seasonTotals(*s);
        double sum = 0;
        for (const tariffs::TariffMenu& m : tariffs::allMenus())
            sum += calc::priceMenu(m, season, contract, pf).charges.totalWithTax;
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_AggregateAndPriceAllMenus)->Unit(benchmark::kMicrosecond);

void BM_AnalysesOfTheYear(benchmark::State& bench) {
    auto s = officeYear(1);
    for (auto _ : bench) {
        reports::Demd(*s);
        reports::Heikin(*s);
        benchmark::DoNotOptimize(s->HourAverage[12]);
    }
}
BENCHMARK(BM_AnalysesOfTheYear)->Unit(benchmark::kMicrosecond);

// What the window does when a list item is chosen (the window's refresh aside).
void BM_ChooseMenuOnTheForm(benchmark::State& bench) {
    auto s = officeYear(1);
    calc::runMonthTotals(*s);
    calc::TotalForm form(*s);
    form.Form_Load();
    NoQuestions ok;
    int i = 0;
    const int lists[] = {41, 42, 44, 45, 46};
    for (auto _ : bench) {
        form.ApplyTariffMenu(lists[i % 5], i % 2, ok);
        ++i;
        benchmark::DoNotOptimize(form.total());
    }
}
BENCHMARK(BM_ChooseMenuOnTheForm)->Unit(benchmark::kMicrosecond);

// The command line's comparison: every menu on a fresh copy of the loaded form.
void BM_CompareAllMenusOnFreshPanels(benchmark::State& bench) {
    auto s = officeYear(1);
    calc::runMonthTotals(*s);
    calc::TotalForm base(*s);
    base.Form_Load();
    NoQuestions ok;
    for (auto _ : bench) {
        double sum = 0;
        for (const tariffs::TariffMenu& m : tariffs::allMenus()) {
            calc::TotalForm form = base;
            form.ApplyTariffMenu(m.list, m.index, ok);
            sum += form.totalWithTax();
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_CompareAllMenusOnFreshPanels)->Unit(benchmark::kMicrosecond);

// `wattorio-cli compare --all-utilities --json` on a registered office with a full year book,
// from process start to exit (the program is found next to this one in the build tree).
void BM_CliCompareAllUtilities(benchmark::State& bench) {
    namespace fs = std::filesystem;
    const fs::path cli =
        fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "src/cli/wattorio-cli";
    if (!fs::exists(cli)) {
        bench.SkipWithError("wattorio-cli is not built");
        return;
    }
    char folder[] = "/tmp/wattorio-bench-XXXXXX";
    if (!mkdtemp(folder)) {
        bench.SkipWithError("no temporary folder");
        return;
    }
    auto s = officeYear(1);
    s->AppDir = std::string(folder) + "/";
    s->SaihanValue = 2;
    registry::saveRegistry(*s, 2);
    for (int d = 1; d <= 365; ++d)
        s->DayCode[d] = {yearbook::monthLabel(d), yearbook::dayLabel(d)};
    yearbook::saveYearBook(*s, registry::Fail_Name_Set(s->AppDir, " 1", 1));

    const std::string program = cli.string();
    std::vector<std::string> words = {program, "--dir",           folder,  "compare", "--site",
                                      "1",     "--all-utilities", "--json"};
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    rusage before{};
    getrusage(RUSAGE_CHILDREN, &before);
    for (auto _ : bench) {
        pid_t pid = 0;
        if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
            bench.SkipWithError("cannot start wattorio-cli");
            break;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            bench.SkipWithError("wattorio-cli failed");
            break;
        }
    }
    rusage after{};
    getrusage(RUSAGE_CHILDREN, &after);
    // The program's own processor time, which the machine's load does not inflate.
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    bench.counters["child_cpu_ms"] = benchmark::Counter(
        (ms(after.ru_utime) - ms(before.ru_utime) + ms(after.ru_stime) - ms(before.ru_stime)) /
        static_cast<double>(bench.iterations()));
    posix_spawn_file_actions_destroy(&actions);
    fs::remove_all(folder);
}
BENCHMARK(BM_CliCompareAllUtilities)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30);

} // namespace

BENCHMARK_MAIN();
