#pragma once

#include <functional>
#include <optional>
#include <string>

class QString;
class QWidget;

namespace tmt::ui {

// The shell's folder chooser: folders only, no button for making a new one, the text shown above
// the folders. The chosen folder comes back in the game's path form (C:\... inside the prefix,
// Z:\... elsewhere), because the game reads it under Wine; nothing when the user cancels.
std::optional<std::string> ChooseFolder(QWidget* owner, const QString& text);

// Tests answer the chooser instead of a person.
void SetFolderChooserForTesting(std::function<std::optional<std::string>()> answer);

} // namespace tmt::ui
