#pragma once

#include <QString>

namespace tmt::ui {

// Where Debian's fonts-wine puts Wine's own Tahoma, metric-compatible with the Windows font and
// outside fontconfig's paths.
inline constexpr char kWineFontFolder[] = "/usr/share/wine/fonts";

// The windows are laid out for Tahoma at 8 points. When the folder holds tahoma.ttf, it is loaded
// for this application and Tahoma at 8 points becomes the application font; otherwise the
// desktop's sans-serif stays. Returns whether Tahoma is now the application font.
bool UseDesignFont(const QString& folder = QString::fromLatin1(kWineFontFolder));

} // namespace tmt::ui
