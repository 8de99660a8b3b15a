#pragma once

#include "platform/Installations.h"
#include "platform/Shell.h"
#include "tests/support/FakeHome.h"
#include "tests/support/FakeRunners.h"
#include "tests/support/ManagerRecords.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tmt::test {

// A fake home with stand-in runners, in which the managers' records are laid out and the game is
// started as the windows start it.
class ManagerTest : public ::testing::Test {
protected:
    using Start = FakeRunners::Start;

    void TearDown() override { platform::UseInstallation(nullptr); }

    std::filesystem::path Home() const { return home.Path(); }

    static std::vector<std::string> Sources(const std::vector<platform::Installation>& found) {
        std::vector<std::string> sources;
        for (const platform::Installation& installation : found) {
            sources.push_back(installation.source);
        }
        return sources;
    }

    static std::vector<platform::Installation> Find() {
        return platform::FindInstallations("SOFTWARE\\\\TuneMora");
    }

    static bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
        std::error_code error;
        return std::filesystem::equivalent(a, b, error);
    }

    // Starts the game of `installation` with the switches as the windows do.
    platform::StartResult StartGame(const platform::Installation& installation,
                                    const std::string& switches) {
        platform::UseInstallation(&installation);
        return platform::ShellOpen("\"" + installation.installDir + "\\Tunemora.exe\"", switches,
                                   "\"" + installation.installDir + "\"");
    }

    // The one start that `installation` makes with `switches`.
    Start StartedBy(const platform::Installation& installation,
                    const std::string& switches = " -OpenGL  -debug") {
        const std::size_t before = runners.Starts().size();
        const platform::StartResult result = StartGame(installation, switches);
        EXPECT_TRUE(result.started) << result.reason;
        const auto starts = runners.WaitForStarts(before + 1);
        EXPECT_EQ(starts.size(), before + 1);
        return starts.empty() ? Start{} : starts.back();
    }

    // The runners first, so that PATH is theirs to restore last.
    FakeRunners runners;
    FakeHome home;
};

} // namespace tmt::test
