#include "app/ToolDialog.h"

#include "app/ModalResult.h"
#include "app/ScreenFit.h"

ToolDialog::ToolDialog(QWidget* owner, Qt::WindowFlags frame) : QDialog(owner, frame) {}

void ToolDialog::reject() {
    done(tmt::ui::mrCancel);
}

void ToolDialog::Place(QWidget* staysInView) {
    tmt::ui::FitOnScreen(*this, staysInView);
}
