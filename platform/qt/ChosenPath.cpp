#include "platform/qt/ChosenPath.h"

#include "platform/FileSystem.h"

#include <QFileDialog>

namespace tmt::ui {

std::string GamePathOf(const QString& hostPath) {
    return platform::ToGamePath(hostPath.toStdString());
}

std::optional<std::string> ChooseGamePath(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return GamePathOf(dialog.selectedFiles().constFirst());
}

} // namespace tmt::ui
