#include "platform/linux/installations/Sources.h"
#include "platform/linux/installations/Yaml.h"

namespace tmt::platform::installations {

namespace fs = std::filesystem;

namespace {

// Lutris names a game's record <slug>-<timestamp>.yml and keeps the game's title in its database;
// a record that carries a name of its own says it, else the slug stands for the game.
std::string GameName(const YAML::Node& record, const std::string& fileName) {
    if (auto name = ScalarAt(record, "name"); name && !name->empty()) {
        return *name;
    }
    std::string slug = fs::path(fileName).stem().string();
    const std::size_t dash = slug.rfind('-');
    if (dash != std::string::npos && dash + 1 < slug.size() &&
        slug.find_first_not_of("0123456789", dash + 1) == std::string::npos) {
        slug.erase(dash);
    }
    return slug;
}

} // namespace

std::vector<Candidate> LutrisPrefixes(const Home& home) {
    std::vector<Candidate> found;
    for (const fs::path& games :
         {home.config / "lutris" / "games", home.data / "lutris" / "games"}) {
        for (const std::string& name : FolderNames(games)) {
            if (home.Stopped()) {
                return found;
            }
            if (fs::path(name).extension() != ".yml") {
                continue;
            }
            const auto text = ReadOwnedFile(games / name, limits::kLutrisGame);
            const auto record = text ? ParseYaml(*text) : std::nullopt;
            if (!record) {
                continue;
            }
            const auto prefixText = ScalarAt(MapAt(*record, "game"), "prefix");
            const auto prefix = prefixText ? RecordedPath(*prefixText, home) : std::nullopt;
            if (!prefix) {
                continue;
            }
            const auto version = ScalarAt(MapAt(*record, "wine"), "version");
            // A version name is one folder below the runners; anything else means no such runner.
            const bool plainVersion = version && !version->empty() &&
                                      version->find('/') == std::string::npos && *version != "." &&
                                      *version != "..";
            const fs::path wine =
                plainVersion ? home.data / "lutris" / "runners" / "wine" / *version / "bin" / "wine"
                             : fs::path();
            found.push_back(
                {"Lutris: " + GameName(*record, name), Launcher::WineProgram(*prefix, wine)});
        }
    }
    return found;
}

} // namespace tmt::platform::installations
