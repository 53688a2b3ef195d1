#pragma once
// The program's data folder: the files shipped with the program (help/ the manual, demo/ the demo
// working folder, and the other read-only tables installed beside them).
//
// An installed program finds it beside its bin folder: <prefix>/bin/wattorio reads
// <prefix>/share/wattorio. A program run from its build folder reads the build folder's
// share/wattorio, which the build fills with links to the source tree's files (the root
// CMakeLists.txt names them with wattorio_data()).

#include "app/result.h"

#include <string>
#include <vector>

namespace wattorio {

// `exeDir`/../share/wattorio when that folder exists, else `buildDataDir` when it exists, else "".
// The result has no trailing slash.
std::string programDataDir(const std::string& exeDir, const std::string& buildDataDir);

// The same with the build folder this program was built in.
std::string programDataDir(const std::string& exeDir);

// The working folder of the window program: the folder named by the first argument that is no
// option (an error naming it when it is not an existing folder: a typo must not start the program
// somewhere else); else <home>/ワットリオ, made when missing, when `homeFolder` is asked for or
// the current folder is the home folder itself, so that the registry files never land loose in
// the home folder; else the current folder.
Result<std::string> chooseWorkingFolder(const std::vector<std::string>& args, const std::string& home,
                                        const std::string& current, bool homeFolder);

} // namespace wattorio
