#include "tests/support/OffscreenPlatform.h"

#include <QtGlobal>

namespace tmt::test {

void ChooseOffscreenPlatform() {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

} // namespace tmt::test
