// The generator files on arbitrary bytes (the first line is the settings file "_Ag.dat", the rest
// the results file "_Ag_G.dat"): never a crash, whatever hours or amounts they hold; results it
// accepts round-trip; a run with the settings read never leaves the grid.

#include "app/text_grid.h"
#include "fuzz_support.h"
#include "yearbook/generator.h"

#include <memory>

using namespace wattorio;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto [settingsBytes, resultsBytes] =
        fuzz::splitAtFirstLine(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string folder = fuzz::freshFolder();
    const std::string ag = folder + "000001_Ag.dat", results = folder + "000001_Ag_G.dat";
    fuzz::put(ag, settingsBytes);
    fuzz::put(results, resultsBytes);

    const yearbook::GeneratorSettingsLoad settings = yearbook::openGeneratorSettings(ag);
    auto state = std::make_unique<AppState>();
    if (yearbook::Data_Lada_AG(*state, results, true)) {
        if (Result<std::string> written = yearbook::generatorResultsBytes(*state)) {
            fuzz::put(results, *written);
            auto again = std::make_unique<AppState>();
            fuzz::require(yearbook::Data_Lada_AG(*again, results, true).ok(), "written results read");
            // Labels are held to the second save (they are stored in their Shift_JIS form).
            fuzz::require(again->GenData == state->GenData && again->DayMark == state->DayMark,
                          "results round-trip");
            fuzz::require(yearbook::generatorResultsBytes(*again).value() == *written,
                          "the second write is byte-identical");
        }
    }
    TextGrid grid(366, 28, 1, 4);
    grid.setText(1, 4, "500");
    grid.setText(365, 27, "500");
    for (const double multiplier : {1.0, 0.001})
        (void)yearbook::simulateGenerator(grid, *state, settings.settings, multiplier);
    return 0;
}
