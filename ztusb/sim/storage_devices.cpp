#include "ztusb/sim/storage_devices.h"

#include <cstdio>

#include <stdexcept>

#include "ztusb/sim/device_nodes.h"
#include "ztusb/sim/pnp_entities.h"
#include "ztusb/world/broadcast.h"

namespace zt::sim {
namespace {

constexpr char16_t kSystemName[] = u"DESKTOP-7Q2M4KD";
constexpr char16_t kRemovableMedia[] = u"Removable Media";
constexpr std::uint64_t kSectorBytes = 512;
constexpr std::uint64_t kHeads = 255;
constexpr std::uint64_t kSectorsPerTrack = 63;
constexpr std::uint64_t kFirstPartitionOffset = 1048576;  // where Windows starts partition 0

String Number(std::uint64_t value) { return host::FromAnsi(std::to_string(value)); }
String Flag(bool value) { return value ? u"TRUE" : u"FALSE"; }

bool IsRemovable(const DiskDrive& drive) { return drive.mediaType == kRemovableMedia; }

std::uint64_t PartitionOffset(const DiskDrive& drive, std::size_t partition) {
    std::uint64_t offset = kFirstPartitionOffset;
    for (std::size_t i = 0; i < partition; ++i) offset += drive.volumes[i].size;
    return offset;
}

String PartitionType(const DiskDrive& drive, const Volume& volume) {
    if (drive.style == PartitionStyle::Mbr) return u"Installable File System";
    return volume.letter.empty() ? u"GPT: System" : u"GPT: Basic Data";
}

// A USB mass storage device: its entity and node, and its drives hanging from it.
StorageDevice MassStorage(const String& hardware, const String& usbInstance, const String& product,
                          std::vector<DiskDrive> drives) {
    const auto entity = UsbEntity(u"USB Mass Storage Device", UsbDeviceId(hardware, usbInstance),
                                  u"Compatible USB storage device", u"USBSTOR");
    const world::DeviceNode usb = UsbNode(entity, product);
    for (DiskDrive& drive : drives) drive.holder = usb.id;
    return {.interfaceName = world::UsbDeviceInterfaceName(hardware, usbInstance),
            .drives = std::move(drives),
            .entities = {entity},
            .nodes = {usb}};
}

// Geometry as Windows reports it: whole cylinders of 255 heads and 63 sectors.
void AddGeometry(const DiskDrive& drive, world::CimRepository::Values& values) {
    std::uint64_t bytes = kFirstPartitionOffset;
    for (const Volume& volume : drive.volumes) bytes += volume.size;
    const std::uint64_t cylinderBytes = kHeads * kSectorsPerTrack * kSectorBytes;
    const std::uint64_t cylinders = (bytes + cylinderBytes - 1) / cylinderBytes;
    values.insert(values.end(), {{u"BytesPerSector", Number(kSectorBytes)},
                                 {u"SectorsPerTrack", Number(kSectorsPerTrack)},
                                 {u"Size", Number(cylinders * cylinderBytes)},
                                 {u"TotalCylinders", Number(cylinders)},
                                 {u"TotalHeads", Number(kHeads)},
                                 {u"TotalSectors", Number(cylinders * kHeads * kSectorsPerTrack)},
                                 {u"TotalTracks", Number(cylinders * kHeads)},
                                 {u"TracksPerCylinder", Number(kHeads)}});
}

}  // namespace

DiskDrive UsbDiskDrive(const String& caption, const String& mediaType, const String& diskPart,
                       const String& instance, const String& serialNumber, std::uint32_t index,
                       std::uint16_t lun, PartitionStyle style, std::vector<Volume> volumes, const String& holder) {
    return {.caption = caption,
            .mediaType = mediaType,
            .pnpDeviceId = u"USBSTOR\\" + diskPart + u"\\" + instance + u"&" + Number(lun),
            .serialNumber = serialNumber,
            .index = index,
            .lun = lun,
            .mediaLoaded = true,
            .style = style,
            .volumes = std::move(volumes),
            .holder = holder};
}

StorageDevice UsbStick(const String& serial, std::uint32_t index, std::vector<Volume> volumes) {
    return MassStorage(u"VID_0781&PID_5567", serial, u"Cruzer Blade",
                       {UsbDiskDrive(u"SanDisk Cruzer Blade USB Device", kRemovableMedia,
                                     u"DISK&VEN_SANDISK&PROD_CRUZER_BLADE&REV_1.00", serial, serial,
                                     index, 0, PartitionStyle::Mbr, std::move(volumes), {})});
}

StorageDevice UsbStickWithoutSerial(const String& usbInstance, const String& diskInstance,
                                    std::uint32_t index, std::vector<Volume> volumes) {
    return MassStorage(u"VID_058F&PID_6387", usbInstance, u"Mass Storage",
                       {UsbDiskDrive(u"Generic Flash Disk USB Device", kRemovableMedia,
                                     u"DISK&VEN_GENERIC&PROD_FLASH_DISK&REV_8.07", diskInstance, {},
                                     index, 0, PartitionStyle::Mbr, std::move(volumes), {})});
}

StorageDevice ExternalHardDisk(const String& serial, std::uint32_t index,
                               std::vector<Volume> volumes) {
    return MassStorage(u"VID_1058&PID_25A2", serial, u"Elements 25A2",
                       {UsbDiskDrive(u"WD Elements 25A2 USB Device", u"External hard disk media",
                                     u"DISK&VEN_WD&PROD_ELEMENTS_25A2&REV_1021", serial, serial,
                                     index, 0, PartitionStyle::Gpt, std::move(volumes), {})});
}

StorageDevice CardReader(const String& serial, std::uint32_t firstIndex,
                         std::vector<std::vector<Volume>> slots, std::size_t slotCount) {
    struct Slot {
        const char16_t* caption;
        const char16_t* product;
    };
    static constexpr Slot kSlots[] = {
        {u"Generic- SD/MMC USB Device", u"SD/MMC"},
        {u"Generic- Compact Flash USB Device", u"COMPACT_FLASH"},
        {u"Generic- SM/xD-Picture USB Device", u"SM/XD-PICTURE"},
        {u"Generic- MS/MS-Pro USB Device", u"MS/MS-PRO"},
    };
    if (slotCount < 1 || slotCount > std::size(kSlots) || slots.size() > slotCount) {
        throw std::invalid_argument("a card reader has one to four slots, and no more volume lists than slots");
    }
    slots.resize(slotCount);
    std::vector<DiskDrive> drives;
    for (std::uint16_t lun = 0; lun < slotCount; ++lun) {
        drives.push_back(UsbDiskDrive(kSlots[lun].caption, kRemovableMedia,
                                      u"DISK&VEN_GENERIC-&PROD_" + String(kSlots[lun].product) + u"&REV_1.00",
                                      serial, {}, firstIndex + lun, lun, PartitionStyle::Mbr,
                                      std::move(slots[lun]), {}));
        drives.back().mediaLoaded = !drives.back().volumes.empty();
    }
    return MassStorage(u"VID_058F&PID_6366", serial, u"Mass Storage Device", std::move(drives));
}

DiskDrive UaspDiskDrive(const String& caption, const String& diskPart, const String& instance,
                        const String& serialNumber, std::uint32_t index, std::uint16_t lun,
                        std::vector<Volume> volumes) {
    char place[8];
    std::snprintf(place, sizeof place, "%06u", static_cast<unsigned>(lun));
    return {.caption = caption,
            .mediaType = u"External hard disk media",
            .pnpDeviceId = u"SCSI\\" + diskPart + u"\\" + instance + u"&" + host::FromAnsi(place),
            .serialNumber = serialNumber,
            .index = index,
            .lun = lun,
            .mediaLoaded = true,
            .style = PartitionStyle::Gpt,
            .volumes = std::move(volumes)};
}

StorageDevice UaspDisk(const String& serial, bool msft30, std::uint32_t firstIndex,
                       std::vector<std::vector<Volume>> luns) {
    struct Bridge {
        const char16_t* hardware;
        const char16_t* caption;
        const char16_t* diskPart;
    };
    static constexpr Bridge kSamsungT5 = {u"VID_04E8&PID_61F5",
                                          u"Samsung Portable SSD T5 SCSI Disk Device",
                                          u"DISK&VEN_SAMSUNG&PROD_PORTABLE_SSD_T5"};
    static constexpr Bridge kJMicron = {u"VID_152D&PID_1561", u"External USB3.0 SCSI Disk Device",
                                        u"DISK&VEN_EXTERNAL&PROD_USB3.0"};
    const Bridge& bridge = msft30 ? kJMicron : kSamsungT5;
    const String usbInstance = msft30 ? u"MSFT30" + serial : serial;
    char number[16];
    std::snprintf(number, sizeof number, "%X",
                  static_cast<unsigned>(MadeUpInstanceNumber(host::ToUtf8(usbInstance))));
    const String instance = u"7&" + host::FromAnsi(number) + u"&0";
    const auto entity = UaspEntity(UsbDeviceId(bridge.hardware, usbInstance));
    StorageDevice device{.interfaceName = world::UsbDeviceInterfaceName(bridge.hardware, usbInstance),
                         .drives = {},
                         .entities = {entity},
                         .nodes = {UsbNode(entity, msft30 ? u"USB3.0" : u"Portable SSD T5")}};
    for (std::size_t lun = 0; lun < luns.size(); ++lun) {
        device.drives.push_back(UaspDiskDrive(bridge.caption, bridge.diskPart, instance, serial,
                                              firstIndex + static_cast<std::uint32_t>(lun),
                                              static_cast<std::uint16_t>(lun), std::move(luns[lun])));
        device.drives.back().holder = device.nodes.front().id;
    }
    return device;
}

StorageDevice FixedDisk(std::uint32_t index, std::vector<Volume> volumes) {
    return {.interfaceName = {},
            .drives = {{.caption = u"Samsung SSD 980 1TB",
                        .mediaType = u"Fixed hard disk media",
                        .pnpDeviceId = u"SCSI\\DISK&VEN_NVME&PROD_SAMSUNG_SSD_980\\5&1B2C3D4E&0&000000",
                        .serialNumber = {},
                        .index = index,
                        .lun = 0,
                        .mediaLoaded = true,
                        .style = PartitionStyle::Gpt,
                        .volumes = std::move(volumes)}}};
}

std::uint32_t UnitMask(const StorageDevice& device) {
    std::uint32_t mask = 0;
    for (const DiskDrive& drive : device.drives) {
        for (const Volume& volume : drive.volumes) {
            const char16_t letter = volume.letter.empty() ? 0 : volume.letter[0];
            if (letter >= u'A' && letter <= u'Z') mask |= 1u << (letter - u'A');
        }
    }
    return mask;
}

String DiskDeviceId(const DiskDrive& drive) { return u"\\\\.\\PHYSICALDRIVE" + Number(drive.index); }

String PartitionId(const DiskDrive& drive, std::size_t partition) {
    return u"Disk #" + Number(drive.index) + u", Partition #" + Number(partition);
}

world::CimRepository::Values DiskDriveObject(const DiskDrive& drive) {
    const bool usb = drive.pnpDeviceId.starts_with(u"USBSTOR\\");
    world::CimRepository::Values values = {{u"Caption", drive.caption},
                                    {u"ConfigManagerErrorCode", u"0"},
                                    {u"ConfigManagerUserConfig", u"FALSE"},
                                    {u"CreationClassName", u"Win32_DiskDrive"},
                                    {u"Description", u"Disk drive"},
                                    {u"DeviceID", DiskDeviceId(drive)},
                                    {u"Index", Number(drive.index)},
                                    {u"InterfaceType", usb ? u"USB" : u"SCSI"},
                                    {u"Manufacturer", u"(Standard disk drives)"},
                                    {u"MediaLoaded", Flag(drive.mediaLoaded)},
                                    {u"MediaType", drive.mediaType},
                                    {u"Model", drive.caption},
                                    {u"Name", DiskDeviceId(drive)},
                                    {u"Partitions", Number(drive.volumes.size())},
                                    {u"PNPDeviceID", drive.pnpDeviceId},
                                    {u"SCSIBus", u"0"},
                                    {u"SCSILogicalUnit", Number(drive.lun)},
                                    {u"SCSIPort", usb ? u"1" : u"0"},
                                    {u"SCSITargetId", u"0"},
                                    {u"Status", u"OK"},
                                    {u"SystemCreationClassName", u"Win32_ComputerSystem"},
                                    {u"SystemName", kSystemName}};
    if (!drive.serialNumber.empty()) values.emplace_back(u"SerialNumber", drive.serialNumber);
    if (drive.mediaLoaded) AddGeometry(drive, values);
    return values;
}

world::CimRepository::Values PartitionObject(const DiskDrive& drive, std::size_t partition) {
    const Volume& volume = drive.volumes[partition];
    const String id = PartitionId(drive, partition);
    const std::uint64_t offset = PartitionOffset(drive, partition);
    world::CimRepository::Values values = {{u"BlockSize", Number(kSectorBytes)},
                                    {u"Bootable", u"FALSE"},
                                    {u"BootPartition", u"FALSE"},
                                    {u"Caption", id},
                                    {u"CreationClassName", u"Win32_DiskPartition"},
                                    {u"Description", PartitionType(drive, volume)},
                                    {u"DeviceID", id},
                                    {u"DiskIndex", Number(drive.index)},
                                    {u"Index", Number(partition)},
                                    {u"Name", id},
                                    {u"NumberOfBlocks", Number(volume.size / kSectorBytes)},
                                    {u"PrimaryPartition", u"TRUE"},
                                    {u"Size", Number(volume.size)},
                                    {u"StartingOffset", Number(offset)},
                                    {u"SystemCreationClassName", u"Win32_ComputerSystem"},
                                    {u"SystemName", kSystemName},
                                    {u"Type", PartitionType(drive, volume)}};
    if (drive.style == PartitionStyle::Mbr) {
        values.emplace_back(u"HiddenSectors", Number(offset / kSectorBytes));
    }
    return values;
}

world::CimRepository::Values LogicalDiskObject(const DiskDrive& drive, const Volume& volume) {
    const bool removable = IsRemovable(drive);
    const bool ntfs = volume.fileSystem == u"NTFS";
    world::CimRepository::Values values = {
        {u"Access", u"0"},
        {u"Caption", volume.letter},
        {u"Compressed", u"FALSE"},
        {u"CreationClassName", u"Win32_LogicalDisk"},
        {u"Description", removable ? u"Removable Disk" : u"Local Fixed Disk"},
        {u"DeviceID", volume.letter},
        {u"DriveType", removable ? u"2" : u"3"},
        {u"FileSystem", volume.fileSystem},
        {u"FreeSpace", Number(volume.freeSpace)},
        {u"MaximumComponentLength", u"255"},
        {u"Name", volume.letter},
        {u"Size", Number(volume.size)},
        {u"SupportsDiskQuotas", Flag(ntfs)},
        {u"SupportsFileBasedCompression", Flag(ntfs)},
        {u"SystemCreationClassName", u"Win32_ComputerSystem"},
        {u"SystemName", kSystemName},
        {u"VolumeDirty", u"FALSE"},
        {u"VolumeName", volume.label},
        {u"VolumeSerialNumber", volume.volumeSerial}};
    if (!removable) values.emplace_back(u"MediaType", u"12");  // fixed hard disk media
    return values;
}

world::CimRepository::Values DiskEntity(const DiskDrive& drive) {
    return {{u"Caption", drive.caption},
            {u"ClassGuid", u"{4d36e967-e325-11ce-bfc1-08002be10318}"},
            {u"Description", u"Disk drive"},
            {u"DeviceID", drive.pnpDeviceId},
            {u"Manufacturer", u"(Standard disk drives)"},
            {u"Name", drive.caption},
            {u"PNPClass", u"DiskDrive"},
            {u"PNPDeviceID", drive.pnpDeviceId},
            {u"Present", u"TRUE"},
            {u"Service", u"disk"},
            {u"Status", u"OK"}};
}

}  // namespace zt::sim
