#pragma once

#include <QString>

namespace tmt::ui {

// The application title: the caption of plain message boxes and of the error report.
QString ApplicationTitle();
void SetApplicationTitle(const QString& title);

} // namespace tmt::ui
