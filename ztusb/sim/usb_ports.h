#pragma once
// Where the simulated devices are plugged in: each bus's root hub, the hubs plugged into
// them, and which port each device takes. A device's nodes are placed below its hub with
// the location texts and the container ID Windows gives them.

#include <map>
#include <vector>

#include "ztusb/world/device_tree.h"

namespace zt::sim {

using host::String;

class UsbPorts {
public:
    explicit UsbPorts(world::DeviceNodes& tree) : tree_(&tree) {}

    // Places the device's nodes (parents first; the USB device's own is the one without a
    // parent) at a location such as 1-4.2, or the lowest free port of bus 1's root hub when
    // none is given, and returns the location. Throws std::invalid_argument for a location
    // that is not one, whose hub is not plugged in, or whose port is taken.
    String Place(std::vector<world::DeviceNode>& nodes, std::u16string_view location);
    // The USB device of that node leaves its port. Throws std::invalid_argument for a hub
    // that still has devices plugged into it.
    void Free(std::u16string_view usbNodeId);

private:
    struct Hub {
        String location;  // 1 for bus 1's root hub, 1-4, 1-4.2, ...
        String nodeId;
        unsigned number;  // Hub_#000n
        String path;      // its location path
        std::map<unsigned, String> ports;  // port -> the node ID of the device plugged in
    };
    Hub& RootHub(unsigned bus);
    Hub& HubFor(std::u16string_view location, unsigned& port);
    static String PortLocation(const Hub& hub, unsigned port);
    unsigned HubNumber(const String& hubId);

    world::DeviceNodes* tree_;
    std::map<String, Hub> hubs_;       // by location
    std::map<String, String> placed_;  // node ID -> location
    // Every hub's number, kept when it goes: one put back is the same hub to its devices'
    // location texts.
    std::map<String, unsigned> hubNumbers_;  // by node ID
};

}  // namespace zt::sim
