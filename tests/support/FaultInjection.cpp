#include "tests/support/FaultInjection.h"

#include <cstddef>

namespace tmt::test {

namespace {

struct Plan {
    std::array<int, kEveryCall.size()> seen{};
    std::function<void(Call)> before;
    bool failing = false;
    Call call = Call::Read;
    int n = 0;
    int error = 0;
};
Plan plan;

int Hook(Call call) {
    if (plan.before) {
        plan.before(call);
    }
    const int seen = ++plan.seen[static_cast<std::size_t>(call)];
    return plan.failing && call == plan.call && seen == plan.n ? plan.error : 0;
}

void Start(Plan next) {
    plan = std::move(next);
    platform::fileops::SetFaultHook(Hook);
}

void Stop() {
    platform::fileops::SetFaultHook(nullptr);
    plan = {};
}

} // namespace

const char* CallName(Call call) {
    switch (call) {
    case Call::Read:
        return "read";
    case Call::Create:
        return "create";
    case Call::Write:
        return "write";
    case Call::Flush:
        return "flush";
    case Call::Rename:
        return "rename";
    case Call::Remove:
        return "remove";
    case Call::MakeFolder:
        return "make folder";
    }
    return "?";
}

CallCounter::CallCounter(std::function<void(Call)> before) {
    Plan counting;
    counting.before = std::move(before);
    Start(std::move(counting));
}

CallCounter::~CallCounter() {
    Stop();
}

int CallCounter::Count(Call call) const {
    return plan.seen[static_cast<std::size_t>(call)];
}

FailNthCall::FailNthCall(Call call, int n, int error) {
    Plan failing;
    failing.failing = true;
    failing.call = call;
    failing.n = n;
    failing.error = error;
    Start(std::move(failing));
}

FailNthCall::~FailNthCall() {
    Stop();
}

} // namespace tmt::test
