#pragma once
// Runs wattorio-cli on a working folder and collects its standard output and exit status.

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace wattorio::test {

struct CliRun {
    int status = -1;
    std::string out;
};

// With withErrors, standard error is collected into out as well.
inline CliRun cli(const std::string& dir, const std::string& args, bool withErrors = false) {
    const std::string command = std::string(WATTORIO_CLI_PATH) + " --dir '" + dir + "' " + args +
                                (withErrors ? " 2>&1" : " 2>/dev/null");
    CliRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    std::array<char, 4096> buf{};
    std::size_t n = 0;
    while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0)
        run.out.append(buf.data(), n);
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

} // namespace wattorio::test
