#pragma once
// The main screen `Menu` without its widgets: the edit fields, the utility box, the book kind,
// the site list's texts and the registry operations with their checks and messages.

#include "app/app_state.h"
#include "app/message.h"
#include "app/text_grid.h"
#include "registry/registry.h"
#include "registry/site_facts.h"

#include <optional>
#include <string>
#include <vector>

namespace wattorio::registry {

// What a key does in a digit-only field.
enum class KeyAction { Accept, Discard, NextField };
KeyAction digitFieldKey(char32_t key);

class MenuForm {
public:
    explicit MenuForm(AppState& state);

    // Form_Set and the start-up sequence: fixes state.AppDir (given, with a separator added),
    // reads the registry and fills the list. The returned message, if any, tells the user what
    // start-up set aside.
    std::optional<Message> startUp(const std::string& currentDir);

    // Texts of the screen.
    std::string title() const;
    static std::string versionLabel(); // Label2 " Ver  1.02"
    static constexpr const char* kLabel1 = "ワ ッ ト リ オ";

    TextGrid& list() { return list_; } // MSFlexGrid1: "No" / site name, 201 rows
    const TextGrid& list() const { return list_; }

    // Edit fields Text1..Text4 (name, multiplier, contract power, power factor), Text5 (new folder).
    std::string name, multiplier, contract, powerFactor, folderName;
    // Position shown in the utility box (-1 = no text).
    int utilityIndex() const { return utilityIndex_; }
    // Combo1 click.
    void chooseUtility(int index);

    // 受電 and 区分 of the site (nothing = 未設定), and the drop-downs that show them: position 0
    // is 未設定, then the choices in the order of supplyItems() / categoryItems().
    std::optional<Supply> supply;
    std::optional<tariffs::Category> category;
    static const std::vector<std::string>& supplyItems();
    static const std::vector<std::string>& categoryItems();
    int supplyIndex() const;
    int categoryIndex() const;
    void chooseSupply(int index);
    void chooseCategory(int index);

    // Option1 / Option2.
    void chooseBookMode(int mode);
    float bookMode() const { return bookMode_; }
    float nextSiteRow() const { return nextSiteRow_; }
    // "選　択", "変　更", "削　除", "コピー" are usable while a registered site is chosen.
    bool siteButtonsEnabled() const { return hasSite(state_.SiteRow); }

    // MSFlexGrid1 click on list row `row` (>= 1). Rows without a site select nothing.
    void listClick(int row);

    // Command2 "新規追加". Returns the message to show (an input error or "登録しました。"). The
    // new site keeps the chosen book kind; no site is chosen afterwards.
    Message add();
    // Command3 "変　更"; nothing (and no message) without a selected site. The figures are held to
    // the bounds every site keeps (siteFiguresProblem); the chosen book kind is stored.
    std::optional<Message> change();
    // After "読込み" registered a transfer set: chooses the new site (the last row) and returns the
    // notice naming it.
    Message chooseReadInSite();
    // Command4 "削　除": asks through the prompter first; deletes the site's files.
    std::optional<Message> remove(Prompter& prompter);
    // Command1 "選　択": sets SiteDataPath and returns the form to open ("Mainichi" / "Nenkan"),
    // or nothing.
    std::optional<std::string> select();

    // One book is worked on at a time (both books share the book tables): selecting, deleting,
    // changing or reading in a site ("選択", "削除", "変更", "読込み") while a book window is open is
    // refused with this message, so an open book never ends up saved under another site.
    static Message bookAlreadyOpen(const std::string& action = "選択");

    // Grd_Set: refills the list from the table.
    void Grd_Set();
    // Data_Save: both registry files; an error message when they cannot be written.
    std::optional<Message> Data_Save();

    // Registry rows for the transfer operations.
    void setNextSiteRow(float row) { nextSiteRow_ = row; }
    AppState& state() { return state_; }
    bool hasSite(float row) const;
    // Empties the four fields, the utility box and the site facts.
    void clearFields();

private:
    std::optional<Message> checkName(bool forAdd) const;

    AppState& state_;
    TextGrid list_;
    int utilityIndex_ = -1;
    float bookMode_ = 0;
    float nextSiteRow_ = 1;
    // The registry was damaged and could not be copied aside: it is not rewritten in this run.
    bool saveBlocked_ = false;
};

// Names become file names when sites are written out, and the file format has no escape for a
// double quote: these are refused along with "," and ".".
std::optional<Message> nameProblem(const std::string& name, bool forAdd);
// The other stored fields (multiplier, contract power, power factor) take no double quote, line
// break or control character either: each would break the registry file's records.
std::optional<Message> fieldsProblem(const MenuForm& form);

} // namespace wattorio::registry
