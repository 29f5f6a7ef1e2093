#pragma once
// The file a host opens to talk to a COM port of the inventories.

#include "ztusb/export.h"
#include "ztusb/host/text.h"

namespace zt_usb_detector {

// For a port name such as COM5 (of GetAvailableComPorts, or a record's sPort): \\.\COM5 on
// Windows; on Linux the device node of this machine's port (/dev/ttyUSB0), as the serial-port
// map names it. Empty where no file stands behind the port (a simulated one, or a port the
// map does not hold) and for a text that is no port name.
ZT_API zt::host::String PortPath(const zt::host::String& portName);

}  // namespace zt_usb_detector
