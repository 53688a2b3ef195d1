#pragma once
// The site registry: W_Saihan.dat (the next serial) and Mt_Menu.dat (nine quoted lines a site),
// loading with recovery, saving, and the file names of a site's books.

#include "app/app_state.h"
#include "app/result.h"

#include <string>
#include <vector>

namespace wattorio::registry {

constexpr const char* kSerialFile = "W_Saihan.dat";
constexpr const char* kRegistryFile = "Mt_Menu.dat";

enum class BookKind { Year = 1, TenDay = 2 };

// Fail_Name_Set: the full path of a site's book file. The stem is the serial without blanks,
// zero-padded to six digits (a longer serial is used whole); kind 1 gives "_Y.dat", 2 "_W.dat".
std::string Fail_Name_Set(const std::string& appDir, const std::string& serial, int kind);
// The serial text of a new site: a blank followed by the number (" 1").
std::string serialText(float saihanValue);

struct LoadReport {
    int sitesRead = 0;
    // What start-up set aside or could not read, for one message to the user ("" when nothing).
    std::string problems;
    std::vector<std::string> backups; // copies kept of damaged files
};

// Start-up steps 5 to 9 with recovery: reads both files of state.AppDir into the state and
// returns the number of registered sites + 1 (NextSiteRow). Never loses a stored record: a
// damaged or half-present registry is copied aside before anything can overwrite it.
struct Loaded {
    float nextSiteRow = 1;
    LoadReport report;
};
Loaded loadRegistry(AppState& state);

// Data_Save: rewrites both files (crash-safe) from rows 1 .. nextSiteRow - 1.
Status saveRegistry(const AppState& state, float nextSiteRow);

// The bytes of Mt_Menu.dat / one transfer record for the given rows.
Result<std::string> recordBytes(const SiteRecord& record);

} // namespace wattorio::registry
