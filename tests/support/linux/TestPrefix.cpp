#include "tests/support/TestPrefix.h"

#include <cstdlib>

namespace tmt::test {

struct TestPrefix::Saved {
    std::optional<std::string> wineprefix;
};

TestPrefix::TestPrefix() : saved_(std::make_unique<Saved>()) {
    if (const char* previous = std::getenv("WINEPREFIX")) {
        saved_->wineprefix = previous;
    }
    std::filesystem::create_directories(DriveC());
    std::filesystem::create_directories(Root() / "dosdevices");
    std::filesystem::create_directory_symlink("../drive_c", Root() / "dosdevices" / "c:");
    std::filesystem::create_directory_symlink("/", Root() / "dosdevices" / "z:");
    ::setenv("WINEPREFIX", Root().c_str(), 1);
}

TestPrefix::~TestPrefix() {
    if (saved_->wineprefix) {
        ::setenv("WINEPREFIX", saved_->wineprefix->c_str(), 1);
    } else {
        ::unsetenv("WINEPREFIX");
    }
}

std::filesystem::path TestPrefix::DriveC() const {
    return Root() / "drive_c";
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

std::string TestPrefix::RegistrySnapshot() const {
    return ReadFile(Root() / "system.reg");
}

std::filesystem::path TestPrefix::MakeGameFolder(const std::string& relativeToDriveC) {
    const std::filesystem::path folder = DriveC() / relativeToDriveC;
    WriteFile(folder / "Tunemora.exe", "MZ placeholder");
    return folder;
}

} // namespace tmt::test
