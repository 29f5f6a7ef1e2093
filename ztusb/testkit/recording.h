#pragma once
// The recorded form of a world file: a machine as `ztusbmon record` read it.
//
// {
//   "version": 1,
//   "machine": "DESKTOP-7Q2M4KD",
//   "serial_ports": [{"name": "\\Device\\VCP0", "type": "REG_SZ", "data": "COM3"}],
//   "instances": [{"class": "Win32_PnPEntity", "properties": {"Caption": "USB Serial Port (COM3)",
//                  "ConfigManagerErrorCode": 0, "HardwareID": ["FTDIBUS\\COMPORT&VID_0403&PID_6001"],
//                  "DeviceID": "FTDIBUS\\VID_0403+PID_6001+A50285BIA\\0000", "Present": true}}],
//   "associations": [{"class": "Win32_LogicalDiskToPartition",
//                     "antecedent": "Disk #1, Partition #0", "dependent": "E:"}],
//   "device_tree": [{"id": "USB\\VID_0403&PID_6001\\A50285BI", "parent": "USB\\ROOT_HUB30\\4&1D0B5B7&0&0",
//                    "location_info": "Port_#0002.Hub_#0001",
//                    "location_paths": ["PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2)"],
//                    "container_id": "{…}", "service": "FTDIBUS", "port_name": "COM3"}],
//   "broadcasts": [{"after_ms": 1200, "event": "arrival", "record": {"port": "COM5"},
//                   "came": {"serial_ports": [...], "instances": [...], "associations": [...]},
//                   "went": {"serial_ports": ["\\Device\\VCP1"],
//                            "instances": [{"class": "Win32_PnPEntity", "key": "..."}],
//                            "device_tree": ["USB\\VID_..."]}}]
// }
//
// Version 1 recordings, made before the device tree was recorded, load as they are: their
// devices have no nodes. A node's parent comes before it; one that goes takes what hangs
// below it.
//
// Broadcasts 0 ms after the one before are replayed together with it, before the message
// loop runs again, as they were received in one turn of it.
// Properties are as WMI gives them: strings, 64-bit numbers as strings, other numbers,
// true/false, lists of those. A record is {"port": name}, {"volume": unit mask} or
// {"device_interface": name, "class_guid": "{a5dcbf10-6530-11d2-901f-00c04fb951ed}"}.
// Registry values of other types than REG_SZ and REG_EXPAND_SZ carry "hex" bytes instead
// of "data".

#include "ztusb/world/recorded_world.h"
#include "ztusb/testkit/json_reader.h"

namespace zt::testkit {

constexpr std::uint64_t kRecordingVersion = 2;
constexpr std::uint64_t kOldestRecordingVersion = 1;

// The device node properties a recording names.
struct NamedNodeText {
    const char* name;
    zt::win32::DevNodeText property;
};
inline constexpr NamedNodeText kNodeTexts[] = {
    {"location_info", zt::win32::DevNodeText::LocationInfo},
    {"container_id", zt::win32::DevNodeText::ContainerId},
    {"bus_reported_description", zt::win32::DevNodeText::BusReportedDesc},
    {"friendly_name", zt::win32::DevNodeText::FriendlyName},
    {"manufacturer", zt::win32::DevNodeText::Manufacturer},
    {"service", zt::win32::DevNodeText::Service},
    {"port_name", zt::win32::DevNodeText::PortName},
};

// The device-change events by the names a recording gives them.
struct NamedEvent {
    const char* name;
    std::uint32_t code;
};
inline constexpr NamedEvent kNamedEvents[] = {
    {"arrival", 0x8000},        {"query_remove", 0x8001},   {"query_remove_failed", 0x8002},
    {"remove_pending", 0x8003}, {"remove_complete", 0x8004},
};

// The registry value types a recording names; REG_SZ and REG_EXPAND_SZ carry text, the
// others hex bytes. A type not listed is written as REG_BINARY.
struct RegistryType {
    const char* name;
    std::uint32_t type;
    bool text;  // data as a text; otherwise hex bytes
};
inline constexpr RegistryType kRegistryTypes[] = {
    {"REG_SZ", 1, true},      {"REG_EXPAND_SZ", 2, true}, {"REG_BINARY", 3, false},
    {"REG_DWORD", 4, false},  {"REG_MULTI_SZ", 7, false},
};

// Reads the recorded parts of the document and checks them as the machine would hold them:
// known properties of their type, unique keys, links between present instances, departures
// of what is present.
ZT_API zt::world::RecordedWorld ReadRecording(const Reader& reader);

// A property's value as WMI gives it, written as object text writes it.
ZT_API zt::host::String ObjectTextValue(const Json& value);

}  // namespace zt::testkit
