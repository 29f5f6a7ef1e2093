// Where Windows is, or no machine can be read: the default records come from the device tree.
#include "ztusb/devices/default_source.h"
#include "ztusb/devices/devices.h"

namespace zt::devices {

std::shared_ptr<const DeviceSource> DefaultDeviceSource() { return DeviceTreeSource(); }

}  // namespace zt::devices
