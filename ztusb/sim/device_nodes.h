#pragma once
// Device nodes as the models add them to the world's tree, made from their entities: the
// same device ID, its driver's maker and service, a port's name, a disk's caption.

#include "ztusb/export.h"
#include "ztusb/world/cim_repository.h"
#include "ztusb/world/device_tree.h"

namespace zt::sim {

using host::String;

// A USB device's own node, placed on a port when it is plugged in; `product` is what the
// device calls itself.
ZT_SIM_API world::DeviceNode UsbNode(const world::CimRepository::Values& entity, const String& product);
// The node of an entity below its parent: an interface, an FTDI channel's port, a disk. A
// port's node holds its name; a port's or a disk's its caption as friendly name.
ZT_SIM_API world::DeviceNode ChildNode(const world::CimRepository::Values& entity, const String& parent,
                                const String& portName = {});
// A USB adapter whose port is the USB device itself.
ZT_SIM_API world::DeviceNode UsbPortNode(const world::CimRepository::Values& entity, const String& product,
                                  const String& portName);

// The prefix Windows makes up for what hangs below a device (6&224DEA1D&0), from its ID, and
// the instance of a composite device's interface made from it (6&224DEA1D&0&0002).
ZT_SIM_API String ParentIdPrefix(const String& deviceId, char16_t level);
ZT_SIM_API String InterfaceInstance(const String& deviceId, unsigned number);

}  // namespace zt::sim
