#include <objbase.h>

#include "ztusb/devices/this_machine.h"

namespace zt::devices {

std::shared_ptr<void> UseThisMachine() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return nullptr;
    return std::shared_ptr<void>(nullptr, [](void*) { CoUninitialize(); });
}

}  // namespace zt::devices
