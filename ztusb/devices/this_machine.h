#pragma once
// What the detector needs on its thread to read this machine's devices, for a
// TZtUsbDetectorThread's setup to return: on Windows COM initialised there for the WMI
// inquiries, until the result is released; elsewhere nothing (the package reads this
// machine's devices itself, through udev where it was built with it).

#include <memory>

#include "ztusb/export.h"

namespace zt::devices {

ZT_API std::shared_ptr<void> UseThisMachine();

}  // namespace zt::devices
