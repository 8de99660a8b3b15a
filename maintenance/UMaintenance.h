#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TFMaintenance;
}

// Clears the game's temporary data: the contents of its Temp folder and its cover-art cache.
class TFMaintenance : public QDialog {
    Q_OBJECT

public:
    explicit TFMaintenance(QWidget* owner = nullptr);
    ~TFMaintenance() override;

    void reject() override;

private:
    void bClearClick();
    void bCancelClick();

    std::unique_ptr<Ui::TFMaintenance> ui;
};

extern TFMaintenance* FMaintenance;
