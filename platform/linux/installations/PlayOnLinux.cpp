#include "platform/linux/installations/Sources.h"

namespace tmt::platform::installations {

namespace fs = std::filesystem;

namespace {

// playonlinux.cfg holds lines such as VERSION=7.0 and ARCH=amd64; the Wine of that version lives
// under ~/.PlayOnLinux/wine/linux-<arch>/<version>/.
fs::path PrefixWine(const fs::path& playOnLinux, const fs::path& prefix) {
    const auto text = ReadOwnedFile(prefix / "playonlinux.cfg", limits::kSmallText);
    if (!text) {
        return {};
    }
    std::string version;
    std::string arch = "x86";
    std::size_t at = 0;
    while (at < text->size()) {
        const std::size_t end = std::min(text->find('\n', at), text->size());
        std::string line = text->substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.rfind("VERSION=", 0) == 0) {
            version = line.substr(8);
        } else if (line.rfind("ARCH=", 0) == 0) {
            arch = line.substr(5);
        }
    }
    const auto plain = [](const std::string& name) {
        return !name.empty() && name.find('/') == std::string::npos && name != "." && name != "..";
    };
    if (!plain(version) || !plain(arch)) {
        return {};
    }
    return playOnLinux / "wine" / ("linux-" + arch) / version / "bin" / "wine";
}

} // namespace

std::vector<Candidate> PlayOnLinuxPrefixes(const Home& home) {
    const fs::path playOnLinux = home.home / ".PlayOnLinux";
    std::vector<Candidate> found;
    for (const std::string& name : FolderNames(playOnLinux / "wineprefix")) {
        if (home.Stopped()) {
            break;
        }
        const fs::path prefix = playOnLinux / "wineprefix" / name;
        if (IsFolder(prefix)) {
            found.push_back({"PlayOnLinux: " + name,
                             Launcher::WineProgram(prefix, PrefixWine(playOnLinux, prefix))});
        }
    }
    return found;
}

} // namespace tmt::platform::installations
