#include "tools/ztusbmon/device_report.h"

#include <cstdio>
#include <map>

#include "tools/ztusbmon/report.h"
#include "ztusb/host/shown_text.h"

namespace ztusbmon {
namespace {

using Json = nlohmann::ordered_json;
using zt::devices::UsbDevice;

template <typename Value>
Json OrNull(const std::optional<Value>& value) {
    return value ? Json(*value) : Json(nullptr);
}

std::string Shown(const std::string& text) { return zt::host::ShownText(std::string_view(text)); }

std::string Ids(const UsbDevice& device) {
    char ids[16];
    std::snprintf(ids, sizeof ids, "%04x:%04x", device.vendorId, device.productId);
    return ids;
}

void DeviceLines(const UsbDevice& device, const std::string& indent, std::vector<std::string>& lines) {
    std::string line = indent + device.location + "  " + Ids(device);
    for (const std::string* text : {&device.manufacturer, &device.product}) {
        if (!text->empty()) line += "  " + Shown(*text);
    }
    if (device.serial) line += "  serial " + Shown(*device.serial);
    if (device.isHub) line += "  hub";
    if (device.usbasp) line += "  USBasp";
    lines.push_back(line);
    const std::string below = indent + std::string(device.location.size() + 2, ' ');
    for (const auto& port : device.ports) {
        std::string face = below + "port " + Shown(port.name);
        if (!port.path.empty()) face += "  " + Shown(port.path);
        if (port.interfaceNumber) face += "  interface " + std::to_string(*port.interfaceNumber);
        if (port.channel) face += std::string("  channel ") + *port.channel;
        lines.push_back(face);
    }
    for (const auto& disk : device.disks) {
        lines.push_back(below + "disk " + std::to_string(disk.lun) + "  " + Shown(disk.caption));
    }
    for (const auto& volume : device.volumes) {
        std::string face = below + "volume " + (volume.letter.empty() ? "-" : Shown(volume.letter)) + "  " +
                           Shown(volume.fileSystem);
        if (!volume.label.empty()) face += "  " + Shown(volume.label);
        const bool mounted = !volume.letter.empty() || !volume.mountPoint.empty();
        face += mounted ? "  " + ReadableSize(volume.freeSpace) + " free of " + ReadableSize(volume.size)
                        : "  " + ReadableSize(volume.size) + ", not mounted";
        if (!volume.mountPoint.empty()) face += "  " + Shown(volume.mountPoint);
        lines.push_back(face);
    }
    for (const auto& entry : device.d2xx) {
        lines.push_back(below + "d2xx " + std::to_string(entry.index) + "  " + Shown(entry.serial));
    }
}

}  // namespace

Json DeviceJson(const UsbDevice& device) {
    Json ports = Json::array();
    for (const auto& port : device.ports) {
        ports.push_back({{"name", port.name},
                         {"path", port.path},
                         {"interface", OrNull(port.interfaceNumber)},
                         {"channel", port.channel ? Json(std::string(1, *port.channel)) : Json(nullptr)}});
    }
    Json disks = Json::array();
    for (const auto& disk : device.disks) disks.push_back({{"id", disk.id}, {"lun", disk.lun}, {"caption", disk.caption}});
    Json volumes = Json::array();
    for (const auto& v : device.volumes) {
        volumes.push_back({{"letter", v.letter}, {"mount_point", v.mountPoint}, {"file_system", v.fileSystem},
                           {"size", v.size}, {"free_space", v.freeSpace}, {"label", v.label}, {"serial", v.serial},
                           {"lun", v.lun}, {"drive_caption", v.driveCaption}});
    }
    Json d2xx = Json::array();
    for (const auto& e : device.d2xx) {
        d2xx.push_back({{"index", e.index}, {"serial", e.serial}, {"location_id", e.locationId},
                        {"description", e.description}});
    }
    return {{"vendor_id", device.vendorId},
            {"product_id", device.productId},
            {"serial", OrNull(device.serial)},
            {"manufacturer", device.manufacturer},
            {"product", device.product},
            {"location", device.location},
            {"hub", device.hub},
            {"name", device.name},
            {"is_hub", device.isHub},
            {"usbasp", device.usbasp},
            {"windows",
             {{"instance_id", device.windows.instanceId},
              {"location_info", device.windows.locationInfo},
              {"location_paths", device.windows.locationPaths},
              {"container_id", device.windows.containerId}}},
            {"ports", ports},
            {"disks", disks},
            {"volumes", volumes},
            {"d2xx", d2xx}};
}

std::vector<std::string> DeviceTree(const std::vector<UsbDevice>& devices) {
    // Each device below its hub; a device whose hub is not listed hangs from its bus.
    std::map<std::string, std::vector<const UsbDevice*>> below;
    std::map<std::string, bool> listed;
    for (const UsbDevice& device : devices) listed[device.location] = true;
    for (const UsbDevice& device : devices) {
        const std::string bus = device.location.substr(0, device.location.find('-'));
        below[!device.hub.empty() && listed.count(device.hub) != 0 ? device.hub : "bus " + bus].push_back(&device);
    }
    std::vector<std::string> lines;
    const auto walk = [&](const auto& self, const std::string& parent, const std::string& indent) -> void {
        const auto children = below.find(parent);
        if (children == below.end()) return;
        for (const UsbDevice* device : children->second) {
            DeviceLines(*device, indent, lines);
            self(self, device->location, indent + "  ");
        }
    };
    for (const auto& [parent, children] : below) {
        if (!parent.starts_with("bus ")) continue;
        lines.push_back("Bus " + parent.substr(4));
        walk(walk, parent, "  ");
    }
    return lines;
}

}  // namespace ztusbmon
