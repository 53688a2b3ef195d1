#pragma once
// The list-write text form of every data file: one statement per line ended by CR LF, strings in
// double quotes, numbers bare with "." as decimal separator, fields of one statement separated by
// commas; Shift_JIS on disk. The reader takes list-read fields: quoted or bare, separated by commas
// or line ends; LF-only files and a missing final newline are accepted.

#include "app/result.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace wattorio {

// Builds a file in memory (UTF-8), then encodes it to CP932 bytes.
class ListWriter {
public:
    // One statement of one value per line.
    void writeString(std::string_view text);
    void writeNumber(double value);
    void writeNumber(float value);
    // One statement of several quoted strings separated by commas.
    void writeStrings(const std::vector<std::string>& texts);

    const std::string& utf8() const { return text_; }
    // CP932 bytes; an error names the first text that Shift_JIS cannot hold.
    Result<std::string> bytes() const;

private:
    std::string text_;
};

struct ListField {
    std::string text; // UTF-8, without the quotes; a bare field is trimmed of blanks
    bool quoted = false;
    int line = 0; // 1-based line where the field starts
};

// Reads fields from a decoded file.
class ListReader {
public:
    explicit ListReader(std::string utf8Text);
    // From CP932 bytes; `clean()` tells whether every byte was Shift_JIS.
    static ListReader fromBytes(std::string_view bytes);

    bool atEnd();
    // The next field, or an error that names the line ("3 行目: ...") at the end of the file
    // or on an unterminated quote.
    Result<ListField> next();
    // The next field as text (a bare field's text as it stands).
    Result<std::string> nextString();
    // The next field as a number: a bare numeric field (".5", "-5", "1E+300"); a quoted field or
    // a bare field that is not a number is an error.
    Result<double> nextNumber();
    int line() const { return line_; }
    bool clean() const { return clean_; }

private:
    void skipBlanks();
    std::string text_;
    std::size_t pos_ = 0;
    int line_ = 1;
    bool clean_ = true;
};

} // namespace wattorio
