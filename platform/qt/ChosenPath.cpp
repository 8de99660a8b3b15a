#include "platform/qt/ChosenPath.h"

#include "platform/FileSystem.h"

#include <QFileDialog>

namespace tmt::ui {

std::string GamePathOf(const QString& hostPath) {
    // Through UTF-8 explicitly: a narrow path is in the system's code page on Windows.
    const QByteArray utf8 = hostPath.toUtf8();
    return platform::ToGamePath(std::u8string(utf8.begin(), utf8.end()));
}

std::optional<std::string> ChooseGamePath(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return GamePathOf(dialog.selectedFiles().constFirst());
}

} // namespace tmt::ui
