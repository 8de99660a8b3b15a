#include "platform/qt/MessageBox.h"

#include "platform/qt/TextLines.h"
#include "platform/qt/WindowPosition.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <deque>

namespace tmt::ui {

namespace {

struct Seam {
    bool testMode = false;
    std::deque<int> answers;
    std::vector<MessageBox::Shown> shown;
};

Seam& TheSeam() {
    static Seam seam;
    return seam;
}

int ResultOf(MessageBox::Button button) {
    switch (button) {
    case MessageBox::Yes:
        return MessageBox::IdYes;
    case MessageBox::No:
        return MessageBox::IdNo;
    case MessageBox::Abort:
        return MessageBox::IdAbort;
    case MessageBox::Continue:
        return MessageBox::IdContinue;
    case MessageBox::Cancel:
        return MessageBox::IdCancel;
    case MessageBox::Ok:
        break;
    }
    return MessageBox::IdOk;
}

QString CaptionOf(MessageBox::Button button) {
    switch (button) {
    case MessageBox::Yes:
        return QStringLiteral("&Yes");
    case MessageBox::No:
        return QStringLiteral("&No");
    case MessageBox::Abort:
        return QStringLiteral("&Abort");
    case MessageBox::Continue:
        return QStringLiteral("Continue");
    case MessageBox::Cancel:
        return QStringLiteral("Cancel");
    case MessageBox::Ok:
        break;
    }
    return QStringLiteral("OK");
}

QMessageBox::ButtonRole RoleOf(MessageBox::Button button) {
    switch (button) {
    case MessageBox::Yes:
    case MessageBox::Ok:
    case MessageBox::Continue:
        return QMessageBox::AcceptRole;
    case MessageBox::No:
    case MessageBox::Abort:
    case MessageBox::Cancel:
        break;
    }
    return QMessageBox::RejectRole;
}

QMessageBox::Icon IconOf(MessageBox::Kind kind) {
    switch (kind) {
    case MessageBox::Kind::Warning:
        return QMessageBox::Warning;
    case MessageBox::Kind::Error:
        return QMessageBox::Critical;
    case MessageBox::Kind::Information:
        return QMessageBox::Information;
    case MessageBox::Kind::Plain:
        break;
    }
    return QMessageBox::NoIcon;
}

QString TitleOf(MessageBox::Kind kind) {
    switch (kind) {
    case MessageBox::Kind::Warning:
        return QStringLiteral("Warning");
    case MessageBox::Kind::Error:
        return QStringLiteral("Error");
    case MessageBox::Kind::Information:
        return QStringLiteral("Information");
    case MessageBox::Kind::Plain:
        break;
    }
    return QString();
}

// The box's text as the user sees it: plain text, never markup, in lines broken as Windows
// breaks them. The lines are made here, narrow enough that the box, which wraps a text wider than
// half the screen (at most 500 pixels) by rules of its own, takes them as they are.
void SetText(QMessageBox& box, const QString& text) {
    box.setTextFormat(Qt::PlainText);
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    const QScreen* screen =
        box.screen() != nullptr ? box.screen() : QGuiApplication::primaryScreen();
    if (label == nullptr || screen == nullptr) {
        box.setText(text);
        return;
    }
    // What the box needs beside the text: a text wider than the buttons shows it.
    box.setText(QString(200, u'M'));
    box.layout()->activate();
    const int besideText =
        box.layout()->totalMinimumSize().width() - label->minimumSizeHint().width();
    const int boxLimit = std::min(screen->availableGeometry().width() / 2, 500);
    box.setText(WrapLines(text, label->fontMetrics(), boxLimit - besideText).join(u'\n'));
}

// A box stands over its owner; one whose owner is not on the screen yet, as the main window while
// it is created, or that has none, stands in the middle of the screen as every window does, rather
// than over the place where the owner is not.
class PlacedBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override {
        // The box takes its final size here, so it is placed after that.
        QMessageBox::showEvent(event);
        if (parentWidget() == nullptr || !parentWidget()->window()->isVisible()) {
            CentreOnScreen(*this);
        }
    }
};

} // namespace

int MessageBox::Show(QWidget* parent, Kind kind, const QString& title, const QString& text,
                     int buttons, int defaultButton) {
    Seam& seam = TheSeam();
    if (seam.testMode) {
        seam.shown.push_back({kind, title, text, buttons, defaultButton});
        if (seam.answers.empty()) {
            return ResultOf(static_cast<MessageBox::Button>(defaultButton));
        }
        const int answer = seam.answers.front();
        seam.answers.pop_front();
        return answer;
    }

    PlacedBox box(IconOf(kind), title, QString(), QMessageBox::NoButton, parent);
    QAbstractButton* escapeButton = nullptr;
    int closeResult = MessageBox::IdCancel;
    for (const auto button : {MessageBox::Yes, MessageBox::No, MessageBox::Ok, MessageBox::Abort,
                              MessageBox::Continue, MessageBox::Cancel}) {
        if ((buttons & button) == 0) {
            continue;
        }
        QPushButton* added = box.addButton(CaptionOf(button), RoleOf(button));
        added->setProperty("answer", ResultOf(button));
        if (button == defaultButton) {
            box.setDefaultButton(added);
        }
        // A box with one button closes through it; otherwise Escape and the close box cancel.
        if (buttons == button) {
            escapeButton = added;
            closeResult = ResultOf(button);
        }
    }
    box.setEscapeButton(escapeButton);
    SetText(box, text);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    return clicked != nullptr ? clicked->property("answer").toInt() : closeResult;
}

int MessageBox::Typed(QWidget* parent, Kind kind, const QString& text, int buttons,
                      int defaultButton) {
    return Show(parent, kind, TitleOf(kind), text, buttons, defaultButton);
}

void MessageBox::SetTestMode(bool on) {
    TheSeam().testMode = on;
}

void MessageBox::SetNextAnswer(int answer) {
    TheSeam().answers.push_back(answer);
}

std::vector<MessageBox::Shown> MessageBox::TakeShown() {
    std::vector<Shown> shown;
    shown.swap(TheSeam().shown);
    return shown;
}

} // namespace tmt::ui
