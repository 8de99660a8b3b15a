#pragma once

#include <filesystem>

namespace tmt::platform {

// The file of the font the windows are laid out for, Tahoma's regular face, as a path of the
// system the program runs on: where the system keeps it, or a metric-compatible copy of it. The
// file need not exist.
std::filesystem::path DesignFontFile();

} // namespace tmt::platform
