// Holds back SIGINT, SIGTERM and SIGHUP for its lifetime: one that comes
// meanwhile takes effect when it ends. The launcher unpacks under it, so an
// interrupted first run ends after its folder is complete and in place
// instead of leaving a half-unpacked one behind.
#pragma once

#include <signal.h>

class TSignalsHeld {
public:
    TSignalsHeld()
    {
        sigset_t held;
        ::sigemptyset(&held);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP})
            ::sigaddset(&held, signal);
        ::sigprocmask(SIG_BLOCK, &held, &previous_);
    }
    TSignalsHeld(const TSignalsHeld&) = delete;
    TSignalsHeld& operator=(const TSignalsHeld&) = delete;
    ~TSignalsHeld() { ::sigprocmask(SIG_SETMASK, &previous_, nullptr); }

private:
    sigset_t previous_;
};
