#pragma once
// A streaming line reader for the CSV import: reads the file in blocks and hands out, line by
// line, the number of fields of the line and the texts of a window of fields, never holding a
// whole line. Lines end in CR LF, LF or a lone CR; a UTF-8 byte-order mark at the very start is
// skipped. Fields are cut at every comma (0x2C never occurs inside a Shift_JIS character).

#include "app/result.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace wattorio::csvimport {

class CsvLineReader {
public:
    // Opens a regular file for reading; an error for anything else (missing, a folder, a pipe, a
    // device; it never waits on one) and for a file that is not text: NUL bytes in its first
    // megabyte, or first lines that are neither Shift_JIS nor UTF-8.
    static Result<CsvLineReader> open(const std::string& path);

    // Reads and drops the next line; false at the end of the file.
    bool skipLine();

    // Reads the next line, keeping the texts (raw bytes, cut to `maxFieldBytes` at a whole
    // Shift_JIS character) of the fields numbered first..last (1-based) that exist; `fields`
    // receives them in order and `fieldCount` the number of fields in the line (commas + 1),
    // counted up to last + 1 (a line with more fields gives last + 1: beyond the wanted fields
    // only the line end is looked for). False at the end of the file (no line left).
    bool readLine(long long first, long long last, std::vector<std::string>& fields, long long& fieldCount,
                  std::size_t maxFieldBytes);

    // Number of lines read so far (the line just read is this number).
    long long lineNumber() const { return lines_; }

private:
    struct Closer {
        void operator()(std::FILE* f) const {
            if (f)
                std::fclose(f);
        }
    };
    explicit CsvLineReader(std::FILE* file);
    int get();
    bool atEnd();

    std::unique_ptr<std::FILE, Closer> file_;
    std::unique_ptr<unsigned char[]> buffer_;
    std::size_t pos_ = 0;
    std::size_t size_ = 0;
    bool eof_ = false;
    bool skipLf_ = false; // the last line ended in CR: a following LF belongs to it
    long long lines_ = 0;
};

// The text of a field's bytes: ASCII as it stands, anything else decoded from Shift_JIS.
std::string decodeField(const std::string& bytes);

} // namespace wattorio::csvimport
