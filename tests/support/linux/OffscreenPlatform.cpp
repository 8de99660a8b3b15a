#include "tests/support/OffscreenPlatform.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QtGlobal>

namespace tmt::test {

void ChooseOffscreenPlatform() {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    }
}

bool OnSystemScreen() {
    return QGuiApplication::platformName() == QStringLiteral("xcb");
}

} // namespace tmt::test
