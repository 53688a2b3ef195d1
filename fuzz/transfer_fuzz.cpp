// Reading in a transfer set from arbitrary bytes (the record file up to a line "=====", then its
// year book): never a crash, and nothing is written outside the working folder.

#include "fuzz_support.h"
#include "registry/menu_form.h"
#include "registry/registry.h"
#include "registry/site_files.h"

#include <memory>

using namespace wattorio;

namespace {
class AlwaysOk : public Prompter {
public:
    Answer show(const Message&) override { return Answer::Ok; }
};

int entries(const std::string& folder) {
    int n = 0;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec)) {
        (void)e;
        ++n;
    }
    return n;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto [record, book] =
        fuzz::splitAtFirstLine(std::string_view(reinterpret_cast<const char*>(data), size), "=====\n");
    fuzz::freshFolder();
    const std::string work = fuzz::freshFolder("work");
    const std::string set = fuzz::freshFolder("set");
    fuzz::put(work + registry::kSerialFile, "1\r\n");
    fuzz::put(work + registry::kRegistryFile, "");
    fuzz::put(set + "X_Wattorio_M.dat", record);
    // The book comes along when the record names the site "X".
    fuzz::put(set + "X_Y.dat", book);
    auto state = std::make_unique<AppState>();
    registry::MenuForm form(*state);
    if (form.startUp(work))
        return 0;
    AlwaysOk ok;
    (void)registry::readIn(form, set, "X_Wattorio_M.dat", ok);
    fuzz::require(entries(fuzz::scratch()) == 2, "nothing written beside the two folders");
    fuzz::require(entries(set) == 2, "the transfer set is left as it was");
    return 0;
}
