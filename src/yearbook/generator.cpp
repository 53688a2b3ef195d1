#include "yearbook/generator.h"

#include "app/listwrite.h"
#include "app/numtext.h"
#include "app/safe_save.h"

#include <algorithm>
#include <cmath>

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
            return Error{agPath + ": " + text.error().message};
        *field = std::move(*text);
    }
    return s;
}

Status saveGeneratorSettings(const std::string& agPath, const GeneratorSettings& settings) {
    const std::vector<std::string> texts = {settings.start, settings.end, settings.capacity,
                                            settings.minOutput, settings.minPurchase};
    for (const std::string& t : texts)
        if (holdsQuoteOrLineEnd(t))
            return Error{"発電設備の設定に保存できない文字（\" や改行）があります: " + t};
    ListWriter writer;
    writer.writeStrings(texts);
    Result<std::string> bytes = writer.bytes();
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
    const auto damaged = [&](const Error& e) { return Error{resultsPath + ": " + e.message}; };
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
            state.GenData[h][r] = *v;
        }
    return Status::success();
}

Status Data_save_AG(const AppState& state, const std::string& resultsPath) {
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
    Result<std::string> bytes = writer.bytes();
    if (!bytes)
        return bytes.error();
    return saveFileAtomically(resultsPath, *bytes);
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
    const int first = static_cast<int>(std::max(0.0f, std::ceil(v.startH)));
    const int last = static_cast<int>(std::min(23.0f, std::floor(v.endH)));
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
