#include "ztusb/sim/workstation.h"

#include "ztusb/sim/announcements.h"
#include "ztusb/world/broadcast.h"
#include "ztusb/world/registry.h"
#include "ztusb/win32/broadcast_records.h"
#include "ztusb/win32/windows_names.h"

namespace zt::sim {
namespace {

const String& KeyOf(const CimRepository::Values& entity) {
    for (const auto& [name, value] : entity) {
        if (name == u"DeviceID") return value;
    }
    static const String none;
    return none;
}

}  // namespace

std::function<std::optional<std::vector<String>>(const String&)> Workstation::WmiBackend() const {
    return [this](const String& query) { return cim_.Query(query); };
}

void Workstation::Attach(const SerialDevice& device) {
    for (const auto& entity : device.entities) cim_.Add(u"Win32_PnPEntity", entity);
    if (!RegistryIsSimulated()) return;
    for (const SerialPort& port : device.ports) {
        SetRegistryValue(kSerialCommKey, port.registryValueName, REG_SZ, RegistryText(port.name));
    }
}

void Workstation::Detach(const SerialDevice& device) {
    for (const auto& entity : device.entities) cim_.Remove(u"Win32_PnPEntity", KeyOf(entity));
    if (!RegistryIsSimulated()) return;
    for (const SerialPort& port : device.ports) DeleteRegistryValue(kSerialCommKey, port.registryValueName);
}

void Workstation::Plug(const SerialDevice& device) {
    Attach(device);
    AnnounceInterface(DBT_DEVICEARRIVAL, device.interfaceName);
    AnnouncePorts(DBT_DEVICEARRIVAL, device);
}

void Workstation::Unplug(const SerialDevice& device) {
    Detach(device);
    AnnouncePorts(DBT_DEVICEREMOVECOMPLETE, device);
    AnnounceInterface(DBT_DEVICEREMOVECOMPLETE, device.interfaceName);
}

}  // namespace zt::sim

namespace zt::sim {

void Workstation::Attach(const StorageDevice& device) {
    for (const auto& entity : device.entities) cim_.Add(u"Win32_PnPEntity", entity);
    for (const DiskDrive& drive : device.drives) {
        cim_.Add(u"Win32_DiskDrive", DiskDriveObject(drive));
        for (std::size_t i = 0; i < drive.volumes.size(); ++i) {
            const String partition = PartitionId(drive, i);
            cim_.Add(u"Win32_DiskPartition", PartitionObject(drive, i));
            cim_.Associate(u"Win32_DiskDriveToDiskPartition", DiskDeviceId(drive), partition);
            const Volume& volume = drive.volumes[i];
            if (volume.letter.empty()) continue;  // EFI or recovery: no logical disk
            cim_.Add(u"Win32_LogicalDisk", LogicalDiskObject(drive, volume));
            cim_.Associate(u"Win32_LogicalDiskToPartition", partition, volume.letter);
        }
    }
}

void Workstation::Detach(const StorageDevice& device) {
    for (const DiskDrive& drive : device.drives) {
        for (std::size_t i = 0; i < drive.volumes.size(); ++i) {
            if (!drive.volumes[i].letter.empty()) {
                cim_.Remove(u"Win32_LogicalDisk", drive.volumes[i].letter);
            }
            cim_.Remove(u"Win32_DiskPartition", PartitionId(drive, i));
        }
        cim_.Remove(u"Win32_DiskDrive", DiskDeviceId(drive));
    }
    for (const auto& entity : device.entities) cim_.Remove(u"Win32_PnPEntity", KeyOf(entity));
}

void Workstation::Plug(const StorageDevice& device) {
    Attach(device);
    AnnounceInterface(DBT_DEVICEARRIVAL, device.interfaceName);
    AnnounceVolumes(DBT_DEVICEARRIVAL, device);
}

void Workstation::Unplug(const StorageDevice& device) {
    Detach(device);
    AnnounceVolumes(DBT_DEVICEREMOVECOMPLETE, device);
    AnnounceInterface(DBT_DEVICEREMOVECOMPLETE, device.interfaceName);
}

}  // namespace zt::sim

namespace zt::sim {

void Workstation::Attach(const RecordedArrivals& arrivals) {
    for (const RecordedInstance& instance : arrivals.instances) {
        cim_.Add(instance.className, instance.values, instance.written);
    }
    for (const RecordedLink& link : arrivals.links) {
        cim_.Associate(link.association, link.antecedentKey, link.dependentKey);
    }
    if (!RegistryIsSimulated()) return;
    for (const RecordedRegistryValue& value : arrivals.serialPorts) {
        SetRegistryValue(kSerialCommKey, value.name, value.type, value.data);
    }
}

void Workstation::Detach(const RecordedDepartures& departures) {
    for (const RecordedInstanceKey& instance : departures.instances) cim_.Remove(instance.className, instance.key);
    if (!RegistryIsSimulated()) return;
    for (const String& name : departures.serialPorts) DeleteRegistryValue(kSerialCommKey, name);
}

void Workstation::Replay(const RecordedBroadcast& broadcast) {
    Detach(broadcast.went);
    Attach(broadcast.came);
    BroadcastDeviceChange(broadcast.event, broadcast.record);
}

}  // namespace zt::sim
