#include <cstdio>

#include "ztusb/devices/devices.h"
#include "ztusb/devices/machine_source.h"
#include "ztusb/udev/machine.h"
#include "tools/ztusbmon/real_system.h"
#include "ztusb/wmi/ZtWmiU.h"

namespace ztusbmon {

struct RealSystem {
    zt::udev::MachineWorld machine;
};

void RealSystemDeleter::operator()(RealSystem* system) const {
    zt::devices::SetDeviceSource(nullptr);
    delete system;
}

// This machine's devices through udev. Without udev (a container) the world is empty: the
// commands list nothing, and say why.
RealSystemHandle UseRealSystem() {
    RealSystemHandle system(new RealSystem);
    if (!system->machine.Available()) {
        std::fprintf(stderr, "ztusbmon: udev is not available here (no USB devices in /sys): no devices to list\n");
    }
    ZtWmiU::SetWmiBackend(system->machine.Station().WmiBackend());
    zt::win32::SetDeviceTree(system->machine.Station().DeviceTreeBackend());
    zt::devices::SetDeviceSource(zt::devices::MachineDeviceSource(system->machine));
    system->machine.Listen();  // for watch: plugs reach the message loop
    return system;
}

}  // namespace ztusbmon
