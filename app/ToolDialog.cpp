#include "app/ToolDialog.h"

#include "app/ModalResult.h"
#include "platform/qt/WindowPosition.h"

ToolDialog::ToolDialog(QWidget* owner, Qt::WindowFlags frame) : QDialog(owner, frame) {}

void ToolDialog::reject() {
    done(tmt::ui::mrCancel);
}

void ToolDialog::Place() {
    adjustSize();
    tmt::ui::CentreOnScreen(*this);
}
