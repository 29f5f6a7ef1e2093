#include "ztusb/sim/usb_ports.h"

#include <cstdio>
#include <stdexcept>

#include "ztusb/win32/usb_identity.h"
#include "ztusb/sim/pnp_entities.h"

namespace zt::sim {
namespace {

using win32::DevNodeText;

constexpr unsigned kMaxPort = 255;
constexpr char16_t kHubService[] = u"USBHUB3";

String Decimal(unsigned value) { return host::FromAnsi(std::to_string(value)); }

String Format(const char* format, unsigned a, unsigned b = 0) {
    char text[64];
    std::snprintf(text, sizeof text, format, a, b);
    return host::FromAnsi(text);
}

[[noreturn]] void Refuse(const std::string& why) { throw std::invalid_argument(why); }

// Appended, not "..." + text: GCC 12 at -O3 takes that for an overlapping copy (-Wrestrict).
[[noreturn]] void RefuseLocation(std::u16string_view location) {
    std::string why = "\"";
    why += host::ToUtf8(String(location));
    why += "\" is no USB location such as 1-4.2";
    Refuse(why);
}

// 1-4.2 -> bus 1, ports 4 and 2: the bus, a dash, then ports between dots.
std::vector<unsigned> ParseLocation(std::u16string_view location) {
    std::vector<unsigned> numbers;
    for (std::size_t at = 0;;) {
        unsigned value = 0;
        std::size_t digits = 0;
        for (; at < location.size() && location[at] >= u'0' && location[at] <= u'9' && digits < 4; ++at, ++digits) {
            value = value * 10 + static_cast<unsigned>(location[at] - u'0');
        }
        if (digits == 0 || value == 0 || value > kMaxPort) RefuseLocation(location);
        numbers.push_back(value);
        if (at == location.size()) break;
        if (location[at++] != (numbers.size() == 1 ? u'-' : u'.')) RefuseLocation(location);
    }
    if (numbers.size() < 2) RefuseLocation(location);
    return numbers;
}

// A GUID made from the text, the same on every run: Windows makes a device's from its
// serial, so that it is the same wherever it is plugged in.
String ContainerId(const std::string& seed) {
    const std::uint32_t a = MadeUpInstanceNumber(seed);
    const std::uint32_t b = MadeUpInstanceNumber(seed + "#");
    const std::uint32_t c = MadeUpInstanceNumber(seed + "##");
    char text[48];
    std::snprintf(text, sizeof text, "{%08x-%04x-%04x-%04x-%04x%08x}", a, b >> 16, b & 0xFFFFu, c >> 16,
                  c & 0xFFFFu, a ^ c);
    return host::FromAnsi(text);
}

unsigned InterfaceNumber(const String& id) {
    const std::size_t at = id.find(u"&MI_");
    return at == String::npos ? 0 : static_cast<unsigned>(std::stoul(host::ToUtf8(id.substr(at + 4, 2)), nullptr, 16));
}

}  // namespace

UsbPorts::Hub& UsbPorts::RootHub(unsigned bus) {
    const String location = Decimal(bus);
    if (const auto found = hubs_.find(location); found != hubs_.end()) return found->second;
    // A machine has its lower buses too: the tree numbers buses by its root hubs.
    if (bus > 1) RootHub(bus - 1);
    // Each bus its own xHCI controller on the PCI bus.
    const String function = Format("%02X", bus - 1);
    world::DeviceNode controller{u"PCI\\VEN_8086&DEV_A36D&SUBSYS_85F01043&REV_10\\3&11583659&0&A" + function, {}, {},
                          {u"PCIROOT(0)#PCI(14" + function + u")"}};
    controller.SetText(DevNodeText::Service, u"USBXHCI");
    controller.SetText(DevNodeText::LocationInfo, Format("PCI bus 0, device 20, function %u", bus - 1));
    world::DeviceNode root{u"USB\\ROOT_HUB30\\4&" + Format("%X", MadeUpInstanceNumber("root hub " + std::to_string(bus))) +
                        u"&0&0",
                    controller.id, {}, {controller.locationPaths.front() + u"#USBROOT(0)"}};
    root.SetText(DevNodeText::Service, kHubService);
    const String rootId = host::UpperCase(root.id);
    const String rootPath = root.locationPaths.front();
    tree_->Add(std::move(controller));
    tree_->Add(std::move(root));
    return hubs_.emplace(location, Hub{location, rootId, HubNumber(rootId), rootPath, {}}).first->second;
}

UsbPorts::Hub& UsbPorts::HubFor(std::u16string_view location, unsigned& port) {
    if (location.empty()) {
        Hub& root = RootHub(1);
        for (port = 1; root.ports.count(port) != 0; ++port) {
        }
        return root;
    }
    const std::vector<unsigned> numbers = ParseLocation(location);
    port = numbers.back();
    if (numbers.size() == 2) return RootHub(numbers.front());
    const std::u16string_view hubLocation = location.substr(0, location.rfind(u'.'));
    const auto hub = hubs_.find(String(hubLocation));
    if (hub == hubs_.end()) Refuse("no hub is plugged in at " + host::ToUtf8(String(hubLocation)));
    return hub->second;
}

unsigned UsbPorts::HubNumber(const String& hubId) {
    const auto next = static_cast<unsigned>(hubNumbers_.size() + 1);
    return hubNumbers_.try_emplace(hubId, next).first->second;
}

String UsbPorts::PortLocation(const Hub& hub, unsigned port) {
    const bool root = hub.location.find(u'-') == String::npos;
    return hub.location + (root ? u"-" : u".") + Decimal(port);
}

String UsbPorts::Place(std::vector<world::DeviceNode>& nodes, std::u16string_view location) {
    world::DeviceNode* usb = nullptr;
    for (world::DeviceNode& node : nodes) {
        if (node.parent.empty()) usb = &node;
    }
    if (usb == nullptr) return {};
    unsigned port = 0;
    Hub& hub = HubFor(location, port);
    const String at = PortLocation(hub, port);
    if (hub.ports.count(port) != 0) Refuse("port " + host::ToUtf8(at) + " is taken");
    const String usbId = host::UpperCase(usb->id);
    usb->parent = hub.nodeId;
    usb->SetText(DevNodeText::LocationInfo, Format("Port_#%04u.Hub_#%04u", port, hub.number));
    usb->locationPaths = {hub.path + u"#USB(" + Decimal(port) + u")"};
    const std::u16string_view instance = std::u16string_view(usbId).substr(usbId.rfind(u'\\') + 1);
    const String container = ContainerId(win32::IsMadeUpInstance(instance)
                                             ? host::ToUtf8(at + usbId)
                                             : host::ToUtf8(usbId));
    std::map<String, String> paths = {{usbId, usb->locationPaths.front()}};
    for (world::DeviceNode& node : nodes) {
        node.SetText(DevNodeText::ContainerId, container);
        const String id = host::UpperCase(node.id);
        const auto parentPath = paths.find(host::UpperCase(node.parent));
        if (&node == usb || parentPath == paths.end() || id.find(u"&MI_") == String::npos) continue;
        node.locationPaths = {parentPath->second + u"#USBMI(" + Decimal(InterfaceNumber(id)) + u")"};
        paths.emplace(id, node.locationPaths.front());
    }
    hub.ports.emplace(port, usbId);
    placed_.emplace(usbId, at);
    const String* service = usb->Text(DevNodeText::Service);
    if (service != nullptr && *service == kHubService) {
        hubs_.emplace(at, Hub{at, usbId, HubNumber(usbId), usb->locationPaths.front(), {}});
    }
    return at;
}

void UsbPorts::Free(std::u16string_view usbNodeId) {
    const auto placed = placed_.find(host::UpperCase(String(usbNodeId)));
    if (placed == placed_.end()) return;
    const String at = placed->second;
    if (const auto hub = hubs_.find(at); hub != hubs_.end()) {
        if (!hub->second.ports.empty()) Refuse("the hub at " + host::ToUtf8(at) + " still has devices plugged in");
        hubs_.erase(hub);
    }
    const std::size_t cut = at.find_last_of(u".-");
    hubs_.at(at.substr(0, cut)).ports.erase(static_cast<unsigned>(std::stoul(host::ToUtf8(at.substr(cut + 1)))));
    placed_.erase(placed);
}

}  // namespace zt::sim
