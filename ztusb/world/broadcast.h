#pragma once
// Device-change broadcasts as the system sends them, to the top-level windows of the
// calling thread: port and volume records to every such window, device-interface records
// only to the windows subscribed to their interface class.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "ztusb/export.h"
#include "ztusb/world/former_namespace.h"
#include "ztusb/win32/api.h"

namespace zt::world {

using Record = std::vector<std::uint8_t>;

ZT_SIM_API Record PortRecord(std::u16string_view portName);
ZT_SIM_API Record VolumeRecord(std::uint32_t unitMask);
ZT_SIM_API Record DeviceInterfaceRecord(std::u16string_view interfaceName, const win32::GUID& interfaceClass);

// A USB device's interface name as Windows writes it:
// \\?\USB#VID_0403&PID_6001#<instance>#{a5dcbf10-6530-11d2-901f-00c04fb951ed}
ZT_SIM_API std::u16string UsbDeviceInterfaceName(std::u16string_view hardware, std::u16string_view instance);

// Sends one WM_DEVICECHANGE with the event code and the record. Throws std::invalid_argument
// for a record that cannot hold its header or is shorter than the size it declares.
ZT_SIM_API void BroadcastDeviceChange(std::uint32_t event, std::span<const std::uint8_t> record);

}  // namespace zt::world
