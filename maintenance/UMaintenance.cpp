#include "maintenance/UMaintenance.h"
#include "ui_UMaintenance.h"

#include "app/ApplicationMessages.h"
#include "app/HandlerGuard.h"
#include "app/ModalResult.h"
#include "app/UMain.h"
#include "maintenance/TemporaryData.h"
#include "platform/FileSystem.h"
#include "platform/FolderCleanup.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/WindowPosition.h"

TFMaintenance* FMaintenance = nullptr;

namespace {
using tmt::ui::MessageBox;
} // namespace

TFMaintenance::TFMaintenance(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TFMaintenance>()) {
    ui->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    connect(ui->bClear, &QPushButton::clicked, this,
            tmt::ui::GuardedSlot(this, &TFMaintenance::bClearClick));
    connect(ui->bCancel, &QPushButton::clicked, this,
            tmt::ui::GuardedSlot(this, &TFMaintenance::bCancelClick));
    adjustSize();
    tmt::ui::CentreOnScreen(*this);
}

TFMaintenance::~TFMaintenance() = default;

void TFMaintenance::reject() {
    done(tmt::ui::mrCancel);
}

void TFMaintenance::bClearClick() {
    const tmt::ClearFunctions platform{
        [](const std::string& folder) { return tmt::platform::DirectoryExists(folder); },
        [](const std::string& folder) { FormMain->CleanupDir(folder); },
        [](const std::string& folder) { return tmt::platform::IsFolderEmpty(folder); },
        [](const std::string& file) { return tmt::platform::FileExists(file); },
        [](const std::string& file) { tmt::platform::DeleteFile(file); },
    };
    const bool closes = tmt::ClearTemporaryData(
        FormMain->InstallDir, {ui->CheckBox1->isChecked(), ui->CheckBox2->isChecked()}, platform,
        [this](const std::string& message) {
            tmt::ui::ShowMessage(this, QString::fromStdString(message));
        });
    if (closes) {
        done(tmt::ui::mrCancel);
    }
}

void TFMaintenance::bCancelClick() {
    done(tmt::ui::mrCancel);
}
