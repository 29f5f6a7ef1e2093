#include "ztusb/devices/world_in_use.h"

#include "ztusb/devices/devices.h"

namespace zt::devices {

WorldInUse::WorldInUse(const sim::Workstation& station)
    : previousWmi_(ZtWmiU::SetWmiBackend(station.WmiBackend())),
      previousTree_(win32::SetDeviceTree(station.DeviceTreeBackend())),
      previousRegistry_(win32::SetRegistryBackend(station.RegistryBackend())),
      previousSource_(SetDeviceSource(DeviceTreeSource())) {}

WorldInUse::~WorldInUse() {
    SetDeviceSource(previousSource_);
    win32::SetRegistryBackend(previousRegistry_);
    win32::SetDeviceTree(previousTree_);
    ZtWmiU::SetWmiBackend(previousWmi_);
}

}  // namespace zt::devices
