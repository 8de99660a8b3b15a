#include "platform/RunningPrograms.h"

#include "tests/support/TempDir.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace {

namespace fs = std::filesystem;
using tmt::platform::IsProgramRunning;

// The user of the processes that belong to no one who logs in.
constexpr uid_t kNobody = 65534;

// A process that looks to the proc file system as Wine's process of a Windows program does (the
// file mapped, the program's name as its own), run by this user or by another, until the object
// goes. Wine itself is in the window tests; here the rules about users are checked as root.
class ProcessMapping {
public:
    enum class User { Self, OtherReadable, OtherUnreadable };

    ProcessMapping(const fs::path& file, const char* name, User user) {
        int ready[2];
        if (::pipe(ready) != 0) {
            throw std::runtime_error("no pipe");
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            const int fd = ::open(file.c_str(), O_RDONLY);
            void* mapped = ::mmap(nullptr, 1, PROT_READ, MAP_PRIVATE, fd, 0);
            ::prctl(PR_SET_NAME, name);
            if (user != User::Self && (::setresgid(kNobody, kNobody, kNobody) != 0 ||
                                       ::setresuid(kNobody, kNobody, kNobody) != 0)) {
                ::_exit(1);
            }
            // A process that changed its user is closed to others, and its folder in /proc
            // belongs to root, until it opens itself again.
            if (user == User::OtherReadable) {
                ::prctl(PR_SET_DUMPABLE, 1);
            }
            const char up = mapped != MAP_FAILED ? 'y' : 'n';
            [[maybe_unused]] const ssize_t written = ::write(ready[1], &up, 1);
            ::pause();
            ::_exit(0);
        }
        ::close(ready[1]);
        char up = 'n';
        [[maybe_unused]] const ssize_t got = ::read(ready[0], &up, 1);
        ::close(ready[0]);
        EXPECT_EQ(up, 'y');
    }
    ~ProcessMapping() {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    ProcessMapping(const ProcessMapping&) = delete;
    ProcessMapping& operator=(const ProcessMapping&) = delete;

private:
    pid_t pid_ = -1;
};

class RunningProgramsTest : public ::testing::Test {
protected:
    void SetUp() override {
        game = folder.Path() / "Tunemora.exe";
        tmt::test::WriteFile(game, "MZ game");
        copy = folder.Path() / "copy" / "Tunemora.exe";
        tmt::test::WriteFile(copy, "MZ game");
    }

    tmt::test::TempDir folder;
    fs::path game;
    fs::path copy;
};

TEST_F(RunningProgramsTest, TheProgramFileMappedByAProcessOfOursRuns) {
    EXPECT_FALSE(IsProgramRunning(game.string()));
    {
        // Wine names the process as the command line spells the program.
        const ProcessMapping process(game, "TUNEMORA.EXE", ProcessMapping::User::Self);
        EXPECT_TRUE(IsProgramRunning(game.string()));
        // A copy of the game is another game, with files of its own.
        EXPECT_FALSE(IsProgramRunning(copy.string()));
    }
    EXPECT_FALSE(IsProgramRunning(game.string()));
    EXPECT_FALSE(IsProgramRunning((folder.Path() / "missing.exe").string()));
}

TEST_F(RunningProgramsTest, OnlyAProcessNamedAfterTheProgramIsLookedAt) {
    // The file mapped into any process, a program's library say, is not the program running.
    const ProcessMapping process(game, "wineserver", ProcessMapping::User::Self);
    EXPECT_FALSE(IsProgramRunning(game.string()));
}

// Root may read every process; the program looks only at its user's, whether the system would
// let it read another's or not.
TEST_F(RunningProgramsTest, AnotherUsersProcessIsNeverLookedInto) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to run a process as another user";
    }
    for (const auto user :
         {ProcessMapping::User::OtherReadable, ProcessMapping::User::OtherUnreadable}) {
        const ProcessMapping process(game, "Tunemora.exe", user);
        EXPECT_FALSE(IsProgramRunning(game.string()));
    }
}

} // namespace
