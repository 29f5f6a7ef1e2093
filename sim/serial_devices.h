#pragma once
// Device models with serial ports: what each one adds to the world when it is plugged in.

#include <vector>

#include "sim/cim_repository.h"

namespace zt::sim {

struct SerialDevice {
    String interfaceName;      // its USB device interface; empty for a device without one
    String portName;           // empty for a device without a COM port
    String registryValueName;  // its value in the serial-port map
    std::vector<CimRepository::Values> entities;  // its Win32_PnPEntity instances
};

// FTDI FT232R: FTDIBUS\VID_0403+PID_6001+<serial>A\0000 and its USB parent.
SerialDevice FtdiAdapter(const String& serial, const String& port);
// CH340: no serial number, so Windows makes up the instance, e.g. 5&2D6E3B1&0&2.
SerialDevice Ch340Adapter(const String& instance, const String& port);
// A serial link over Bluetooth: a port without a USB device interface.
SerialDevice BluetoothLink(const String& instance, const String& port);
// The mainboard's own port, ACPI\PNP0501\1.
SerialDevice BuiltInPort(const String& port);
// A USBasp programmer: a USB device without a port. The maker's carry its web domain as
// their serial number.
SerialDevice UsbaspProgrammer(const String& serial);

}  // namespace zt::sim
