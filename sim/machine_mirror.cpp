#include "sim/machine_mirror.h"

#include <algorithm>
#include <utility>

#include "sim/broadcast.h"
#include "win32/broadcast_records.h"

namespace zt::sim {
namespace {

const MirroredDevice kNoDevice{};

bool HasPort(const SerialDevice& device, const String& name) {
    return std::any_of(device.ports.begin(), device.ports.end(),
                       [&](const SerialPort& port) { return port.name == name; });
}

void AnnounceInterface(std::uint32_t event, const MirroredDevice& device) {
    if (device.serial.interfaceName.empty()) return;
    BroadcastDeviceChange(event, DeviceInterfaceRecord(device.serial.interfaceName,
                                                       win32::GUID_DEVINTERFACE_USB_DEVICE));
}

// The ports of `from` that `other` lacks.
void AnnouncePorts(std::uint32_t event, const MirroredDevice& from, const MirroredDevice& other) {
    for (const SerialPort& port : from.serial.ports) {
        if (!HasPort(other.serial, port.name)) BroadcastDeviceChange(event, PortRecord(port.name));
    }
}

// The letters of `from` that `other` lacks, in one broadcast as Windows sends them.
void AnnounceVolumes(std::uint32_t event, const MirroredDevice& from, const MirroredDevice& other) {
    const std::uint32_t mask = UnitMask(from.storage) & ~UnitMask(other.storage);
    if (mask != 0) BroadcastDeviceChange(event, VolumeRecord(mask));
}

const MirroredDevice& Find(const MachineMirror::Devices& devices, const std::string& key) {
    const auto found = devices.find(key);
    return found == devices.end() ? kNoDevice : found->second;
}

}  // namespace

void MachineMirror::Add(const MirroredDevice& device) {
    station_.Attach(device.serial);
    station_.Attach(device.storage);
}

void MachineMirror::Remove(const MirroredDevice& device) {
    station_.Detach(device.storage);
    station_.Detach(device.serial);
}

void MachineMirror::Attach(Devices present) {
    for (const auto& [key, device] : present_) Remove(device);
    present_ = std::move(present);
    for (const auto& [key, device] : present_) Add(device);
}

void MachineMirror::Update(Devices present) {
    Devices before = std::exchange(present_, std::move(present));
    for (const auto& [key, device] : before) Remove(device);
    for (const auto& [key, device] : present_) Add(device);
    // Removals first, each device's in the reverse of its arrival.
    for (const auto& [key, old] : before) {
        const MirroredDevice& now = Find(present_, key);
        const bool gone = now.serial.interfaceName != old.serial.interfaceName;
        AnnounceVolumes(DBT_DEVICEREMOVECOMPLETE, old, gone ? kNoDevice : now);
        AnnouncePorts(DBT_DEVICEREMOVECOMPLETE, old, gone ? kNoDevice : now);
        if (gone) AnnounceInterface(DBT_DEVICEREMOVECOMPLETE, old);
    }
    for (const auto& [key, now] : present_) {
        const MirroredDevice& old = Find(before, key);
        const bool came = now.serial.interfaceName != old.serial.interfaceName;
        if (came) AnnounceInterface(DBT_DEVICEARRIVAL, now);
        AnnouncePorts(DBT_DEVICEARRIVAL, now, came ? kNoDevice : old);
        AnnounceVolumes(DBT_DEVICEARRIVAL, now, came ? kNoDevice : old);
    }
}

}  // namespace zt::sim
