#pragma once
// The broadcasts Windows sends as a device comes or goes: its USB interface, each of its
// ports, its volumes. Shared by the modelled workstation and the mirror of a real machine.

#include <cstdint>

#include "ztusb/export.h"
#include "ztusb/sim/serial_devices.h"
#include "ztusb/sim/storage_devices.h"

namespace zt::sim {

// Nothing for a device without an interface name.
ZT_SIM_API void AnnounceInterface(std::uint32_t event, const String& interfaceName);
// The device's ports, but those `except` has too.
ZT_SIM_API void AnnouncePorts(std::uint32_t event, const SerialDevice& device, const SerialDevice& except = {});
// The device's drive letters but those of `except`, in one broadcast as Windows sends them.
ZT_SIM_API void AnnounceVolumes(std::uint32_t event, const StorageDevice& device, const StorageDevice& except = {});

}  // namespace zt::sim
