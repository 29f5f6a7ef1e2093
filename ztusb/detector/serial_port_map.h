#pragma once
// The registry's serial-port map (HARDWARE\DEVICEMAP\SERIALCOMM), read as it stands: the
// value names say what carries each port, the data is the port's name.

#include <vector>

#include "ztusb/host/text.h"

namespace zt_usb_detector {

struct SerialPortMapValue {
    zt::host::String valueName;  // \Device\VCP0 on Windows, the device node on Linux
    zt::host::String portName;   // COM5: the data up to its first NUL
};

// The map's values in the registry's order; a value whose data is too long to be a port name
// is passed over. Empty when the map is missing.
std::vector<SerialPortMapValue> ReadSerialPortMap();

}  // namespace zt_usb_detector
