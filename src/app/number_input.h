#pragma once
// Numbers typed with a Japanese input method come as full-width characters ("１２．５"): a number
// field turns them into their ASCII forms before anything reads the text.

#include <string>
#include <string_view>

namespace wattorio {

// The ASCII form of one character of a number field: full-width digits, plus, minus, point and
// comma (and the ideographic full stop and comma, and the minus sign U+2212) map to "0"-"9", "+",
// "-", "." and ","; 0 when the character is none of these.
char asciiNumberChar(char32_t c);

// The UTF-8 text with every such character replaced by its ASCII form; other characters are kept.
std::string asciiNumberText(std::string_view utf8);

// Whether an entry field's ASCII text is a reading as it is being typed: digits with at most one
// decimal point ("", "12", "12.", ".5", "123.5"). Signs, blanks and a second point are not.
bool isReadingText(std::string_view ascii);

} // namespace wattorio
