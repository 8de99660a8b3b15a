#pragma once

#include <QObject>
#include <QTimer>

namespace tmt::ui {

// The timer of a Windows form, built on QTimer but with that timer's rules: an interval of 0 (or
// less) never ticks, where a QTimer would fire at every idle moment; setting the interval it
// already has leaves a running countdown alone; another interval restarts the countdown while the
// timer is on and is only stored while it is off; switching it on starts the countdown with the
// current interval. A new timer is off, with an interval of 1000 milliseconds.
class MillisecondTimer : public QObject {
    Q_OBJECT

public:
    explicit MillisecondTimer(QObject* parent = nullptr);

    int Interval() const { return FInterval; }
    void SetInterval(int milliseconds);

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);

signals:
    void Timer();

private:
    void Restart();

    QTimer FTicker;
    int FInterval = 1000;
    bool FEnabled = false;
};

} // namespace tmt::ui
