#include "csvimport/csv_reader.h"

#include "app/sjis.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

namespace wattorio::csvimport {

namespace {
constexpr std::size_t kBlockBytes = 64 * 1024;

bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Cuts a field that reached the cap back to the last whole Shift_JIS character.
void cutToWholeCharacter(std::string& bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (isLeadByte(static_cast<unsigned char>(bytes[i]))) {
            if (i + 1 >= bytes.size())
                break;
            i += 2;
        } else {
            ++i;
        }
    }
    bytes.resize(i);
}
} // namespace

CsvLineReader::CsvLineReader(std::FILE* file) : file_(file), buffer_(new unsigned char[kBlockBytes]) {}

Result<CsvLineReader> CsvLineReader::open(const std::string& path) {
    std::FILE* f = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
    if (!f)
        return Error{"ファイルを開けません: " + path};
    struct stat st {};
    if (::fstat(::fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
        std::fclose(f);
        return Error{"ファイルを開けません: " + path};
    }
    CsvLineReader reader(f);
    // A UTF-8 byte-order mark is not part of the first line.
    if (!reader.atEnd() && reader.size_ - reader.pos_ >= 3 && reader.buffer_[0] == 0xEF &&
        reader.buffer_[1] == 0xBB && reader.buffer_[2] == 0xBF)
        reader.pos_ = 3;
    return reader;
}

bool CsvLineReader::atEnd() {
    if (pos_ < size_)
        return false;
    if (eof_)
        return true;
    // A read error ends the file like its end does.
    size_ = std::fread(buffer_.get(), 1, kBlockBytes, file_.get());
    pos_ = 0;
    if (size_ == 0)
        eof_ = true;
    return size_ == 0;
}

int CsvLineReader::get() {
    if (atEnd())
        return -1;
    return buffer_[pos_++];
}

bool CsvLineReader::skipLine() {
    std::vector<std::string> none;
    long long count = 0;
    return readLine(1, 0, none, count, 0);
}

bool CsvLineReader::readLine(long long first, long long last, std::vector<std::string>& fields,
                             long long& fieldCount, std::size_t maxFieldBytes) {
    if (skipLf_) {
        skipLf_ = false;
        if (!atEnd() && buffer_[pos_] == '\n')
            ++pos_;
    }
    if (atEnd())
        return false;
    fields.clear();
    long long field = 1;
    std::string* current = (first <= 1 && 1 <= last) ? &fields.emplace_back() : nullptr;
    bool cut = false;
    const auto finishField = [&] {
        if (current && cut)
            cutToWholeCharacter(*current);
        cut = false;
    };
    for (;;) {
        const unsigned char* p = buffer_.get() + pos_;
        const unsigned char* const end = buffer_.get() + size_;
        while (p < end) {
            if (field > last) {
                // Past the wanted fields only the line end matters.
                const auto* lf = static_cast<const unsigned char*>(std::memchr(p, '\n', end - p));
                const unsigned char* limit = lf ? lf : end;
                const auto* cr = static_cast<const unsigned char*>(std::memchr(p, '\r', limit - p));
                p = cr ? cr : limit;
                if (p == end)
                    break;
            } else {
                // A run of ordinary bytes of the current field.
                const unsigned char* q = p;
                while (q < end && *q != ',' && *q != '\n' && *q != '\r')
                    ++q;
                if (current) {
                    const std::size_t room = maxFieldBytes - std::min(maxFieldBytes, current->size());
                    const std::size_t run = static_cast<std::size_t>(q - p);
                    current->append(reinterpret_cast<const char*>(p), std::min(room, run));
                    if (run > room)
                        cut = true;
                }
                p = q;
                if (p == end)
                    break;
            }
            const unsigned char c = *p++;
            if (c == ',') {
                finishField();
                ++field;
                current = (first <= field && field <= last) ? &fields.emplace_back() : nullptr;
                continue;
            }
            // CR, LF or CR LF ends the line.
            if (c == '\r')
                skipLf_ = true;
            pos_ = static_cast<std::size_t>(p - buffer_.get());
            finishField();
            fieldCount = field;
            ++lines_;
            return true;
        }
        pos_ = size_;
        if (atEnd())
            break;
    }
    // The last line of a file without a final line end.
    finishField();
    fieldCount = field;
    ++lines_;
    return true;
}

std::string decodeField(const std::string& bytes) {
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return fromCp932(bytes).text;
    return bytes;
}

} // namespace wattorio::csvimport
