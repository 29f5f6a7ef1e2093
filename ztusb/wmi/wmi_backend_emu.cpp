// Without Windows there is no WMI of the system's: every query fails until a simulated
// world or a host installs a backend.
#include "ztusb/wmi/wmi_backend.h"

namespace ZtWmiU {

WmiBackend PlatformWmiBackend() { return {}; }

}  // namespace ZtWmiU
