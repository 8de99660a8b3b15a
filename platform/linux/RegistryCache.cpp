#include "platform/linux/RegistryCache.h"

#include "platform/linux/DiscoveryLog.h"
#include "platform/linux/FileOps.h"
#include "platform/linux/OwnedFiles.h"
#include "platform/linux/UniqueFd.h"

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <sstream>

namespace tmt::platform {

namespace fs = std::filesystem;

namespace {

constexpr char kHeader[] = "tunemora-tools registries without the key 1";
constexpr std::chrono::seconds kSettleTime{2};

// Makes the folder of the cache when it is missing; true when it is there and the user's.
bool OwnFolder(const fs::path& folder) {
    std::error_code error;
    fs::create_directories(folder, error);
    fs::permissions(folder, fs::perms::owner_all, error);
    struct stat info {};
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && OwnedByUser(info);
}

} // namespace

fs::path RegistryCache::File() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    fs::path folder;
    if (cache != nullptr && *cache == '/') {
        folder = cache;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') {
        folder = fs::path(home) / ".cache";
    } else {
        return {};
    }
    return folder / "tunemora-tools" / "registries";
}

RegistryCache::Entry RegistryCache::EntryOf(const struct stat& registry) {
    return {registry.st_dev,         registry.st_ino,          registry.st_size,
            registry.st_mtim.tv_sec, registry.st_mtim.tv_nsec, registry.st_ctim.tv_sec,
            registry.st_ctim.tv_nsec};
}

RegistryCache RegistryCache::Load(std::string_view keyPath) {
    RegistryCache cache;
    cache.key_ = keyPath;
    const fs::path file = File();
    const auto text = file.empty() ? std::nullopt : ReadOwnedFile(file, limits::kRegistryCache);
    if (!text) {
        return cache;
    }
    std::istringstream lines(*text);
    std::string header;
    std::string key;
    if (!std::getline(lines, header) || header != kHeader || !std::getline(lines, key) ||
        key != keyPath) {
        NoteDiscovery(file, "skipped: not a cache of this search");
        return cache;
    }
    Entry entry;
    while (lines >> std::get<0>(entry) >> std::get<1>(entry) >> std::get<2>(entry) >>
           std::get<3>(entry) >> std::get<4>(entry) >> std::get<5>(entry) >> std::get<6>(entry)) {
        cache.loaded_.insert(entry);
    }
    return cache;
}

bool RegistryCache::LacksKey(const struct stat& registry) const {
    const Entry entry = EntryOf(registry);
    if (loaded_.count(entry) == 0) {
        return false;
    }
    seen_.insert(entry);
    return true;
}

void RegistryCache::NoteLacksKey(const struct stat& registry) {
    const auto settled = std::chrono::system_clock::now() - kSettleTime;
    const auto written = std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(registry.st_mtim.tv_sec) +
            std::chrono::nanoseconds(registry.st_mtim.tv_nsec)));
    if (written < settled) {
        seen_.insert(EntryOf(registry));
    }
}

void RegistryCache::Save() const {
    const fs::path file = File();
    if (file.empty() || seen_ == loaded_ || !OwnFolder(file.parent_path())) {
        return;
    }
    std::ostringstream text;
    text << kHeader << '\n' << key_ << '\n';
    for (const Entry& entry : seen_) {
        text << std::get<0>(entry) << ' ' << std::get<1>(entry) << ' ' << std::get<2>(entry) << ' '
             << std::get<3>(entry) << ' ' << std::get<4>(entry) << ' ' << std::get<5>(entry) << ' '
             << std::get<6>(entry) << '\n';
    }
    // Written beside it and renamed over it, so that a reader finds the old cache or the new one.
    std::string temporary = file.string() + ".XXXXXX";
    const UniqueFd fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!fd.IsOpen()) {
        return;
    }
    if (!fileops::WriteFully(fd.Get(), text.str()) ||
        ::rename(temporary.c_str(), file.c_str()) != 0) {
        ::unlink(temporary.c_str());
    }
}

} // namespace tmt::platform
