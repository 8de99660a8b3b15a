#include "platform/OwnExecutable.h"

#include "platform/windows/WideText.h"

#include "platform/windows/SystemHeaders.h"

namespace tmt::platform {

namespace {
std::string& TestOverride() {
    static std::string path;
    return path;
}
} // namespace

std::string OwnExecutablePath() {
    if (!TestOverride().empty()) {
        return TestOverride();
    }
    // GetModuleFileNameW cuts a path that does not fit and says so only by filling the buffer.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return "";
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return Narrow(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}

void SetOwnExecutablePathForTesting(std::string path) {
    TestOverride() = std::move(path);
}

} // namespace tmt::platform
