#include <cstdio>

#include "sim/machine.h"
#include "tools/ztusbmon/real_system.h"
#include "wmi/ZtWmiU.h"

namespace ztusbmon {

// This machine's devices through udev, for the whole run. Without udev (a container) the
// world is empty: the commands list nothing, and say why.
bool UseRealSystem() {
    static zt::sim::MachineWorld machine;
    if (!machine.Available()) {
        std::fprintf(stderr, "ztusbmon: udev is not available here (no USB devices in /sys): no devices to list\n");
    }
    ZtWmiU::SetWmiBackend(machine.Station().WmiBackend());
    machine.Listen();  // for watch: plugs reach the message loop
    return true;
}

}  // namespace ztusbmon
