#pragma once

#include "app/ToolDialog.h"

#include <functional>
#include <memory>
#include <string>

class QAction;
class QMenu;

namespace Ui {
class TFProfile;
}

// Holds one profile's values while the user edits them: name, login, lock flag and avatar. It
// reads and writes no profile file; the profile manager fills it and reads it back.
class TFProfile : public ToolDialog {
    Q_OBJECT

public:
    explicit TFProfile(QWidget* owner = nullptr);
    ~TFProfile() override;

    Ui::TFProfile* Controls() const { return ui.get(); }

    // Shows the picture file (game's path form) in iAvatar; false, with the image unchanged, when
    // it cannot be decoded.
    bool LoadAvatar(const std::string& path);

    // The avatar name the profile file held when the profile was opened; only the profile manager
    // sets it.
    std::string SetAvatar;
    // The picture iAvatar shows or the user picked; empty when there is none.
    std::string AvatarPath;

    // Asked when Save is pressed, before the dialog closes: it raises an error, or returns false,
    // to keep the dialog open with everything typed. Nothing set closes it at once.
    std::function<bool()> MaySave;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void iAvatarDblClick();
    void Setavatar1Click();
    void RemoveAvatarClick();
    void Button1Click();
    void Button2Click();

    std::unique_ptr<Ui::TFProfile> ui;
    QMenu* PopupMenu1;
    QAction* Setavatar1;
    QAction* N1;
    QAction* RemoveAvatar;
};

extern TFProfile* FProfile;
