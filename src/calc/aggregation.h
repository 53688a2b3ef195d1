#pragma once
// Time-of-use aggregation of the hourly year book: each month's working days and days off are
// counted and their kWh (reading x meter multiplier) summed into the night, day and peak bands of
// the site's utility. MonthTotalA receives the working days, MonthTotalB the days off; index 0 of
// the first dimension is the day count, 1 night, 2 day, 3 peak; the second index is the month.

#include "app/app_state.h"
#include "app/message.h"

#include <array>
#include <optional>

namespace wattorio::calc {

// First index of MonthTotalA / MonthTotalB; also what hourBand() answers.
enum class Band { None = 0, Night = 1, Day = 2, Peak = 3 };

// The three hour-band sets:
//   A (東京, 東北, 中国, 四国, 九州, 北陸): night 0-7, 22, 23; day 8-12, 16-21; peak 13-15
//   B (中部, 関西):                          night 0-7, 22, 23; day 8, 9, 17-21; peak 10-16
//   C (北海道):                              night 0-7, 22, 23; day 8-21; no peak
enum class BandSet { A, B, C };

// Band set of UtilityNo 1..9; std::nullopt for any other value.
std::optional<BandSet> bandSetOf(int utility);
// Band of hour slot `hour` (0..23, covering hour:00 to hour+1:00) for UtilityNo `utility`;
// Band::None for a utility outside 1..9 or an hour outside 0..23.
Band hourBand(int utility, int hour);
Band hourBand(BandSet set, int hour);

// Book rows of month m (1..12) in a 365-day year: January 1-31 ... December 335-365.
// Index 0 is unused (0).
inline constexpr std::array<int, 13> kMonthFirstRow{0, 1, 32, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335};
inline constexpr std::array<int, 13> kMonthLastRow{0,   31,  59,  90,  120, 151, 181,
                                                   212, 243, 273, 304, 334, 365};

// The four aggregation procedures. Each clears both tables and recomputes them completely from
// HourData, DayMark (column 0: 0 = working day, anything else a day off) and the current site's
// meter multiplier (SiteTable column 2, leading-number rule, held as a float).
void Tepco_Mon_Total(AppState& state);    // set A
void Chyubu_Mon_Total(AppState& state);   // set B
void Shikoku_Mon_Total(AppState& state);  // set A
void Hokkaido_Mon_Total(AppState& state); // set C (peak stays 0)

// Runs the procedure of UtilityNo: 1, 3, 5, 7, 8 Tepco; 2, 4 Chyubu; 6 Shikoku; 9 Hokkaido.
// Returns false, leaving both tables untouched, for any other UtilityNo.
bool runMonthTotals(AppState& state);

// The refusal shared by "電気代計算" and the command line: a site without a utility (UtilityNo not
// 1..9) is not priced. Gives "電力会社を選択してください。" as an input error (title "入力エラー",
// question icon), or std::nullopt when the utility is set.
std::optional<Message> utilityRefusal(const AppState& state);
inline constexpr const char* kChooseUtilityText = "電力会社を選択してください。";

} // namespace wattorio::calc
