#pragma once
// The one name a USB device goes by in the package's records and events, however it was
// seen: the instance part of its device ID, which is its serial number where Windows took
// that, and otherwise an instance Windows made (5&2D6E3B1&0&2). It is written in capitals,
// as WMI and the registry write device IDs, whatever letter case a broadcast carries:
// Windows compares instance IDs ignoring case.

#include <optional>
#include <string_view>

#include "ztusb/export.h"
#include <string>

namespace zt::win32 {

// An instance Windows made: three groups of hex digits, each followed by '&', then the rest.
ZT_API bool IsMadeUpInstance(std::u16string_view instance);
ZT_API std::u16string UsbIdentity(std::u16string_view instance);

// Whether the device ID names a USB device itself, USB\VID_xxxx&PID_yyyy\<instance>: not an
// interface of one (&MI_xx) and not a root hub.
ZT_API bool IsUsbDeviceId(std::u16string_view deviceId);

// The identity of the USB device that holds a device (a port, an interface, a disk, or the
// USB device itself), found up the device tree from its device ID; nothing where the tree
// does not hold it.
ZT_API std::optional<std::u16string> HolderIdentity(std::u16string_view deviceId);

}  // namespace zt::win32
