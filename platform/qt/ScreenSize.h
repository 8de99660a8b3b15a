#pragma once

#include <QSize>

namespace tmt::ui {

// The primary screen's size in device pixels: what GetSystemMetrics(SM_CXSCREEN/SM_CYSCREEN)
// gives a program that is aware of each monitor's scaling.
QSize PrimaryScreenPixels();

} // namespace tmt::ui
