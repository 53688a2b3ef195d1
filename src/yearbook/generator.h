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
// The settings as the book opens them: a missing file gives empty fields; a damaged one gives
// empty fields too, after a copy of it is kept aside ("_Ag.dat.bak"), and a note for the user.
// When no copy can be made, `keepUnwritten` tells the caller not to save over the file.
struct GeneratorSettingsLoad {
    GeneratorSettings settings;
    std::string note; // "" unless the file was damaged
    bool keepUnwritten = false;
};
GeneratorSettingsLoad openGeneratorSettings(const std::string& agPath);
// The settings file as one statement of five quoted strings.
Result<std::string> generatorSettingsBytes(const GeneratorSettings& settings);
Status saveGeneratorSettings(const std::string& agPath, const GeneratorSettings& settings);

// Data_Lada_AG: GenData := 0, then the results file. With takeLabels false the stored DayCode
// and DayMark are skipped and the book's own are kept (what a generator run does).
// A missing file is not an error (GenData stays 0). A damaged file is an error: the labels and
// classes are then not taken, and GenData keeps the amounts read before the damage.
Status Data_Lada_AG(AppState& state, const std::string& resultsPath, bool takeLabels);
// Data_save_AG: DayCode, DayMark and GenData to the results file (crash-safe). A value outside
// the book range (isBookValue) refuses the save.
Result<std::string> generatorResultsBytes(const AppState& state);
Status Data_save_AG(const AppState& state, const std::string& resultsPath);

// The three files a generator run changes.
struct GeneratorRunFiles {
    std::string book;     // "_Y.dat"
    std::string results;  // "_Ag_G.dat"
    std::string settings; // "_Ag.dat"
};
// Saves a run as one step as far as a crash allows: the year book (HourData), the results and the
// settings are all written to temporaries first and only then renamed over the old files.
Status saveGeneratorRun(const AppState& state, const GeneratorSettings& settings,
                        const GeneratorRunFiles& files);

// The working values in meter units: StartH, EndH (leading numbers of the hour texts) and
// Cap, MinGen, MinSup (the kW texts divided by the multiplier); all 0 for a multiplier of 0.
struct GeneratorValues {
    float startH = 0;
    float endH = 0;
    float cap = 0;
    float minGen = 0;
    float minSup = 0;
};
GeneratorValues generatorValues(const GeneratorSettings& settings, double multiplier);

// The inputs a run refuses, with the message for the user (title "入力エラー", see inputError):
// a start or end hour outside 0..23 (an empty one is 0), a multiplier that is not above 0 (it reads as 0 when
// empty or not a number, and would divide by zero), and a negative capacity, minimum output or minimum
// purchase.
Status checkGenerator(const GeneratorSettings& settings, double multiplier);

// One run over the year book grid (rows 1..365, hour h in column h + 4): reduces the cells of
// the window's hours (each rewritten as the shortest single-precision text) and adds the
// reductions to state.GenData. The multiplier is the
// site's (SiteRecord column 2). Refused inputs (checkGenerator) change nothing.
Status simulateGenerator(TextGrid& grid, AppState& state, const GeneratorSettings& settings,
                         double multiplier);

// Steps 2 to 4 of "計　算" after the view check: checkGenerator, Data_Lada_AG without the stored
// labels and classes, then simulateGenerator. A damaged results file refuses the run too, with
// GenData and the grid unchanged; a missing one starts the totals at 0.
Status runGenerator(TextGrid& grid, AppState& state, const GeneratorSettings& settings, double multiplier,
                    const std::string& resultsPath);

// The single-hour decision, in meter units: the new reading. Sums are compared in single
// precision. A reading at or below the minimum purchase is never raised to it.
float generatorDecision(float x, float cap, float minGen, float minSup);

} // namespace wattorio::yearbook
