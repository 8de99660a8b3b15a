// The program's own start-up, up to the first shown main window, then out. With --until-found it
// stays until the search for installations beside the window has ended.
#include "app/UMain.h"

#include "app/StartUp.h"
#include "platform/qt/MessageBox.h"

#include <QApplication>
#include <QTimer>

#include <string_view>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    PrepareApplication();
    bool untilFound = false;
    for (int i = 1; i < argc; ++i) {
        // Without an installation the start-up shows its error box; answered at once, it does
        // not wait for a person.
        if (std::string_view(argv[i]) == "--answer-boxes") {
            tmt::ui::MessageBox::SetTestMode(true);
        }
        untilFound = untilFound || std::string_view(argv[i]) == "--until-found";
    }
    TFormMain mainWindow;
    mainWindow.show();
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (!untilFound || !mainWindow.Searching()) {
            QApplication::quit();
        }
    });
    check.start(untilFound ? 1 : 0);
    return QApplication::exec();
}
