#pragma once
// This machine's USB devices on Linux, read from udev and sysfs as the machine world found
// them: the device's path gives its bus and ports, its interfaces their numbers, the tty and
// block nodes below them its ports and disks, the mount table its volumes.

#include <memory>

#include "ztusb/devices/device_source.h"
#include "ztusb/export.h"
#include "ztusb/udev/machine.h"

namespace zt::devices {

// Reads the machine world as it is at each call; it must outlive the source's use.
ZT_UDEV_API std::shared_ptr<const DeviceSource> MachineDeviceSource(const udev::MachineWorld& machine);

// One found device as a record.
ZT_UDEV_API UsbDevice MachineRecord(const udev::NamedDevices::Named& device);

}  // namespace zt::devices
