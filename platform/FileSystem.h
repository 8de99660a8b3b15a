#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace tmt::platform {

// Existence tests on the game's paths (X:\..., or native). Both follow symbolic links.
// FileExists is true only for something that is not a folder; DirectoryExists only for a folder.
bool FileExists(std::string_view path);
bool DirectoryExists(std::string_view path);

// DeleteFileW: true when the file is gone afterwards because of this call. A read-only file (as
// Wine sees it: no write bit in its mode) is not deleted.
bool DeleteFile(std::string_view path);

// True when the folder that holds the named file exists (links followed), whether the file does or
// not.
bool FolderOfFileExists(std::string_view path);

struct CloseFile {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, CloseFile>;

// The file opened for reading its bytes, not handed on to the programs the program starts; null
// when it cannot be opened.
FileHandle OpenFileForReading(std::string_view path);

// A path in the host system's own form, as its file dialogs hand it over, in the game's form.
std::string ToGamePath(const std::filesystem::path& hostPath);

} // namespace tmt::platform
