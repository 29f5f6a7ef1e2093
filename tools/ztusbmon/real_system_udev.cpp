#include <cstdio>

#include "ztusb/udev/machine.h"
#include "tools/ztusbmon/real_system.h"
#include "ztusb/wmi/ZtWmiU.h"

namespace ztusbmon {

struct RealSystem {
    zt::sim::MachineWorld machine;
};

void RealSystemDeleter::operator()(RealSystem* system) const { delete system; }

// This machine's devices through udev. Without udev (a container) the world is empty: the
// commands list nothing, and say why.
RealSystemHandle UseRealSystem() {
    RealSystemHandle system(new RealSystem);
    if (!system->machine.Available()) {
        std::fprintf(stderr, "ztusbmon: udev is not available here (no USB devices in /sys): no devices to list\n");
    }
    ZtWmiU::SetWmiBackend(system->machine.Station().WmiBackend());
    system->machine.Listen();  // for watch: plugs reach the message loop
    return system;
}

}  // namespace ztusbmon
