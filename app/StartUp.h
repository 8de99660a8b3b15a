#pragma once

#include "platform/Random.h"
#include "platform/qt/ApplicationTitle.h"

// What the program sets up before its main window is created: the process's random generator,
// seeded from the clock, and the application title.
inline void PrepareApplication() {
    tmt::SeedRandomFromClock();
    tmt::ui::SetApplicationTitle(QStringLiteral("TuneMora Tools "));
}
