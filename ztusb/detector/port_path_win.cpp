// Windows opens every COM port through the device namespace, COM10 and above included.
#include "ztusb/detector/port_path.h"

#include "ztusb/detector/com_port_rules.h"

namespace zt_usb_detector {

zt::host::String PortPath(const zt::host::String& portName) {
    if (com_rules::PortNumber(portName) <= 0) return {};
    return u"\\\\.\\" + portName;
}

}  // namespace zt_usb_detector
