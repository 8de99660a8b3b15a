#pragma once

#include "platform/qt/MillisecondTimer.h"

#include <memory>

namespace tmt::test {

// A tick source whose clock moves only when the test moves it, so that a timer's ticks come at
// known moments however busy the machine is.
class ManualTicks : public ui::TickSource {
public:
    // Makes the timer count on a new manual clock and returns that clock.
    static ManualTicks& Into(ui::MillisecondTimer& timer) {
        auto ticks = std::make_unique<ManualTicks>();
        ManualTicks& clock = *ticks;
        timer.UseTickSource(std::move(ticks));
        return clock;
    }

    void Start(int milliseconds) override {
        interval_ = milliseconds;
        elapsed_ = 0;
        running_ = true;
        ++starts_;
    }
    void Stop() override { running_ = false; }

    bool Running() const { return running_; }
    // The countdown's length, and how much of it is left.
    int Interval() const { return interval_; }
    int Remaining() const { return interval_ - elapsed_; }
    // How often the countdown was started, from the beginning or over again.
    int Starts() const { return starts_; }

    // Lets `milliseconds` pass. Each time the countdown runs out the timer ticks, and the
    // countdown starts over as the tick left it.
    void Advance(int milliseconds) {
        while (running_ && interval_ > 0 && milliseconds >= interval_ - elapsed_) {
            milliseconds -= interval_ - elapsed_;
            elapsed_ = 0;
            onTick();
        }
        if (running_) {
            elapsed_ += milliseconds;
        }
    }

private:
    int interval_ = 0;
    int elapsed_ = 0;
    bool running_ = false;
    int starts_ = 0;
};

} // namespace tmt::test
