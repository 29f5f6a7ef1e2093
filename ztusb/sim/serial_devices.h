#pragma once
// Device models with serial ports: what each one adds to the world when it is plugged in.
// Device IDs are written in capitals as WMI gives them; interface names carry the serial or
// instance as it was given, small letters included, as Windows broadcasts them.

#include <vector>

#include "ztusb/export.h"
#include "ztusb/world/cim_repository.h"
#include "ztusb/world/device_tree.h"

namespace zt::sim {

using host::String;

struct SerialPort {
    String name;               // COM5
    String registryValueName;  // its value in the serial-port map
};

struct SerialDevice {
    String interfaceName;           // its USB device interface; empty for a device without one
    std::vector<SerialPort> ports;  // in the order their arrivals are broadcast
    std::vector<world::CimRepository::Values> entities;  // its Win32_PnPEntity instances
    // Its device nodes, parents first; the USB device's own, without a parent, goes where
    // the device is plugged in. None for a device off USB.
    std::vector<world::DeviceNode> nodes = {};
};

// FTDI FT232R: FTDIBUS\VID_0403+PID_6001+<serial>A\0000 and its USB parent.
ZT_SIM_API SerialDevice FtdiAdapter(const String& serial, const String& port);
// FTDI FT2232H (two ports, PID_6010) or FT4232H (four, PID_6011): one USB parent, an
// interface per channel (USB\VID_0403&PID_6010&MI_00\...) and below each its port,
// FTDIBUS\VID_0403+PID_6010+<instance>A\0000, ...B\0000. The USB device's instance is its
// serial, or for a second chip with the same EEPROM serial one Windows made from its port
// (6&9358AC4&0&2). Throws std::invalid_argument for another number of ports.
ZT_SIM_API SerialDevice FtdiMultiChannel(const String& serial, const std::vector<String>& ports,
                                         const String& usbInstance = {});

// USB adapters whose port is the USB device itself: USB\VID_xxxx&PID_yyyy\<instance>, the
// instance being the serial number or, for chips without one, made by Windows (5&2d6e3b1&0&2).
enum class UsbSerialChip { Ch340, Cp210x, Prolific, ArduinoUno };
ZT_SIM_API SerialDevice UsbSerialAdapter(UsbSerialChip chip, const String& instance, const String& port);
ZT_SIM_API SerialDevice Ch340Adapter(const String& instance, const String& port);

// A composite CDC device (a Raspberry Pi Pico): parent USB\VID_2E8A&PID_000A\<serial>, and
// the port on interface 0, USB\VID_2E8A&PID_000A&MI_00\<instance made by Windows>.
ZT_SIM_API SerialDevice CompositeCdcDevice(const String& serial, const String& instance, const String& port);

// A Silicon Labs CP2105: two ports on interfaces 0 (enhanced) and 1 (standard), whose COM
// numbers need not follow the interfaces.
ZT_SIM_API SerialDevice DualUartBridge(const String& serial, const String& enhancedPort, const String& standardPort);
// An LTE modem whose serial ports sit on interfaces 2, 3, 12 and 13 (diagnostics, NMEA, AT,
// modem), the network interfaces between them.
ZT_SIM_API SerialDevice LteModem(const String& serial, const std::vector<String>& ports);
// A USB hub: the devices plugged into its ports hang from it. Its instance is made by Windows.
ZT_SIM_API SerialDevice UsbHub(const String& instance);

// A serial link over Bluetooth: a port without a USB device interface.
ZT_SIM_API SerialDevice BluetoothLink(const String& instance, const String& port);
// The mainboard's own port, ACPI\PNP0501\1.
ZT_SIM_API SerialDevice BuiltInPort(const String& port);
// Intel(R) Active Management Technology's serial-over-LAN port on PCI.
ZT_SIM_API SerialDevice SerialOverLanPort(const String& port);
// A USB device without a port (a mouse, a hub): USB\<hardware>\<instance>.
ZT_SIM_API SerialDevice UsbDevice(const String& hardware, const String& instance, const String& description);
// A USBasp programmer: a USB device without a port. The maker's carry its web domain as
// their serial number.
ZT_SIM_API SerialDevice UsbaspProgrammer(const String& serial);

}  // namespace zt::sim
