#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tmt::platform {

// The Windows profile functions on INI files (paths in the game's form), read exactly as
// GetPrivateProfileStringW reads them under Wine, because the game reads the same files through
// it. A file without a byte-order mark is in the ANSI code page Wine gives the game.

// GetPrivateProfileStringW(section, key, default, buffer of 2048, file): the value of the first
// line of the key in the first section of the name (both without the blanks around them), up to
// its first NUL, without surrounding blanks and one pair of enclosing quotes, at most 2047 UTF-16
// units (a character of two units that the limit would cut in half is left out whole);
// `defaultValue` when the file, section or key is absent, or when that line has no "=". The
// default, too, loses the spaces at its end and one pair of enclosing quotes, as Wine hands it
// back.
std::string GetProfileString(std::string_view section, std::string_view key,
                             std::string_view defaultValue, std::string_view file);

// GetPrivateProfileStringW with no key name: the names of the section's key lines, duplicates
// included, without comments and lines that have no "=", up to the first empty name, where the
// list the game receives ends.
std::vector<std::string> GetProfileKeys(std::string_view section, std::string_view file);

// WritePrivateProfileStringW: sets the key (nothing for `value` deletes it). The blanks that begin
// the section, key and value are dropped, as Wine drops them. Unlike Windows, which rewrites the
// whole file, only the key's own line changes, is added or goes; every other byte stays, and the
// file is replaced atomically. False when the file cannot be written, or when the
// text holds a character the file's encoding cannot hold (where Wine would write a look-alike or
// "?"); the file is then unchanged. A missing file is created in the ANSI code page, or as
// UTF-16LE when the code page cannot hold the text.
bool WriteProfileString(std::string_view section, std::string_view key,
                        std::optional<std::string_view> value, std::string_view file);

// The characters of `text` that the file as it is cannot hold, each once, in order; none for a
// missing file. Nothing when the file is there but cannot be read.
std::optional<std::vector<char32_t>> UnstorableInProfileFile(std::string_view text,
                                                             std::string_view file);

// Readies a file for writes of all of `texts`: a missing file that the ANSI code page could not
// hold them in is created empty as UTF-16LE with its byte-order mark, the form in which the
// Windows profile functions read and write Unicode. An existing file is left as it is; the result
// is then the characters of the texts it cannot hold (none when it holds them all). Nothing when
// the file can be neither read nor created.
std::optional<std::vector<char32_t>> PrepareProfileFile(const std::vector<std::string_view>& texts,
                                                        std::string_view file);

} // namespace tmt::platform
