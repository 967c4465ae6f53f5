// Runs a clean-up step when a scope ends, however it ends. The step must not
// throw: it runs while an exception may be passing.
#pragma once

#include <utility>

template <class Step>
class TScopeExit {
public:
    explicit TScopeExit(Step step) : step_(std::move(step)) {}
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;
    ~TScopeExit() { step_(); }

private:
    Step step_;
};
