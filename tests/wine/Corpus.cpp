#include "tests/wine/Corpus.h"

#include "core/text/TextEncoding.h"

#include <sys/stat.h>
#include <sys/xattr.h>

#include <fstream>
#include <stdexcept>

namespace tmt::wine {

namespace fs = std::filesystem;

std::uint64_t Rng::Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

namespace {

void Check(bool done, const std::string& what) {
    if (!done) {
        throw std::runtime_error("cannot " + what);
    }
}

} // namespace

std::string EncodeFile(std::string_view text, Encoding encoding) {
    switch (encoding) {
    case Encoding::Bytes:
        return std::string(text);
    case Encoding::Utf8Bom:
        return "\xEF\xBB\xBF" + std::string(text);
    case Encoding::Utf16Le:
        return "\xFF\xFE" + Utf8ToUtf16(text, ByteOrder::LittleEndian);
    case Encoding::Utf16Be:
        return "\xFE\xFF" + Utf8ToUtf16(text, ByteOrder::BigEndian);
    case Encoding::Utf16LeNoBom:
        return Utf8ToUtf16(text, ByteOrder::LittleEndian);
    }
    return {};
}

std::string_view EncodingName(Encoding encoding) {
    switch (encoding) {
    case Encoding::Bytes:
        return "bytes";
    case Encoding::Utf8Bom:
        return "utf8bom";
    case Encoding::Utf16Le:
        return "utf16le";
    case Encoding::Utf16Be:
        return "utf16be";
    case Encoding::Utf16LeNoBom:
        return "utf16le-nobom";
    }
    return {};
}

Corpus::Corpus(fs::path root) : root_(std::move(root)) {
    fs::create_directories(root_ / "ro");
    fs::create_directories(root_ / "mut");
}

void Corpus::File(const std::string& relative, std::string_view bytes) {
    const fs::path path = root_ / relative;
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    Check(out.good(), "write " + path.string());
}

void Corpus::Folder(const std::string& relative) {
    fs::create_directories(root_ / relative);
}

void Corpus::Link(const std::string& relative, const std::string& target) {
    const fs::path path = root_ / relative;
    fs::create_directories(path.parent_path());
    fs::create_symlink(target, path);
}

void Corpus::Mode(const std::string& relative, unsigned mode) {
    Check(::chmod((root_ / relative).c_str(), mode) == 0, "change the mode of " + relative);
}

void Corpus::DosAttributes(const std::string& relative, std::string_view value) {
    Check(::lsetxattr((root_ / relative).c_str(), "user.DOSATTRIB", value.data(), value.size(),
                      0) == 0,
          "set user.DOSATTRIB on " + relative);
}

void Corpus::Read(std::string operation, std::initializer_list<std::optional<std::string>> fields) {
    reads_.push_back({"r" + std::to_string(reads_.size() + 1), std::move(operation), fields});
}

void Corpus::Mutate(std::string operation,
                    std::initializer_list<std::optional<std::string>> fields) {
    mutations_.push_back(
        {"m" + std::to_string(mutations_.size() + 1), std::move(operation), fields});
}

void Corpus::RegistrySet(std::initializer_list<std::optional<std::string>> fields) {
    registry_.push_back({"g" + std::to_string(registry_.size() + 1), "regset", fields});
}

void Corpus::Save() const {
    const auto save = [&](const char* name, const std::vector<Case>& cases) {
        std::ofstream out(root_ / name, std::ios::binary | std::ios::trunc);
        for (const Case& c : cases) {
            out << FormatCase(c) << '\n';
        }
        Check(out.good(), std::string("write ") + name);
    };
    save("read.cases", reads_);
    save("mutate.cases", mutations_);
    save("regset.cases", registry_);

    // What Wine does besides the writes themselves: rewrite each starting file unchanged, write
    // each missing file into one that holds only the UTF-16LE mark, tell whether each change's
    // texts fit the ANSI code page, and read both sides' results back.
    std::vector<Case> normalize;
    std::vector<Case> utf16;
    std::vector<Case> fits;
    std::vector<Case> dump;
    for (const Case& c : mutations_) {
        if (c.operation != "write") {
            continue;
        }
        const std::string& path = *c.fields[0];
        if (fs::exists(root_ / "mut" / path)) {
            normalize.push_back({c.id, "normalize", {path}});
        } else {
            const fs::path alt = root_ / "alt" / path;
            fs::create_directories(alt.parent_path());
            std::ofstream(alt, std::ios::binary) << "\xFF\xFE";
            utf16.push_back(c);
        }
        if (c.fields[3]) {
            fits.push_back({c.id, "fits", {c.fields[1], c.fields[2], c.fields[3]}});
        }
        dump.push_back({"o:" + c.id, "dump", {"ours/" + path}});
        dump.push_back({"w:" + c.id, "dump", {"wine/" + path}});
    }
    fs::create_directories(root_ / "alt");
    save("normalize.cases", normalize);
    save("utf16.cases", utf16);
    save("fits.cases", fits);
    save("dump.cases", dump);
}

} // namespace tmt::wine
