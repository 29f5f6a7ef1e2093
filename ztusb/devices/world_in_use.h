#pragma once
// A simulated or recorded workstation as the world every inquiry asks: the detector's WMI
// queries and registry reads, the device tree, and the device records read from that tree;
// on Windows too.

#include <memory>

#include "ztusb/devices/device_source.h"
#include "ztusb/export.h"
#include "ztusb/sim/workstation.h"
#include "ztusb/win32/device_tree.h"
#include "ztusb/wmi/ZtWmiU.h"

namespace zt::devices {

// Installs the workstation's backends for the life of the object, and puts back those it
// replaced. They are the process's: one world at a time.
class ZT_SIM_API WorldInUse {
public:
    explicit WorldInUse(const sim::Workstation& station);
    ~WorldInUse();
    WorldInUse(const WorldInUse&) = delete;
    WorldInUse& operator=(const WorldInUse&) = delete;

private:
    ZtWmiU::WmiBackend previousWmi_;
    std::shared_ptr<const win32::DeviceTree> previousTree_;
    win32::RegistryBackend previousRegistry_;
    std::shared_ptr<const DeviceSource> previousSource_;
};

}  // namespace zt::devices
