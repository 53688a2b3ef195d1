#include "calc/comparison.h"

#include "app/display_format.h"
#include "app/numtext.h"
#include "calc/aggregation.h"
#include "calc/total_form.h"
#include "calc/user_pricing.h"
#include "registry/site_facts.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace wattorio::calc {

namespace {

constexpr std::string_view kColumnTitles[kRankColumnCount] = {
    "順位",       "電力会社", "区分",       "電圧", "メニュー",   "計算電力量", "基本料金",
    "電力量料金", "年間合計", "消費税込み", "税",   "最安との差", "備考",
};

// The whole yen a figure shows as.
double shownYen(double value) {
    return std::round(value);
}

// Catalog order: utility, then list, then index (menus without a catalog entry after those).
auto catalogKey(const RankedMenu& r) {
    return r.menu ? std::make_tuple(0, r.menu->utility, r.menu->list, r.menu->index)
                  : std::make_tuple(1, r.utility, r.line, 0);
}

} // namespace

double rankAmount(const RankedMenu& r, RankColumn column) {
    switch (column) {
    case RankColumn::PricedKwh:
        return r.pricedKwh;
    case RankColumn::Demand:
        return r.demandCharge;
    case RankColumn::Energy:
        return r.energyCharge;
    case RankColumn::Total:
        return r.total;
    case RankColumn::WithTax:
        return r.tax.amount;
    case RankColumn::Difference:
        return r.difference;
    default:
        return 0;
    }
}

namespace {

// -1, 0 or 1 for two amounts; a figure that is not a number sorts after every number, whichever
// the direction.
int compareAmounts(double a, double b) {
    const bool na = std::isnan(a), nb = std::isnan(b);
    if (na || nb)
        return na == nb ? 0 : 2 * (na ? 1 : -1); // +-2: keeps its place at the end on reversal
    return a < b ? -1 : a > b ? 1 : 0;
}

// Display width of UTF-8 text on a terminal: full-width characters (CJK, full-width forms, the
// circled digits) take two columns, half-width katakana and ASCII one.
std::size_t displayWidth(std::string_view text) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t n = c < 0x80             ? 1
                        : (c & 0xE0) == 0xC0 ? 2
                        : (c & 0xF0) == 0xE0 ? 3
                        : (c & 0xF8) == 0xF0 ? 4
                                             : 1;
        if (i + n > text.size())
            n = text.size() - i;
        char32_t cp = n == 1 ? c : n == 2 ? c & 0x1F : n == 3 ? c & 0x0F : c & 0x07;
        for (std::size_t k = 1; k < n; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        const bool halfKana = cp >= 0xFF61 && cp <= 0xFF9F;
        const bool wide = !halfKana && ((cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2460 && cp <= 0x24FF) ||
                                        (cp >= 0x2E80 && cp <= 0xA4CF) || (cp >= 0xAC00 && cp <= 0xD7A3) ||
                                        (cp >= 0xF900 && cp <= 0xFAFF) || (cp >= 0xFE30 && cp <= 0xFE4F) ||
                                        (cp >= 0xFF00 && cp <= 0xFF60) || (cp >= 0xFFE0 && cp <= 0xFFE6) ||
                                        (cp >= 0x20000 && cp <= 0x3FFFD));
        width += wide ? 2 : 1;
        i += n;
    }
    return width;
}

std::string padded(const std::string& text, std::size_t width, bool right) {
    const std::size_t w = displayWidth(text);
    const std::string fill(width > w ? width - w : 0, ' ');
    return right ? fill + text : text + fill;
}

} // namespace

ComparisonInput comparisonInput(const AppState& state) {
    ComparisonInput in;
    in.season = seasonTotals(state);
    in.contract = state.currentSiteValue(3);
    in.powerFactor = state.currentSiteValue(4);
    return in;
}

ComparisonInput comparisonInput(const TotalForm& form, const AppState& state) {
    ComparisonInput in = comparisonInput(state);
    in.season = form.SeasonTotal();
    return in;
}

std::string_view menuSourceName(MenuSource source) {
    switch (source) {
    case MenuSource::Catalog:
        return "catalog";
    case MenuSource::User:
        return "user";
    }
    return {};
}

bool MenuFilter::takes(int menuUtility, tariffs::Category menuCategory, int menuVoltage) const {
    return (utility == 0 || menuUtility == utility) && (!category || *category == menuCategory) &&
           (voltage == 0 || menuVoltage == voltage);
}

std::string readingsProblem(const AppState& state) {
    for (int r = 0; r < kBookRows; ++r)
        for (int h = 0; h < kHourSlots; ++h) {
            const double v = state.HourData[static_cast<std::size_t>(h)][static_cast<std::size_t>(r)];
            if (!std::isfinite(v) || v < 0)
                return "データの " + std::to_string(r) + " 行目 " + std::to_string(h) + " 時の値（" +
                       numberText(v) + "）が負の値か数値でないため、計算しません。データを直してください。";
        }
    return {};
}

std::string figuresRefusalText(const SiteRecord& record) {
    const std::string problem = registry::siteFiguresProblem(record);
    return problem.empty() ? problem : problem + "計算しません。物件の登録を「変　更」で直してください。";
}

std::optional<Message> pricingRefusal(const AppState& state) {
    if (std::optional<Message> refusal = utilityRefusal(state))
        return refusal;
    if (const SiteRecord* site = state.currentSite())
        if (std::string problem = figuresRefusalText(*site); !problem.empty())
            return inputError(problem);
    if (std::string problem = readingsProblem(state); !problem.empty())
        return inputError(problem);
    return std::nullopt;
}

std::string_view taxBasisName(TaxBasis basis) {
    return basis == TaxBasis::Included ? "included" : "added";
}

TaxedAmount taxedAmount(const tariffs::TariffMenu& menu, double total) {
    // The catalog is of the 5 % generation; the lists with the tax note priced it into their rates.
    const double percent = std::round((kTaxFactor - 1) * 100);
    if (menu.taxNote)
        return {TaxBasis::Included, percent, total};
    return {TaxBasis::Added, percent, total * kTaxFactor};
}

TaxedAmount taxedAmount(const tariffs::UserMenu& menu, double total) {
    return {TaxBasis::Added, menu.taxPercent, total * (1 + menu.taxPercent / 100)};
}

std::string taxBasisText(const TaxedAmount& tax) {
    if (tax.basis == TaxBasis::Included)
        return "税込単価";
    return numberText(tax.percent) + "%";
}

bool isPartialYear(double pricedKwh, double yearKwh) {
    return yearKwh - pricedKwh > kPartialMarginKwh;
}

std::string partialNoteText(double pricedKwh, double yearKwh) {
    const auto kwh = [](double v) {
        const std::string digits = groupedDigits(v);
        return (digits.empty() ? std::string("0") : digits) + " kWh";
    };
    return std::string(kPartialNote) + "（年間 " + kwh(yearKwh) + " のうち " + kwh(pricedKwh) + " を計算）";
}

double yearKwh(const SeasonTable& season) {
    double kwh = 0;
    for (int r = 1; r <= 4; ++r)
        kwh += season[4][static_cast<std::size_t>(r)];
    return kwh;
}

std::string_view rankColumnTitle(RankColumn column) {
    const auto i = static_cast<int>(column);
    return i >= 0 && i < kRankColumnCount ? kColumnTitles[i] : std::string_view{};
}

bool isAmountColumn(RankColumn column) {
    return column == RankColumn::Demand || column == RankColumn::Energy || column == RankColumn::Total ||
           column == RankColumn::WithTax || column == RankColumn::Difference;
}

bool isRightAligned(RankColumn column) {
    return column == RankColumn::Rank || column == RankColumn::PricedKwh || isAmountColumn(column);
}

namespace {

// The figures every ranked row carries, from its priced lines and charges.
void fillFigures(RankedMenu& r, const LineArray& lineKwh, const Charges& charges, double year,
                 const TaxedAmount& tax) {
    r.lineKwh = lineKwh;
    r.lineCharge = charges.lineCharge;
    double kwh = 0;
    for (int k = 1; k <= 5; ++k)
        kwh += r.lineKwh[static_cast<std::size_t>(k)];
    r.pricedKwh = kwh;
    r.yearKwh = year;
    r.partial = isPartialYear(kwh, year);
    r.demandCharge = r.lineCharge[0];
    double energy = 0;
    for (int k = 1; k <= 5; ++k)
        energy += r.lineCharge[static_cast<std::size_t>(k)];
    r.energyCharge = energy;
    r.total = charges.total;
    r.totalWithTax = charges.totalWithTax;
    r.tax = tax;
}

std::vector<RankedMenu> rankSelected(const ComparisonInput& input, const MenuFilter& filter,
                                     const std::vector<tariffs::UserMenu>* userMenus) {
    std::vector<RankedMenu> rows;
    if (filter.utility < 0 || filter.utility > 9)
        return rows;
    rows.reserve(filter.utility == 0 ? static_cast<std::size_t>(tariffs::kMenuCount) : 24);
    const double year = yearKwh(input.season);
    for (const tariffs::TariffMenu& menu : tariffs::allMenus()) {
        if (!filter.takes(menu.utility, menu.category, menu.voltageRow))
            continue;
        const MenuPrice price = priceMenu(menu, input.season, input.contract, input.powerFactor);
        RankedMenu r;
        r.menu = &menu;
        r.source = MenuSource::Catalog;
        r.utility = menu.utility;
        r.category = menu.category;
        r.voltageRow = menu.voltageRow;
        r.item = std::string(menu.itemText);
        r.caption = std::string(menu.caption);
        fillFigures(r, price.lineKwh, price.charges, year, taxedAmount(menu, price.charges.total));
        rows.push_back(std::move(r));
    }
    if (userMenus) {
        for (const tariffs::UserMenu& menu : *userMenus) {
            if (!filter.takes(menu.utility, menu.category, menu.voltageRow))
                continue;
            const UserMenuPrice price = priceUserMenu(menu, input.season, input.contract, input.powerFactor);
            RankedMenu r;
            r.source = MenuSource::User;
            r.user = &menu;
            r.line = menu.line;
            r.utility = menu.utility;
            r.category = menu.category;
            r.voltageRow = menu.voltageRow;
            r.item = menu.name;
            r.caption = menu.name;
            fillFigures(r, price.lineKwh, price.charges, year, taxedAmount(menu, price.charges.total));
            rows.push_back(std::move(r));
        }
    }
    std::stable_sort(rows.begin(), rows.end(), [](const RankedMenu& a, const RankedMenu& b) {
        if (a.partial != b.partial)
            return b.partial; // every whole-year price before any part-year one
        const int c = compareAmounts(a.tax.amount, b.tax.amount);
        if (c != 0)
            return c < 0;
        return catalogKey(a) < catalogKey(b);
    });
    const RankedMenu* cheapest = nullptr;
    for (const RankedMenu& r : rows)
        if (!r.partial) {
            cheapest = &r;
            break;
        }
    const double cheapestYen = cheapest ? shownYen(cheapest->tax.amount) : 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        RankedMenu& r = rows[i];
        const bool tied = i > 0 && r.partial == rows[i - 1].partial &&
                          shownYen(r.tax.amount) == shownYen(rows[i - 1].tax.amount);
        r.position = static_cast<int>(i) + 1;
        r.rank = tied ? rows[i - 1].rank : r.position;
        r.difference = r.partial ? std::nan("") : shownYen(r.tax.amount) - cheapestYen;
    }
    return rows;
}

} // namespace

std::vector<RankedMenu> rankMenus(const ComparisonInput& input, const MenuFilter& filter) {
    return rankSelected(input, filter, nullptr);
}

std::vector<RankedMenu> rankMenus(const ComparisonInput& input, const MenuFilter& filter,
                                  const std::vector<tariffs::UserMenu>& userMenus) {
    return rankSelected(input, filter, &userMenus);
}

std::vector<RankedMenu> rankMenus(const ComparisonInput& input, int utility) {
    MenuFilter filter;
    filter.utility = utility;
    return rankMenus(input, filter);
}

void sortRanking(std::vector<RankedMenu>& rows, RankColumn column, bool descending) {
    // The ranking order settles every tie.
    std::sort(rows.begin(), rows.end(),
              [](const RankedMenu& a, const RankedMenu& b) { return a.position < b.position; });
    if (column == RankColumn::Rank) {
        if (descending)
            std::reverse(rows.begin(), rows.end());
        return;
    }
    const auto key = [column](const RankedMenu& a, const RankedMenu& b) -> int {
        switch (column) {
        case RankColumn::Utility:
            return (a.utility > b.utility) - (a.utility < b.utility);
        case RankColumn::Category: {
            const int x = static_cast<int>(a.category), y = static_cast<int>(b.category);
            return (x > y) - (x < y);
        }
        case RankColumn::Voltage:
            return (a.voltageRow > b.voltageRow) - (a.voltageRow < b.voltageRow);
        case RankColumn::Menu: {
            const int c = a.item.compare(b.item);
            return (c > 0) - (c < 0);
        }
        case RankColumn::Note:
            return static_cast<int>(a.partial) - static_cast<int>(b.partial);
        case RankColumn::Tax: {
            const int c = taxBasisText(a.tax).compare(taxBasisText(b.tax));
            return (c > 0) - (c < 0);
        }
        default:
            return compareAmounts(rankAmount(a, column), rankAmount(b, column));
        }
    };
    std::stable_sort(rows.begin(), rows.end(), [&](const RankedMenu& a, const RankedMenu& b) {
        const int c = key(a, b);
        if (c == 2 || c == -2) // figures that are not numbers stay last
            return c < 0;
        return descending ? c > 0 : c < 0;
    });
}

std::string rankCell(const RankedMenu& row, RankColumn column) {
    switch (column) {
    case RankColumn::Rank:
        return std::to_string(row.rank);
    case RankColumn::Utility:
        return row.utility >= 1 && row.utility <= 9 ? kUtilityNames[static_cast<std::size_t>(row.utility - 1)]
                                                    : "";
    case RankColumn::Category:
        return std::string(tariffs::categoryName(row.category));
    case RankColumn::Voltage:
        return std::string(tariffs::voltageMark(row.voltageRow));
    case RankColumn::Menu:
        return row.item;
    case RankColumn::Note: {
        // A menu of User_Menus.csv says so, as its name alone may not.
        std::string note = row.source == MenuSource::User ? kUserMenuNote : "";
        if (row.partial)
            note += (note.empty() ? "" : "・") + std::string(kPartialNote);
        return note;
    }
    case RankColumn::Tax:
        return taxBasisText(row.tax);
    case RankColumn::PricedKwh: {
        const std::string digits = groupedDigits(row.pricedKwh);
        return std::isfinite(row.pricedKwh) ? (digits.empty() ? "0" : digits) + " kWh" : std::string();
    }
    default: {
        const double value = rankAmount(row, column);
        if (!std::isfinite(value))
            return {};
        // The cheapest menu's difference reads "0 円", not an empty figure.
        if (column == RankColumn::Difference && shownYen(value) == 0)
            return "0 円";
        return formatPattern(value, kFmtYen);
    }
    }
}

std::string alignedTable(const std::vector<std::vector<std::string>>& lines, const std::vector<bool>& right) {
    const std::size_t columns = right.size();
    std::vector<std::size_t> widths(columns);
    for (const std::vector<std::string>& line : lines)
        for (std::size_t c = 0; c < columns && c < line.size(); ++c)
            widths[c] = std::max(widths[c], displayWidth(line[c]));
    std::string out;
    for (const std::vector<std::string>& line : lines) {
        std::string text;
        for (std::size_t c = 0; c < columns; ++c) {
            text += padded(c < line.size() ? line[c] : std::string(), widths[c], right[c]);
            if (c + 1 < columns)
                text += "  ";
        }
        while (!text.empty() && text.back() == ' ') // no blanks at the end of a line
            text.pop_back();
        out += text + "\n";
    }
    return out;
}

std::string rankingTable(const std::vector<RankedMenu>& rows) {
    std::vector<std::vector<std::string>> lines;
    lines.reserve(rows.size() + 1);
    std::vector<bool> right;
    std::vector<std::string> heading;
    for (int c = 0; c < kRankColumnCount; ++c) {
        heading.emplace_back(rankColumnTitle(static_cast<RankColumn>(c)));
        right.push_back(isRightAligned(static_cast<RankColumn>(c)));
    }
    lines.push_back(std::move(heading));
    for (const RankedMenu& r : rows) {
        std::vector<std::string> line;
        for (int c = 0; c < kRankColumnCount; ++c)
            line.push_back(rankCell(r, static_cast<RankColumn>(c)));
        lines.push_back(std::move(line));
    }
    return alignedTable(lines, right);
}

// ---- ComparisonForm --------------------------------------------------------------------------

bool ComparisonForm::refresh(const ComparisonInput& input, int utility) {
    return refresh(input, utility, nullptr);
}

bool ComparisonForm::refresh(const ComparisonInput& input, int utility,
                             const std::vector<tariffs::UserMenu>* userMenus) {
    const tariffs::UserMenu* data = userMenus ? userMenus->data() : nullptr;
    const std::size_t count = userMenus ? userMenus->size() : 0;
    if (priced_ && refusal_.empty() && input == input_ && utility == utility_ && userMenus == userMenus_ &&
        data == userData_ && count == userCount_)
        return false;
    refusal_.clear();
    input_ = input;
    utility_ = utility;
    userMenus_ = userMenus;
    userData_ = data;
    userCount_ = count;
    priced_ = true;
    rebuild();
    return true;
}

void ComparisonForm::setAllUtilities(bool on) {
    ComparisonChoice next = choice_;
    next.allUtilities = on;
    setChoice(next);
}

void ComparisonForm::setCategory(int category) {
    ComparisonChoice next = choice_;
    next.category = category;
    setChoice(next);
}

void ComparisonForm::setVoltage(int voltage) {
    ComparisonChoice next = choice_;
    next.voltage = voltage;
    setChoice(next);
}

void ComparisonForm::setChoice(const ComparisonChoice& choice) {
    ComparisonChoice next = choice;
    if (next.category < 0 || next.category > 2)
        next.category = 0;
    if (next.voltage < 0 || next.voltage > 3)
        next.voltage = 0;
    if (next == choice_)
        return;
    choice_ = next;
    if (priced_)
        rebuild();
}

MenuFilter ComparisonForm::filter() const {
    MenuFilter f;
    f.utility = choice_.allUtilities ? 0 : utility_;
    if (choice_.category == 1)
        f.category = tariffs::Category::Office;
    else if (choice_.category == 2)
        f.category = tariffs::Category::Factory;
    f.voltage = choice_.voltage;
    return f;
}

void ComparisonForm::sortBy(RankColumn column) {
    sortBy(column, column == sortColumn_ ? !descending_ : false);
}

void ComparisonForm::sortBy(RankColumn column, bool descending) {
    sortColumn_ = column;
    descending_ = descending;
    sortRanking(rows_, sortColumn_, descending_);
}

void ComparisonForm::rebuild() {
    rows_ = userMenus_ && !userMenus_->empty() ? rankMenus(input_, filter(), *userMenus_)
                                               : rankMenus(input_, filter());
    if (sortColumn_ != RankColumn::Rank || descending_)
        sortRanking(rows_, sortColumn_, descending_);
}

std::string ComparisonForm::cell(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= kRankColumnCount)
        return {};
    return rankCell(rows_[static_cast<std::size_t>(row)], static_cast<RankColumn>(column));
}

const tariffs::TariffMenu* ComparisonForm::menuAt(int row) const {
    if (row < 0 || row >= rowCount())
        return nullptr;
    return rows_[static_cast<std::size_t>(row)].menu;
}

const RankedMenu* ComparisonForm::rowAt(int row) const {
    if (row < 0 || row >= rowCount())
        return nullptr;
    return &rows_[static_cast<std::size_t>(row)];
}

void ComparisonForm::refuse(std::string reason) {
    refusal_ = std::move(reason);
    rows_.clear();
    priced_ = false;
}

std::string ComparisonForm::heading() const {
    if (!refusal_.empty())
        return refusal_;
    std::string who;
    if (choice_.allUtilities)
        who = kAllUtilities;
    else if (utility_ >= 1 && utility_ <= 9)
        who = kUtilityNames[static_cast<std::size_t>(utility_ - 1)];
    else
        return {};
    const bool filtered = choice_.category != 0 || choice_.voltage != 0;
    if (choice_.category != 0)
        who += std::string("　") + kCategoryChoices[choice_.category];
    if (choice_.voltage != 0)
        who += std::string("　") + kVoltageChoices[choice_.voltage];
    return who + (filtered ? "のメニュー（" : "の全メニュー（") + std::to_string(rows_.size()) + " 件）";
}

std::string ComparisonForm::yearLine() const {
    if (!priced_)
        return {};
    const std::string digits = groupedDigits(yearKwh(input_.season));
    std::string line = "年間使用量　" + (digits.empty() ? std::string("0") : digits) + " kWh";
    const auto partial =
        std::count_if(rows_.begin(), rows_.end(), [](const RankedMenu& r) { return r.partial; });
    if (partial > 0)
        line += std::string("（") + kPartialNote + " " + std::to_string(partial) + " 件）";
    if (!note_.empty())
        line += "　" + note_;
    return line;
}

ComparisonChoice rememberedChoice(const AppState& state) {
    const SiteRecord* site = state.currentSite();
    if (!site)
        return {};
    const auto it = state.ComparisonChoices.find((*site)[0]);
    return it == state.ComparisonChoices.end() ? factsChoice(state) : it->second;
}

ComparisonChoice factsChoice(const AppState& state) {
    const SiteRecord* site = state.currentSite();
    if (!site)
        return {};
    const std::optional<registry::Supply> supply = registry::siteSupply(*site);
    const std::optional<tariffs::Category> category = registry::siteCategory(*site);
    const int utility = static_cast<int>(val((*site)[5]));
    if (!supply || !category || utility < 1 || utility > 9)
        return {};
    ComparisonChoice choice;
    choice.category = *category == tariffs::Category::Office ? 1 : 2;
    choice.voltage = registry::voltageRowFor(utility, *supply, val((*site)[3]));
    return choice;
}

std::string factsNote(const AppState& state) {
    const SiteRecord* site = state.currentSite();
    if (!site || (registry::siteSupply(*site) && registry::siteCategory(*site)))
        return {};
    return kFactsUnsetNote;
}

void rememberChoice(AppState& state, const ComparisonChoice& choice) {
    if (const SiteRecord* site = state.currentSite())
        state.ComparisonChoices[(*site)[0]] = choice;
}

} // namespace wattorio::calc
