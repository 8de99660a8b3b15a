#pragma once

#include "platform/linux/FileOps.h"

#include <array>
#include <functional>
#include <string>

namespace tmt::test {

using platform::fileops::Call;
inline constexpr std::array kEveryCall = {Call::Read,   Call::Create, Call::Write,     Call::Flush,
                                          Call::Rename, Call::Remove, Call::MakeFolder};
const char* CallName(Call call);

// Counts the file calls of each kind made while it lives, and tells `before` of each one before
// it is made.
class CallCounter {
public:
    explicit CallCounter(std::function<void(Call)> before = {});
    ~CallCounter();
    CallCounter(const CallCounter&) = delete;
    CallCounter& operator=(const CallCounter&) = delete;

    int Count(Call call) const;
};

// Makes the n-th call of a kind (counted from 1 while the object lives) fail with `error`.
class FailNthCall {
public:
    FailNthCall(Call call, int n, int error);
    ~FailNthCall();
    FailNthCall(const FailNthCall&) = delete;
    FailNthCall& operator=(const FailNthCall&) = delete;
};

} // namespace tmt::test
