#pragma once
// The site registry: W_Saihan.dat (the next serial) and Mt_Menu.dat (nine quoted lines a site),
// loading with recovery, saving, and the file names of a site's books.

#include "app/app_state.h"
#include "app/result.h"

#include <optional>
#include <string>
#include <vector>

namespace wattorio::registry {

constexpr const char* kSerialFile = "W_Saihan.dat";
constexpr const char* kRegistryFile = "Mt_Menu.dat";

enum class BookKind { Year = 1, TenDay = 2 };

// Serials are whole numbers 1 .. 999999: six digits name a site's files.
constexpr int kMaxSerial = 999999;
// A stored serial: leading blanks, then one to six decimal digits (" 12").
bool isSerial(const std::string& text);

// Fail_Name_Set: the full path of a site's book file. The stem is the serial without blanks,
// zero-padded to six digits; kind 1 gives "_Y.dat", 2 "_W.dat". "" for a text that is no serial,
// so that nothing can name a file elsewhere.
std::string Fail_Name_Set(const std::string& appDir, const std::string& serial, int kind);
// The serial text of a new site: a blank followed by the number (" 1").
std::string serialText(int serial);

// Why a field cannot be stored ("" when it can): the file has no escape for a double quote, a
// line break or another control character, so any of them would end the field early.
std::string storedFieldProblem(const std::string& text);

// The first serial from state.SaihanValue on that no registered site (rows 1 .. nextRow - 1)
// uses and whose files ("_Y.dat", "_W.dat", "_Ag.dat", "_Ag_G.dat", or anything else at those
// names) do not exist; nothing when every serial up to kMaxSerial is taken.
std::optional<int> freeSerial(const AppState& state, int nextRow);
// The refusal when freeSerial finds none.
std::string serialsExhausted();

struct LoadReport {
    int sitesRead = 0;
    // What start-up set aside or could not read, for one message to the user ("" when nothing).
    std::string problems;
    std::vector<std::string> backups; // copies kept of damaged files
    // A damaged file could not be copied aside: it must not be rewritten in this run.
    bool saveBlocked = false;
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
