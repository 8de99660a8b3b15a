#pragma once

#include <QObject>

#include <functional>
#include <memory>

namespace tmt::ui {

// What counts a MillisecondTimer's milliseconds down: a precise QTimer, or in tests a clock that
// the test moves on.
class TickSource {
public:
    virtual ~TickSource() = default;

    // Starts the countdown over with `milliseconds` (above 0). Each time it runs out, `onTick`
    // runs and the countdown starts over with the same interval.
    virtual void Start(int milliseconds) = 0;
    virtual void Stop() = 0;

    std::function<void()> onTick;
};

// The timer of a Windows form, with that timer's rules: an interval of 0 (or less) never ticks,
// where a QTimer would fire at every idle moment; setting the interval it already has leaves a
// running countdown alone; another interval restarts the countdown while the timer is on and is
// only stored while it is off; switching it on starts the countdown with the current interval. A
// new timer is off, with an interval of 1000 milliseconds.
class MillisecondTimer : public QObject {
    Q_OBJECT

public:
    explicit MillisecondTimer(QObject* parent = nullptr);
    ~MillisecondTimer() override;

    int Interval() const { return FInterval; }
    void SetInterval(int milliseconds);

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);

    // Counts with another source from now on; a running countdown starts over on it.
    void UseTickSource(std::unique_ptr<TickSource> source);

signals:
    void Timer();

private:
    void Restart();

    std::unique_ptr<TickSource> FSource;
    int FInterval = 1000;
    bool FEnabled = false;
};

} // namespace tmt::ui
