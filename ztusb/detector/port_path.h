#pragma once
// The file a host opens to talk to a COM port of the inventories.

#include <unordered_map>

#include "ztusb/export.h"
#include "ztusb/host/text.h"

namespace zt_usb_detector {

// For a port name such as COM5 (of GetAvailableComPorts, or a record's sPort): \\.\COM5 on
// Windows; on Linux the device node of this machine's port (/dev/ttyUSB0), as the serial-port
// map names it. Empty where no file stands behind the port (a simulated one, or a port the
// map does not hold) and for a text that is no port name.
ZT_API zt::host::String PortPath(const zt::host::String& portName);

// The same for many ports, the serial-port map read once.
class ZT_API PortPaths {
public:
    PortPaths();
    zt::host::String Of(const zt::host::String& portName) const;

private:
    std::unordered_map<zt::host::String, zt::host::String> files_;  // by port name in capitals
};

}  // namespace zt_usb_detector
