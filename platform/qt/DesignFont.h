#pragma once

#include <QString>

namespace tmt::ui {

// The size of the font the windows are laid out for.
constexpr int kDesignPointSize = 8;

// The windows are laid out for Tahoma at 8 points. When the font file (a native path) can be
// loaded, it is loaded for this application and Tahoma at 8 points becomes the application font;
// otherwise the application font stays. Returns whether Tahoma is now the application font.
bool UseDesignFont(const QString& fontFile);
// The same with the platform's design font file; where there is none, the system's nearest
// sans-serif face at 8 points, as the system chooses it (on Linux the desktop's sans-serif stays).
bool UseDesignFont();

} // namespace tmt::ui
