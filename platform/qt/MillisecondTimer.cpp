#include "platform/qt/MillisecondTimer.h"

namespace tmt::ui {

MillisecondTimer::MillisecondTimer(QObject* parent) : QObject(parent) {
    // Short intervals are the point of this timer; a coarse QTimer may stretch them by 5 %.
    FTicker.setTimerType(Qt::PreciseTimer);
    connect(&FTicker, &QTimer::timeout, this, &MillisecondTimer::Timer);
}

void MillisecondTimer::SetInterval(int milliseconds) {
    if (milliseconds == FInterval) {
        return;
    }
    FInterval = milliseconds;
    Restart();
}

void MillisecondTimer::SetEnabled(bool enabled) {
    if (enabled == FEnabled) {
        return;
    }
    FEnabled = enabled;
    Restart();
}

void MillisecondTimer::Restart() {
    FTicker.stop();
    if (FEnabled && FInterval > 0) {
        FTicker.start(FInterval);
    }
}

} // namespace tmt::ui
