#pragma once
// The on-site generator: its settings file ("_Ag.dat"), its results file ("_Ag_G.dat", laid out
// like the year book with GenData in place of HourData) and the simulation over the book grid.

#include "app/app_state.h"
#include "app/message.h"
#include "app/result.h"
#include "app/text_grid.h"

#include <string>

namespace wattorio::yearbook {

// The five fields as typed: Combo3 (運転開始), Combo4 (運転終了), Text2 (発電最大 kW),
// Text3 (発電最小 kW), Text4 (電力供給最低電力 kW).
struct GeneratorSettings {
    std::string start;
    std::string end;
    std::string capacity;
    std::string minOutput;
    std::string minPurchase;
    bool operator==(const GeneratorSettings&) const = default;
};

// Load_Ag: the settings file; an error when it is missing or unreadable (the fields stay empty).
Result<GeneratorSettings> Load_Ag(const std::string& agPath);
// The settings file as one statement of five quoted strings.
Status saveGeneratorSettings(const std::string& agPath, const GeneratorSettings& settings);

// Data_Lada_AG: GenData := 0, then the results file. With takeLabels false the stored DayCode
// and DayMark are skipped and the book's own are kept (what a generator run does).
// A missing file is not an error (GenData stays 0).
Status Data_Lada_AG(AppState& state, const std::string& resultsPath, bool takeLabels);
// Data_save_AG: DayCode, DayMark and GenData to the results file (crash-safe).
Status Data_save_AG(const AppState& state, const std::string& resultsPath);

// One run over the year book grid (rows 1..365, hour h in column h + 4): reduces the cells of
// the window's hours and adds the reductions to state.GenData. The multiplier is the site's
// (SiteRecord column 2); a multiplier that reads as 0 refuses the run with a message and
// changes nothing.
Status simulateGenerator(TextGrid& grid, AppState& state, const GeneratorSettings& settings, double multiplier);

// The single-hour decision, in meter units (exposed for tests).
float generatorDecision(float x, float cap, float minGen, float minSup);

} // namespace wattorio::yearbook
