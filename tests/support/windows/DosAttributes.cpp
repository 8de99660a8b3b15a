#include "tests/support/TempDir.h"

#include <windows.h>

namespace tmt::test {

bool SetDosAttributes(const std::filesystem::path& path, unsigned attributes) {
    return ::SetFileAttributesW(path.c_str(), attributes) != FALSE;
}

unsigned DosAttributes(const std::filesystem::path& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ? 0 : attributes;
}

} // namespace tmt::test
