#pragma once
// Every file the program writes goes through here: the bytes go to a temporary file in the same
// folder, which is flushed to disk and then renamed over the target, so a crash or a full disk
// never leaves a truncated file.

#include "app/result.h"

#include <string>
#include <string_view>

namespace wattorio {

Status saveFileAtomically(const std::string& path, std::string_view bytes);

// Whole file as bytes; an error when it does not exist or cannot be read.
Result<std::string> readFileBytes(const std::string& path);
bool fileExists(const std::string& path);
// Copies `path` to `path + ".bak"` (or ".bak2", ... when that name is taken) and returns the
// copy's path; when the newest copy already holds the same bytes, that copy is returned instead.
Result<std::string> keepDamagedCopy(const std::string& path);

} // namespace wattorio
