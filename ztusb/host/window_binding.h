#pragma once
// Hidden top-level windows bound to a method of an object.

#include <functional>

#include "ztusb/export.h"
#include "ztusb/win32/api.h"

namespace zt::host {

struct TMessage {
    win32::UINT Msg;
    win32::WPARAM WParam;
    win32::LPARAM LParam;
    win32::LRESULT Result;
};

using TWndMethod = std::function<void(TMessage& Message)>;

// A hidden top-level window on the calling thread; every message reaches the method with
// its result preset to 0. Null when the window cannot be made.
ZT_API win32::HWND AllocateHWnd(TWndMethod method);

// Releases the binding between the window and its method; from then on the window's
// messages get the default processing. The window itself stays until DestroyWindow.
ZT_API void FreeObjectInstance(win32::HWND window);

}  // namespace zt::host
