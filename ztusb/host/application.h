#pragma once
// The application object's services: the message pump and the handler of unhandled failures.

#include <exception>
#include <functional>

#include "ztusb/export.h"
#include "ztusb/host/classes.h"

namespace zt::host {

using ExceptionHandler = std::function<void(TObject* Sender, std::exception_ptr failure)>;

// Returns the handler it replaced; an empty handler restores the default (a message box
// with the failure's text).
ZT_API ExceptionHandler SetExceptionHandler(ExceptionHandler handler);

// Translates and dispatches every message waiting in the calling thread's queue, then
// returns. A quit request stops it and is left in the queue, with its exit code, for the
// host's own loop.
ZT_API void ProcessMessages();

// Hands the failure being handled (call it inside a catch block) to the host's handler.
ZT_API void HandleException(TObject* Sender);

}  // namespace zt::host
