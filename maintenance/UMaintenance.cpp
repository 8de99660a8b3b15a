#include "maintenance/UMaintenance.h"
#include "ui_UMaintenance.h"

#include "app/ApplicationMessages.h"
#include "app/HandlerGuard.h"
#include "app/ModalResult.h"
#include "app/RunningGame.h"
#include "app/UMain.h"
#include "maintenance/TemporaryData.h"
#include "platform/FileSystem.h"
#include "platform/FolderCleanup.h"

TFMaintenance* FMaintenance = nullptr;

TFMaintenance::TFMaintenance(QWidget* owner)
    : ToolDialog(owner, kFixedFrame), ui(Build<Ui::TFMaintenance>()) {
    tmt::ui::OnClick(ui->bClear, this, &TFMaintenance::bClearClick);
    tmt::ui::OnClick(ui->bCancel, this, &TFMaintenance::bCancelClick);
    Place();
}

TFMaintenance::~TFMaintenance() = default;

void TFMaintenance::bClearClick() {
    const tmt::ClearChoice choice{ui->CheckBox1->isChecked(), ui->CheckBox2->isChecked()};
    if ((choice.temp || choice.coversCache) && !tmt::ui::MayChangeWhileGameRuns(this)) {
        return;
    }
    const tmt::ClearFunctions platform{
        [](const std::string& folder) { return tmt::platform::DirectoryExists(folder); },
        [](const std::string& folder) { FormMain->CleanupDir(folder); },
        [](const std::string& folder) { return tmt::platform::IsFolderEmpty(folder); },
        [](const std::string& file) { return tmt::platform::FileExists(file); },
        [](const std::string& file) { tmt::platform::DeleteFile(file); },
    };
    const bool closes = tmt::ClearTemporaryData(
        FormMain->InstallDir, choice, platform, [this](const std::string& message) {
            tmt::ui::ShowMessage(this, QString::fromStdString(message));
        });
    if (closes) {
        done(tmt::ui::mrCancel);
    }
}

void TFMaintenance::bCancelClick() {
    done(tmt::ui::mrCancel);
}
