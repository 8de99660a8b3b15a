#include "launch/URunSpecial.h"
#include "ui_URunSpecial.h"

#include "app/UMain.h"
#include "platform/Error.h"
#include "platform/qt/HandlerGuard.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/ModalResult.h"
#include "platform/qt/ShellExecute.h"
#include "platform/qt/WindowPosition.h"

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

std::string SelectedText(const tmt::ui::RadioGroup& group) {
    return group.items()[group.itemIndex()].toStdString();
}

std::string WithoutLast(const std::string& text, std::size_t count) {
    return text.substr(0, text.size() > count ? text.size() - count : 0);
}

} // namespace

TFRunSpecial::TFRunSpecial(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TFRunSpecial>()) {
    ui->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    tmt::ui::CentreOnScreen(*this);
    connect(ui->bRun, &QPushButton::clicked, this,
            tmt::ui::GuardedSlot(this, &TFRunSpecial::bRunClick));
    connect(ui->bCancel, &QPushButton::clicked, this,
            tmt::ui::GuardedSlot(this, &TFRunSpecial::bCancelClick));
}

TFRunSpecial::~TFRunSpecial() = default;

void TFRunSpecial::reject() {
    done(tmt::ui::mrCancel);
}

// Every piece begins with a blank; the order of the groups here is the order on the command line,
// not the order on screen.
std::string TFRunSpecial::Parameters() const {
    std::string parameters;
    if (ui->rgRender->itemIndex() > 0) {
        parameters += " -" + SelectedText(*ui->rgRender);
    }
    if (ui->rgRes->itemIndex() > 0) {
        parameters += " -" + SelectedText(*ui->rgRes);
    }
    if (ui->rgMidiDelay->itemIndex() > 0) {
        parameters += " -editmididelay" + WithoutLast(SelectedText(*ui->rgMidiDelay), 2);
    }
    if (ui->rgWaveVol->itemIndex() > 0) {
        parameters += " -editwavevolume" + WithoutLast(SelectedText(*ui->rgWaveVol), 1);
    }
    if (ui->rgDetails->itemIndex() > 0) {
        parameters += " -filtering" + std::to_string(ui->rgDetails->itemIndex() - 1);
    }
    return parameters + CheckedSwitches();
}

// The window's controls in the order they were created (a parent before its children, children
// in the order of the window definition), and in each option group its boxes in child order.
std::string TFRunSpecial::CheckedSwitches() const {
    std::string switches;
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
                switches += ' ';
                switches += box.property("Hint").toString().toStdString();
            }
        }
    }
    return switches;
}

void TFRunSpecial::bRunClick() {
    const std::string parameters = Parameters();
    const QString text = parameters.empty()
                             ? QStringLiteral("TuneMora will run with default parametrs!")
                             : QStringLiteral("TuneMora will run with this parametrs:\n\r") +
                                   QString::fromStdString(parameters);
    if (MessageBox::Typed(this, MessageBox::Kind::Information, text,
                          MessageBox::Yes | MessageBox::No, MessageBox::Yes) != tmt::ui::mrYes) {
        return;
    }
    const std::string& folder = FormMain->InstallDir;
    tmt::ui::ShellExecute(this, "\"" + folder + "\\Tunemora.exe\"", parameters,
                          "\"" + folder + "\"");
}

void TFRunSpecial::bCancelClick() {
    done(tmt::ui::mrCancel);
}
