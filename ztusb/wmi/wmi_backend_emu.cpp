// Without Windows there is no WMI of the system's: the machine's devices stand for it where
// the package reads them (udev), until a simulated world or a host installs a backend.
#include "ztusb/wmi/wmi_backend.h"
#include "ztusb/win32/default_world_emu.h"

namespace ZtWmiU {

WmiBackend PlatformWmiBackend() {
    return [](const String& query) -> std::optional<std::vector<String>> {
        auto* world = zt::win32::emulated::TheDefaultWorld();
        if (world == nullptr) return std::nullopt;
        return world->Query(query);
    };
}

void BackendChosen(bool platforms) { zt::win32::emulated::SetHostWorldInUse(!platforms); }

}  // namespace ZtWmiU
