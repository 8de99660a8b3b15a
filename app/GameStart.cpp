#include "app/GameStart.h"

#include "game/GameLayout.h"
#include "platform/qt/ShellExecute.h"

namespace tmt::ui {

void StartGame(QWidget* owner, const std::string& installDir, const std::string& parameters) {
    ShellExecute(owner, "\"" + installDir + game::kExecutable + "\"", parameters,
                 "\"" + installDir + "\"");
}

} // namespace tmt::ui
