#include "app/UMain.h"

#include "platform/Random.h"
#include "platform/qt/ApplicationTitle.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    tmt::SeedRandomFromClock();
    tmt::ui::SetApplicationTitle(QStringLiteral("TuneMora Tools "));
    TFormMain mainWindow;
    mainWindow.show();
    return QApplication::exec();
}
