#include "tenday/ten_day_csv.h"

#include "app/safe_save.h"
#include "app/sjis.h"
#include "tenday/ten_day_file.h"

#include <array>
#include <optional>

namespace wattorio::tenday {

namespace {

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// True when the bytes are well-formed UTF-8 and hold at least one non-ASCII character.
bool looksLikeUtf8(std::string_view bytes) {
    bool wide = false;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        int extra = 0;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF)
            extra = 1;
        else if (c >= 0xE0 && c <= 0xEF)
            extra = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            extra = 3;
        else
            return false;
        if (i + extra >= bytes.size())
            return false;
        for (int k = 1; k <= extra; ++k)
            if (!isContinuation(static_cast<unsigned char>(bytes[i + k])))
                return false;
        wide = true;
        i += 1 + extra;
    }
    return wide;
}

std::string decode(std::string_view bytes) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (bytes.substr(0, kBom.size()) == kBom)
        return std::string(bytes.substr(kBom.size()));
    if (looksLikeUtf8(bytes))
        return std::string(bytes);
    return fromCp932(bytes).text;
}

// Cuts the 27 fields off the front of a line; nothing when a comma is missing before the last.
std::optional<std::array<std::string_view, kCsvFields>> cutFields(std::string_view line) {
    std::array<std::string_view, kCsvFields> fields;
    for (int k = 0; k < kCsvFields; ++k) {
        const std::size_t comma = line.find(',');
        if (comma == std::string_view::npos) {
            if (k + 1 < kCsvFields)
                return std::nullopt;
            fields[k] = line;
            break;
        }
        fields[k] = line.substr(0, comma);
        line.remove_prefix(comma + 1);
    }
    return fields;
}

// The next line of `text` from `pos`, without its line end (CR LF, LF or CR).
std::optional<std::string_view> nextLine(std::string_view text, std::size_t& pos) {
    if (pos >= text.size())
        return std::nullopt;
    std::size_t end = pos;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n')
        ++end;
    std::string_view line = text.substr(pos, end - pos);
    if (end < text.size() && text[end] == '\r')
        ++end;
    if (end < text.size() && text[end] == '\n')
        ++end;
    pos = end;
    return line;
}

} // namespace

TenDayCsvOutcome placeTenDayCsv(std::string_view bytes, TextGrid& grid) {
    const std::string text = decode(bytes);
    std::size_t pos = 0;
    TenDayCsvOutcome outcome;
    if (!nextLine(text, pos)) // the heading line
        return outcome;
    grid.beginUpdate();
    for (int r = 1; r <= kTenDayRows; ++r) {
        const std::optional<std::string_view> line = nextLine(text, pos);
        if (!line)
            break;
        const auto fields = cutFields(*line);
        if (!fields)
            break;
        for (int k = 0; k < kCsvFields; ++k)
            grid.setText(r, k + 1, std::string((*fields)[k]));
        outcome.rowsPlaced = r;
    }
    grid.endUpdate();
    return outcome;
}

Result<TenDayCsvOutcome> importTenDayCsv(const std::string& path, TextGrid& grid) {
    Result<std::string> bytes = readFileBytes(path);
    if (!bytes)
        return bytes.error();
    return placeTenDayCsv(*bytes, grid);
}

} // namespace wattorio::tenday
