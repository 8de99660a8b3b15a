#include "settings/IniFile.h"

#include "platform/Error.h"
#include "platform/ProfileStrings.h"
#include "platform/Text.h"
#include "settings/IntegerText.h"

#include <algorithm>

namespace tmt {

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    return platform::GetProfileString(section, key, defaultValue, fileName_);
}

std::int32_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                                  std::int32_t defaultValue) const {
    return ParseIntegerText(ReadString(section, key, "")).value_or(defaultValue);
}

bool IniFile::ValueExists(std::string_view section, std::string_view key) const {
    const std::vector<std::string> keys = platform::GetProfileKeys(section, fileName_);
    return std::any_of(keys.begin(), keys.end(), [&](const std::string& listed) {
        return EqualsIgnoreAsciiCase(listed, key);
    });
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    if (!platform::WriteProfileString(section, key, value, fileName_)) {
        throw Error("Unable to write to " + fileName_);
    }
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void IniFile::DeleteKey(std::string_view section, std::string_view key) {
    // A removal that fails silently would let a save look complete while the file keeps the old
    // value; absence is not a failure, so only a file that cannot be rewritten is reported.
    if (!platform::WriteProfileString(section, key, std::nullopt, fileName_)) {
        throw Error("Unable to write to " + fileName_);
    }
}

} // namespace tmt
