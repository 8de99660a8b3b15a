#pragma once

#include <string>

class QWidget;

namespace tmt::ui {

// Starts the game of an installation folder through the shell, with `parameters` as its command
// tail and the folder as its working folder; a start that fails is told to the user.
void StartGame(QWidget* owner, const std::string& installDir, const std::string& parameters);

} // namespace tmt::ui
