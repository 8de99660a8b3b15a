#include "about/UAbout.h"
#include "ui_UAbout.h"

#include "app/HandlerGuard.h"
#include "app/UMain.h"
#include "core/Random.h"
#include "platform/OwnExecutable.h"
#include "platform/qt/MillisecondTimer.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QScopedValueRollback>
#include <QScreen>

#include <algorithm>
#include <cstdint>
#include <utility>

TFormAbout* FormAbout = nullptr;

namespace {

// Colours are drawn below this number and read as a Windows colour value.
constexpr std::uint32_t kColourBound = 0xFF0000;
constexpr std::uint32_t kIntervalBound = 1000;

// A Windows colour value keeps red in the lowest byte, green in the middle, blue in the highest.
QColor FromWindowsColour(std::uint32_t value) {
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

void SetFontColour(QWidget& control, const QColor& colour) {
    QPalette palette = control.palette();
    palette.setColor(QPalette::WindowText, colour);
    control.setPalette(palette);
}

} // namespace

TFormAbout::TFormAbout(QWidget* parent)
    : ToolDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                             Qt::WindowCloseButtonHint),
      ui(Build<Ui::TFormAbout>()) {
    // Created after the controls, so it comes last among the components.
    tMagicColor = new tmt::ui::MillisecondTimer(this);
    tMagicColor->setObjectName("tMagicColor");
    tMagicColor->SetInterval(1);
    ConnectHandlers();
    tmt::ui::Guarded(this, [this] { FormCreate(); });
    // The author's text wraps, so the window's height follows its width.
    const int width = std::max(sizeHint().width(), minimumWidth());
    setFixedSize(width, hasHeightForWidth() ? heightForWidth(width) : sizeHint().height());
    // The frame of a window of fixed size, given only now: its size comes from the lines above,
    // not from its layout, as it does for the other windows with this frame.
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    Place();
}

TFormAbout::~TFormAbout() = default;

void TFormAbout::ConnectHandlers() {
    tmt::ui::OnClick(ui->bOK, this, &TFormAbout::bOKClick);
    tmt::ui::OnClick(ui->bMagic, this, &TFormAbout::bMagicClick);
    connect(tMagicColor, &tmt::ui::MillisecondTimer::Timer, this,
            tmt::ui::GuardedSlot(this, &TFormAbout::tMagicColorTimer));
}

QList<QObject*> TFormAbout::Components() const {
    QList<QObject*> components = findChildren<QObject*>();
    components.removeIf([](const QObject* object) { return qobject_cast<const QLayout*>(object); });
    return components;
}

void TFormAbout::FormCreate() {
    ui->lVersion->setText(
        QString::fromStdString(FormMain->GetVersion(tmt::platform::OwnExecutablePath())));
}

void TFormAbout::bOKClick() {
    close();
}

void TFormAbout::bMagicClick() {
    tMagicColor->SetEnabled(!tMagicColor->Enabled());
}

void TFormAbout::tMagicColorTimer() {
    // The step lets pending events through; a tick that falls due meanwhile waits for the next
    // countdown instead of starting a second pass over the labels.
    if (FInColourStep) {
        return;
    }
    {
        const QScopedValueRollback stepping(FInColourStep, true);
        ColourStep();
    }
    if (FResultAfterStep) {
        QDialog::done(*std::exchange(FResultAfterStep, std::nullopt));
    }
}

void TFormAbout::ColourStep() {
    const QList<QObject*> components = Components();
    for (QObject* component : components) {
        // Exactly the label class: a control derived from it keeps its colours.
        if (component->metaObject() != &QLabel::staticMetaObject) {
            continue;
        }
        SetFontColour(*static_cast<QLabel*>(component),
                      FromWindowsColour(tmt::RandomBelow(kColourBound)));
        tMagicColor->SetInterval(static_cast<int>(tmt::RandomBelow(kIntervalBound)));
        QCoreApplication::processEvents();
    }
}

void TFormAbout::done(int result) {
    // A close asked for while the colour step lets events through ends the window after the step.
    if (FInColourStep) {
        FResultAfterStep = result;
        return;
    }
    QDialog::done(result);
}

void TFormAbout::keyPressEvent(QKeyEvent* event) {
    // Escape presses the cancel button, as on a Windows form.
    if (event->matches(QKeySequence::Cancel)) {
        ui->bOK->click();
        return;
    }
    QDialog::keyPressEvent(event);
}
