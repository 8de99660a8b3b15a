#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tmt::platform {

// Letter case as Wine folds it for file names (RtlUpcaseUnicodeChar): every letter its table
// knows, not only a to z. The comparisons the program makes by its own rules fold a to z only
// (core/text/Text.h).

char16_t WineUpcase(char16_t unit);

// The name's UTF-16 units, each upper-cased.
std::u16string WineUpcased(std::string_view utf8);

bool EqualsIgnoringWineCase(std::string_view a, std::string_view b);

// The same upper-cased name again in UTF-8: names Wine takes as one give one text.
std::string WineUpcasedUtf8(std::string_view utf8);

// The order in which Wine's FindFirstFileW hands out the names of a folder: by their upper-cased
// UTF-16 units, and names equal that way by their units as they are.
bool ComesFirstInWineListing(std::string_view a, std::string_view b);
void SortAsWineLists(std::vector<std::string>& names);

} // namespace tmt::platform
