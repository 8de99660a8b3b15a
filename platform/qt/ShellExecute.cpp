#include "platform/qt/ShellExecute.h"

#include "platform/Shell.h"
#include "platform/qt/BusyCursor.h"
#include "platform/qt/MessageBox.h"

namespace tmt::ui {

void ShellExecute(QWidget* owner, const std::string& file, const std::string& parameters,
                  const std::string& directory) {
    platform::StartResult result;
    {
        // A runner is watched for a moment, to tell the user when it refuses the start at once.
        const BusyCursor busy;
        result = platform::ShellOpen(file, parameters, directory);
    }
    if (!result.started) {
        MessageBox::Typed(
            owner, MessageBox::Kind::Error,
            QStringLiteral("Cannot start %1: %2")
                .arg(QString::fromStdString(file), QString::fromStdString(result.reason)),
            MessageBox::Ok, MessageBox::Ok);
    }
}

} // namespace tmt::ui
