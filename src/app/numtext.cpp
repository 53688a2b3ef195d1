#include "app/numtext.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace wattorio {

namespace {
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Puts the exponent in the "E+300" form.
std::string withUpperExponent(std::string text) {
    const auto e = text.find('e');
    if (e == std::string::npos)
        return text;
    text[e] = 'E';
    if (e + 1 < text.size() && text[e + 1] != '-' && text[e + 1] != '+')
        text.insert(e + 1, "+");
    return text;
}
} // namespace

double val(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    const std::size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    std::size_t end = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j]))
                ++j;
            end = j;
        }
    }
    std::string number(text.substr(start, end - start));
    for (char& c : number)
        if (c == 'd' || c == 'D')
            c = 'e';
    const char* first = number.data();
    const bool negative = *first == '-';
    if (*first == '+' || *first == '-')
        ++first;
    double value = 0;
    const auto [ptr, ec] = std::from_chars(first, number.data() + number.size(), value);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        // from_chars leaves the value unchanged on overflow or underflow: tell them apart by the
        // exponent's sign.
        const auto ePos = number.find_first_of("eE");
        const bool tiny = ePos != std::string::npos && number.find('-', ePos) != std::string::npos;
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return negative ? -value : value;
}

std::string numberText(double value) {
    if (std::isnan(value))
        return "0";
    if (std::isinf(value))
        return value > 0 ? "1.79769313486232E+308" : "-1.79769313486232E+308";
    if (value == 0)
        return "0";
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    return withUpperExponent(std::string(buf, res.ptr));
}

std::string numberText(float value) {
    if (std::isnan(value))
        return "0";
    if (std::isinf(value))
        return value > 0 ? "3.402823E+38" : "-3.402823E+38";
    if (value == 0)
        return "0";
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    return withUpperExponent(std::string(buf, res.ptr));
}

} // namespace wattorio
