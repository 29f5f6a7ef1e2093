#pragma once
// Win32_PnPEntity instances and device IDs as Windows writes them, shared by the device
// models and by the devices found on a machine.

#include <cstdint>
#include <string_view>

#include "ztusb/export.h"
#include "ztusb/world/cim_repository.h"
#include "ztusb/sim/serial_devices.h"

namespace zt::sim {

// A port's entity: caption "<description> (COM5)", class Ports.
ZT_SIM_API world::CimRepository::Values PortEntity(const String& description, const String& port,
                                            const String& deviceId, const String& manufacturer,
                                            const String& service);
// A USB device's entity, class USB.
ZT_SIM_API world::CimRepository::Values UsbEntity(const String& description, const String& deviceId,
                                           const String& manufacturer, const String& service);

// The USB device of a drive on USB-attached SCSI (UASP): a storage controller, service
// UASPStor.
ZT_SIM_API world::CimRepository::Values UaspEntity(const String& deviceId);

// The number in an instance Windows made up (5&2d6e3b1&0&2), from what tells the device
// apart: the same on every run and in every build.
ZT_SIM_API std::uint32_t MadeUpInstanceNumber(std::string_view seed);

// USB\VID_xxxx&PID_yyyy\<instance in capitals>.
ZT_SIM_API String UsbDeviceId(const String& hardware, const String& instance);
// FTDIBUS\VID_xxxx+PID_yyyy+<serial><channel>\0000, from hardware VID_xxxx&PID_yyyy.
ZT_SIM_API String FtdiPortId(const String& hardware, const String& serial, char16_t channel);

// COM5 with its serial-port map value, named <prefix>5.
ZT_SIM_API SerialPort NumberedPort(const String& name, const String& registryPrefix);

}  // namespace zt::sim
