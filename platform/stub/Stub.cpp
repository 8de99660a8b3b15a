#include "platform/AnsiCodePage.h"
#include "platform/AtomicFile.h"
#include "platform/DesignFontFile.h"
#include "platform/FileSystem.h"
#include "platform/FolderCleanup.h"
#include "platform/Folders.h"
#include "platform/Installations.h"
#include "platform/OwnExecutable.h"
#include "platform/Registry.h"
#include "platform/RunningPrograms.h"
#include "platform/Shell.h"
#include "platform/VersionInfo.h"

// Every function of the seam, answered as a system without files, registry or programs would
// answer: nothing exists, nothing can be read, written or started.
namespace tmt::platform {

const CodePage& AnsiCodePage() {
    return CodePage::Get(1252);
}

bool ReplaceFileContents(std::string_view, std::string_view) {
    return false;
}

void FinishInterruptedRewrite(std::string_view) {}

ReadResult ReadFileContents(std::string_view, std::string&) {
    return ReadResult::Missing;
}

Replacement ReplaceFileContentsIfUnchanged(std::string_view, std::string_view, std::string_view) {
    return Replacement::Failed;
}

bool CopyFileAtomically(std::string_view, std::string_view) {
    return false;
}

std::filesystem::path DesignFontFile() {
    return {};
}

bool FileExists(std::string_view) {
    return false;
}

bool DirectoryExists(std::string_view) {
    return false;
}

bool DeleteFile(std::string_view) {
    return false;
}

bool FolderOfFileExists(std::string_view) {
    return false;
}

FileHandle OpenFileForReading(std::string_view) {
    return nullptr;
}

std::string ToGamePath(const std::filesystem::path&) {
    return {};
}

void CleanupDir(std::string_view) {}

bool IsFolderEmpty(std::string_view) {
    return false;
}

bool CreateDirectory(std::string_view) {
    return false;
}

bool RemoveDirectory(std::string_view) {
    return false;
}

bool IsSymbolicLink(std::string_view) {
    return false;
}

std::vector<std::string> ListVisibleFolders(std::string_view) {
    return {};
}

std::vector<Installation> FindInstallations(std::string_view, const std::stop_token&) {
    return {};
}

void UseInstallation(const Installation*) {}

std::optional<std::filesystem::file_time_type> LastWriteTime(const Installation&,
                                                             std::string_view) {
    return std::nullopt;
}

std::string OwnExecutablePath() {
    return {};
}

void SetOwnExecutablePathForTesting(std::string) {}

struct Registry::OpenedKey {};

Registry::Registry() = default;
Registry::~Registry() = default;

bool Registry::OpenKey(std::string_view) {
    return false;
}

void Registry::CloseKey() {}

bool Registry::ValueExists(std::string_view) const {
    return false;
}

std::string Registry::ReadString(std::string_view) const {
    return {};
}

bool IsProgramRunning(std::string_view) {
    return false;
}

StartResult ShellOpen(std::string_view, std::string_view, std::string_view) {
    return {false, "This system cannot start programs."};
}

std::string ParametersLostReason() {
    return {};
}

std::optional<FixedFileInfo> ReadFixedFileInfo(std::string_view) {
    return std::nullopt;
}

} // namespace tmt::platform
