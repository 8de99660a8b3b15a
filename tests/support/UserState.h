#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tmt::test {

// Everything a program could keep settings of its own in, watched from the making of this object
// on: on Linux a home folder of the watch's own, set as HOME with no XDG_ folder named beside it;
// on Windows the user's application data (the profile's AppData) and registry hive
// (HKEY_CURRENT_USER) as they are. The system's temporary folder is left out: tests work there.
class UserStateWatch {
public:
    UserStateWatch();
    ~UserStateWatch();
    UserStateWatch(const UserStateWatch&) = delete;
    UserStateWatch& operator=(const UserStateWatch&) = delete;

    // What was added, changed or removed since the watch began, one line each.
    std::vector<std::string> Changes() const;

private:
    struct Saved;
    std::unique_ptr<Saved> saved_;
    std::map<std::string, std::string> before_;
};

// What a watch watches as it is now: each file, folder, registry key and value by its name, with
// what it holds.
std::map<std::string, std::string> UserState();

} // namespace tmt::test
