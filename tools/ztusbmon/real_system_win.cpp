#include <objbase.h>

#include "tools/ztusbmon/real_system.h"

namespace ztusbmon {

// The package never initialises COM itself: the host, this program, does.
bool UseRealSystem() {
    const HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    return SUCCEEDED(result) || result == RPC_E_CHANGED_MODE;
}

}  // namespace ztusbmon
