// Linux: this machine's USB devices through udev, with udev's events in the thread's loop.
#include <cstdio>

#include "examples/this_machine.h"
#include "ztusb/udev/machine.h"
#include "ztusb/wmi/ZtWmiU.h"

std::shared_ptr<void> UseThisMachine() {
    auto machine = std::make_shared<zt::sim::MachineWorld>();
    if (!machine->Available()) std::fprintf(stderr, "udev is not available here: no devices to find\n");
    ZtWmiU::SetWmiBackend(machine->Station().WmiBackend());
    machine->Listen();
    return machine;
}
