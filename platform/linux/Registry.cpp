#include "platform/Registry.h"

#include "core/Error.h"
#include "core/text/Text.h"
#include "platform/linux/Launcher.h"
#include "platform/linux/PrefixRegistry.h"
#include "platform/linux/WineCase.h"

namespace tmt::platform {

// The prefix's registry is a file that Wine rewrites at will, so the key's values are read once,
// when it is opened, keyed by value name upper-cased as Wine folds it.
struct Registry::OpenedKey {
    KeyValues values;
};

Registry::Registry() = default;
Registry::~Registry() = default;

bool Registry::OpenKey(std::string_view keyPath) {
    CloseKey();
    const Launcher launcher = CurrentLauncher();
    KeySearch search;
    std::optional<KeyValues> values =
        ReadMachineKey(launcher.prefix, keyPath, launcher.winePrograms, search);
    if (values) {
        key_ = std::make_unique<OpenedKey>(OpenedKey{std::move(*values)});
    }
    return key_ != nullptr;
}

void Registry::CloseKey() {
    key_.reset();
}

bool Registry::ValueExists(std::string_view name) const {
    return key_ && key_->values.count(WineUpcasedUtf8(name)) > 0;
}

std::string Registry::ReadString(std::string_view name) const {
    if (!key_) {
        return "";
    }
    const auto found = key_->values.find(WineUpcasedUtf8(name));
    if (found == key_->values.end()) {
        return "";
    }
    if (found->second.type == ValueType::Other) {
        throw Error("Invalid data type for '" + std::string(name) + "'");
    }
    return found->second.text;
}

} // namespace tmt::platform
