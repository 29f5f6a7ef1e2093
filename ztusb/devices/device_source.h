#pragma once
// Where the device records come from: one source per platform behind one narrow seam, the
// USB devices attached now. Windows' device tree (the system's, or a simulated or recorded
// world's) is one; this machine's udev on Linux another.

#include <memory>
#include <vector>

#include "ztusb/devices/usb_device.h"
#include "ztusb/export.h"

namespace zt::devices {

class DeviceSource {
public:
    virtual ~DeviceSource() = default;
    // The USB devices attached now, ordered by location.
    virtual std::vector<UsbDevice> Attached() const = 0;
};

// What changed between two readings: the devices that came, those that went (as they
// were), and those whose faces changed (as they are now). A device is the same while it
// stays at its location with its IDs and name.
struct DeviceChanges {
    std::vector<UsbDevice> arrived;
    std::vector<UsbDevice> left;
    std::vector<UsbDevice> changed;
};
ZT_API DeviceChanges Compare(const std::vector<UsbDevice>& before, const std::vector<UsbDevice>& now);

// Orders locations as the buses and ports go: 1-2 < 1-2.1 < 1-10 < 2-1.
ZT_API bool LocationBefore(const std::string& a, const std::string& b);

}  // namespace zt::devices
