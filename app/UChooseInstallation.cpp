#include "app/UChooseInstallation.h"
#include "ui_UChooseInstallation.h"

#include "app/HandlerGuard.h"
#include "platform/qt/PlainToolTip.h"

#include <QHeaderView>
#include <QTreeWidgetItem>

namespace {
QString Q(const std::string& text) {
    return QString::fromStdString(text);
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
    if (QTreeWidgetItem* first = ui->lvInstallations->topLevelItem(0)) {
        ui->lvInstallations->setCurrentItem(first);
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
