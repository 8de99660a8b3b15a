#pragma once

#include "platform/qt/ModalResult.h"

#include <QString>

#include <vector>

class QWidget;

namespace tmt::ui {

// Every message box of the program goes through here, so that tests can answer the boxes and read
// what each one showed without a person at the screen.
class MessageBox {
public:
    enum class Kind { Plain, Warning, Error, Information };
    enum Button : int { Yes = 1, No = 2, Ok = 4, Abort = 8 };

    struct Shown {
        Kind kind;
        QString title;
        QString text;
        int buttons;       // a set of Button
        int defaultButton; // one Button
    };

    // The plain box: the text, no icon, one "OK" button, the application title as caption.
    static int Plain(QWidget* parent, const QString& text);
    // The typed box: title and icon follow the kind ("Warning", "Error", "Information").
    static int Typed(QWidget* parent, Kind kind, const QString& text, int buttons,
                     int defaultButton);
    // The report of an error that escaped a handler: error icon, the application title as
    // caption, OK, and "." appended when the message's last character's code is above ".".
    static void ErrorReport(QWidget* parent, const QString& message);

    // In test mode no box is shown: each takes the next queued answer, or its default button's.
    static void SetTestMode(bool on);
    static void SetNextAnswer(int modalResult);
    static std::vector<Shown> TakeShown();
};

} // namespace tmt::ui
