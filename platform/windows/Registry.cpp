#include "platform/Registry.h"

#include "core/Error.h"
#include "platform/windows/MachineKey.h"
#include "platform/windows/WideText.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace tmt::platform {

namespace {

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// The value's type and data; the data may grow between asking its size and reading it.
std::optional<RawValue> QueryValue(HKEY key, std::string_view name) {
    const std::wstring wideName = Wide(name);
    RawValue value;
    DWORD size = 0;
    LSTATUS status =
        ::RegQueryValueExW(key, wideName.c_str(), nullptr, &value.type, nullptr, &size);
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        value.data.resize(size);
        status = ::RegQueryValueExW(key, wideName.c_str(), nullptr, &value.type, value.data.data(),
                                    &size);
        if (status == ERROR_SUCCESS) {
            value.data.resize(size);
            return value;
        }
    }
    return std::nullopt;
}

// The text as stored, up to its first NUL; the stored text need not end with one.
std::string TextOf(const RawValue& value) {
    std::wstring text(value.data.size() / sizeof(wchar_t), L'\0');
    std::copy(value.data.begin(), value.data.begin() + text.size() * sizeof(wchar_t),
              reinterpret_cast<BYTE*>(text.data()));
    return Narrow(std::wstring_view(text.c_str()));
}

} // namespace

// The key stays open from OpenKey to CloseKey, as the registry object of the main window holds it
// for the whole run.
struct Registry::OpenedKey {
    UniqueKey key;
};

Registry::Registry() = default;
Registry::~Registry() = default;

bool Registry::OpenKey(std::string_view keyPath) {
    CloseKey();
    UniqueKey key = OpenMachineKey(keyPath);
    if (key.IsOpen()) {
        key_ = std::make_unique<OpenedKey>(OpenedKey{std::move(key)});
    }
    return key_ != nullptr;
}

void Registry::CloseKey() {
    key_.reset();
}

bool Registry::ValueExists(std::string_view name) const {
    if (!key_) {
        return false;
    }
    const std::wstring wideName = Wide(name);
    return ::RegQueryValueExW(key_->key.Get(), wideName.c_str(), nullptr, nullptr, nullptr,
                              nullptr) == ERROR_SUCCESS;
}

std::string Registry::ReadString(std::string_view name) const {
    if (!key_) {
        return "";
    }
    const std::optional<RawValue> value = QueryValue(key_->key.Get(), name);
    if (!value) {
        return "";
    }
    if (value->type != REG_SZ && value->type != REG_EXPAND_SZ) {
        throw Error("Invalid data type for '" + std::string(name) + "'");
    }
    return TextOf(*value);
}

} // namespace tmt::platform
