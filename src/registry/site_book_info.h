#pragma once
// Which book a site keeps and which year its calendar was set for, kept in the last formerly
// unused field of the site's record (fields 6 and 7 hold the site facts), so that an older
// registry reads as "not known" and an older program carries the text through unchanged.

#include "app/app_state.h"
#include "app/result.h"
#include "registry/registry.h"

#include <optional>

namespace wattorio::registry {

constexpr int kBookInfoField = 8;

struct SiteBookInfo {
    std::optional<BookKind> kind;    // the kind the site was registered with
    std::optional<int> calendarYear; // the year 年間休日設定 / 曜日設定 last set the calendar for
    bool operator==(const SiteBookInfo&) const = default;
};

// The stored information; fields left out, or unreadable, are nothing.
SiteBookInfo siteBookInfo(const SiteRecord& record);
// Writes the information into the record's field.
void setSiteBookInfo(SiteRecord& record, const SiteBookInfo& info);

// Stores the information of registry row `row` (1 .. kMaxSites) and saves the registry, rows 1 up
// to the last one holding a site (a deleted site's row is blanked, so none follows the last). The
// record is put back when the registry cannot be saved.
Status storeSiteBookInfo(AppState& state, int row, const SiteBookInfo& info);

} // namespace wattorio::registry
