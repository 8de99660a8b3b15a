#include "platform/linux/WineCase.h"

#include "core/text/TextEncoding.h"
#include "platform/linux/WineTables.h"

#include <algorithm>

namespace tmt::platform {

namespace {

// UTF-16 units of a name as Wine reads a Unix name.
std::u16string Units(std::string_view utf8) {
    return Utf8ToUtf16Units(Utf8AsWineReadsIt(utf8));
}

} // namespace

char16_t WineUpcase(char16_t unit) {
    const wine::UpcaseRange* begin = wine::kUpcaseRanges;
    const wine::UpcaseRange* end = begin + wine::kUpcaseRangeCount;
    const auto range = std::lower_bound(
        begin, end, unit, [](const wine::UpcaseRange& r, char16_t u) { return r.last < u; });
    if (range == end || unit < range->first || (unit - range->first) % range->step != 0) {
        return unit;
    }
    return static_cast<char16_t>(unit + range->delta);
}

std::u16string WineUpcased(std::string_view utf8) {
    std::u16string units = Units(utf8);
    std::transform(units.begin(), units.end(), units.begin(), WineUpcase);
    return units;
}

std::string WineUpcasedUtf8(std::string_view utf8) {
    return Utf16UnitsToUtf8(WineUpcased(utf8));
}

bool EqualsIgnoringWineCase(std::string_view a, std::string_view b) {
    return a == b || WineUpcased(a) == WineUpcased(b);
}

namespace {

struct ListingKey {
    std::u16string upper;
    std::u16string units;
    bool operator<(const ListingKey& other) const {
        return upper != other.upper ? upper < other.upper : units < other.units;
    }
};

ListingKey KeyOf(std::string_view name) {
    ListingKey key{Units(name), Units(name)};
    std::transform(key.upper.begin(), key.upper.end(), key.upper.begin(), WineUpcase);
    return key;
}

} // namespace

bool ComesFirstInWineListing(std::string_view a, std::string_view b) {
    return KeyOf(a) < KeyOf(b);
}

void SortAsWineLists(std::vector<std::string>& names) {
    std::vector<std::pair<ListingKey, std::string>> keyed;
    keyed.reserve(names.size());
    for (std::string& name : names) {
        keyed.emplace_back(KeyOf(name), std::move(name));
    }
    std::sort(keyed.begin(), keyed.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < names.size(); ++i) {
        names[i] = std::move(keyed[i].second);
    }
}

} // namespace tmt::platform
