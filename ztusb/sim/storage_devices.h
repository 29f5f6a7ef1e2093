#pragma once
// Disk drive models: what a drive adds to the world, partitions and volumes included, as
// Windows presents them.

#include <cstdint>
#include <vector>

#include "ztusb/export.h"
#include "ztusb/world/cim_repository.h"
#include "ztusb/world/device_tree.h"

namespace zt::sim {

using host::String;

// One partition; a lettered one holds a volume. A partition without a letter (EFI system,
// recovery) is on the disk but has no logical disk.
struct Volume {
    String letter;  // e.g. E:; empty for a partition without a letter
    String fileSystem;
    std::uint64_t size;
    std::uint64_t freeSpace;
    String label;
    String volumeSerial;  // e.g. 1A2B3C4D
};

// How a drive's partitions are laid out and described.
enum class PartitionStyle { Mbr, Gpt };

// One disk drive: a stick, a disk or one slot of a card reader.
struct DiskDrive {
    String caption;
    String mediaType;
    String pnpDeviceId;   // USBSTOR\<disk part>\<instance>&<LUN>, or SCSI\... on UASP
    String serialNumber;  // empty when the drive reports none
    std::uint32_t index;  // \\.\PHYSICALDRIVE<index>, Disk #<index>
    std::uint16_t lun;    // the drive's place behind its USB device: a card reader's slot
    bool mediaLoaded;     // false for an empty card-reader slot: no size, no partitions
    PartitionStyle style;
    std::vector<Volume> volumes;  // the partitions, in disk order
    // The device node the disk hangs from: its USB device, or the mass storage interface of a
    // composite one. Empty for a disk off USB, which the tree is not given.
    String holder = {};
};

struct StorageDevice {
    String interfaceName;  // its USB device interface; empty for a built-in drive
    std::vector<DiskDrive> drives;
    std::vector<world::CimRepository::Values> entities = {};  // Win32_PnPEntity: its USB device
    std::vector<world::DeviceNode> nodes = {};  // its USB device's, placed where it is plugged in
};

// A USB stick: USBSTOR\DISK&VEN_SANDISK&PROD_CRUZER_BLADE&REV_1.00\<serial>&0.
ZT_SIM_API StorageDevice UsbStick(const String& serial, std::uint32_t index, std::vector<Volume> volumes);
// A stick without a USB serial number: Windows makes up both the USB instance (e.g.
// 5&1A2B3C4D&0&3) and the disk's (e.g. 7&2A3B4C5D), and they differ.
ZT_SIM_API StorageDevice UsbStickWithoutSerial(const String& usbInstance, const String& diskInstance,
                                               std::uint32_t index, std::vector<Volume> volumes);
// An external hard disk on USB, partitioned GPT; a volume without a letter is its EFI or
// recovery partition.
ZT_SIM_API StorageDevice ExternalHardDisk(const String& serial, std::uint32_t index,
                                          std::vector<Volume> volumes);
// A card reader with one drive per slot (LUN 0 to slotCount - 1, at most four), disks
// firstIndex onwards. A slot without volumes holds no medium. Throws std::invalid_argument
// for more volume lists than slots, or a slot count out of range.
ZT_SIM_API StorageDevice CardReader(const String& serial, std::uint32_t firstIndex,
                                    std::vector<std::vector<Volume>> slots, std::size_t slotCount = 4);
// A drive on USB-attached SCSI (UASP), as most external SSDs and USB 3 disks attach: the USB
// device (service UASPStor) holds the serial, which bridges with `msft30` show as
// MSFT30<serial>; each LUN is a drive SCSI\DISK&VEN_..&PROD_..\<instance Windows made>&<LUN>,
// disks firstIndex onwards, whose device ID does not hold the USB serial.
ZT_SIM_API StorageDevice UaspDisk(const String& serial, bool msft30, std::uint32_t firstIndex,
                                  std::vector<std::vector<Volume>> luns);
// One drive behind a USB mass storage interface, USBSTOR\<disk part>\<instance>&<LUN>,
// hanging from the node `holder`.
ZT_SIM_API DiskDrive UsbDiskDrive(const String& caption, const String& mediaType, const String& diskPart,
                                  const String& instance, const String& serialNumber, std::uint32_t index,
                                  std::uint16_t lun, PartitionStyle style, std::vector<Volume> volumes,
                                  const String& holder);
// One LUN of a UASP drive: SCSI\<disk part>\<instance>&<LUN in six digits>.
ZT_SIM_API DiskDrive UaspDiskDrive(const String& caption, const String& diskPart,
                                   const String& instance, const String& serialNumber,
                                   std::uint32_t index, std::uint16_t lun,
                                   std::vector<Volume> volumes);
// The workstation's own disk, which no volume query of the package selects.
ZT_SIM_API StorageDevice FixedDisk(std::uint32_t index, std::vector<Volume> volumes);

// The drive letters of a device as a broadcast's unit mask (bit 0 is A).
ZT_SIM_API std::uint32_t UnitMask(const StorageDevice& device);

// The instances a drive adds to the repository, and their keys.
ZT_SIM_API String DiskDeviceId(const DiskDrive& drive);
ZT_SIM_API String PartitionId(const DiskDrive& drive, std::size_t partition);
ZT_SIM_API world::CimRepository::Values DiskDriveObject(const DiskDrive& drive);
ZT_SIM_API world::CimRepository::Values PartitionObject(const DiskDrive& drive, std::size_t partition);
ZT_SIM_API world::CimRepository::Values LogicalDiskObject(const DiskDrive& drive, const Volume& volume);
// The drive as a PnP device: the entity and node of its disk.
ZT_SIM_API world::CimRepository::Values DiskEntity(const DiskDrive& drive);

}  // namespace zt::sim
