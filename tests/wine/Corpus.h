#pragma once

#include "tests/wine/CaseFormat.h"

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tmt::wine {

// A fixed pseudo-random sequence (SplitMix64), the same on every machine for one seed.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next();
    // 0 <= result < bound
    std::size_t Below(std::size_t bound) { return static_cast<std::size_t>(Next() % bound); }
    bool Chance(int percent) { return Below(100) < static_cast<std::size_t>(percent); }
    template <typename T> const T& Pick(const std::vector<T>& items) {
        return items[Below(items.size())];
    }

private:
    std::uint64_t state_;
};

// One code point as UTF-8, for generators that spell names and values character by character.
inline std::string Utf8(char32_t c) {
    std::string out;
    AppendUtf8(out, c);
    return out;
}

// How a text is stored in a generated INI file.
enum class Encoding { Bytes, Utf8Bom, Utf16Le, Utf16Be, Utf16LeNoBom };

// The file bytes of UTF-8 text in the encoding, with its byte-order mark. Bytes keeps the text's
// own bytes, for ANSI files (whose bytes the generator spells out) and UTF-8 without a mark.
std::string EncodeFile(std::string_view text, Encoding encoding);
std::string_view EncodingName(Encoding encoding);

// The generated tree and its case lists. Paths are relative to the tree's two parts: `ro` holds
// what only reads look at, shared by both sides; `mut` holds what writes change, copied for each
// side and locale.
class Corpus {
public:
    explicit Corpus(std::filesystem::path root);

    // Files and folders below ro/ or mut/ (the first component of `relative` says which).
    void File(const std::string& relative, std::string_view bytes);
    void Folder(const std::string& relative);
    void Link(const std::string& relative, const std::string& target);
    void Mode(const std::string& relative, unsigned mode);
    void DosAttributes(const std::string& relative, std::string_view value);

    // A case on the shared tree (reads) or on the copies (writes); ids are given in order.
    void Read(std::string operation, std::initializer_list<std::optional<std::string>> fields);
    void Mutate(std::string operation, std::initializer_list<std::optional<std::string>> fields);
    // A registry value for the probe to set before anything is compared.
    void RegistrySet(std::initializer_list<std::optional<std::string>> fields);

    void Save() const;

private:
    std::filesystem::path root_;
    std::vector<Case> reads_;
    std::vector<Case> mutations_;
    std::vector<Case> registry_;
};

void AddIniCorpus(Corpus& corpus, Rng& rng);
void AddIniWriteCorpus(Corpus& corpus, Rng& rng);
void AddFolderCorpus(Corpus& corpus, Rng& rng);
void AddRegistryCorpus(Corpus& corpus);

} // namespace tmt::wine
