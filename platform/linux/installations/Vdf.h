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

// Reads the binary form Steam keeps its non-Steam shortcuts in (userdata/<user>/config/
// shortcuts.vdf): a type byte, the key up to a NUL, then the value, a block ending at 0x08. Texts
// stay texts; 32- and 64-bit numbers become their decimal text, signed as stored. Bytes after the
// outermost block are ignored, as Steam leaves some at times; anything else malformed gives
// nothing.
std::optional<Block> ParseBinary(std::string_view bytes);

} // namespace tmt::platform::vdf
