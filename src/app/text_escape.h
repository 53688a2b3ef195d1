#pragma once
// Text from a file or a file name shown in a message: control bytes (NUL, line breaks, escape
// sequences, DEL) are written as "\x00" so that a damaged file cannot cut or disguise a message.

#include <string>
#include <string_view>

namespace wattorio {

std::string escapedForMessage(std::string_view text);

} // namespace wattorio
