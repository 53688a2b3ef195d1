#pragma once
// The layout the site's own CSV files share (the meter file and the invoice file): a heading line
// of their own, one record a line, CR LF, Shift_JIS, blank lines only at the end. One walk over
// the lines, so that both readers refuse the same damage with the same words.

#include "app/result.h"
#include "app/sjis.h"

#include <charconv>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace wattorio::billing {

inline std::string csvHeadingBytes(std::string_view heading) {
    std::string out;
    toCp932(heading, out);
    return out;
}

inline Error csvLineError(std::size_t line, const std::string& why) {
    return Error{std::to_string(line) + " 行目: " + why};
}

// A plain decimal number as the program writes it: no sign, no exponent, at most 32 characters.
inline bool parsePlainNumber(std::string_view s, double& value) {
    if (s.empty() || s.size() > 32 || s.front() == '+' || s.front() == '-')
        return false;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::fixed);
    return ec == std::errc() && end == s.data() + s.size();
}

// Calls `record(line, lineNumber)` for every record line after the heading `heading` (UTF-8; the
// file holds it in Shift_JIS); `record` returns an error to stop. Refuses a wrong heading, a blank
// line before a record, a line longer than `maxLineBytes` and an empty file.
template <typename OnRecord>
std::optional<Error> forEachCsvRecord(std::string_view bytes, std::string_view heading,
                                      std::size_t maxLineBytes, OnRecord&& record) {
    const std::string headingBytes = csvHeadingBytes(heading);
    std::size_t pos = 0;
    std::size_t lineNo = 0;
    bool blankSeen = false;
    while (pos < bytes.size()) {
        std::size_t eol = bytes.find('\n', pos);
        if (eol == std::string_view::npos)
            eol = bytes.size();
        std::string_view line = bytes.substr(pos, eol - pos);
        pos = eol + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (lineNo == 1) {
            if (line != headingBytes)
                return csvLineError(1, "見出しが「" + std::string(heading) + "」ではありません");
            continue;
        }
        if (line.empty()) {
            blankSeen = true; // only trailing blank lines are allowed
            continue;
        }
        if (blankSeen)
            return csvLineError(lineNo - 1, "空行があります");
        if (line.size() > maxLineBytes)
            return csvLineError(lineNo, "行が長すぎます");
        if (std::optional<Error> refused = record(line, lineNo))
            return refused;
    }
    if (lineNo == 0)
        return Error{"空のファイルです"};
    return std::nullopt;
}

} // namespace wattorio::billing
