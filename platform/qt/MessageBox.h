#pragma once

#include <QString>

#include <vector>

class QWidget;

namespace tmt::ui {

// Every message box of the program goes through here, so that tests can answer the boxes and read
// what each one showed without a person at the screen.
class MessageBox {
public:
    enum class Kind { Plain, Warning, Error, Information };
    enum Button : int { Yes = 1, No = 2, Ok = 4, Abort = 8, Continue = 16, Cancel = 32 };
    // The answers, numbered as the Windows message box returns them (IDOK, IDCANCEL, ...).
    enum Answer : int { IdOk = 1, IdCancel = 2, IdAbort = 3, IdYes = 6, IdNo = 7, IdContinue = 11 };

    struct Shown {
        Kind kind;
        QString title;
        QString text;
        int buttons;       // a set of Button
        int defaultButton; // one Button
    };

    // A box with the caption given, the icon of the kind (none for Plain) and a set of buttons;
    // returns the answer. Escape and the close box cancel, unless the box has one button only,
    // which they press then.
    static int Show(QWidget* parent, Kind kind, const QString& caption, const QString& text,
                    int buttons, int defaultButton);
    // The typed box: title and icon follow the kind ("Warning", "Error", "Information").
    static int Typed(QWidget* parent, Kind kind, const QString& text, int buttons,
                     int defaultButton);

    // In test mode no box is shown: each takes the next queued answer, or its default button's.
    static void SetTestMode(bool on);
    static void SetNextAnswer(int answer);
    static std::vector<Shown> TakeShown();
};

} // namespace tmt::ui
