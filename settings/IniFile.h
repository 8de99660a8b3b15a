#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tmt {

// One INI file (a path in the game's form), read and written a key at a time. It keeps nothing
// in memory: every read sees the file as it is now, and a write is on disk when it returns.
// Creating the object touches no file.
class IniFile {
public:
    explicit IniFile(std::string fileName) : fileName_(std::move(fileName)) {}

    const std::string& FileName() const { return fileName_; }

    // The value without surrounding blanks; `defaultValue` when the file, section or key is
    // absent. A key present with an empty value reads as the empty text.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // The value converted by the integer text rule, or `defaultValue` when it does not convert.
    std::int32_t ReadInteger(std::string_view section, std::string_view key,
                             std::int32_t defaultValue) const;
    bool ValueExists(std::string_view section, std::string_view key) const;

    // Before several writes that belong together: raises tmt::Error "<file> cannot store these
    // characters: <characters>" when the file exists and its encoding cannot hold one of the
    // values, before anything is written; a missing file is created in a form that holds them all.
    void PrepareFor(const std::vector<std::string_view>& values);
    // The same check alone, writing nothing: for a value chosen now and saved later. A file that
    // cannot be read raises "Unable to write to <file>".
    void CheckStorable(const std::vector<std::string_view>& values) const;

    // Raise tmt::Error "Unable to write to <file>" when the file cannot be written, or the
    // "cannot store these characters" error when its encoding cannot hold the value.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
    // Reports nothing when the key, the section or the file is absent; raises tmt::Error
    // "Unable to write to <file>" when the file holds the key but cannot be rewritten.
    void DeleteKey(std::string_view section, std::string_view key);

private:
    std::string fileName_;
};

} // namespace tmt
