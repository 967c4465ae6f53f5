// Ending a program gently when the system asks it to (SIGTERM, SIGHUP when
// the session ends, SIGINT): the signal is turned into a call on whichever
// message loop runs, the application's own or a modal window's, and the
// programs end the application from it (TApplication::Terminate ends the
// modal windows too), so that the windows' clean-up (temporary folders,
// open files) runs. One object per program, alive while its windows are up.
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

    // For long work that does not go back to the message loop between its
    // steps (an opening that decodes many pictures): runs onSignal now for
    // each signal that came meanwhile, and nothing else that waits, so that
    // the work can stop at once when the program ends. Nothing without an
    // object.
    static void DeliverWaiting();

private:
    void Deliver();

    std::function<void()> onSignal_;
    std::unique_ptr<QSocketNotifier> notifier_;
};
