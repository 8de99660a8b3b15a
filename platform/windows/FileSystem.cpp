#include "platform/FileSystem.h"

#include "platform/windows/WideText.h"

#include "platform/windows/SystemHeaders.h"

#include <system_error>

namespace tmt::platform {

namespace {
// GetFileAttributesW follows links; a file that another program holds open still has attributes.
DWORD Attributes(std::string_view path) {
    return ::GetFileAttributesW(Wide(path).c_str());
}
} // namespace

bool FileExists(std::string_view path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(std::string_view path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool DeleteFile(std::string_view path) {
    return ::DeleteFileW(Wide(path).c_str()) != FALSE;
}

bool FolderOfFileExists(std::string_view path) {
    std::error_code error;
    return std::filesystem::is_directory(std::filesystem::path(Wide(path)).parent_path(), error);
}

FileHandle OpenFileForReading(std::string_view path) {
    // "N": the file is not handed on to the programs the program starts.
    return FileHandle(::_wfopen(Wide(path).c_str(), L"rbN"));
}

std::string ToGamePath(const std::filesystem::path& hostPath) {
    return Narrow(hostPath.lexically_normal().make_preferred().wstring());
}

} // namespace tmt::platform
