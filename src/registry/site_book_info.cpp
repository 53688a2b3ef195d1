#include "registry/site_book_info.h"

#include <string>

namespace wattorio::registry {

// The field reads "<kind><year>": kind "Y" (３６５日用), "W" (１０日集計用) or nothing, then the
// calendar year in four digits or nothing ("Y2024", "W", "2024", ""). Letters and digits only, so
// the field never needs the quoting the registry file cannot give.
namespace {

constexpr int kFirstYear = 1900;
constexpr int kLastYear = 2999;

std::optional<int> yearOf(const std::string& digits) {
    if (digits.size() != 4)
        return std::nullopt;
    int year = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        year = year * 10 + (c - '0');
    }
    if (year < kFirstYear || year > kLastYear)
        return std::nullopt;
    return year;
}

} // namespace

SiteBookInfo siteBookInfo(const SiteRecord& record) {
    const std::string& text = record[kBookInfoField];
    SiteBookInfo info;
    std::string rest = text;
    if (!rest.empty() && (rest[0] == 'Y' || rest[0] == 'W')) {
        info.kind = rest[0] == 'Y' ? BookKind::Year : BookKind::TenDay;
        rest.erase(0, 1);
    }
    if (!rest.empty()) {
        info.calendarYear = yearOf(rest);
        // A text this program did not write tells nothing, not half of something.
        if (!info.calendarYear)
            return {};
    }
    return info;
}

void setSiteBookInfo(SiteRecord& record, const SiteBookInfo& info) {
    std::string text;
    if (info.kind)
        text += *info.kind == BookKind::Year ? 'Y' : 'W';
    if (info.calendarYear && *info.calendarYear >= kFirstYear && *info.calendarYear <= kLastYear)
        text += std::to_string(*info.calendarYear);
    record[kBookInfoField] = text;
}

Status storeSiteBookInfo(AppState& state, int row, const SiteBookInfo& info) {
    if (row < 1 || row > kMaxSites)
        return Error{"物件が選択されていません。"};
    int last = 0;
    for (int r = 1; r <= kMaxSites; ++r)
        for (const std::string& field : state.SiteTable[r])
            if (!field.empty())
                last = r;
    if (row > last)
        return Error{"物件が登録されていません。"};
    SiteRecord& record = state.SiteTable[row];
    const std::string before = record[kBookInfoField];
    setSiteBookInfo(record, info);
    if (record[kBookInfoField] == before)
        return Status::success();
    Status saved = saveRegistry(state, static_cast<float>(last + 1));
    if (!saved)
        record[kBookInfoField] = before;
    return saved;
}

} // namespace wattorio::registry
