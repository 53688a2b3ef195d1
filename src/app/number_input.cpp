#include "app/number_input.h"

namespace wattorio {

char asciiNumberChar(char32_t c) {
    if (c >= U'０' && c <= U'９')
        return static_cast<char>('0' + (c - U'０'));
    switch (c) {
    case U'＋':
        return '+';
    case U'－':
    case U'\u2212': // minus sign
        return '-';
    case U'．':
    case U'。':
        return '.';
    case U'，':
    case U'、':
        return ',';
    default:
        return 0;
    }
}

std::string asciiNumberText(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        // The characters mapped are all three bytes long in UTF-8 (U+2212, U+3001, U+3002,
        // U+FF0B..U+FF19); anything else is copied byte by byte.
        const auto b0 = static_cast<unsigned char>(utf8[i]);
        if ((b0 & 0xF0) == 0xE0 && i + 2 < utf8.size()) {
            const auto b1 = static_cast<unsigned char>(utf8[i + 1]);
            const auto b2 = static_cast<unsigned char>(utf8[i + 2]);
            if ((b1 & 0xC0) == 0x80 && (b2 & 0xC0) == 0x80) {
                const char32_t c =
                    (char32_t(b0 & 0x0F) << 12) | (char32_t(b1 & 0x3F) << 6) | char32_t(b2 & 0x3F);
                if (const char a = asciiNumberChar(c)) {
                    out += a;
                    i += 3;
                    continue;
                }
            }
        }
        out += utf8[i];
        ++i;
    }
    return out;
}

bool isReadingText(std::string_view ascii) {
    bool point = false;
    for (char c : ascii) {
        if (c == '.' && !point)
            point = true;
        else if (c < '0' || c > '9')
            return false;
    }
    return true;
}

} // namespace wattorio
