#include "platform/ProfileStrings.h"

#include "core/text/CodePage.h"
#include "platform/AnsiCodePage.h"
#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "platform/IniText.h"

namespace tmt::platform {

namespace {

// The whole file is read afresh for every call: the game may have changed it a moment ago. The
// buffer is kept between calls, so that a large file costs no fresh memory each time.
std::string* ReadBytes(std::string_view file, ReadResult* result = nullptr) {
    thread_local std::string bytes;
    const ReadResult read = ReadFileContents(file, bytes);
    if (result != nullptr) {
        *result = read;
    }
    return read == ReadResult::Read ? &bytes : nullptr;
}

// Wine opens a missing file as an empty one, but only in a folder that exists; any other file it
// cannot open hands the default back as it stands.
IniText::Default DefaultFormWithout(std::string_view file, ReadResult read) {
    return read == ReadResult::Missing && FolderOfFileExists(file) ? IniText::Default::AsBuffered
                                                                   : IniText::Default::AsGiven;
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
    ReadResult read = ReadResult::Failed;
    const std::string* bytes = ReadBytes(file, &read);
    if (bytes == nullptr) {
        return IniText::DefaultAsRead(defaultValue, DefaultFormWithout(file, read));
    }
    if (auto value = IniText::ReadFrom(*bytes, AnsiCodePage(), section, key)) {
        return std::move(*value);
    }
    return IniText::DefaultAsRead(defaultValue, IniText::Default::AsBuffered);
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
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        std::string bytes;
        const ReadResult read = ReadFileContents(file, bytes);
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
        switch (ReplaceFileContentsIfUnchanged(file, text.Bytes(), bytes)) {
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

std::optional<std::vector<char32_t>> UnstorableInProfileFile(std::string_view text,
                                                             std::string_view file) {
    ReadResult read = ReadResult::Failed;
    const std::string* bytes = ReadBytes(file, &read);
    if (bytes != nullptr) {
        return IniText(*bytes, AnsiCodePage()).Unstorable(text);
    }
    return read == ReadResult::Missing ? std::optional(std::vector<char32_t>{}) : std::nullopt;
}

std::optional<std::vector<char32_t>> PrepareProfileFile(const std::vector<std::string_view>& texts,
                                                        std::string_view file) {
    std::string all;
    for (const std::string_view text : texts) {
        all.append(text);
    }
    std::string bytes;
    switch (ReadFileContents(file, bytes)) {
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
    if (ReplaceFileContentsIfUnchanged(file,
                                       IniText(AnsiCodePage(), IniText::Encoding::Utf16Le).Bytes(),
                                       "") == Replacement::Failed) {
        return std::nullopt;
    }
    return std::vector<char32_t>{};
}

} // namespace tmt::platform
