// USB devices read from Windows' device tree: each USB device node with what hangs below it
// (interfaces, ports, disks), its place from its location paths, and the volumes of its
// disks, tied to them by two WMI queries whatever the number of devices.
#include <algorithm>
#include <cstdio>
#include <map>

#include "ztusb/detector/port_path.h"
#include "ztusb/detector/wmi_text.h"
#include "ztusb/devices/devices.h"
#include "ztusb/host/log_line.h"
#include "ztusb/host/string_list.h"
#include "ztusb/win32/device_tree.h"
#include "ztusb/win32/usb_identity.h"
#include "ztusb/wmi/ZtWmiU.h"

namespace zt::devices {
namespace {

using host::String;
using host::ToUtf8;
using win32::DevNode;
using win32::DevNodeText;
using win32::DeviceTree;

std::u16string_view LastSegment(std::u16string_view id) { return id.substr(id.rfind(u'\\') + 1); }

bool StartsWith(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() && host::SameText(text.substr(0, prefix.size()), prefix);
}

std::optional<unsigned> HexAfter(std::u16string_view text, std::u16string_view marker, std::size_t digits) {
    const std::size_t at = host::UpperCase(String(text)).find(marker);
    if (at == String::npos || at + marker.size() + digits > text.size()) return std::nullopt;
    unsigned value = 0;
    for (const char16_t c : text.substr(at + marker.size(), digits)) {
        const int digit = c >= u'0' && c <= u'9' ? c - u'0' : c >= u'A' && c <= u'F' ? c - u'A' + 10 : c >= u'a' && c <= u'f' ? c - u'a' + 10 : -1;
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return value;
}

// Bus numbers as Linux gives them, one for each root hub in the order the tree lists them,
// found by the location path a device's own begins with.
class Buses {
public:
    void Add(const DeviceTree& tree, DevNode rootHub) {
        for (const String& path : tree.LocationPaths(rootHub)) paths_.push_back(path);
    }

    // PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2)#USB(3) -> 1-2.3; empty without such a path.
    std::string Location(const std::vector<String>& devicePaths) const {
        for (const String& path : devicePaths) {
            for (std::size_t bus = 0; bus < paths_.size(); ++bus) {
                if (!path.starts_with(paths_[bus] + u"#USB(")) continue;
                std::string location = std::to_string(bus + 1);
                char separator = '-';
                for (std::size_t at = paths_[bus].size(); (at = path.find(u"#USB(", at)) != String::npos;) {
                    at += 5;
                    const std::size_t close = path.find(u')', at);
                    location += separator + ToUtf8(path.substr(at, close - at));
                    separator = '.';
                }
                return location;
            }
        }
        return {};
    }

private:
    std::vector<String> paths_;
};

// The nodes below a device, depth first: its interfaces, ports and disks, but not the USB
// devices plugged into a hub, which are devices of their own.
template <typename Visit>
void ForEachBelow(const DeviceTree& tree, DevNode top, Visit visit) {
    std::vector<DevNode> pending = {top};
    while (!pending.empty()) {
        const DevNode node = pending.back();
        pending.pop_back();
        if (node != top) visit(node);
        std::vector<DevNode> children;
        for (auto child = tree.Child(node); child; child = tree.Sibling(*child)) {
            if (!win32::IsUsbDeviceId(tree.Id(*child))) children.push_back(*child);
        }
        pending.insert(pending.end(), children.rbegin(), children.rend());
    }
}

std::string TextOf(const DeviceTree& tree, DevNode node, DevNodeText property) {
    return ToUtf8(tree.Text(node, property).value_or(u""));
}

bool IsHubService(const std::string& service) {
    return service.size() >= 6 && host::SameText(host::FromUtf8(service.substr(0, 6)), u"usbhub");
}

// The interface above a node, or the node itself: USB\VID_xxxx&PID_yyyy&MI_02\... -> 2.
std::optional<std::uint8_t> InterfaceOf(const DeviceTree& tree, DevNode node, DevNode device) {
    for (std::optional<DevNode> at = node; at && *at != device; at = tree.Parent(*at)) {
        if (const auto number = HexAfter(tree.Id(*at), u"&MI_", 2)) return static_cast<std::uint8_t>(*number);
    }
    return std::nullopt;
}

// FTDIBUS\VID_0403+PID_6010+FT5Y6HVEB\0000 -> B.
std::optional<char> FtdiChannel(std::u16string_view id) {
    if (!StartsWith(id, u"FTDIBUS\\")) return std::nullopt;
    const std::size_t end = id.rfind(u'\\');
    const char16_t letter = end > 0 ? id[end - 1] : u'\0';
    if (letter < u'A' || letter > u'Z') return std::nullopt;
    return static_cast<char>(letter);
}

// The last group of a disk's instance: USBSTOR\...\<serial>&1, SCSI\...\7&2C7D3F3F&0&000001.
std::uint16_t DiskLun(std::u16string_view id) {
    const std::u16string_view instance = LastSegment(id);
    const std::u16string_view last = instance.substr(instance.rfind(u'&') + 1);
    return static_cast<std::uint16_t>(host::StrToIntDef(last, 0));
}

void AddFace(const DeviceTree& tree, DevNode node, DevNode device, UsbDevice& record) {
    const String id = tree.Id(node);
    if (const auto portName = tree.Text(node, DevNodeText::PortName)) {
        record.ports.push_back({ToUtf8(*portName), ToUtf8(zt_usb_detector::PortPath(*portName)),
                                InterfaceOf(tree, node, device), FtdiChannel(id)});
    }
    if (StartsWith(id, u"USBSTOR\\") || StartsWith(id, u"SCSI\\")) {
        record.disks.push_back({ToUtf8(id), DiskLun(id), TextOf(tree, node, DevNodeText::FriendlyName)});
    }
}

// A composite device's node names the generic parent driver's maker; its functions name the
// device's own.
std::string MakerOf(const DeviceTree& tree, DevNode device) {
    std::string maker = TextOf(tree, device, DevNodeText::Manufacturer);
    if (!maker.empty() && maker.front() != '(') return maker;
    std::string found;
    ForEachBelow(tree, device, [&](DevNode node) {
        const std::string below = TextOf(tree, node, DevNodeText::Manufacturer);
        if (found.empty() && !below.empty() && below.front() != '(') found = below;
    });
    return found.empty() ? maker : found;
}

UsbDevice DeviceRecord(const DeviceTree& tree, DevNode node, const String& id, const Buses& buses) {
    UsbDevice record;
    const std::u16string_view instance = LastSegment(id);
    record.vendorId = static_cast<std::uint16_t>(HexAfter(id, u"VID_", 4).value_or(0));
    record.productId = static_cast<std::uint16_t>(HexAfter(id, u"PID_", 4).value_or(0));
    if (!win32::IsMadeUpInstance(instance)) {
        // Some UASP bridges show their serial behind MSFT30.
        const bool msft30 = StartsWith(instance, u"MSFT30") && instance.size() > 6;
        record.serial = ToUtf8(String(msft30 ? instance.substr(6) : instance));
    }
    record.name = ToUtf8(win32::UsbIdentity(instance));
    record.manufacturer = MakerOf(tree, node);
    record.product = TextOf(tree, node, DevNodeText::BusReportedDesc);
    record.windows = {ToUtf8(id), TextOf(tree, node, DevNodeText::LocationInfo), {},
                      TextOf(tree, node, DevNodeText::ContainerId)};
    const std::vector<String> paths = tree.LocationPaths(node);
    for (const String& path : paths) record.windows.locationPaths.push_back(ToUtf8(path));
    record.location = buses.Location(paths);
    if (const auto parent = tree.Parent(node); parent && win32::IsUsbDeviceId(tree.Id(*parent))) {
        record.hub = buses.Location(tree.LocationPaths(*parent));
    }
    record.isHub = IsHubService(TextOf(tree, node, DevNodeText::Service));
    record.usbasp = record.vendorId == 0x16C0 && record.productId == 0x05DC;
    AddFace(tree, node, node, record);  // an adapter whose port is the USB device itself
    ForEachBelow(tree, node, [&](DevNode below) { AddFace(tree, below, node, record); });
    return record;
}

// The objects of a query's answer, one property map each.
std::vector<std::map<String, String>> AskWmi(const String& query) {
    host::TStringList lines;
    ZtWmiU::DoWmiScript(query, lines);
    std::vector<std::map<String, String>> objects;
    for (int i = 0; i < lines.Count(); ++i) {
        if (zt_usb_detector::wmi_text::StartsObject(lines[i])) {
            objects.emplace_back();
        } else if (const auto name = zt_usb_detector::wmi_text::PropertyName(lines[i]); !name.empty() && !objects.empty()) {
            const String& line = lines[i];
            const bool quoted = line.find(u'"') != String::npos;
            const std::size_t equals = line.find(u" = ");
            objects.back()[String(name)] = quoted ? zt_usb_detector::wmi_text::QuotedText(line)
                                                  : host::Trim(std::u16string_view(line).substr(
                                                        equals + 3, line.rfind(u';') - equals - 3));
        }
    }
    return objects;
}

// \\HOST\root\cimv2:Win32_LogicalDisk.DeviceID="E:" -> E:
String ReferencedKey(const String& reference) {
    const std::size_t open = reference.find(u"=\"");
    if (open == String::npos) return {};
    return reference.substr(open + 2, reference.rfind(u'"') - open - 2);
}

// Each disk's volumes: the disk's number by its PnP ID, the letters by the disk's number.
void AddVolumes(const DeviceTree& tree, std::vector<UsbDevice>& devices) {
    std::map<String, unsigned> diskNumbers;
    for (const auto& disk : AskWmi(u"SELECT Index,PNPDeviceID FROM Win32_DiskDrive")) {
        const auto id = disk.find(u"PNPDeviceID");
        const auto index = disk.find(u"Index");
        if (id != disk.end() && index != disk.end()) {
            diskNumbers[host::UpperCase(id->second)] = static_cast<unsigned>(host::StrToIntDef(index->second, -1));
        }
    }
    std::multimap<unsigned, String> letters;
    for (const auto& link : AskWmi(u"SELECT Antecedent,Dependent FROM Win32_LogicalDiskToPartition")) {
        const auto partition = link.find(u"Antecedent");
        const auto volume = link.find(u"Dependent");
        if (partition == link.end() || volume == link.end()) continue;
        const String partitionId = ReferencedKey(partition->second);  // Disk #1, Partition #0
        const std::size_t hash = partitionId.find(u'#');
        if (hash == String::npos) continue;
        letters.emplace(static_cast<unsigned>(host::StrToIntDef(partitionId.substr(hash + 1, partitionId.find(u',') - hash - 1), -1)),
                        ReferencedKey(volume->second));
    }
    for (UsbDevice& device : devices) {
        for (const Disk& disk : device.disks) {
            const auto number = diskNumbers.find(host::UpperCase(host::FromUtf8(disk.id)));
            if (number == diskNumbers.end()) continue;
            for (auto [at, end] = letters.equal_range(number->second); at != end; ++at) {
                Volume volume;
                volume.letter = ToUtf8(at->second);
                volume.lun = disk.lun;
                volume.driveCaption = disk.caption;
                if (const auto facts = tree.Volume(at->second + u"\\")) {
                    char serial[12];
                    std::snprintf(serial, sizeof serial, "%08X", facts->serialNumber);
                    volume.fileSystem = ToUtf8(facts->fileSystem);
                    volume.label = ToUtf8(facts->label);
                    volume.serial = serial;
                    volume.size = static_cast<std::int64_t>(facts->size);
                    volume.freeSpace = static_cast<std::int64_t>(facts->freeSpace);
                }
                device.volumes.push_back(std::move(volume));
            }
        }
    }
}

class TreeSource final : public DeviceSource {
public:
    std::vector<UsbDevice> Attached() const override {
        const auto tree = win32::CurrentDeviceTree();
        const std::vector<String> ids = tree->DeviceIds(u"USB");
        Buses buses;
        std::vector<std::pair<DevNode, String>> devices;
        for (const String& id : ids) {
            const auto node = tree->Locate(id);
            if (!node) continue;  // gone since the list was made
            if (StartsWith(id, u"USB\\ROOT_HUB")) {
                buses.Add(*tree, *node);
            } else if (win32::IsUsbDeviceId(id)) {
                devices.emplace_back(*node, id);
            }
        }
        std::vector<UsbDevice> records;
        bool disks = false;
        for (const auto& [node, id] : devices) {
            records.push_back(DeviceRecord(*tree, node, id, buses));
            disks = disks || !records.back().disks.empty();
        }
        if (disks) AddVolumes(*tree, records);
        std::stable_sort(records.begin(), records.end(),
                         [](const UsbDevice& a, const UsbDevice& b) { return LocationBefore(a.location, b.location); });
        ZT_LOG(Debug, "scan") << "USB devices: " << records.size() << " in the device tree";
        return records;
    }
};

}  // namespace

std::shared_ptr<const DeviceSource> DeviceTreeSource() {
    static const auto source = std::make_shared<const TreeSource>();
    return source;
}

}  // namespace zt::devices
