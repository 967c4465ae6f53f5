#include "dispatch/GuardedDispatch.h"

#include <cstdio>
#include <exception>

namespace {

TGuardedExceptionHandler exceptionHandler;

void ReportToStderr()
{
    try {
        throw;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "Unknown exception\n");
    }
}

} // namespace

void DispatchGuarded(TObject* Sender, const std::function<void()>& handler) noexcept
{
    try {
        handler();
    } catch (...) {
        if (exceptionHandler)
            exceptionHandler(Sender);
        else
            ReportToStderr();
    }
}

void SetGuardedExceptionHandler(TGuardedExceptionHandler handler) { exceptionHandler = std::move(handler); }
