#include "launch/URunSpecial.h"
#include "ui_URunSpecial.h"

#include "app/GameStart.h"
#include "app/HandlerGuard.h"
#include "app/ModalResult.h"
#include "app/UMain.h"
#include "core/Error.h"
#include "launch/LaunchParameters.h"
#include "platform/Shell.h"
#include "platform/qt/MessageBox.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QScreen>

TFRunSpecial* FRunSpecial = nullptr;

namespace {

using tmt::ui::MessageBox;

// Marks the containers whose check boxes contribute switches.
constexpr int kOptionGroupTag = -1;

// The window definition guarantees the kinds it converts to; a control of another kind is a fault
// of the definition and ends the handler with an error rather than being skipped silently.
template <typename Control> Control& As(QObject* object) {
    auto* control = qobject_cast<Control*>(object);
    if (control == nullptr) {
        throw tmt::Error("Invalid class typecast");
    }
    return *control;
}

tmt::RadioChoice ChoiceOf(const tmt::ui::RadioGroup& group) {
    const int index = group.itemIndex();
    return {index, index >= 0 ? group.items()[index].toStdString() : std::string()};
}

} // namespace

TFRunSpecial::TFRunSpecial(QWidget* owner)
    : ToolDialog(owner, kFixedFrame), ui(Build<Ui::TFRunSpecial>()) {
    // Taller than many a screen: its choices scroll above the Run and Cancel buttons there.
    Place(ui->GroupBox4);
    tmt::ui::OnClick(ui->bRun, this, &TFRunSpecial::bRunClick);
    tmt::ui::OnClick(ui->bCancel, this, &TFRunSpecial::bCancelClick);
}

TFRunSpecial::~TFRunSpecial() = default;

tmt::LaunchChoices TFRunSpecial::Choices() const {
    return {ChoiceOf(*ui->rgRender),  ChoiceOf(*ui->rgRes),     ChoiceOf(*ui->rgMidiDelay),
            ChoiceOf(*ui->rgWaveVol), ChoiceOf(*ui->rgDetails), CheckedSwitches()};
}

// The window's controls in the order they were created (a parent before its children, children
// in the order of the window definition), and in each option group its boxes in child order.
std::vector<std::string> TFRunSpecial::CheckedSwitches() const {
    std::vector<std::string> switches;
    for (QWidget* component : findChildren<QWidget*>()) {
        if (component->property("Tag").toInt() != kOptionGroupTag) {
            continue;
        }
        for (QObject* child : As<QGroupBox>(component).children()) {
            if (!child->isWidgetType()) {
                continue; // the group's layout, which arranges the boxes but is no control
            }
            const auto& box = As<QCheckBox>(child);
            if (box.isChecked()) {
                switches.push_back(box.property("Hint").toString().toStdString());
            }
        }
    }
    return switches;
}

void TFRunSpecial::bRunClick() {
    const std::string parameters = tmt::LaunchParameters(Choices());
    if (MessageBox::Typed(this, MessageBox::Kind::Information,
                          QString::fromStdString(tmt::LaunchConfirmation(
                              parameters, tmt::platform::ParametersLostReason())),
                          MessageBox::Yes | MessageBox::No, MessageBox::Yes) != tmt::ui::mrYes) {
        return;
    }
    tmt::ui::StartGame(this, FormMain->InstallDir, parameters);
}

void TFRunSpecial::bCancelClick() {
    done(tmt::ui::mrCancel);
}
