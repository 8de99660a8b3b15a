// The program's own start-up, up to the first shown main window, then out.
#include "app/UMain.h"

#include "app/StartUp.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    PrepareApplication();
    TFormMain mainWindow;
    mainWindow.show();
    QTimer::singleShot(0, &application, &QApplication::quit);
    return QApplication::exec();
}
