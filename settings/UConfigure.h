#pragma once

#include "settings/IniFile.h"

#include "app/ToolDialog.h"

#include <memory>

class QLineEdit;

namespace Ui {
class TFConfigure;
}

// Shows five of the game's settings from its config.ini, lets the user change them and saves
// them back, or resets all of the game's settings by deleting the file.
class TFConfigure : public ToolDialog {
    Q_OBJECT

public:
    explicit TFConfigure(QWidget* owner = nullptr);
    ~TFConfigure() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormDestroy();
    void eResWExit();
    void eResHExit();
    void CheckSizeField(QLineEdit* field, bool isWidth);
    void bSaveClick();
    void bCloseClick();
    void bResetSettingsClick();
    void bSongsDirClick();
    void bSetDefSongsDirClick();
    void LimitSongsFolderHeight();
    void ShowSongsFolder(const QString& folder);

    std::unique_ptr<Ui::TFConfigure> ui;
    std::unique_ptr<tmt::IniFile> Ini;
};

extern TFConfigure* FConfigure;
