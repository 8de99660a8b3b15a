#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tmt::platform {

// The Windows profile functions on INI files (paths in the game's form), read exactly as
// GetPrivateProfileStringW reads them, because the game reads the same files through it.

// GetPrivateProfileStringW(section, key, default, buffer of 2048, file): the first value of the
// key in the first section of the name, without surrounding blanks and one pair of enclosing
// double quotes, at most 2047 characters; `defaultValue` when the file, section or key is absent.
std::string GetProfileString(std::string_view section, std::string_view key,
                             std::string_view defaultValue, std::string_view file);

// GetPrivateProfileStringW with no key name: every key line of the section, duplicates included.
std::vector<std::string> GetProfileKeys(std::string_view section, std::string_view file);

// WritePrivateProfileStringW: sets the key (nothing for `value` deletes it). Unlike Windows, which
// rewrites the whole file, only the key's own line changes, is added or goes; every other byte
// stays, and the file is replaced atomically. False when the file cannot be written, or when the
// text holds a character the file's encoding cannot hold; the file is then unchanged.
bool WriteProfileString(std::string_view section, std::string_view key,
                        std::optional<std::string_view> value, std::string_view file);

} // namespace tmt::platform
