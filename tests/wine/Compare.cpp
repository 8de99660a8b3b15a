#include "tests/wine/Compare.h"

#include <algorithm>
#include <cstdlib>

namespace tmt::wine {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool BreaksLine(const std::optional<std::string>& text) {
    return text && text->find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos;
}

Verdict Differ(std::string name, std::string detail) {
    return {Verdict::Differ, std::move(name), std::move(detail)};
}

std::string Shown(const std::optional<std::string>& bytes) {
    return bytes ? EscapeResult(*bytes) : "(missing)";
}

bool RefusedUnchanged(const WriteRun& run) {
    return run.ours != "ok" && run.oursFile == run.before;
}

// A result's text in pieces: "\\", each "\u{hex}" or "\x{hex}" escape, and each other byte.
std::vector<std::string_view> ResultPieces(std::string_view result) {
    std::vector<std::string_view> pieces;
    for (std::size_t at = 0; at < result.size();) {
        std::size_t length = 1;
        if (result[at] == '\\' && at + 1 < result.size()) {
            const std::size_t close = result.find('}', at);
            const bool braced = at + 2 < result.size() && result[at + 2] == '{' &&
                                (result[at + 1] == 'u' || result[at + 1] == 'x');
            length = braced && close != std::string_view::npos ? close + 1 - at : 2;
        }
        pieces.push_back(result.substr(at, length));
        at += length;
    }
    return pieces;
}

// The code unit a "\u{hex}" piece stands for when it is a surrogate; 0 otherwise.
unsigned SurrogateOf(std::string_view piece) {
    if (!piece.starts_with("\\u{")) {
        return 0;
    }
    const unsigned value = static_cast<unsigned>(
        std::strtoul(std::string(piece.substr(3, piece.size() - 4)).c_str(), nullptr, 16));
    return value >= 0xD800 && value <= 0xDFFF ? value : 0;
}

// Wine's value ends with the first unit of a character whose second the buffer cut off, and ours
// is the same value without it.
bool CutBeforePair(const std::string& ours, const std::string& wine) {
    const std::vector<std::string_view> pieces = ResultPieces(wine);
    if (pieces.empty() || SurrogateOf(pieces.back()) < 0xD800 ||
        SurrogateOf(pieces.back()) > 0xDBFF) {
        return false;
    }
    return ours == wine.substr(0, wine.size() - pieces.back().size());
}

// Wine's text holds lone surrogates, and ours is the same text with U+FFFD for each of them.
bool SurrogatesReplaced(const std::string& ours, const std::string& wine) {
    std::string replaced;
    bool any = false;
    for (const std::string_view piece : ResultPieces(wine)) {
        if (SurrogateOf(piece) != 0) {
            replaced += "\xEF\xBF\xBD";
            any = true;
        } else {
            replaced += piece;
        }
    }
    return any && ours == replaced;
}

// A character that Windows never lets a file or folder name hold.
bool HasRefusedNameCharacter(std::string_view name) {
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 ||
            std::string_view(":*?\"<>|").find(c) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

} // namespace

std::string EncodingClass(const std::optional<std::string>& bytes) {
    if (!bytes) {
        return "missing";
    }
    if (bytes->starts_with("\xEF\xBB\xBF")) {
        return "utf8bom";
    }
    if (bytes->starts_with("\xFF\xFE")) {
        return "utf16le";
    }
    if (bytes->starts_with("\xFE\xFF")) {
        return "utf16be";
    }
    return "ansi";
}

bool IsUnsafeChange(const Case& write) {
    const std::optional<std::string>& section = write.fields[1];
    const std::optional<std::string>& key = write.fields[2];
    if (BreaksLine(section) || BreaksLine(key) || BreaksLine(write.fields[3])) {
        return true;
    }
    const std::string_view name = key ? Trimmed(*key) : std::string_view();
    return name.empty() || name.find('=') != std::string_view::npos || name.front() == '[' ||
           name.front() == ';' || (section && section->find(']') != std::string::npos);
}

bool IsNarrowLocale(std::string_view locale) {
    return locale.find("UTF-8") == std::string_view::npos &&
           locale.find("utf8") == std::string_view::npos;
}

bool HasNonAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return true;
        }
    }
    return false;
}

Verdict CompareWrite(const WriteRun& run) {
    const bool oursOk = run.ours == "ok";
    const bool wineOk = run.wine == "ok";
    const bool hasValue = run.write.fields[3].has_value();

    if (IsUnsafeChange(run.write) && RefusedUnchanged(run)) {
        return wineOk || run.oursFile != run.wineFile
                   ? Verdict{Verdict::Mend, "write-refuses-unsafe", "Wine: " + run.wine}
                   : Verdict{};
    }
    if (run.readOnly && wineOk && RefusedUnchanged(run)) {
        return {Verdict::Mend, "write-refuses-read-only", "ours: " + run.ours};
    }
    if (hasValue && !run.fits && wineOk) {
        const std::string encoding = EncodingClass(run.before);
        if (encoding == "ansi" && RefusedUnchanged(run) &&
            (run.ours == "fail" ||
             run.ours.find("cannot store these characters") != std::string::npos)) {
            return {Verdict::Mend, "write-refuses-unstorable", "ours: " + run.ours};
        }
        if (encoding == "missing" && oursOk && run.utf16File && run.oursFile == run.utf16File) {
            return {Verdict::Mend, "write-new-file-utf16", ""};
        }
    }

    if (oursOk != wineOk) {
        return Differ("write-result", "ours " + run.ours + ", Wine " + run.wine);
    }
    if (!oursOk) {
        return run.oursFile == run.wineFile
                   ? Verdict{}
                   : Differ("write-bytes", "both failed; ours left " + Shown(run.oursFile) +
                                               ", Wine left " + Shown(run.wineFile));
    }
    if (!run.before || run.normalized == run.before) {
        return run.oursFile == run.wineFile
                   ? Verdict{}
                   : Differ("write-bytes",
                            "ours " + Shown(run.oursFile) + " | Wine " + Shown(run.wineFile));
    }
    if (EncodingClass(run.oursFile) != EncodingClass(run.wineFile)) {
        return Differ("write-encoding", "ours " + EncodingClass(run.oursFile) + ", Wine " +
                                            EncodingClass(run.wineFile));
    }
    if (run.oursDump != run.wineDump) {
        return Differ("write-readback",
                      "ours reads back " + run.oursDump + " | Wine's " + run.wineDump);
    }
    return {};
}

Verdict CompareResult(const Case& c, const std::string& ours, const std::string& wine,
                      bool narrowNames) {
    if (ours == wine) {
        return {};
    }
    const std::string detail = "ours " + ours + " | Wine " + wine;
    if (narrowNames) {
        return {Verdict::Mend, "names-outside-utf8-locale", detail};
    }
    if (c.operation == "read" && CutBeforePair(ours, wine)) {
        return {Verdict::Mend, "value-cut-before-pair", detail};
    }
    if ((c.operation == "read" || c.operation == "keys" || c.operation == "regget") &&
        SurrogatesReplaced(ours, wine)) {
        return {Verdict::Mend, "lone-surrogate-as-replacement", detail};
    }
    return Differ(c.operation, detail);
}

std::string ShownEntries(const std::vector<std::string>& entries) {
    std::string out;
    for (const std::string& entry : entries) {
        out += (out.empty() ? "" : "|") + entry;
    }
    return "[" + out + "]";
}

Verdict CompareFolderChange(const FolderRun& run, bool narrowNames) {
    if (run.ours == run.wine && run.oursAfter == run.wineAfter) {
        return {};
    }
    const std::string detail = "ours " + run.ours + " " + ShownEntries(run.oursAfter) + " | Wine " +
                               run.wine + " " + ShownEntries(run.wineAfter);
    if (narrowNames) {
        return {Verdict::Mend, "names-outside-utf8-locale", detail};
    }
    const std::string& operation = run.change.operation;
    const bool refusedUnchanged = run.ours == "fail" && run.oursAfter == run.before;
    if (operation == "mkdir" && refusedUnchanged && run.wine == "ok") {
        if (run.wineAfter == run.before) {
            return {Verdict::Mend, "mkdir-success-without-folder", detail};
        }
        const std::string_view name = run.entry;
        if (HasRefusedNameCharacter(name.substr(name.find_last_of('/') + 1))) {
            return {Verdict::Mend, "mkdir-refuses-invalid-name", detail};
        }
    }
    if (operation == "delete" && run.ours == "ok" &&
        std::count(run.before.begin(), run.before.end(), run.entry + "@") == 1) {
        std::vector<std::string> linkGone = run.before;
        std::erase(linkGone, run.entry + "@");
        if (run.oursAfter == linkGone) {
            return {Verdict::Mend, "delete-removes-link-only", detail};
        }
    }
    return Differ(operation, detail);
}

std::map<std::string, std::string> ReadMends(std::string_view text) {
    std::map<std::string, std::string> mends;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const std::size_t tab = line.find('\t');
        mends[std::string(line.substr(0, tab))] =
            tab == std::string_view::npos ? "" : std::string(line.substr(tab + 1));
    }
    return mends;
}

} // namespace tmt::wine
