#include "tests/support/UserState.h"

#include "tests/support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace tmt::test {

namespace {

namespace fs = std::filesystem;

// The variables that name where programs keep their settings, caches and data.
constexpr const char* kPlaces[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                                   "XDG_STATE_HOME"};

} // namespace

struct UserStateWatch::Saved {
    TempDir home;
    std::map<std::string, std::optional<std::string>> variables;
};

UserStateWatch::UserStateWatch() : saved_(std::make_unique<Saved>()) {
    for (const char* name : kPlaces) {
        const char* value = std::getenv(name);
        saved_->variables[name] = value ? std::optional<std::string>(value) : std::nullopt;
        ::unsetenv(name);
    }
    ::setenv("HOME", saved_->home.Path().c_str(), 1);
    before_ = UserState();
}

UserStateWatch::~UserStateWatch() {
    for (const auto& [name, value] : saved_->variables) {
        if (value) {
            ::setenv(name.c_str(), value->c_str(), 1);
        } else {
            ::unsetenv(name.c_str());
        }
    }
}

std::map<std::string, std::string> UserState() {
    std::map<std::string, std::string> state;
    const fs::path home = std::getenv("HOME");
    for (const auto& entry : fs::recursive_directory_iterator(home)) {
        const std::string name = entry.path().string();
        if (entry.is_symlink()) {
            state[name] = "-> " + fs::read_symlink(entry.path()).string();
        } else if (entry.is_directory()) {
            state[name] = "/";
        } else {
            state[name] = ReadFile(entry.path());
        }
    }
    return state;
}

} // namespace tmt::test
