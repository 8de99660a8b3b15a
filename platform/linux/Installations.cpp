#include "platform/Installations.h"

#include "platform/linux/DiscoveryLog.h"
#include "platform/linux/Launcher.h"
#include "platform/linux/OwnedFiles.h"
#include "platform/linux/PathMap.h"
#include "platform/linux/PrefixRegistry.h"
#include "platform/linux/RegistryCache.h"
#include "platform/linux/installations/Sources.h"

#include <cstdlib>
#include <sys/stat.h>

#include <algorithm>
#include <set>
#include <utility>

namespace tmt::platform {

namespace fs = std::filesystem;
using installations::Candidate;

namespace {

std::shared_ptr<const Launcher>& Chosen() {
    static std::shared_ptr<const Launcher> chosen;
    return chosen;
}

// Where Wine itself would look: a WINEPREFIX the user set names the one prefix to use.
bool OnePrefix() {
    const char* prefix = std::getenv("WINEPREFIX");
    return prefix != nullptr && *prefix != '\0';
}

std::vector<Candidate> Candidates(const std::stop_token& stop) {
    if (OnePrefix()) {
        return {{"WINEPREFIX", Launcher::SystemWine(DefaultWinePrefix())}};
    }
    const installations::Home home = installations::Home::FromEnvironment(stop);
    std::vector<Candidate> all{{"Wine", Launcher::SystemWine(home.home / ".wine")}};
    for (auto* source : {installations::SteamPrefixes, installations::LutrisPrefixes,
                         installations::BottlesPrefixes, installations::HeroicPrefixes,
                         installations::PlayOnLinuxPrefixes}) {
        if (stop.stop_requested()) {
            break;
        }
        std::vector<Candidate> found = source(home);
        std::move(found.begin(), found.end(), std::back_inserter(all));
    }
    return all;
}

std::string TextOf(const KeyValues& values, const char* name) {
    const auto found = values.find(name);
    if (found == values.end() || found->second.type == Registry::ValueType::Other) {
        return "";
    }
    return found->second.text;
}

} // namespace

std::vector<Installation> FindInstallations(std::string_view keyPath, const std::stop_token& stop) {
    std::vector<Installation> installations;
    // A prefix is known by its folder's device and inode, whatever route led to it.
    std::set<std::pair<dev_t, ino_t>> seen;
    // The one prefix that WINEPREFIX names is read every time; the cache is for homes with many.
    std::optional<RegistryCache> cache;
    if (!OnePrefix()) {
        cache = RegistryCache::Load(keyPath);
    }
    KeySearch search{{}, cache ? &*cache : nullptr, stop};
    for (Candidate& candidate : Candidates(stop)) {
        if (stop.stop_requested()) {
            return installations;
        }
        const std::filesystem::path& prefix = candidate.launcher.prefix;
        const std::optional<struct stat> info = OwnedFolder(prefix);
        if (!info) {
            continue;
        }
        if (!seen.insert({info->st_dev, info->st_ino}).second) {
            NoteDiscovery(prefix, "skipped: the same prefix as an earlier one");
            continue;
        }
        const std::optional<KeyValues> values =
            ReadMachineKey(prefix, keyPath, candidate.launcher.winePrograms, search);
        if (!values) {
            NoteDiscovery(prefix, "skipped: no installation key (" + candidate.source + ")");
            continue;
        }
        NoteDiscovery(prefix, "taken (" + candidate.source + ")");
        installations.push_back({std::move(candidate.source), candidate.launcher.prefix.string(),
                                 TextOf(*values, "INSTALLDIR"), TextOf(*values, "INSTALLVER"),
                                 std::make_shared<const Launcher>(std::move(candidate.launcher))});
    }
    if (cache && !stop.stop_requested()) {
        cache->Save();
    }
    return installations;
}

void UseInstallation(const Installation* installation) {
    Chosen() = installation != nullptr ? installation->launcher : nullptr;
}

std::optional<std::filesystem::file_time_type> LastWriteTime(const Installation& installation,
                                                             std::string_view path) {
    if (!installation.launcher) {
        return std::nullopt;
    }
    const fs::path native = ToNativePathIn(installation.launcher->prefix, path);
    std::error_code error;
    if (!fs::is_regular_file(native, error)) {
        return std::nullopt;
    }
    const auto time = fs::last_write_time(native, error);
    return error ? std::nullopt : std::optional(time);
}

const Launcher* ChosenLauncher() {
    return Chosen().get();
}

Launcher CurrentLauncher() {
    if (const Launcher* chosen = ChosenLauncher()) {
        return *chosen;
    }
    return Launcher::SystemWine(DefaultWinePrefix());
}

} // namespace tmt::platform
