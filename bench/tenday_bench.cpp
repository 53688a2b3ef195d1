// The ten-day book's file, totals and grid work on a full book.

#include "app/app_state.h"
#include "app/safe_save.h"
#include "tenday/ten_day_csv.h"
#include "tenday/ten_day_file.h"
#include "tenday/ten_day_form.h"
#include "tenday/ten_day_totals.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

using namespace wattorio;

namespace {

std::unique_ptr<AppState> fullBook() {
    auto s = std::make_unique<AppState>();
    s->SiteTable[1] = {" 3", "ビル", "40", "300", "100", "2", "", "", ""};
    s->SiteRow = 1;
    s->UtilityNo = 2;
    tenday::newTenDayBook(*s);
    for (int r = 1; r <= tenday::kTenDayRows; ++r)
        for (int h = 0; h < 24; ++h)
            s->HourData[h][r] = 100.0 + r * 3.25 + h * 17.5;
    return s;
}

std::string tempPath(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

void BM_YearTotals(benchmark::State& st) {
    auto s = fullBook();
    for (auto _ : st) {
        tenday::Yer_Total(*s);
        benchmark::DoNotOptimize(s->MonthTotalA);
    }
}
BENCHMARK(BM_YearTotals);

void BM_FileImage(benchmark::State& st) {
    auto s = fullBook();
    for (auto _ : st)
        benchmark::DoNotOptimize(tenday::tenDayBookBytes(*s));
}
BENCHMARK(BM_FileImage);

void BM_Load(benchmark::State& st) {
    auto s = fullBook();
    const std::string path = tempPath("tenday_bench_W.dat");
    tenday::saveTenDayBook(*s, path);
    for (auto _ : st)
        benchmark::DoNotOptimize(tenday::readTenDayBook(*s, path));
    std::remove(path.c_str());
}
BENCHMARK(BM_Load);

void BM_OpenForm(benchmark::State& st) {
    auto s = fullBook();
    s->SiteDataPath = tempPath("tenday_bench_form_W.dat");
    tenday::saveTenDayBook(*s, s->SiteDataPath);
    for (auto _ : st) {
        tenday::TenDayForm form(*s);
        benchmark::DoNotOptimize(form.Form_Load());
    }
    std::remove(s->SiteDataPath.c_str());
}
BENCHMARK(BM_OpenForm);

void BM_TakeOverAndTotals(benchmark::State& st) {
    auto s = fullBook();
    s->SiteDataPath = tempPath("tenday_bench_calc_W.dat");
    tenday::saveTenDayBook(*s, s->SiteDataPath);
    tenday::TenDayForm form(*s);
    form.Form_Load();
    form.Edit_Flg = 1;
    for (auto _ : st)
        benchmark::DoNotOptimize(form.calculate());
    std::remove(s->SiteDataPath.c_str());
}
BENCHMARK(BM_TakeOverAndTotals);

void BM_CsvSheet(benchmark::State& st) {
    std::string csv = "月,日付,日数";
    for (int h = 0; h < 24; ++h)
        csv += "," + std::to_string(h) + "時";
    csv += "\r\n";
    for (int r = 1; r <= 48; ++r) {
        csv += "1月,1日から10日,6";
        for (int h = 0; h < 24; ++h)
            csv += "," + std::to_string(1000 + r * h);
        csv += "\r\n";
    }
    TextGrid grid(tenday::kGridRows, tenday::kGridCols, 1, tenday::kFixedCols);
    for (auto _ : st)
        benchmark::DoNotOptimize(tenday::placeTenDayCsv(csv, grid));
}
BENCHMARK(BM_CsvSheet);

} // namespace

BENCHMARK_MAIN();
