#include "app/UChooseInstallation.h"
#include "ui_UChooseInstallation.h"

#include "app/HandlerGuard.h"
#include "game/GameLayout.h"
#include "platform/qt/PlainToolTip.h"

#include <QHeaderView>
#include <QTreeWidgetItem>

#include <filesystem>
#include <optional>

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// The tool keeps no record of its own of what was used last; the game writes its config.ini
// whenever it runs, so the newest one tells where the player played last.
std::optional<std::size_t> PlayedLast(const std::vector<tmt::platform::Installation>& found) {
    std::optional<std::size_t> newest;
    std::filesystem::file_time_type newestTime;
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (found[i].installDir.empty()) {
            continue;
        }
        const auto written =
            tmt::platform::LastWriteTime(found[i], found[i].installDir + tmt::game::kSettingsFile);
        if (written && (!newest || *written > newestTime)) {
            newest = i;
            newestTime = *written;
        }
    }
    return newest;
}

} // namespace

TFChooseInstallation::TFChooseInstallation(QWidget* owner,
                                           const std::vector<tmt::platform::Installation>& found)
    : ToolDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      ui(Build<Ui::TFChooseInstallation>()) {
    for (const tmt::platform::Installation& installation : found) {
        auto* row = new QTreeWidgetItem(ui->lvInstallations,
                                        {Q(installation.source), Q(installation.installDir),
                                         Q(installation.installVer), Q(installation.place)});
        row->setToolTip(3, tmt::ui::PlainToolTip(Q(installation.place)));
    }
    for (int column = 0; column < ui->lvInstallations->columnCount(); ++column) {
        ui->lvInstallations->resizeColumnToContents(column);
    }
    const std::optional<std::size_t> playedLast = PlayedLast(found);
    if (playedLast) {
        ui->lPrompt->setText(ui->lPrompt->text() + QStringLiteral("\n") +
                             QString::fromUtf8(kPlayedLastReason));
    }
    if (QTreeWidgetItem* preselected =
            ui->lvInstallations->topLevelItem(static_cast<int>(playedLast.value_or(0)))) {
        ui->lvInstallations->setCurrentItem(preselected);
    }
    ui->lvInstallations->setFocus();
    lvInstallationsSelectionChange();
    tmt::ui::OnClick(ui->bOk, this, &TFChooseInstallation::bOkClick);
    connect(ui->bCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->lvInstallations, &QTreeWidget::itemDoubleClicked, this,
            tmt::ui::GuardedSlot(this, &TFChooseInstallation::lvInstallationsDoubleClick));
    connect(ui->lvInstallations, &QTreeWidget::itemSelectionChanged, this,
            tmt::ui::GuardedSlot(this, &TFChooseInstallation::lvInstallationsSelectionChange));
    Place();
}

TFChooseInstallation::~TFChooseInstallation() = default;

void TFChooseInstallation::bOkClick() {
    const QList<QTreeWidgetItem*> selected = ui->lvInstallations->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    chosen_ = ui->lvInstallations->indexOfTopLevelItem(selected.front());
    accept();
}

void TFChooseInstallation::lvInstallationsDoubleClick() {
    bOkClick();
}

void TFChooseInstallation::lvInstallationsSelectionChange() {
    ui->bOk->setEnabled(!ui->lvInstallations->selectedItems().isEmpty());
}

const tmt::platform::Installation*
ChooseInstallation(QWidget* owner, const std::vector<tmt::platform::Installation>& found) {
    TFChooseInstallation chooser(owner, found);
    chooser.exec();
    const int chosen = chooser.Chosen();
    return chosen >= 0 ? &found[static_cast<std::size_t>(chosen)] : nullptr;
}
