#pragma once
// Boards and probes that are one USB device with several faces: serial ports on some of
// its interfaces and drives on another (drag-and-drop flashing), as real composite devices
// show them.

#include <cstdint>
#include <vector>

#include "ztusb/export.h"
#include "ztusb/sim/serial_devices.h"
#include "ztusb/sim/storage_devices.h"

namespace zt::sim {

// Its USB device, interfaces and ports, and the drives behind its mass storage interface.
// Plugged, it broadcasts its USB device interface, then its ports, then its volumes.
struct UsbBoard {
    SerialDevice serial;
    StorageDevice storage;  // no interface name of its own: the USB device's is in `serial`
};

enum class BoardKind {
    StLinkV21,     // ST-Link V2-1: debug (0), mass storage (1), port (2)
    DapLink,       // DAPLink / mbed: mass storage (0), port (1), HID (3)
    JLink,         // J-Link: debug (0), two ports (2, 4), mass storage (5)
    CircuitPython  // a CircuitPython board: port (0), mass storage with two LUNs (2)
};

// The board with its ports (one for each the kind has, in interface order) and the volumes
// of each of its LUNs (disks firstDisk onwards). Throws std::invalid_argument for another
// number of ports or more LUNs than the kind has.
ZT_SIM_API UsbBoard Board(BoardKind kind, const String& serial, const std::vector<String>& ports,
                          std::uint32_t firstDisk, std::vector<std::vector<Volume>> luns);

}  // namespace zt::sim
