#pragma once
// Display patterns such as "#,###,###", "#,###,###,### kWh", "#,###,###,### 円" and
// "消費税含む    　#,####,###,###,### 円": the literal text before the first digit placeholder and
// after the last one is kept; the value is rounded half away from zero to a whole number and
// written with a separator every three digits; a value that rounds to 0 shows no digits at all.

#include <string>
#include <string_view>

namespace wattorio {

inline constexpr std::string_view kFmtCount = "#,###,###";
inline constexpr std::string_view kFmtKwh = "#,###,###,### kWh";
inline constexpr std::string_view kFmtYen = "#,###,###,### 円";
inline constexpr std::string_view kFmtYenTotal = "#,####,###,###,### 円";
inline constexpr std::string_view kFmtYenWithTax = "消費税含む    　#,####,###,###,### 円";
inline constexpr std::string_view kFmtKw = "#,###,###,### kW ";

std::string formatPattern(double value, std::string_view pattern);

// Whole number with thousands separators ("1,790,760"), "" for 0; no literal text.
std::string groupedDigits(double value);

} // namespace wattorio
