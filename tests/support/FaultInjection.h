#pragma once

#include "platform/linux/FileOps.h"

namespace tmt::test {

// Makes the n-th call of a kind (counted from 1 while the object lives) fail with `error`.
class FailNthCall {
public:
    FailNthCall(platform::fileops::Call call, int n, int error);
    ~FailNthCall();
    FailNthCall(const FailNthCall&) = delete;
    FailNthCall& operator=(const FailNthCall&) = delete;

    int CallsSeen() const;
};

} // namespace tmt::test
