#include "tests/support/TestPrefix.h"

#include <windows.h>

#include <cctype>
#include <set>
#include <stdexcept>
#include <vector>

namespace tmt::test {

namespace {

namespace fs = std::filesystem;

// The key as the game's installer writes it from a 32-bit program.
constexpr wchar_t kInstallKey[] = L"SOFTWARE\\TuneMora";
constexpr char kSystemRegSection[] = "[Software\\\\Wow6432Node\\\\TuneMora]";

void DeleteInstallKey() {
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kInstallKey, KEY_WOW64_32KEY, 0);
}

// The stand-in game (tests/windows/game_recorder.c), built beside the test programs, so that the
// shell can start the game and GameStarts can tell how.
fs::path GameRecorder() {
    wchar_t self[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    return fs::path(std::wstring(self, length)).parent_path() / L"tm_game_recorder.exe";
}

std::set<std::wstring> TopFoldersOfDriveC() {
    std::set<std::wstring> names;
    for (const auto& entry : fs::directory_iterator(L"C:\\")) {
        names.insert(entry.path().filename().wstring());
    }
    return names;
}

// A quoted string of system.reg: \\, \", \n, \r, \t, \0 and \x followed by up to four hex digits
// for one UTF-16 unit; the units end with the terminating NUL the registry stores.
std::vector<wchar_t> QuotedUnits(std::string_view quoted) {
    if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"') {
        throw std::invalid_argument("not a quoted registry string");
    }
    quoted = quoted.substr(1, quoted.size() - 2);
    std::vector<wchar_t> units;
    for (std::size_t at = 0; at < quoted.size();) {
        const auto c = static_cast<unsigned char>(quoted[at]);
        if (c != '\\' || at + 1 == quoted.size()) {
            // Plain UTF-8: one character, as MultiByteToWideChar turns it into units.
            std::size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
            wchar_t wide[2] = {};
            const int count = ::MultiByteToWideChar(CP_UTF8, 0, quoted.data() + at,
                                                    static_cast<int>(length), wide, 2);
            units.insert(units.end(), wide, wide + count);
            at += length;
            continue;
        }
        const char escaped = quoted[at + 1];
        at += 2;
        if (escaped == 'x') {
            std::size_t digits = 0;
            while (digits < 4 && at + digits < quoted.size() &&
                   std::isxdigit(static_cast<unsigned char>(quoted[at + digits]))) {
                ++digits;
            }
            units.push_back(static_cast<wchar_t>(
                std::stoul(std::string(quoted.substr(at, digits)), nullptr, 16)));
            at += digits;
        } else {
            units.push_back(escaped == 'n'   ? L'\n'
                            : escaped == 'r' ? L'\r'
                            : escaped == 't' ? L'\t'
                            : escaped == '0' ? L'\0'
                                             : static_cast<wchar_t>(escaped));
        }
    }
    units.push_back(L'\0');
    return units;
}

void SetValue(HKEY key, const wchar_t* name, const std::string& value) {
    DWORD type = REG_SZ;
    std::vector<BYTE> data;
    std::string_view text = value;
    if (text.starts_with("dword:")) {
        const DWORD number = std::stoul(std::string(text.substr(6)), nullptr, 16);
        type = REG_DWORD;
        data.assign(reinterpret_cast<const BYTE*>(&number),
                    reinterpret_cast<const BYTE*>(&number) + sizeof number);
    } else {
        if (text.starts_with("str(2):")) {
            type = REG_EXPAND_SZ;
            text.remove_prefix(7);
        }
        const std::vector<wchar_t> units = QuotedUnits(text);
        data.assign(reinterpret_cast<const BYTE*>(units.data()),
                    reinterpret_cast<const BYTE*>(units.data() + units.size()));
    }
    if (::RegSetValueExW(key, name, 0, type, data.data(), static_cast<DWORD>(data.size())) !=
        ERROR_SUCCESS) {
        throw std::runtime_error("cannot write a registry value");
    }
}

} // namespace

struct TestPrefix::Saved {
    std::set<std::wstring> topFolders;
};

// The system the tests run on runs programs anyway.
TestPrefix::TestPrefix(PrefixUse) : saved_(std::make_unique<Saved>()) {
    DeleteInstallKey();
    saved_->topFolders = TopFoldersOfDriveC();
}

TestPrefix::~TestPrefix() {
    DeleteInstallKey();
    for (const std::wstring& name : TopFoldersOfDriveC()) {
        if (!saved_->topFolders.contains(name)) {
            RemoveTree(DriveC() / name);
        }
    }
}

std::filesystem::path TestPrefix::DriveC() const {
    return L"C:\\";
}

void TestPrefix::WriteInstallKey(std::optional<std::string> installDirValue,
                                 std::optional<std::string> installVerValue) {
    DeleteInstallKey();
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kInstallKey, 0, nullptr, 0,
                          KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, &key,
                          nullptr) != ERROR_SUCCESS) {
        throw std::runtime_error("cannot create the installation key");
    }
    if (installDirValue) {
        SetValue(key, L"InstallDir", *installDirValue);
    }
    if (installVerValue) {
        SetValue(key, L"InstallVer", *installVerValue);
    }
    ::RegCloseKey(key);
}

void TestPrefix::WriteSystemReg(const std::string& content) {
    if (content.find(kSystemRegSection) != std::string::npos) {
        throw std::invalid_argument("only a registry without the installation key is supported");
    }
    DeleteInstallKey();
}

std::string TestPrefix::RegistrySnapshot() const {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kInstallKey, 0, KEY_READ | KEY_WOW64_32KEY, &key) !=
        ERROR_SUCCESS) {
        return "no key";
    }
    std::string snapshot;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256;
        DWORD type = 0;
        BYTE data[4096];
        DWORD size = sizeof data;
        if (::RegEnumValueW(key, index, name, &nameLength, nullptr, &type, data, &size) !=
            ERROR_SUCCESS) {
            break;
        }
        snapshot += std::to_string(type) + ":" + std::to_string(nameLength) + ":";
        snapshot.append(reinterpret_cast<const char*>(name), nameLength * sizeof(wchar_t));
        snapshot.append(reinterpret_cast<const char*>(data), size);
        snapshot += '\n';
    }
    ::RegCloseKey(key);
    return snapshot;
}

std::filesystem::path TestPrefix::MakeGameFolder(const std::string& relativeToDriveC) {
    const std::u8string utf8(relativeToDriveC.begin(), relativeToDriveC.end());
    const std::filesystem::path folder = DriveC() / fs::path(utf8).make_preferred();
    fs::create_directories(folder);
    fs::copy_file(GameRecorder(), folder / "Tunemora.exe", fs::copy_options::overwrite_existing);
    return folder;
}

} // namespace tmt::test
