#include "tests/app/EveryWindow.h"

#include "about/UAbout.h"
#include "app/UChooseInstallation.h"
#include "launch/URunSpecial.h"
#include "maintenance/UMaintenance.h"
#include "profiles/UProfile.h"
#include "profiles/UProfileManager.h"
#include "settings/UConfigure.h"

#include <QAbstractButton>
#include <QTest>

#include <functional>
#include <map>

namespace tmt::test {

namespace {

using Factory = std::function<std::unique_ptr<QWidget>(QWidget* owner)>;

template <typename Window> Factory Make() {
    return [](QWidget* owner) {
        return std::make_unique<Window>(owner);
    };
}

const std::map<std::string, Factory>& ToolWindows() {
    static const std::map<std::string, Factory> windows = {
        {"TFConfigure", Make<TFConfigure>()},
        {"TFProfileManager", Make<TFProfileManager>()},
        {"TFProfile", Make<TFProfile>()},
        {"TFRunSpecial", Make<TFRunSpecial>()},
        {"TFMaintenance", Make<TFMaintenance>()},
        {"TFormAbout", Make<TFormAbout>()},
        {"TFChooseInstallation",
         [](QWidget* owner) {
             const std::vector<platform::Installation> found = {
                 {"Wine", "/home/player/.wine", "C:\\Games\\TuneMora", "1.1", nullptr},
                 {"Steam: TuneMora",
                  "/home/player/.local/share/Steam/steamapps/compatdata/1000/pfx",
                  "C:\\Program Files (x86)\\TuneMora", "1.2", nullptr}};
             return std::make_unique<TFChooseInstallation>(owner, found);
         }},
    };
    return windows;
}

} // namespace

const std::vector<std::string>& EveryWindowName() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all{"TFormMain"};
        for (const auto& [name, factory] : ToolWindows()) {
            all.push_back(name);
        }
        return all;
    }();
    return names;
}

void EveryWindowTest::TearDown() {
    window_.reset();
    GameWindowTest::TearDown();
}

QWidget& EveryWindowTest::Open(const std::string& className) {
    QWidget* window = main.get();
    if (className != "TFormMain") {
        window_ = ToolWindows().at(className)(main.get());
        window = window_.get();
    }
    window->show();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window)) << className;
    return *window;
}

QString EveryWindowTest::NameOf(const QWidget& widget) {
    if (!widget.objectName().isEmpty() || widget.parentWidget() == nullptr) {
        return widget.objectName();
    }
    const auto* button = qobject_cast<const QAbstractButton*>(&widget);
    return widget.parentWidget()->objectName() + ":" + (button ? button->text() : QString());
}

} // namespace tmt::test
