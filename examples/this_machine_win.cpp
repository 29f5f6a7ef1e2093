// Windows: the system itself, with COM initialised on the component's thread for WMI.
#include <objbase.h>

#include "examples/this_machine.h"

std::shared_ptr<void> UseThisMachine() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return nullptr;
    return std::shared_ptr<void>(nullptr, [](void*) { CoUninitialize(); });
}
