#pragma once
// The user's own tariff menus: the file User_Menus.csv in the working folder, one menu a line
// after one heading line, priced with the catalog's formula procedures, the menu's own tax rate
// and two per-kWh adders (fuel-cost adjustment, renewable-energy levy).
//
// The file is what the user's spreadsheet program writes: Shift_JIS, or UTF-8 with a byte-order
// mark. Reading never trusts it: size, line count and field lengths are bounded, numbers must be
// finite and in range, and a line that cannot be read is reported by number and field and kept
// byte for byte, so that the editor writes it back as the user wrote it.

#include "app/result.h"
#include "tariffs/catalog.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wattorio::tariffs {

inline constexpr std::string_view kUserMenuFileName = "User_Menus.csv";
inline constexpr int kUserMenuColumns = 14;
// Column numbers (0-based) of the file and of the editor's grid.
enum UserMenuColumn {
    kColUtility,
    kColCategory,
    kColVoltage,
    kColName,
    kColFormula,
    kColDemand,
    kColRate1, // 料金1 .. 料金5 follow in order
    kColTax = kColRate1 + 5,
    kColFuel,
    kColLevy,
};
// 電力会社, 区分, 電圧, メニュー名, 計算式, 基本料金, 料金1 .. 料金5, 消費税率, 燃料費等調整単価,
// 再エネ賦課金単価.
const std::array<std::string_view, kUserMenuColumns>& userMenuHeadings();

// Bounds of the file.
inline constexpr std::size_t kUserMenuMaxFileBytes = 1 << 20;
inline constexpr int kUserMenuMaxLines = 2000;
inline constexpr std::size_t kUserMenuMaxLineBytes = 2000;
inline constexpr std::size_t kUserMenuMaxNameChars = 60;

// The short name of a formula procedure, as the help page lists it ("季節別", "季時別" ...).
std::string_view formulaShortName(Formula formula);
// A formula by its short name or by its procedure name ("Total_Kizibetu_1").
std::optional<Formula> formulaFromText(std::string_view text);
// Whether rate line `line` (1..5) of the formula carries kWh (and so needs a rate).
bool formulaUsesLine(Formula formula, int line);
// The rate-panel layout that shows the lines of the formula.
Layout formulaLayout(Formula formula);

struct UserMenu {
    int line = 0; // line number in the file; the heading is line 1
    int utility = 1;
    Category category = Category::Office;
    int voltageRow = 1;
    std::string name;
    Formula formula = Formula::Total_Natsu_Sonota;
    std::string demandText;              // 基本料金 as written (shown in the rate box)
    std::array<std::string, 6> rateText; // 料金1..料金5 as written (index 0 unused; "" = none)
    double demandCharge = 0;             // yen per kW and month
    std::array<double, 6> rate{};        // yen per kWh, index 0 unused
    double taxPercent = 0;
    double fuelAdjustment = 0; // 燃料費等調整単価, yen per kWh
    double renewableLevy = 0;  // 再エネ賦課金単価, yen per kWh

    bool operator==(const UserMenu&) const = default;
};

// A line that could not be read: its number and the field at fault.
struct UserMenuProblem {
    int line = 0;
    std::string field; // a column heading, or "" for the line as a whole
    std::string reason;
    // "3行目（計算式）: ..." as the messages show it.
    std::string text() const;
};

using UserMenuFields = std::array<std::string, kUserMenuColumns>;

// Checks one field as the editor takes it. `formula` is the row's formula when known (it decides
// which rates are needed). Returns "" when the text is acceptable, otherwise the reason.
std::string checkUserMenuField(int column, std::string_view text, std::optional<Formula> formula);
// A menu from its fields, or the first field at fault.
Result<UserMenu> parseUserMenu(const UserMenuFields& fields, int line, UserMenuProblem* problem);

// One line after the heading.
struct UserMenuLine {
    std::string bytes;     // as in the file, without its line end
    UserMenuFields fields; // decoded and unquoted ("" for fields the line lacks)
    bool readable = false; // true when it gave a menu
};

struct UserMenuFile {
    bool exists = false;
    bool utf8 = false; // UTF-8 (with a byte-order mark, or valid UTF-8 throughout); otherwise Shift_JIS
    std::string headingBytes; // the first line as in the file
    std::vector<UserMenuLine> lines;
    std::vector<UserMenu> menus; // the readable lines, in file order
    std::vector<UserMenuProblem> problems;
};

// Splits the bytes of a file. Never fails: what cannot be read is reported in `problems`.
UserMenuFile parseUserMenuFile(std::string_view bytes);
// The file of the working folder `appDir`. A missing file gives an empty result without problems;
// an error means the file exists but may not be read (too large, a link, unreadable) and must not
// be written over.
Result<UserMenuFile> readUserMenuFile(const std::string& appDir);
// Convenience for the results window and the command line: the menus and the problems, a file
// that may not be read giving one problem on line 0.
struct UserMenuSet {
    std::vector<UserMenu> menus;
    std::vector<UserMenuProblem> problems;
};
UserMenuSet loadUserMenus(const std::string& appDir);
// One message listing every problem ("" when there are none).
std::string userMenuProblemsText(const std::vector<UserMenuProblem>& problems);

// The fields as one CSV line (quoted where needed), UTF-8.
std::string userMenuCsvLine(const UserMenuFields& fields);
// A row of the file as the editor hands it to the writer: either kept as it was (`keptBytes`)
// or written from its fields.
struct UserMenuRow {
    std::optional<std::string> keptBytes;
    UserMenuFields fields;
};
// The whole file: the heading (kept as it was when given, otherwise the standard one), then the
// rows, CR LF after each; Shift_JIS or UTF-8 with a byte-order mark. Fails when a field has no
// Shift_JIS form.
Result<std::string> userMenuFileBytes(const std::optional<std::string>& headingBytes,
                                      const std::vector<UserMenuRow>& rows, bool utf8);
// Writes the file through the crash-safe save.
Status saveUserMenuFile(const std::string& appDir, const std::string& bytes);
std::string userMenuFilePath(const std::string& appDir);

// The texts the 自由メニュー tab shows for a menu: 電力会社, 区分, 電圧, メニュー名, 計算式,
// 消費税率, 燃料費等調整単価, 再エネ賦課金単価, 行.
std::vector<std::string> userMenuListTexts(const UserMenu& menu);
const std::vector<std::string>& userMenuListHeadings();

} // namespace wattorio::tariffs
