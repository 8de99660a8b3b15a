#include "tests/support/ManagerRecords.h"

#include "tests/support/TempDir.h"

#include <stdexcept>

namespace tmt::test {

std::filesystem::path InstallRecord(const std::string& fixture,
                                    const std::filesystem::path& destination,
                                    const std::map<std::string, std::string>& marks) {
    const std::filesystem::path source = std::filesystem::path(TM_MANAGER_RECORDS) / fixture;
    if (!std::filesystem::is_regular_file(source)) {
        throw std::runtime_error("no record " + source.string());
    }
    const std::string text = ReadFile(source);
    std::string filled;
    std::size_t at = 0;
    while (true) {
        const std::size_t open = text.find("${", at);
        if (open == std::string::npos) {
            break;
        }
        const std::size_t close = text.find('}', open);
        const std::string name = text.substr(open + 2, close - open - 2);
        const auto mark = marks.find(name);
        if (close == std::string::npos || mark == marks.end()) {
            throw std::runtime_error(fixture + " needs a value for ${" + name + "}");
        }
        filled += text.substr(at, open - at) + mark->second;
        at = close + 1;
    }
    WriteFile(destination, filled + text.substr(at));
    return destination;
}

} // namespace tmt::test
