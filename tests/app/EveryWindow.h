#pragma once

#include "tests/support/GameWindowTest.h"

#include <QString>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

namespace tmt::test {

// The class names of every window of the program, the main window first.
const std::vector<std::string>& EveryWindowName();

// Opens any window of the program by its class name on a game installation, as the user sees it:
// shown, active, laid out. The main window is the fixture's own.
class EveryWindowTest : public GameWindowTest {
protected:
    void TearDown() override;

    QWidget& Open(const std::string& className);

    // A widget's objectName, or for the unnamed items of a radio group the group's name and the
    // item's caption ("rgRender:OpenGL").
    static QString NameOf(const QWidget& widget);

private:
    std::unique_ptr<QWidget> window_;
};

} // namespace tmt::test
