#pragma once

#include <optional>
#include <string>

class QFileDialog;
class QString;

namespace tmt::ui {

// A path that Qt hands over (a file dialog's current or chosen file), in the game's path form.
std::string GamePathOf(const QString& hostPath);

// Shows Qt's file dialog and gives the file or folder the user chose, in the game's path form;
// nothing when the user cancels. Nothing of the dialog's state is kept.
std::optional<std::string> ChooseGamePath(QFileDialog& dialog);

} // namespace tmt::ui
