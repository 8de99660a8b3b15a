#pragma once

#include "tests/support/TempDir.h"

#include <map>
#include <optional>
#include <string>

namespace tmt::test {

// Runs a test in the locale environment of a player: LANG names the locale, LC_ALL and LC_CTYPE
// are unset, and LOCPATH points at a private folder where that locale is installed, or is not.
// Wine looks only at a locale's name, so the C library's own C.utf8 serves under any name that
// declares UTF-8. The environment comes back as it was when the object goes.
class GameLocale {
public:
    enum class Installed { Yes, No };
    explicit GameLocale(const std::string& lang, Installed installed = Installed::Yes);
    ~GameLocale();
    GameLocale(const GameLocale&) = delete;
    GameLocale& operator=(const GameLocale&) = delete;

private:
    TempDir locales_;
    std::map<std::string, std::optional<std::string>> saved_;
};

} // namespace tmt::test
