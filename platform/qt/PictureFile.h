#pragma once

#include <optional>
#include <string>

class QWidget;

namespace tmt::ui {

// The system's picture-file open dialog: one type of file, "JPEG Image File " (*.jpg, *.jpeg), an
// existing file must be picked, resizable, with a preview of the selected picture. No title and
// no start folder are set. The picked file comes back in the game's path form; nothing when the
// user cancels.
std::optional<std::string> OpenPictureFile(QWidget* owner);

} // namespace tmt::ui
