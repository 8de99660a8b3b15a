#include "app/UMain.h"

#include "app/StartUp.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    PrepareApplication();
    TFormMain mainWindow;
    mainWindow.show();
    return QApplication::exec();
}
