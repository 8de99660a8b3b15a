#include "tests/support/GameLocale.h"

#include <cstdlib>

namespace tmt::test {

GameLocale::GameLocale(const std::string& lang, Installed installed) {
    for (const char* name : {"LANG", "LC_ALL", "LC_CTYPE", "LOCPATH"}) {
        const char* value = std::getenv(name);
        saved_[name] = value != nullptr ? std::optional<std::string>(value) : std::nullopt;
    }
    if (installed == Installed::Yes) {
        std::filesystem::create_directory_symlink("/usr/lib/locale/C.utf8", locales_.Path() / lang);
    }
    ::unsetenv("LC_ALL");
    ::unsetenv("LC_CTYPE");
    ::setenv("LANG", lang.c_str(), 1);
    ::setenv("LOCPATH", locales_.Path().c_str(), 1);
}

GameLocale::~GameLocale() {
    for (const auto& [name, value] : saved_) {
        if (value) {
            ::setenv(name.c_str(), value->c_str(), 1);
        } else {
            ::unsetenv(name.c_str());
        }
    }
}

} // namespace tmt::test
