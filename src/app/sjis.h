#pragma once
// Files are Shift_JIS (CP932); in memory everything is UTF-8.

#include <string>
#include <string_view>

namespace wattorio {

struct Decoded {
    std::string text;  // UTF-8; undecodable bytes become U+FFFD
    bool clean = true; // false when some bytes were not Shift_JIS
};

Decoded fromCp932(std::string_view bytes);

// UTF-8 to CP932. Returns false (and leaves `out` partial) when a character has no CP932 form.
bool toCp932(std::string_view utf8, std::string& out);

// True when every character of the UTF-8 text can be stored in a Shift_JIS file.
bool representableInCp932(std::string_view utf8);

// True when the bytes are well-formed UTF-8 by their lead and continuation bytes (how a file that
// is no Shift_JIS, or a field that is already text, is told apart).
bool validUtf8(std::string_view bytes);

} // namespace wattorio
