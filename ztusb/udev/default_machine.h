#pragma once
// This machine's world as the package's default: the one that stands for the system's devices
// on Linux while no host has a world of its own in use.

#include "ztusb/udev/machine.h"

namespace zt::udev {

// Made on first use (see win32/default_world_emu.h); null while a host's world is in use.
MachineWorld* DefaultMachine();

}  // namespace zt::udev
