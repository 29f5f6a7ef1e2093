// Windows: the system's own calls, plus the subscription ledger beside them.
#include "ztusb/win32/api.h"
#include "ztusb/win32/device_notification_ledger.h"
#include "ztusb/win32/windows_names.h"

namespace zt::win32 {

HDEVNOTIFY RegisterDeviceNotificationW(HANDLE recipient, LPVOID filter, DWORD flags) {
    HDEVNOTIFY notification = ::RegisterDeviceNotificationW(recipient, filter, flags);
    GUID interfaceClass{};
    if (notification != nullptr && flags == DEVICE_NOTIFY_WINDOW_HANDLE &&
        ledger::ReadInterfaceClass(filter, interfaceClass)) {
        ledger::Add(notification, static_cast<HWND>(recipient), interfaceClass);
    }
    return notification;
}

BOOL UnregisterDeviceNotification(HDEVNOTIFY notification) {
    ledger::Remove(notification);
    return ::UnregisterDeviceNotification(notification);
}

}  // namespace zt::win32
