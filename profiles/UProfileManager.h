#pragma once

#include "profiles/ProfileStore.h"
#include "settings/IniFile.h"

#include "app/ToolDialog.h"

#include <functional>
#include <memory>
#include <string>

namespace Ui {
class TFProfileManager;
}

// Lists the game's player profiles by display name and adds, modifies and deletes them on disk,
// editing each through the profile editor dialog.
class TFProfileManager : public ToolDialog {
    Q_OBJECT

public:
    explicit TFProfileManager(QWidget* owner = nullptr);
    ~TFProfileManager() override;

    // Rebuilds both lists from the disk and selects the first profile.
    void ListProfiles();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void bAddClick();
    void bModyfiClick();
    void lbSupportDblClick();
    void bDelClick();
    void bExitClick();
    void SaveProfile();
    // What the editor holds, as the profile file takes it.
    tmt::ProfileValues EditorValues() const;

    // Runs one add or modify operation with a fresh editor dialog; whatever ends it, the dialog
    // is destroyed and the list rebuilt afterwards.
    void WithEditor(const std::function<void()>& operation);
    int SelectedPosition() const;
    // The folder name of the selected profile; raises the list-index error when none is selected.
    std::string SelectedFolder() const;

    std::unique_ptr<Ui::TFProfileManager> ui;
    std::string ProfilePath;
    std::unique_ptr<tmt::IniFile> ProfileIni;
};

extern TFProfileManager* FProfileManager;
