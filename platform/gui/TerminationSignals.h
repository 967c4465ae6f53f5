// Ending a program gently when the system asks it to (SIGTERM, SIGHUP when
// the session ends, SIGINT): the signal is turned into a call on the
// message loop, which ends the application as closing its main window
// would, so that the windows' clean-up (temporary folders, open files) runs.
// One object per program, alive while its message loop runs.
#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

class TTerminationSignals {
public:
    // onSignal runs on the message loop, once per signal received.
    explicit TTerminationSignals(std::function<void()> onSignal);
    ~TTerminationSignals();
    TTerminationSignals(const TTerminationSignals&) = delete;
    TTerminationSignals& operator=(const TTerminationSignals&) = delete;

private:
    std::function<void()> onSignal_;
    std::unique_ptr<QSocketNotifier> notifier_;
};
