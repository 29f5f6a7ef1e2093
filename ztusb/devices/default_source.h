#pragma once
// The records' source while no host installed one: one file per platform.

#include <memory>

#include "ztusb/devices/device_source.h"

namespace zt::devices {

std::shared_ptr<const DeviceSource> DefaultDeviceSource();

}  // namespace zt::devices
