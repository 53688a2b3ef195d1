#pragma once
// A site's files beyond the registry: copying a site with its data, writing a site out as a
// transfer set into a folder of the user's choice and reading such a set back in as a new site,
// and the small file panel of the main screen (drive, folder and file lists, new folder, delete).
//
// A transfer set of a site named N is N + "_Wattorio_M.dat" (the site's nine registry fields)
// and byte copies of whichever of its "_Y.dat", "_W.dat", "_Ag.dat", "_Ag_G.dat", "_Interval.csv"
// and "_Invoice.csv" files exist.
// A set comes from another installation and is not trusted: its name must be a plain file name,
// its record exactly nine sane fields, and its data files are taken from its own folder only.

#include "app/message.h"
#include "registry/menu_form.h"

#include <optional>
#include <string>
#include <vector>

namespace wattorio::registry {

constexpr const char* kTransferSuffix = "_Wattorio_M.dat";
// The site files a transfer set carries, in the order they are written.
constexpr const char* kYearSuffix = "_Y.dat";
constexpr const char* kTenDaySuffix = "_W.dat";
constexpr const char* kGeneratorSuffix = "_Ag.dat";
constexpr const char* kGeneratorResultSuffix = "_Ag_G.dat";
// The site's dated meter data and its recorded invoices.
constexpr const char* kIntervalSuffix = "_Interval.csv";
constexpr const char* kInvoiceSuffix = "_Invoice.csv";
// Appended to the name of a copied site: two blanks, an ideographic space, "(コピー)".
constexpr const char* kCopySuffix = "  \u3000(コピー)";
// The longest site name (in characters) a transfer set may carry.
constexpr std::size_t kMaxTransferNameChars = 200;
constexpr const char* kHomePage = "https://wattorio.example.jp/";

enum class Outcome {
    Nothing,   // no site selected: the button does nothing
    Done,      // the operation went through (message: the completion notice, if any)
    Cancelled, // the user answered Cancel; nothing changed
    Refused,   // a check refused it; nothing changed (message says why)
    Failed,    // a file could not be read or written; see the message for what was kept
};

struct FileOpResult {
    Outcome outcome = Outcome::Nothing;
    std::optional<Message> message;
};

// The file stem of a site's files in the working folder ("000012").
std::string siteStem(const std::string& serial);

// Why a transfer name cannot name files ("" when it can): empty, a path separator, "..",
// a control character, a double quote, more than 200 characters.
std::string transferNameProblem(const std::string& name);

// "コピー" (Command6): a new site with the next serial, named after the selected one with
// "  　(コピー)", its "_Y.dat", "_W.dat", "_Ag.dat", "_Interval.csv" and "_Invoice.csv" files
// copied ("_Ag_G.dat" is not). The name field of the form is checked for ".". Files are written
// first and the registry after, so a failure leaves nothing registered and no new file behind.
FileOpResult copySite(MenuForm& form);

// "書出し" (Command8): writes the selected site's transfer set into `folder` (ending in the
// separator). Asks before replacing an existing set of the same name.
FileOpResult writeOut(MenuForm& form, const std::string& folder, Prompter& prompter);

// "読込み" (Command9): registers a new site from `folder` + `fileName` (a transfer record) and
// copies the set's data files to the new serial's files. `fileName` empty = nothing selected.
FileOpResult readIn(MenuForm& form, const std::string& folder, const std::string& fileName,
                    Prompter& prompter);

// "ﾃﾞｨﾚｸﾄﾘｰ　作成" (Command10): creates `folder` + the trimmed `text`. Any failure is silent.
FileOpResult makeFolder(const std::string& folder, const std::string& text);

// "削除" (Command11): deletes `folder` + `fileName` after asking, clearing its read-only
// attribute first.
FileOpResult deleteFile(const std::string& folder, const std::string& fileName, Prompter& prompter);

// The help manual shipped with the program: <exe dir>/../share/wattorio/help/index.html, else
// `sourceHelpDir`/index.html (a program run from its build folder); "" when neither exists.
std::string helpPagePath(const std::string& exeDir, const std::string& sourceHelpDir);

// One line of the folder list: the folders from the drive's root down to the shown folder
// (open), then the shown folder's sub-folders.
struct FolderEntry {
    std::string name;  // the folder's own name (the root shows its full path)
    std::string path;  // full path, ending in the separator
    int depth = 0;     // indentation level
    bool open = false; // the root, an ancestor of or the shown folder itself
};

// The file panel's form-level state: the drives, the shown folder (`Dir_Path`), the file list
// with its pattern and selection, and the new-folder field (MenuForm::folderName, Text5).
class FilePanelForm {
public:
    // `startFolder`: the current directory the lists show until the user picks a drive or
    // folder. `drives`: the roots of the mounted volumes.
    FilePanelForm(MenuForm& menu, std::string startFolder, std::vector<std::string> drives);

    // Dir_Path: "" until the user changes the drive or folder; then a folder ending in "/".
    std::string Dir_Path;

    // The folder the lists show and the operations use.
    std::string shownFolder() const { return Dir_Path.empty() ? startFolder_ : Dir_Path; }
    const std::vector<std::string>& drives() const { return drives_; }
    // Index of the drive of the shown folder in drives() (-1 when none holds it).
    int driveIndex() const { return driveIndex_; }

    // Drive list change; the message "ドライブの選択が不正です。" when it cannot be read.
    std::optional<Message> chooseDrive(int index);
    // Folder list change.
    void chooseFolder(const std::string& path);
    // A single click in the folder list: `path` becomes the folder the buttons and the file list
    // use, while the folder list stays as it is (a double-click changes into it).
    void chooseTarget(const std::string& path);
    // Check2 "全ファイル表示".
    void setAllFiles(bool all);
    bool allFiles() const { return allFiles_; }
    std::string pattern() const { return allFiles_ ? "*.*" : std::string("*") + kTransferSuffix; }

    // Dir_Creen_1: re-reads both lists (the same folder stays shown; the selection is cleared).
    void Dir_Creen_1();
    const std::vector<FolderEntry>& folders() const { return folders_; }
    const std::vector<std::string>& files() const { return files_; }

    // File1 selection: an index into files(), -1 for none.
    void selectFile(int index);
    int selectedIndex() const { return selected_; }
    std::string selectedFile() const;

    // The buttons, on the shown folder and the selected file.
    FileOpResult copy() { return copySite(menu_); }
    FileOpResult writeOut(Prompter& prompter);
    FileOpResult readIn(Prompter& prompter);
    FileOpResult makeFolder();
    FileOpResult deleteFile(Prompter& prompter);

private:
    void locateDrive();

    MenuForm& menu_;
    std::string startFolder_;
    std::vector<std::string> drives_;
    int driveIndex_ = -1;
    bool allFiles_ = false;
    std::vector<FolderEntry> folders_;
    std::vector<std::string> files_;
    int selected_ = -1;
};

} // namespace wattorio::registry
