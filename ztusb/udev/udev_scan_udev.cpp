#include "ztusb/udev/udev_scan.h"

#include <libudev.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace zt::udev {
namespace {

using Device = std::unique_ptr<udev_device, decltype(&udev_device_unref)>;
using Enumeration = std::unique_ptr<udev_enumerate, decltype(&udev_enumerate_unref)>;

// udev hands over whatever a device or a rule wrote: no string longer than a page is taken.
constexpr std::size_t kMaxText = 4096;

std::string Text(const char* value) {
    return value == nullptr ? std::string() : std::string(value, strnlen(value, kMaxText));
}

std::string Attribute(udev_device* device, const char* name) {
    return device == nullptr ? std::string() : Text(udev_device_get_sysattr_value(device, name));
}

std::string Property(udev_device* device, const char* name) {
    return Text(udev_device_get_property_value(device, name));
}

unsigned long Number(const std::string& text, int base) {
    return std::strtoul(text.c_str(), nullptr, base);
}

std::uint64_t Sectors(udev_device* device) {
    return static_cast<std::uint64_t>(std::strtoull(Attribute(device, "size").c_str(), nullptr, 10)) * 512;
}

// Calls `visit` with each device of the subsystem (and type, when given), under `parent`
// when given.
template <typename Visit>
void ForEach(::udev* context, const char* subsystem, const char* type, udev_device* parent, Visit visit) {
    Enumeration enumeration(udev_enumerate_new(context), udev_enumerate_unref);
    if (!enumeration) return;
    udev_enumerate_add_match_subsystem(enumeration.get(), subsystem);
    if (type != nullptr) udev_enumerate_add_match_property(enumeration.get(), "DEVTYPE", type);
    if (parent != nullptr) udev_enumerate_add_match_parent(enumeration.get(), parent);
    udev_enumerate_scan_devices(enumeration.get());
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumeration.get())) {
        Device device(udev_device_new_from_syspath(context, udev_list_entry_get_name(entry)),
                      udev_device_unref);
        if (device) visit(device.get());
    }
}

// The USB device above a tty or a disk; null for one on another bus.
udev_device* UsbParent(udev_device* device) {
    return udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_device");
}

FoundUsbDevice UsbFacts(udev_device* device) {
    return {.location = Text(udev_device_get_sysname(device)),
            .vendorId = Attribute(device, "idVendor"),
            .productId = Attribute(device, "idProduct"),
            .serial = Attribute(device, "serial"),
            .manufacturer = Attribute(device, "manufacturer"),
            .product = Attribute(device, "product"),
            .interfaceCount = static_cast<unsigned>(Number(Attribute(device, "bNumInterfaces"), 10)),
            .hub = Attribute(device, "bDeviceClass") == "09",
            .ttys = {},
            .disks = {}};
}

// A bus's root hub (usb1) stands for the bus, not for a device plugged into it.
bool IsRootHub(udev_device* device) { return Text(udev_device_get_sysname(device)).starts_with("usb"); }

FoundPartition Partition(udev_device* partition) {
    return {.node = Text(udev_device_get_devnode(partition)),
            .number = static_cast<unsigned>(Number(Attribute(partition, "partition"), 10)),
            .size = Sectors(partition),
            .fileSystem = Property(partition, "ID_FS_TYPE"),
            .fileSystemVersion = Property(partition, "ID_FS_VERSION"),
            .label = Property(partition, "ID_FS_LABEL"),
            .uuid = Property(partition, "ID_FS_UUID"),
            .mountPoint = {},
            .letter = {},
            .fileSystemSize = 0,
            .freeSpace = 0};
}

FoundDisk Disk(::udev* context, udev_device* disk) {
    udev_device* scsi = udev_device_get_parent_with_subsystem_devtype(disk, "scsi", "scsi_device");
    udev_device* usbInterface = udev_device_get_parent_with_subsystem_devtype(disk, "usb", "usb_interface");
    const std::string scsiName = scsi == nullptr ? std::string() : Text(udev_device_get_sysname(scsi));
    FoundDisk found{.node = Text(udev_device_get_devnode(disk)),
                    .vendor = Attribute(scsi, "vendor"),
                    .model = Attribute(scsi, "model"),
                    .revision = Attribute(scsi, "rev"),
                    .lun = static_cast<std::uint16_t>(Number(scsiName.substr(scsiName.find_last_of(':') + 1), 10)),
                    .interfaceNumber = static_cast<unsigned>(Number(Attribute(usbInterface, "bInterfaceNumber"), 16)),
                    .removable = Attribute(disk, "removable") == "1",
                    .uas = usbInterface != nullptr && Property(usbInterface, "DRIVER") == "uas",
                    .gpt = Property(disk, "ID_PART_TABLE_TYPE") == "gpt",
                    .index = 0,
                    .partitions = {}};
    ForEach(context, "block", "partition", disk, [&](udev_device* partition) {
        found.partitions.push_back(Partition(partition));
    });
    std::sort(found.partitions.begin(), found.partitions.end(),
              [](const FoundPartition& a, const FoundPartition& b) { return a.number < b.number; });
    // A stick formatted whole, without a partition table: one volume all the same.
    if (found.partitions.empty() && !Property(disk, "ID_FS_TYPE").empty()) {
        found.partitions.push_back(Partition(disk));
    }
    return found;
}

// The USB devices at and below `top` (all of them without one), then their ttys and disks.
class Scan {
public:
    Scan(::udev* context, udev_device* top) : context_(context), top_(top) {}

    std::map<std::string, FoundUsbDevice> Run() {
        ForEach(context_, "usb", "usb_device", top_, [&](udev_device* usb) {
            if (!IsRootHub(usb)) found_.emplace(Text(udev_device_get_syspath(usb)), UsbFacts(usb));
        });
        ForEach(context_, "tty", nullptr, top_, [&](udev_device* tty) { AddTty(tty); });
        ForEach(context_, "block", "disk", top_, [&](udev_device* disk) { AddDisk(disk); });
        return std::move(found_);
    }

private:
    FoundUsbDevice* Owner(udev_device* device) {
        udev_device* usb = UsbParent(device);
        if (usb == nullptr) return nullptr;
        const auto owner = found_.find(Text(udev_device_get_syspath(usb)));
        return owner == found_.end() ? nullptr : &owner->second;
    }

    void AddTty(udev_device* tty) {
        FoundUsbDevice* owner = Owner(tty);
        udev_device* usbInterface = udev_device_get_parent_with_subsystem_devtype(tty, "usb", "usb_interface");
        const std::string node = Text(udev_device_get_devnode(tty));
        if (owner == nullptr || usbInterface == nullptr || node.empty()) return;
        owner->ttys.push_back({.node = node,
                               .interfaceNumber = static_cast<unsigned>(Number(Attribute(usbInterface, "bInterfaceNumber"), 16)),
                               .port = {}});
    }

    void AddDisk(udev_device* disk) {
        if (FoundUsbDevice* owner = Owner(disk)) owner->disks.push_back(Disk(context_, disk));
    }

    ::udev* context_;
    udev_device* top_;
    std::map<std::string, FoundUsbDevice> found_;
};

template <typename Item, typename Node>
bool ReplaceByNode(std::vector<Item>& items, Item read, Node node) {
    for (Item& item : items) {
        if (node(item) != node(read)) continue;
        item = std::move(read);
        return true;
    }
    return false;
}

}  // namespace

std::map<std::string, FoundUsbDevice> ScanUsbDevices(::udev* context) { return Scan(context, nullptr).Run(); }

std::map<std::string, FoundUsbDevice> ScanUsbDevicesAt(::udev* context, const std::string& path) {
    Device top(udev_device_new_from_syspath(context, path.c_str()), udev_device_unref);
    if (!top) return {};
    return Scan(context, top.get()).Run();
}

bool RereadPart(::udev* context, const std::string& path, DevicePart part, FoundUsbDevice& device) {
    Device read(udev_device_new_from_syspath(context, path.c_str()), udev_device_unref);
    if (!read) return false;
    switch (part) {
        case DevicePart::UsbAttributes: {
            FoundUsbDevice facts = UsbFacts(read.get());
            facts.ttys = std::move(device.ttys);
            facts.disks = std::move(device.disks);
            device = std::move(facts);
            return true;
        }
        case DevicePart::Disk:
            return ReplaceByNode(device.disks, Disk(context, read.get()),
                                 [](const FoundDisk& disk) { return disk.node; });
        case DevicePart::Partition: {
            const FoundPartition partition = Partition(read.get());
            return std::any_of(device.disks.begin(), device.disks.end(), [&](FoundDisk& disk) {
                return ReplaceByNode(disk.partitions, partition, [](const FoundPartition& p) { return p.node; });
            });
        }
    }
    return false;
}

Uevent UeventOf(udev_device* event) {
    return {Text(udev_device_get_action(event)), Text(udev_device_get_syspath(event)),
            Text(udev_device_get_subsystem(event)), Text(udev_device_get_devtype(event))};
}

MountPoints ReadMountPoints(const MountTable& mounts) {
    MountPoints points;
    if (!mounts.mounted) return points;
    for (MountedFileSystem& mount : mounts.mounted()) {
        points.emplace(std::move(mount.device), std::move(mount.mountPoint));
    }
    return points;
}

bool ApplyMounts(FoundUsbDevice& device, const MountPoints& points, const MountTable& mounts) {
    bool changed = false;
    for (FoundDisk& disk : device.disks) {
        for (FoundPartition& partition : disk.partitions) {
            const auto mounted = partition.node.empty() ? points.end() : points.find(partition.node);
            const std::string mountPoint = mounted == points.end() ? std::string() : mounted->second;
            const auto space = mountPoint.empty() || !mounts.space ? std::nullopt : mounts.space(mountPoint);
            const FileSystemSpace now = space.value_or(FileSystemSpace{0, 0});
            if (mountPoint == partition.mountPoint && now.size == partition.fileSystemSize &&
                now.free == partition.freeSpace) {
                continue;
            }
            partition.mountPoint = mountPoint;
            partition.fileSystemSize = now.size;
            partition.freeSpace = now.free;
            changed = true;
        }
    }
    return changed;
}

}  // namespace zt::udev
