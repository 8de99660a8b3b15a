#include "profiles/UProfile.h"
#include "ui_UProfile.h"

#include "app/HandlerGuard.h"
#include "app/ModalResult.h"
#include "core/Error.h"
#include "profiles/PictureDialog.h"

#include <QMenu>
#include <QMouseEvent>

TFProfile* FProfile = nullptr;

namespace {

constexpr QSize kAvatarBox(100, 100);

} // namespace

TFProfile::TFProfile(QWidget* owner)
    : ToolDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                            Qt::WindowTitleHint),
      ui(Build<Ui::TFProfile>()) {

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    Setavatar1 = PopupMenu1->addAction(QStringLiteral("Set avatar"));
    Setavatar1->setObjectName("Setavatar1");
    N1 = PopupMenu1->addSeparator();
    N1->setObjectName("N1");
    RemoveAvatar = PopupMenu1->addAction(QStringLiteral("Remove avatar"));
    RemoveAvatar->setObjectName("RemoveAvatar");

    tmt::ui::OnClick(ui->Button3, this, &TFProfile::Setavatar1Click);
    connect(Setavatar1, &QAction::triggered, this,
            tmt::ui::GuardedSlot(this, &TFProfile::Setavatar1Click));
    tmt::ui::OnClick(ui->Button4, this, &TFProfile::RemoveAvatarClick);
    connect(RemoveAvatar, &QAction::triggered, this,
            tmt::ui::GuardedSlot(this, &TFProfile::RemoveAvatarClick));
    tmt::ui::OnClick(ui->Button1, this, &TFProfile::Button1Click);
    tmt::ui::OnClick(ui->Button2, this, &TFProfile::Button2Click);
    connect(ui->iAvatar, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(ui->iAvatar->mapToGlobal(at)); });
    ui->iAvatar->installEventFilter(this);

    ui->eName->setFocus();
    Place();
}

TFProfile::~TFProfile() = default;

bool TFProfile::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->iAvatar && event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        tmt::ui::Guarded(this, [this] { iAvatarDblClick(); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool TFProfile::LoadAvatar(const std::string& path) {
    const QImage picture = tmt::ui::LoadFittedPicture(path, kAvatarBox);
    if (picture.isNull()) {
        return false;
    }
    ui->iAvatar->setPixmap(QPixmap::fromImage(picture));
    return true;
}

void TFProfile::iAvatarDblClick() {
    Setavatar1Click();
}

void TFProfile::Setavatar1Click() {
    const std::optional<std::string> picked = tmt::ui::OpenPicture(this);
    if (!picked) {
        return;
    }
    tmt::JpegRefusal refusal;
    const QImage picture = tmt::ui::LoadFittedPicture(*picked, kAvatarBox, &refusal);
    // A picture too large to show is readable, so the user is told what is wrong with it, and it
    // is not taken: the avatar stays as it was.
    if (picture.isNull() && refusal.tooLarge) {
        throw tmt::Error(*picked + " is too large to show: " + std::to_string(refusal.width) +
                         " x " + std::to_string(refusal.height));
    }
    // The path is kept even when the picture cannot be shown: saving then stores that file.
    AvatarPath = *picked;
    if (picture.isNull()) {
        throw tmt::Error("Cannot load picture \"" + AvatarPath + "\": not a readable JPEG file");
    }
    ui->iAvatar->setPixmap(QPixmap::fromImage(picture));
}

void TFProfile::RemoveAvatarClick() {
    // Without a stored avatar there is nothing to remove from the profile, and a picture picked
    // in this session stays.
    if (SetAvatar.empty()) {
        return;
    }
    ui->iAvatar->clear();
    AvatarPath.clear();
}

void TFProfile::Button1Click() {
    done(tmt::ui::mrCancel);
}

void TFProfile::Button2Click() {
    if (MaySave && !MaySave()) {
        return;
    }
    done(tmt::ui::mrYes);
}
