#pragma once

#include "app/ApplicationTitle.h"
#include "core/Random.h"
#include "platform/qt/DesignFont.h"

// What the program sets up before its main window is created: the process's random generator,
// seeded from the clock, the font the windows are laid out for, and the application title.
inline void PrepareApplication() {
    tmt::SeedRandomFromClock();
    tmt::ui::UseDesignFont();
    tmt::ui::SetApplicationTitle(QStringLiteral("TuneMora Tools "));
}
