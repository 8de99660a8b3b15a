#pragma once

#include "tests/wine/CaseFormat.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tmt::wine {

// How one case came out: the same on both sides, different in a way that a decided mend
// explains, or different.
struct Verdict {
    enum Kind { Agree, Mend, Differ } kind = Agree;
    std::string name;   // the mend's or the difference's kind
    std::string detail; // what differs, for the report
};

// "ansi" (no byte-order mark), "utf8bom", "utf16le", "utf16be", or "missing".
std::string EncodingClass(const std::optional<std::string>& bytes);

// A change that ours refuses on purpose: a line break or NUL in any name or the value (it would
// plant lines of its own), a key that is empty after trimming, holds "=", or begins like a header
// or a comment, or a section name with "]" (neither would read back as itself).
bool IsUnsafeChange(const Case& write);

// A locale whose names Wine cannot hold in full: one without UTF-8 as its character set, where
// Wine reads file names in 7 bits.
bool IsNarrowLocale(std::string_view locale);
bool HasNonAscii(std::string_view text);

// Everything known about one write after both sides made it.
struct WriteRun {
    Case write;
    std::string ours;                    // "ok", "fail" or "error:<message>"
    std::string wine;                    // "ok" or "fail"
    std::optional<std::string> before;   // the file's bytes before; nothing when it was missing
    std::optional<std::string> oursFile; // the file's bytes after each side's write
    std::optional<std::string> wineFile;
    // The bytes before as Wine rewrites them unchanged: the file is in Wine's own form when they
    // equal `before`, and then ours must give Wine's bytes exactly.
    std::optional<std::string> normalized;
    // Wine's write into a file holding only the UTF-16LE mark, for a file that was missing.
    std::optional<std::string> utf16File;
    bool fits = true;      // every text of the change has an exact form in the ANSI code page
    bool readOnly = false; // the file had no write permission for anyone before the write
    // Both results as Wine's own reader sees them (the probe's dump).
    std::string oursDump;
    std::string wineDump;
};

// What "agreement" means for a write. Wine rewrites the whole file, ours changes only the key's
// line, so:
//  - both succeed, or both fail, and a failure leaves the file as it was;
//  - for a file already in Wine's form (or a new one) the bytes are Wine's bytes;
//  - for any other file the encoding is Wine's and Wine's reader finds the same sections, entries
//    and values in both results;
// and the decided mends: a change IsUnsafeChange names is refused; a text the ANSI code page
// cannot hold is refused for an existing ANSI file (with "<path> cannot store these characters")
// and makes a new file UTF-16LE with a mark, as Wine writes that file; a read-only file is never
// rewritten, even where Wine runs as root and writes it.
Verdict CompareWrite(const WriteRun& run);

// Reads, key lists, listings, registry values and the rest: the texts must be equal. `narrowNames`
// says that the case touches non-ASCII names in a locale where Wine cannot hold them. The decided
// mends: a value that Wine cuts between the two units of a character ends before that character
// in ours; a lone surrogate that Wine hands out in a value is U+FFFD in ours (its texts are UTF-8).
Verdict CompareResult(const Case& c, const std::string& ours, const std::string& wine,
                      bool narrowNames);

// A folder made or a file deleted: each side's result, and what the case's own folder holds
// (names relative to it, sorted, "name/" for a folder and "name@" for a symbolic link) before
// the call and after each side's.
struct FolderRun {
    Case change; // "mkdir" or "delete"
    std::string ours;
    std::string wine;
    std::vector<std::string> before;
    std::vector<std::string> oursAfter;
    std::vector<std::string> wineAfter;
    std::string entry; // the changed path's own name, relative to the case's folder
};

// Both results and both folders must be equal, but for the decided mends: a folder Wine says it
// made though nothing was made, and a folder name Windows cannot hold, are refused by ours with
// the folder unchanged; a delete of a symbolic link removes the link and nothing else.
Verdict CompareFolderChange(const FolderRun& run, bool narrowNames);

// "[a|b/|c@]"
std::string ShownEntries(const std::vector<std::string>& entries);

// The decided mends: "<kind>\t<reason>" lines, "#" comments.
std::map<std::string, std::string> ReadMends(std::string_view text);

} // namespace tmt::wine
