#include "platform/qt/DesignFont.h"

#include "platform/DesignFontFile.h"

namespace tmt::ui {

bool UseDesignFont() {
    return UseDesignFont(QString::fromStdString(platform::DesignFontFile().string()));
}

} // namespace tmt::ui
