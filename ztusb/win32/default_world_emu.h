#pragma once
// What stands for the system's devices where there is no Windows: this machine's, read
// through udev where the package was built with it, and otherwise nothing. It is made on
// first use, on the thread that uses it, and lives as long as that thread; the first thread
// that registers for device notifications hears its changes. A host that installs a world of
// its own (a WMI backend) puts it aside: nothing of the machine is read then.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ztusb/export.h"
#include "ztusb/win32/device_tree.h"

namespace zt::win32::emulated {

class DefaultWorld {
public:
    virtual ~DefaultWorld() = default;
    // WQL against the machine's objects; nothing when WMI would fail it.
    virtual std::optional<std::vector<std::u16string>> Query(const std::u16string& wql) = 0;
    virtual std::shared_ptr<const DeviceTree> Tree() = 0;
    // From now on the machine's changes reach the calling thread's windows.
    virtual void Listen() = 0;
};

// Null while a host's world is in use, and where this machine's devices cannot be read.
ZT_API DefaultWorld* TheDefaultWorld();
// This machine's world for the calling thread: defined by the machine's part of the package
// (udev/default_world_*.cpp).
DefaultWorld* ThisMachinesWorld();
// A host's world came into use: the machine's goes, where it belongs to the calling thread.
void StandDownMachinesWorld();
// Told by the WMI seam when a host installs a backend of its own or goes back to the default.
ZT_API void SetHostWorldInUse(bool inUse);

}  // namespace zt::win32::emulated
