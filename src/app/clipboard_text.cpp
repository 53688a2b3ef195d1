#include "app/clipboard_text.h"

#include "app/number_input.h"

#include <algorithm>
#include <utility>

namespace wattorio {

namespace {

std::string_view trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// "1,234,567.5" -> "1234567.5"; the text unchanged when its commas do not group digits by three.
std::string withoutGrouping(const std::string& s) {
    const std::size_t point = s.find('.');
    const std::string whole = s.substr(0, point);
    if (whole.find(',') == std::string::npos)
        return s;
    std::string digits;
    std::size_t run = 0;
    bool first = true;
    for (char c : whole) {
        if (c == ',') {
            if (run == 0 || run > 3 || (!first && run != 3))
                return s;
            first = false;
            run = 0;
            continue;
        }
        digits += c;
        ++run;
    }
    if (run != 3)
        return s;
    return point == std::string::npos ? digits : digits + s.substr(point);
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

std::vector<std::string_view> splitFields(std::string_view line, char separator) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == separator && !quoted) {
            fields.push_back(line.substr(start, i - start));
            start = i + 1;
        }
    }
    fields.push_back(line.substr(start));
    return fields;
}

} // namespace

std::string blockText(const TextGrid& grid, int r0, int c0, int r1, int c1) {
    std::string out;
    for (int r = r0; r <= r1; ++r) {
        for (int c = c0; c <= c1; ++c) {
            if (c > c0)
                out += '\t';
            out += grid.text(r, c);
        }
        out += "\r\n";
    }
    return out;
}

std::string readingsBlockText(const TextGrid& grid, int r0, int c0, int r1, int c1, int lastRow, int firstCol,
                              int lastCol) {
    if (r0 > r1)
        std::swap(r0, r1);
    if (c0 > c1)
        std::swap(c0, c1);
    r0 = std::max(r0, 1);
    r1 = std::min(r1, lastRow);
    c0 = std::max(c0, firstCol);
    c1 = std::min(c1, lastCol);
    if (r0 > r1 || c0 > c1)
        return {};
    return blockText(grid, r0, c0, r1, c1);
}

Result<PastedBlock> parsePastedBlock(std::string_view text) {
    if (text.size() > kMaxPastedBytes)
        return Error{"貼り付けるデータが大きすぎます。"};
    const char separator = text.find('\t') != std::string_view::npos ? '\t' : ',';
    PastedBlock block;
    const std::vector<std::string_view> lines = splitLines(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::vector<std::string>& row = block.emplace_back();
        const std::vector<std::string_view> fields = splitFields(lines[i], separator);
        for (std::size_t j = 0; j < fields.size(); ++j) {
            std::string_view f = trimmed(fields[j]);
            if (f.size() >= 2 && f.front() == '"' && f.back() == '"')
                f = trimmed(f.substr(1, f.size() - 2));
            std::string field = asciiNumberText(f);
            if (separator == '\t')
                field = withoutGrouping(field);
            if (!isReadingText(field) || field == ".")
                return Error{"貼り付けるデータの " + std::to_string(i + 1) + " 行目 " +
                             std::to_string(j + 1) + " 列目「" + std::string(trimmed(fields[j])) +
                             "」が数値ではありません。\n何も貼り付けていません。"};
            row.push_back(std::move(field));
        }
    }
    return block;
}

int placeBlock(TextGrid& grid, const PastedBlock& block, int row, int col, int lastRow, int lastCol) {
    int written = 0;
    grid.beginUpdate();
    for (std::size_t i = 0; i < block.size() && row + static_cast<int>(i) <= lastRow; ++i)
        for (std::size_t j = 0; j < block[i].size() && col + static_cast<int>(j) <= lastCol; ++j) {
            grid.setText(row + static_cast<int>(i), col + static_cast<int>(j), block[i][j]);
            ++written;
        }
    grid.endUpdate();
    return written;
}

} // namespace wattorio
