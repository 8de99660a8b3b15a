#pragma once

#include <QString>

namespace tmt::ui {

// The windows are laid out for Tahoma at 8 points. When the font file (a native path) can be
// loaded, it is loaded for this application and Tahoma at 8 points becomes the application font;
// otherwise the desktop's sans-serif stays. Returns whether Tahoma is now the application font.
bool UseDesignFont(const QString& fontFile);
// The same with the platform's design font file.
bool UseDesignFont();

} // namespace tmt::ui
