#pragma once
// What udev's events ask to read again of the machine: the USB device an event names (or
// lies in) with everything below it, or, for a change, the one device alone. Events outside
// USB change nothing that is mirrored.

#include <set>
#include <string>
#include <vector>

namespace zt::udev {

struct Uevent {
    std::string action;     // add, remove, change, bind, ...
    std::string path;       // in sysfs
    std::string subsystem;  // usb, tty, block
    std::string type;       // usb_device, usb_interface, disk, partition, ...
};

// What a change of one device can alter of its USB device's facts.
enum class DevicePart { UsbAttributes, Disk, Partition };

struct PartReread {
    std::string usbDevice;
    std::string path;
    DevicePart part;
};

struct Rereads {
    // USB devices to read with all below them; none lies below another.
    std::set<std::string> trees;
    // Single devices, in USB devices that are not read whole.
    std::vector<PartReread> parts;
    // USB devices the kernel removed, with all below them, whatever sysfs still shows: a
    // reading may come before their folders are gone.
    std::set<std::string> gone;
};

Rereads RereadsFor(const std::vector<Uevent>& events);

// Whether a sysfs path lies under one of the trees, or is one of them.
bool Covered(const std::string& path, const std::set<std::string>& trees);

// The USB device a sysfs path lies in, the path itself for a USB device's; empty outside USB.
std::string UsbDeviceOf(const std::string& path);

}  // namespace zt::udev
