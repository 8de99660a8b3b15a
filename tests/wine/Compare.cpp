#include "tests/wine/Compare.h"

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
    if (narrowNames) {
        return {Verdict::Mend, "names-outside-utf8-locale", "ours " + ours + " | Wine " + wine};
    }
    return Differ(c.operation, "ours " + ours + " | Wine " + wine);
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
