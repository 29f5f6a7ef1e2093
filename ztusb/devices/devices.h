#pragma once
// The USB devices attached now, each with all its faces (zt::devices::UsbDevice). They come
// from one source for the process: by default the system's (Windows' device tree; on Linux
// this machine's through udev and sysfs), the tree of a world in use (WorldInUse), or a
// source a host installs.

#include <memory>
#include <vector>

#include "ztusb/devices/device_source.h"
#include "ztusb/devices/usb_device.h"
#include "ztusb/export.h"

namespace zt::devices {

ZT_API std::vector<UsbDevice> UsbDevices();

// Installs a source and returns the one it replaced; null restores the default.
ZT_API std::shared_ptr<const DeviceSource> SetDeviceSource(std::shared_ptr<const DeviceSource> source);
// Windows' device tree as installed (win32::CurrentDeviceTree), with the two WMI queries
// that tie its disks to their volumes' letters.
ZT_API std::shared_ptr<const DeviceSource> DeviceTreeSource();

}  // namespace zt::devices
