#include "settings/FolderChooser.h"

#include "platform/qt/ChosenPath.h"

#include <QFileDialog>

namespace tmt::ui {

namespace {
std::function<std::optional<std::string>()>& TestAnswer() {
    static std::function<std::optional<std::string>()> answer;
    return answer;
}
} // namespace

std::optional<std::string> ChooseFolder(QWidget* owner, const QString& text) {
    if (TestAnswer()) {
        return TestAnswer()();
    }
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

void SetFolderChooserForTesting(std::function<std::optional<std::string>()> answer) {
    TestAnswer() = std::move(answer);
}

} // namespace tmt::ui
