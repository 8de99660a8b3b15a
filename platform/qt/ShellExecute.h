#pragma once

#include <string>

class QWidget;

namespace tmt::ui {

// ShellExecuteW(owner, "open", file, parameters, directory, SW_SHOWNORMAL). The callers examine no
// result; when the start itself fails, this facility tells the user, as the Windows shell does.
void ShellExecute(QWidget* owner, const std::string& file, const std::string& parameters,
                  const std::string& directory);

} // namespace tmt::ui
