#include "ztusb/devices/devices.h"

#include "ztusb/devices/d2xx_entries.h"
#include "ztusb/devices/default_source.h"

#include <algorithm>
#include <charconv>

namespace zt::devices {
namespace {

std::shared_ptr<const DeviceSource>& InstalledSource() {
    static std::shared_ptr<const DeviceSource> source;
    return source;
}

// The numbers of a location, 1-4.2 -> 1, 4, 2; what is no number ends the list.
std::vector<unsigned> LocationNumbers(const std::string& location) {
    std::vector<unsigned> numbers;
    const char* at = location.data();
    const char* end = at + location.size();
    while (at < end) {
        unsigned value = 0;
        const auto [next, error] = std::from_chars(at, end, value);
        if (error != std::errc()) break;
        numbers.push_back(value);
        at = next + (next < end ? 1 : 0);
    }
    return numbers;
}

bool SameDevice(const UsbDevice& a, const UsbDevice& b) {
    return a.location == b.location && a.vendorId == b.vendorId && a.productId == b.productId && a.name == b.name;
}

}  // namespace

bool LocationBefore(const std::string& a, const std::string& b) {
    const std::vector<unsigned> left = LocationNumbers(a);
    const std::vector<unsigned> right = LocationNumbers(b);
    if (left != right) return left < right;
    return a < b;
}

DeviceChanges Compare(const std::vector<UsbDevice>& before, const std::vector<UsbDevice>& now) {
    DeviceChanges changes;
    for (const UsbDevice& old : before) {
        const auto still = std::find_if(now.begin(), now.end(), [&](const UsbDevice& d) { return SameDevice(d, old); });
        if (still == now.end()) changes.left.push_back(old);
    }
    for (const UsbDevice& device : now) {
        const auto old = std::find_if(before.begin(), before.end(), [&](const UsbDevice& d) { return SameDevice(d, device); });
        if (old == before.end()) {
            changes.arrived.push_back(device);
        } else if (!(*old == device)) {
            changes.changed.push_back(device);
        }
    }
    return changes;
}

std::vector<UsbDevice> UsbDevices() {
    const std::shared_ptr<const DeviceSource>& installed = InstalledSource();
    std::vector<UsbDevice> devices = (installed ? installed : DefaultDeviceSource())->Attached();
    AttachD2xxEntries(devices);
    return devices;
}

std::shared_ptr<const DeviceSource> SetDeviceSource(std::shared_ptr<const DeviceSource> source) {
    std::shared_ptr<const DeviceSource> previous = std::move(InstalledSource());
    InstalledSource() = std::move(source);
    return previous;
}

}  // namespace zt::devices
