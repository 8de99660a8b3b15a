#pragma once

#include "app/UMain.h"
#include "platform/qt/MessageBox.h"
#include "tests/support/OutsideGamesTest.h"
#include "tests/support/TestPrefix.h"
#include "tests/support/WaitForSearch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

namespace tmt::test {

// Window tests start here: a prefix with the game installed on drive C:, the program standing
// outside any game folder, and the main window created on it, as the tool windows expect.
class GameWindowTest : public OutsideGamesTest {
protected:
    explicit GameWindowTest(std::string folder = "Games/TuneMora", PrefixUse use = PrefixUse::Files)
        : prefix(use), folder_(std::move(folder)) {}

    void SetUp() override {
        OutsideGamesTest::SetUp();
        game = prefix.MakeGameFolder(folder_);
        std::string registryPath = "C:\\\\" + folder_;
        for (std::size_t at = 0; (at = registryPath.find('/', at)) != std::string::npos;) {
            registryPath.replace(at, 1, "\\\\");
        }
        prefix.WriteInstallKey("\"" + registryPath + "\"", R"("1.1")");
        main = std::make_unique<TFormMain>();
        WaitForSearch(*main);
        ui::MessageBox::TakeShown();
    }
    TestPrefix prefix;
    std::filesystem::path game;
    std::unique_ptr<TFormMain> main;

private:
    std::string folder_;
};

} // namespace tmt::test
