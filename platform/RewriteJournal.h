#pragma once

#include "platform/AtomicFile.h"

#include <functional>
#include <string>
#include <string_view>

namespace tmt::platform {

// The journal that guards a rewrite in place of a file with several hard links: before the first
// byte of the file changes, the new contents and the old are written beside it, so that whoever
// next reads or writes the file can finish a rewrite that a crash cut off. Every backend writes the
// same format, "<mark><new size> <old size>\n<new bytes><old bytes>"; how the journal is named,
// locked and made durable is each backend's own.

// The journal's text for a rewrite from `old` to `bytes`.
std::string JournalText(std::string_view bytes, std::string_view old);

// What the next reader does with a journal whose writer is gone, given how reading its file went
// (`now`: what the file holds when `read` is Read). A journal that was never whole, or whose file
// is gone or has been written by someone else since, is done with; otherwise `rewrite` writes the
// journal's new contents into the file in place. True when the journal may go; false when it must
// stay for a later reader (the file could not be read or rewritten now).
bool FinishJournal(std::string_view journal, ReadResult read, std::string_view now,
                   const std::function<bool(std::string_view bytes)>& rewrite);

} // namespace tmt::platform
