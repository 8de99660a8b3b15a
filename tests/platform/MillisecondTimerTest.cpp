#include "platform/qt/MillisecondTimer.h"

#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

using tmt::ui::MillisecondTimer;

// Counts the ticks while the event loop runs for a while, poking the timer every 40 ms meanwhile.
int TicksWhile(MillisecondTimer& timer, int milliseconds, const std::function<void()>& poke = {}) {
    int ticks = 0;
    const auto counting = QObject::connect(&timer, &MillisecondTimer::Timer, [&] { ++ticks; });
    QTimer poker;
    if (poke) {
        QObject::connect(&poker, &QTimer::timeout, poke);
        poker.start(40);
    }
    QTest::qWait(milliseconds);
    QObject::disconnect(counting);
    return ticks;
}

TEST(MillisecondTimerTest, OnlyAChangeRestartsARunningCountdown) {
    struct Case {
        const char* name;
        std::function<void(MillisecondTimer&)> poke;
        bool ticks;
    };
    bool flip = false;
    const Case cases[] = {
        {"the same interval again", [](MillisecondTimer& t) { t.SetInterval(150); }, true},
        {"switched on again", [](MillisecondTimer& t) { t.SetEnabled(true); }, true},
        {"another interval",
         [&flip](MillisecondTimer& t) { t.SetInterval((flip = !flip) ? 151 : 150); }, false},
        {"switched off and on",
         [](MillisecondTimer& t) {
             t.SetEnabled(false);
             t.SetEnabled(true);
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MillisecondTimer timer;
        timer.SetInterval(150);
        timer.SetEnabled(true);
        const int ticks = TicksWhile(timer, 450, [&] { c.poke(timer); });
        EXPECT_EQ(ticks > 0, c.ticks) << ticks << " ticks";
    }
}

TEST(MillisecondTimerTest, WhileOffAnIntervalIsOnlyStoredAndSwitchingOnStartsIt) {
    MillisecondTimer timer;
    timer.SetInterval(5);
    EXPECT_EQ(timer.Interval(), 5);
    EXPECT_EQ(TicksWhile(timer, 60), 0);
    timer.SetEnabled(true);
    EXPECT_GT(TicksWhile(timer, 100), 0);
    timer.SetEnabled(false);
    EXPECT_EQ(TicksWhile(timer, 60), 0);
}

TEST(MillisecondTimerTest, IntervalZeroNeverTicksOnOrOff) {
    MillisecondTimer timer;
    timer.SetInterval(0);
    EXPECT_EQ(TicksWhile(timer, 40), 0);
    timer.SetEnabled(true);
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(TicksWhile(timer, 60), 0);
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    EXPECT_EQ(TicksWhile(timer, 60), 0);
    timer.SetInterval(5);
    EXPECT_GT(TicksWhile(timer, 100), 0);
    timer.SetInterval(0);
    EXPECT_EQ(TicksWhile(timer, 60), 0);
}

} // namespace
