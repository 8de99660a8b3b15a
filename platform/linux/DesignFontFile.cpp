#include "platform/DesignFontFile.h"

namespace tmt::platform {

// Debian's fonts-wine puts Wine's own Tahoma here, outside fontconfig's paths; it measures as the
// Windows font does.
std::filesystem::path DesignFontFile() {
    return "/usr/share/wine/fonts/tahoma.ttf";
}

} // namespace tmt::platform
