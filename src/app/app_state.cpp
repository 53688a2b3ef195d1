#include "app/app_state.h"

#include "app/numtext.h"

namespace wattorio {

const std::array<const char*, 9> kUtilityNames = {"東京電力", "中部電力", "東北電力", "関西電力",  "中国電力",
                                                  "四国電力", "九州電力", "北陸電力", "北海道電力"};

void fillUtilityNames(AppState& state) {
    for (std::size_t i = 0; i < state.UtilityNames.size(); ++i)
        state.UtilityNames[i] = i < kUtilityNames.size() ? kUtilityNames[i] : "";
}

const SiteRecord* AppState::currentSite() const {
    const int row = static_cast<int>(SiteRow);
    if (row < 1 || row >= kMaxSiteRows || row != SiteRow)
        return nullptr;
    return &SiteTable[row];
}

double AppState::currentSiteValue(int col) const {
    const SiteRecord* site = currentSite();
    if (!site || col < 0 || col >= kSiteFields)
        return 0;
    return val((*site)[col]);
}

std::string AppState::currentUtilityName() const {
    const int u = static_cast<int>(UtilityNo);
    if (u < 1 || u > 9 || u != UtilityNo)
        return "";
    return kUtilityNames[u - 1];
}

static std::string withoutBookSuffix(const std::string& path) {
    return path.size() >= 6 ? path.substr(0, path.size() - 6) : std::string();
}

std::string AppState::agPath() const {
    return withoutBookSuffix(SiteDataPath) + "_Ag.dat";
}
std::string AppState::agResultsPath() const {
    return withoutBookSuffix(SiteDataPath) + "_Ag_G.dat";
}

} // namespace wattorio
