#include "platform/linux/DiscoveryLog.h"

#include "platform/linux/FileOps.h"

#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include <string>

namespace tmt::platform {

bool DiscoveryLogOn() {
    static const bool on = [] {
        const char* value = std::getenv("TMT_DEBUG_DISCOVERY");
        return value != nullptr && std::strcmp(value, "1") == 0;
    }();
    return on;
}

void NoteDiscovery(const std::filesystem::path& place, std::string_view verdict) {
    if (!DiscoveryLogOn()) {
        return;
    }
    // One write per line, so that lines of the search thread and of the rest never interleave.
    std::string line = "tunemora-tools: " + place.string() + ": ";
    line.append(verdict);
    line += '\n';
    fileops::WriteFully(STDERR_FILENO, line);
}

} // namespace tmt::platform
