#pragma once
// The device tree as Windows' configuration manager keeps it: every device a node, found by
// its instance ID, with its parent, children and properties; and what the volume calls tell
// of a mounted volume. Read through one backend, as WMI is: the system's own on Windows,
// a world's where one is installed (elsewhere there is no system's tree: it is empty).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ztusb/export.h"

namespace zt::win32 {

// A node while the tree holds it, as a DEVINST is.
using DevNode = std::uint32_t;

// The node properties the package reads as text.
enum class DevNodeText {
    LocationInfo,     // DEVPKEY_Device_LocationInfo: Port_#0002.Hub_#0004
    ContainerId,      // DEVPKEY_Device_ContainerId: {…}, shared by one physical device's nodes
    BusReportedDesc,  // DEVPKEY_Device_BusReportedDeviceDesc: what the device calls itself
    FriendlyName,     // DEVPKEY_Device_FriendlyName: a disk's caption, a port's "... (COM5)"
    Manufacturer,     // DEVPKEY_Device_Manufacturer: the driver's maker
    Service,          // DEVPKEY_Device_Service: usbccgp, FTDIBUS, USBSTOR, USBHUB3, ...
    PortName,         // the PortName value of the device's key: COM5
};

// GetVolumeInformationW and GetDiskFreeSpaceExW of a volume's root.
struct VolumeFacts {
    std::u16string fileSystem;
    std::u16string label;
    std::uint32_t serialNumber = 0;
    std::uint64_t size = 0;
    std::uint64_t freeSpace = 0;
};

class DeviceTree {
public:
    virtual ~DeviceTree() = default;

    // The present devices of an enumerator (USB, USBSTOR), as CM_Get_Device_ID_ListW
    // filtered by enumerator gives them: parents before their children.
    virtual std::vector<std::u16string> DeviceIds(std::u16string_view enumerator) const = 0;
    // CM_Locate_DevNodeW: letter case does not matter.
    virtual std::optional<DevNode> Locate(std::u16string_view instanceId) const = 0;
    virtual std::optional<DevNode> Parent(DevNode node) const = 0;
    virtual std::optional<DevNode> Child(DevNode node) const = 0;
    virtual std::optional<DevNode> Sibling(DevNode node) const = 0;
    // The instance ID as the tree writes it, in capitals.
    virtual std::u16string Id(DevNode node) const = 0;
    virtual std::optional<std::u16string> Text(DevNode node, DevNodeText property) const = 0;
    // DEVPKEY_Device_LocationPaths: PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2)#USB(3).
    virtual std::vector<std::u16string> LocationPaths(DevNode node) const = 0;
    // Of a root such as E:\ ; nothing for a letter without a mounted volume.
    virtual std::optional<VolumeFacts> Volume(std::u16string_view root) const = 0;
};

// Installs a tree and returns the one it replaced; null restores the system's own.
ZT_API std::shared_ptr<const DeviceTree> SetDeviceTree(std::shared_ptr<const DeviceTree> tree);
// The installed tree, or the system's: never null.
ZT_API std::shared_ptr<const DeviceTree> CurrentDeviceTree();
// The system's own: cfgmgr32 and the volume calls on Windows, an empty tree elsewhere.
ZT_API std::shared_ptr<const DeviceTree> SystemDeviceTree();

}  // namespace zt::win32
