#include "yearbook/generator.h"

#include "app/book_value.h"
#include "app/listwrite.h"
#include "app/numtext.h"
#include "app/safe_save.h"
#include "app/text_escape.h"
#include "yearbook/year_book_file.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <utility>

namespace fs = std::filesystem;

namespace wattorio::yearbook {

namespace {

constexpr int kLastRow = 365;
constexpr int kFileRows = 366;   // rows 0..365 are stored
constexpr int kFirstHourCol = 4; // hour h in column h + 4

// Texts that the list-write form cannot hold inside quotes.
bool holdsQuoteOrLineEnd(const std::string& text) {
    return text.find_first_of("\"\r\n") != std::string::npos;
}

} // namespace

Result<GeneratorSettings> Load_Ag(const std::string& agPath) {
    Result<std::string> bytes = readFileBytes(agPath);
    if (!bytes)
        return bytes.error();
    ListReader reader = ListReader::fromBytes(*bytes);
    std::string* fields[5];
    GeneratorSettings s;
    fields[0] = &s.start;
    fields[1] = &s.end;
    fields[2] = &s.capacity;
    fields[3] = &s.minOutput;
    fields[4] = &s.minPurchase;
    // All five or none: a short file leaves every field empty.
    for (std::string* field : fields) {
        Result<std::string> text = reader.nextString();
        if (!text)
            return Error{escapedForMessage(agPath) + ": " + text.error().message};
        *field = std::move(*text);
    }
    return s;
}

GeneratorSettingsLoad openGeneratorSettings(const std::string& agPath) {
    GeneratorSettingsLoad load;
    std::error_code ec;
    if (fs::symlink_status(agPath, ec).type() == fs::file_type::not_found)
        return load;
    Result<GeneratorSettings> read = Load_Ag(agPath);
    if (read) {
        load.settings = std::move(*read);
        return load;
    }
    // Damaged: copied aside before anything can be saved over it.
    load.note = "発電設備の設定ファイルを読み込めませんでした。\n" + escapedForMessage(agPath) + "\n（" +
                read.error().message + "）\n";
    if (Result<std::string> copy = keepDamagedCopy(agPath)) {
        load.note += "元のファイルは次の名前で残しました。\n" + escapedForMessage(*copy);
    } else {
        load.keepUnwritten = true;
        load.note += "元のファイルの控えを作れませんでした（" + copy.error().message +
                     "）。\n控えを作れるまで、このファイルへは保存しません。";
    }
    return load;
}

Result<std::string> generatorSettingsBytes(const GeneratorSettings& settings) {
    const std::vector<std::string> texts = {settings.start, settings.end, settings.capacity,
                                            settings.minOutput, settings.minPurchase};
    for (const std::string& t : texts)
        if (holdsQuoteOrLineEnd(t))
            return Error{"発電設備の設定に保存できない文字（\" や改行）があります: " + escapedForMessage(t)};
    ListWriter writer;
    writer.writeStrings(texts);
    return writer.bytes();
}

Status saveGeneratorSettings(const std::string& agPath, const GeneratorSettings& settings) {
    Result<std::string> bytes = generatorSettingsBytes(settings);
    if (!bytes)
        return bytes.error();
    return saveFileAtomically(agPath, *bytes);
}

Status Data_Lada_AG(AppState& state, const std::string& resultsPath, bool takeLabels) {
    for (auto& hour : state.GenData)
        std::fill(hour.begin(), hour.begin() + kFileRows, 0.0);
    if (!fileExists(resultsPath))
        return Status::success();
    Result<std::string> bytes = readFileBytes(resultsPath);
    if (!bytes)
        return bytes.error();
    ListReader reader = ListReader::fromBytes(*bytes);
    const auto damaged = [&](const Error& e) {
        return Error{escapedForMessage(resultsPath) + ": " + e.message};
    };
    const auto outOfRange = [](int line) {
        return Error{std::to_string(line) + " 行目: 値が" + std::string(kBookValueRange) + "。"};
    };
    // The labels and classes are read whole before any is taken, so that a damaged file never
    // leaves the book with half of them.
    std::array<std::array<std::string, 2>, kFileRows> codes;
    std::array<std::array<float, 2>, kFileRows> marks{};
    for (int r = 0; r < kFileRows; ++r)
        for (int c = 0; c < 2; ++c) {
            Result<std::string> text = reader.nextString();
            if (!text)
                return damaged(text.error());
            codes[r][c] = std::move(*text);
        }
    for (int r = 0; r < kFileRows; ++r)
        for (int c = 0; c < 2; ++c) {
            Result<double> v = reader.nextNumber();
            if (!v)
                return damaged(v.error());
            if (!isBookValue(*v))
                return damaged(outOfRange(reader.line()));
            marks[r][c] = static_cast<float>(*v);
        }
    if (takeLabels) {
        for (int r = 0; r < kFileRows; ++r) {
            state.DayCode[r] = codes[r];
            state.DayMark[r] = marks[r];
        }
    }
    // The amounts as far as they can be read (the rest stays 0).
    for (int r = 0; r < kFileRows; ++r)
        for (int h = 0; h < kHourSlots; ++h) {
            Result<double> v = reader.nextNumber();
            if (!v)
                return damaged(v.error());
            if (!isBookValue(*v))
                return damaged(outOfRange(reader.line()));
            state.GenData[h][r] = *v;
        }
    return Status::success();
}

Result<std::string> generatorResultsBytes(const AppState& state) {
    for (int r = 0; r < kFileRows; ++r)
        for (int h = 0; h < kHourSlots; ++h)
            if (!isBookValue(state.GenData[h][r]))
                return Error{"発電量 " + std::to_string(r) + " 行目 " + std::to_string(h) + "時の値が" +
                             kBookValueRange + "。"};
    ListWriter writer;
    for (int r = 0; r < kFileRows; ++r)
        for (int c = 0; c < 2; ++c)
            writer.writeString(state.DayCode[r][c]);
    for (int r = 0; r < kFileRows; ++r)
        for (int c = 0; c < 2; ++c)
            writer.writeNumber(state.DayMark[r][c]);
    for (int r = 0; r < kFileRows; ++r)
        for (int h = 0; h < kHourSlots; ++h)
            writer.writeNumber(state.GenData[h][r]);
    return writer.bytes();
}

Status Data_save_AG(const AppState& state, const std::string& resultsPath) {
    Result<std::string> bytes = generatorResultsBytes(state);
    if (!bytes)
        return bytes.error();
    return saveFileAtomically(resultsPath, *bytes);
}

Status saveGeneratorRun(const AppState& state, const GeneratorSettings& settings,
                        const GeneratorRunFiles& files) {
    Result<std::string> results = generatorResultsBytes(state);
    if (!results)
        return Error{"ファイルに書き込めません: " + escapedForMessage(files.results) + "（" +
                     results.error().message + "）"};
    Result<std::string> stored = generatorSettingsBytes(settings);
    if (!stored)
        return stored.error();
    Result<std::string> book = yearBookBytes(state);
    if (!book)
        return Error{"ファイルに書き込めません: " + escapedForMessage(files.book) + "（" +
                     book.error().message + "）"};
    // Every new file is written and flushed before any replaces its old one. They are then
    // renamed results first, settings next, the year book last: a crash between two renames
    // leaves the book's readings as they were before the run (nothing taken off them is lost,
    // the run can be checked and undone from the stored totals), never readings reduced by a
    // run that no results file records.
    SaveSet set;
    for (const auto& [path, bytes] : {std::pair{&files.results, &*results},
                                      std::pair{&files.settings, &*stored}, std::pair{&files.book, &*book}})
        if (Status s = set.add(*path, *bytes); !s)
            return s;
    return set.commit();
}

float generatorDecision(float x, float cap, float minGen, float minSup) {
    // Every sum is taken in single precision before it is compared.
    const float fullLimit = minSup + cap;
    if (x > fullLimit)
        return x - cap; // full output
    if (x >= cap) {
        const float rest = x - cap;
        if (rest > minSup)
            return rest;
        // Output down to the minimum purchase; a reading already at or below it is left alone
        // (the generator never raises the purchase).
        return x > minSup ? minSup : x;
    }
    const float runLimit = minSup + minGen;
    if (x > minSup && x > runLimit)
        return minSup;
    return x; // below the minimum output: the generator does not run this hour
}

GeneratorValues generatorValues(const GeneratorSettings& settings, double multiplier) {
    GeneratorValues v;
    v.startH = static_cast<float>(val(settings.start));
    v.endH = static_cast<float>(val(settings.end));
    const auto meterUnits = [&](const std::string& kw) { return static_cast<float>(val(kw) / multiplier); };
    if (multiplier != 0 && std::isfinite(multiplier)) {
        v.cap = meterUnits(settings.capacity);
        v.minGen = meterUnits(settings.minOutput);
        v.minSup = meterUnits(settings.minPurchase);
    }
    return v;
}

Status checkGenerator(const GeneratorSettings& settings, double multiplier) {
    for (const std::string* hour : {&settings.start, &settings.end}) {
        const double h = val(*hour);
        if (!(h >= 0 && h <= 23))
            return Error{"運転開始と運転終了は 0時 から 23時 の間で選んでください（" +
                         escapedForMessage(*hour) + "）。"};
    }
    if (!(multiplier > 0) || !std::isfinite(multiplier))
        return Error{"物件の乗率が 0 または数値ではないため、発電設備の計算ができません。\n"
                     "物件の登録で乗率を入力してください。"};
    const struct {
        const std::string& text;
        const char* label;
    } amounts[] = {{settings.capacity, "発電最大"},
                   {settings.minOutput, "発電最小"},
                   {settings.minPurchase, "電力供給最低電力"}};
    for (const auto& a : amounts) {
        const double kw = val(a.text);
        if (kw < 0 || !std::isfinite(kw))
            return Error{std::string(a.label) + " には 0 以上の数値を入力してください。"};
    }
    return Status::success();
}

Status simulateGenerator(TextGrid& grid, AppState& state, const GeneratorSettings& settings,
                         double multiplier) {
    if (Status ok = checkGenerator(settings, multiplier); !ok)
        return ok;
    const GeneratorValues v = generatorValues(settings, multiplier);
    // Hours outside 0..23 have no column; a window that starts after it ends runs no hour.
    const int first = static_cast<int>(std::clamp(std::ceil(v.startH), 0.0f, 24.0f));
    const int last = static_cast<int>(std::clamp(std::floor(v.endH), -1.0f, 23.0f));
    const int lastRow = std::min(kLastRow, grid.rows() - 1);
    grid.beginUpdate();
    for (int r = 1; r <= lastRow; ++r) {
        for (int h = first; h <= last; ++h) {
            const int col = h + kFirstHourCol;
            const float x0 = static_cast<float>(val(grid.text(r, col)));
            const float x = generatorDecision(x0, v.cap, v.minGen, v.minSup);
            grid.setText(r, col, numberText(x));
            const float generated = x0 - x;
            state.GenData[h][r] += generated;
        }
    }
    grid.endUpdate();
    return Status::success();
}

Status runGenerator(TextGrid& grid, AppState& state, const GeneratorSettings& settings, double multiplier,
                    const std::string& resultsPath) {
    if (Status ok = checkGenerator(settings, multiplier); !ok)
        return ok;
    // Earlier saved runs first; the book keeps its own day labels and classes. A damaged results
    // file refuses the run with the amounts as they were (a save would lose the stored totals).
    const auto before = state.GenData;
    if (Status loaded = Data_Lada_AG(state, resultsPath, false); !loaded) {
        state.GenData = before;
        return loaded;
    }
    return simulateGenerator(grid, state, settings, multiplier);
}

} // namespace wattorio::yearbook
