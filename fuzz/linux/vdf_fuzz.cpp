// Any bytes as libraryfolders.vdf or an app manifest, and as a binary shortcuts.vdf: the readers
// never crash, hang or recurse without bound, and what they read can be walked.
#include "platform/linux/installations/Vdf.h"

#include <cstdint>
#include <string_view>

namespace {
std::size_t Walk(const tmt::platform::vdf::Block& block) {
    std::size_t size = 0;
    for (const auto& entry : block.entries) {
        size += entry.key.size();
        if (const auto* child = std::get_if<tmt::platform::vdf::Block>(&entry.value)) {
            size += Walk(*child);
        } else {
            size += std::get<std::string>(entry.value).size();
        }
    }
    return size;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto parsed = tmt::platform::vdf::Parse(text)) {
        (void)Walk(*parsed);
        if (const auto* folders = parsed->Child("libraryfolders")) {
            (void)folders->Text("0");
        }
    }
    if (const auto parsed = tmt::platform::vdf::ParseBinary(text)) {
        (void)Walk(*parsed);
    }
    return 0;
}
