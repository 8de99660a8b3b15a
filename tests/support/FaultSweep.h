#pragma once

#include "core/Error.h"
#include "tests/support/FaultInjection.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>
#include <string>

namespace tmt::test {

struct Fault {
    Call call;
    int n;
    int error;
};

inline std::string Describe(const Fault& fault) {
    return "call " + std::to_string(fault.n) + " of " + CallName(fault.call) + " fails with " +
           std::strerror(fault.error);
}

// The message of the error `work` raises; empty when it raises none.
template <typename Work> std::string ErrorOf(Work work) {
    try {
        work();
    } catch (const Error& error) {
        return error.what();
    }
    return {};
}

inline std::optional<std::string> ContentOf(const std::filesystem::path& file) {
    return std::filesystem::exists(file) ? std::optional(ReadFile(file)) : std::nullopt;
}

// Every content a file has while `work` runs: before each file call and at the end (absent
// counts as a content of its own). A fault may stop the work between any two calls, so these are
// the only contents the file may be left with.
template <typename Work>
std::set<std::optional<std::string>> ContentsDuring(const std::filesystem::path& file, Work work) {
    std::set<std::optional<std::string>> contents;
    const auto look = [&] {
        contents.insert(ContentOf(file));
    };
    {
        const CallCounter counter([&](Call) { look(); });
        work();
    }
    look();
    return contents;
}

// Temporary files of replacements, and journals of rewrites in place, left in a folder.
inline int TemporariesIn(const std::filesystem::path& folder) {
    int found = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        found += name.find(".tmp-") != std::string::npos || name.ends_with(".journal") ? 1 : 0;
    }
    return found;
}

// Runs an operation once without a fault, counting its file calls, and then once for each of
// those calls failing with ENOSPC, EIO and EACCES in turn. Before every run `setUp` lays out the
// files afresh; `run` does the operation and returns the error it reported (empty for none), and
// `check` judges the outcome: with no fault, or with the one that was injected. The number of
// faults injected is printed, so the log shows how far each sweep went.
template <typename SetUp, typename Run, typename Check>
void SweepEveryCall(const char* operation, SetUp setUp, Run run, Check check) {
    setUp();
    std::array<int, kEveryCall.size()> counts{};
    std::string reported;
    {
        const CallCounter counter;
        reported = run();
        for (std::size_t kind = 0; kind < kEveryCall.size(); ++kind) {
            counts[kind] = counter.Count(kEveryCall[kind]);
        }
    }
    check(std::optional<Fault>(), reported);
    int faults = 0;
    for (std::size_t kind = 0; kind < kEveryCall.size(); ++kind) {
        for (int n = 1; n <= counts[kind]; ++n) {
            for (const int error : {ENOSPC, EIO, EACCES}) {
                const Fault fault{kEveryCall[kind], n, error};
                SCOPED_TRACE(std::string(operation) + ": " + Describe(fault));
                setUp();
                {
                    const FailNthCall failing(fault.call, fault.n, fault.error);
                    reported = run();
                }
                check(std::optional(fault), reported);
                ++faults;
            }
        }
    }
    std::printf("[ faults   ] %s: %d injected\n", operation, faults);
    EXPECT_GT(faults, 0) << operation << " made no file call at all";
}

} // namespace tmt::test
