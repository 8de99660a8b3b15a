#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tmt::platform::vdf {

struct Entry;

// One block of Valve's text KeyValues format (libraryfolders.vdf, appmanifest_*.acf): keys in
// file order, each with a text or a nested block. Steam compares keys without regard to case.
struct Block {
    std::vector<Entry> entries;

    // The first entry named `key` that holds a text, or that holds a block.
    const std::string* Text(std::string_view key) const;
    const Block* Child(std::string_view key) const;
};

struct Entry {
    std::string key;
    std::variant<std::string, Block> value;
};

// Reads the whole text. Quoted and bare tokens, the escapes \\ \" \n \t, // comments and
// [$CONDITION] marks are understood; anything malformed (an open quote, a brace that does not
// close, a key without value, nesting deeper than a file of Steam's ever goes) gives nothing.
std::optional<Block> Parse(std::string_view text);

} // namespace tmt::platform::vdf
