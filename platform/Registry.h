#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace tmt::platform {

// Read access to HKEY_LOCAL_MACHINE in the registry view of 32-bit programs, in the manner of
// Delphi's TRegistry: open one key, test and read its values.
class Registry {
public:
    enum class ValueType { String, ExpandString, Other };
    struct Value {
        ValueType type = ValueType::Other;
        std::string text; // UTF-8, cut at the first NUL; meaningful for the two string types only
    };

    Registry();
    ~Registry();
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_ALL_ACCESS); never creates the key.
    bool OpenKey(std::string_view keyPath);
    void CloseKey();
    bool ValueExists(std::string_view name) const;
    // The value's text; a value of another type than REG_SZ or REG_EXPAND_SZ raises tmt::Error
    // "Invalid data type for '<name>'". Environment references are not expanded.
    std::string ReadString(std::string_view name) const;

private:
    // What the backend holds while a key is open: an open key on Windows, the key's values read
    // from the prefix on Linux. Empty while no key is open.
    struct OpenedKey;
    std::unique_ptr<OpenedKey> key_;
};

} // namespace tmt::platform
