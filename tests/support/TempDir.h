#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tmt::test {

// A fresh folder below the system's temporary folder, removed with everything in it (read-only
// parts included) when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Removes the folder with everything in it, read-only parts included; links are removed, never
// followed.
void RemoveTree(const std::filesystem::path& root);

// Paths from and to the program's UTF-8 text, whatever narrow encoding the system's own is.
std::filesystem::path PathFromUtf8(std::string_view text);
std::string Utf8Of(const std::filesystem::path& path);

// Gives a file or folder the DOS attributes (FILE_ATTRIBUTE_HIDDEN, ...) as the system keeps them:
// on Linux as Wine does, in the user.DOSATTRIB extended attribute. False when that fails.
bool SetDosAttributes(const std::filesystem::path& path, unsigned attributes);
// The DOS attributes the system keeps for it; 0 when it keeps none.
unsigned DosAttributes(const std::filesystem::path& path);

void WriteFile(const std::filesystem::path& path, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& path);

} // namespace tmt::test
