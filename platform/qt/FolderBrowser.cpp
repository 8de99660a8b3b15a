#include "platform/qt/FolderBrowser.h"

#include "platform/qt/ChosenPath.h"

#include <QFileDialog>

namespace tmt::ui {

// Where the system has no shell folder chooser, Qt's own dialog is made to look like it.
std::optional<std::string> BrowseForFolder(QWidget* owner, const QString& text) {
    QFileDialog dialog(owner);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog |
                      QFileDialog::ReadOnly);
    dialog.setLabelText(QFileDialog::LookIn, text);
    // The shell's chooser offers folders only: no button for a new one, no row of file types.
    for (const char* name : {"newFolderButton", "fileTypeLabel", "fileTypeCombo"}) {
        if (auto* widget = dialog.findChild<QWidget*>(QString::fromLatin1(name))) {
            widget->hide();
        }
    }
    return ChooseGamePath(dialog);
}

} // namespace tmt::ui
