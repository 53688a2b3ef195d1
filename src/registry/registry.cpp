#include "registry/registry.h"

#include "app/listwrite.h"
#include "app/numtext.h"
#include "app/safe_save.h"
#include "app/sjis.h"

#include <algorithm>
#include <cmath>

namespace wattorio::registry {

namespace {

// A stored field longer than this is not a site's text but damage (a stray binary or a run-on line).
constexpr std::size_t kMaxFieldBytes = 1000;

bool validUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2)
                return false;
        i += n;
    }
    return true;
}

// The file's text: Shift_JIS as written by the program; a file saved as UTF-8 by another tool is
// taken as such.
std::string decodeRegistryText(const std::string& bytes, bool& clean) {
    // Japanese Shift_JIS text almost never forms valid UTF-8 with multi-byte characters, while UTF-8
    // text often decodes as (wrong) Shift_JIS: look for UTF-8 first.
    const bool hasHighBytes = std::any_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; });
    if (hasHighBytes && validUtf8(bytes)) {
        clean = false;
        return bytes;
    }
    Decoded d = fromCp932(bytes);
    if (d.clean) {
        clean = true;
        return std::move(d.text);
    }
    clean = false;
    return std::move(d.text);
}

float highestSerial(const AppState& state, int nextRow) {
    float high = 0;
    for (int r = 1; r < nextRow; ++r) {
        const double v = val(state.SiteTable[r][0]);
        if (std::isfinite(v) && v > high)
            high = static_cast<float>(v);
    }
    return high;
}

void appendProblem(LoadReport& report, const std::string& line) {
    if (!report.problems.empty())
        report.problems += "\n";
    report.problems += line;
}

} // namespace

std::string Fail_Name_Set(const std::string& appDir, const std::string& serial, int kind) {
    std::string trimmed = serial;
    trimmed.erase(0, trimmed.find_first_not_of(' '));
    trimmed.erase(trimmed.find_last_not_of(' ') + 1);
    const std::string t = "00000000" + trimmed;
    const std::string suffix = kind == 2 ? "_W.dat" : "_Y.dat";
    // A serial of more than six digits is used whole.
    const std::string stem = trimmed.size() <= 6 ? t.substr(t.size() - 6) : trimmed;
    return appDir + stem + suffix;
}

std::string serialText(float saihanValue) {
    return " " + numberText(saihanValue);
}

Result<std::string> recordBytes(const SiteRecord& record) {
    ListWriter w;
    for (const std::string& field : record)
        w.writeString(field);
    return w.bytes();
}

Loaded loadRegistry(AppState& state) {
    Loaded result;
    LoadReport& report = result.report;
    const std::string serialPath = state.AppDir + kSerialFile;
    const std::string menuPath = state.AppDir + kRegistryFile;
    const bool haveSerial = fileExists(serialPath);
    const bool haveMenu = fileExists(menuPath);

    for (auto& row : state.SiteTable)
        row.fill(std::string());
    state.SaihanValue = 1;
    if (!haveSerial && !haveMenu)
        return result; // the first start in this folder

    bool serialRead = false;
    float storedSerial = 1;
    if (haveSerial) {
        Result<std::string> bytes = readFileBytes(serialPath);
        if (bytes) {
            ListReader reader = ListReader::fromBytes(*bytes);
            Result<double> n = reader.nextNumber();
            if (n && std::isfinite(*n) && *n >= 1 && *n < 1e7) {
                storedSerial = static_cast<float>(std::floor(*n));
                serialRead = true;
            }
        }
        if (!serialRead)
            appendProblem(report, std::string(kSerialFile) + " を読めませんでした。");
    } else {
        appendProblem(report, std::string(kSerialFile) + " が見つかりません。");
    }

    int nextRow = 1;
    bool menuDamaged = false;
    if (haveMenu) {
        Result<std::string> bytes = readFileBytes(menuPath);
        if (!bytes) {
            appendProblem(report, std::string(kRegistryFile) + " を読めませんでした。");
            menuDamaged = true;
        } else {
            bool clean = true;
            ListReader reader(decodeRegistryText(*bytes, clean));
            if (!clean) {
                appendProblem(report,
                              std::string(kRegistryFile) + " は Shift_JIS で書かれていませんでした。");
                menuDamaged = true;
            }
            int setAside = 0;
            bool incomplete = false;
            while (!reader.atEnd()) {
                SiteRecord record;
                bool complete = true;
                for (int c = 0; c < kSiteFields; ++c) {
                    Result<ListField> f = reader.next();
                    if (!f) {
                        complete = false;
                        break;
                    }
                    record[c] = std::move(f->text);
                }
                if (!complete) {
                    incomplete = true;
                    break;
                }
                const bool sane = std::all_of(record.begin(), record.end(), [](const std::string& f) {
                    return f.size() <= kMaxFieldBytes && f.find('\0') == std::string::npos;
                });
                if (!sane || nextRow > kMaxSites) {
                    ++setAside;
                    continue;
                }
                state.SiteTable[nextRow] = std::move(record);
                ++nextRow;
            }
            if (incomplete) {
                appendProblem(report, std::string(kRegistryFile) + " の最後の登録が途中で切れていました。");
                menuDamaged = true;
            }
            if (setAside > 0) {
                appendProblem(report, std::to_string(setAside) + " 件の登録を読み込みませんでした（" +
                                          (nextRow > kMaxSites ? "200 件を超える分や" : "") +
                                          "壊れた登録）。");
                menuDamaged = true;
            }
        }
    } else {
        appendProblem(report, std::string(kRegistryFile) + " が見つかりません。");
    }

    if (menuDamaged) {
        Result<std::string> copy = keepDamagedCopy(menuPath);
        if (copy)
            report.backups.push_back(*copy);
    }
    if (haveSerial && !serialRead) {
        Result<std::string> copy = keepDamagedCopy(serialPath);
        if (copy)
            report.backups.push_back(*copy);
    }

    // The counter must stay above every serial in use, or a new site would take over the files
    // of an existing one.
    state.SaihanValue = std::max(storedSerial, highestSerial(state, nextRow) + 1);
    result.nextSiteRow = static_cast<float>(nextRow);
    report.sitesRead = nextRow - 1;
    return result;
}

Status saveRegistry(const AppState& state, float nextSiteRow) {
    ListWriter serial;
    serial.writeNumber(state.SaihanValue);
    Result<std::string> serialBytes = serial.bytes();
    ListWriter menu;
    const int last = std::min(static_cast<int>(nextSiteRow), kMaxSiteRows);
    for (int r = 1; r < last; ++r)
        for (const std::string& field : state.SiteTable[r])
            menu.writeString(field);
    Result<std::string> menuBytes = menu.bytes();
    if (!menuBytes)
        return menuBytes.error();
    if (Status s = saveFileAtomically(state.AppDir + kSerialFile, *serialBytes); !s)
        return s;
    return saveFileAtomically(state.AppDir + kRegistryFile, *menuBytes);
}

} // namespace wattorio::registry
