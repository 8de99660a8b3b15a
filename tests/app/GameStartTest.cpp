// The main window starts the game from its folder, with no command-line tail, once per press.
#include "app/UMain.h"

#include "platform/OwnExecutable.h"
#include "platform/qt/MessageBox.h"
#include "tests/support/GameStarts.h"
#include "tests/support/TestPrefix.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

namespace {

using tmt::ui::MessageBox;

class GameStartTest : public ::testing::Test {
protected:
    void SetUp() override {
        MessageBox::TakeShown();
        tmt::platform::SetOwnExecutablePathForTesting("C:\\Tools\\tunemora-tools");
    }
    void TearDown() override { tmt::platform::SetOwnExecutablePathForTesting(""); }

    std::unique_ptr<TFormMain> Open() { return std::make_unique<TFormMain>(); }
    static QPushButton* Button(const TFormMain& form, const char* name) {
        return form.findChild<QPushButton*>(name);
    }

    tmt::test::TestPrefix prefix;
};

bool EndsTheProgram(const std::function<void()>& action) {
    QTimer::singleShot(0, action);
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, [] { QApplication::exit(99); });
    safety.start(5000);
    return QApplication::exec() == 0;
}

TEST_F(GameStartTest, RunStartsTheGameFromItsFolder) {
    const auto folder = prefix.MakeGameFolder("Program Files/Tune Mora");
    prefix.WriteInstallKey(R"("C:\\Program Files\\Tune Mora")", R"("1.1")");
    tmt::test::GameStarts starts;
    const auto form = Open();
    QTest::mouseClick(Button(*form, "bRun"), Qt::LeftButton);
    QTest::mouseClick(Button(*form, "bRun"), Qt::LeftButton);
    const auto started = starts.WaitForStarts(2, std::chrono::seconds(10));
    ASSERT_EQ(started.size(), 2u);
    for (const auto& start : started) {
        ASSERT_EQ(start.arguments.size(), 1u) << "no command-line tail";
        EXPECT_EQ(std::filesystem::canonical(start.arguments[0]),
                  std::filesystem::canonical(folder / "Tunemora.exe"));
        EXPECT_EQ(std::filesystem::canonical(start.workingDirectory),
                  std::filesystem::canonical(folder));
    }
    EXPECT_TRUE(MessageBox::TakeShown().empty());
}

TEST_F(GameStartTest, EnterPressesTheFocusedButton) {
    prefix.MakeGameFolder("Games/TuneMora");
    prefix.WriteInstallKey(R"("C:\\Games\\TuneMora")", R"("1.1")");
    tmt::test::GameStarts starts;
    const auto form = Open();
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    const auto press = [](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    };
    // "Run Tunemora" is the fifth stop; Return and the keypad's Enter both press it.
    for (int i = 0; i < 4; ++i) {
        press(Qt::Key_Tab);
    }
    ASSERT_EQ(QApplication::focusWidget(), Button(*form, "bRun"));
    press(Qt::Key_Return);
    press(Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(starts.WaitForStarts(2, std::chrono::seconds(10)).size(), 2u);
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), Button(*form, "bExit"));
    EXPECT_TRUE(EndsTheProgram([&] { press(Qt::Key_Return); }));
}

} // namespace
