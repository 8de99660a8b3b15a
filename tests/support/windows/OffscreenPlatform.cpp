#include "tests/support/OffscreenPlatform.h"

#include <QByteArray>
#include <QDir>
#include <QGuiApplication>
#include <QString>

#include <windows.h>

namespace tmt::test {

// Chosen here rather than by the test command, since Wine hands no QT_ variable to a Windows
// program. On Windows the offscreen platform draws text only with the fonts of one folder: the
// desktop's sans-serif fonts that the build puts beside the test programs. The system's font
// folder, where Tahoma lies, stays out of it, so that Tahoma is only what the program loads.
void ChooseOffscreenPlatform() {
    if (qgetenv("TM_TEST_PLATFORM") == "windows") {
        return;
    }
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    wchar_t self[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const QString folder = QString::fromWCharArray(self, static_cast<int>(length));
    const QString fonts = folder.left(folder.lastIndexOf(u'\\')) + QStringLiteral("\\fonts");
    qputenv("QT_QPA_FONTDIR", QDir::toNativeSeparators(fonts).toLocal8Bit());
}

bool OnSystemScreen() {
    return QGuiApplication::platformName() == QStringLiteral("windows");
}

} // namespace tmt::test
