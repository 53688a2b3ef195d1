#include "billing/site_bill.h"

#include "app/numtext.h"
#include "billing/meter_file.h"
#include "registry/site_facts.h"

namespace wattorio::billing {

RankingSite SiteBillData::rankingSite() const {
    RankingSite site;
    site.intervals = intervals;
    site.contractKw = contractKw;
    site.powerFactor = powerFactor;
    site.utility = utility_;
    site.category = category_;
    site.supply = supply_;
    return site;
}

Result<SiteBillData> loadSiteBillData(const AppState& state, int row) {
    if (row < 1 || row >= kMaxSiteRows || state.SiteTable[static_cast<std::size_t>(row)][0].empty())
        return Error{"物件が選ばれていません。"};
    const SiteRecord& record = state.SiteTable[static_cast<std::size_t>(row)];
    if (const std::string problem = registry::siteFiguresProblem(record); !problem.empty())
        return Error{problem};
    SiteBillData site;
    site.serial = record[0];
    site.name = record[1];
    site.contractKw = val(record[3]);
    site.powerFactor = val(record[4]);
    site.utility_ = static_cast<int>(val(record[5]));
    if (const std::optional<tariffs::Category> c = registry::siteCategory(record))
        site.category_ = std::string(tariffs::categoryName(*c));
    if (const std::optional<registry::Supply> s = registry::siteSupply(record))
        site.supply_ = std::string(registry::supplyText(*s));

    MeterFileRead read = readMeterFile(siteMeterFilePath(state.AppDir, record[0]));
    if (read.state == MeterFileState::Damaged)
        return Error{read.message};
    if (read.intervals.empty())
        return Error{"物件「" + site.name +
                     "」にはメーターデータがありません。インターバルデータを読み込んでください。"};
    site.intervals = std::move(read.intervals);

    yearbook::HolidaySource holidays = yearbook::findHolidayList(state.AppDir, state.DataDir);
    if (!holidays.note.empty())
        site.notes.push_back(holidays.note);
    site.holidays = std::move(holidays.list);
    Result<NationalTables> tables = loadNationalTables(state.AppDir, state.DataDir);
    if (!tables)
        return tables.error();
    site.notes.insert(site.notes.end(), tables->notes.begin(), tables->notes.end());
    site.tables = std::move(*tables);
    return site;
}

BillRequest siteBillRequest(const SiteBillData& site, const Tariff& tariff, YearMonth first, int months) {
    BillRequest request;
    request.intervals = site.intervals;
    request.contractKw = site.contractKw;
    request.powerFactor = site.powerFactor;
    request.holidays = &site.holidays;
    request.tariff = &tariff;
    request.tables = &site.tables;
    request.first = first;
    request.months = months;
    return request;
}

std::string tariffFileName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::pair<std::string, std::string> priceDateSpan(const Tariff& tariff) {
    if (tariff.prices.empty())
        return {};
    return {dateText(tariff.prices.front().from), dateText(tariff.prices.back().from)};
}

} // namespace wattorio::billing
