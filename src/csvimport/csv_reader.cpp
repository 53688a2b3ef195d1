#include "csvimport/csv_reader.h"

#include "app/sjis.h"
#include "app/text_escape.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

constexpr std::size_t kNulScanBytes = 1024 * 1024; // NUL bytes are looked for this far
constexpr std::size_t kTextScanBytes = 64 * 1024;  // the first lines checked as text
constexpr int kTextScanLines = 20;

// Whether the bytes are UTF-8; a character cut by the end of a partial read counts as whole.
bool isUtf8(std::string_view bytes, bool cutAtEnd) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = b < 0x80                   ? 1
                                   : (b >= 0xC2 && b <= 0xDF) ? 2
                                   : (b >= 0xE0 && b <= 0xEF) ? 3
                                   : (b >= 0xF0 && b <= 0xF4) ? 4
                                                              : 0;
        if (length == 0)
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            if (i + k >= bytes.size())
                return cutAtEnd;
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += length;
    }
    return true;
}

// Why the file is no text (a program, a picture, a packed file): "" when its beginning is text.
// Only the first part is looked at, so that a huge file is not read twice.
std::string notTextReason(int fd) {
    std::string head(kNulScanBytes, '\0');
    std::size_t got = 0;
    while (got < head.size()) {
        const ssize_t n = ::pread(fd, head.data() + got, head.size() - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    head.resize(got);
    if (head.find('\0') != std::string::npos)
        return "NUL バイトを含んでいます";
    // The first lines, ending at a line end where the look stops inside the file.
    std::string_view lines(head.data(), std::min(head.size(), kTextScanBytes));
    std::size_t end = 0;
    for (int n = 0; n < kTextScanLines && end < lines.size(); ++n) {
        const std::size_t lf = lines.find('\n', end);
        end = lf == std::string_view::npos ? lines.size() : lf + 1;
    }
    const bool partial = end == lines.size() && got > lines.size();
    lines = lines.substr(0, end);
    for (const char c : lines) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t' && c != '\r' && c != '\n' && c != '\f' && c != '\x1A') || u == 0x7F)
            return "先頭の行に文字でないバイトがあります";
    }
    if (lines.size() >= 3 && lines.substr(0, 3) == "\xEF\xBB\xBF")
        lines.remove_prefix(3);
    std::string whole(lines);
    if (partial)
        cutToWholeCharacter(whole);
    if (fromCp932(whole).clean || isUtf8(lines, partial))
        return "";
    return "先頭の行が Shift_JIS でも UTF-8 でもありません";
}

} // namespace

Result<CsvLineReader> CsvLineReader::open(const std::string& path) {
    const std::string shown = escapedForMessage(path);
    // Non-blocking: a pipe or a device given as the file must not hang the open; the type is
    // checked on the opened file before anything is read.
    const int fd = path.empty() ? -1 : ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return Error{"ファイルを開けません: " + shown};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Error{"ファイルを開けません（通常のファイルではありません）: " + shown};
    }
    if (const std::string why = notTextReason(fd); !why.empty()) {
        ::close(fd);
        return Error{"テキストの CSV ファイルではありません（" + why + "）: " + shown};
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* f = ::fdopen(fd, "rb");
    if (!f) {
        ::close(fd);
        return Error{"ファイルを開けません: " + shown};
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
