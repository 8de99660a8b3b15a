#pragma once

#include <chrono>
#include <optional>

namespace tmt::platform {

// One search asks Wine servers against one deadline, whatever the number of prefixes: the clock
// starts with the first question, and a search whose servers do not answer ends within it.
class ServerDeadline {
public:
    ServerDeadline();

    // When the time is up; the first call starts the clock.
    std::chrono::steady_clock::time_point End();
    bool Passed() const;

    // The time a search may spend on servers; a test makes it short.
    static std::chrono::milliseconds Limit();
    static void SetLimit(std::chrono::milliseconds limit);

private:
    std::optional<std::chrono::steady_clock::time_point> end_;
};

} // namespace tmt::platform
