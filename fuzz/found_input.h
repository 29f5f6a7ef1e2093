#pragma once
// USB devices as udev describes them, read from a fuzz input: what a device says of itself
// (IDs, strings, interfaces, its disks' inquiry data, its file systems' labels, UUIDs and
// sizes). What the kernel names (nodes, partition numbers) is made up here, distinct as on a
// real machine.
//
// Per device: a shape byte (interfaces, serial ports, disks, hub), the texts vendor ID,
// product ID, serial, manufacturer, product (each up to a 0x1F byte), then per port an
// interface number (1 byte); per disk the texts vendor, model, revision, a LUN (2 bytes), a
// flags byte (removable, GPT, partitions, interface, UAS) and per partition its size (8
// bytes), a flags byte (mounted, file-system kind), the texts file-system version, label and
// UUID, and the mounted file system's size and free space (8 bytes each).

#include <array>
#include <string>

#include "fuzz/fuzz_input.h"
#include "ztusb/udev/found_devices.h"

namespace zt::fuzz {

// The nodes the kernel has handed out so far.
struct KernelNodes {
    unsigned ttys = 0;
    unsigned disks = 0;
};

namespace found_input {

constexpr std::uint8_t kTextEnd = 0x1F;
constexpr std::array<const char*, 6> kFileSystems = {"vfat", "exfat", "ntfs", "iso9660", "ext4", ""};

inline std::string Text(FuzzInput& input) { return std::string(AsText(input.TakeUntil(kTextEnd))); }

inline udev::FoundPartition Partition(FuzzInput& input, const std::string& disk, unsigned number) {
    udev::FoundPartition partition{};
    partition.node = disk + std::to_string(number);
    partition.number = number;
    partition.size = input.Take<std::uint64_t>();
    const auto flags = input.Take<std::uint8_t>();
    partition.fileSystem = kFileSystems[(flags >> 1) % kFileSystems.size()];
    partition.fileSystemVersion = Text(input);
    partition.label = Text(input);
    partition.uuid = Text(input);
    if ((flags & 1) != 0) partition.mountPoint = "/media/" + disk.substr(disk.rfind('/') + 1) + std::to_string(number);
    partition.fileSystemSize = input.Take<std::uint64_t>();
    partition.freeSpace = input.Take<std::uint64_t>();
    return partition;
}

inline udev::FoundDisk Disk(FuzzInput& input, const std::string& node) {
    udev::FoundDisk disk{};
    disk.node = node;
    disk.vendor = Text(input);
    disk.model = Text(input);
    disk.revision = Text(input);
    disk.lun = input.Take<std::uint16_t>();
    const auto flags = input.Take<std::uint8_t>();
    disk.removable = (flags & 1) != 0;
    disk.gpt = (flags & 2) != 0;
    disk.interfaceNumber = flags >> 5 & 3u;
    disk.uas = (flags & 0x80) != 0;
    for (unsigned number = 1; number <= (flags >> 2 & 7u) % 5u; ++number) {
        disk.partitions.push_back(Partition(input, node, number));
    }
    return disk;
}

}  // namespace found_input

// One USB device plugged in at `location` (1-4.2).
inline udev::FoundUsbDevice FoundDevice(FuzzInput& input, const std::string& location, KernelNodes& nodes) {
    using found_input::Text;
    udev::FoundUsbDevice device{};
    const auto shape = input.Take<std::uint8_t>();
    device.location = location;
    device.interfaceCount = shape & 7u;
    device.hub = (shape & 0x80) != 0;
    device.vendorId = Text(input);
    device.productId = Text(input);
    device.serial = Text(input);
    device.manufacturer = Text(input);
    device.product = Text(input);
    for (unsigned i = 0; i < (shape >> 3 & 3u); ++i) {
        device.ttys.push_back({"/dev/ttyUSB" + std::to_string(nodes.ttys++), input.Take<std::uint8_t>(), {}});
    }
    for (unsigned i = 0; i < (shape >> 5 & 3u); ++i) {
        device.disks.push_back(found_input::Disk(input, "/dev/sd" + std::string(1, static_cast<char>('b' + nodes.disks++))));
    }
    return device;
}

}  // namespace zt::fuzz
