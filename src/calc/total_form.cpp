#include "calc/total_form.h"

#include "app/display_format.h"
#include "app/numtext.h"
#include "app/version.h"
#include "calc/analysis_grids.h"
#include "calc/comparison.h"
#include "calc/user_pricing.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace wattorio::calc {

using tariffs::Formula;
using tariffs::Layout;

namespace {

// Every label and rate box of the form; the enum below follows this order.
constexpr std::string_view kNames[] = {
    "Label1",
    "Label2",
    "Label3",
    "Label4",
    "Label5",
    "Label6",
    "Label7",
    "Label8",
    "Label9",
    "Label10",
    "Label11",
    "Label13",
    "Label14",
    "Label15",
    "Label16",
    "Label17",
    "Label18",
    "Label19",
    "Label20",
    "Label21",
    "Label22",
    "Label33",
    "Label45",
    "Label58",
    "Label59",
    "Label60",
    "Text1",
    "Text2",
    "Text3",
    "Text4",
    "Text5",
    "Text6",
    // Under the totals: "一部の期間のみ ..." when the menu's lines leave part of the year unpriced.
    "LabelPartial",
};
constexpr int kControlCount = static_cast<int>(std::size(kNames));

enum Id {
    L1,
    L2,
    L3,
    L4,
    L5,
    L6,
    L7,
    L8,
    L9,
    L10,
    L11,
    L13,
    L14,
    L15,
    L16,
    L17,
    L18,
    L19,
    L20,
    L21,
    L22,
    L33,
    L45,
    L58,
    L59,
    L60,
    T1,
    T2,
    T3,
    T4,
    T5,
    T6,
    LP,
};

constexpr std::string_view kPanelNames[] = {
    "Label21", "Label1",  "Label2",  "Label3",  "Label4",  "Label5",  "Label6",
    "Label7",  "Label8",  "Label9",  "Label11", "Label13", "Label14", "Label15",
    "Label16", "Label17", "Label18", "Label19", "Label20", "Label58", "Label59",
    "Label60", "Text1",   "Text2",   "Text3",   "Text4",   "Text5",   "Text6",
};

constexpr const char* kSaturdayQuestion = "土曜日を休日に設定していますか。";
constexpr const char* kTaxNote = "消費税含む";

// The year-table grid: light cyan for the four season rows, light yellow for the total row.
constexpr std::uint32_t kSeasonRowColour = 0xC0FFFF;
constexpr std::uint32_t kTotalRowColour = 0xFFFFC0;

int idOf(std::string_view name) {
    for (int i = 0; i < kControlCount; ++i)
        if (kNames[i] == name)
            return i;
    return -1;
}

// "Combo12" -> 12; 0 for anything else.
int comboNumber(std::string_view name) {
    constexpr std::string_view prefix = "Combo";
    if (name.substr(0, prefix.size()) != prefix)
        return 0;
    int n = 0;
    const std::string_view digits = name.substr(prefix.size());
    const auto res = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (res.ec != std::errc() || res.ptr != digits.data() + digits.size() || n < 1 || n > tariffs::kListCount)
        return 0;
    return n;
}

const std::string kEmpty;

// The code passed to the layout procedure; the 中部電力 layouts V4 and V2 lay the panel out as
// 4 (lines 1, 2 and 4) and 0 (lines 1 and 2).
float panelLayout(Layout layout) {
    switch (layout) {
    case Layout::L0:
        return 0;
    case Layout::L2:
        return 2;
    case Layout::L3:
        return 3;
    case Layout::L4:
        return 4;
    case Layout::L5:
        return 5;
    case Layout::V4:
        return 4;
    case Layout::V2:
        return 0;
    }
    return 0;
}

} // namespace

// Runs one public operation: the listener fires once, when the outermost operation ends.
class TotalFormBatch {
public:
    explicit TotalFormBatch(int& depth, const std::function<void()>& done) : depth_(depth), done_(done) {
        ++depth_;
    }
    ~TotalFormBatch() {
        if (--depth_ == 0 && done_)
            done_();
    }
    TotalFormBatch(const TotalFormBatch&) = delete;
    TotalFormBatch& operator=(const TotalFormBatch&) = delete;

private:
    int& depth_;
    const std::function<void()>& done_;
};

#define TOTAL_FORM_BATCH() TotalFormBatch batch_(depth_, listener_)

TotalForm::TotalForm(AppState& state) : state_(state), grid1_(6, 7, 1, 1), grid2_(2, 2, 1, 0) {
    comboIndex_.fill(-1);
    // Captions the window carries before the loading sequence or a formula replaces them.
    ctl(L5).text = "ピーク時間";
    ctl(L6).text = "昼間　夏季";
    ctl(L7).text = "昼間　その他";
    ctl(L8).text = "夜間";
    ctl(L17).text = "契約電力";
    // The fifth rate line appears only with the layout that uses it.
    for (int id : {L58, L59, L60, T6})
        ctl(id).visible = false;
}

// ---- Controls -----------------------------------------------------------------------------

TotalForm::Control* TotalForm::find(std::string_view name) {
    const int id = idOf(name);
    return id < 0 ? nullptr : &ctl(id);
}

const TotalForm::Control* TotalForm::find(std::string_view name) const {
    const int id = idOf(name);
    return id < 0 ? nullptr : &controls_[static_cast<std::size_t>(id)];
}

const std::string& TotalForm::text(std::string_view control) const {
    if (const Control* c = find(control))
        return c->text;
    if (const int list = comboNumber(control))
        return comboText_[static_cast<std::size_t>(list)];
    return kEmpty;
}

bool TotalForm::visible(std::string_view control) const {
    if (const Control* c = find(control))
        return c->visible;
    return comboNumber(control) != 0;
}

void TotalForm::setText(std::string_view control, std::string text) {
    const int id = idOf(control);
    if (id < T1 || id > T6)
        return;
    TOTAL_FORM_BATCH();
    ctl(id).text = std::move(text);
}

std::span<const std::string_view> TotalForm::controlNames() {
    return kNames;
}
std::span<const std::string_view> TotalForm::panelControlNames() {
    return kPanelNames;
}

int TotalForm::comboIndex(int list) const {
    return list >= 1 && list <= tariffs::kListCount ? comboIndex_[static_cast<std::size_t>(list)] : -1;
}

bool TotalForm::checked(int check) const {
    return check >= 1 && check <= 3 && checks_[check];
}

void TotalForm::setChecked(int check, bool on) {
    if (check < 1 || check > 3)
        return;
    TOTAL_FORM_BATCH();
    checks_[check] = on;
}

void TotalForm::setCaption(int id, std::string text) {
    ctl(id).text = std::move(text);
}
void TotalForm::show(int id, bool on) {
    ctl(id).visible = on;
}
void TotalForm::writeKwh(int id, double kwh) {
    setCaption(id, formatPattern(kwh, kFmtKwh));
}

bool TotalForm::siteIsValid() const {
    const float u = state_.UtilityNo;
    if (!(u >= 1 && u <= 9) || u != static_cast<float>(static_cast<int>(u)))
        return false;
    return state_.SiteRow >= 0 && state_.SiteRow < kMaxSiteRows;
}

namespace {
std::string utilityName(const AppState& state, int index) {
    if (index < 0 || index >= static_cast<int>(state.UtilityNames.size()))
        return "";
    const std::string& name = state.UtilityNames[static_cast<std::size_t>(index)];
    if (name.empty() && index < static_cast<int>(kUtilityNames.size()))
        return kUtilityNames[static_cast<std::size_t>(index)];
    return name;
}
} // namespace

// ---- Loading ------------------------------------------------------------------------------

bool TotalForm::Form_Set() {
    if (!siteIsValid())
        return false;
    TOTAL_FORM_BATCH();
    const int row = static_cast<int>(state_.SiteRow);
    title_ = "  年間の電力金" + std::string(90, ' ') + state_.VersionText + "   Ver  " + versionDigits();

    for (int id : {T1, T2, T3, T4, T5})
        setCaption(id, "");
    for (int id : {L21, L1, L2, L3, L4, L9, L11, L19, L13, L14, L15, L16, L20, L22, LP})
        setCaption(id, "");
    setCaption(L33, utilityName(state_, static_cast<int>(state_.UtilityNo) - 1) + "の集計");
    setCaption(L10, "  名 称   " + state_.SiteTable[static_cast<std::size_t>(row)][1] + "  ");

    grid1_.beginUpdate();
    grid1_.resize(6, 7);
    grid1_.setFixed(1, 1);
    grid1_.setColWidth(0, 350);
    grid1_.setColWidth(1, 1400);
    grid1_.setColWidth(2, 600);
    for (int c = 3; c <= 6; ++c)
        grid1_.setColWidth(c, 1200);
    for (int r = 1; r <= 4; ++r)
        grid1_.setText(r, 0, std::to_string(r));
    grid1_.setRowHeight(0, 400);
    for (int r = 1; r <= 5; ++r)
        grid1_.setRowHeight(r, 350);
    for (int c = 0; c <= 6; ++c) {
        grid1_.setBackground(5, c, kTotalRowColour);
        for (int r = 1; r <= 4; ++r)
            grid1_.setBackground(r, c, kSeasonRowColour);
    }
    const char* rowHeads[] = {"種別", "その他季", "その他季休日", "夏季", "夏季休日", "  合 計"};
    for (int r = 0; r <= 5; ++r)
        grid1_.setText(r, 1, rowHeads[r]);
    const char* colHeads[] = {"日数", "夜間", "昼間", "ピーク", "計"};
    for (int c = 0; c < 5; ++c)
        grid1_.setText(0, 2 + c, colHeads[c]);
    grid1_.endUpdate();

    comboText_.fill(std::string());
    comboIndex_.fill(-1);
    return true;
}

void TotalForm::Nen_Total() {
    TOTAL_FORM_BATCH();
    season_ = seasonTotals(state_);
}

void TotalForm::Grd1_Crt() {
    TOTAL_FORM_BATCH();
    grid1_.beginUpdate();
    for (int c = 0; c <= 4; ++c)
        for (int r = 1; r <= 4; ++r)
            grid1_.setText(r, 2 + c, formatPattern(season_[c][r], kFmtCount));
    for (int c = 0; c <= 4; ++c) {
        double sum = 0;
        for (int r = 0; r <= 4; ++r)
            sum += season_[c][r];
        grid1_.setText(5, 2 + c, formatPattern(sum, kFmtCount));
    }
    grid1_.endUpdate();
}

bool TotalForm::Form_Load() {
    loadRefusal_.reset();
    if (!siteIsValid())
        return false;
    if (std::optional<Message> refusal = pricingRefusal(state_)) {
        loadRefusal_ = std::move(refusal);
        return false;
    }
    TOTAL_FORM_BATCH();
    Form_Set();
    Nen_Total();
    Grd1_Crt();
    const SiteRecord& site = state_.SiteTable[static_cast<std::size_t>(state_.SiteRow)];
    setCaption(L17, "契約電力　　（力率　" + site[4] + "％）");
    setCaption(L18, formatPattern(val(site[3]), kFmtKw));
    tab_ = static_cast<int>(state_.UtilityNo) - 1;
    setCaption(L45, utilityName(state_, tab_));
    return true;
}

std::array<std::string, 6> TotalForm::boxTexts() const {
    const TotalForm& f = *this;
    return {f.controls_[T5].text, f.controls_[T1].text, f.controls_[T2].text,
            f.controls_[T3].text, f.controls_[T4].text, f.controls_[T6].text};
}

bool TotalForm::ratesStale() const {
    return pricedTexts_ && *pricedTexts_ != boxTexts();
}

void TotalForm::showPricedUtility() {
    const int utility = menu_       ? menu_->utility
                        : userMenu_ ? userMenu_->utility
                                    : static_cast<int>(state_.UtilityNo);
    setCaption(L45, utilityName(state_, utility - 1));
}

void TotalForm::clearPanel() {
    TOTAL_FORM_BATCH();
    Total_CRT_set(0);
    for (int id : {T1, T2, T3, T4, T5, T6})
        setCaption(id, "");
    for (int id : {L21, L1, L2, L3, L4, L9, L11, L19, L13, L14, L15, L16, L20, LP})
        setCaption(id, "");
    lineKwh_ = {};
    lineCharge_ = {};
    total_ = 0;
    totalWithTax_ = 0;
    menu_ = nullptr;
    userMenu_.reset();
    appliedTexts_.reset();
    pricedTexts_.reset();
    captionHead_.clear();
    captionTail_.clear();
    showPricedUtility();
}

// ---- Rate panel ---------------------------------------------------------------------------

void TotalForm::Total_CRT_set(float layout) {
    TOTAL_FORM_BATCH();
    for (int id : {L7, L3, L15, L8, L4, L16, L58, L59, L60, T3, T4, T6}) {
        setCaption(id, "");
        show(id, false);
    }
    for (int id : {T1, T2, T5})
        show(id, true);
    for (int id : {L5, L6}) {
        setCaption(id, "");
        show(id, true);
    }
    for (int id : {L18, L2, L14})
        show(id, true);

    if (layout == 2 || layout == 3) {
        for (int id : {L7, L3, L15, T3, L8, L4, L16, T4})
            show(id, true);
        if (layout == 3)
            for (int id : {L58, L59, L60, T6})
                show(id, true);
    } else if (layout == 4) {
        for (int id : {L8, L4, L16, T4})
            show(id, true);
    } else if (layout == 5) {
        for (int id : {L2, L6, L14}) {
            setCaption(id, "");
            show(id, false);
        }
        show(T2, false);
    }
}

void TotalForm::formulaCaptions(Formula formula) {
    switch (formula) {
    case Formula::Total_Natsu_Sonota:
        setCaption(L5, "夏季");
        setCaption(L6, "その他季");
        setCaption(L7, "");
        setCaption(L8, "");
        writeKwh(L1, lineKwh_[1]);
        writeKwh(L2, lineKwh_[2]);
        setCaption(L3, "");
        setCaption(L4, "");
        for (int id : {T1, T2, T5})
            show(id, true);
        show(T3, false);
        show(T4, false);
        break;
    case Formula::Total_Holiday_Natsu_Sonota:
        setCaption(L5, "夏　季");
        setCaption(L6, "その他季");
        setCaption(L7, "");
        setCaption(L8, "休  日 (土曜+日曜+国民の休日)");
        writeKwh(L1, lineKwh_[1]);
        writeKwh(L2, lineKwh_[2]);
        writeKwh(L4, lineKwh_[4]);
        setCaption(L3, "");
        break;
    case Formula::Total_Peek_Hiru_Yakan_Y:
        setCaption(L5, "重負荷時間");
        setCaption(L6, "昼間時間");
        setCaption(L7, "");
        setCaption(L8, "夜間時間 (夜間＋日曜終日+国民の休日)");
        writeKwh(L1, lineKwh_[1]);
        writeKwh(L2, lineKwh_[2]);
        writeKwh(L4, lineKwh_[4]);
        setCaption(L3, "");
        break;
    case Formula::Total_Kizibetu_1:
        setCaption(L5, "夏　季　　ピーク");
        setCaption(L6, "夏　季　　昼間");
        setCaption(L7, "その他季　昼間");
        setCaption(L8, "夜間時間 (夜間＋日曜終日+国民の休日)");
        for (int k = 1; k <= 4; ++k)
            writeKwh(L1 + k - 1, lineKwh_[k]);
        break;
    case Formula::Total_kizibet_Yakan_2:
        setCaption(L5, "夏　季　　ピーク");
        setCaption(L6, "夏　季　　昼間");
        setCaption(L7, "その他季　昼間");
        setCaption(L8, "夜間時間  (夏季夜間＋夏季休日終日)");
        setCaption(L58, "夜間時間  (その他夜間＋休日終日)");
        for (int k = 1; k <= 4; ++k)
            writeKwh(L1 + k - 1, lineKwh_[k]);
        writeKwh(L59, lineKwh_[5]);
        break;
    case Formula::Total_Kizibetu_2:
        setCaption(L5, "夏  季    休日");
        setCaption(L6, "その他    休日");
        setCaption(L7, "夏  季    平日");
        setCaption(L8, "その他    平日");
        for (int k = 1; k <= 4; ++k)
            writeKwh(L1 + k - 1, lineKwh_[k]);
        break;
    case Formula::Total_Hokuden_1:
        setCaption(L5, "電力量");
        setCaption(L6, "");
        setCaption(L7, "");
        setCaption(L8, "");
        writeKwh(L1, lineKwh_[1]);
        break;
    case Formula::Total_Hokuden_2:
        setCaption(L5, "昼間時間");
        setCaption(L6, "夜間時間 (夜間＋日曜終日+国民の休日)");
        setCaption(L7, "");
        setCaption(L8, "");
        writeKwh(L1, lineKwh_[1]);
        writeKwh(L2, lineKwh_[2]);
        break;
    }
    writeKwh(L9, formulaTotalKwh(formula, lineKwh_));
    if (formula != Formula::Total_Holiday_Natsu_Sonota && formula != Formula::Total_Hokuden_1 &&
        formula != Formula::Total_Hokuden_2)
        show(L18, true);
}

void TotalForm::runFormula(Formula formula) {
    TOTAL_FORM_BATCH();
    lineKwh_ = formulaLines(formula, season_);
    formulaCaptions(formula);
    // Another utility's formula may leave rows of this site's year unpriced: say so under the
    // totals, as the comparison marks it.
    double priced = 0;
    for (int k = 1; k <= 5; ++k)
        priced += lineKwh_[static_cast<std::size_t>(k)];
    const double year = yearKwh(season_);
    setCaption(LP, isPartialYear(priced, year) ? partialNoteText(priced, year) : "");
}

void TotalForm::Total_Natsu_Sonota() {
    runFormula(Formula::Total_Natsu_Sonota);
}
void TotalForm::Total_Holiday_Natsu_Sonota() {
    runFormula(Formula::Total_Holiday_Natsu_Sonota);
}
void TotalForm::Total_Peek_Hiru_Yakan_Y() {
    runFormula(Formula::Total_Peek_Hiru_Yakan_Y);
}
void TotalForm::Total_Kizibetu_1() {
    runFormula(Formula::Total_Kizibetu_1);
}
void TotalForm::Total_Kizibetu_2() {
    runFormula(Formula::Total_Kizibetu_2);
}
void TotalForm::Total_kizibet_Yakan_2() {
    runFormula(Formula::Total_kizibet_Yakan_2);
}
void TotalForm::Total_Hokuden_1() {
    runFormula(Formula::Total_Hokuden_1);
}
void TotalForm::Total_Hokuden_2() {
    runFormula(Formula::Total_Hokuden_2);
}

void TotalForm::Total_T() {
    TOTAL_FORM_BATCH();
    RateValues rates;
    rates.demand = val(ctl(T5).text);
    rates.rate[1] = val(ctl(T1).text);
    rates.rate[2] = val(ctl(T2).text);
    rates.rate[3] = val(ctl(T3).text);
    rates.rate[4] = val(ctl(T4).text);
    rates.rate[5] = val(ctl(T6).text);
    const Charges charges =
        userMenu_ ? computeUserCharges(lineKwh_, rates, *userMenu_, state_.currentSiteValue(3),
                                       state_.currentSiteValue(4))
                  : computeCharges(lineKwh_, rates, state_.currentSiteValue(3), state_.currentSiteValue(4));
    lineCharge_ = charges.lineCharge;
    total_ = charges.total;
    totalWithTax_ = charges.totalWithTax;

    setCaption(L19, formatPattern(lineCharge_[0], kFmtYen));
    setCaption(L13, formatPattern(lineCharge_[1], kFmtYen));
    setCaption(L14, formatPattern(lineCharge_[2], kFmtYen));
    setCaption(L15, lineCharge_[3] != 0 ? formatPattern(lineCharge_[3], kFmtYen) : "");
    setCaption(L16, lineCharge_[4] != 0 ? formatPattern(lineCharge_[4], kFmtYen) : "");
    setCaption(L60, lineCharge_[5] != 0 ? formatPattern(lineCharge_[5], kFmtYen) : "");
    setCaption(L20, formatPattern(total_, kFmtYenTotal));
    if (userMenu_)
        setCaption(L11, "消費税" + numberText(userMenu_->taxPercent) + "％含む　" +
                            formatPattern(totalWithTax_, kFmtYenTotal));
    else if (menu_ && menu_->taxNote)
        setCaption(L11, kTaxNote); // the rates include the tax: nothing is added
    else
        setCaption(L11, formatPattern(totalWithTax_, kFmtYenWithTax));
    show(L18, true);
    pricedTexts_ = boxTexts();
    if (appliedTexts_)
        setCaption(L21, captionHead_ + (*appliedTexts_ != *pricedTexts_ ? kEditedMark : "") + captionTail_);
}

bool TotalForm::ApplyTariffMenu(int list, int index, Prompter& prompter) {
    const tariffs::TariffMenu* menu = tariffs::findMenu(list, index);
    if (!menu)
        return false;
    TOTAL_FORM_BATCH();
    // The chosen list shows its item; every other list of the tab is blanked.
    for (const tariffs::MenuList* other : tariffs::listsOfUtility(menu->utility)) {
        if (other->list == list)
            continue;
        comboText_[static_cast<std::size_t>(other->list)].clear();
        comboIndex_[static_cast<std::size_t>(other->list)] = -1;
    }
    comboText_[static_cast<std::size_t>(list)] = std::string(menu->itemText);
    comboIndex_[static_cast<std::size_t>(list)] = index;

    if (menu->asksSaturday && prompter.show(confirm(kSaturdayQuestion)) == Answer::Cancel)
        return false;
    userMenu_.reset();

    // The 中部電力 lists (V4 / V2) are laid out like layouts 4 and 0 as well, so that no line
    // of an earlier menu of another tab (the fifth line, its kWh) stays on the panel.
    Total_CRT_set(panelLayout(menu->layout));

    const std::pair<int, const tariffs::RateText*> boxes[] = {
        {T5, &menu->demandCharge}, {T1, &menu->rate1}, {T2, &menu->rate2},
        {T3, &menu->rate3},        {T4, &menu->rate4}, {T6, &menu->rate5},
    };
    for (const auto& [id, rate] : boxes)
        if (*rate)
            setCaption(id, std::string(**rate));
    setCaption(L21, std::string(menu->caption));
    captionHead_ = std::string(menu->caption);
    captionTail_.clear();
    menu_ = menu;
    runFormula(menu->formula);
    if (menu->layout == Layout::V4 || menu->layout == Layout::V2) {
        for (int id : {T1, T2, T5})
            show(id, true);
        show(T3, false);
        show(T4, menu->layout == Layout::V4);
    }
    appliedTexts_ = boxTexts();
    Total_T();
    showPricedUtility();
    return true;
}

namespace {

constexpr std::string_view kNotForTenDay = "１０日集計用の物件では計算しません。";

// The hourly tables of a ten-day book: the heads and the row captions stay, the figures go.
void clearValues(TextGrid& grid) {
    for (int r = 1; r < grid.rows(); ++r)
        for (int c = 1; c < grid.cols(); ++c)
            grid.setText(r, c, "");
}

} // namespace

void TotalForm::refreshFromTotals() {
    TOTAL_FORM_BATCH();
    Nen_Total();
    Grd1_Crt();
    // Figures or readings that cannot be priced (edited since the window opened) leave no charge
    // on the panel; the reason is kept for the window to tell.
    loadRefusal_ = pricingRefusal(state_);
    if (loadRefusal_)
        clearPanel();
    else if (menu_ || userMenu_) {
        const tariffs::TariffMenu* menu = menu_;
        runFormula(menu ? menu->formula : userMenu_->formula);
        if (menu && (menu->layout == Layout::V4 || menu->layout == Layout::V2)) {
            for (int id : {T1, T2, T5})
                show(id, true);
            show(T3, false);
            show(T4, menu->layout == Layout::V4);
        }
        Total_T();
    }
    const std::string& shown = ctl(L22).text;
    const auto showing = [&](std::string_view caption) { return shown.rfind(caption, 0) == 0; };
    if (showing("月別電気使用量"))
        fillMonthlyUsage(grid2_, state_);
    else if (showing("月時間の最大使用量") || showing("時間帯別平均電力")) {
        const bool hours = showing("時間帯別平均電力");
        setCaption(L22, std::string(hours ? "時間帯別平均電力" : "月時間の最大使用量") +
                            (tenDayBook_ ? "　　" + std::string(kNotForTenDay) : ""));
        if (hours)
            fillHourAverages(grid2_, state_);
        else
            fillMonthlyMaximum(grid2_, state_);
        if (tenDayBook_)
            clearValues(grid2_);
    }
}

void TotalForm::SSTab1_Click(int tab) {
    if (tab < 0 || tab > 9)
        return;
    TOTAL_FORM_BATCH();
    tab_ = tab;
    showPricedUtility();
}

void TotalForm::setUserMenus(std::vector<tariffs::UserMenu> menus) {
    TOTAL_FORM_BATCH();
    userMenus_ = std::move(menus);
    // No figures of a menu the file no longer holds stay on the panel.
    if (userMenu_ && std::find(userMenus_.begin(), userMenus_.end(), *userMenu_) == userMenus_.end())
        clearPanel();
}

bool TotalForm::applyChosenMenu(const tariffs::TariffMenu* catalog, int userLine, Prompter& prompter) {
    if (catalog) {
        SSTab1_Click(catalog->utility - 1);
        return ApplyTariffMenu(catalog->list, catalog->index, prompter);
    }
    for (std::size_t i = 0; i < userMenus_.size(); ++i)
        if (userMenus_[i].line == userLine)
            return ApplyUserMenu(static_cast<int>(i));
    return false;
}

bool TotalForm::ApplyUserMenu(int position) {
    if (position < 0 || position >= static_cast<int>(userMenus_.size()))
        return false;
    TOTAL_FORM_BATCH();
    const tariffs::UserMenu menu = userMenus_[static_cast<std::size_t>(position)];
    // The panel no longer shows a catalog menu: no list keeps a selection.
    for (int list = 1; list <= tariffs::kListCount; ++list) {
        comboText_[static_cast<std::size_t>(list)].clear();
        comboIndex_[static_cast<std::size_t>(list)] = -1;
    }
    Total_CRT_set(panelLayout(tariffs::formulaLayout(menu.formula)));
    // Every box is written: a rate the menu does not give is emptied, so nothing of an earlier
    // menu is priced with it.
    setCaption(T5, menu.demandText);
    const int boxes[] = {0, T1, T2, T3, T4, T6};
    for (std::size_t k = 1; k <= 5; ++k)
        setCaption(boxes[k], menu.rateText[k]);
    captionHead_ = menu.name;
    captionTail_ = "　（燃料費等調整 " + numberText(menu.fuelAdjustment) + " 円/kWh・再エネ賦課金 " +
                   numberText(menu.renewableLevy) + " 円/kWh）";
    setCaption(L21, captionHead_ + captionTail_);
    userMenu_ = menu;
    menu_ = nullptr;
    runFormula(menu.formula);
    appliedTexts_ = boxTexts();
    Total_T();
    showPricedUtility();
    return true;
}

void TotalForm::Command10_Click() {
    Total_T();
}

// ---- Analysis displays and spreadsheet buttons ----------------------------------------------

bool TotalForm::Command7_Click() {
    TOTAL_FORM_BATCH();
    setCaption(L22, "月別電気使用量");
    fillMonthlyUsage(grid2_, state_);
    if (!checks_[1])
        return false;
    state_.ExcelMode = 2;
    return true;
}

bool TotalForm::Command18_Click() {
    TOTAL_FORM_BATCH();
    reportRefusal_.reset();
    setCaption(L22,
               tenDayBook_ ? "月時間の最大使用量　　" + std::string(kNotForTenDay) : "月時間の最大使用量");
    fillMonthlyMaximum(grid2_, state_);
    if (tenDayBook_)
        clearValues(grid2_);
    if (!checks_[2])
        return false;
    if (tenDayBook_) {
        reportRefusal_ = notice(std::string(kNotForTenDay), "確認メッセージ");
        return false;
    }
    state_.ExcelMode = 6;
    return true;
}

bool TotalForm::Command19_Click() {
    TOTAL_FORM_BATCH();
    reportRefusal_.reset();
    setCaption(L22, tenDayBook_ ? "時間帯別平均電力　　" + std::string(kNotForTenDay) : "時間帯別平均電力");
    fillHourAverages(grid2_, state_);
    if (tenDayBook_)
        clearValues(grid2_);
    if (!checks_[3])
        return false;
    if (tenDayBook_) {
        reportRefusal_ = notice(std::string(kNotForTenDay), "確認メッセージ");
        return false;
    }
    state_.ExcelMode = 7;
    return true;
}

void TotalForm::Command8_Click() {
    state_.ExcelMode = 3;
}
void TotalForm::Command2_Click() {
    state_.ExcelMode = 5;
}

} // namespace wattorio::calc
