#pragma once
// Every file the program writes goes through here: the bytes go to a new temporary file in the
// same folder (created exclusively, never through a link), which is flushed to disk and then
// renamed over the target; the folder is flushed after the rename. A crash or a full disk never
// leaves a truncated file, and a link placed at the target or at a temporary name is never
// written through (a link at the target is replaced by the new file itself).
//
// Every whole-file read goes through here too: the file is opened once without following a link
// and without waiting on a pipe or device, the opened file is checked (a regular file, not larger
// than a cap no sound file reaches) and read from that same descriptor.

#include "app/result.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace wattorio {

// A replaced file keeps its permission bits (and its group where the user may set it); a new file
// is made readable by everyone, as the user's file mask allows.
Status saveFileAtomically(const std::string& path, std::string_view bytes);

// Several files replaced as one step as far as a crash allows: `add` writes each new file to a
// flushed temporary, `commit` renames them all, in the order they were added, once every one is
// written. Temporaries not committed are removed when the set goes away.
class SaveSet {
public:
    SaveSet() = default;
    SaveSet(const SaveSet&) = delete;
    SaveSet& operator=(const SaveSet&) = delete;
    ~SaveSet();
    Status add(const std::string& path, std::string_view bytes);
    Status commit();

private:
    struct Pending {
        std::string path;
        std::string temp;
    };
    std::vector<Pending> pending_;
};

// The largest file any reader takes: a year book is about 100 KB, the registry a few hundred.
constexpr std::size_t kMaxFileBytes = 16 * 1024 * 1024;

// A bound on several reads together (the files of one import): each read adds its bytes to
// `used` and is refused, before its bytes are read, when they would take it past `maxBytes`.
struct ReadBudget {
    std::size_t maxBytes = 0;
    std::size_t used = 0;
};

struct ReadOptions {
    std::size_t maxBytes = kMaxFileBytes;
    // Refuse a file that has other names (a hard link to a file elsewhere).
    bool singleLink = false;
    ReadBudget* budget = nullptr; // the set this file belongs to, if any
};

// Whole file as bytes; an error when it does not exist, is not a regular file (a link, a folder,
// a pipe, a device), is larger than the cap or cannot be read.
Result<std::string> readFileBytes(const std::string& path, const ReadOptions& options = {});
bool fileExists(const std::string& path);
// Copies `path` to `path + ".bak"` (or ".bak2", ... when that name is taken) and returns the
// copy's path; when the newest copy already holds the same bytes, that copy is returned instead.
Result<std::string> keepDamagedCopy(const std::string& path);

// Whether a file name is one the program keeps its data in: the registry and its counter, a site's
// books and dated data, user menus, the holiday list, a transfer record, the folder's lock, or a
// damaged file's copy of any of them. No report or export is written over such a file.
bool isProgramDataFileName(std::string_view fileName);
// Whether a file name is a temporary saveFileAtomically created for one of the program's own files:
// the registry, the counter, a site's books, user menus, transfer records or a report
// ("Mt_Menu.dat.tmp~Ab3dE9"). Anything else with ".tmp~" in its name is the user's.
bool isSaveTemporary(std::string_view fileName);
// Removes the temporaries a killed program left in `folder` and returns how many; call it only
// while no other program writes the folder (holding the folder's lock).
int removeStaleTemporaries(const std::string& folder);

// The system calls a save makes that can fail after the temporary is written. Tests replace them
// to make each one fail; the program never does.
struct SaveCalls {
    int (*fsyncFile)(int fd);
    int (*closeFile)(int fd);
    int (*renameFile)(const char* from, const char* to);
};
SaveCalls systemSaveCalls();
// Replaces the calls every later save makes (tests only) and returns the ones replaced.
SaveCalls replaceSaveCallsForTesting(const SaveCalls& calls);

} // namespace wattorio
