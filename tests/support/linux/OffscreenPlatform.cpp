#include "tests/support/OffscreenPlatform.h"

#include <QByteArray>
#include <QtGlobal>

namespace tmt::test {

void ChooseOffscreenPlatform() {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    }
}

} // namespace tmt::test
