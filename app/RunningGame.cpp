#include "app/RunningGame.h"

#include "app/UMain.h"
#include "game/GameLayout.h"
#include "platform/RunningPrograms.h"
#include "platform/qt/MessageBox.h"

namespace tmt::ui {

bool MayChangeWhileGameRuns(QWidget* owner) {
    if (!platform::IsProgramRunning(FormMain->InstallDir + game::kExecutable)) {
        return true;
    }
    // Cancel is the default: a hasty Enter keeps the window and its changes for a second try.
    return MessageBox::Typed(owner, MessageBox::Kind::Warning,
                             QString::fromUtf8(kGameRunningQuestion),
                             MessageBox::Continue | MessageBox::Cancel,
                             MessageBox::Cancel) == MessageBox::IdContinue;
}

} // namespace tmt::ui
