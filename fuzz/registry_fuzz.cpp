// The registry reader on arbitrary bytes (the first line is W_Saihan.dat, the rest Mt_Menu.dat):
// never a crash, the site count within the table, and a save of what was read never crashes.
// (A save -> read round trip and "every serial names a file in the folder" are to be added here
// once the registry refuses non-numeric serials and decides the encoding from the whole file.)

#include "fuzz_support.h"
#include "registry/registry.h"

#include <memory>

using namespace wattorio;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto [serialBytes, menuBytes] =
        fuzz::splitAtFirstLine(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string folder = fuzz::freshFolder();
    fuzz::put(folder + registry::kSerialFile, serialBytes);
    fuzz::put(folder + registry::kRegistryFile, menuBytes);
    auto state = std::make_unique<AppState>();
    state->AppDir = folder;
    const registry::Loaded loaded = registry::loadRegistry(*state);
    const int sites = static_cast<int>(loaded.nextSiteRow) - 1;
    fuzz::require(sites >= 0 && sites <= kMaxSites, "site count within the registry");
    if (!loaded.report.problems.empty())
        return 0;
    (void)registry::saveRegistry(*state, loaded.nextSiteRow);
    return 0;
}
