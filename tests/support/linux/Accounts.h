#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace tmt::test {

// Accounts that need no entry in /etc/passwd: fixed ids from the range that Debian leaves to
// dynamic allocation and adduser never hands out. The test command runs as root and acts as them
// through setpriv, so that ownership counts as it does for a person.
struct Account {
    uid_t uid;
    gid_t gid;
};
// The user who runs the tool.
inline constexpr Account kPlayer{3800001, 3800001};
// Another account on the same machine.
inline constexpr Account kStranger{3800002, 3800002};

// Only root can act as other accounts.
bool CanActAsAccounts();

// Gives `path` and, for a folder, everything below it to `account`; links themselves, never what
// they point at.
void GiveTo(const std::filesystem::path& path, const Account& account);

struct AccountRun {
    int status = -1;       // the exit status, or -1 when it did not exit by itself
    bool timedOut = false; // still running after the guard time, and ended
    std::string out;
    std::string err;
};

// `texts` as execve takes an argument or environment list: pointers into them, then a null one.
// Made before fork; `texts` must outlive it.
std::vector<char*> ExecPointers(std::vector<std::string>& texts);

// Runs `arguments` (the program's absolute path first) with nothing but `environment` (NAME=value
// entries), its standard input empty, and returns what it wrote. A run that outlasts `guard` is
// ended with its process group, so that a program that hangs fails its test instead of holding
// the suite.
AccountRun RunProgram(const std::vector<std::string>& arguments,
                      const std::vector<std::string>& environment,
                      std::chrono::seconds guard = std::chrono::seconds(60));
// The same as `account`, through setpriv.
AccountRun RunAs(const Account& account, const std::vector<std::string>& arguments,
                 const std::vector<std::string>& environment,
                 std::chrono::seconds guard = std::chrono::seconds(60));

} // namespace tmt::test
