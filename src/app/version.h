#pragma once
#include <string>

namespace wattorio {

constexpr int kVersionMajor = 1;
constexpr int kVersionMinor = 0;
constexpr int kVersionRevision = 2;
constexpr const char* kAppTitle = "ワットリオ";
// The one-line notice appended to the title bars.
constexpr const char* kBanner = "高圧・特別高圧電力　料金メニュー比較";

// " Ver  1.02": major, ".", minor and revision run together.
inline std::string versionDigits() {
    return std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) +
           std::to_string(kVersionRevision);
}

} // namespace wattorio
