#include "app/display_format.h"

#include <charconv>
#include <cmath>

namespace wattorio {

std::string groupedDigits(double value) {
    if (!std::isfinite(value))
        return "********";
    const double rounded = std::round(value); // half away from zero
    if (rounded == 0)
        return "";
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(rounded), std::chars_format::fixed, 0);
    const std::string digits(buf, res.ptr);
    std::string out;
    out.reserve(digits.size() + digits.size() / 3 + 1);
    if (rounded < 0)
        out += '-';
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return out;
}

std::string formatPattern(double value, std::string_view pattern) {
    const auto first = pattern.find_first_of("#0");
    if (first == std::string_view::npos)
        return std::string(pattern);
    const auto last = pattern.find_last_of("#0");
    std::string out(pattern.substr(0, first));
    out += groupedDigits(value);
    out += pattern.substr(last + 1);
    return out;
}

} // namespace wattorio
