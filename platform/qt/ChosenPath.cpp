#include "platform/qt/ChosenPath.h"

#include "platform/FileSystem.h"

#include <QFileDialog>
#include <QSettings>

namespace tmt::ui {

namespace {

// Qt's file dialog writes the folder, history and view of its last use into the user's settings
// of Qt (~/.config/QtProject.conf) when it closes. The tool keeps no settings, so those settings
// are placed where no file can be made, and nothing is written.
void KeepNoDialogState() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
}

} // namespace

std::string GamePathOf(const QString& hostPath) {
    // Through UTF-8 explicitly: a narrow path is in the system's code page on Windows.
    const QByteArray utf8 = hostPath.toUtf8();
    return platform::ToGamePath(std::u8string(utf8.begin(), utf8.end()));
}

std::optional<std::string> ChooseGamePath(QFileDialog& dialog) {
    KeepNoDialogState();
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return GamePathOf(dialog.selectedFiles().constFirst());
}

} // namespace tmt::ui
