#include "settings/UConfigure.h"
#include "ui_UConfigure.h"

#include "app/ApplicationMessages.h"
#include "app/HandlerGuard.h"
#include "app/ModalResult.h"
#include "app/RunningGame.h"
#include "app/UMain.h"
#include "platform/FileSystem.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/ScreenSize.h"
#include "platform/qt/WindowPosition.h"
#include "settings/FolderChooser.h"
#include "settings/GameSettings.h"
#include "settings/IntegerText.h"

#include <QFocusEvent>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

TFConfigure* FConfigure = nullptr;

namespace {
using tmt::ui::MessageBox;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}
} // namespace

TFConfigure::TFConfigure(QWidget* owner)
    : ToolDialog(owner, kFixedFrame), ui(Build<Ui::TFConfigure>()) {
    // The first stop of the tab order has the focus on opening, as on the game's own tool; a
    // dialog would otherwise start on its default button.
    ui->bClose->setFocus();
    tmt::ui::OnClick(ui->bSave, this, &TFConfigure::bSaveClick);
    tmt::ui::OnClick(ui->bClose, this, &TFConfigure::bCloseClick);
    tmt::ui::OnClick(ui->bResetSettings, this, &TFConfigure::bResetSettingsClick);
    tmt::ui::OnClick(ui->bSongsDir, this, &TFConfigure::bSongsDirClick);
    tmt::ui::OnClick(ui->bSetDefSongsDir, this, &TFConfigure::bSetDefSongsDirClick);
    ui->eResW->installEventFilter(this);
    ui->eResH->installEventFilter(this);
    tmt::ui::Guarded(this, [this] { FormCreate(); });
    LimitSongsFolderHeight();
    Place();
}

void TFConfigure::LimitSongsFolderHeight() {
    // However long the folder, the window stays within the screen's height: the label shows what
    // fits and ends in "...".
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    layout()->activate();
    const int rest = height() - ui->lSongsDir->height();
    const int room = screen->availableGeometry().height() - tmt::ui::FrameHeight(*this) - rest;
    ui->lSongsDir->setMaximumHeight(std::max(room, ui->lSongsDir->minimumSizeHint().height()));
}

void TFConfigure::ShowSongsFolder(const QString& folder) {
    // The window grows downwards with the folder's lines, but never past the screen's edge.
    ui->lSongsDir->setText(folder);
    tmt::ui::SettleLayouts(*ui->lSongsDir);
    tmt::ui::KeepOnScreen(*this);
}

TFConfigure::~TFConfigure() {
    FormDestroy();
}

bool TFConfigure::eventFilter(QObject* watched, QEvent* event) {
    // The focus leaving a size field checks it; a focus lost because another window came to the
    // front is no leaving.
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == ui->eResW) {
                tmt::ui::Guarded(this, [this] { eResWExit(); });
            } else if (watched == ui->eResH) {
                tmt::ui::Guarded(this, [this] { eResHExit(); });
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFConfigure::FormCreate() {
    const QSize screen = tmt::ui::PrimaryScreenPixels();
    ui->eResW->setText(QString::number(screen.width()));
    ui->eResH->setText(QString::number(screen.height()));
    Ini = std::make_unique<tmt::IniFile>(tmt::GameSettingsPath(FormMain->InstallDir));

    switch (tmt::ReadScreens(*Ini)) {
    case 1:
        ui->rbMonitor1->setChecked(true);
        break;
    case 2:
        ui->rbMonitor2->setChecked(true);
        break;
    default:
        break;
    }
    switch (tmt::ReadFullScreen(*Ini)) {
    case tmt::FullScreenSetting::On:
        ui->rbFullON->setChecked(true);
        break;
    case tmt::FullScreenSetting::Off:
        ui->rbFullOFF->setChecked(true);
        break;
    case tmt::FullScreenSetting::Unrecognised:
        break;
    }
    if (const auto resolution = tmt::ReadResolution(*Ini)) {
        ui->eResW->setText(Q(resolution->width));
        ui->eResH->setText(Q(resolution->height));
    }
    ui->lSongsDir->setText(Q(tmt::ReadSongsFolder(*Ini)));
    switch (tmt::ReadUpdateChannel(*Ini)) {
    case 0:
        ui->rbStable->setChecked(true);
        break;
    case 1:
        ui->rbExperimental->setChecked(true);
        break;
    case 2:
        ui->rbDeveloper->setChecked(true);
        break;
    default:
        break;
    }
}

void TFConfigure::FormDestroy() {
    Ini.reset();
}

void TFConfigure::eResWExit() {
    CheckSizeField(ui->eResW, true);
}

void TFConfigure::eResHExit() {
    CheckSizeField(ui->eResH, false);
}

void TFConfigure::CheckSizeField(QLineEdit* field, bool isWidth) {
    const QString typed = field->text();
    const auto value = tmt::ParseIntegerText(typed.toStdString());
    if (value && *value >= 1) {
        return;
    }
    const QString message = !value ? QStringLiteral("'%1' is not a valid integer value").arg(typed)
                                   : QStringLiteral("Resolution must be bigger than 0");
    // The field goes back to what the file holds now, not to what the window showed at opening.
    if (Ini) {
        if (const auto stored = tmt::ReadResolution(*Ini)) {
            field->setText(Q(isWidth ? stored->width : stored->height));
        }
    }
    tmt::ui::ShowMessage(this, message);
}

void TFConfigure::bSaveClick() {
    tmt::GameSettingsChoice choice;
    choice.width = ui->eResW->text().toStdString();
    choice.height = ui->eResH->text().toStdString();
    choice.songsFolder = ui->lSongsDir->text().toStdString();
    choice.fullScreen = ui->rbFullON->isChecked();
    choice.screens = ui->rbMonitor1->isChecked() ? 1 : 2;
    choice.updateChannel = ui->rbStable->isChecked() ? 0 : ui->rbExperimental->isChecked() ? 1 : 2;
    tmt::CheckSettingsFit(*Ini, choice);
    if (!tmt::ui::MayChangeWhileGameRuns(this)) {
        return;
    }
    tmt::SaveGameSettings(*Ini, choice);
    done(tmt::ui::mrCancel);
}

void TFConfigure::bCloseClick() {
    done(tmt::ui::mrCancel);
}

void TFConfigure::bResetSettingsClick() {
    const int answer = MessageBox::Typed(
        this, MessageBox::Kind::Warning,
        QStringLiteral("This option will remove file config.ini from your computer and close this "
                       "window. Run TuneMora to recreate it."),
        MessageBox::Yes | MessageBox::Abort, MessageBox::Yes);
    if (answer != tmt::ui::mrYes || !tmt::ui::MayChangeWhileGameRuns(this)) {
        return;
    }
    Ini.reset();
    tmt::platform::DeleteFile(tmt::GameSettingsPath(FormMain->InstallDir));
    done(tmt::ui::mrCancel);
}

void TFConfigure::bSongsDirClick() {
    if (const auto folder =
            tmt::ui::ChooseFolder(this, QStringLiteral("Select new Songs directory"))) {
        // Told now rather than at Save, where it would cost the rest of what was set.
        Ini->CheckStorable({*folder});
        ShowSongsFolder(Q(*folder));
    }
}

void TFConfigure::bSetDefSongsDirClick() {
    ShowSongsFolder(QString::fromUtf8(tmt::kDefaultSongsFolder));
}
