// The year book's file and grid: reading and writing "_Y.dat" (target: 5 ms each), filling the
// grid from the tables and back, and the whole opening of the book's form.

#include "app/safe_save.h"
#include "yearbook/calendar.h"
#include "yearbook/year_book_file.h"
#include "yearbook/year_book_form.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <unistd.h>

using namespace wattorio;
using namespace wattorio::yearbook;

namespace {

class NoQuestions : public Prompter {
public:
    Answer show(const Message&) override { return Answer::Ok; }
};

const std::string kOffice = std::string(WATTORIO_SOURCE_DIR) + "/examples/demo/000001_Y.dat";

// A scratch folder of this process, removed at the end.
struct Scratch {
    std::string dir =
        (std::filesystem::temp_directory_path() / ("yearbook-bench-" + std::to_string(getpid()))).string() +
        "/";
    Scratch() { std::filesystem::create_directories(dir); }
    ~Scratch() { std::filesystem::remove_all(dir); }
};

std::unique_ptr<AppState> officeState(const std::string& path) {
    auto s = std::make_unique<AppState>();
    fillUtilityNames(*s);
    s->SiteTable[1] = {" 1", "本社ビル", "1", "450", "98", "1", "", "", ""};
    s->SiteRow = 1;
    s->UtilityNo = 1;
    s->CurrentYear = 2025;
    s->SiteDataPath = path;
    return s;
}

void BM_ReadYearBookFile(benchmark::State& bench) {
    auto s = officeState(kOffice);
    for (auto _ : bench) {
        const Status st = loadYearBook(*s, kOffice);
        if (!st)
            bench.SkipWithError(st.error().message.c_str());
    }
}
BENCHMARK(BM_ReadYearBookFile)->Unit(benchmark::kMillisecond);

void BM_EncodeYearBook(benchmark::State& bench) {
    auto s = officeState(kOffice);
    loadYearBook(*s, kOffice);
    for (auto _ : bench)
        benchmark::DoNotOptimize(yearBookBytes(*s));
}
BENCHMARK(BM_EncodeYearBook)->Unit(benchmark::kMillisecond);

// The whole save, including the flush to disk that makes it crash-safe.
void BM_WriteYearBookFile(benchmark::State& bench) {
    Scratch scratch;
    auto s = officeState(kOffice);
    loadYearBook(*s, kOffice);
    const std::string path = scratch.dir + "000001_Y.dat";
    for (auto _ : bench) {
        const Status st = saveYearBook(*s, path);
        if (!st)
            bench.SkipWithError(st.error().message.c_str());
    }
}
BENCHMARK(BM_WriteYearBookFile)->Unit(benchmark::kMillisecond);

void BM_GridFromTablesAndBack(benchmark::State& bench) {
    NoQuestions prompter;
    auto s = officeState(kOffice);
    YearBookForm form(*s, prompter);
    form.Form_Load();
    for (auto _ : bench) {
        form.Grd1_Crt();
        form.Data_set();
    }
}
BENCHMARK(BM_GridFromTablesAndBack)->Unit(benchmark::kMillisecond);

// Opening the book as the window does, without the widgets: captions, grid, file, cells.
void BM_OpenBookForm(benchmark::State& bench) {
    NoQuestions prompter;
    auto s = officeState(kOffice);
    for (auto _ : bench) {
        YearBookForm form(*s, prompter);
        form.Form_Load();
        benchmark::DoNotOptimize(form.grid().text(365, 27));
    }
}
BENCHMARK(BM_OpenBookForm)->Unit(benchmark::kMillisecond);

void BM_AnnualHolidaySetting(benchmark::State& bench) {
    auto s = officeState(kOffice);
    for (auto _ : bench)
        setAnnualHolidays(s->DayMark, 2025, 5, true);
}
BENCHMARK(BM_AnnualHolidaySetting)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
