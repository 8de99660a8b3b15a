#pragma once

#include "tests/support/TempDir.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace tmt::test {

// Whether Windows programs are to run on the system of a test, as the game itself.
enum class PrefixUse { Files, RunsPrograms };

// The system the game is installed on, for one test. On Linux a Wine-prefix-shaped folder:
// drive_c, dosdevices/c: -> ../drive_c and z: -> /, and WINEPREFIX pointing at it while the object
// lives; one that runs programs is a real Wine prefix besides, made from the prefix that the test
// tm_wine_template makes in the build folder (its registry copied, its Windows folder linked), in
// which Wine starts at once. On Windows the real registry and drive C: of the system the tests run
// on (a Wine prefix of their own), put back as they were when the object goes.
class TestPrefix {
public:
    explicit TestPrefix(PrefixUse use = PrefixUse::Files);
    ~TestPrefix();
    TestPrefix(const TestPrefix&) = delete;
    TestPrefix& operator=(const TestPrefix&) = delete;

    const std::filesystem::path& Root() const { return root_.Path(); }
    // The native path of drive C:.
    std::filesystem::path DriveC() const;

    // The installation key in the 32-bit view. Each argument is a value as a line of Wine's
    // system.reg writes it on its right-hand side, e.g. "\"C:\\\\Games\\\\TuneMora\"",
    // "str(2):\"%ProgramFiles%\"" or "dword:00000001", or nothing to leave the value out.
    void WriteInstallKey(std::optional<std::string> installDirValue,
                         std::optional<std::string> installVerValue);
    // The registry as Wine's system.reg text; only the installation key's section counts.
    void WriteSystemReg(const std::string& content);
    // What the registry holds, to tell that nothing changed it.
    std::string RegistrySnapshot() const;

    // Creates the folder (given in the game's form, on drive C:) with a Tunemora.exe in it and
    // returns its native path.
    std::filesystem::path MakeGameFolder(const std::string& relativeToDriveC);

private:
    struct Saved;
    TempDir root_;
    std::unique_ptr<Saved> saved_;
};

} // namespace tmt::test
