#pragma once
// The results window "Total" without its widgets: every caption, rate-box text and visibility of
// the rate panel, the texts of the 46 menu lists, the selected tab, the two grids, the window
// title, and the procedures that change them. The window binds widgets named like the controls
// (Label21, Text5, Combo42, MSFlexGrid1 ...) to this object and refreshes them when the listener
// fires; it does no arithmetic of its own.

#include "app/app_state.h"
#include "app/message.h"
#include "app/text_grid.h"
#include "calc/charges.h"
#include "tariffs/catalog.h"
#include "tariffs/user_menus.h"

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace wattorio::calc {

class TotalForm {
public:
    explicit TotalForm(AppState& state);

    // ---- Controls -------------------------------------------------------------------------
    // Caption of a label ("Label1" .. "Label60" as far as the form has them), text of a rate box
    // ("Text1" .. "Text6") or the shown text of a list ("Combo1" .. "Combo46"); "" for a name the
    // form does not have.
    const std::string& text(std::string_view control) const;
    // Visibility of a label or rate box (lists are always visible); false for an unknown name.
    bool visible(std::string_view control) const;
    // The user's typing into a rate box (Text1 .. Text6); priced at the next Total_T. Other names
    // are ignored. Fires the listener.
    void setText(std::string_view control, std::string text);

    // Every label and rate box the form holds, in a stable order (for refreshing a window).
    static std::span<const std::string_view> controlNames();
    // The rate panel as the command line reports it: Label21, the caption / kWh / charge labels of
    // the demand line and the five rate lines, the totals, and Text1 .. Text6.
    static std::span<const std::string_view> panelControlNames();

    // Window title, written by Form_Set.
    const std::string& title() const { return title_; }
    // Tab shown on SSTab1: 0 = 東京電力 .. 8 = 北海道電力.
    int currentTab() const { return tab_; }
    // Selected item of list `list` (1..46), -1 when the list shows no selection.
    int comboIndex(int list) const;
    // Check1 .. Check3 ("エクセルを起動する").
    bool checked(int check) const;
    void setChecked(int check, bool on);

    // MSFlexGrid1: year table, 7 columns x 6 rows. MSFlexGrid2: the analysis tables.
    TextGrid& MSFlexGrid1() { return grid1_; }
    const TextGrid& MSFlexGrid1() const { return grid1_; }
    TextGrid& MSFlexGrid2() { return grid2_; }
    const TextGrid& MSFlexGrid2() const { return grid2_; }

    // ---- Form-level figures -----------------------------------------------------------------
    const SeasonTable& SeasonTotal() const { return season_; }
    const LineArray& LineKwh() const { return lineKwh_; }
    const LineArray& LineCharge() const { return lineCharge_; }
    double total() const { return total_; }
    double totalWithTax() const { return totalWithTax_; }
    // The menu applied last (nullptr before the first one, and while a user menu is applied).
    const tariffs::TariffMenu* currentMenu() const { return menu_; }
    // The user menu applied last, until a catalog menu is chosen.
    const std::optional<tariffs::UserMenu>& currentUserMenu() const { return userMenu_; }

    // ---- User menus (the 自由メニュー tab) ----------------------------------------------------
    // The menus of User_Menus.csv the tab lists; the window loads them. When the menu on the
    // panel is no longer among them (read again, edited or dropped), the panel is cleared.
    void setUserMenus(std::vector<tariffs::UserMenu> menus);
    const std::vector<tariffs::UserMenu>& userMenus() const { return userMenus_; }
    // A choice on the tab (position in userMenus()): blanks every list, lays the panel out for the
    // formula, writes the menu's rates into the boxes, its name and adders into Label21, runs the
    // formula and prices with the menu's adders and tax (Label11 names the tax rate). Until a
    // catalog menu is chosen, 再 計 算 prices the boxes the same way. False for a bad position.
    bool ApplyUserMenu(int position);
    // A menu chosen elsewhere (a comparison table), as the user would choose it here: a catalog
    // menu on its utility's tab and list, else the user menu of line `userLine` of the file. False
    // when it is not there or the user answered Cancel.
    bool applyChosenMenu(const tariffs::TariffMenu* catalog, int userLine, Prompter& prompter);

    // Called after every operation that changed a control, a grid or a figure.
    using Listener = std::function<void()>;
    void setListener(Listener listener) { listener_ = std::move(listener); }

    // ---- Procedures -------------------------------------------------------------------------
    // Form_Load: Form_Set, Nen_Total, Grd1_Crt, the contract labels Label17 / Label18, the tab of
    // the site's utility and Label45. Refused (false, nothing changed) when UtilityNo is not 1..9
    // or SiteRow is outside the registry.
    bool Form_Load();
    // Title, empty rate boxes and result labels, Label33, Label10, the headed year-table grid and
    // the 46 lists without a selection. Refused like Form_Load.
    bool Form_Set();
    void Nen_Total();
    void Grd1_Crt();

    // Rate-panel layout 0, 2, 3, 4 or 5 (any other value only resets the panel).
    void Total_CRT_set(float layout);

    // The eight formula procedures: LineKwh, the line captions and the kWh labels.
    void Total_Natsu_Sonota();
    void Total_Holiday_Natsu_Sonota();
    void Total_Peek_Hiru_Yakan_Y();
    void Total_Kizibetu_1();
    void Total_Kizibetu_2();
    void Total_kizibet_Yakan_2();
    void Total_Hokuden_1();
    void Total_Hokuden_2();
    void runFormula(tariffs::Formula formula);

    // Prices the rate boxes against LineKwh: LineCharge, totals and their labels. A menu whose
    // boxes no longer hold the rates it was applied with says so in Label21 ("（単価変更）").
    void Total_T();
    // Whether a rate box differs from the rates last priced (a report would show the old charges).
    bool ratesStale() const;
    // Why Form_Load (or the last refreshFromTotals) refused to price the site: figures or readings
    // that cannot be priced.
    const std::optional<Message>& loadRefusal() const { return loadRefusal_; }
    // The caption of Label21 for an edited menu.
    static constexpr const char* kEditedMark = "（単価変更）";

    // A choice in list `list` (1..46) at `index`: blanks the tab's other lists, asks the
    // Saturday question through `prompter` where the menu needs it, lays out the panel, writes the
    // rates and caption, runs the formula and Total_T, and the tax note. False when the menu does
    // not exist or the user answered Cancel (rates, caption and results unchanged).
    bool ApplyTariffMenu(int list, int index, Prompter& prompter);

    // The totals were calculated anew (電気代計算 with the window open): the year table, the
    // charges of the menu now chosen on the rates now in the boxes, and the analysis table shown.
    void refreshFromTotals();

    // Tab change (tab 9 is the 自由メニュー tab). Label45 keeps naming the utility of the menu
    // being priced (the site's before any), whichever tab is shown.
    void SSTab1_Click(int tab);
    // "再 計 算": Total_T on the rates now in the boxes.
    void Command10_Click();

    // Analysis displays in MSFlexGrid2 with their caption in Label22. Each returns true when its
    // check box is ticked: ExcelMode is then set (7: 2, 18: 6, 19: 7) and the window opens the
    // spreadsheet output.
    bool Command7_Click();  // "月別電気使用量" (Check1)
    bool Command18_Click(); // "月時間の最大使用量" (Check2)
    bool Command19_Click(); // "時間帯別平均電力" (Check3)
    // The open book is a ten-day book: the two hourly tables are not computed for it. They then
    // show empty cells under their caption with the note, and their report is refused (the last
    // click of 18 / 19 leaves the refusal in reportRefusal()).
    void setTenDayBook(bool tenDay) { tenDayBook_ = tenDay; }
    bool tenDayBook() const { return tenDayBook_; }
    const std::optional<Message>& reportRefusal() const { return reportRefusal_; }
    // The other spreadsheet buttons only set ExcelMode: 3 ("季節別電気使用量 Exl"), 5 ("エクセル起動").
    void Command8_Click();
    void Command2_Click();

private:
    struct Control {
        std::string text;
        bool visible = true;
    };
    Control* find(std::string_view name);
    const Control* find(std::string_view name) const;
    Control& ctl(int id) { return controls_[static_cast<std::size_t>(id)]; }
    void setCaption(int id, std::string text);
    void show(int id, bool on);
    void writeKwh(int id, double kwh);
    void formulaCaptions(tariffs::Formula formula);
    bool siteIsValid() const;
    std::array<std::string, 6> boxTexts() const;
    void showPricedUtility();
    void clearPanel();

    AppState& state_;
    std::array<Control, 80> controls_{};
    std::array<std::string, 47> comboText_{};
    std::array<int, 47> comboIndex_{};
    std::array<bool, 4> checks_{};
    std::string title_;
    int tab_ = 0;
    TextGrid grid1_;
    TextGrid grid2_;
    SeasonTable season_{};
    LineArray lineKwh_{};
    LineArray lineCharge_{};
    double total_ = 0;
    double totalWithTax_ = 0;
    const tariffs::TariffMenu* menu_ = nullptr;
    std::vector<tariffs::UserMenu> userMenus_;
    std::optional<tariffs::UserMenu> userMenu_;
    Listener listener_;
    bool tenDayBook_ = false;
    std::optional<Message> reportRefusal_;
    std::optional<Message> loadRefusal_;
    // The box texts a menu was applied with, and those Total_T last priced.
    std::optional<std::array<std::string, 6>> appliedTexts_;
    std::optional<std::array<std::string, 6>> pricedTexts_;
    // Label21 of the applied menu: before and after the place of the edited mark.
    std::string captionHead_;
    std::string captionTail_;
    int depth_ = 0; // nesting of running operations; the listener fires when it returns to 0
};

} // namespace wattorio::calc
