#include "registry/site_files.h"

#include "app/listwrite.h"
#include "app/safe_save.h"
#include "app/text_escape.h"
#include "app/version.h"
#include "registry/registry.h"
#include "registry/site_facts.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace wattorio::registry {

namespace {

constexpr std::array<const char*, 6> kDataSuffixes = {kYearSuffix,   kTenDaySuffix,  kGeneratorSuffix,
                                                      kGeneratorResultSuffix, kIntervalSuffix, kInvoiceSuffix};
// A transfer record is nine short lines; anything much larger is not one.
constexpr std::size_t kMaxRecordBytes = 64 * 1024;
// The largest data file a transfer set may bring (a year book is about 100 kilobytes).
constexpr std::size_t kMaxDataFileBytes = kMaxFileBytes;

const char* const kReadInTitle = "読込みエラー";

std::string withSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

// Anything at the path, including a dangling link.
bool occupied(const std::string& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() != fs::file_type::not_found;
}

bool isDirectory(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

std::size_t utf8Chars(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

bool hasControl(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

Message failure(std::string text, std::string title) {
    return Message{std::move(text), std::move(title), Icon::Warning, Buttons::Ok};
}

// A source file's bytes: nothing when it does not exist (the step is skipped), an error when it
// exists but cannot be read.
struct Source {
    std::string target;
    std::string bytes;
};

Result<std::optional<std::string>> readIfPresent(const std::string& path) {
    if (!occupied(path))
        return std::optional<std::string>();
    Result<std::string> bytes = readFileBytes(path);
    if (!bytes)
        return bytes.error();
    return std::optional<std::string>(std::move(*bytes));
}

// Files written so far by one operation, removed again if it cannot finish.
class NewFiles {
public:
    Status write(const std::string& path, const std::string& bytes) {
        // A new site's file never replaces one that is already there.
        if (occupied(path))
            return Error{"ファイルがすでにあります: " + path};
        if (Status s = saveFileAtomically(path, bytes); !s)
            return s;
        written_.push_back(path);
        return Status::success();
    }
    void undo() {
        for (const std::string& p : written_) {
            std::error_code ec;
            fs::remove(p, ec);
        }
        written_.clear();
    }

private:
    std::vector<std::string> written_;
};

// Puts `record` into the next free row with the new serial, advances the counter and saves the
// registry; on a failed save everything is as before and the save's message comes back.
std::optional<Message> registerSite(MenuForm& form, SiteRecord record, int serial) {
    AppState& state = form.state();
    const float nextBefore = form.nextSiteRow();
    const int serialBefore = state.SaihanValue;
    const int row = static_cast<int>(nextBefore);
    const SiteRecord rowBefore = state.SiteTable[row];
    record[0] = serialText(serial);
    state.SiteTable[row] = std::move(record);
    form.setNextSiteRow(nextBefore + 1);
    state.SaihanValue = serial + 1;
    if (std::optional<Message> failed = form.Data_Save()) {
        state.SiteTable[row] = rowBefore;
        form.setNextSiteRow(nextBefore);
        state.SaihanValue = serialBefore;
        failed->text += "\n物件は登録していません。";
        return failed;
    }
    form.Grd_Set();
    return std::nullopt;
}

std::optional<Message> fullRegistry(const MenuForm& form) {
    if (form.nextSiteRow() > kMaxSites)
        return inputError("登録件数が限界を超えました。");
    return std::nullopt;
}

// A transfer record: exactly nine fields, none with a double quote or a control character
// (the registry file could not hold them) or longer than 200 characters, and a name that is a
// plain file name.
struct ParsedRecord {
    SiteRecord record;
    std::string problem;
};

ParsedRecord parseRecord(const std::string& path, const std::string& fileName) {
    ParsedRecord out;
    const std::string notRecord = "「" + fileName + "」は物件の書出しファイルではありません";
    ReadOptions options;
    options.maxBytes = kMaxRecordBytes;
    Result<std::string> bytes = readFileBytes(path, options);
    if (!bytes) {
        out.problem = "「" + escapedForMessage(fileName) + "」を開けません。\n" + bytes.error().message;
        return out;
    }
    ListReader reader = ListReader::fromBytes(*bytes);
    if (!reader.clean()) {
        out.problem = notRecord + "（Shift_JIS でない文字があります）。";
        return out;
    }
    std::vector<std::string> fields;
    while (!reader.atEnd() && fields.size() <= kSiteFields) {
        Result<ListField> f = reader.next();
        if (!f) {
            out.problem = notRecord + "（" + f.error().message + "）。";
            return out;
        }
        fields.push_back(std::move(f->text));
    }
    if (fields.size() != kSiteFields) {
        out.problem = notRecord + "（９項目の登録１件ではありません）。";
        return out;
    }
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string& f = fields[i];
        if (f.find('"') != std::string::npos || hasControl(f) || utf8Chars(f) > kMaxTransferNameChars) {
            out.problem = "「" + fileName + "」の " + std::to_string(i + 1) +
                          " 番目の項目は登録できません（\" や制御文字を含むか、200 文字を超えています）。";
            return out;
        }
        out.record[i] = f;
    }
    if (std::string why = transferNameProblem(out.record[1]); !why.empty())
        out.problem = "「" + fileName + "」の物件名称はファイル名に使えません（" + why + "）。";
    // A set carries its figures into the registry: they keep the bounds of every site.
    else if (std::string figures = siteFiguresProblem(out.record); !figures.empty())
        out.problem = "「" + fileName + "」は登録できません（" + figures + "）。";
    return out;
}

// A set written into the working folder under a name of six or more digits would land on the
// files of a site, registered now or to come with that serial.
bool looksLikeSiteStem(const std::string& name) {
    return name.size() >= 6 &&
           std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool sameFolder(const std::string& a, const std::string& b) {
    std::error_code ec;
    return fs::equivalent(a, b, ec);
}

} // namespace

std::string siteStem(const std::string& serial) {
    const std::string path = Fail_Name_Set("", serial, 1);
    return path.empty() ? path : path.substr(0, path.size() - 6);
}

std::string transferNameProblem(const std::string& name) {
    if (name.empty())
        return "名称が空です";
    if (name.find('/') != std::string::npos || name.find('\\') != std::string::npos)
        return "/ または \\ を含みます";
    if (name.find("..") != std::string::npos)
        return ".. を含みます";
    if (hasControl(name))
        return "制御文字を含みます";
    if (name.find('"') != std::string::npos)
        return "\" を含みます";
    if (utf8Chars(name) > kMaxTransferNameChars)
        return "200 文字を超えています";
    return "";
}

FileOpResult copySite(MenuForm& form) {
    AppState& state = form.state();
    if (!form.hasSite(state.SiteRow))
        return {};
    if (form.name.find('.') != std::string::npos)
        return {Outcome::Refused, inputError("名称に不具合入力がありますので変更ください。")};
    if (std::optional<Message> full = fullRegistry(form))
        return {Outcome::Refused, full};

    const std::optional<int> serial = freeSerial(state, static_cast<int>(form.nextSiteRow()));
    if (!serial)
        return {Outcome::Refused, failure(serialsExhausted(), "コピーエラー")};
    const SiteRecord& source = state.SiteTable[static_cast<int>(state.SiteRow)];
    if (!isSerial(source[0]))
        return {Outcome::Refused, failure("物件の番号が正しくありません: " + source[0], "コピーエラー")};
    const std::string newStem = state.AppDir + siteStem(serialText(*serial));

    // The book files, the meter data, the invoices and the generator settings travel with the
    // copy; generator results do not.
    const std::string fromStem = state.AppDir + siteStem(source[0]);
    std::vector<Source> files;
    for (const char* suffix : {kYearSuffix, kTenDaySuffix, kGeneratorSuffix, kIntervalSuffix, kInvoiceSuffix}) {
        Result<std::optional<std::string>> bytes = readIfPresent(fromStem + suffix);
        if (!bytes)
            return {Outcome::Failed,
                    failure(bytes.error().message + "\nコピーしませんでした。", "コピーエラー")};
        if (*bytes)
            files.push_back({newStem + suffix, std::move(**bytes)});
    }
    NewFiles written;
    for (const Source& f : files) {
        if (Status s = written.write(f.target, f.bytes); !s) {
            written.undo();
            return {Outcome::Failed, failure(s.error().message + "\nコピーしませんでした。", "コピーエラー")};
        }
    }

    SiteRecord copy = source;
    copy[1] = source[1] + kCopySuffix;
    for (int c = 6; c < kSiteFields; ++c)
        copy[c].clear();
    if (std::optional<Message> failed = registerSite(form, std::move(copy), *serial)) {
        written.undo();
        return {Outcome::Failed, failed};
    }
    form.clearFields();
    state.SiteRow = 0;
    state.UtilityNo = 0;
    return {Outcome::Done, notice("コピーしました", "  完了メッセージ")};
}

FileOpResult writeOut(MenuForm& form, const std::string& folderIn, Prompter& prompter) {
    AppState& state = form.state();
    if (!form.hasSite(state.SiteRow))
        return {Outcome::Refused, notice("書き出す名称を選択してください。", "\u3000\u3000選択エラー")};
    const SiteRecord& site = state.SiteTable[static_cast<int>(state.SiteRow)];
    const std::string& name = site[1];
    const std::string folder = withSlash(folderIn);
    if (std::string why = transferNameProblem(name); !why.empty())
        return {
            Outcome::Refused,
            failure("物件の名称がファイル名に使えないため書き出せません（" + why + "）。", "書出しエラー")};
    if (!isDirectory(folder))
        return {Outcome::Refused, failure("書き出し先のフォルダーがありません: " + folder, "書出しエラー")};
    if (sameFolder(folder, state.AppDir) && looksLikeSiteStem(name))
        return {Outcome::Refused, failure("作業フォルダーに書き出すと物件のファイルと名前が重なります。\n"
                                          "別のフォルダーを選んでください。",
                                          "書出しエラー")};

    Result<std::string> record = recordBytes(site);
    if (!record)
        return {Outcome::Failed, failure(record.error().message, "書出しエラー")};
    if (!isSerial(site[0]))
        return {Outcome::Refused, failure("物件の番号が正しくありません: " + site[0], "書出しエラー")};
    const std::string fromStem = state.AppDir + siteStem(site[0]);
    std::vector<Source> files;
    for (const char* suffix : kDataSuffixes) {
        Result<std::optional<std::string>> bytes = readIfPresent(fromStem + suffix);
        if (!bytes)
            return {Outcome::Failed,
                    failure(bytes.error().message + "\n書き出しませんでした。", "書出しエラー")};
        if (*bytes)
            files.push_back({folder + name + suffix, std::move(**bytes)});
    }

    const std::string recordPath = folder + name + kTransferSuffix;
    bool existing = occupied(recordPath);
    for (const char* suffix : kDataSuffixes)
        existing = existing || occupied(folder + name + suffix);
    if (existing && prompter.show(confirm("書き出し先に " + name +
                                          " のデータがすでにあります。\n上書きしますか？")) != Answer::Ok)
        return {Outcome::Cancelled, std::nullopt};

    // The set is replaced whole: a data file of the old set that this site does not have would
    // otherwise be read in with it later.
    for (const char* suffix : kDataSuffixes) {
        const std::string target = folder + name + suffix;
        const bool carried =
            std::any_of(files.begin(), files.end(), [&](const Source& f) { return f.target == target; });
        std::error_code ec;
        if (!carried && occupied(target) && !fs::is_directory(fs::symlink_status(target, ec))) {
            fs::remove(target, ec);
            if (ec)
                return {Outcome::Failed, failure("古いファイルを削除できません: " + target, "書出しエラー")};
        }
    }
    // The record goes last: a set with a record was written completely.
    files.push_back({recordPath, std::move(*record)});
    for (const Source& f : files)
        if (Status s = saveFileAtomically(f.target, f.bytes); !s)
            return {Outcome::Failed,
                    failure(s.error().message + "\n書き出しは完了していません。", "書出しエラー")};
    return {Outcome::Done, notice("データを書き出しました。", "確認メッセージ")};
}

FileOpResult readIn(MenuForm& form, const std::string& folderIn, const std::string& fileName,
                    Prompter& prompter) {
    AppState& state = form.state();
    if (fileName.empty())
        return {Outcome::Refused, notice("読み込むファイル名を選択してください。", "選択エラー")};
    if (prompter.show(confirm(fileName + " のデータを読み込みます。")) != Answer::Ok)
        return {Outcome::Cancelled, std::nullopt};
    if (std::optional<Message> full = fullRegistry(form))
        return {Outcome::Refused, full};

    const std::string folder = withSlash(folderIn);
    const std::string nothing = "\n何も登録していません。";
    if (fileName.find('/') != std::string::npos || fileName == "." || fileName == "..")
        return {Outcome::Refused,
                failure("「" + fileName + "」はファイル名ではありません。" + nothing, kReadInTitle)};
    ParsedRecord parsed = parseRecord(folder + fileName, fileName);
    if (!parsed.problem.empty())
        return {Outcome::Refused, failure(parsed.problem + nothing, kReadInTitle)};
    const std::string& name = parsed.record[1];

    // The data files come from the record's own folder only, and only as plain files.
    std::vector<std::pair<const char*, std::string>> found;
    for (const char* suffix : kDataSuffixes) {
        const std::string path = folder + name + suffix;
        std::error_code ec;
        if (fs::symlink_status(path, ec).type() == fs::file_type::not_found)
            continue;
        // Opened once and checked on the opened file: a plain file with no other name (a hard
        // link would bring in a file from elsewhere), not larger than any book; a link or a file
        // swapped for one after the look above is refused, never followed.
        ReadOptions options;
        options.maxBytes = kMaxDataFileBytes;
        options.singleLink = true;
        Result<std::string> bytes = readFileBytes(path, options);
        if (!bytes)
            return {Outcome::Refused, failure("「" + escapedForMessage(name + suffix) +
                                                  "」は読み込めません。\n" + bytes.error().message + nothing,
                                              kReadInTitle)};
        found.emplace_back(suffix, std::move(*bytes));
    }

    const std::optional<int> serial = freeSerial(state, static_cast<int>(form.nextSiteRow()));
    if (!serial)
        return {Outcome::Refused, failure(serialsExhausted() + nothing, kReadInTitle)};
    const std::string newStem = state.AppDir + siteStem(serialText(*serial));
    NewFiles written;
    for (const auto& [suffix, bytes] : found) {
        if (Status s = written.write(newStem + suffix, bytes); !s) {
            written.undo();
            return {Outcome::Failed, failure(s.error().message + nothing, kReadInTitle)};
        }
    }
    if (std::optional<Message> failed = registerSite(form, parsed.record, *serial)) {
        written.undo();
        return {Outcome::Failed, failed};
    }
    state.SiteRow = 0;
    return {Outcome::Done, std::nullopt};
}

FileOpResult makeFolder(const std::string& folder, const std::string& text) {
    std::string trimmed = text;
    trimmed.erase(0, trimmed.find_first_not_of(' '));
    const std::size_t end = trimmed.find_last_not_of(' ');
    trimmed.erase(end == std::string::npos ? 0 : end + 1);
    if (trimmed.empty())
        return {};
    // Only a folder directly in the shown one; a name that would reach elsewhere is invalid.
    if (!transferNameProblem(trimmed).empty() || trimmed == ".")
        return {Outcome::Failed, std::nullopt};
    std::error_code ec;
    if (!fs::create_directory(withSlash(folder) + trimmed, ec) || ec)
        return {Outcome::Failed, std::nullopt};
    return {Outcome::Done, notice("フォルダーを作成しました。", "")};
}

FileOpResult deleteFile(const std::string& folderIn, const std::string& fileName, Prompter& prompter) {
    if (fileName.empty())
        return {Outcome::Refused, notice("削除ファイル名を選択してください。", "選択エラー")};
    if (prompter.show(confirm(fileName + " のデータを削除ます。")) != Answer::Ok)
        return {Outcome::Cancelled, std::nullopt};
    const std::string path = withSlash(folderIn) + fileName;
    std::error_code ec;
    if (fileName.find('/') != std::string::npos || fs::is_directory(fs::symlink_status(path, ec)))
        return {Outcome::Refused, failure("「" + fileName + "」はファイルではありません。", "削除エラー")};
    // The read-only attribute of this platform is the missing write permission.
    if (fs::is_regular_file(fs::symlink_status(path, ec)))
        fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, ec);
    ec.clear();
    if (!fs::remove(path, ec) || ec)
        return {Outcome::Failed, failure("「" + fileName + "」を削除できませんでした" +
                                             (ec ? "（" + ec.message() + "）" : "") + "。",
                                         "削除エラー")};
    return {Outcome::Done, notice("削除しました。", "削除メッセージ")};
}

std::string helpPagePath(const std::string& exeDir, const std::string& sourceHelpDir) {
    std::error_code ec;
    if (!exeDir.empty()) {
        const fs::path installed = fs::path(exeDir) / ".." / "share" / "wattorio" / "help" / "index.html";
        if (fs::is_regular_file(installed, ec))
            return fs::weakly_canonical(installed, ec).string();
    }
    if (!sourceHelpDir.empty()) {
        const fs::path source = fs::path(sourceHelpDir) / "index.html";
        if (fs::is_regular_file(source, ec))
            return source.string();
    }
    return "";
}

// ---- the file panel's state ----

FilePanelForm::FilePanelForm(MenuForm& menu, std::string startFolder, std::vector<std::string> drives)
    : menu_(menu), startFolder_(withSlash(std::move(startFolder))), drives_(std::move(drives)) {
    for (std::string& d : drives_)
        d = withSlash(d);
    locateDrive();
    Dir_Creen_1();
}

void FilePanelForm::locateDrive() {
    // The drive of a folder is the mounted root with the longest matching start.
    const std::string shown = shownFolder();
    driveIndex_ = -1;
    std::size_t best = 0;
    for (std::size_t i = 0; i < drives_.size(); ++i) {
        const std::string& d = drives_[i];
        if (shown.compare(0, d.size(), d) == 0 && d.size() >= best) {
            best = d.size();
            driveIndex_ = static_cast<int>(i);
        }
    }
}

std::optional<Message> FilePanelForm::chooseDrive(int index) {
    if (index < 0 || index >= static_cast<int>(drives_.size()))
        return std::nullopt;
    const std::string& root = drives_[static_cast<std::size_t>(index)];
    std::error_code ec;
    fs::directory_iterator probe(root, ec);
    if (ec) {
        Dir_Creen_1();
        return Message{"ドライブの選択が不正です。", kAppTitle, Icon::None, Buttons::Ok};
    }
    Dir_Path = root;
    driveIndex_ = index;
    Dir_Creen_1();
    return std::nullopt;
}

void FilePanelForm::chooseFolder(const std::string& path) {
    Dir_Path = withSlash(path);
    locateDrive();
    Dir_Creen_1();
}

void FilePanelForm::chooseTarget(const std::string& path) {
    std::vector<FolderEntry> shownList = folders_;
    chooseFolder(path);
    folders_ = std::move(shownList);
}

void FilePanelForm::setAllFiles(bool all) {
    allFiles_ = all;
    Dir_Creen_1();
}

void FilePanelForm::Dir_Creen_1() {
    const std::string shown = shownFolder();
    const std::string root =
        driveIndex_ >= 0 ? drives_[static_cast<std::size_t>(driveIndex_)] : std::string("/");

    folders_.clear();
    // The open chain: the drive's root, then each folder down to the shown one.
    folders_.push_back({root, root, 0, true});
    int depth = 0;
    if (shown.size() > root.size() && shown.compare(0, root.size(), root) == 0) {
        std::size_t start = root.size();
        while (start < shown.size()) {
            std::size_t slash = shown.find('/', start);
            if (slash == std::string::npos)
                slash = shown.size();
            if (slash > start)
                folders_.push_back(
                    {shown.substr(start, slash - start), shown.substr(0, slash) + "/", ++depth, true});
            start = slash + 1;
        }
    }
    std::vector<FolderEntry> subs;
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(shown, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string n = it->path().filename().string();
        std::error_code typeError;
        if (n.empty() || n[0] == '.')
            continue;
        if (it->is_directory(typeError))
            subs.push_back({n, shown + n + "/", depth + 1, false});
        else if (it->is_regular_file(typeError))
            names.push_back(n);
    }
    std::sort(subs.begin(), subs.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    folders_.insert(folders_.end(), subs.begin(), subs.end());

    const std::string suffix = kTransferSuffix;
    auto lower = [](std::string s) {
        for (char& c : s)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        return s;
    };
    const std::string wanted = lower(suffix);
    files_.clear();
    for (const std::string& n : names) {
        // The pattern matches as the system's file lists do, regardless of letter case.
        if (allFiles_ || (n.size() >= wanted.size() && lower(n.substr(n.size() - wanted.size())) == wanted))
            files_.push_back(n);
    }
    std::sort(files_.begin(), files_.end());
    selected_ = -1;
}

void FilePanelForm::selectFile(int index) {
    selected_ = index >= 0 && index < static_cast<int>(files_.size()) ? index : -1;
}

std::string FilePanelForm::selectedFile() const {
    return selected_ >= 0 ? files_[static_cast<std::size_t>(selected_)] : std::string();
}

FileOpResult FilePanelForm::writeOut(Prompter& prompter) {
    FileOpResult r = registry::writeOut(menu_, shownFolder(), prompter);
    if (r.outcome == Outcome::Done || r.outcome == Outcome::Failed)
        Dir_Creen_1();
    return r;
}

FileOpResult FilePanelForm::readIn(Prompter& prompter) {
    FileOpResult r = registry::readIn(menu_, shownFolder(), selectedFile(), prompter);
    if (r.outcome == Outcome::Done)
        selected_ = -1;
    return r;
}

FileOpResult FilePanelForm::makeFolder() {
    FileOpResult r = registry::makeFolder(shownFolder(), menu_.folderName);
    if (r.outcome == Outcome::Done) {
        Dir_Creen_1();
        menu_.folderName.clear();
    }
    return r;
}

FileOpResult FilePanelForm::deleteFile(Prompter& prompter) {
    FileOpResult r = registry::deleteFile(shownFolder(), selectedFile(), prompter);
    if (r.outcome == Outcome::Done)
        Dir_Creen_1();
    return r;
}

} // namespace wattorio::registry
