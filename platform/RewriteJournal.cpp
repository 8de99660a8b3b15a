#include "platform/RewriteJournal.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace tmt::platform {

namespace {

constexpr std::string_view kJournalMark = "TuneMora rewrite journal 1\n";

struct JournalContents {
    std::string_view bytes; // what the file is to hold
    std::string_view old;   // what it held before
};

// Nothing when the text is not a whole journal.
std::optional<JournalContents> ParseJournal(std::string_view journal) {
    if (!journal.starts_with(kJournalMark)) {
        return std::nullopt;
    }
    journal.remove_prefix(kJournalMark.size());
    const std::size_t end = journal.find('\n');
    if (end == std::string_view::npos) {
        return std::nullopt;
    }
    char* after = nullptr;
    const std::string sizes(journal.substr(0, end));
    const unsigned long long newSize = std::strtoull(sizes.c_str(), &after, 10);
    const unsigned long long oldSize = std::strtoull(after, &after, 10);
    journal.remove_prefix(end + 1);
    if (*after != '\0' || newSize > journal.size() || journal.size() - newSize != oldSize) {
        return std::nullopt;
    }
    return JournalContents{journal.substr(0, newSize), journal.substr(newSize)};
}

// Whether the file holds only what an interrupted rewrite leaves: in each place a byte of the new
// contents or of the old, or nothing yet written in the room reserved past the old end. Anything
// else was written by someone else since, and stays.
bool LeftByRewrite(std::string_view now, const JournalContents& journal) {
    if (now.size() > std::max(journal.bytes.size(), journal.old.size())) {
        return false;
    }
    for (std::size_t i = 0; i < now.size(); ++i) {
        const bool fromNew = i < journal.bytes.size() && now[i] == journal.bytes[i];
        const bool fromOld = i < journal.old.size() ? now[i] == journal.old[i] : now[i] == '\0';
        if (!fromNew && !fromOld) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string JournalText(std::string_view bytes, std::string_view old) {
    std::string text(kJournalMark);
    text.append(std::to_string(bytes.size())).append(" ").append(std::to_string(old.size()));
    text.append("\n").append(bytes).append(old);
    return text;
}

bool FinishJournal(std::string_view journal, ReadResult read, std::string_view now,
                   const std::function<bool(std::string_view bytes)>& rewrite) {
    const auto contents = ParseJournal(journal);
    if (!contents || read == ReadResult::Missing) {
        return true;
    }
    if (read != ReadResult::Read) {
        return false;
    }
    return now == contents->bytes || !LeftByRewrite(now, *contents) || rewrite(contents->bytes);
}

} // namespace tmt::platform
