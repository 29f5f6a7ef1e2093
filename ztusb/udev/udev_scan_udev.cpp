#include "ztusb/udev/udev_scan.h"

#include <libudev.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <unordered_map>

namespace zt::sim {
namespace {

using Device = std::unique_ptr<udev_device, decltype(&udev_device_unref)>;
using Enumeration = std::unique_ptr<udev_enumerate, decltype(&udev_enumerate_unref)>;

std::string Text(const char* value) { return value == nullptr ? std::string() : std::string(value); }

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
void ForEach(udev* context, const char* subsystem, const char* type, udev_device* parent, Visit visit) {
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
    return {Text(udev_device_get_sysname(device)),
            Attribute(device, "idVendor"),
            Attribute(device, "idProduct"),
            Attribute(device, "serial"),
            Attribute(device, "manufacturer"),
            Attribute(device, "product"),
            static_cast<unsigned>(Number(Attribute(device, "bNumInterfaces"), 10)),
            {},
            {}};
}

class Scan {
public:
    Scan(udev* context, const MountTable& mounts) : context_(context), mounts_(mounts) {
        if (mounts_.mounted) {
            for (const MountedFileSystem& mount : mounts_.mounted()) mountPoints_.emplace(mount.device, mount.mountPoint);
        }
    }

    std::map<std::string, FoundUsbDevice> Run() {
        ForEach(context_, "usb", "usb_device", nullptr, [&](udev_device* usb) {
            found_.emplace(Text(udev_device_get_syspath(usb)), UsbFacts(usb));
        });
        ForEach(context_, "tty", nullptr, nullptr, [&](udev_device* tty) { AddTty(tty); });
        ForEach(context_, "block", "disk", nullptr, [&](udev_device* disk) { AddDisk(disk); });
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
        const char* node = udev_device_get_devnode(tty);
        if (owner == nullptr || usbInterface == nullptr || node == nullptr) return;
        owner->ttys.push_back(
            {node, static_cast<unsigned>(Number(Attribute(usbInterface, "bInterfaceNumber"), 16)), {}});
    }

    void AddDisk(udev_device* disk) {
        FoundUsbDevice* owner = Owner(disk);
        if (owner == nullptr) return;
        udev_device* scsi = udev_device_get_parent_with_subsystem_devtype(disk, "scsi", "scsi_device");
        udev_device* usbInterface = udev_device_get_parent_with_subsystem_devtype(disk, "usb", "usb_interface");
        const std::string scsiName = scsi == nullptr ? std::string() : Text(udev_device_get_sysname(scsi));
        FoundDisk found{Attribute(scsi, "vendor"),
                        Attribute(scsi, "model"),
                        Attribute(scsi, "rev"),
                        static_cast<std::uint16_t>(Number(scsiName.substr(scsiName.find_last_of(':') + 1), 10)),
                        Attribute(disk, "removable") == "1",
                        usbInterface != nullptr && Property(usbInterface, "DRIVER") == "uas",
                        Property(disk, "ID_PART_TABLE_TYPE") == "gpt",
                        0,
                        {}};
        ForEach(context_, "block", "partition", disk, [&](udev_device* partition) {
            found.partitions.push_back(Partition(partition));
        });
        std::sort(found.partitions.begin(), found.partitions.end(),
                  [](const FoundPartition& a, const FoundPartition& b) { return a.number < b.number; });
        // A stick formatted whole, without a partition table: one volume all the same.
        if (found.partitions.empty() && !Property(disk, "ID_FS_TYPE").empty()) {
            found.partitions.push_back(Partition(disk));
        }
        owner->disks.push_back(std::move(found));
    }

    FoundPartition Partition(udev_device* partition) {
        FoundPartition found{Text(udev_device_get_devnode(partition)),
                             static_cast<unsigned>(Number(Attribute(partition, "partition"), 10)),
                             Sectors(partition),
                             Property(partition, "ID_FS_TYPE"),
                             Property(partition, "ID_FS_VERSION"),
                             Property(partition, "ID_FS_LABEL"),
                             Property(partition, "ID_FS_UUID"),
                             {},
                             {},
                             0,
                             0};
        const auto mounted = mountPoints_.find(found.node);
        if (mounted == mountPoints_.end() || found.node.empty()) return found;
        found.mountPoint = mounted->second;
        if (const auto space = mounts_.space ? mounts_.space(found.mountPoint) : std::nullopt) {
            found.fileSystemSize = space->size;
            found.freeSpace = space->free;
        }
        return found;
    }

    udev* context_;
    const MountTable& mounts_;
    std::unordered_map<std::string, std::string> mountPoints_;  // by device node
    std::map<std::string, FoundUsbDevice> found_;
};

}  // namespace

std::map<std::string, FoundUsbDevice> ScanUsbDevices(udev* context, const MountTable& mounts) {
    return Scan(context, mounts).Run();
}

}  // namespace zt::sim
