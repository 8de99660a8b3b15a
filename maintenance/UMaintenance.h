#pragma once

#include "app/ToolDialog.h"

#include <memory>

namespace Ui {
class TFMaintenance;
}

// Clears the game's temporary data: the contents of its Temp folder and its cover-art cache.
class TFMaintenance : public ToolDialog {
    Q_OBJECT

public:
    explicit TFMaintenance(QWidget* owner = nullptr);
    ~TFMaintenance() override;

private:
    void bClearClick();
    void bCancelClick();

    std::unique_ptr<Ui::TFMaintenance> ui;
};

extern TFMaintenance* FMaintenance;
