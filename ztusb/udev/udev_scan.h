#pragma once
// The USB devices udev knows, with their serial ports and disks: the facts the Windows
// world is made from. Where their file systems are mounted comes from the mount table.

#include <map>
#include <string>
#include <unordered_map>

#include "ztusb/udev/found_devices.h"
#include "ztusb/udev/mount_table.h"
#include "ztusb/udev/uevents.h"

struct udev;
struct udev_device;

namespace zt::udev {

// By each USB device's sysfs path: every one on the machine, or the one at `path` and those
// below it (none when it is gone).
std::map<std::string, FoundUsbDevice> ScanUsbDevices(::udev* context);
std::map<std::string, FoundUsbDevice> ScanUsbDevicesAt(::udev* context, const std::string& path);

// Reads the device at `path` again into the facts of its USB device. False when it is gone
// or not among the facts: the USB device is then to be read whole.
bool RereadPart(::udev* context, const std::string& path, DevicePart part, FoundUsbDevice& device);

// An event the monitor received.
Uevent UeventOf(udev_device* event);

// Mount points by device node.
using MountPoints = std::unordered_map<std::string, std::string>;
MountPoints ReadMountPoints(const MountTable& mounts);

// Sets each partition's mount point and space from the table; true when any changed.
bool ApplyMounts(FoundUsbDevice& device, const MountPoints& points, const MountTable& mounts);

}  // namespace zt::udev
