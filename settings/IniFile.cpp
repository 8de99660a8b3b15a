#include "settings/IniFile.h"

#include "core/Error.h"
#include "core/text/Text.h"
#include "core/text/TextEncoding.h"
#include "platform/ProfileStrings.h"
#include "settings/IntegerText.h"

#include <algorithm>
#include <optional>

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
    // The list ends early at an empty key name, as the one the game receives does.
    for (const std::string& listed : platform::GetProfileKeys(section, fileName_)) {
        if (EqualsIgnoreAsciiCase(listed, key)) {
            return true;
        }
    }
    return false;
}

namespace {

// "<file> cannot store these characters: ...", each character once, apart by blanks.
Error CannotStore(const std::string& file, const std::vector<char32_t>& characters) {
    std::string listed;
    for (const char32_t c : characters) {
        if (!listed.empty()) {
            listed += ' ';
        }
        AppendUtf8(listed, c);
    }
    return Error(file + " cannot store these characters: " + listed);
}

// The check before a write: nothing for a file that cannot be read, else what it cannot hold.
void RaiseUnlessStorable(const std::string& file,
                         const std::optional<std::vector<char32_t>>& unstorable) {
    if (!unstorable) {
        throw Error("Unable to write to " + file);
    }
    if (!unstorable->empty()) {
        throw CannotStore(file, *unstorable);
    }
}

} // namespace

void IniFile::PrepareFor(const std::vector<std::string_view>& values) {
    RaiseUnlessStorable(fileName_, platform::PrepareProfileFile(values, fileName_));
}

void IniFile::CheckStorable(const std::vector<std::string_view>& values) const {
    std::string all;
    for (const std::string_view value : values) {
        all.append(value);
    }
    // A file that cannot be read cannot be rewritten either.
    RaiseUnlessStorable(fileName_, platform::UnstorableInProfileFile(all, fileName_));
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    if (!platform::WriteProfileString(section, key, value, fileName_)) {
        const auto unstorable =
            platform::UnstorableInProfileFile(std::string(key) + std::string(value), fileName_);
        if (unstorable && !unstorable->empty()) {
            throw CannotStore(fileName_, *unstorable);
        }
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
