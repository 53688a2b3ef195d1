#pragma once
// A site whose year is real: the hourly readings of a university building in 2019 (kWh per hour,
// read in place from the public data folder), Sundays and 1-3 January as holidays, Saturdays taken
// as days off; aggregated and analysed as "電気代計算" does. Used by the comparison, chart and
// carpet window tests.

#include "app/app_state.h"
#include "calc/aggregation.h"
#include "reports/analysis.h"

#include <QDir>
#include <QString>
#include <QWidget>

#include <fstream>
#include <string>

namespace wattorio::test {

// Reads the 8,760 hourly values into HourData; false when the file is not there.
inline bool loadRealYear(AppState& state) {
    std::ifstream in(std::string(WATTORIO_REALDATA_DIR) + "/ucam_building_b21_electricity_2019.csv");
    if (!in)
        return false;
    std::string line;
    std::getline(in, line); // heading
    for (int r = 1; r <= 365; ++r) {
        for (int h = 0; h < 24; ++h) {
            if (!std::getline(in, line))
                return false;
            state.HourData[static_cast<std::size_t>(h)][static_cast<std::size_t>(r)] =
                std::stod(line.substr(line.find(',') + 1));
        }
        const int weekday = (r + 1) % 7; // 1 January 2019 was a Tuesday; 0 = Sunday
        const float mark = weekday == 0 || r <= 3 ? 1.0f : weekday == 6 ? 2.0f : 0.0f;
        state.DayMark[static_cast<std::size_t>(r)][0] = mark;
    }
    return true;
}

// Site row 1 of utility `utility` with the real year, aggregated and analysed.
inline bool setUpRealSite(AppState& state, int utility, const std::string& contract = "900") {
    fillUtilityNames(state);
    state.VersionText = "テスト版";
    state.SiteTable[1] = {"1", "研究棟Ｂ２１", "1", contract, "98", std::to_string(utility), "", "", ""};
    state.SiteRow = 1;
    state.UtilityNo = static_cast<float>(utility);
    if (!loadRealYear(state))
        return false;
    calc::runMonthTotals(state);
    reports::Demd(state);
    reports::Heikin(state);
    return true;
}

// Saves a picture of a widget into /tmp/wattorio-compare-shots/ for looking at it.
inline QString shotPath(const char* name) {
    const QString dir = QStringLiteral("/tmp/wattorio-compare-shots");
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + QLatin1String(name);
}

inline void screenshot(QWidget& w, const char* name) {
    w.grab().save(shotPath(name));
}

} // namespace wattorio::test
