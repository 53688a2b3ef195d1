#pragma once
// The state every window shares for the whole run: the registry, the current site, the book
// tables of whichever book is open, the monthly totals and the analysis tables. One instance,
// owned by main and passed by reference.

#include <array>
#include <map>
#include <set>
#include <string>

namespace wattorio {

constexpr int kMaxSiteRows = 202; // SiteTable rows 0..201; sites occupy 1..200
constexpr int kMaxSites = 200;
constexpr int kSiteFields = 9;
constexpr int kBookRows = 371; // book tables rows 0..370
constexpr int kHourSlots = 26; // HourData / GenData first index 0..25

using SiteRecord = std::array<std::string, kSiteFields>;

// The menu comparison's choices for one site, kept for the run (never saved): "全電力会社", the
// category (0 every category, 1 事務所・ビル・店舗, 2 工場) and the voltage row (0 every row, 1..3).
struct ComparisonChoice {
    bool allUtilities = false;
    int category = 0;
    int voltage = 0;
    bool operator==(const ComparisonChoice&) const = default;
};

struct AppState {
    // Working folder, always ending in the platform's separator.
    std::string AppDir;
    std::string VersionText;

    int SaihanValue = 1; // the next serial, 1 .. 1000000
    std::array<SiteRecord, kMaxSiteRows> SiteTable{};
    float SiteRow = 0;
    std::string SiteDataPath;
    float UtilityNo = 0;
    std::array<std::string, 11> UtilityNames{};

    // Book tables (the year book and the ten-day book lay them out differently).
    std::array<std::array<std::string, 2>, kBookRows> DayCode{};
    std::array<std::array<float, 2>, kBookRows> DayMark{};
    std::array<std::array<double, kBookRows>, kHourSlots> HourData{};
    std::array<std::array<double, kBookRows>, kHourSlots> GenData{};

    // Monthly time-of-use totals: [0 days, 1 night, 2 day, 3 peak][month 1..12].
    std::array<std::array<double, 13>, 4> MonthTotalA{};
    std::array<std::array<double, 13>, 4> MonthTotalB{};

    // Demand and time-of-day analysis.
    std::array<double, 13> PeakDemand{};
    std::array<float, 13> PeakDemandDay{};
    std::array<float, 13> PeakDemandHour{};
    std::array<double, 25> HourAverage{};

    float ExcelMode = 0;

    // The calendar year the year list ends at; main sets it from the clock, tests fix it.
    int CurrentYear = 2026;

    // The folder of the files shipped with the program (the holiday list); "" when not found.
    std::string DataDir;
    // Site codes whose annual holiday setting uses the Cabinet Office's holidays, for this run.
    std::set<std::string> OfficialCalendarSites;
    // The menu comparison's choices by site serial, for this run.
    std::map<std::string, ComparisonChoice> ComparisonChoices;

    // Registry row of the current site, or nullptr when SiteRow does not point at a registered row.
    const SiteRecord* currentSite() const;
    // Numeric value (leading number) of field `col` of the current site, 0 without a site.
    double currentSiteValue(int col) const;
    // Name of the current utility, "" when UtilityNo is not 1..9.
    std::string currentUtilityName() const;
    // Path of the current site's "_Ag.dat" / "_Ag_G.dat" file, derived from SiteDataPath.
    std::string agPath() const;
    std::string agResultsPath() const;
};

// The nine utilities in UtilityNo order (list position = UtilityNo - 1).
extern const std::array<const char*, 9> kUtilityNames;
void fillUtilityNames(AppState& state);

} // namespace wattorio
