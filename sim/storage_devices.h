#pragma once
// Disk drive models: what a drive adds to the world, partitions and volumes included.

#include <cstdint>
#include <vector>

#include "sim/cim_schema.h"

namespace zt::sim {

// One lettered partition.
struct Volume {
    String letter;  // e.g. E:
    String fileSystem;
    std::uint64_t size;
    std::uint64_t freeSpace;
    String label;
    String volumeSerial;  // e.g. 1A2B3C4D
};

struct StorageDevice {
    String interfaceName;  // its USB device interface; empty for a built-in drive
    String caption;
    String mediaType;
    String pnpDeviceId;
    std::uint32_t index;  // \\.\PHYSICALDRIVE<index>, Disk #<index>
    std::vector<Volume> volumes;
};

// A USB stick: USBSTOR\DISK&VEN_SANDISK&PROD_CRUZER_BLADE&REV_1.00\<serial>&0.
StorageDevice UsbStick(const String& serial, std::uint32_t index, std::vector<Volume> volumes);
// An external hard disk on USB.
StorageDevice ExternalHardDisk(const String& serial, std::uint32_t index,
                               std::vector<Volume> volumes);
// The workstation's own disk, which no volume query of the package selects.
StorageDevice FixedDisk(std::uint32_t index, std::vector<Volume> volumes);

// The drive letters of a device as a broadcast's unit mask (bit 0 is A).
std::uint32_t UnitMask(const StorageDevice& device);

}  // namespace zt::sim
