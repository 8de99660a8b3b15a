#include "app/ApplicationMessages.h"

#include "app/ApplicationTitle.h"
#include "platform/qt/MessageBox.h"

namespace tmt::ui {

void ShowMessage(QWidget* parent, const QString& text) {
    MessageBox::Show(parent, MessageBox::Kind::Plain, ApplicationTitle(), text, MessageBox::Ok,
                     MessageBox::Ok);
}

void ShowErrorReport(QWidget* parent, const QString& message) {
    QString text = message;
    if (!text.isEmpty() && text.back().unicode() > u'.') {
        text += u'.';
    }
    MessageBox::Show(parent, MessageBox::Kind::Error, ApplicationTitle(), text, MessageBox::Ok,
                     MessageBox::Ok);
}

} // namespace tmt::ui
