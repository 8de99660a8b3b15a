#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <tuple>

namespace tmt::platform {

// What earlier searches learnt about registries that lack the key, so that a home with many
// prefixes is not read again at every start. A registry counts as the same file while its device,
// inode, size and times of modification and change are the same; Wine saves a registry by
// renaming a new file over it, which changes the inode. Kept in
// $XDG_CACHE_HOME/tunemora-tools/registries (~/.cache by default), readable by the user alone.
class RegistryCache {
public:
    // What earlier searches for `keyPath` learnt; nothing when there is no cache of the user's.
    static RegistryCache Load(std::string_view keyPath);

    bool LacksKey(const struct stat& registry) const;
    // This search read `registry` to its end without finding the key. A file modified in the last
    // two seconds is not remembered: written again within one tick of the file system's clock, it
    // could keep its size and times.
    void NoteLacksKey(const struct stat& registry);
    // Keeps what this search learnt about the registries it looked at, and nothing about others;
    // writes only when that differs from what was loaded.
    void Save() const;

    // The file the cache is kept in; empty without a home.
    static std::filesystem::path File();

private:
    using Entry = std::tuple<unsigned long long, unsigned long long, long long, long long, long,
                             long long, long>;
    static Entry EntryOf(const struct stat& registry);

    std::string key_;
    std::set<Entry> loaded_;
    mutable std::set<Entry> seen_;
};

} // namespace tmt::platform
