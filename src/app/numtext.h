#pragma once
// Numbers in text: the leading-number rule for typed and stored texts, and the shortest
// exact decimal form the files use.

#include <string>
#include <string_view>

namespace wattorio {

// The number at the start of the text: blanks skipped, optional sign, digits, optional point
// and fraction, optional exponent. 0 when the text does not start with a number ("12.5kW" -> 12.5).
// A value too large for a double gives +/- infinity.
double val(std::string_view text);

// Shortest text that reads back to exactly the same value, "." as decimal separator,
// an exponent written as "E+300" / "E-05".
std::string numberText(double value);
std::string numberText(float value);

} // namespace wattorio
