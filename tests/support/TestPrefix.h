#pragma once

#include "tests/support/TempDir.h"

#include <filesystem>
#include <optional>
#include <string>

namespace tmt::test {

// A Wine-prefix-shaped folder for one test: drive_c, dosdevices/c: -> ../drive_c and z: -> /, and
// WINEPREFIX pointing at it while the object lives.
class TestPrefix {
public:
    TestPrefix();
    ~TestPrefix();
    TestPrefix(const TestPrefix&) = delete;
    TestPrefix& operator=(const TestPrefix&) = delete;

    const std::filesystem::path& Root() const { return root_.Path(); }
    std::filesystem::path DriveC() const { return Root() / "drive_c"; }

    // system.reg with the installation key in the 32-bit view of a win64 prefix. Each argument
    // is a complete value line's right-hand side, e.g. "\"C:\\\\Games\\\\TuneMora\"", or
    // nothing to leave the value out.
    void WriteInstallKey(std::optional<std::string> installDirValue,
                         std::optional<std::string> installVerValue);
    void WriteSystemReg(const std::string& content);

    // Creates the folder (given in the game's form, on drive C:) with a Tunemora.exe in it and
    // returns its native path.
    std::filesystem::path MakeGameFolder(const std::string& relativeToDriveC);

private:
    TempDir root_;
    std::optional<std::string> previousPrefix_;
};

} // namespace tmt::test
