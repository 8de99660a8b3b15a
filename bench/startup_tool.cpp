// The program's own start-up, up to the first shown main window, then out.
#include "app/UMain.h"

#include "platform/Random.h"
#include "platform/qt/ApplicationTitle.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    tmt::SeedRandomFromClock();
    tmt::ui::SetApplicationTitle(QStringLiteral("TuneMora Tools "));
    TFormMain mainWindow;
    mainWindow.show();
    QTimer::singleShot(0, &application, &QApplication::quit);
    return QApplication::exec();
}
