#include "platform/Registry.h"

#include "core/Error.h"
#include "core/text/Text.h"
#include "platform/linux/Launcher.h"
#include "platform/linux/PrefixRegistry.h"
#include "platform/linux/WineCase.h"

namespace tmt::platform {

bool Registry::OpenKey(std::string_view keyPath) {
    CloseKey();
    const Launcher launcher = CurrentLauncher();
    values_ = ReadMachineKey(launcher.prefix, keyPath, launcher.winePrograms);
    return values_.has_value();
}

void Registry::CloseKey() {
    values_.reset();
}

bool Registry::ValueExists(std::string_view name) const {
    return values_ && values_->count(WineUpcasedUtf8(name)) > 0;
}

std::string Registry::ReadString(std::string_view name) const {
    if (!values_) {
        return "";
    }
    const auto found = values_->find(WineUpcasedUtf8(name));
    if (found == values_->end()) {
        return "";
    }
    if (found->second.type == ValueType::Other) {
        throw Error("Invalid data type for '" + std::string(name) + "'");
    }
    return found->second.text;
}

} // namespace tmt::platform
