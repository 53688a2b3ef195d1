#pragma once
// The range of every number a book holds (readings, day counts, generated amounts): finite and
// within +/-1E+15, far beyond any meter yet exact in a double and stored without an exponent
// overflow. A value outside it is never taken from a file, an import or a cell, nor written.

namespace wattorio {

constexpr double kMaxBookValue = 1e15;

constexpr bool isBookValue(double value) {
    return value >= -kMaxBookValue && value <= kMaxBookValue; // false for NaN and infinities
}

// The words for a refused value in a message.
constexpr const char* kBookValueRange = "±1E+15 の範囲外です";

} // namespace wattorio
