#include "tests/support/linux/StartedPrograms.h"

#include <sys/prctl.h>
#include <sys/wait.h>

#include <cerrno>
#include <system_error>

namespace tmt::test {

StartedPrograms::StartedPrograms() {
    if (::prctl(PR_SET_CHILD_SUBREAPER, 1) != 0) {
        throw std::system_error(errno, std::generic_category(), "PR_SET_CHILD_SUBREAPER");
    }
}

StartedPrograms::~StartedPrograms() {
    WaitUntilAllEnded();
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
}

void StartedPrograms::WaitUntilAllEnded() const {
    while (::waitpid(-1, nullptr, 0) > 0 || errno == EINTR) {
    }
}

} // namespace tmt::test
