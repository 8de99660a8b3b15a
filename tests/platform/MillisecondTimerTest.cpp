#include "platform/qt/MillisecondTimer.h"
#include "tests/support/ManualTicks.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

using tmt::test::ManualTicks;
using tmt::ui::MillisecondTimer;

// A timer on a manual clock that counts its own ticks.
struct CountedTimer {
    CountedTimer() : ticks(ManualTicks::Into(timer)) {
        QObject::connect(&timer, &MillisecondTimer::Timer, [this] { ++ticked; });
    }
    // Lets the milliseconds pass in steps of at most 40, poking the timer after each step.
    int TicksWhile(int milliseconds, const std::function<void()>& poke = {}) {
        const int before = ticked;
        for (int passed = 0; passed < milliseconds; passed += 40) {
            ticks.Advance(std::min(40, milliseconds - passed));
            if (poke) {
                poke();
            }
        }
        return ticked - before;
    }

    MillisecondTimer timer;
    ManualTicks& ticks;
    int ticked = 0;
};

TEST(MillisecondTimerTest, ANewTimerIsOffWithASecond) {
    CountedTimer t;
    EXPECT_FALSE(t.timer.Enabled());
    EXPECT_EQ(t.timer.Interval(), 1000);
    EXPECT_FALSE(t.ticks.Running());
}

TEST(MillisecondTimerTest, OnlyAChangeRestartsARunningCountdown) {
    struct Case {
        const char* name;
        std::function<void(MillisecondTimer&)> poke;
        bool restarts;
    };
    bool flip = false;
    const Case cases[] = {
        {"the same interval again", [](MillisecondTimer& t) { t.SetInterval(150); }, false},
        {"switched on again", [](MillisecondTimer& t) { t.SetEnabled(true); }, false},
        {"another interval",
         [&flip](MillisecondTimer& t) { t.SetInterval((flip = !flip) ? 151 : 150); }, true},
        {"switched off and on",
         [](MillisecondTimer& t) {
             t.SetEnabled(false);
             t.SetEnabled(true);
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CountedTimer t;
        t.timer.SetInterval(150);
        t.timer.SetEnabled(true);
        const int ticks = t.TicksWhile(450, [&] { c.poke(t.timer); });
        // A countdown started over every 40 ms never reaches 150.
        EXPECT_EQ(ticks == 0, c.restarts) << ticks << " ticks";
        EXPECT_EQ(t.ticks.Starts() > 1, c.restarts) << t.ticks.Starts() << " starts";
        EXPECT_TRUE(t.ticks.Running());
    }
}

TEST(MillisecondTimerTest, ARunningCountdownTicksEveryInterval) {
    CountedTimer t;
    t.timer.SetInterval(5);
    t.timer.SetEnabled(true);
    t.ticks.Advance(4);
    EXPECT_EQ(t.ticked, 0);
    EXPECT_EQ(t.ticks.Remaining(), 1);
    t.ticks.Advance(1);
    EXPECT_EQ(t.ticked, 1);
    t.ticks.Advance(22);
    EXPECT_EQ(t.ticked, 5);
    EXPECT_EQ(t.ticks.Remaining(), 3);
}

TEST(MillisecondTimerTest, WhileOffAnIntervalIsOnlyStoredAndSwitchingOnStartsIt) {
    CountedTimer t;
    t.timer.SetInterval(5);
    EXPECT_EQ(t.timer.Interval(), 5);
    EXPECT_FALSE(t.ticks.Running());
    EXPECT_EQ(t.TicksWhile(60), 0);
    t.timer.SetEnabled(true);
    EXPECT_TRUE(t.ticks.Running());
    EXPECT_EQ(t.ticks.Interval(), 5);
    EXPECT_EQ(t.TicksWhile(100), 20);
    t.timer.SetEnabled(false);
    EXPECT_FALSE(t.ticks.Running());
    EXPECT_EQ(t.TicksWhile(60), 0);
}

TEST(MillisecondTimerTest, IntervalZeroNeverTicksOnOrOff) {
    CountedTimer t;
    t.timer.SetInterval(0);
    EXPECT_EQ(t.TicksWhile(40), 0);
    t.timer.SetEnabled(true);
    EXPECT_TRUE(t.timer.Enabled());
    EXPECT_FALSE(t.ticks.Running());
    EXPECT_EQ(t.TicksWhile(60), 0);
    t.timer.SetEnabled(false);
    t.timer.SetEnabled(true);
    EXPECT_EQ(t.TicksWhile(60), 0);
    t.timer.SetInterval(5);
    EXPECT_GT(t.TicksWhile(100), 0);
    t.timer.SetInterval(0);
    EXPECT_FALSE(t.ticks.Running());
    EXPECT_EQ(t.TicksWhile(60), 0);
    t.timer.SetInterval(-3);
    EXPECT_FALSE(t.ticks.Running()) << "a negative interval never ticks either";
}

TEST(MillisecondTimerTest, ANewSourceTakesOverARunningCountdown) {
    CountedTimer t;
    t.timer.SetInterval(7);
    t.timer.SetEnabled(true);
    // The first clock goes with the switch.
    ManualTicks& other = ManualTicks::Into(t.timer);
    EXPECT_TRUE(other.Running());
    EXPECT_EQ(other.Interval(), 7);
    other.Advance(7);
    EXPECT_EQ(t.ticked, 1);
}

// The system's clock, the only place where real time passes: the first tick of a one-millisecond
// timer ends the wait, which only a machine stalled for seconds would outlast.
TEST(MillisecondTimerTest, TheSystemClockTicks) {
    MillisecondTimer timer;
    QSignalSpy ticks(&timer, &MillisecondTimer::Timer);
    timer.SetInterval(1);
    timer.SetEnabled(true);
    EXPECT_TRUE(ticks.wait(10000));
}

} // namespace
