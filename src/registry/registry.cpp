#include "registry/registry.h"

#include "app/listwrite.h"
#include "app/numtext.h"
#include "app/safe_save.h"
#include "app/sjis.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>

namespace wattorio::registry {

namespace {

// A stored field longer than this is not a site's text but damage (a stray binary or a run-on line).
constexpr std::size_t kMaxFieldBytes = 1000;
constexpr std::array<const char*, 6> kSiteFileSuffixes = {"_Y.dat",    "_W.dat",        "_Ag.dat",
                                                          "_Ag_G.dat", "_Interval.csv", "_Invoice.csv"};

// The file's text. The program writes Shift_JIS, and Shift_JIS is taken whenever the bytes are
// valid Shift_JIS: half-width katakana in Shift_JIS are often valid UTF-8 as well. A file with a
// UTF-8 byte-order mark, or one that is no Shift_JIS but valid UTF-8, was saved by another tool
// and is read as UTF-8 (and reported, since the next save writes it back as Shift_JIS).
std::string decodeRegistryText(const std::string& bytes, bool& clean) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (std::string_view(bytes).substr(0, kBom.size()) == kBom && validUtf8(bytes)) {
        clean = false;
        return bytes.substr(kBom.size());
    }
    Decoded d = fromCp932(bytes);
    clean = d.clean;
    if (!d.clean && validUtf8(bytes))
        return bytes;
    return std::move(d.text);
}

bool hasControl(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

// One line of Mt_Menu.dat: a quoted field ("text"), or a bare one without quotes or commas.
// Nothing for a line that is neither (a quote lost to damage, several fields, stray bytes).
std::optional<std::string> lineField(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
        line.remove_suffix(1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    if (line.size() >= 2 && line.front() == '"' && line.back() == '"')
        line = line.substr(1, line.size() - 2);
    else if (line.find(',') != std::string_view::npos)
        return std::nullopt;
    if (line.find('"') != std::string_view::npos || hasControl(line) || line.size() > kMaxFieldBytes)
        return std::nullopt;
    return std::string(line);
}

int serialValue(const std::string& serial) {
    int v = 0;
    for (char c : serial)
        if (c >= '0' && c <= '9')
            v = v * 10 + (c - '0');
    return v;
}

int highestSerial(const AppState& state, int nextRow) {
    int high = 0;
    for (int r = 1; r < nextRow; ++r)
        if (isSerial(state.SiteTable[r][0]))
            high = std::max(high, serialValue(state.SiteTable[r][0]));
    return high;
}

void appendProblem(LoadReport& report, const std::string& line) {
    if (!report.problems.empty())
        report.problems += "\n";
    report.problems += line;
}

// Keeps a copy of a damaged file; when none can be made the file must stay as it is.
void keepCopy(LoadReport& report, const std::string& path) {
    Result<std::string> copy = keepDamagedCopy(path);
    if (copy) {
        report.backups.push_back(*copy);
        return;
    }
    appendProblem(report,
                  copy.error().message + "\n控えを作れないため、この実行中は登録ファイルを書き換えません。");
    report.saveBlocked = true;
}

// The field lines of Mt_Menu.dat (nothing for a line that is no field); blank lines and an
// end-of-file mark are no lines at all.
std::vector<std::optional<std::string>> fieldLines(const std::string& text) {
    std::vector<std::optional<std::string>> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string_view line(text.data() + start, end - start);
        start = end + 1;
        if (line.find_first_not_of(" \t\r\x1A") == std::string_view::npos)
            continue;
        lines.push_back(lineField(line));
    }
    return lines;
}

// Reads the records of Mt_Menu.dat. A record is nine lines, the first a serial not used before.
// A whole file (its lines come in nines, every ninth one such a serial) is read by position, so
// that a field that merely looks like a serial (a multiplier " 3", a name " 12") is just a field.
// Only where that reading fails is the next record searched for, and only the records the damage
// touches are set aside.
class RecordReader {
public:
    explicit RecordReader(std::vector<std::optional<std::string>> lines)
        : lines_(std::move(lines)), used_(kMaxSerial + 1) {}

    int read(AppState& state, int& setAside, bool& incomplete) {
        if (whole()) {
            for (std::size_t i = 0; i < lines_.size(); i += kSiteFields)
                take(i, state, setAside);
            return nextRow_;
        }
        std::size_t i = 0;
        // The first line of a damaged stretch, while one is being skipped.
        bool skipping = false;
        std::size_t skippedFrom = 0;
        auto endSkip = [&](std::size_t upto) {
            if (skipping) // about one record per nine lines, at least one
                setAside +=
                    static_cast<int>(std::max<std::size_t>(1, (upto - skippedFrom + 4) / kSiteFields));
            skipping = false;
        };
        while (i < lines_.size()) {
            if (!skipping && i + kSiteFields > lines_.size()) {
                incomplete = true;
                break;
            }
            const std::optional<std::size_t> shifted = valid(i) ? betterStart(i) : std::nullopt;
            if (valid(i) && !shifted) {
                endSkip(i);
                take(i, state, setAside);
                i += kSiteFields;
                continue;
            }
            if (!skipping) {
                skipping = true;
                skippedFrom = i;
            }
            i = shifted ? *shifted : nextCandidate(i);
        }
        endSkip(lines_.size());
        return nextRow_;
    }

private:
    // How far ahead two readings of the same lines are compared: a few records settle it, and
    // the work stays bounded whatever the file holds.
    static constexpr int kLookAhead = 3;

    bool serialAt(std::size_t i) const { return i < lines_.size() && lines_[i] && isSerial(*lines_[i]); }
    // Where the program itself starts a record: a blank before the digits.
    bool startsRecord(std::size_t i) const { return serialAt(i) && (*lines_[i])[0] == ' '; }

    bool valid(std::size_t i) const {
        if (i + kSiteFields > lines_.size() || !serialAt(i) ||
            used_[static_cast<std::size_t>(serialValue(*lines_[i]))])
            return false;
        for (std::size_t c = 1; c < kSiteFields; ++c)
            if (!lines_[i + c])
                return false;
        return true;
    }

    bool whole() const {
        if (lines_.size() % kSiteFields != 0)
            return false;
        std::vector<bool> seen(kMaxSerial + 1);
        for (std::size_t i = 0; i < lines_.size(); i += kSiteFields) {
            if (!valid(i) || seen[static_cast<std::size_t>(serialValue(*lines_[i]))])
                return false;
            seen[static_cast<std::size_t>(serialValue(*lines_[i]))] = true;
        }
        return true;
    }

    // How well a reading by position from line i holds: records starting the program's way read
    // in a row (up to the look-ahead), one more when it ends exactly at the end of the file.
    int run(std::size_t i) const {
        std::vector<int> serials;
        for (int n = 0; n < kLookAhead; ++n, i += kSiteFields) {
            if (i == lines_.size())
                return n + 1;
            if (!startsRecord(i) || !valid(i))
                return n;
            const int serial = serialValue(*lines_[i]);
            if (std::find(serials.begin(), serials.end(), serial) != serials.end())
                return n;
            serials.push_back(serial);
        }
        return kLookAhead;
    }

    // A record at i whose own lines hold a start that reads on better than the line after it has
    // lost a line to damage: reading goes on at that start instead. The start must be borne out by
    // the record after it (or the end of the file), or a name " 12" before a damaged serial would
    // pass for one.
    std::optional<std::size_t> betterStart(std::size_t i) const {
        std::optional<std::size_t> best;
        int bestRun = std::max(run(i + kSiteFields), 1);
        for (std::size_t k = i + 1; k < i + kSiteFields; ++k)
            if (startsRecord(k) && run(k) > bestRun) {
                best = k;
                bestRun = run(k);
            }
        return best;
    }

    std::size_t nextCandidate(std::size_t i) const {
        do
            ++i;
        while (i < lines_.size() && !(startsRecord(i) && valid(i)));
        return i;
    }

    void take(std::size_t i, AppState& state, int& setAside) {
        if (nextRow_ > kMaxSites) {
            ++setAside;
            return;
        }
        used_[static_cast<std::size_t>(serialValue(*lines_[i]))] = true;
        for (int c = 0; c < kSiteFields; ++c)
            state.SiteTable[nextRow_][c] = std::move(*lines_[i + static_cast<std::size_t>(c)]);
        ++nextRow_;
    }

    std::vector<std::optional<std::string>> lines_;
    std::vector<bool> used_;
    int nextRow_ = 1;
};

} // namespace

bool isSerial(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return false;
    const std::size_t digits = text.size() - first;
    return digits >= 1 && digits <= 6 &&
           std::all_of(text.begin() + static_cast<std::ptrdiff_t>(first), text.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

std::string Fail_Name_Set(const std::string& appDir, const std::string& serial, int kind) {
    if (!isSerial(serial))
        return "";
    const std::string digits = serial.substr(serial.find_first_not_of(' '));
    const std::string suffix = kind == 2 ? "_W.dat" : "_Y.dat";
    return appDir + std::string(6 - digits.size(), '0') + digits + suffix;
}

std::string serialText(int serial) {
    return " " + std::to_string(serial);
}

std::string storedFieldProblem(const std::string& text) {
    if (text.find('"') != std::string::npos)
        return "\"";
    if (text.find('\r') != std::string::npos || text.find('\n') != std::string::npos)
        return "改行";
    if (hasControl(text))
        return "制御文字";
    if (text.size() > kMaxFieldBytes)
        return "長すぎる文字列";
    return "";
}

std::optional<int> freeSerial(const AppState& state, int nextRow) {
    for (int serial = std::max(state.SaihanValue, 1); serial <= kMaxSerial; ++serial) {
        const std::string stem = Fail_Name_Set(state.AppDir, serialText(serial), 1);
        const std::string base = stem.substr(0, stem.size() - 6);
        bool taken = false;
        for (const char* suffix : kSiteFileSuffixes) {
            std::error_code ec;
            taken = taken || std::filesystem::symlink_status(base + suffix, ec).type() !=
                                 std::filesystem::file_type::not_found;
        }
        for (int r = 1; r < nextRow && !taken; ++r)
            taken = isSerial(state.SiteTable[r][0]) && serialValue(state.SiteTable[r][0]) == serial;
        if (!taken)
            return serial;
    }
    return std::nullopt;
}

std::string serialsExhausted() {
    return "物件の番号が上限の " + std::to_string(kMaxSerial) + " に達しましたので、これ以上登録できません。";
}

Result<std::string> recordBytes(const SiteRecord& record) {
    ListWriter w;
    for (const std::string& field : record) {
        if (std::string why = storedFieldProblem(field); !why.empty())
            return Error{"保存できない文字（" + why + "）を含む項目があります: " + field};
        w.writeString(field);
    }
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
    int storedSerial = 1;
    if (haveSerial) {
        Result<std::string> bytes = readFileBytes(serialPath);
        if (bytes) {
            ListReader reader = ListReader::fromBytes(*bytes);
            Result<double> n = reader.nextNumber();
            // The counter may stand one past the last serial.
            if (n && std::isfinite(*n) && *n >= 1 && *n <= kMaxSerial + 1) {
                storedSerial = static_cast<int>(std::floor(*n));
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
            const std::string text = decodeRegistryText(*bytes, clean);
            if (!clean) {
                appendProblem(report,
                              std::string(kRegistryFile) + " は Shift_JIS で書かれていませんでした。");
                menuDamaged = true;
            }
            int setAside = 0;
            bool incomplete = false;
            nextRow = RecordReader(fieldLines(text)).read(state, setAside, incomplete);
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

    if (menuDamaged && haveMenu)
        keepCopy(report, menuPath);
    if (haveSerial && !serialRead)
        keepCopy(report, serialPath);

    // The counter must stay above every serial in use, or a new site would take over the files
    // of an existing one.
    state.SaihanValue = std::max(storedSerial, highestSerial(state, nextRow) + 1);
    result.nextSiteRow = static_cast<float>(nextRow);
    report.sitesRead = nextRow - 1;
    return result;
}

Status saveRegistry(const AppState& state, float nextSiteRow) {
    // The counter as a plain whole number ("100000", never "1E+05"), in the file's line form.
    const std::string serialBytes = std::to_string(state.SaihanValue) + "\r\n";
    ListWriter menu;
    const int last = std::min(static_cast<int>(nextSiteRow), kMaxSiteRows);
    for (int r = 1; r < last; ++r) {
        const SiteRecord& site = state.SiteTable[r];
        if (!isSerial(site[0]))
            return Error{"物件の番号が正しくありません: " + site[0]};
        for (const std::string& field : site) {
            if (std::string why = storedFieldProblem(field); !why.empty())
                return Error{"保存できない文字（" + why + "）を含む項目があります: " + field};
            menu.writeString(field);
        }
    }
    Result<std::string> menuBytes = menu.bytes();
    if (!menuBytes)
        return menuBytes.error();
    if (Status s = saveFileAtomically(state.AppDir + kSerialFile, serialBytes); !s)
        return s;
    return saveFileAtomically(state.AppDir + kRegistryFile, *menuBytes);
}

} // namespace wattorio::registry
