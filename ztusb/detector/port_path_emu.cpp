// Off Windows a port is a file only when this machine's devices fill the map: their value
// names are the device nodes. Simulated ports carry Windows' \Device\... names instead.
#include "ztusb/detector/port_path.h"

#include "ztusb/detector/com_port_rules.h"
#include "ztusb/detector/serial_port_map.h"

namespace zt_usb_detector {

zt::host::String PortPath(const zt::host::String& portName) {
    if (com_rules::PortNumber(portName) <= 0) return {};
    for (const SerialPortMapValue& value : ReadSerialPortMap()) {
        if (zt::host::SameText(value.portName, portName) && value.valueName.starts_with(u"/dev/")) {
            return value.valueName;
        }
    }
    return {};
}

}  // namespace zt_usb_detector
