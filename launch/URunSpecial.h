#pragma once

#include "launch/LaunchParameters.h"

#include "app/ToolDialog.h"

#include <memory>
#include <string>
#include <vector>

namespace Ui {
class TFRunSpecial;
}

// Starts the game with command-line switches chosen from radio groups and check boxes, after
// showing the command line for confirmation. Stays open for further starts until cancelled.
class TFRunSpecial : public ToolDialog {
    Q_OBJECT

public:
    explicit TFRunSpecial(QWidget* owner = nullptr);
    ~TFRunSpecial() override;

private:
    void bRunClick();
    void bCancelClick();
    tmt::LaunchChoices Choices() const;
    std::vector<std::string> CheckedSwitches() const;

    std::unique_ptr<Ui::TFRunSpecial> ui;
};

extern TFRunSpecial* FRunSpecial;
