#include "tests/wine/Comparison.h"

#include <algorithm>
#include <iomanip>
#include <sstream>

namespace tmt::wine {

namespace fs = std::filesystem;

std::optional<std::string> Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

namespace {

// A file's bytes, or nothing when there is no file (a link counts only when it leads to one).
std::optional<std::string> FileBytes(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error) ? Slurp(path) : std::nullopt;
}

// No one may write the file: the program refuses to rewrite it, whoever runs it.
bool IsReadOnly(const fs::path& path) {
    std::error_code error;
    const fs::perms perms = fs::status(path, error).permissions();
    constexpr fs::perms kWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return !error && fs::is_regular_file(path, error) && (perms & kWrite) == fs::perms::none;
}

std::vector<Case> ReadCases(const fs::path& path) {
    std::vector<Case> cases;
    std::istringstream lines(Slurp(path).value_or(""));
    for (std::string line; std::getline(lines, line);) {
        if (auto c = ParseCase(line)) {
            cases.push_back(std::move(*c));
        }
    }
    return cases;
}

std::map<std::string, std::string> ReadResults(const fs::path& path) {
    std::map<std::string, std::string> results;
    std::istringstream lines(Slurp(path).value_or(""));
    for (std::string line; std::getline(lines, line);) {
        const std::size_t tab = line.find('\t');
        if (tab != std::string::npos) {
            results[line.substr(0, tab)] = line.substr(tab + 1);
        }
    }
    return results;
}

std::string Result(const std::map<std::string, std::string>& results, const std::string& id) {
    const auto found = results.find(id);
    return found == results.end() ? "(no result)" : found->second;
}

// What a folder holds after a case, every level down, sorted: "name", "name/" for a folder,
// "name@" for a symbolic link.
std::vector<std::string> Contents(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        std::string name = it->path().lexically_relative(folder).string();
        if (it->is_symlink(error)) {
            name += '@';
        } else if (it->is_directory(error)) {
            name += '/';
        }
        names.push_back(EscapeResult(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The case's own folder: the first two components of its path (mk/3, del/7).
std::string CaseFolder(const Case& c) {
    const std::string& path = *c.fields[0];
    const std::size_t first = path.find('/');
    return path.substr(0, path.find('/', first + 1));
}

bool FolderHasNonAscii(const fs::path& folder) {
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (HasNonAscii(it->path().filename().string())) {
            return true;
        }
    }
    return false;
}

// Cases of one family differ for one reason more often than not: files of one make (the path
// without its numbers), or each registry value on its own.
std::string Family(const Case& c) {
    if (c.operation == "regget") {
        return FormatCase(c);
    }
    std::string family = c.fields.empty() ? "" : c.fields[0].value_or("");
    std::erase_if(family, [](char ch) { return ch >= '0' && ch <= '9'; });
    return family;
}

const std::map<std::string, std::string> kFunctions = {
    {"read", "GetPrivateProfileStringW, a value"},
    {"keys", "GetPrivateProfileStringW, the key list"},
    {"write", "WritePrivateProfileStringW"},
    {"list", "FindFirstFileW, the profile listing"},
    {"mkdir", "CreateDirectoryW"},
    {"delete", "DeleteFileW"},
    {"exists", "GetFileAttributesW, letter case"},
    {"acp", "GetACP"},
    {"regget", "system.reg, RegQueryValueExW"},
};

} // namespace

Comparison::Comparison(fs::path work, std::map<std::string, std::string> mends)
    : work_(std::move(work)), mends_(std::move(mends)), differences_(work_ / "differences.txt") {}

void Comparison::Count(const std::string& locale, const Case& c, Verdict verdict) {
    Tally& tally = tallies_[{c.operation, locale}];
    ++tally.cases;
    if (verdict.kind == Verdict::Mend && mends_.count(verdict.name) == 0) {
        verdict.kind = Verdict::Differ;
    }
    if (verdict.kind == Verdict::Agree) {
        ++tally.agree;
        return;
    }
    const bool mended = verdict.kind == Verdict::Mend;
    ++(mended ? tally.mended : tally.differ);
    const std::string line = locale + "\t" + (mended ? "mended " : "DIFFERS ") + verdict.name +
                             "\t" + FormatCase(c) + "\t" + verdict.detail;
    differences_ << line << '\n';
    if (!mended) {
        constexpr std::size_t kExamples = 8;
        Kind& kind = kinds_[verdict.name];
        ++kind.perLocale[locale];
        const std::string family = Family(c);
        if (kind.examples.size() < kExamples && kind.examples.count(family) == 0) {
            kind.examples[family] = locale + ": " + FormatCase(c) + "\n        " + verdict.detail;
        }
    }
}

Verdict Comparison::Mutation(const std::string& locale, const Case& c,
                             const std::map<std::string, std::string>& ours,
                             const std::map<std::string, std::string>& wine) {
    const fs::path side = work_ / locale;
    const std::string path = *c.fields[0];
    if (c.operation == "write") {
        WriteRun run;
        run.write = c;
        run.ours = Result(ours, c.id);
        run.wine = Result(wine, c.id);
        run.before = FileBytes(work_ / "corpus/mut" / path);
        run.oursFile = FileBytes(side / "ours" / path);
        run.wineFile = FileBytes(side / "wine" / path);
        run.normalized = FileBytes(side / "norm" / path);
        run.utf16File = FileBytes(side / "alt" / path);
        run.fits = Result(fits_, c.id) != "no";
        run.readOnly = IsReadOnly(work_ / "corpus/mut" / path);
        run.oursDump = Result(dumps_, "o:" + c.id);
        run.wineDump = Result(dumps_, "w:" + c.id);
        return CompareWrite(run);
    }
    const std::string folder = CaseFolder(c);
    FolderRun run;
    run.change = c;
    run.ours = Result(ours, c.id);
    run.wine = Result(wine, c.id);
    run.before = Contents(work_ / "corpus/mut" / folder);
    run.oursAfter = Contents(side / "ours" / folder);
    run.wineAfter = Contents(side / "wine" / folder);
    run.entry = EscapeResult(path.substr(std::min(path.size(), folder.size() + 1)));
    return CompareFolderChange(run, IsNarrowLocale(locale) && HasNonAscii(path));
}

void Comparison::Locale(const std::string& locale) {
    locales_.push_back(locale);
    const fs::path side = work_ / locale;
    const auto oursRead = ReadResults(side / "ours.read");
    const auto wineRead = ReadResults(side / "wine.read");
    for (const Case& c : ReadCases(work_ / "corpus/read.cases")) {
        const std::string ours = Result(oursRead, c.id);
        bool narrow = false;
        if (IsNarrowLocale(locale) && c.operation != "regget" && c.operation != "acp") {
            narrow =
                HasNonAscii(*c.fields[0]) ||
                (c.operation == "list" && FolderHasNonAscii(work_ / "corpus/ro" / *c.fields[0]));
        }
        Count(locale, c, CompareResult(c, ours, Result(wineRead, c.id), narrow));
    }
    fits_ = ReadResults(side / "wine.fits");
    dumps_ = ReadResults(side / "wine.dump");
    const auto oursMutate = ReadResults(side / "ours.mutate");
    const auto wineMutate = ReadResults(side / "wine.mutate");
    for (const Case& c : ReadCases(work_ / "corpus/mutate.cases")) {
        Count(locale, c, Mutation(locale, c, oursMutate, wineMutate));
    }
}

int Comparison::Report(std::ostream& out) const {
    out << "Agreement with Wine (cases agreeing, by sameness or a decided mend / cases):\n";
    out << std::left << std::setw(42) << "function";
    for (const std::string& locale : locales_) {
        out << std::setw(20) << locale;
    }
    out << '\n';
    Tally total;
    for (const auto& [operation, function] : kFunctions) {
        out << std::setw(42) << function;
        for (const std::string& locale : locales_) {
            const auto found = tallies_.find({operation, locale});
            const Tally tally = found == tallies_.end() ? Tally{} : found->second;
            std::ostringstream cell;
            cell << tally.agree + tally.mended << "/" << tally.cases;
            if (tally.mended > 0) {
                cell << " (" << tally.mended << "m)";
            }
            out << std::setw(20) << cell.str();
            total.cases += tally.cases;
            total.agree += tally.agree;
            total.mended += tally.mended;
            total.differ += tally.differ;
        }
        out << '\n';
    }
    out << "All: " << total.agree + total.mended << " of " << total.cases << " cases agree ("
        << total.mended << " by a decided mend), " << total.differ << " differ.\n";
    if (total.differ == 0) {
        return 0;
    }
    out << "\nDifferences no decided mend explains, by kind: count per locale, and the first "
           "case of each family (up to eight):\n";
    for (const auto& [name, kind] : kinds_) {
        out << name << ":";
        for (const auto& [locale, count] : kind.perLocale) {
            out << ' ' << locale << ' ' << count;
        }
        out << '\n';
        for (const auto& [family, example] : kind.examples) {
            out << "    " << example << '\n';
        }
    }
    out << "Every case: " << (work_ / "differences.txt").string() << '\n';
    return 1;
}

} // namespace tmt::wine
