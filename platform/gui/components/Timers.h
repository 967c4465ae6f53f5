// TTimer: fires OnTimer every Interval milliseconds through the event loop
// while Enabled. An Interval of 0 never fires, enabled or not, so a program
// can switch a timer off through its interval alone.
#pragma once

#include <memory>
#include <string>

#include <QTimer>

#include "components/Component.h"

class TTimer : public TComponent {
public:
    TTimer();
    std::string ClassName() const override { return "TTimer"; }

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    // Milliseconds; 1000 for a new timer. Negative counts as 0.
    int Interval() const { return interval_; }
    void SetInterval(int milliseconds);
    // Whether the timer is running, so OnTimer will come: enabled with an
    // interval above 0.
    bool Active() const { return timer_->isActive(); }

    // One tick: fires OnTimer guarded, as the running timer does.
    void Timer();
    TNotifyEvent OnTimer;

private:
    void Update();

    std::unique_ptr<QTimer> timer_;
    bool enabled_ = true;
    int interval_ = 1000;
};
