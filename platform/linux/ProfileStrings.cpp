#include "platform/ProfileStrings.h"

#include "platform/AnsiCodePage.h"
#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/PathMap.h"
#include "platform/linux/FileOps.h"
#include "platform/linux/IniText.h"

namespace tmt::platform {

namespace {

using fileops::ReadResult;

// The whole file is read afresh for every call: the game may have changed it a moment ago. The
// buffer is kept between calls, so that a large file costs no fresh memory each time.
std::string* ReadBytes(std::string_view file) {
    thread_local std::string bytes;
    if (fileops::ReadWholeFile(ToNativePath(file).string(), bytes) != ReadResult::Read) {
        return nullptr;
    }
    return &bytes;
}

// A new file is in the ANSI code page unless that cannot hold the text.
IniText NewFileFor(std::string_view text) {
    const CodePage& ansi = AnsiCodePage();
    return IniText(ansi, ansi.Unstorable(text).empty() ? IniText::Encoding::Ansi
                                                       : IniText::Encoding::Utf16Le);
}

} // namespace

std::string GetProfileString(std::string_view section, std::string_view key,
                             std::string_view defaultValue, std::string_view file) {
    const std::string* bytes = ReadBytes(file);
    if (bytes == nullptr) {
        return std::string(defaultValue);
    }
    return IniText::ReadFrom(*bytes, AnsiCodePage(), section, key)
        .value_or(std::string(defaultValue));
}

std::vector<std::string> GetProfileKeys(std::string_view section, std::string_view file) {
    const std::string* bytes = ReadBytes(file);
    return bytes != nullptr ? IniText::KeysFrom(*bytes, AnsiCodePage(), section)
                            : std::vector<std::string>{};
}

bool WriteProfileString(std::string_view section, std::string_view key,
                        std::optional<std::string_view> value, std::string_view file) {
    // The game may be rewriting the file at this moment; a read that caught it half-way, or a
    // file changed before ours could take its place, is read again rather than written back.
    constexpr int kAttempts = 20;
    const std::filesystem::path path = ToNativePath(file);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        std::string bytes;
        const ReadResult read = fileops::ReadWholeFile(path.string(), bytes);
        if (read == ReadResult::Failed) {
            return false;
        }
        if (read == ReadResult::Missing && !value) {
            return true;
        }
        IniText text = read == ReadResult::Read
                           ? IniText(bytes, AnsiCodePage())
                           : NewFileFor(std::string(section) + std::string(key) +
                                        std::string(value.value_or("")));
        if (!text.Write(section, key, value)) {
            return false;
        }
        if (!text.changed()) {
            return true;
        }
        switch (ReplaceFileContentsIfUnchanged(path, text.Bytes(), bytes)) {
        case Replacement::Done:
            return true;
        case Replacement::Failed:
            return false;
        case Replacement::ChangedMeanwhile:
            break;
        }
    }
    return false;
}

std::vector<char32_t> UnstorableInProfileFile(std::string_view text, std::string_view file) {
    const std::string* bytes = ReadBytes(file);
    return bytes != nullptr ? IniText(*bytes, AnsiCodePage()).Unstorable(text)
                            : std::vector<char32_t>{};
}

std::optional<std::vector<char32_t>> PrepareProfileFile(const std::vector<std::string_view>& texts,
                                                        std::string_view file) {
    std::string all;
    for (const std::string_view text : texts) {
        all.append(text);
    }
    const std::filesystem::path path = ToNativePath(file);
    std::string bytes;
    switch (fileops::ReadWholeFile(path.string(), bytes)) {
    case ReadResult::Read:
        return IniText(bytes, AnsiCodePage()).Unstorable(all);
    case ReadResult::Failed:
        return std::nullopt;
    case ReadResult::Missing:
        break;
    }
    if (AnsiCodePage().Unstorable(all).empty()) {
        return std::vector<char32_t>{};
    }
    // A file that appeared meanwhile is someone else's, and stays as it is.
    if (ReplaceFileContentsIfUnchanged(path,
                                       IniText(AnsiCodePage(), IniText::Encoding::Utf16Le).Bytes(),
                                       "") == Replacement::Failed) {
        return std::nullopt;
    }
    return std::vector<char32_t>{};
}

} // namespace tmt::platform
