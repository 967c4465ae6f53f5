// DispatchGuarded: how the layer runs every handler it dispatches from Qt.
// No exception crosses Qt's event loop: one thrown by the handler goes to
// the installed exception handler (the application's HandleException), or
// to stderr while there is none.
#pragma once

#include <functional>

#include "Object.h"

// Runs handler; an exception it throws goes to the exception handler.
void DispatchGuarded(TObject* Sender, const std::function<void()>& handler) noexcept;

// Called inside the catch block, so it may rethrow the current exception to
// learn what it is. TApplication installs its HandleException while it lives;
// an empty handler uninstalls.
using TGuardedExceptionHandler = std::function<void(TObject* Sender)>;
void SetGuardedExceptionHandler(TGuardedExceptionHandler handler);
