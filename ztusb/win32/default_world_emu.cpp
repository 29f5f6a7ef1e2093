#include "ztusb/win32/default_world_emu.h"

#include <atomic>

namespace zt::win32::emulated {
namespace {

std::atomic<bool> hostWorldInUse{false};

}  // namespace

DefaultWorld* TheDefaultWorld() { return hostWorldInUse ? nullptr : ThisMachinesWorld(); }

void SetHostWorldInUse(bool inUse) {
    hostWorldInUse = inUse;
    if (inUse) StandDownMachinesWorld();
}

}  // namespace zt::win32::emulated
