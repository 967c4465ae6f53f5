#include "components/Timers.h"

#include <algorithm>

#include "dispatch/GuardedDispatch.h"

TTimer::TTimer() : timer_(std::make_unique<QTimer>())
{
    QObject::connect(timer_.get(), &QTimer::timeout, timer_.get(), [this] { Timer(); });
    Update();
}

void TTimer::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    Update();
}

void TTimer::SetInterval(int milliseconds)
{
    milliseconds = std::max(0, milliseconds);
    if (milliseconds == interval_)
        return;
    interval_ = milliseconds;
    Update();
}

// A change restarts the timer, so a full new interval passes before the
// next tick; setting a value it already has changes nothing.
void TTimer::Update()
{
    if (enabled_ && interval_ > 0)
        timer_->start(interval_);
    else
        timer_->stop();
}

void TTimer::Timer()
{
    DispatchGuarded(this, [this] {
        if (OnTimer)
            OnTimer(this);
    });
}
