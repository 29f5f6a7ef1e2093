#include "ztusb/udev/uevents.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace zt::udev {
namespace {

bool Digits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool NamesRootHub(std::string_view name) { return name.starts_with("usb") && Digits(name.substr(3)); }

// The kernel names a USB device by its bus and port path: 1-6, 1-6.2.4.
bool NamesUsbDevice(std::string_view name) {
    const auto dash = name.find('-');
    if (dash == std::string_view::npos || !Digits(name.substr(0, dash))) return false;
    for (std::string_view ports = name.substr(dash + 1);;) {
        const auto dot = ports.find('.');
        if (!Digits(ports.substr(0, dot))) return false;
        if (dot == std::string_view::npos) return true;
        ports.remove_prefix(dot + 1);
    }
}

// Nothing else a change can alter is mirrored: a tty's node and its interface's number stay
// what they were at its arrival.
std::optional<DevicePart> ChangedPart(const Uevent& event) {
    if (event.subsystem == "usb" && event.type == "usb_device") return DevicePart::UsbAttributes;
    if (event.subsystem == "block" && event.type == "disk") return DevicePart::Disk;
    if (event.subsystem == "block" && event.type == "partition") return DevicePart::Partition;
    return std::nullopt;
}

}  // namespace

bool Covered(const std::string& path, const std::set<std::string>& trees) {
    for (auto slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        if (trees.count(path.substr(0, slash)) != 0) return true;
    }
    return trees.count(path) != 0;
}

std::string UsbDeviceOf(const std::string& path) {
    std::size_t end = std::string::npos;  // of the deepest USB device found so far
    bool underRootHub = false;
    for (std::size_t start = 0; start < path.size();) {
        const std::size_t slash = std::min(path.find('/', start), path.size());
        const std::string_view name(path.data() + start, slash - start);
        if (NamesRootHub(name)) underRootHub = true;
        if (underRootHub && (NamesRootHub(name) || NamesUsbDevice(name))) end = slash;
        start = slash + 1;
    }
    return end == std::string::npos ? std::string() : path.substr(0, end);
}

Rereads RereadsFor(const std::vector<Uevent>& events) {
    std::set<std::string> trees;
    std::vector<PartReread> parts;
    std::set<std::string> gone;
    for (const Uevent& event : events) {
        std::string usbDevice = UsbDeviceOf(event.path);
        if (usbDevice.empty()) continue;
        if (event.path == usbDevice && event.action == "remove") gone.insert(usbDevice);
        if (event.path == usbDevice && event.action == "add") gone.erase(usbDevice);
        if (event.action != "change") {
            trees.insert(std::move(usbDevice));
        } else if (const auto part = ChangedPart(event)) {
            parts.push_back({std::move(usbDevice), event.path, *part});
        }
    }
    Rereads rereads;
    for (const std::string& tree : trees) {
        const auto parent = tree.rfind('/');
        if (parent == std::string::npos || !Covered(tree.substr(0, parent), trees)) rereads.trees.insert(tree);
    }
    for (PartReread& part : parts) {
        if (!Covered(part.usbDevice, rereads.trees)) rereads.parts.push_back(std::move(part));
    }
    rereads.gone = std::move(gone);
    return rereads;
}

}  // namespace zt::udev
