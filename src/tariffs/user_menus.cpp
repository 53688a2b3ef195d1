#include "tariffs/user_menus.h"

#include "app/app_state.h"
#include "app/numtext.h"
#include "app/safe_save.h"
#include "app/sjis.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace wattorio::tariffs {

namespace fs = std::filesystem;

namespace {

constexpr std::array<std::string_view, kUserMenuColumns> kHeadings = {
    "電力会社", "区分",  "電圧",  "メニュー名", "計算式",   "基本料金",         "料金1",
    "料金2",    "料金3", "料金4", "料金5",      "消費税率", "燃料費等調整単価", "再エネ賦課金単価",
};

constexpr std::string_view kBom = "\xEF\xBB\xBF";

struct FormulaNames {
    Formula formula;
    std::string_view shortName;
    Layout layout;
    std::array<bool, 6> lines; // lines 1..5 that carry kWh
};

// The short names are those of the help page; the layouts are those the catalog's menus of each
// formula use.
constexpr FormulaNames kFormulas[] = {
    {Formula::Total_Natsu_Sonota, "季節別", Layout::L0, {false, true, true, false, false, false}},
    {Formula::Total_Holiday_Natsu_Sonota, "季節別休日", Layout::L4, {false, true, true, false, true, false}},
    {Formula::Total_Peek_Hiru_Yakan_Y, "ピーク昼夜間", Layout::L4, {false, true, true, false, true, false}},
    {Formula::Total_Kizibetu_1, "季時別", Layout::L2, {false, true, true, true, true, false}},
    {Formula::Total_kizibet_Yakan_2, "季時別夜間２", Layout::L3, {false, true, true, true, true, true}},
    {Formula::Total_Kizibetu_2, "季節平休日別", Layout::L2, {false, true, true, true, true, false}},
    {Formula::Total_Hokuden_1, "単一料金", Layout::L5, {false, true, false, false, false, false}},
    {Formula::Total_Hokuden_2, "昼夜間", Layout::L0, {false, true, true, false, false, false}},
};

const FormulaNames& namesOf(Formula formula) {
    for (const FormulaNames& f : kFormulas)
        if (f.formula == formula)
            return f;
    return kFormulas[0];
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// A plain decimal number: optional sign, digits, optional point and fraction. No exponent, no
// "inf" or "nan".
std::optional<double> strictNumber(std::string_view text) {
    text = trim(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty() || text.size() > 30)
        return std::nullopt;
    bool digit = false;
    int points = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9')
            digit = true;
        else if (c == '.')
            ++points;
        else if (!(c == '-' && i == 0))
            return std::nullopt;
    }
    if (!digit || points > 1)
        return std::nullopt;
    double value = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), value);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> numberIn(std::string_view text, double low, double high) {
    const std::optional<double> v = strictNumber(text);
    if (!v || *v < low || *v > high)
        return std::nullopt;
    return v;
}

// 消費税率 may carry a percent sign, as a spreadsheet shows a percentage.
std::string_view withoutPercent(std::string_view text) {
    text = trim(text);
    for (std::string_view sign : {std::string_view("%"), std::string_view("％")})
        if (text.size() >= sign.size() && text.substr(text.size() - sign.size()) == sign)
            return trim(text.substr(0, text.size() - sign.size()));
    return text;
}

std::optional<int> utilityOf(std::string_view text) {
    text = trim(text);
    if (text.size() == 1 && text[0] >= '1' && text[0] <= '9')
        return text[0] - '0';
    for (std::size_t i = 0; i < kUtilityNames.size(); ++i)
        if (text == kUtilityNames[i])
            return static_cast<int>(i) + 1;
    return std::nullopt;
}

std::optional<Category> categoryOf(std::string_view text) {
    text = trim(text);
    if (text == categoryName(Category::Office))
        return Category::Office;
    if (text == categoryName(Category::Factory))
        return Category::Factory;
    return std::nullopt;
}

std::optional<int> voltageOf(std::string_view text) {
    text = trim(text);
    for (int v = 1; v <= 3; ++v)
        if (text == std::string(1, static_cast<char>('0' + v)) || text == voltageMark(v))
            return v;
    return std::nullopt;
}

std::size_t utf8Chars(std::string_view s) {
    std::size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80)
            ++n;
    return n;
}

bool hasControl(std::string_view s) {
    for (unsigned char c : s)
        if (c < 0x20 || c == 0x7F)
            return true;
    return false;
}

constexpr double kMaxDemand = 100000; // yen per kW and month
constexpr double kMaxRate = 10000;    // yen per kWh
constexpr double kMaxAdder = 1000;    // yen per kWh, either sign

// Splits one CSV line into fields; false when a quote is left open or text follows a closing
// quote. More fields than the heading's are reported by the caller.
bool splitCsv(std::string_view line, std::vector<std::string>& out) {
    out.assign(1, std::string());
    std::size_t i = 0;
    bool quoted = false;
    bool afterQuote = false;
    while (i < line.size()) {
        const char c = line[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < line.size() && line[i + 1] == '"') {
                    out.back() += '"';
                    ++i;
                } else {
                    quoted = false;
                    afterQuote = true;
                }
            } else {
                out.back() += c;
            }
        } else if (c == ',') {
            out.emplace_back();
            afterQuote = false;
        } else if (c == '"' && trim(out.back()).empty() && !afterQuote) {
            out.back().clear();
            quoted = true;
        } else if (afterQuote && c != ' ' && c != '\t') {
            return false;
        } else if (!afterQuote) {
            out.back() += c;
        }
        ++i;
    }
    return !quoted;
}

std::string numberTextOf(double value) {
    return numberText(value);
}

} // namespace

const std::array<std::string_view, kUserMenuColumns>& userMenuHeadings() {
    return kHeadings;
}

std::string_view formulaShortName(Formula formula) {
    return namesOf(formula).shortName;
}

std::optional<Formula> formulaFromText(std::string_view text) {
    text = trim(text);
    for (const FormulaNames& f : kFormulas)
        if (text == f.shortName || text == formulaName(f.formula))
            return f.formula;
    return std::nullopt;
}

bool formulaUsesLine(Formula formula, int line) {
    return line >= 1 && line <= 5 && namesOf(formula).lines[static_cast<std::size_t>(line)];
}

Layout formulaLayout(Formula formula) {
    return namesOf(formula).layout;
}

std::string UserMenuProblem::text() const {
    std::string out = std::to_string(line) + "行目";
    if (!field.empty())
        out += "（" + field + "）";
    return out + ": " + reason;
}

std::string checkUserMenuField(int column, std::string_view text, std::optional<Formula> formula) {
    const std::string_view t = trim(text);
    switch (column) {
    case kColUtility:
        return utilityOf(t) ? "" : "電力会社は 1～9 の番号か電力会社名（東京電力 など）で書いてください。";
    case kColCategory:
        return categoryOf(t) ? "" : "区分は「事務所・ビル・店舗」か「工場」で書いてください。";
    case kColVoltage:
        return voltageOf(t) ? "" : "電圧は 1～3 で書いてください。";
    case kColName:
        if (t.empty())
            return "メニュー名がありません。";
        if (utf8Chars(t) > kUserMenuMaxNameChars)
            return "メニュー名は " + std::to_string(kUserMenuMaxNameChars) + " 文字までです。";
        if (hasControl(t))
            return "メニュー名に使えない文字があります。";
        return "";
    case kColFormula: {
        if (formulaFromText(t))
            return "";
        std::string names;
        for (const FormulaNames& f : kFormulas)
            names += (names.empty() ? "" : "・") + std::string(f.shortName);
        return "計算式は " + names + " のどれかで書いてください。";
    }
    case kColDemand:
        return numberIn(t, 0, kMaxDemand) ? "" : "基本料金は 0～100000 の数（円/kW）で書いてください。";
    case kColTax:
        return numberIn(withoutPercent(t), 0, 100) ? "" : "消費税率は 0～100 の数（％）で書いてください。";
    case kColFuel:
    case kColLevy:
        return numberIn(t, -kMaxAdder, kMaxAdder) ? ""
                                                  : "単価は -1000～1000 の数（円/kWh）で書いてください。";
    default:
        break;
    }
    if (column >= kColRate1 && column < kColRate1 + 5) {
        const int line = column - kColRate1 + 1;
        if (t.empty())
            return formula && formulaUsesLine(*formula, line)
                       ? "この計算式では" + std::string(kHeadings[static_cast<std::size_t>(column)]) +
                             "が要ります。"
                       : "";
        return numberIn(t, 0, kMaxRate) ? "" : "料金は 0～10000 の数（円/kWh）で書いてください。";
    }
    return "";
}

Result<UserMenu> parseUserMenu(const UserMenuFields& fields, int line, UserMenuProblem* problem) {
    const std::optional<Formula> formula = formulaFromText(fields[kColFormula]);
    for (int c = 0; c < kUserMenuColumns; ++c) {
        std::string reason = checkUserMenuField(c, fields[static_cast<std::size_t>(c)], formula);
        if (!reason.empty()) {
            if (problem)
                *problem = {line, std::string(kHeadings[static_cast<std::size_t>(c)]), reason};
            return Error{reason};
        }
    }
    UserMenu m;
    m.line = line;
    m.utility = *utilityOf(fields[kColUtility]);
    m.category = *categoryOf(fields[kColCategory]);
    m.voltageRow = *voltageOf(fields[kColVoltage]);
    m.name = std::string(trim(fields[kColName]));
    m.formula = *formula;
    m.demandText = std::string(trim(fields[kColDemand]));
    m.demandCharge = *strictNumber(m.demandText);
    for (int k = 1; k <= 5; ++k) {
        const std::string_view t = trim(fields[static_cast<std::size_t>(kColRate1 + k - 1)]);
        m.rateText[static_cast<std::size_t>(k)] = std::string(t);
        m.rate[static_cast<std::size_t>(k)] = t.empty() ? 0 : *strictNumber(t);
    }
    m.taxPercent = *strictNumber(withoutPercent(fields[kColTax]));
    m.fuelAdjustment = *strictNumber(fields[kColFuel]);
    m.renewableLevy = *strictNumber(fields[kColLevy]);
    // The adders are added to every line's rate: a line that would pay the user per kWh is no menu.
    for (int k = 1; k <= 5; ++k) {
        if (!formulaUsesLine(m.formula, k))
            continue;
        const double unit = m.rate[static_cast<std::size_t>(k)] + m.fuelAdjustment + m.renewableLevy;
        if (unit < 0) {
            const std::string reason = "料金" + std::to_string(k) +
                                       "＋燃料費等調整単価＋再エネ賦課金単価が負の値（" + numberText(unit) +
                                       " 円/kWh）です。";
            if (problem)
                *problem = {line, "", reason};
            return Error{reason};
        }
    }
    return m;
}

UserMenuFile parseUserMenuFile(std::string_view bytes) {
    UserMenuFile file;
    file.exists = true;
    if (bytes.substr(0, kBom.size()) == kBom) {
        file.utf8 = true;
        bytes.remove_prefix(kBom.size());
    } else {
        // Saved as UTF-8 without a mark (some spreadsheets do): a file that is UTF-8 throughout
        // with some non-ASCII text is UTF-8, since Shift_JIS kanji are never valid UTF-8.
        bool nonAscii = false;
        bool valid = true;
        for (std::size_t i = 0; i < bytes.size() && valid;) {
            const auto c = static_cast<unsigned char>(bytes[i]);
            const std::size_t n = c < 0x80         ? 1
                                  : (c >> 5) == 6  ? 2
                                  : (c >> 4) == 14 ? 3
                                  : (c >> 3) == 30 ? 4
                                                   : 0;
            valid = n != 0 && i + n <= bytes.size();
            for (std::size_t k = 1; valid && k < n; ++k)
                valid = (static_cast<unsigned char>(bytes[i + k]) & 0xC0) == 0x80;
            nonAscii = nonAscii || n > 1;
            i += n;
        }
        file.utf8 = valid && nonAscii;
    }
    int number = 0;
    std::vector<std::string> split;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        std::string_view raw = bytes.substr(0, end);
        bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
        if (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);
        ++number;
        if (number == 1) {
            file.headingBytes = std::string(raw);
            continue;
        }
        if (number > kUserMenuMaxLines + 1) {
            file.problems.push_back({number, "",
                                     "行が多すぎます。" + std::to_string(kUserMenuMaxLines) +
                                         " 行までを読み、これより後は読みませんでした。"});
            // The rest is kept as it is so that a save never drops it.
            UserMenuLine rest;
            rest.bytes = std::string(raw);
            if (!bytes.empty())
                rest.bytes += "\n" + std::string(bytes);
            file.lines.push_back(std::move(rest));
            break;
        }
        UserMenuLine line;
        line.bytes = std::string(raw);
        // A line that is empty or holds only commas (a spreadsheet's blank row) is kept, not reported.
        if (trim(raw).find_first_not_of(", \t") == std::string_view::npos) {
            file.lines.push_back(std::move(line));
            continue;
        }
        UserMenuProblem problem{number, "", ""};
        std::string text;
        bool ok = true;
        if (raw.size() > kUserMenuMaxLineBytes) {
            problem.reason = "行が長すぎます。";
            ok = false;
        } else if (file.utf8) {
            text = std::string(raw);
            // Bytes that are not UTF-8 make the line unreadable.
            for (std::size_t i = 0; i < text.size() && ok;) {
                const unsigned char c = static_cast<unsigned char>(text[i]);
                const int len = c < 0x80         ? 1
                                : (c >> 5) == 6  ? 2
                                : (c >> 4) == 14 ? 3
                                : (c >> 3) == 30 ? 4
                                                 : 0;
                if (len == 0 || i + static_cast<std::size_t>(len) > text.size())
                    ok = false;
                for (int k = 1; ok && k < len; ++k)
                    if ((static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0xC0) != 0x80)
                        ok = false;
                i += static_cast<std::size_t>(len ? len : 1);
            }
            if (!ok)
                problem.reason = "文字を読めません（UTF-8 ではありません）。";
        } else {
            Decoded d = fromCp932(raw);
            text = std::move(d.text);
            if (!d.clean) {
                problem.reason = "文字を読めません（Shift_JIS ではありません）。";
                ok = false;
            }
        }
        if (ok && !splitCsv(text, split)) {
            problem.reason = "引用符（\"）の対応が取れていません。";
            ok = false;
        }
        if (ok) {
            for (std::size_t c = 0; c < split.size() && c < line.fields.size(); ++c)
                line.fields[c] = split[c];
            // Empty fields past the last column (a spreadsheet's trailing commas) are harmless.
            for (std::size_t c = line.fields.size(); c < split.size() && ok; ++c)
                if (!trim(split[c]).empty()) {
                    problem.reason = "欄が多すぎます（" + std::to_string(kUserMenuColumns) + " 欄まで）。";
                    ok = false;
                }
        }
        if (ok) {
            Result<UserMenu> menu = parseUserMenu(line.fields, number, &problem);
            if (menu) {
                line.readable = true;
                file.menus.push_back(std::move(*menu));
            } else {
                ok = false;
            }
        }
        if (!ok)
            file.problems.push_back(problem);
        file.lines.push_back(std::move(line));
    }
    // The heading is compared without blanks and quotes around its names.
    if (number >= 1) {
        std::string heading = file.headingBytes;
        if (!file.utf8)
            heading = fromCp932(heading).text;
        std::vector<std::string> names;
        bool same = splitCsv(heading, names) && names.size() >= kHeadings.size();
        for (std::size_t c = 0; same && c < names.size(); ++c)
            same = c < kHeadings.size() ? trim(names[c]) == kHeadings[c] : trim(names[c]).empty();
        if (!same)
            file.problems.insert(file.problems.begin(),
                                 {1, "",
                                  "見出しの行が違います（" + std::string(kHeadings[0]) + "," +
                                      std::string(kHeadings[1]) + ",… の行が１行目に要ります）。"});
    }
    return file;
}

std::string userMenuFilePath(const std::string& appDir) {
    return appDir + std::string(kUserMenuFileName);
}

Result<UserMenuFile> readUserMenuFile(const std::string& appDir) {
    const std::string path = userMenuFilePath(appDir);
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (ec || status.type() == fs::file_type::not_found) {
        if (status.type() == fs::file_type::not_found)
            return UserMenuFile{};
        return Error{std::string(kUserMenuFileName) + " を調べられません。"};
    }
    if (status.type() != fs::file_type::regular)
        return Error{std::string(kUserMenuFileName) + " は普通のファイルではないので読みません。"};
    if (fs::hard_link_count(path, ec) != 1 || ec)
        return Error{std::string(kUserMenuFileName) +
                     " は別の場所のファイルとつながっているので読みません。"};
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec || size > kUserMenuMaxFileBytes)
        return Error{std::string(kUserMenuFileName) + " が大きすぎます（1 MB まで）。"};
    Result<std::string> bytes = readFileBytes(path);
    if (!bytes)
        return bytes.error();
    if (bytes->size() > kUserMenuMaxFileBytes)
        return Error{std::string(kUserMenuFileName) + " が大きすぎます（1 MB まで）。"};
    return parseUserMenuFile(*bytes);
}

UserMenuSet loadUserMenus(const std::string& appDir) {
    UserMenuSet set;
    Result<UserMenuFile> file = readUserMenuFile(appDir);
    if (!file) {
        set.problems.push_back({0, "", file.error().message});
        return set;
    }
    set.menus = std::move(file->menus);
    set.problems = std::move(file->problems);
    return set;
}

std::string userMenuProblemsText(const std::vector<UserMenuProblem>& problems) {
    if (problems.empty())
        return "";
    std::string out = std::string(kUserMenuFileName) + " の次の行は読めないので使いません。\n";
    for (const UserMenuProblem& p : problems)
        out += "\n" + (p.line > 0 ? p.text() : p.reason);
    return out;
}

std::string userMenuCsvLine(const UserMenuFields& fields) {
    std::string out;
    for (std::size_t c = 0; c < fields.size(); ++c) {
        if (c)
            out += ',';
        const std::string& f = fields[c];
        const bool quote = f.find_first_of(",\"\r\n") != std::string::npos ||
                           (!f.empty() && (f.front() == ' ' || f.back() == ' '));
        if (!quote) {
            out += f;
            continue;
        }
        out += '"';
        for (char ch : f) {
            if (ch == '"')
                out += '"';
            out += ch;
        }
        out += '"';
    }
    return out;
}

Result<std::string> userMenuFileBytes(const std::optional<std::string>& headingBytes,
                                      const std::vector<UserMenuRow>& rows, bool utf8) {
    std::string out;
    auto encode = [&](const std::string& text) -> bool {
        if (utf8) {
            out += text;
            return true;
        }
        std::string sjis;
        if (!toCp932(text, sjis))
            return false;
        out += sjis;
        return true;
    };
    if (utf8)
        out += kBom;
    if (headingBytes) {
        out += *headingBytes;
    } else {
        UserMenuFields heading;
        for (std::size_t c = 0; c < heading.size(); ++c)
            heading[c] = std::string(kHeadings[c]);
        encode(userMenuCsvLine(heading));
    }
    out += "\r\n";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const UserMenuRow& row = rows[i];
        if (row.keptBytes) {
            out += *row.keptBytes;
        } else {
            for (const std::string& f : row.fields)
                if (hasControl(f))
                    return Error{std::to_string(i + 2) + "行目に使えない文字があります。"};
            if (!encode(userMenuCsvLine(row.fields)))
                return Error{std::to_string(i + 2) + "行目に Shift_JIS で書けない文字があります。"};
        }
        out += "\r\n";
    }
    return out;
}

Status saveUserMenuFile(const std::string& appDir, const std::string& bytes) {
    return saveFileAtomically(userMenuFilePath(appDir), bytes);
}

const std::vector<std::string>& userMenuListHeadings() {
    static const std::vector<std::string> headings = {
        "電力会社",         "区分", "電圧", "メニュー名", "計算式", "消費税率", "燃料費等調整単価",
        "再エネ賦課金単価", "行",
    };
    return headings;
}

std::vector<std::string> userMenuListTexts(const UserMenu& m) {
    return {
        kUtilityNames[static_cast<std::size_t>(m.utility - 1)],
        std::string(categoryName(m.category)),
        std::string(voltageMark(m.voltageRow)),
        m.name,
        std::string(formulaShortName(m.formula)),
        numberTextOf(m.taxPercent) + " ％",
        numberTextOf(m.fuelAdjustment),
        numberTextOf(m.renewableLevy),
        std::to_string(m.line),
    };
}

} // namespace wattorio::tariffs
