#pragma once

#include <optional>
#include <string>

class QString;
class QWidget;

namespace tmt::ui {

// The system's folder chooser: file-system folders only, no button for making a new one, the text
// shown above the folders, no folder chosen beforehand. The chosen folder comes back as a full
// path in the game's form; nothing when the user cancels.
std::optional<std::string> BrowseForFolder(QWidget* owner, const QString& text);

} // namespace tmt::ui
