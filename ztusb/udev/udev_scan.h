#pragma once
// The USB devices udev knows, with their serial ports and disks: the facts the Windows
// world is made from.

#include <map>
#include <string>

#include "ztusb/udev/found_devices.h"
#include "ztusb/udev/mount_table.h"

struct udev;

namespace zt::sim {

// By each USB device's sysfs path.
std::map<std::string, FoundUsbDevice> ScanUsbDevices(udev* context, const MountTable& mounts);

}  // namespace zt::sim
