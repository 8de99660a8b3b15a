#pragma once

#include "platform/Installations.h"
#include "platform/Registry.h"

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

namespace Ui {
class TFormMain;
}
class InstallationSearch;

// The main window: shows the installation record, keeps the registry access for the whole run,
// starts the game and opens every tool window. Tool windows reach it through FormMain.
class TFormMain : public QWidget {
    Q_OBJECT

public:
    explicit TFormMain(QWidget* parent = nullptr);
    ~TFormMain() override;

    // The installation record: filled once while the window is created, read-only afterwards.
    std::string InstallDir;
    std::string InstallVer;

    void ReadFromReg();
    void DisableApp(const std::string& AReason);
    std::string GetVersion(const std::string& AFileName) const;
    // Empties a folder (the trailing backslash is optional) and keeps the folder itself.
    void CleanupDir(const std::string& ADir);

    Ui::TFormMain* Controls() const { return ui.get(); }
    // True while the installations are searched for beside the window; the tools wait for it.
    bool Searching() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormClose();
    void bRunClick();
    void bExitClick();
    void bMaintenanceClick();
    void bConfigClick();
    void bProfileManagerClick();
    void bAboutClick();
    void bRunSpecialClick();
    void ConnectHandlers();
    void EqualToolButtons();
    void StartSearch();
    void SearchEnded();
    const tmt::platform::Installation*
    ChooseFrom(const std::vector<tmt::platform::Installation>& found);

    std::unique_ptr<Ui::TFormMain> ui;
    std::unique_ptr<tmt::platform::Registry> FReg;
    std::unique_ptr<InstallationSearch> search_;
};

// The one main window, valid from before its creation handler runs to the end of the run.
extern TFormMain* FormMain;
