#include "tests/support/UserState.h"

namespace tmt::test {

std::vector<std::string> UserStateWatch::Changes() const {
    const std::map<std::string, std::string> after = UserState();
    std::vector<std::string> changes;
    for (const auto& [name, content] : after) {
        const auto before = before_.find(name);
        if (before == before_.end()) {
            changes.push_back("added " + name);
        } else if (before->second != content) {
            changes.push_back("changed " + name);
        }
    }
    for (const auto& [name, content] : before_) {
        if (!after.contains(name)) {
            changes.push_back("removed " + name);
        }
    }
    return changes;
}

} // namespace tmt::test
