#include "platform/qt/MillisecondTimer.h"

#include <QTimer>

namespace tmt::ui {

namespace {

class SystemTicks : public TickSource {
public:
    SystemTicks() {
        // Short intervals are the point of this timer; a coarse QTimer may stretch them by 5 %.
        ticker_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&ticker_, &QTimer::timeout, [this] { onTick(); });
    }

    void Start(int milliseconds) override { ticker_.start(milliseconds); }
    void Stop() override { ticker_.stop(); }

private:
    QTimer ticker_;
};

} // namespace

MillisecondTimer::MillisecondTimer(QObject* parent) : QObject(parent) {
    UseTickSource(std::make_unique<SystemTicks>());
}

MillisecondTimer::~MillisecondTimer() = default;

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

void MillisecondTimer::UseTickSource(std::unique_ptr<TickSource> source) {
    if (FSource) {
        FSource->Stop();
    }
    FSource = std::move(source);
    FSource->onTick = [this] {
        emit Timer();
    };
    Restart();
}

void MillisecondTimer::Restart() {
    FSource->Stop();
    if (FEnabled && FInterval > 0) {
        FSource->Start(FInterval);
    }
}

} // namespace tmt::ui
