#include "ztusb/sim/device_nodes.h"

#include <cstdio>

#include "ztusb/sim/pnp_entities.h"

namespace zt::sim {
namespace {

using win32::DevNodeText;

const String* Property(const world::CimRepository::Values& entity, std::u16string_view name) {
    for (const auto& [property, value] : entity) {
        if (property == name) return &value;
    }
    return nullptr;
}

String PropertyText(const world::CimRepository::Values& entity, std::u16string_view name) {
    const String* value = Property(entity, name);
    return value == nullptr ? String() : *value;
}

world::DeviceNode NodeOf(const world::CimRepository::Values& entity, const String& parent) {
    world::DeviceNode node{host::UpperCase(PropertyText(entity, u"DeviceID")), parent, {}, {}};
    for (const auto& [property, text] : {std::pair{u"Manufacturer", DevNodeText::Manufacturer},
                                         std::pair{u"Service", DevNodeText::Service}}) {
        if (const String* value = Property(entity, property)) node.SetText(text, *value);
    }
    const String pnpClass = PropertyText(entity, u"PNPClass");
    if (pnpClass == u"Ports" || pnpClass == u"DiskDrive") {
        node.SetText(DevNodeText::FriendlyName, PropertyText(entity, u"Caption"));
    }
    return node;
}

}  // namespace

world::DeviceNode UsbNode(const world::CimRepository::Values& entity, const String& product) {
    world::DeviceNode node = NodeOf(entity, {});
    node.SetText(DevNodeText::BusReportedDesc, product);
    return node;
}

world::DeviceNode ChildNode(const world::CimRepository::Values& entity, const String& parent, const String& portName) {
    world::DeviceNode node = NodeOf(entity, parent);
    if (!portName.empty()) node.SetText(DevNodeText::PortName, portName);
    return node;
}

world::DeviceNode UsbPortNode(const world::CimRepository::Values& entity, const String& product, const String& portName) {
    world::DeviceNode node = UsbNode(entity, product);
    node.SetText(DevNodeText::PortName, portName);
    return node;
}

String ParentIdPrefix(const String& deviceId, char16_t level) {
    char number[16];
    std::snprintf(number, sizeof number, "%X",
                  static_cast<unsigned>(MadeUpInstanceNumber(host::ToUtf8(host::UpperCase(deviceId)))));
    return String(1, level) + u"&" + host::FromAnsi(number) + u"&0";
}

String InterfaceInstance(const String& deviceId, unsigned number) {
    char place[8];
    std::snprintf(place, sizeof place, "%04X", number & 0xFFFFu);
    return ParentIdPrefix(deviceId, u'6') + u"&" + host::FromAnsi(place);
}

}  // namespace zt::sim
