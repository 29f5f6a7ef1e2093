#include "ztusb/sim/announcements.h"

#include <algorithm>

#include "ztusb/world/broadcast.h"
#include "ztusb/win32/broadcast_records.h"

namespace zt::sim {
namespace {

bool HasPort(const SerialDevice& device, const String& name) {
    return std::any_of(device.ports.begin(), device.ports.end(),
                       [&](const SerialPort& port) { return port.name == name; });
}

}  // namespace

void AnnounceInterface(std::uint32_t event, const String& interfaceName) {
    if (interfaceName.empty()) return;
    world::BroadcastDeviceChange(event, world::DeviceInterfaceRecord(interfaceName, win32::GUID_DEVINTERFACE_USB_DEVICE));
}

void AnnouncePorts(std::uint32_t event, const SerialDevice& device, const SerialDevice& except) {
    for (const SerialPort& port : device.ports) {
        if (!HasPort(except, port.name)) world::BroadcastDeviceChange(event, world::PortRecord(port.name));
    }
}

void AnnounceVolumes(std::uint32_t event, const StorageDevice& device, const StorageDevice& except) {
    const std::uint32_t mask = UnitMask(device) & ~UnitMask(except);
    if (mask != 0) world::BroadcastDeviceChange(event, world::VolumeRecord(mask));
}

}  // namespace zt::sim
