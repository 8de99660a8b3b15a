#include "tests/support/TestPrefix.h"

#include <cstdlib>
#include <stdexcept>

namespace tmt::test {

namespace {

namespace fs = std::filesystem;

// The registry of a prefix that holds nothing but the installation key.
constexpr char kEmptyRegistry[] = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n"
                                  "#arch=win64\n\n";

// What Wine needs of a prefix to start a program in it without making it anew: the registry, the
// stamp that tells the prefix is up to date, and the Windows folder, which is linked rather than
// copied (most of a gigabyte). Returns the registry of the machine, which the installation key
// joins.
std::string TakeFromTemplate(const fs::path& root) {
    const fs::path source = TM_WINE_TEMPLATE;
    if (!fs::exists(source / "system.reg")) {
        throw std::runtime_error(source.string() + " holds no Wine prefix; CTest's test "
                                                   "tm_wine_template makes it");
    }
    for (const char* file : {".update-timestamp", "user.reg", "userdef.reg"}) {
        fs::copy_file(source / file, root / file);
    }
    const fs::path windows = source / "drive_c" / "windows";
    fs::create_directory(root / "drive_c" / "windows");
    for (const auto& entry : fs::recursive_directory_iterator(windows)) {
        const fs::path linked =
            root / "drive_c" / "windows" / entry.path().lexically_relative(windows);
        if (entry.is_directory() && !entry.is_symlink()) {
            fs::create_directory(linked);
        } else {
            fs::create_symlink(entry.path(), linked);
        }
    }
    return ReadFile(source / "system.reg") + "\n";
}

} // namespace

struct TestPrefix::Saved {
    std::optional<std::string> wineprefix;
    std::string registry = kEmptyRegistry;
};

TestPrefix::TestPrefix(PrefixUse use) : saved_(std::make_unique<Saved>()) {
    if (const char* previous = std::getenv("WINEPREFIX")) {
        saved_->wineprefix = previous;
    }
    fs::create_directories(DriveC());
    fs::create_directories(Root() / "dosdevices");
    fs::create_directory_symlink("../drive_c", Root() / "dosdevices" / "c:");
    fs::create_directory_symlink("/", Root() / "dosdevices" / "z:");
    if (use == PrefixUse::RunsPrograms) {
        saved_->registry = TakeFromTemplate(Root());
        WriteSystemReg(saved_->registry);
    }
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
    std::string content = saved_->registry + "[Software\\\\Wow6432Node\\\\TuneMora] 1796762724\n"
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
