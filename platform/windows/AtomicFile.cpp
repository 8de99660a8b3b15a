#include "platform/AtomicFile.h"

#include "platform/RewriteJournal.h"
#include "platform/windows/FileBytes.h"
#include "platform/windows/Handles.h"
#include "platform/windows/WideText.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cwchar>
#include <optional>

namespace tmt::platform {

namespace {

std::wstring FolderOf(const std::wstring& path) {
    const std::size_t last = path.find_last_of(L"\\/");
    return last == std::wstring::npos ? std::wstring() : path.substr(0, last + 1);
}

std::wstring NameOf(const std::wstring& path) {
    const std::size_t last = path.find_last_of(L"\\/");
    return last == std::wstring::npos ? path : path.substr(last + 1);
}

// ".<name>.tmp-": the start of every temporary file name beside the target, followed by the
// writer's process id.
std::wstring TemporaryPrefix(const std::wstring& target) {
    return L"." + NameOf(target) + L".tmp-";
}

std::wstring TemporaryNameBeside(const std::wstring& target) {
    static std::atomic<unsigned> counter{0};
    return FolderOf(target) + TemporaryPrefix(target) + std::to_wstring(::GetCurrentProcessId()) +
           L"-" + std::to_wstring(::GetTickCount64()) + L"-" + std::to_wstring(counter++);
}

bool ProcessIsGone(DWORD id) {
    const UniqueFile process(::OpenProcess(SYNCHRONIZE, FALSE, id));
    if (process.Get() == nullptr) {
        return ::GetLastError() == ERROR_INVALID_PARAMETER;
    }
    return ::WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0;
}

// A replacement that was cut off by a crash leaves its temporary file; the next successful one
// removes those whose writer is gone. A temporary file of a writer still running is left alone.
void RemoveAbandonedTemporaries(const std::wstring& target) {
    const std::wstring prefix = TemporaryPrefix(target);
    WIN32_FIND_DATAW entry{};
    const UniqueFind find(::FindFirstFileW((FolderOf(target) + prefix + L"*").c_str(), &entry));
    if (!find.IsOpen()) {
        return;
    }
    do {
        const unsigned long id = std::wcstoul(entry.cFileName + prefix.size(), nullptr, 10);
        if (id != 0 && ProcessIsGone(id)) {
            ::DeleteFileW((FolderOf(target) + entry.cFileName).c_str());
        }
    } while (::FindNextFileW(find.Get(), &entry));
}

// Done when the file holds what was read, Failed when it cannot be read to tell.
Replacement CompareWithRead(const std::wstring& target, std::string_view readBytes) {
    std::string now;
    if (ReadWholeFile(target, now) == ReadResult::Failed) {
        return Replacement::Failed;
    }
    return now == readBytes ? Replacement::Done : Replacement::ChangedMeanwhile;
}

// A new file that no one else has opened, with the attributes the old file had (read-only aside,
// which would stop the rename); its handle writes and may delete it.
UniqueFile CreateExclusive(const std::wstring& path, DWORD attributes) {
    const DWORD kept = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                     FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    return UniqueFile(::CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE,
                                    nullptr, CREATE_NEW, kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
}

DWORD LinkCount(const std::wstring& path) {
    const UniqueFile file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    return file.IsOpen() && ::GetFileInformationByHandle(file.Get(), &info) ? info.nNumberOfLinks
                                                                            : 1;
}

// ---- the journal of a rewrite in place ----
//
// A file with several hard links is rewritten where it is, since a new file put in its place would
// leave the other names with the old contents; a crash in the middle of that write would leave it
// torn. So before the first byte changes, the new contents and the old go to a journal beside the
// file, written under a temporary name, flushed, and given the journal's name only when whole.
// Its writer keeps it open for writing until the rewrite is over, which is the journal's lock:
// no one else can then open it without sharing. A journal that can be opened so is its writer's
// no longer, and is finished before the file is next read or written. The format is the one the
// program writes on every system.

std::wstring JournalOf(const std::wstring& target) {
    return FolderOf(target) + L"." + NameOf(target) + L".journal";
}

UniqueFile OpenForRewrite(const std::wstring& target) {
    return UniqueFile(::CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool WriteFromStart(HANDLE file, std::string_view bytes) {
    return ::SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_BEGIN) &&
           WriteAll(file, bytes) && ::SetEndOfFile(file) && ::FlushFileBuffers(file);
}

bool WriteInPlace(const std::wstring& target, std::string_view bytes) {
    const UniqueFile file = OpenForRewrite(target);
    return file.IsOpen() && WriteFromStart(file.Get(), bytes);
}

void FinishJournalOf(const std::wstring& target) {
    const std::wstring journal = JournalOf(target);
    const UniqueFile file(::CreateFileW(journal.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) {
        return;
    }
    std::string text;
    std::string now;
    if (ReadWholeFile(journal, text) != ReadResult::Read) {
        return;
    }
    const ReadResult read = ReadWholeFile(target, now);
    if (FinishJournal(text, read, now,
                      [&target](std::string_view bytes) { return WriteInPlace(target, bytes); })) {
        FILE_DISPOSITION_INFO dispose{TRUE};
        ::SetFileInformationByHandle(file.Get(), FileDispositionInfo, &dispose, sizeof dispose);
    }
}

// Writes the journal and gives it its name; the returned handle is its lock until the rewrite is
// over. Not open when that fails (nothing was changed), with `outcome` telling whether another
// writer's journal stands there.
UniqueFile CommitJournal(const std::wstring& target, std::string_view bytes, std::string_view old,
                         Replacement& outcome) {
    outcome = Replacement::Failed;
    const std::wstring temporary = TemporaryNameBeside(target);
    UniqueFile file = CreateExclusive(temporary, FILE_ATTRIBUTE_HIDDEN);
    if (!file.IsOpen()) {
        return {};
    }
    const bool written =
        WriteAll(file.Get(), JournalText(bytes, old)) && ::FlushFileBuffers(file.Get());
    if (written &&
        ::MoveFileExW(temporary.c_str(), JournalOf(target).c_str(), MOVEFILE_WRITE_THROUGH)) {
        outcome = Replacement::Done;
        return file;
    }
    if (written && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        outcome = Replacement::ChangedMeanwhile;
    }
    FILE_DISPOSITION_INFO dispose{TRUE};
    ::SetFileInformationByHandle(file.Get(), FileDispositionInfo, &dispose, sizeof dispose);
    return {};
}

Replacement RewriteInPlace(const std::wstring& target, std::string_view bytes,
                           std::optional<std::string_view> readBytes) {
    std::string old;
    if (!readBytes) {
        if (ReadWholeFile(target, old) != ReadResult::Read) {
            return Replacement::Failed;
        }
        readBytes = old;
    }
    const UniqueFile file = OpenForRewrite(target);
    if (!file.IsOpen()) {
        return Replacement::Failed;
    }
    Replacement outcome = CompareWithRead(target, *readBytes);
    UniqueFile journal;
    if (outcome == Replacement::Done) {
        journal = CommitJournal(target, bytes, *readBytes, outcome);
    }
    bool whole = true;
    if (outcome == Replacement::Done && !WriteFromStart(file.Get(), bytes)) {
        outcome = Replacement::Failed;
        whole = WriteFromStart(file.Get(), *readBytes);
    }
    // The journal goes by its name: under Wine a handle still names the file as it was opened,
    // before the rename that made it the journal. One that stays is finished by the next reader.
    const bool committed = journal.IsOpen();
    journal.Reset();
    if (committed && whole) {
        ::DeleteFileW(JournalOf(target).c_str());
    }
    return outcome;
}

Replacement Replace(const std::wstring& target, std::string_view bytes,
                    std::optional<std::string_view> readBytes) {
    FinishJournalOf(target);
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    // Windows refuses to write a read-only file, and a folder is no file to replace.
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return Replacement::Failed;
    }
    if (exists && LinkCount(target) > 1) {
        return RewriteInPlace(target, bytes, readBytes);
    }
    const std::wstring temporary = TemporaryNameBeside(target);
    UniqueFile file = CreateExclusive(temporary, exists ? attributes : FILE_ATTRIBUTE_NORMAL);
    if (!file.IsOpen()) {
        return Replacement::Failed;
    }
    const bool written = WriteAll(file.Get(), bytes) && ::FlushFileBuffers(file.Get());
    file.Reset();
    Replacement outcome = written ? Replacement::Done : Replacement::Failed;
    // After the slow flush, as late as possible before the rename.
    if (outcome == Replacement::Done && readBytes) {
        outcome = CompareWithRead(target, *readBytes);
    }
    // ReplaceFileW keeps what lies beside the old file's bytes (its security, creation time and
    // short name); a file that is not there (any more) is simply renamed into place.
    if (outcome == Replacement::Done &&
        !(exists && ::ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                                   REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS,
                                   nullptr, nullptr)) &&
        !::MoveFileExW(temporary.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        outcome = Replacement::Failed;
    }
    if (outcome != Replacement::Done) {
        ::DeleteFileW(temporary.c_str());
        return outcome;
    }
    RemoveAbandonedTemporaries(target);
    return Replacement::Done;
}

} // namespace

void FinishInterruptedRewrite(std::string_view path) {
    FinishJournalOf(Wide(path));
}

ReadResult ReadFileContents(std::string_view path, std::string& bytes) {
    const std::wstring file = Wide(path);
    FinishJournalOf(file);
    return ReadWholeFile(file, bytes);
}

bool ReplaceFileContents(std::string_view path, std::string_view bytes) {
    return Replace(Wide(path), bytes, std::nullopt) == Replacement::Done;
}

Replacement ReplaceFileContentsIfUnchanged(std::string_view path, std::string_view bytes,
                                           std::string_view readBytes) {
    return Replace(Wide(path), bytes, readBytes);
}

bool CopyFileAtomically(std::string_view from, std::string_view to) {
    FinishInterruptedRewrite(from);
    std::string bytes;
    return ReadWholeFile(Wide(from), bytes) == ReadResult::Read && ReplaceFileContents(to, bytes);
}

} // namespace tmt::platform
