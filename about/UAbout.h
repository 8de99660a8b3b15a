#pragma once

#include "app/ToolDialog.h"

#include <QList>

#include <memory>
#include <optional>

namespace Ui {
class TFormAbout;
}

namespace tmt::ui {
class MillisecondTimer;
}

// The About window: the tool's name, its own version and the company, and a colour animation of
// its labels that bMagic switches on and off.
class TFormAbout : public ToolDialog {
    Q_OBJECT

public:
    explicit TFormAbout(QWidget* parent = nullptr);
    ~TFormAbout() override;

    // The window's components in creation order (its controls, then the timer); the layouts that
    // only place the controls are not among them.
    QList<QObject*> Components() const;

    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormCreate();
    void bOKClick();
    void bMagicClick();
    void tMagicColorTimer();
    void ColourStep();
    void ConnectHandlers();

    std::unique_ptr<Ui::TFormAbout> ui;
    tmt::ui::MillisecondTimer* tMagicColor = nullptr;
    bool FInColourStep = false;
    std::optional<int> FResultAfterStep;
};

// Designates the About window while it exists.
extern TFormAbout* FormAbout;
