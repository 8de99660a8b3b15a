#include "app/UMain.h"
#include "ui_UMain.h"

#include "about/UAbout.h"
#include "app/ApplicationTitle.h"
#include "app/GameStart.h"
#include "app/HandlerGuard.h"
#include "app/InstallationDiscovery.h"
#include "app/InstallationSearch.h"
#include "app/ScreenFit.h"
#include "app/ToolWindow.h"
#include "app/UChooseInstallation.h"
#include "launch/URunSpecial.h"
#include "maintenance/UMaintenance.h"
#include "platform/FileSystem.h"
#include "platform/FolderCleanup.h"
#include "platform/Installations.h"
#include "platform/OwnExecutable.h"
#include "platform/VersionInfo.h"
#include "platform/qt/BusyCursor.h"
#include "platform/qt/JpegPixmap.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/PlainToolTip.h"
#include "profiles/UProfileManager.h"
#include "settings/UConfigure.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QPixmap>
#include <QScreen>
#include <QShortcut>

#include <algorithm>
#include <array>

TFormMain* FormMain = nullptr;

namespace {

constexpr char kInstallKey[] = "SOFTWARE\\\\TuneMora";

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// The buttons that open a tool or start the game, which all need an installation.
void EnableTools(Ui::TFormMain& ui, bool enabled) {
    for (QPushButton* button :
         {ui.bProfileManager, ui.bRunSpecial, ui.bMaintenance, ui.bConfig, ui.bRun}) {
        button->setEnabled(enabled);
    }
}

// The banner is stored with the window; like every JPEG of the program it goes through libjpeg.
QPixmap Banner() {
    QFile file(QStringLiteral(":/banner.jpg"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = file.readAll();
    return QPixmap::fromImage(
        tmt::ui::LoadJpegImage(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                         static_cast<std::size_t>(bytes.size()))));
}

} // namespace

TFormMain::TFormMain(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TFormMain>()) {
    ui->setupUi(this);
    ui->Image1->setPixmap(Banner());
    setWindowIcon(QIcon(QStringLiteral(":/icon.png")));
    FormMain = this;
    ConnectHandlers();
    tmt::ui::Guarded(this, [this] { FormCreate(); });
    EqualToolButtons();
    setFixedSize(sizeHint());
    tmt::ui::FitOnScreen(*this);
}

TFormMain::~TFormMain() {
    if (FormMain == this) {
        FormMain = nullptr;
        tmt::platform::UseInstallation(nullptr);
    }
}

void TFormMain::EqualToolButtons() {
    // The seven buttons share one size: the design's, or what the widest caption and the tallest
    // wrapped one need in the font at hand. The width comes first, since it decides the wrapping.
    const std::array<QPushButton*, 7> buttons = {
        ui->bProfileManager, ui->bConfig, ui->bMaintenance, ui->bRunSpecial, ui->bRun,
        ui->bAbout,          ui->bExit};
    int width = 0;
    for (const QPushButton* button : buttons) {
        width = std::max({width, button->minimumWidth(), button->sizeHint().width()});
    }
    for (QPushButton* button : buttons) {
        button->setFixedWidth(width);
    }
    int height = 0;
    for (const QPushButton* button : buttons) {
        height = std::max({height, button->minimumHeight(), button->sizeHint().height()});
    }
    for (QPushButton* button : buttons) {
        button->setFixedHeight(height);
    }
}

void TFormMain::ConnectHandlers() {
    tmt::ui::OnClick(ui->bRun, this, &TFormMain::bRunClick);
    tmt::ui::OnClick(ui->bExit, this, &TFormMain::bExitClick);
    tmt::ui::OnClick(ui->bMaintenance, this, &TFormMain::bMaintenanceClick);
    tmt::ui::OnClick(ui->bConfig, this, &TFormMain::bConfigClick);
    tmt::ui::OnClick(ui->bProfileManager, this, &TFormMain::bProfileManagerClick);
    tmt::ui::OnClick(ui->bAbout, this, &TFormMain::bAboutClick);
    tmt::ui::OnClick(ui->bRunSpecial, this, &TFormMain::bRunSpecialClick);
    // Escape presses the cancel button, as on a Windows form.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, ui->bExit, &QPushButton::click);
}

void TFormMain::FormCreate() {
    const std::string self = tmt::platform::OwnExecutablePath();
    const std::string version = GetVersion(self);
    tmt::ui::SetApplicationTitle(tmt::ui::ApplicationTitle() + u' ' + Q(version));
    setWindowTitle(windowTitle() + u' ' + Q(version));
    InstallDir.clear();
    InstallVer.clear();
    StartSearch();
}

bool TFormMain::Searching() const {
    return search_ != nullptr && search_->Running();
}

void TFormMain::StartSearch() {
    // A home with hundreds of prefixes takes seconds to search; the window is there meanwhile,
    // and the tools wait for the installation they work on.
    ui->lDefaultDir->setText(QString::fromUtf8(tmt::kSearchingText));
    EnableTools(*ui, false);
    setCursor(Qt::BusyCursor);
    search_ = std::make_unique<InstallationSearch>(kInstallKey);
    connect(search_.get(), &InstallationSearch::Finished, this,
            tmt::ui::GuardedSlot(this, &TFormMain::SearchEnded));
}

const tmt::platform::Installation*
TFormMain::ChooseFrom(const std::vector<tmt::platform::Installation>& found) {
    if (found.size() > 1) {
        return ChooseInstallation(this, found);
    }
    return found.empty() ? nullptr : &found.front();
}

void TFormMain::SearchEnded() {
    unsetCursor();
    ui->lDefaultDir->clear();
    EnableTools(*ui, true);
    // The game may be installed in more than one place; the one chosen here is the one every
    // tool works on, and the one whose runner starts the game.
    const std::vector<tmt::platform::Installation>& found = search_->Found();
    const tmt::platform::Installation* chosen = ChooseFrom(found);
    tmt::platform::UseInstallation(chosen);
    if (chosen != nullptr) {
        // A system with no prefixes (Windows itself) names only where the record was found.
        QString whereFound = Q(chosen->source);
        if (!chosen->place.empty()) {
            whereFound += QStringLiteral("\nPrefix: ") + Q(chosen->place);
        }
        ui->lDefaultDir->setToolTip(tmt::ui::PlainToolTip(whereFound));
        ui->lDefaultDir->setAccessibleDescription(whereFound);
    }

    FReg = std::make_unique<tmt::platform::Registry>();
    if (chosen != nullptr && FReg->OpenKey(kInstallKey)) {
        ReadFromReg();
    }

    const tmt::InstallationFolder taken = tmt::DiscoverInstallationFolder(
        InstallDir, tmt::platform::OwnExecutablePath(),
        [](const std::string& path) { return tmt::platform::FileExists(path); });
    switch (taken.source) {
    case tmt::InstallationFolder::Source::Recorded:
        break;
    case tmt::InstallationFolder::Source::ToolFolder:
        InstallVer = tmt::kNonDefaultVersion;
        InstallDir = taken.folder;
        ui->lVersion->setText(Q(InstallVer));
        ui->lDefaultDir->setText(Q(InstallDir));
        break;
    case tmt::InstallationFolder::Source::Missing:
        // Several installations and none taken: nothing is missing, the user chose not to choose.
        if (found.size() > 1 && chosen == nullptr) {
            DisableApp(tmt::kNoInstallationChosen);
            break;
        }
        tmt::ui::MessageBox::Typed(this, tmt::ui::MessageBox::Kind::Error,
                                   Q(tmt::MissingFolderMessage(InstallDir)),
                                   tmt::ui::MessageBox::Ok, tmt::ui::MessageBox::Ok);
        DisableApp(tmt::kNoInstallationReason);
        break;
    }
}

void TFormMain::ReadFromReg() {
    if (FReg->ValueExists("InstallDir")) {
        InstallDir = FReg->ReadString("InstallDir");
    }
    if (FReg->ValueExists("InstallVer")) {
        InstallVer = FReg->ReadString("InstallVer");
    }
    ui->lDefaultDir->setText(Q(InstallDir));
    ui->lVersion->setText(Q(InstallVer));
}

void TFormMain::DisableApp(const std::string& AReason) {
    EnableTools(*ui, false);
    InstallDir = AReason;
    ui->lDefaultDir->setText(Q(InstallDir));
}

std::string TFormMain::GetVersion(const std::string& AFileName) const {
    return tmt::VersionText(tmt::platform::ReadFixedFileInfo(AFileName));
}

void TFormMain::CleanupDir(const std::string& ADir) {
    const tmt::ui::BusyCursor busy;
    tmt::platform::CleanupDir(ADir);
}

void TFormMain::bMaintenanceClick() {
    ShowToolWindow(FMaintenance, this);
}

void TFormMain::bConfigClick() {
    ShowToolWindow(FConfigure, this);
}

void TFormMain::bRunSpecialClick() {
    ShowToolWindow(FRunSpecial, this);
}

void TFormMain::bProfileManagerClick() {
    ShowToolWindow(FProfileManager, this);
}

void TFormMain::bRunClick() {
    tmt::ui::StartGame(this, InstallDir, "");
}

void TFormMain::bExitClick() {
    QApplication::quit();
}

void TFormMain::bAboutClick() {
    ShowToolWindow(FormAbout, this);
}

void TFormMain::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TFormMain::FormClose() {
    FReg.reset();
}
