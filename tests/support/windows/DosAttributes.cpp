#include "tests/support/TempDir.h"

#include <windows.h>

namespace tmt::test {

bool SetDosAttributes(const std::filesystem::path& path, unsigned attributes) {
    return ::SetFileAttributesW(path.c_str(), attributes) != FALSE;
}

} // namespace tmt::test
