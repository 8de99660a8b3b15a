#include "tests/support/TempDir.h"

#include <sys/xattr.h>

#include <cstdio>
#include <cstdlib>

namespace tmt::test {

bool SetDosAttributes(const std::filesystem::path& path, unsigned attributes) {
    char text[16];
    const int length = std::snprintf(text, sizeof text, "0x%x", attributes);
    return ::setxattr(path.c_str(), "user.DOSATTRIB", text, static_cast<std::size_t>(length), 0) ==
           0;
}

unsigned DosAttributes(const std::filesystem::path& path) {
    char text[16] = {};
    if (::getxattr(path.c_str(), "user.DOSATTRIB", text, sizeof text - 1) <= 0) {
        return 0;
    }
    return static_cast<unsigned>(std::strtoul(text, nullptr, 16));
}

} // namespace tmt::test
