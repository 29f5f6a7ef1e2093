// Off Windows a port is a file only when this machine's devices fill the map: their value
// names are the device nodes. Simulated ports carry Windows' \Device\... names instead.
#include "ztusb/detector/port_path.h"

#include "ztusb/detector/com_port_rules.h"
#include "ztusb/detector/serial_port_map.h"

namespace zt_usb_detector {

PortPaths::PortPaths() {
    for (SerialPortMapValue& value : ReadSerialPortMap()) {
        if (value.valueName.starts_with(u"/dev/")) files_.emplace(zt::host::UpperCase(value.portName), value.valueName);
    }
}

zt::host::String PortPaths::Of(const zt::host::String& portName) const {
    if (com_rules::PortNumber(portName) <= 0) return {};
    const auto file = files_.find(zt::host::UpperCase(portName));
    return file == files_.end() ? zt::host::String() : file->second;
}

zt::host::String PortPath(const zt::host::String& portName) { return PortPaths().Of(portName); }

}  // namespace zt_usb_detector
