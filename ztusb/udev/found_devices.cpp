#include "ztusb/udev/found_devices.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "ztusb/world/broadcast.h"
#include "ztusb/sim/device_nodes.h"
#include "ztusb/sim/pnp_entities.h"

namespace zt::udev {
namespace {

constexpr std::size_t kMaxInstance = 126;  // Windows' device IDs hold 200 characters in all
constexpr std::size_t kMaxText = 126;
constexpr char kFtdiVendor[] = "0403";

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Text a device wrote, for display: UTF-8, control characters as blanks, bounded.
String DisplayText(const std::string& raw, const char16_t* fallback) {
    String text = host::FromUtf8(raw.substr(0, kMaxText * 3));
    std::replace_if(text.begin(), text.end(), [](char16_t c) { return c < u' ' || c == 0x7F; }, u' ');
    text = host::Trim(text).substr(0, kMaxText);
    return text.empty() ? String(fallback) : text;
}

// Windows takes a serial number as the instance only when every character is printable
// ASCII and none is a comma; the backslash would split the device ID.
bool UsableSerial(const std::string& serial) {
    if (serial.empty() || serial.size() > kMaxInstance) return false;
    return std::all_of(serial.begin(), serial.end(), [](char c) {
        return c > ' ' && c < 0x7F && c != ',' && c != '\\';
    });
}

// A part of a device ID made from text a device wrote: blanks and what may not stand in
// a device ID become '_', in capitals.
String IdPart(const std::string& raw, std::size_t length) {
    std::string part = Trimmed(raw).substr(0, length);
    for (char& c : part) {
        if (c <= ' ' || c >= 0x7F || c == '\\' || c == ',') c = '_';
    }
    return host::UpperCase(host::FromAnsi(part));
}

String HexId(const std::string& raw) {
    const bool hex = raw.size() == 4 && std::all_of(raw.begin(), raw.end(), [](char c) {
                         return std::isxdigit(static_cast<unsigned char>(c)) != 0;
                     });
    return hex ? host::UpperCase(host::FromAnsi(raw)) : u"0000";
}

String Hardware(const FoundUsbDevice& device) {
    return u"VID_" + HexId(device.vendorId) + u"&PID_" + HexId(device.productId);
}

String Hex(std::uint32_t value, const char* format) {
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    return host::FromAnsi(text);
}

// The last number of the port path: 1-1.2 -> 2.
String PortOfLocation(const std::string& location) {
    const auto cut = location.find_last_of(".-");
    const std::string last = cut == std::string::npos ? location : location.substr(cut + 1);
    return IdPart(last, 3);
}

String InterfaceInstance(const FoundUsbDevice& device, unsigned interfaceNumber) {
    const std::string seed = device.location + ":" + std::to_string(interfaceNumber);
    return u"7&" + Hex(sim::MadeUpInstanceNumber(seed), "%x") + u"&0&" + Hex(interfaceNumber & 0xFFFFu, "%04X");
}

bool IsFtdi(const FoundUsbDevice& device) { return device.vendorId == kFtdiVendor; }
// A device whose serial port and disk sit on one interface, by its own count, is still two
// functions: taken as one, the port's device ID would be the mass storage device's. So is a
// hub with a port, whose ID would be the hub's.
bool IsComposite(const FoundUsbDevice& device) {
    return device.interfaceCount > 1 || (!device.ttys.empty() && (!device.disks.empty() || device.hub));
}
bool IsUas(const FoundUsbDevice& device) {
    return std::any_of(device.disks.begin(), device.disks.end(), [](const FoundDisk& disk) { return disk.uas; });
}

// The USB device's own entity and node; a single-interface serial adapter has none apart
// from its port's, which is the USB device.
void AddUsbDevice(const FoundUsbDevice& device, const String& instance, MirroredDevice& mirrored) {
    const String id = sim::UsbDeviceId(Hardware(device), instance);
    const String manufacturer = DisplayText(device.manufacturer, u"(Standard USB Host Controller)");
    world::CimRepository::Values entity;
    if (device.hub) {
        entity = sim::UsbEntity(u"Generic USB Hub", id, u"(Standard USB HUBs)", u"USBHUB3");
    } else if (IsComposite(device)) {
        entity = sim::UsbEntity(u"USB Composite Device", id, u"(Standard USB Host Controller)", u"usbccgp");
    } else if (IsFtdi(device)) {
        entity = sim::UsbEntity(u"USB Serial Converter", id, manufacturer, u"FTDIBUS");
    } else if (IsUas(device)) {
        entity = sim::UaspEntity(id);
    } else if (!device.disks.empty()) {
        entity = sim::UsbEntity(u"USB Mass Storage Device", id, u"Compatible USB storage device", u"USBSTOR");
    } else if (device.ttys.empty()) {
        entity = sim::UsbEntity(DisplayText(device.product, u"USB Device"), id, manufacturer, u"WinUSB");
    } else {
        return;
    }
    mirrored.serial.entities.push_back(entity);
    mirrored.serial.nodes.push_back(sim::UsbNode(entity, DisplayText(device.product, u"")));
}

String InterfaceId(const FoundUsbDevice& device, unsigned interfaceNumber) {
    return sim::UsbDeviceId(Hardware(device) + u"&MI_" + Hex(interfaceNumber & 0xFFu, "%02X"),
                       InterfaceInstance(device, interfaceNumber));
}

// An interface's own node, once: an FTDI channel's or a mass storage function's, which the
// port or the disks hang from.
const String& InterfaceNode(const FoundUsbDevice& device, unsigned interfaceNumber, const String& description,
                            const String& service, MirroredDevice& mirrored) {
    const String id = InterfaceId(device, interfaceNumber);
    for (const world::DeviceNode& node : mirrored.serial.nodes) {
        if (node.id == id) return node.id;
    }
    const auto entity = sim::UsbEntity(description, id, DisplayText(device.manufacturer, u"(Standard USB Host Controller)"),
                                  service);
    mirrored.serial.entities.push_back(entity);
    mirrored.serial.nodes.push_back(sim::ChildNode(entity, mirrored.serial.nodes.front().id));
    return mirrored.serial.nodes.back().id;
}

// Several ports may come out with one device ID (ports sharing an interface, FTDI interfaces
// past Z): the second and later get their place appended, so that each has one of its own.
// Below a device that is a port itself, they are its interface's: an ID of a USB device's
// shape would make them devices of their own in the device tree.
String PortDeviceId(const FoundUsbDevice& device, const String& instance, const FoundTty& tty,
                    unsigned place) {
    const String hardware = Hardware(device);
    const String apart = place == 0 ? String() : u"&" + Hex(place, "%u");
    if (IsFtdi(device)) {
        return sim::FtdiPortId(hardware, instance + apart,
                          static_cast<char16_t>(u'A' + std::min(tty.interfaceNumber, 25u)));
    }
    if (IsComposite(device) || place != 0) {
        return sim::UsbDeviceId(hardware + u"&MI_" + Hex(tty.interfaceNumber & 0xFFu, "%02X"),
                           InterfaceInstance(device, tty.interfaceNumber) + apart);
    }
    return sim::UsbDeviceId(hardware, instance + apart);
}

// Each port's entity and node: below the USB device (an FTDI chip's), below its channel's
// interface (a multi-channel FTDI chip's), as the interface itself (another composite
// device's), or as the USB device itself (a single-interface adapter's).
void AddPorts(const FoundUsbDevice& device, const String& instance, MirroredDevice& mirrored) {
    std::map<String, unsigned> portsWithId;
    for (const FoundTty& tty : device.ttys) {
        const String firstId = PortDeviceId(device, instance, tty, 0);
        const unsigned place = portsWithId[firstId]++;
        const auto entity = sim::PortEntity(DisplayText(device.product, u"USB Serial Device"), tty.port,
                                       place == 0 ? firstId : PortDeviceId(device, instance, tty, place),
                                       DisplayText(device.manufacturer, u"(Standard port types)"),
                                       IsFtdi(device) ? u"FTSER2K" : u"usbser");
        mirrored.serial.ports.push_back({tty.port, host::FromUtf8(tty.node)});
        mirrored.serial.entities.push_back(entity);
        auto& nodes = mirrored.serial.nodes;
        if (nodes.empty()) {
            nodes.push_back(sim::UsbPortNode(entity, DisplayText(device.product, u""), tty.port));
        } else if (IsFtdi(device) && IsComposite(device)) {
            const String channel(1, static_cast<char16_t>(u'A' + std::min(tty.interfaceNumber, 25u)));
            const String parent = InterfaceNode(device, tty.interfaceNumber, u"USB Serial Converter " + channel,
                                                u"FTDIBUS", mirrored);
            nodes.push_back(sim::ChildNode(entity, parent, tty.port));
        } else {
            nodes.push_back(sim::ChildNode(entity, nodes.front().id, tty.port));
        }
    }
}

sim::Volume MirrorVolume(const FoundPartition& partition) {
    const bool mounted = !partition.letter.empty();
    return {partition.letter,
            WindowsFileSystem(partition.fileSystem, partition.fileSystemVersion),
            mounted ? partition.fileSystemSize : partition.size,
            mounted ? partition.freeSpace : 0,
            DisplayText(partition.label, u""),
            VolumeSerial(partition.uuid)};
}

String DiskPart(const FoundDisk& disk, bool withRevision) {
    const String part = u"DISK&VEN_" + IdPart(disk.vendor, 8) + u"&PROD_" + IdPart(disk.model, 16);
    return withRevision ? part + u"&REV_" + IdPart(disk.revision, 4) : part;
}

String DiskCaption(const FoundDisk& disk, const char16_t* ending) {
    const std::string caption = Trimmed(Trimmed(disk.vendor) + " " + Trimmed(disk.model));
    return DisplayText(caption, u"USB") + ending;
}

// What sets apart a disk whose device ID another disk of the device has (the LUN 0 of
// each of two mass storage interfaces): its place, appended to the instance as for ports.
String Apart(unsigned place) { return place == 0 ? String() : u"&" + Hex(place, "%u"); }

// USBSTOR\DISK&VEN_<8>&PROD_<16>&REV_<4>\<instance>&<LUN>, as the SCSI inquiry gives them.
sim::DiskDrive UsbstorDrive(const FoundUsbDevice& device, const String& instance, const FoundDisk& disk,
                       const String& serialNumber, unsigned place) {
    const String diskInstance = serialNumber.empty()
                                    ? u"7&" + Hex(sim::MadeUpInstanceNumber(device.location + "/disk"), "%X")
                                    : host::UpperCase(instance);
    return {DiskCaption(disk, u" USB Device"),
            disk.removable ? u"Removable Media" : u"External hard disk media",
            u"USBSTOR\\" + DiskPart(disk, true) + u"\\" + diskInstance + Apart(place) + u"&" +
                host::FromAnsi(std::to_string(disk.lun)),
            serialNumber,
            disk.index,
            disk.lun,
            true,
            sim::PartitionStyle::Mbr,
            {}};
}

// On USB-attached SCSI: SCSI\DISK&VEN_<8>&PROD_<16>\<instance Windows made>&<LUN>.
sim::DiskDrive UaspDrive(const FoundUsbDevice& device, const FoundDisk& disk, const String& serialNumber,
                    unsigned place) {
    return sim::UaspDiskDrive(DiskCaption(disk, u" SCSI Disk Device"), DiskPart(disk, false),
                         u"7&" + Hex(sim::MadeUpInstanceNumber(device.location + "/scsi"), "%X") + u"&0" + Apart(place),
                         serialNumber, disk.index, disk.lun, {});
}

sim::DiskDrive MirrorDisk(const FoundUsbDevice& device, const String& instance, const FoundDisk& disk, unsigned place,
                     MirroredDevice& mirrored) {
    const String serialNumber = UsableSerial(device.serial) ? host::FromAnsi(device.serial) : String();
    sim::DiskDrive drive = disk.uas ? UaspDrive(device, disk, serialNumber, place)
                               : UsbstorDrive(device, instance, disk, serialNumber, place);
    drive.holder = IsComposite(device) ? InterfaceNode(device, disk.interfaceNumber, u"USB Mass Storage Device",
                                                       u"USBSTOR", mirrored)
                                       : mirrored.serial.nodes.front().id;
    drive.style = disk.gpt ? sim::PartitionStyle::Gpt : sim::PartitionStyle::Mbr;
    for (const FoundPartition& partition : disk.partitions) drive.volumes.push_back(MirrorVolume(partition));
    return drive;
}

void AddDisks(const FoundUsbDevice& device, const String& instance, MirroredDevice& mirrored) {
    std::map<String, unsigned> drivesWithId;
    for (const FoundDisk& disk : device.disks) {
        sim::DiskDrive drive = MirrorDisk(device, instance, disk, 0, mirrored);
        const unsigned place = drivesWithId[drive.pnpDeviceId]++;
        if (place != 0) drive = MirrorDisk(device, instance, disk, place, mirrored);
        mirrored.storage.drives.push_back(std::move(drive));
    }
}

}  // namespace

String UsbInstance(const FoundUsbDevice& device) {
    return UsableSerial(device.serial) ? host::FromAnsi(device.serial) : MadeUpInstance(device);
}

String MadeUpInstance(const FoundUsbDevice& device) {
    return u"5&" + Hex(sim::MadeUpInstanceNumber(device.location), "%x") + u"&0&" +
           PortOfLocation(device.location);
}

MirroredDevice MirrorDevice(const FoundUsbDevice& device, const String& instance) {
    MirroredDevice mirrored;
    mirrored.location = host::FromUtf8(device.location);
    mirrored.serial.interfaceName = world::UsbDeviceInterfaceName(Hardware(device), instance);
    AddUsbDevice(device, instance, mirrored);
    AddPorts(device, instance, mirrored);
    AddDisks(device, instance, mirrored);
    return mirrored;
}

std::string ComNameKey(const FoundUsbDevice& device, const String& instance, const FoundTty& tty) {
    return host::ToUtf8(Hardware(device) + u"\\" + instance) + "#" + std::to_string(tty.interfaceNumber);
}

std::string VolumeNameKey(const String& instance, const FoundDisk& disk, std::size_t partition) {
    const std::string& uuid = disk.partitions[partition].uuid;
    if (!uuid.empty()) return "uuid:" + host::ToUtf8(IdPart(uuid, 64));
    return host::ToUtf8(instance) + "#" + std::to_string(disk.lun) + "#" + std::to_string(partition);
}

String WindowsFileSystem(const std::string& type, const std::string& version) {
    if (type == "vfat") return version == "FAT32" ? u"FAT32" : u"FAT";
    if (type == "exfat") return u"exFAT";
    if (type == "ntfs" || type == "ntfs3") return u"NTFS";
    if (type == "iso9660") return u"CDFS";
    return IdPart(type, 16);
}

String VolumeSerial(const std::string& uuid) {
    std::string digits;
    for (const char c : uuid.substr(0, 64)) {
        if (std::isxdigit(static_cast<unsigned char>(c)) != 0) digits += c;
    }
    if (digits.size() == 16) digits = digits.substr(8);
    return digits.size() == 8 ? host::UpperCase(host::FromAnsi(digits)) : String();
}

}  // namespace zt::udev
