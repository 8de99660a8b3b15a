#pragma once

class QString;
class QWidget;

namespace tmt::ui {

// The plain message box: the text, no icon, one "OK" button, the application title as caption.
void ShowMessage(QWidget* parent, const QString& text);

// The report of an error that escaped a handler: error icon, the application title as caption,
// OK, and "." appended when the message's last character's code is above ".".
void ShowErrorReport(QWidget* parent, const QString& message);

} // namespace tmt::ui
