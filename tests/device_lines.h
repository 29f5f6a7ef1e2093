#pragma once
// A device record as one line, for comparing whole inventories in one assertion:
// vid:pid serial name @location, its hub, then its ports, disks and volumes.

#include <cstdio>
#include <string>

#include "ztusb/devices/usb_device.h"

namespace zt::testing {

inline std::string DeviceLine(const devices::UsbDevice& d) {
    char ids[16];
    std::snprintf(ids, sizeof ids, "%04x:%04x", d.vendorId, d.productId);
    std::string line = std::string(ids) + " " + d.serial.value_or("-") + " " + d.name + " @" + d.location;
    if (!d.hub.empty()) line += " hub " + d.hub;
    if (d.isHub) line += " (hub)";
    if (d.usbasp) line += " (usbasp)";
    for (const auto& p : d.ports) {
        line += " | " + p.name + (p.interfaceNumber ? " if" + std::to_string(*p.interfaceNumber) : "") +
                (p.channel ? std::string(" ") + *p.channel : "");
    }
    for (const auto& disk : d.disks) line += " | disk " + std::to_string(disk.lun) + " " + disk.caption;
    for (const auto& v : d.volumes) {
        line += " | " + (v.letter.empty() ? std::string("-") : v.letter) + " lun" + std::to_string(v.lun) + " " +
                v.fileSystem + " " + v.label;
    }
    return line;
}

}  // namespace zt::testing
