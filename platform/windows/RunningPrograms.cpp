#include "platform/RunningPrograms.h"

#include "platform/windows/Handles.h"
#include "platform/windows/WideText.h"

#include "platform/windows/SystemHeaders.h"

#include <tlhelp32.h>

#include <optional>
#include <string>
#include <vector>

namespace tmt::platform {

namespace {

// OpenProcess and OpenProcessToken give nothing rather than an invalid handle when they fail.
struct KernelObjectTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Release(Handle object) { ::CloseHandle(object); }
};
using UniqueObject = UniqueHandle<KernelObjectTraits>;

// The user a process runs as, as the bytes of its security identifier.
std::optional<std::vector<BYTE>> UserOf(HANDLE process) {
    UniqueObject token;
    if (!::OpenProcessToken(process, TOKEN_QUERY, token.Receive())) {
        return std::nullopt;
    }
    DWORD size = 0;
    ::GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> information(size);
    if (size == 0 ||
        !::GetTokenInformation(token.Get(), TokenUser, information.data(), size, &size)) {
        return std::nullopt;
    }
    const PSID sid = reinterpret_cast<const TOKEN_USER*>(information.data())->User.Sid;
    const auto* bytes = static_cast<const BYTE*>(sid);
    return std::vector<BYTE>(bytes, bytes + ::GetLengthSid(sid));
}

struct FileIdentity {
    DWORD volume;
    DWORD indexHigh;
    DWORD indexLow;
    bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> IdentityOf(const std::wstring& path) {
    const UniqueFile file(::CreateFileW(
        path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (!file.IsOpen() || !::GetFileInformationByHandle(file.Get(), &information)) {
        return std::nullopt;
    }
    return FileIdentity{information.dwVolumeSerialNumber, information.nFileIndexHigh,
                        information.nFileIndexLow};
}

bool SameNameIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring FileNameOf(const std::wstring& path) {
    const std::size_t last = path.find_last_of(L"\\/");
    return last == std::wstring::npos ? path : path.substr(last + 1);
}

// The program file a process runs, when it is `user`'s; another user's process is not asked.
std::optional<std::wstring> ImageOf(DWORD processId, const std::vector<BYTE>& user) {
    const UniqueObject process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process.IsOpen() || UserOf(process.Get()) != user) {
        return std::nullopt;
    }
    std::wstring image(32768, L'\0');
    DWORD length = static_cast<DWORD>(image.size());
    if (!::QueryFullProcessImageNameW(process.Get(), 0, image.data(), &length)) {
        return std::nullopt;
    }
    image.resize(length);
    return image;
}

} // namespace

bool IsProgramRunning(std::string_view executablePath) {
    const std::wstring program = Wide(executablePath);
    const std::optional<FileIdentity> programIdentity = IdentityOf(program);
    const std::optional<std::vector<BYTE>> user = UserOf(::GetCurrentProcess());
    if (!programIdentity || !user) {
        return false;
    }
    const std::wstring programName = FileNameOf(program);
    const UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.IsOpen()) {
        return false;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more;
         more = ::Process32NextW(snapshot.Get(), &entry)) {
        if (!SameNameIgnoringCase(entry.szExeFile, programName)) {
            continue;
        }
        // The same file under another spelling (letter case, a short name, a link) is the game
        // too; a copy of it elsewhere is not.
        const std::optional<std::wstring> image = ImageOf(entry.th32ProcessID, *user);
        if (image &&
            (SameNameIgnoringCase(*image, program) || IdentityOf(*image) == programIdentity)) {
            return true;
        }
    }
    return false;
}

} // namespace tmt::platform
