#include "ztusb/devices/machine_source.h"

#include <algorithm>
#include <cstdlib>

#include "ztusb/win32/usb_identity.h"

namespace zt::devices {
namespace {

std::uint16_t HexId(const std::string& text) {
    return static_cast<std::uint16_t>(std::strtoul(text.substr(0, 4).c_str(), nullptr, 16));
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool IsFtdi(const udev::FoundUsbDevice& device) { return device.vendorId == "0403"; }

// 1-4.2 hangs from the hub at 1-4; 1-4 from the bus's root hub.
std::string HubOf(const std::string& location) {
    const std::size_t dot = location.rfind('.');
    return dot == std::string::npos ? std::string() : location.substr(0, dot);
}

void AddVolumes(const udev::FoundDisk& disk, const std::string& caption, UsbDevice& record) {
    for (const udev::FoundPartition& partition : disk.partitions) {
        // One not mounted (yet) shows its file system, without a letter and free space; one
        // mounted is a volume with its letter, as on Windows, whether udev knew its file
        // system or not.
        const bool mounted = !partition.mountPoint.empty();
        if (!mounted && partition.fileSystem.empty()) continue;
        Volume volume;
        volume.letter = host::ToUtf8(partition.letter);
        volume.mountPoint = partition.mountPoint;
        volume.fileSystem = host::ToUtf8(udev::WindowsFileSystem(partition.fileSystem, partition.fileSystemVersion));
        volume.size = static_cast<std::int64_t>(mounted ? partition.fileSystemSize : partition.size);
        volume.freeSpace = static_cast<std::int64_t>(mounted ? partition.freeSpace : 0);
        volume.label = partition.label;
        volume.serial = host::ToUtf8(udev::VolumeSerial(partition.uuid));
        volume.lun = disk.lun;
        volume.driveCaption = caption;
        record.volumes.push_back(std::move(volume));
    }
}

class MachineSource final : public DeviceSource {
public:
    explicit MachineSource(const udev::MachineWorld& machine) : machine_(machine) {}

    std::vector<UsbDevice> Attached() const override {
        std::vector<UsbDevice> records;
        for (const auto& [path, device] : machine_.Present()) records.push_back(MachineRecord(device));
        std::stable_sort(records.begin(), records.end(),
                         [](const UsbDevice& a, const UsbDevice& b) { return LocationBefore(a.location, b.location); });
        return records;
    }

private:
    const udev::MachineWorld& machine_;
};

}  // namespace

UsbDevice MachineRecord(const udev::NamedDevices::Named& named) {
    const udev::FoundUsbDevice& found = named.found;
    UsbDevice record;
    record.vendorId = HexId(found.vendorId);
    record.productId = HexId(found.productId);
    if (!found.serial.empty()) record.serial = found.serial;
    record.manufacturer = found.manufacturer;
    record.product = found.product;
    record.location = found.location;
    record.hub = HubOf(found.location);
    record.name = host::ToUtf8(win32::UsbIdentity(named.instance));
    record.isHub = found.hub;
    record.usbasp = record.vendorId == 0x16C0 && record.productId == 0x05DC;
    for (const udev::FoundTty& tty : found.ttys) {
        ComPort port{host::ToUtf8(tty.port), tty.node, static_cast<std::uint8_t>(tty.interfaceNumber), std::nullopt};
        // FTDI channels show no letter on Linux: the interface is the channel.
        if (IsFtdi(found) && tty.interfaceNumber < 26) port.channel = static_cast<char>('A' + tty.interfaceNumber);
        record.ports.push_back(std::move(port));
    }
    for (const udev::FoundDisk& disk : found.disks) {
        const std::string caption = Trimmed(Trimmed(disk.vendor) + " " + Trimmed(disk.model));
        record.disks.push_back({disk.node, disk.lun, caption});
        AddVolumes(disk, caption, record);
    }
    return record;
}

std::shared_ptr<const DeviceSource> MachineDeviceSource(const udev::MachineWorld& machine) {
    return std::make_shared<const MachineSource>(machine);
}

}  // namespace zt::devices
