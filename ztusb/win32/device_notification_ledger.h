#pragma once
// Which window subscribed to which device-interface class, on both platforms: Windows
// cannot be asked, and the simulated world's broadcast needs to know.

#include "ztusb/win32/api.h"

namespace zt::win32::ledger {

// Reads a device-interface filter; false when it is not one (wrong type or too short).
bool ReadInterfaceClass(const void* filter, GUID& interfaceClass);

void Add(HDEVNOTIFY notification, HWND window, const GUID& interfaceClass);
// False when the notification is not listed.
bool Remove(HDEVNOTIFY notification);
// Drops every subscription of a window that is gone.
void ForgetWindow(HWND window);

}  // namespace zt::win32::ledger
