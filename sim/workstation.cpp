#include "sim/workstation.h"

#include <cstring>

#include "sim/broadcast.h"
#include "sim/registry.h"
#include "win32/broadcast_records.h"

namespace zt::sim {
namespace {

const String& KeyOf(const CimRepository::Values& entity) {
    for (const auto& [name, value] : entity) {
        if (name == u"DeviceID") return value;
    }
    static const String none;
    return none;
}

std::vector<win32::BYTE> RegistryText(const String& text) {
    std::vector<win32::BYTE> bytes((text.size() + 1) * sizeof(char16_t), 0);
    std::memcpy(bytes.data(), text.data(), text.size() * sizeof(char16_t));
    return bytes;
}

template <typename Device>
void AnnounceInterface(std::uint32_t event, const Device& device) {
    if (device.interfaceName.empty()) return;
    BroadcastDeviceChange(event, DeviceInterfaceRecord(device.interfaceName,
                                                       win32::GUID_DEVINTERFACE_USB_DEVICE));
}

void AnnouncePorts(std::uint32_t event, const SerialDevice& device) {
    for (const SerialPort& port : device.ports) BroadcastDeviceChange(event, PortRecord(port.name));
}

void AnnounceVolumes(std::uint32_t event, const StorageDevice& device) {
    if (UnitMask(device) != 0) BroadcastDeviceChange(event, VolumeRecord(UnitMask(device)));
}

String Number(std::uint64_t value) { return host::FromAnsi(std::to_string(value)); }

String DiskDeviceId(const StorageDevice& device) {
    return u"\\\\.\\PHYSICALDRIVE" + Number(device.index);
}

String PartitionId(const StorageDevice& device, std::size_t partition) {
    return u"Disk #" + Number(device.index) + u", Partition #" + Number(partition);
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
    AnnounceInterface(DBT_DEVICEARRIVAL, device);
    AnnouncePorts(DBT_DEVICEARRIVAL, device);
}

void Workstation::Unplug(const SerialDevice& device) {
    Detach(device);
    AnnouncePorts(DBT_DEVICEREMOVECOMPLETE, device);
    AnnounceInterface(DBT_DEVICEREMOVECOMPLETE, device);
}

}  // namespace zt::sim

namespace zt::sim {

void Workstation::Attach(const StorageDevice& device) {
    std::uint64_t total = 0;
    for (const Volume& volume : device.volumes) total += volume.size;
    cim_.Add(u"Win32_DiskDrive", {{u"Caption", device.caption},
                                  {u"DeviceID", DiskDeviceId(device)},
                                  {u"Index", Number(device.index)},
                                  {u"MediaType", device.mediaType},
                                  {u"Model", device.caption},
                                  {u"Partitions", Number(device.volumes.size())},
                                  {u"PNPDeviceID", device.pnpDeviceId},
                                  {u"Size", Number(total)}});
    for (std::size_t i = 0; i < device.volumes.size(); ++i) {
        const Volume& volume = device.volumes[i];
        cim_.Add(u"Win32_DiskPartition", {{u"DeviceID", PartitionId(device, i)},
                                          {u"DiskIndex", Number(device.index)},
                                          {u"Index", Number(i)},
                                          {u"Size", Number(volume.size)}});
        cim_.Associate(u"Win32_DiskDriveToDiskPartition", DiskDeviceId(device), PartitionId(device, i));
        cim_.Add(u"Win32_LogicalDisk", {{u"DeviceID", volume.letter},
                                        {u"DriveType", device.interfaceName.empty() ? u"3" : u"2"},
                                        {u"FileSystem", volume.fileSystem},
                                        {u"FreeSpace", Number(volume.freeSpace)},
                                        {u"Size", Number(volume.size)},
                                        {u"VolumeName", volume.label},
                                        {u"VolumeSerialNumber", volume.volumeSerial}});
        cim_.Associate(u"Win32_LogicalDiskToPartition", PartitionId(device, i), volume.letter);
    }
}

void Workstation::Detach(const StorageDevice& device) {
    for (std::size_t i = 0; i < device.volumes.size(); ++i) {
        cim_.Remove(u"Win32_LogicalDisk", device.volumes[i].letter);
        cim_.Remove(u"Win32_DiskPartition", PartitionId(device, i));
    }
    cim_.Remove(u"Win32_DiskDrive", DiskDeviceId(device));
}

void Workstation::Plug(const StorageDevice& device) {
    Attach(device);
    AnnounceInterface(DBT_DEVICEARRIVAL, device);
    AnnounceVolumes(DBT_DEVICEARRIVAL, device);
}

void Workstation::Unplug(const StorageDevice& device) {
    Detach(device);
    AnnounceVolumes(DBT_DEVICEREMOVECOMPLETE, device);
    AnnounceInterface(DBT_DEVICEREMOVECOMPLETE, device);
}

}  // namespace zt::sim
