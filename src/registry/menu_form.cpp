#include "registry/menu_form.h"

#include "app/numtext.h"
#include "app/sjis.h"
#include "app/version.h"
#include "registry/site_book_info.h"

#include <cmath>
#include <filesystem>

namespace wattorio::registry {

namespace {

constexpr int kListRows = 201;

bool contains(const std::string& text, std::string_view what) {
    return text.find(what) != std::string::npos;
}

void removeQuietly(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
}

std::optional<BookKind> kindOfMode(float mode) {
    if (mode == 1)
        return BookKind::Year;
    if (mode == 2)
        return BookKind::TenDay;
    return std::nullopt;
}

// The book kind goes with the record; the calendar year kept there stays.
void storeBookKind(SiteRecord& record, float mode) {
    if (const std::optional<BookKind> kind = kindOfMode(mode)) {
        SiteBookInfo info = siteBookInfo(record);
        info.kind = kind;
        setSiteBookInfo(record, info);
    }
}

} // namespace

KeyAction digitFieldKey(char32_t key) {
    if (key == U'\b')
        return KeyAction::Accept;
    if (key == U'\r' || key == U'\n')
        return KeyAction::NextField;
    return key >= U'0' && key <= U'9' ? KeyAction::Accept : KeyAction::Discard;
}

std::optional<Message> nameProblem(const std::string& name, bool forAdd) {
    if (forAdd) {
        if (contains(name, ",") || contains(name, "."))
            return inputError("名称に 　, 　.　 が含まれていますので削除ください。");
    } else if (contains(name, ".")) {
        return inputError("名称に不具合入力がありますので変更ください。");
    }
    if (contains(name, "\""))
        return inputError("名称に 　\"　 が含まれていますので削除ください。");
    if (contains(name, "/") || contains(name, "\\"))
        return inputError("名称に 　/　\\　 が含まれていますので削除ください。");
    if (!representableInCp932(name) || !storedFieldProblem(name).empty())
        return inputError("名称に保存できない文字が含まれていますので変更ください。");
    return std::nullopt;
}

std::optional<Message> fieldsProblem(const MenuForm& form) {
    const std::pair<const char*, const std::string*> fields[] = {
        {"電力計の倍率", &form.multiplier}, {"契約電力", &form.contract}, {"年間力率", &form.powerFactor}};
    for (const auto& [label, text] : fields)
        if (!storedFieldProblem(*text).empty() || !representableInCp932(*text))
            return inputError(
                std::string(label) +
                "に保存できない文字（\"、改行、制御文字など）が含まれていますので削除ください。");
    return std::nullopt;
}

MenuForm::MenuForm(AppState& state) : state_(state), list_(kListRows, 2, 1, 1) {
    list_.setColWidth(0, 350);
    list_.setColWidth(1, 8700);
    list_.setColAlign(1, TextGrid::Align::Left);
    list_.setText(0, 0, "No");
}

std::string MenuForm::title() const {
    return "  ワットリオ" + std::string(55, ' ') + state_.VersionText;
}

std::string MenuForm::versionLabel() {
    return " Ver  " + versionDigits();
}

std::optional<Message> MenuForm::startUp(const std::string& currentDir) {
    state_.AppDir = currentDir;
    if (state_.AppDir.empty() || state_.AppDir.back() != '/')
        state_.AppDir += '/';
    state_.VersionText = kBanner;
    fillUtilityNames(state_);
    name.clear();
    multiplier = "1";
    contract = "0";
    powerFactor.clear();
    folderName.clear();
    utilityIndex_ = -1;

    const bool firstStart = !std::filesystem::exists(state_.AppDir + kSerialFile) &&
                            !std::filesystem::exists(state_.AppDir + kRegistryFile);
    Loaded loaded = loadRegistry(state_);
    nextSiteRow_ = loaded.nextSiteRow;
    saveBlocked_ = loaded.report.saveBlocked;
    Grd_Set();
    // The first start in a folder goes the recovery way: empty list, no book kind chosen.
    if (!firstStart)
        chooseBookMode(1);
    if (loaded.report.problems.empty())
        return std::nullopt;
    std::string text = "物件の登録ファイルに問題がありました。\n" + loaded.report.problems + "\n読み込めた " +
                       std::to_string(loaded.report.sitesRead) + " 件の物件を表示します。";
    if (!loaded.report.backups.empty()) {
        text += "\n元のファイルは次の名前で残してあります:";
        for (const std::string& b : loaded.report.backups)
            text += "\n" + b;
    }
    return Message{text, kAppTitle, Icon::Warning, Buttons::Ok};
}

void MenuForm::chooseUtility(int index) {
    utilityIndex_ = index;
    state_.UtilityNo = static_cast<float>(index + 1);
}

const std::vector<std::string>& MenuForm::supplyItems() {
    static const std::vector<std::string> items{std::string(kUnsetText),
                                                std::string(supplyText(Supply::High)),
                                                std::string(supplyText(Supply::ExtraHigh))};
    return items;
}

const std::vector<std::string>& MenuForm::categoryItems() {
    static const std::vector<std::string> items{
        std::string(kUnsetText), std::string(tariffs::categoryName(tariffs::Category::Office)),
        std::string(tariffs::categoryName(tariffs::Category::Factory))};
    return items;
}

int MenuForm::supplyIndex() const {
    return !supply ? 0 : *supply == Supply::High ? 1 : 2;
}

int MenuForm::categoryIndex() const {
    return !category ? 0 : *category == tariffs::Category::Office ? 1 : 2;
}

void MenuForm::chooseSupply(int index) {
    supply = index == 1   ? std::optional(Supply::High)
             : index == 2 ? std::optional(Supply::ExtraHigh)
                          : std::nullopt;
}

void MenuForm::chooseCategory(int index) {
    category = index == 1   ? std::optional(tariffs::Category::Office)
               : index == 2 ? std::optional(tariffs::Category::Factory)
                            : std::nullopt;
}

void MenuForm::chooseBookMode(int mode) {
    bookMode_ = static_cast<float>(mode);
}

bool MenuForm::hasSite(float row) const {
    return row >= 1 && row < nextSiteRow_ && row <= kMaxSites;
}

void MenuForm::listClick(int row) {
    if (row < 1 || !hasSite(static_cast<float>(row)))
        return;
    state_.SiteRow = static_cast<float>(row);
    const SiteRecord& site = state_.SiteTable[row];
    name = site[1];
    multiplier = site[2];
    contract = site[3];
    powerFactor = site[4];
    state_.UtilityNo = static_cast<float>(val(site[5]));
    const int u = static_cast<int>(state_.UtilityNo);
    utilityIndex_ = u >= 1 && u <= 9 ? u - 1 : -1;
    supply = siteSupply(site);
    category = siteCategory(site);
    // The book kind is the one the site was registered with; a site registered before the kind
    // was kept follows its files when it has one kind only. The user can change it.
    if (const std::optional<BookKind> kind = siteBookInfo(site).kind) {
        chooseBookMode(static_cast<int>(*kind));
        return;
    }
    std::error_code ec;
    const bool year = std::filesystem::exists(Fail_Name_Set(state_.AppDir, site[0], 1), ec);
    const bool tenDay = std::filesystem::exists(Fail_Name_Set(state_.AppDir, site[0], 2), ec);
    if (year != tenDay)
        chooseBookMode(year ? 1 : 2);
}

void MenuForm::clearFields() {
    name.clear();
    multiplier.clear();
    contract.clear();
    powerFactor.clear();
    utilityIndex_ = -1;
    supply.reset();
    category.reset();
}

void MenuForm::Grd_Set() {
    list_.beginUpdate();
    Grd_Cls(list_, 0, 1);
    for (int i = 1; i < nextSiteRow_ && i < kListRows; ++i) {
        list_.setText(i, 0, std::to_string(i));
        list_.setText(i, 1, state_.SiteTable[i][1]);
    }
    list_.endUpdate();
}

std::optional<Message> MenuForm::Data_Save() {
    if (saveBlocked_)
        return Message{"物件の登録ファイルが壊れていて控えも作れなかったため、書き換えません。\n"
                       "空き容量や作業フォルダーを確かめてから、もう一度起動してください。",
                       "保存エラー", Icon::Critical, Buttons::Ok};
    if (Status s = saveRegistry(state_, nextSiteRow_); !s)
        return Message{s.error().message, "保存エラー", Icon::Critical, Buttons::Ok};
    return std::nullopt;
}

Message MenuForm::add() {
    if (nextSiteRow_ > kMaxSites)
        return inputError("登録件数が限界を超えました。");
    if (name.empty())
        return inputError("名称を入力してください。");
    if (std::optional<Message> m = nameProblem(name, true))
        return *m;
    if (std::optional<Message> m = fieldsProblem(*this))
        return *m;
    const double mult = val(multiplier);
    if (mult == 0)
        return inputError("電力計の倍率を入力してください。");
    if (mult < 1)
        return inputError("電力計の倍率は１以上を入力してください。");
    // A pasted fraction gets past the digit keys: a new site takes whole numbers only.
    if (mult != std::floor(mult))
        return inputError("電力計の倍率は整数で入力してください。");
    const double kw = val(contract);
    if (kw == 0)
        return inputError("契約電力を入力してください。");
    if (kw < 50)
        return inputError("契約電力は５０ｋＷ以上を入力してください。");
    if (kw != std::floor(kw))
        return inputError("契約電力は整数で入力してください。");
    const double pf = val(powerFactor);
    if (pf == 0)
        return inputError("年間力率を入力してください。");
    if (pf > 100)
        return inputError("年間力率は１００以下を入力してください。");
    if (pf < 1)
        return inputError("年間力率は １ ～ 100 の範囲で入力してください。");
    if (state_.UtilityNo < 1)
        return inputError("電力会社を選択してください。");
    SiteRecord record{"", name, multiplier, contract, powerFactor, numberText(state_.UtilityNo), "", "", ""};
    if (const std::string problem = siteFiguresProblem(record); !problem.empty())
        return inputError(problem);
    setSiteFacts(record, supply, category);
    storeBookKind(record, bookMode_);
    // A serial whose files are still there (left by a crash or an unregistered copy) is passed over.
    const std::optional<int> serial = freeSerial(state_, static_cast<int>(nextSiteRow_));
    if (!serial)
        return inputError(serialsExhausted());

    const int r = static_cast<int>(nextSiteRow_);
    const SiteRecord before = state_.SiteTable[r];
    const int serialBefore = state_.SaihanValue;
    record[0] = serialText(*serial);
    state_.SiteTable[r] = record;
    nextSiteRow_ += 1;
    state_.SaihanValue = *serial + 1;
    if (std::optional<Message> failed = Data_Save()) {
        nextSiteRow_ -= 1;
        state_.SaihanValue = serialBefore;
        state_.SiteTable[r] = before;
        return *failed;
    }
    // The fields are ready for the next site, so no site stays chosen behind them.
    state_.SiteRow = 0;
    Grd_Set();
    clearFields();
    multiplier = "1";
    contract = "0";
    state_.UtilityNo = 0;
    return notice("登録しました。", "登録確認メッセージ");
}

std::optional<Message> MenuForm::change() {
    if (!hasSite(state_.SiteRow))
        return std::nullopt;
    if (std::optional<Message> m = nameProblem(name, false))
        return m;
    if (std::optional<Message> m = fieldsProblem(*this))
        return m;
    const int r = static_cast<int>(state_.SiteRow);
    SiteRecord changed = state_.SiteTable[r];
    changed[1] = name;
    changed[2] = multiplier;
    changed[3] = contract;
    changed[4] = powerFactor;
    changed[5] = numberText(state_.UtilityNo);
    // Figures no bill can be priced with are refused here as on 新規追加, with the bounds named.
    if (const std::string problem = siteFiguresProblem(changed); !problem.empty())
        return inputError(problem + "\n変更していません。");
    setSiteFacts(changed, supply, category);
    storeBookKind(changed, bookMode_);
    SiteRecord& site = state_.SiteTable[r];
    const SiteRecord before = site;
    site = changed;
    if (std::optional<Message> failed = Data_Save()) {
        site = before;
        return failed;
    }
    state_.SiteRow = 0;
    Grd_Set();
    clearFields();
    state_.UtilityNo = 0;
    return notice("変更しました。", "確認メッセージ");
}

std::optional<Message> MenuForm::remove(Prompter& prompter) {
    if (!hasSite(state_.SiteRow))
        return std::nullopt;
    const int row = static_cast<int>(state_.SiteRow);
    if (prompter.show(confirm(state_.SiteTable[row][1] + " を 削除します。")) != Answer::Ok)
        return std::nullopt;

    const auto table = state_.SiteTable;
    const float nextBefore = nextSiteRow_;
    const std::string serial = state_.SiteTable[row][0];
    const int last = static_cast<int>(nextSiteRow_) - 1;
    for (int r = row; r < last; ++r)
        state_.SiteTable[r] = state_.SiteTable[r + 1];
    state_.SiteTable[last].fill(std::string());
    nextSiteRow_ -= 1;
    // The registry is rewritten before any file goes, so a failed save loses nothing.
    if (std::optional<Message> failed = Data_Save()) {
        state_.SiteTable = table;
        nextSiteRow_ = nextBefore;
        return failed;
    }
    // The site's files go by its own serial; the path of an open book is left alone.
    if (const std::string year = Fail_Name_Set(state_.AppDir, serial, 1); !year.empty()) {
        const std::string stem = year.substr(0, year.size() - 6);
        for (const char* suffix :
             {"_Y.dat", "_W.dat", "_Ag.dat", "_Ag_G.dat", "_Interval.csv", "_Invoice.csv"})
            removeQuietly(stem + suffix);
    }

    state_.SiteRow = 0;
    Grd_Set();
    state_.UtilityNo = 0;
    clearFields();
    return std::nullopt;
}

Message MenuForm::chooseReadInSite() {
    const int row = static_cast<int>(nextSiteRow_) - 1;
    listClick(row);
    return notice("登録しました：" + state_.SiteTable[row][1] + "（No. " + std::to_string(row) + "）",
                  "登録メッセージ");
}

Message MenuForm::bookAlreadyOpen(const std::string& action) {
    static const std::pair<const char*, const char*> kWording[] = {{"選択", "選択してください。"},
                                                                   {"削除", "削除してください。"},
                                                                   {"変更", "変更してください。"},
                                                                   {"読込み", "読み込んでください。"},
                                                                   {"表示", "表示してください。"}};
    std::string ending = "操作してください。";
    for (const auto& [name, text] : kWording)
        if (action == name)
            ending = text;
    return {"開いている物件のデータ画面を「終　了」で閉じてから" + ending, action + "エラー", Icon::Question,
            Buttons::Ok};
}

std::optional<std::string> MenuForm::select() {
    if (!hasSite(state_.SiteRow))
        return std::nullopt;
    const int mode = static_cast<int>(bookMode_);
    if (mode != 1 && mode != 2)
        return std::nullopt;
    const std::string path =
        Fail_Name_Set(state_.AppDir, state_.SiteTable[static_cast<int>(state_.SiteRow)][0], mode);
    if (path.empty())
        return std::nullopt;
    state_.SiteDataPath = path;
    return std::string(mode == 1 ? "Mainichi" : "Nenkan");
}

} // namespace wattorio::registry
