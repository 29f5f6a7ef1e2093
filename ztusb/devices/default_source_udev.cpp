// On Linux the default records are this machine's, read from udev and sysfs; a host's world
// in use has them read from its device tree.
#include "ztusb/devices/devices.h"
#include "ztusb/devices/machine_source.h"
#include "ztusb/devices/default_source.h"
#include "ztusb/udev/default_machine.h"

namespace zt::devices {

std::shared_ptr<const DeviceSource> DefaultDeviceSource() {
    if (auto* machine = udev::DefaultMachine()) return MachineDeviceSource(*machine);
    return DeviceTreeSource();
}

}  // namespace zt::devices
