// Built without udev: this machine's devices cannot be read, and nothing stands for them.
#include "ztusb/host/log_line.h"
#include "ztusb/win32/default_world_emu.h"

namespace zt::win32::emulated {

DefaultWorld* ThisMachinesWorld() {
    static const bool said = [] {
        ZT_LOG(Warning, "device") << "this machine's devices cannot be read: the package was built without udev; "
                                     "install a world (a workstation or a recording) to have devices";
        return true;
    }();
    static_cast<void>(said);
    return nullptr;
}

void StandDownMachinesWorld() {}

}  // namespace zt::win32::emulated
