#include "ztusb/devices/this_machine.h"

namespace zt::devices {

std::shared_ptr<void> UseThisMachine() { return nullptr; }

}  // namespace zt::devices
