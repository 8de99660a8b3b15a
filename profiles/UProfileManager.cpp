#include "profiles/UProfileManager.h"
#include "ui_UProfile.h"
#include "ui_UProfileManager.h"

#include "app/ApplicationMessages.h"
#include "app/HandlerGuard.h"
#include "app/ModalResult.h"
#include "app/RunningGame.h"
#include "app/UMain.h"
#include "core/Error.h"
#include "core/text/Text.h"
#include "platform/qt/MessageBox.h"
#include "profiles/UProfile.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopeGuard>

TFProfileManager* FProfileManager = nullptr;

namespace {

using tmt::ui::MessageBox;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

std::string S(const QString& text) {
    return text.toStdString();
}

} // namespace

TFProfileManager::TFProfileManager(QWidget* owner)
    : ToolDialog(owner, kFixedFrame), ui(Build<Ui::TFProfileManager>()) {
    tmt::ui::OnClick(ui->bAdd, this, &TFProfileManager::bAddClick);
    tmt::ui::OnClick(ui->bModyfi, this, &TFProfileManager::bModyfiClick);
    tmt::ui::OnClick(ui->bDel, this, &TFProfileManager::bDelClick);
    tmt::ui::OnClick(ui->bExit, this, &TFProfileManager::bExitClick);
    ui->lbSupport->installEventFilter(this);
    ui->lbSupport->viewport()->installEventFilter(this);
    ui->lbSupport->setFocus();
    tmt::ui::Guarded(this, [this] { FormCreate(); });
    Place();
}

TFProfileManager::~TFProfileManager() = default;

bool TFProfileManager::eventFilter(QObject* watched, QEvent* event) {
    // The list answers a double-click anywhere in it, also below its last entry, and a release
    // of the Delete key whatever modifiers are held.
    if (watched == ui->lbSupport->viewport() && event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        tmt::ui::Guarded(this, [this] { lbSupportDblClick(); });
        return true;
    }
    if (watched == ui->lbSupport && event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && !key->isAutoRepeat()) {
            ui->bDel->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFProfileManager::FormCreate() {
    ListProfiles();
}

void TFProfileManager::ListProfiles() {
    ui->lbProfiles->clear();
    ui->lbSupport->clear();
    for (const tmt::ListedProfile& profile : tmt::ListProfiles(FormMain->InstallDir)) {
        ui->lbSupport->addItem(Q(profile.displayName));
        // The folder's name is kept byte for byte as well: one that is not valid UTF-8 would not
        // come back the same from its displayed text.
        auto* folder = new QListWidgetItem(Q(profile.folderName), ui->lbProfiles);
        folder->setData(Qt::UserRole, QByteArray::fromStdString(profile.folderName));
    }
    if (ui->lbSupport->count() > 0) {
        ui->lbSupport->setCurrentRow(0);
        ui->lbProfiles->setCurrentRow(0);
    }
}

int TFProfileManager::SelectedPosition() const {
    const QList<QListWidgetItem*> selected = ui->lbSupport->selectedItems();
    return selected.isEmpty() ? -1 : ui->lbSupport->row(selected.constFirst());
}

std::string TFProfileManager::SelectedFolder() const {
    const int position = SelectedPosition();
    if (position < 0 || position >= ui->lbProfiles->count()) {
        throw tmt::Error("List index out of bounds (" + std::to_string(position) + ")");
    }
    return ui->lbProfiles->item(position)->data(Qt::UserRole).toByteArray().toStdString();
}

void TFProfileManager::WithEditor(const std::function<void()>& operation) {
    auto editor = std::make_unique<TFProfile>(this);
    FProfile = editor.get();
    try {
        const auto forget = qScopeGuard([&editor] {
            FProfile = nullptr;
            editor.reset();
        });
        operation();
    } catch (...) {
        ListProfiles();
        throw;
    }
    ListProfiles();
}

void TFProfileManager::bAddClick() {
    WithEditor([this] {
        FProfile->MaySave = [] {
            return tmt::ui::MayChangeWhileGameRuns(FProfile);
        };
        if (FProfile->exec() != tmt::ui::mrYes) {
            return;
        }
        const std::string typed = S(FProfile->Controls()->eName->text());
        ProfilePath = tmt::ProfileFilePath(FormMain->InstallDir, typed);
        const std::string upperTyped = tmt::UpperAscii(typed);
        for (int i = 0; i < ui->lbSupport->count(); ++i) {
            if (tmt::UpperAscii(S(ui->lbSupport->item(i)->text())) == upperTyped) {
                tmt::ui::ShowMessage(this,
                                     QStringLiteral("Cannot create this profile because there "
                                                    "already exists profile with this name"));
                return;
            }
        }
        if (const auto refusal = tmt::RefusedProfileName(typed)) {
            tmt::ui::ShowMessage(this, Q(*refusal));
            return;
        }
        const std::optional<std::string> created =
            tmt::CreateProfileFolder(FormMain->InstallDir, typed);
        if (!created) {
            return;
        }
        ProfilePath = *created;
        ProfileIni = std::make_unique<tmt::IniFile>(ProfilePath);
        const auto release = qScopeGuard([this] { ProfileIni.reset(); });
        try {
            SaveProfile();
        } catch (...) {
            // A profile of which nothing could be written leaves no empty folder behind.
            tmt::RemoveEmptyProfileFolder(ProfilePath);
            throw;
        }
    });
}

void TFProfileManager::bModyfiClick() {
    WithEditor([this] {
        const std::string folder = SelectedFolder();
        ProfilePath = tmt::ProfileFilePath(FormMain->InstallDir, folder);
        ProfileIni = std::make_unique<tmt::IniFile>(ProfilePath);
        const auto release = qScopeGuard([this] { ProfileIni.reset(); });

        const tmt::LoadedProfile loaded = tmt::LoadProfile(*ProfileIni);
        Ui::TFProfile& controls = *FProfile->Controls();
        if (loaded.name) {
            controls.eName->setText(Q(*loaded.name));
        }
        if (loaded.login) {
            controls.eLogin->setText(Q(*loaded.login));
        }
        if (loaded.avatar) {
            FProfile->SetAvatar = *loaded.avatar;
        }
        if (!FProfile->SetAvatar.empty()) {
            FProfile->AvatarPath = tmt::AvatarPath(ProfilePath, FProfile->SetAvatar);
            if (!FProfile->LoadAvatar(FProfile->AvatarPath)) {
                FProfile->SetAvatar.clear();
                FProfile->AvatarPath.clear();
                tmt::ui::ShowMessage(this, QStringLiteral("Cannot load avatar."));
            }
        }
        controls.cbLocked->setChecked(tmt::IsLocked(loaded.locked.value_or("")));

        // A name the file cannot hold is told while the editor still shows what was typed.
        FProfile->MaySave = [this] {
            tmt::CheckProfileFits(*ProfileIni, EditorValues());
            return tmt::ui::MayChangeWhileGameRuns(FProfile);
        };
        if (FProfile->exec() == tmt::ui::mrYes) {
            SaveProfile();
        }
    });
}

void TFProfileManager::lbSupportDblClick() {
    bModyfiClick();
}

tmt::ProfileValues TFProfileManager::EditorValues() const {
    const Ui::TFProfile& controls = *FProfile->Controls();
    return {S(controls.eName->text()), S(controls.eLogin->text()), controls.cbLocked->isChecked(),
            FProfile->AvatarPath};
}

void TFProfileManager::SaveProfile() {
    if (!tmt::WriteProfile(*ProfileIni, EditorValues(), FProfile->SetAvatar)) {
        tmt::ui::ShowMessage(this, QString::fromUtf8(tmt::kCannotCopyAvatar));
    }
}

void TFProfileManager::bDelClick() {
    const std::string folder = SelectedFolder();
    const int answer = MessageBox::Typed(this, MessageBox::Kind::Warning,
                                         QStringLiteral("Sure to delete profile \"") + Q(folder) +
                                             QStringLiteral("\" from HDD ? This is cannot be "
                                                            "undone! Be warned !"),
                                         MessageBox::Yes | MessageBox::No, MessageBox::Yes);
    if (answer != tmt::ui::mrYes || !tmt::ui::MayChangeWhileGameRuns(this)) {
        return;
    }
    const int position = SelectedPosition();
    tmt::DeleteProfile(FormMain->InstallDir, folder,
                       [](const std::string& path) { FormMain->CleanupDir(path); });
    ListProfiles();
    // The entry that followed the deleted one takes its place; after the last one, the new last.
    const int count = ui->lbSupport->count();
    if (count > 0) {
        ui->lbSupport->setCurrentRow(std::min(position, count - 1));
    }
}

void TFProfileManager::bExitClick() {
    done(tmt::ui::mrCancel);
}
