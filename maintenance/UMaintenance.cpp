#include "maintenance/UMaintenance.h"
#include "ui_UMaintenance.h"

#include "app/UMain.h"
#include "platform/FileSystem.h"
#include "platform/FolderCleanup.h"
#include "platform/qt/HandlerGuard.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/ModalResult.h"
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
    // A clear with something checked closes the window, but only once every checked task is done.
    bool closeWhenDone = false;
    if (ui->CheckBox1->isChecked()) {
        ClearTemp();
        closeWhenDone = true;
    }
    if (ui->CheckBox2->isChecked()) {
        ClearCoversCache();
        closeWhenDone = true;
    }
    if (!closeWhenDone) {
        MessageBox::Plain(this, QStringLiteral("Nothing checked. Not clearing."));
        return;
    }
    done(tmt::ui::mrCancel);
}

void TFMaintenance::ClearTemp() {
    const std::string temp = FormMain->InstallDir + "\\Temp\\";
    if (!tmt::platform::DirectoryExists(temp)) {
        MessageBox::Plain(this, QStringLiteral("Temp directory not found."));
        return;
    }
    FormMain->CleanupDir(temp);
    // The cleanup itself reports nothing; what is left behind tells whether it succeeded.
    MessageBox::Plain(this, tmt::platform::IsFolderEmpty(temp)
                                ? QStringLiteral("Temp directory cleanup complete!")
                                : QStringLiteral("Temp directory cleanup incomplete: some files "
                                                 "could not be deleted."));
}

void TFMaintenance::ClearCoversCache() {
    const std::string cache = FormMain->InstallDir + "\\covers.cache";
    if (!tmt::platform::FileExists(cache)) {
        MessageBox::Plain(this, QStringLiteral("Covers cache not found."));
        return;
    }
    tmt::platform::DeleteFile(cache);
    MessageBox::Plain(this, tmt::platform::FileExists(cache)
                                ? QStringLiteral("Covers cache could not be deleted!")
                                : QStringLiteral("Covers cache deleted!"));
}

void TFMaintenance::bCancelClick() {
    done(tmt::ui::mrCancel);
}
