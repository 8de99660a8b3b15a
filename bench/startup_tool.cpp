// The program's own start-up, up to the first shown main window, then out.
#include "app/UMain.h"

#include "app/StartUp.h"
#include "platform/qt/MessageBox.h"

#include <QApplication>
#include <QTimer>

#include <string_view>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    PrepareApplication();
    // Without an installation the start-up shows its error box; answered at once, it does not
    // wait for a person.
    if (argc > 1 && std::string_view(argv[1]) == "--answer-boxes") {
        tmt::ui::MessageBox::SetTestMode(true);
    }
    TFormMain mainWindow;
    mainWindow.show();
    QTimer::singleShot(0, &application, &QApplication::quit);
    return QApplication::exec();
}
