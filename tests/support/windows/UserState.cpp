#include "tests/support/UserState.h"

#include "tests/support/TempDir.h"

#include <windows.h>

#include <filesystem>
#include <system_error>
#include <vector>

namespace tmt::test {

namespace {

namespace fs = std::filesystem;

std::string Utf8(const std::wstring& text) {
    return Utf8Of(fs::path(text));
}

// Every key and value below `key`, by its path after `name`.
void AddKeys(HKEY key, const std::wstring& name, std::map<std::string, std::string>& state) {
    state[Utf8(name)].assign(1, '\\');
    DWORD keys = 0;
    DWORD values = 0;
    DWORD longestKey = 0;
    DWORD longestValueName = 0;
    DWORD longestValue = 0;
    if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &keys, &longestKey, nullptr, &values,
                           &longestValueName, &longestValue, nullptr, nullptr) != ERROR_SUCCESS) {
        return;
    }
    for (DWORD index = 0; index < values; ++index) {
        std::wstring valueName(longestValueName + 1, L'\0');
        DWORD nameLength = longestValueName + 1;
        std::string data(longestValue, '\0');
        DWORD dataLength = longestValue;
        DWORD type = 0;
        if (::RegEnumValueW(key, index, valueName.data(), &nameLength, nullptr, &type,
                            reinterpret_cast<BYTE*>(data.data()), &dataLength) == ERROR_SUCCESS) {
            data.resize(dataLength);
            std::wstring path = name;
            path.append(L"\\@").append(valueName, 0, nameLength);
            std::string content = std::to_string(type);
            content.append(1, ':').append(data);
            state[Utf8(path)] = std::move(content);
        }
    }
    for (DWORD index = 0; index < keys; ++index) {
        std::wstring subName(longestKey + 1, L'\0');
        DWORD length = longestKey + 1;
        if (::RegEnumKeyExW(key, index, subName.data(), &length, nullptr, nullptr, nullptr,
                            nullptr) != ERROR_SUCCESS) {
            continue;
        }
        subName.resize(length);
        // A key with an empty name (Wine has one below Control Panel\International) cannot be
        // opened apart from its parent, which opening "" gives again.
        if (subName.empty()) {
            state[Utf8(name + L"\\")].assign(1, '\\');
            continue;
        }
        HKEY sub = nullptr;
        if (::RegOpenKeyExW(key, subName.c_str(), 0, KEY_READ, &sub) == ERROR_SUCCESS) {
            std::wstring path = name;
            path.append(1, L'\\').append(subName);
            AddKeys(sub, path, state);
            ::RegCloseKey(sub);
        }
    }
}

fs::path Folder(const wchar_t* variable) {
    std::vector<wchar_t> value(MAX_PATH * 4);
    const DWORD length =
        ::GetEnvironmentVariableW(variable, value.data(), static_cast<DWORD>(value.size()));
    return std::wstring(value.data(), length);
}

} // namespace

struct UserStateWatch::Saved {};

UserStateWatch::UserStateWatch() : before_(UserState()) {}

UserStateWatch::~UserStateWatch() = default;

std::map<std::string, std::string> UserState() {
    std::map<std::string, std::string> state;
    AddKeys(HKEY_CURRENT_USER, L"HKEY_CURRENT_USER", state);
    // Programs keep their files below AppData; the profile's other folders (Documents, Desktop)
    // are the user's own, under Wine links into the Linux home, and only their names count.
    const fs::path profile = Folder(L"USERPROFILE");
    for (const auto& entry : fs::directory_iterator(profile)) {
        state[Utf8Of(entry.path())].assign(1, '/');
    }
    // Compared by name: the C++ library's canonical form of a path does not end under Wine.
    fs::path temp = fs::temp_directory_path().lexically_normal();
    if (!temp.has_filename()) {
        temp = temp.parent_path();
    }
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(
             profile / L"AppData", fs::directory_options::skip_permission_denied, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (it->path().lexically_normal() == temp) {
            it.disable_recursion_pending();
            continue;
        }
        // Links are not entered: Wine links some of these folders (Templates) into the Linux home.
        const DWORD attributes = ::GetFileAttributesW(it->path().c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            it.disable_recursion_pending();
        }
        std::string& content = state[Utf8Of(it->path())];
        if (it->is_directory()) {
            content.assign(1, '/');
        } else {
            content = ReadFile(it->path());
        }
    }
    return state;
}

} // namespace tmt::test
