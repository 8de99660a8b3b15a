#include "tests/support/FaultInjection.h"

namespace tmt::test {

namespace {
struct Plan {
    platform::fileops::Call call;
    int n;
    int error;
    int seen;
};
Plan plan{};

int Hook(platform::fileops::Call call) {
    if (call != plan.call) {
        return 0;
    }
    return ++plan.seen == plan.n ? plan.error : 0;
}
} // namespace

FailNthCall::FailNthCall(platform::fileops::Call call, int n, int error) {
    plan = {call, n, error, 0};
    platform::fileops::SetFaultHook(Hook);
}

FailNthCall::~FailNthCall() {
    platform::fileops::SetFaultHook(nullptr);
}

int FailNthCall::CallsSeen() const {
    return plan.seen;
}

} // namespace tmt::test
