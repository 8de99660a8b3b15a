#include "tests/support/TempDir.h"

#include <sys/xattr.h>

#include <cstdio>

namespace tmt::test {

bool SetDosAttributes(const std::filesystem::path& path, unsigned attributes) {
    char text[16];
    const int length = std::snprintf(text, sizeof text, "0x%x", attributes);
    return ::setxattr(path.c_str(), "user.DOSATTRIB", text, static_cast<std::size_t>(length), 0) ==
           0;
}

} // namespace tmt::test
