// Windows opens every COM port through the device namespace, COM10 and above included.
#include "ztusb/detector/port_path.h"

#include "ztusb/detector/com_port_rules.h"

namespace zt_usb_detector {

PortPaths::PortPaths() = default;

zt::host::String PortPaths::Of(const zt::host::String& portName) const {
    if (com_rules::PortNumber(portName) <= 0) return {};
    return u"\\\\.\\" + portName;
}

zt::host::String PortPath(const zt::host::String& portName) { return PortPaths().Of(portName); }

}  // namespace zt_usb_detector
