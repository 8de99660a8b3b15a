#pragma once

#include "platform/Installations.h"

#include "app/ToolDialog.h"

#include <memory>
#include <vector>

namespace Ui {
class TFChooseInstallation;
}

// Why the chooser selects the row it selects, when an installation's game has run at all.
inline constexpr char kPlayedLastReason[] =
    "The selected one was played last: its config.ini was written most recently.";

// Asks which installation to work on when the game is installed in more than one place: one row
// each, with where it was found, the folder and version it records, and the folder that holds it.
// The installation whose game ran last is selected first.
class TFChooseInstallation : public ToolDialog {
    Q_OBJECT

public:
    TFChooseInstallation(QWidget* owner, const std::vector<tmt::platform::Installation>& found);
    ~TFChooseInstallation() override;

    // The row taken, or -1 when the window was cancelled.
    int Chosen() const { return chosen_; }

private:
    void bOkClick();
    void lvInstallationsDoubleClick();
    void lvInstallationsSelectionChange();

    std::unique_ptr<Ui::TFChooseInstallation> ui;
    int chosen_ = -1;
};

// Shows the window modally over `owner` and returns the installation taken, or nullptr.
const tmt::platform::Installation*
ChooseInstallation(QWidget* owner, const std::vector<tmt::platform::Installation>& found);
