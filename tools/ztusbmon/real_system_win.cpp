#include <objbase.h>

#include "tools/ztusbmon/real_system.h"

namespace ztusbmon {

struct RealSystem {};

void RealSystemDeleter::operator()(RealSystem* system) const { delete system; }

// The package never initialises COM itself: the host, this program, does.
RealSystemHandle UseRealSystem() {
    const HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (!SUCCEEDED(result) && result != RPC_E_CHANGED_MODE) return nullptr;
    return RealSystemHandle(new RealSystem);
}

}  // namespace ztusbmon
