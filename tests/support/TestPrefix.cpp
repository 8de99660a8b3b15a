#include "tests/support/TestPrefix.h"

#include <cstdlib>

namespace tmt::test {

TestPrefix::TestPrefix() {
    if (const char* previous = std::getenv("WINEPREFIX")) {
        previousPrefix_ = previous;
    }
    std::filesystem::create_directories(DriveC());
    std::filesystem::create_directories(Root() / "dosdevices");
    std::filesystem::create_directory_symlink("../drive_c", Root() / "dosdevices" / "c:");
    std::filesystem::create_directory_symlink("/", Root() / "dosdevices" / "z:");
    ::setenv("WINEPREFIX", Root().c_str(), 1);
}

TestPrefix::~TestPrefix() {
    if (previousPrefix_) {
        ::setenv("WINEPREFIX", previousPrefix_->c_str(), 1);
    } else {
        ::unsetenv("WINEPREFIX");
    }
}

void TestPrefix::WriteInstallKey(std::optional<std::string> installDirValue,
                                 std::optional<std::string> installVerValue) {
    std::string content = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n"
                          "#arch=win64\n\n"
                          "[Software\\\\Wow6432Node\\\\TuneMora] 1796762724\n"
                          "#time=1dd87550c767452\n";
    if (installDirValue) {
        content += "\"InstallDir\"=" + *installDirValue + "\n";
    }
    if (installVerValue) {
        content += "\"InstallVer\"=" + *installVerValue + "\n";
    }
    WriteSystemReg(content);
}

void TestPrefix::WriteSystemReg(const std::string& content) {
    WriteFile(Root() / "system.reg", content);
}

std::filesystem::path TestPrefix::MakeGameFolder(const std::string& relativeToDriveC) {
    const std::filesystem::path folder = DriveC() / relativeToDriveC;
    WriteFile(folder / "Tunemora.exe", "MZ placeholder");
    return folder;
}

} // namespace tmt::test
